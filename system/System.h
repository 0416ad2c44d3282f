#pragma once

#include "SystemController.h"

#include <ASystem.h>
#include <AddInstrumentViewController.h>
#include <AlertManager.h>
#include <BackupController.h>
#include <BackupManagerViewController.h>
#include <ConfirmationViewController.h>
#include <DBImportViewController.h>
#include <GenerateReportViewController.h>
#include <HijackRequestViewController.h>
#include <SMTPManager.h>
#include <SMTPTestController.h>
#include <SettingsViewController.h>
#include <SystemCommand.h>
#include <SystemConfigSync.h>
#include <SystemViewController.h>

#include <QObject>

#include <atomic>

class CommandParameter;

namespace ORQ {
class CORQExeLogging;
}

// The one system object: owns every controller, view controller and service of the
// program and implements the system front. Built before the application object and
// destroyed after the event loop, before the application object.
class System : public QObject, public ASystem
{
    Q_OBJECT
public:
    // The application's menu bar look.
    static const char *const kMenuBarStyleSheet;

    System();
    ~System() override;

    // Non-zero when the control thread's start-up failed; main returns it.
    int exitStatus() const;

    // Waits up to timeoutMs for the closing sequence to have stopped every worker (at once
    // true when the control thread never started).
    bool waitForWorkersStopped(int timeoutMs);

    int start() override;
    void close() override;
    void showAboutWindow() override;
    void showAlert(const QString &text) override;
    SystemConfig getSystemConfig() override;
    quint64 getSystemConfigRevision() override { return m_configSync.getRevision(); }
    void setSystemConfig(const SystemConfig &config) override;
    void postSystemConfig(const SystemConfig &config) override;
    void addAlert(const Alert &alert) override;
    void queueEmails(const std::vector<SMTPRequest> &requests, int &result) override;
    SMTPRequest takeNextSmtpRequest(int &result) override;
    void setInstrumentManager(InstrumentManager *manager) override;

    int onInstrumentReply(InstrumentDeviceNetworkInterfaceReply *reply) override;
    int changeInstrumentConfig(const InstrumentConfig &config) override;
    int onAddDeviceReply(int requestId, int networkError, QString *replyData) override;
    int startAddInstrument() override;
    int submitAddInstrument(const QString &address, const QString &password) override;
    int cancelAddInstrument() override;
    int removeAudiogroups(const QMultiMap<QString, QString> &selection) override;
    int openSettings() override;
    int cancelSettings() override;
    int saveSettings() override;
    int confirmDeleteAudiogroups() override;
    int cancelDeleteAudiogroups() override;
    int startManualAcquisition() override;
    int stopManualAcquisition() override;
    int startAutoAcquisition() override;
    int stopAutoAcquisition() override;
    int enableAgLogging(const QString &instrumentName, const QString &agName) override;
    int disableAgLogging(const QString &instrumentName, const QString &agName) override;
    int requestStatusRefresh() override;
    int updateAcquisitionStatus(const QList<AcquisitionAg> &status) override;
    int updateAgViolationStatus(const AgViolations &violations, const QString &instrumentName,
                                const QString &agName) override;
    int resetAgViolationStatus(const QString &instrumentName, const QString &agName) override;
    int resetAgAcquisitionStatus(const QString &instrumentName, const QString &agName) override;
    int startAcquisition(const QString &instrumentName, const QString &agName) override;
    int startGenerateManualReport(const QMultiMap<QString, QString> &reports,
                                  qint64 durationMs) override;
    int onManualReportFinished(const QString &nameKey, bool converted, bool failed,
                               const QString &message) override;
    int requestDbImport(const QString &filePath, bool nameSuffixFlag,
                        const QString &nameSuffix) override;
    int cancelDbImport(int cancelKey) override;
    int replyDbImportStatus(bool completed, bool failed, const QString &message, qint64 progress,
                            qint64 total) override;
    int requestHijackPermission(const QString &instrumentName) override;
    int allowHijack(const QString &instrumentName, const QString &requestId) override;
    int denyHijack(const QString &instrumentName, const QString &requestId) override;
    int showBackupManager() override;
    int refreshBackups() override;
    int deleteBackups(const QList<BackupItem> &items) override;

    SystemController *getSystemController() override { return &m_systemController; }
    SystemViewController *getSystemViewController() override { return &m_systemViewController; }
    AddInstrumentViewController *getAddInstrumentViewController() override;
    ConfirmationViewController *getConfirmationViewController() override;
    SettingsViewController *getSettingsViewController() override;
    GenerateReportViewController *getGenerateReportViewController() override;
    DBImportViewController *getDBImportViewController() override;
    ABackupManagerViewController *getBackupManagerViewController() override;
    HijackRequestViewController *getHijackRequestViewController() override;
    BackupController *getBackupController() override { return &m_backupController; }
    AlertManager *getAlertManager() override { return &m_alertManager; }
    SMTPManager *getSMTPManager() override { return &m_smtpManager; }
    SMTPTestController *getSMTPTestController() override { return &m_smtpTestController; }
    NUVNetworkAccessManager *getNetworkAccessManager() override { return m_networkManager; }
    SystemJanitor *getSystemJanitor() override { return m_janitor; }
    InstrumentManager *getInstrumentManager() override { return m_instrumentManager; }
    ASplashScreen *getSplashScreen() override { return m_splashScreen; }
    ClosingPleaseWaitDialog *getClosingDialog() override { return m_closingDialog; }

private:
    void initLogging();
    void registerMetaTypes();
    static void registerViewCreators();
    int post(SystemCommand::Type type, CommandParameter *parameter = nullptr);
    void applySystemConfig(const SystemConfig &config, bool onInstrumentThreads);

    SystemConfigSync m_configSync;
    AlertManager m_alertManager;
    SMTPManager m_smtpManager;
    SMTPTestController m_smtpTestController;
    SystemController m_systemController;
    SystemViewController m_systemViewController;
    AddInstrumentViewController m_addInstrumentViewController;
    ConfirmationViewController m_confirmationViewController;
    SettingsViewController m_settingsViewController;
    GenerateReportViewController m_generateReportViewController;
    DBImportViewController m_dbImportViewController;
    BackupManagerViewController m_backupManagerViewController;
    HijackRequestViewController m_hijackRequestViewController;
    BackupController m_backupController;

    // Made by start (the instrument manager by the control thread), deleted by the
    // destructor in this order.
    std::atomic<InstrumentManager *> m_instrumentManager{nullptr};
    NUVNetworkAccessManager *m_networkManager = nullptr;
    SystemJanitor *m_janitor = nullptr;
    ORQ::CORQExeLogging *m_logging = nullptr;
    ASplashScreen *m_splashScreen = nullptr;
    ClosingPleaseWaitDialog *m_closingDialog = nullptr;
};
