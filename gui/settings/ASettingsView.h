#pragma once

#include <AGSettingsListModelItem.h>
#include <AView.h>
#include <AgConfig.h>
#include <AlertContactConfig.h>
#include <ReportConfig.h>
#include <SMTPConfig.h>

#include <QList>
#include <QString>

// The settings window as its controller sees it. The update and retrieve signals reach the
// pages; the pages' answers and the user's requests come back as the other signals.
class ASettingsView : public AView
{
    Q_OBJECT
public:
    ASettingsView(ViewType type, QWidget *parent);
    ~ASettingsView() override;

signals:
    void SaveButtonClick();
    void CancelButtonClick();
    void updateAudioGroupSettingsList(const QList<AGSettingsListModelItem> &items);
    void updateAlertsSettingsSubview(bool enabled, const QList<AlertContactConfig> &contacts);
    void removeAlertContact(const QString &name);
    void addAlertContact(const AlertContactConfig &contact);
    void updateSmtpSettingsSubview(const SMTPConfig &config);
    void updateSMTPSettingsTestButton(bool busy);
    void updateReportSettingsSubview(const ReportConfig &config);
    void updateGeneralSettingsSubview(bool checkIAtProgramEndOnly);
    void updateGraphSettingsSubview(bool hideProgramId, const QList<int> &ranges);
    void AudioGroupSelected(const QString &instrumentName, const QString &agName);
    void PopulateAudioGroupSettings(const AgConfig &config, const QString &instrumentName);
    void AgSettingsDidChange(const AgConfig &config, const QString &instrumentName);
    void alertSettingsDidChange(bool enabled, const QList<AlertContactConfig> &contacts);
    void smtpSettingsDidChange(const SMTPConfig &config);
    void testSMTPSettingsButtonClick();
    void reportSettingsDidChange(const ReportConfig &config);
    void generalSettingsDidChange(bool checkIAtProgramEndOnly);
    void graphSettingsDidChange(bool hideProgramId, const QList<int> &ranges);
    void RetrieveAudioGroupSettings();
    void retrieveAlertSettings();
    void retrieveSmtpSettings();
    void retrieveReportSettings();
    void retrieveGeneralSettings();
    void retrieveGraphSettings();

public slots:
    // Shows the page of that index.
    virtual void onSettingsTabSelected(int index) = 0;
    virtual void onShowPleaseWaitDialog(const QString &text) = 0;
    virtual void onHidePleaseWaitDialog() = 0;
};
