#pragma once

#include "StatusLightDescription.h"

#include <AgConfig.h>
#include <InstrumentConfig.h>

#include <QWidget>

#include <memory>

class AgListButton;
class NUVCheckbox;
class QGridLayout;
class QLabel;
class QListWidgetItem;
class SemaphoreWidget;

// Shortens a label's text at the right end to the label's width less 50 px, with the text
// it held as its tool tip, in the row's large white look.
void elideLabelText(QLabel *label);

// One row of the main window's list: running number, device name and address, the
// audiogroup's name as a button, the logging check box (a warning icon for an imported
// audiogroup), the connection light and the violation light. It owns the list item that
// carries it in the list.
class AgListItem : public QWidget
{
    Q_OBJECT
public:
    AgListItem(const InstrumentConfig &instrumentConfig, const AgConfig &agConfig, int index);
    ~AgListItem() override;

    // Replace the copies; the row shows them with the next updateUi.
    void setConfigs(const InstrumentConfig &instrumentConfig, const AgConfig &agConfig);
    void setIndex(int index);
    void setStatusLightDescription(const StatusLightDescription &description);
    // Rewrites the whole row from its configuration, number and lights.
    void updateUi();
    void showLoggingChoice();
    void showLights();
    void resizeToWidth(int width);

    QString getInstrumentName() const;
    QString getAgSourceName() const;
    // The address without "http://".
    QString getDisplayAddress() const;
    QListWidgetItem *getListWidgetItem() const { return m_item; }
    int getIndex() const { return m_index; }

signals:
    void showAgView(const QString &instrumentName, const QString &agName);
    void onResetAgViolationStatus(const QString &instrumentName, const QString &agName);
    void onResetAgAcquisitionStatus(const QString &instrumentName, const QString &agName);

public slots:
    void onShowAgView();
    // The box shows the configured state, not the click: it is put back at once and
    // changes when the configuration reports the change.
    void onCheckboxClick();
    void onLogSemaphoreClick();
    void onStatusSemaphoreClick();

private:
    struct Form
    {
        QGridLayout *gridLayout_2 = nullptr;
        QWidget *gridWidget = nullptr;
        QGridLayout *gridLayout_3 = nullptr;
        QLabel *importedIndicator = nullptr;
        QLabel *indexLabel = nullptr;
        QGridLayout *gridLayout = nullptr;
        QLabel *deviceLabel = nullptr;
        QLabel *ipLabel = nullptr;
        QWidget *gridWidget2 = nullptr;
        QGridLayout *gridLayout3 = nullptr;
        AgListButton *agButton = nullptr;
        NUVCheckbox *checkBox = nullptr;
        SemaphoreWidget *statusSemaphore = nullptr;
        SemaphoreWidget *logSemaphore = nullptr;
    };
    void setupForm();

    std::unique_ptr<Form> m_form;
    InstrumentConfig m_instrumentConfig;
    AgConfig m_agConfig;
    StatusLightDescription m_description;
    int m_index = 0;
    QListWidgetItem *m_item = nullptr;
};
