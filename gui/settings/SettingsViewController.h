#pragma once

#include <AGSettingsListModelItem.h>
#include <AgConfig.h>
#include <AlertContactConfig.h>
#include <ReportConfig.h>
#include <SMTPConfig.h>
#include <SystemConfig.h>
#include <ViewUpdateTimer.h>

#include <QList>
#include <QMutex>
#include <QObject>
#include <QString>

class ASettingsView;

// The settings window's controller. While the window is open it holds the configuration
// being edited: it fills every page from it, takes the pages' changes into it, and hands it
// to the settings operation of the system controller on Save. It also sends the SMTP
// page's test e-mail.
//
// The window and the slots live on the GUI thread; start, stop, the please-wait calls and
// getSystemConfig come from the system controller's thread, so the copy is guarded and
// every signal to the window is queued, except the retrieve requests: they are emitted on
// the GUI thread only, and the pages have answered when they return, so Save and the test
// e-mail use what the pages show at the click.
class SettingsViewController : public QObject
{
    Q_OBJECT
public:
    static constexpr int kUpdateIntervalMs = 500;

    SettingsViewController();
    ~SettingsViewController() override;

    // GUI thread, once: obtains the window and wires it; -1 when there is none.
    int init();
    // Any thread: unless the window is open, edits a copy of the current configuration and
    // opens the window filled from it.
    void start();
    // Any thread: the timer stops and the window closes; the copy stays until the next start.
    void stop();
    void stopUpdateTimer();
    void showPleaseWait(const QString &text);
    void hidePleaseWait();
    SystemConfig getSystemConfig() const;

    ASettingsView *getView() const { return m_view; }

    // The fixed HTML body of the test e-mail.
    static QString testEmailBody();

signals:
    void show();
    void hide();
    void killUpdateTimer();
    void updateAudioGroupSettingsList(const QList<AGSettingsListModelItem> &items);
    void updateAlertsSettingsSubview(bool enabled, const QList<AlertContactConfig> &contacts);
    void updateSmtpSettingsSubview(const SMTPConfig &config);
    void updateSMTPSettingsTestButton(bool busy);
    void updateReportSettingsSubview(const ReportConfig &config);
    void updateGeneralSettingsSubview(bool checkIAtProgramEndOnly);
    void updateGraphSettingsSubview(bool hideProgramId, const QList<int> &ranges);
    void PopulateAudioGroupSettings(const AgConfig &config, const QString &instrumentName);
    void showPleaseWaitDialog(const QString &text);
    void hidePleaseWaitDialog();
    void RetrieveAudioGroupSettings();
    void retrieveAlertSettings();
    void retrieveSmtpSettings();
    void retrieveReportSettings();
    void retrieveGeneralSettings();
    void retrieveGraphSettings();

public slots:
    void onViewHide();
    void onSaveSettingsButtonClick();
    void onCancelButtonClick();
    void onAudioGroupSelected(const QString &instrumentName, const QString &agName);
    // Replaces that audiogroup's settings in the copy, when the copy holds it.
    void onAudioGroupSettingsChanged(const AgConfig &agConfig, const QString &instrumentName);
    // An empty list keeps the contacts: they are removed one at a time.
    void onAlertSettingsChanged(bool enabled, const QList<AlertContactConfig> &contacts);
    // Both take the alerts page's values first, then redraw it from the copy.
    void onAddAlertContact(const AlertContactConfig &contact);
    void onRemoveAlertContact(const QString &name);
    void onSmtpSettingsDidChange(const SMTPConfig &config);
    void onTestSMTPSettingsButtonClick();
    void onReportSettingsDidChange(const ReportConfig &config);
    void onGeneralSettingsDidChange(bool checkIAtProgramEndOnly);
    void onGraphSettingsDidChange(bool hideProgramId, const QList<int> &ranges);
    // Every 500 ms while the window is open: whether a test e-mail still waits.
    void onUpdateTimer();

private:
    void connectView();
    void emitAlertsUpdate();
    static void showAlert(const QString &text);

    mutable QMutex m_mutex;
    SystemConfig m_config;
    bool m_shown = false;
    ASettingsView *m_view = nullptr;
    ViewUpdateTimer m_timer;
};
