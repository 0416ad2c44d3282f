#pragma once

#include "ASystemView.h"
#include "StatusLightDescription.h"
#include "StatusLightsManager.h"

#include <SystemConfig.h>

#include <QList>
#include <memory>

class AgList;
class DoubleTextCheckboxButton;
class KIVAlertBox;
class NUVMenu;
class QGridLayout;
class QHBoxLayout;
class QLabel;
class SemaphoreWidget;
class SimpleButton;

// The main window: menu bar; a dark top bar with the logo, START/STOP, ADD, DELETE and the
// two lights summing up every audiogroup; the table header; the list of audiogroups; and a
// footer with details of the selected audiogroup. It shows what its controller hands it
// and turns the user's actions into signals; it talks to nothing else.
class QTSystemView : public ASystemView
{
    Q_OBJECT
public:
    QTSystemView(ViewType type, QWidget *parent);
    ~QTSystemView() override;

    int initView() override;
    // Makes GUIFactory build this window for view type 0.
    static void registerCreator();

    // The state for a global light: red over yellow over green; gray when no audiogroup that
    // is not imported shows one of those.
    static int worstConnectionState(const QList<StatusLightDescription> &descriptions);
    static int worstViolationState(const QList<StatusLightDescription> &descriptions);

    // The logging line of the footer, in its YES and NO forms.
    static QString loggingActiveText(bool active);
    static const QString &selectionHint();

    // Alert boxes this window opened that are still open, oldest first.
    const QList<KIVAlertBox *> &getOpenAlertBoxes() const { return m_openAlertBoxes; }
    // The clock the lights age their records against (tests move it).
    void setStatusLightsClock(StatusLightsManager::Clock clock);

public slots:
    void update(const SystemUIData &state) override;
    void onShowAlert(const QString &text) override;
    void updateStatusLights();
    void onAlertClose(KIVAlertBox *box);
    void onSelectionChanged();
    void onRemoveButtonClick();
    void onStartStopButtonClick(bool start);
    void onAutoButtonClick(bool on);
    void onGenerateReportClick();

private:
    struct Form
    {
        QGridLayout *gridLayout_2 = nullptr;
        QWidget *menuBarWrapper = nullptr;
        NUVMenu *menuBar = nullptr;
        QWidget *wrapper = nullptr;
        QWidget *gridWidget = nullptr;
        QWidget *topBarWrapper = nullptr;
        QWidget *headerShadow = nullptr;
        QWidget *controllsWrapperWidget = nullptr;
        QLabel *logo = nullptr;
        QWidget *leftButtonsWrapper = nullptr;
        DoubleTextCheckboxButton *startStop = nullptr;
        SimpleButton *remove = nullptr;
        SimpleButton *add = nullptr;
        QWidget *generalSemaphoresWrapper = nullptr;
        QLabel *sum = nullptr;
        SemaphoreWidget *globalStatusSemaphore = nullptr;
        SemaphoreWidget *globalLogSemaphore = nullptr;
        QWidget *tableHeader = nullptr;
        AgList *list = nullptr;
        QWidget *footer = nullptr;
        QWidget *overviewStatusGrid = nullptr;
        QLabel *loggingActive = nullptr;
        QLabel *currentPreset = nullptr;
        QLabel *lastConfigurationChange = nullptr;
    };
    void setupForm();
    void setupTopBar(QGridLayout *parentLayout);
    void setupTableHeader(QGridLayout *parentLayout);
    void setupFooter(QGridLayout *parentLayout);
    void updateFooter();
    // Visible and not minimised.
    bool isShownToUser() const;
    // The kept state on the widgets.
    void showState();
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;

    std::unique_ptr<Form> m_form;
    SystemConfig m_systemConfig;
    // The configuration m_systemConfig is, and the one the list was last built from.
    quint64 m_keptConfigRevision = 0;
    quint64 m_shownConfigRevision = 0;
    // An update came while the window was not shown.
    bool m_refreshWhenShown = false;
    StatusLightsManager m_statusLightsManager;
    QList<KIVAlertBox *> m_openAlertBoxes;
};
