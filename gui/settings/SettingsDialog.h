#pragma once

#include "ASettingsView.h"

#include <memory>

class AlertsSettings;
class AudioGroupsSettings;
class CancelOKButtons;
class GeneralSettings;
class GraphSettings;
class KIVSettingsCategorySelector;
class KivPleaseWaitBox;
class QLabel;
class QStackedWidget;
class ReportSettingsPage;
class SmtpSettings;

// The application-modal settings window: the category column, one page per category and
// the OK/CANCEL bar. It keeps no settings; it relays between its controller and the pages.
class SettingsDialog : public ASettingsView
{
    Q_OBJECT
public:
    SettingsDialog(ViewType type, QWidget *parent);
    ~SettingsDialog() override;

    // Page 0, the frame with only a close button, the title.
    int initView() override;

    // Makes GUIFactory build this window for view type 4.
    static void registerCreator();

    KIVSettingsCategorySelector *categorySelector() const;
    CancelOKButtons *cancelOKButtons() const;
    QStackedWidget *pages() const;
    GeneralSettings *generalSettings() const;
    AudioGroupsSettings *audioGroupsSettings() const;
    AlertsSettings *alertsSettings() const;
    SmtpSettings *smtpSettings() const;
    ReportSettingsPage *reportSettings() const;
    GraphSettings *graphSettings() const;
    KivPleaseWaitBox *pleaseWaitBox() const;

public slots:
    // Up and to the front, on GENERAL.
    void onShow() override;
    void onSettingsTabSelected(int index) override;
    void onShowPleaseWaitDialog(const QString &text) override;
    void onHidePleaseWaitDialog() override;

private:
    struct Form
    {
        KIVSettingsCategorySelector *categorySelector = nullptr;
        QStackedWidget *stackedWidget = nullptr;
        QWidget *generalPage = nullptr;
        GeneralSettings *generalSettings = nullptr;
        QWidget *agPage = nullptr;
        AudioGroupsSettings *agListSettings = nullptr;
        QWidget *alertsSettingsPage = nullptr;
        AlertsSettings *alertsSettings = nullptr;
        QWidget *smtpSettingsPage = nullptr;
        SmtpSettings *smtpSettings = nullptr;
        QWidget *reportSettingsPage = nullptr;
        ReportSettingsPage *reportSettings = nullptr;
        QWidget *graphSettingsPage = nullptr;
        GraphSettings *graphSettings = nullptr;
        CancelOKButtons *cancelOKButtons = nullptr;
        QLabel *logoLabel = nullptr;
    };
    void setupForm();
    void connectPages();
    // A page of the stack that holds the category's widget at its origin.
    void fitPagesToText();
    template <typename Page> Page *addPage(QWidget *&holder, const char *holderName,
                                           const char *pageName);

    std::unique_ptr<Form> m_form;
    std::unique_ptr<KivPleaseWaitBox> m_pleaseWaitBox;
};
