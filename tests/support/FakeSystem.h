#pragma once

#include <ASystem.h>

#include <AcquisitionAg.h>
#include <AgViolations.h>
#include <Alert.h>
#include <BackupItem.h>
#include <InstrumentConfig.h>
#include <InstrumentDeviceNetworkInterfaceReply.h>
#include <SMTPRequest.h>
#include <SystemConfig.h>

#include <QList>
#include <QMutex>
#include <QString>
#include <QStringList>
#include <QVariantList>

#include <deque>
#include <memory>
#include <vector>

// A system front for tests: records every call with its arguments, answers with
// configurable results and touches nothing else. Thread-safe, so workers may call it.
//
//   FakeSystem fake;            // installs itself as ASystem::instance()
//   fake.setPostResult(-1);     // every posting operation is refused
//   ... code under test ...
//   QCOMPARE(fake.callCount("showAlert"), 1);
class FakeSystem : public ASystem
{
public:
    struct Call
    {
        QString name;      // the operation's name, as in ASystem
        QVariantList args; // plain arguments; a selection map is a list of {key, value} pairs
    };

    // Owned objects the accessors hand out (not owned by the fake).
    struct Objects
    {
        SystemController *systemController = nullptr;
        SystemViewController *systemViewController = nullptr;
        AddInstrumentViewController *addInstrumentViewController = nullptr;
        ConfirmationViewController *confirmationViewController = nullptr;
        SettingsViewController *settingsViewController = nullptr;
        GenerateReportViewController *generateReportViewController = nullptr;
        DBImportViewController *dbImportViewController = nullptr;
        ABackupManagerViewController *backupManagerViewController = nullptr;
        HijackRequestViewController *hijackRequestViewController = nullptr;
        BackupController *backupController = nullptr;
        AlertManager *alertManager = nullptr;
        SMTPManager *smtpManager = nullptr;
        SMTPTestController *smtpTestController = nullptr;
        NUVNetworkAccessManager *networkAccessManager = nullptr;
        SystemJanitor *systemJanitor = nullptr;
        ASplashScreen *splashScreen = nullptr;
        ClosingPleaseWaitDialog *closingDialog = nullptr;
    };

    // Installs itself unless told not to; the destructor puts back the previous front.
    explicit FakeSystem(bool installNow = true);
    ~FakeSystem() override;
    FakeSystem(const FakeSystem &) = delete;
    FakeSystem &operator=(const FakeSystem &) = delete;

    void install();
    void uninstall();

    // Recorded calls.
    QList<Call> calls() const;
    QStringList callNames() const;
    int callCount(const QString &name) const;
    // The last call of that name; an empty Call when there was none.
    Call lastCall(const QString &name) const;
    void clearCalls();

    // Results.
    void setPostResult(int result);                    // of every posting operation (default 0)
    void setEmailResult(int result);                   // of queueEmails (default 0)
    void setCurrentConfig(const SystemConfig &config); // what getSystemConfig returns
    void addSmtpRequest(const SMTPRequest &request);   // for takeNextSmtpRequest
    void setObjects(const Objects &objects);

    // Copies of the arguments that do not fit a QVariant, in call order.
    QList<SystemConfig> appliedConfigs() const; // setSystemConfig and postSystemConfig
    QList<InstrumentConfig> instrumentConfigChanges() const;
    QList<QList<AcquisitionAg>> acquisitionStatusUpdates() const;
    QList<AgViolations> violationUpdates() const;
    int alertCount() const;
    // The texts of every showAlert call, in order.
    QStringList alertTexts() const;
    std::vector<Alert> alerts() const;
    int queuedEmailCount() const;
    // The requests of every accepted queueEmails call, in order.
    std::vector<SMTPRequest> queuedEmails() const;
    QList<QList<BackupItem>> backupDeletes() const;
    // The replies handed over by onInstrumentReply, still owned by the fake.
    int instrumentReplyCount() const;
    // Instrument id, request id, network error, body (null string when none) and HTTP status
    // of reply i.
    QVariantList instrumentReply(int index) const;
    InstrumentManager *instrumentManager() const;

    // ASystem.
    int start() override;
    void close() override;
    void showAboutWindow() override;
    void showAlert(const QString &text) override;
    SystemConfig getSystemConfig() override;
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

    SystemController *getSystemController() override;
    SystemViewController *getSystemViewController() override;
    AddInstrumentViewController *getAddInstrumentViewController() override;
    ConfirmationViewController *getConfirmationViewController() override;
    SettingsViewController *getSettingsViewController() override;
    GenerateReportViewController *getGenerateReportViewController() override;
    DBImportViewController *getDBImportViewController() override;
    ABackupManagerViewController *getBackupManagerViewController() override;
    HijackRequestViewController *getHijackRequestViewController() override;
    BackupController *getBackupController() override;
    AlertManager *getAlertManager() override;
    SMTPManager *getSMTPManager() override;
    SMTPTestController *getSMTPTestController() override;
    NUVNetworkAccessManager *getNetworkAccessManager() override;
    SystemJanitor *getSystemJanitor() override;
    InstrumentManager *getInstrumentManager() override;
    ASplashScreen *getSplashScreen() override;
    ClosingPleaseWaitDialog *getClosingDialog() override;

private:
    void record(const QString &name, const QVariantList &args = {});
    int post(const QString &name, const QVariantList &args = {});

    mutable QMutex m_mutex;
    bool m_installed = false;
    ASystem *m_previous = nullptr;
    QList<Call> m_calls;
    int m_postResult = 0;
    int m_emailResult = 0;
    SystemConfig m_config;
    std::deque<SMTPRequest> m_smtpRequests;
    Objects m_objects;
    InstrumentManager *m_instrumentManager = nullptr;
    QList<SystemConfig> m_appliedConfigs;
    QList<InstrumentConfig> m_instrumentConfigChanges;
    QList<QList<AcquisitionAg>> m_acquisitionStatusUpdates;
    QList<AgViolations> m_violationUpdates;
    std::vector<Alert> m_alerts;
    int m_queuedEmails = 0;
    std::vector<SMTPRequest> m_queuedRequests;
    QList<QList<BackupItem>> m_backupDeletes;
    std::vector<std::unique_ptr<InstrumentDeviceNetworkInterfaceReply>> m_instrumentReplies;
};
