#pragma once

#include <QList>
#include <QMultiMap>
#include <QString>
#include <QtGlobal>

#include <vector>

class ABackupManagerViewController;
class AcquisitionAg;
class AddInstrumentViewController;
class AgViolations;
class Alert;
class AlertManager;
class ASplashScreen;
class BackupController;
class BackupItem;
class ClosingPleaseWaitDialog;
class ConfirmationViewController;
class DBImportViewController;
class GenerateReportViewController;
class HijackRequestViewController;
class InstrumentConfig;
class InstrumentDeviceNetworkInterfaceReply;
class InstrumentManager;
class NUVNetworkAccessManager;
class SettingsViewController;
class SMTPManager;
class SMTPRequest;
class SMTPTestController;
class SystemConfig;
class SystemController;
class SystemJanitor;
class SystemViewController;

// The one door through which views, devices, controllers and services reach the system.
// The system layer installs its implementation at start-up; tests install fakes. Lower
// layers call ASystem::instance() and never link the system layer.
//
// Posting operations queue a numbered command on the system controller (or the backup
// controller) and return the queue's result: 0 queued, -1 refused. A refused command is
// deleted with its payload. They may be called from any thread.
class ASystem
{
public:
    virtual ~ASystem();

    // The installed front; null before installation.
    static ASystem *instance();
    // Installs the front (not owned) and returns the previous one; null uninstalls.
    static ASystem *setInstance(ASystem *system);

    // Direct operations.
    virtual int start() = 0;
    virtual void close() = 0;
    virtual void showAboutWindow() = 0;
    virtual void showAlert(const QString &text) = 0;
    virtual SystemConfig getSystemConfig() = 0;
    // Changes whenever the configuration does; 0 when not kept, and readers then read the
    // configuration itself.
    virtual quint64 getSystemConfigRevision() { return 0; }
    // Makes the configuration current and applies its instruments at once, on the caller's
    // thread (every instrument is paused by the caller).
    virtual void setSystemConfig(const SystemConfig &config) = 0;
    // Makes the configuration current and posts it to the instruments' own threads.
    virtual void postSystemConfig(const SystemConfig &config) = 0;
    virtual void addAlert(const Alert &alert) = 0;
    // result: 0 when all were queued, -1 when none was.
    virtual void queueEmails(const std::vector<SMTPRequest> &requests, int &result) = 0;
    // result: 0 with the oldest queued request, -1 (and a default request) when none waits.
    virtual SMTPRequest takeNextSmtpRequest(int &result) = 0;
    // Takes ownership; used once, by the system controller's start-up.
    virtual void setInstrumentManager(InstrumentManager *manager) = 0;

    // Posting operations to the system controller (its command number in brackets).
    virtual int onInstrumentReply(InstrumentDeviceNetworkInterfaceReply *reply) = 0; // 0, owns
    virtual int changeInstrumentConfig(const InstrumentConfig &config) = 0;          // 1
    // 2; takes ownership of the reply data (may be null).
    virtual int onAddDeviceReply(int requestId, int networkError, QString *replyData) = 0;
    virtual int startAddInstrument() = 0;                                                 // 3
    virtual int submitAddInstrument(const QString &address, const QString &password) = 0; // 4
    virtual int cancelAddInstrument() = 0;                                                // 5
    // 6; instrument name -> audiogroup name.
    virtual int removeAudiogroups(const QMultiMap<QString, QString> &selection) = 0;
    virtual int openSettings() = 0;                                                         // 9
    virtual int cancelSettings() = 0;                                                       // 10
    virtual int saveSettings() = 0;                                                         // 11
    virtual int confirmDeleteAudiogroups() = 0;                                             // 12
    virtual int cancelDeleteAudiogroups() = 0;                                              // 13
    virtual int startManualAcquisition() = 0;                                               // 14
    virtual int stopManualAcquisition() = 0;                                                // 15
    virtual int startAutoAcquisition() = 0;                                                 // 16
    virtual int stopAutoAcquisition() = 0;                                                  // 17
    virtual int enableAgLogging(const QString &instrumentName, const QString &agName) = 0;  // 18
    virtual int disableAgLogging(const QString &instrumentName, const QString &agName) = 0; // 19
    virtual int requestStatusRefresh() = 0;                                                 // 20
    virtual int updateAcquisitionStatus(const QList<AcquisitionAg> &status) = 0;            // 21
    virtual int updateAgViolationStatus(const AgViolations &violations,
                                        const QString &instrumentName,
                                        const QString &agName) = 0; // 22
    virtual int resetAgViolationStatus(const QString &instrumentName,
                                       const QString &agName) = 0; // 23
    virtual int resetAgAcquisitionStatus(const QString &instrumentName,
                                         const QString &agName) = 0;                        // 24
    virtual int startAcquisition(const QString &instrumentName, const QString &agName) = 0; // 25
    // 26; instrument name -> audiogroup name, the period in ms.
    virtual int startGenerateManualReport(const QMultiMap<QString, QString> &reports,
                                          qint64 durationMs) = 0;
    virtual int onManualReportFinished(const QString &nameKey, bool converted, bool failed,
                                       const QString &message) = 0; // 27
    virtual int requestDbImport(const QString &filePath, bool nameSuffixFlag,
                                const QString &nameSuffix) = 0; // 28
    virtual int cancelDbImport(int cancelKey) = 0;              // 29
    virtual int replyDbImportStatus(bool completed, bool failed, const QString &message,
                                    qint64 progress, qint64 total) = 0;     // 30
    virtual int requestHijackPermission(const QString &instrumentName) = 0; // 31
    // 32 and 33; the request id is the request's "name_time" key.
    virtual int allowHijack(const QString &instrumentName, const QString &requestId) = 0;
    virtual int denyHijack(const QString &instrumentName, const QString &requestId) = 0;

    // Posting operations to the backup controller.
    virtual int showBackupManager() = 0;                           // 0
    virtual int refreshBackups() = 0;                              // 1
    virtual int deleteBackups(const QList<BackupItem> &items) = 0; // 2

    // The owned objects; the last five are null until start-up has made them.
    virtual SystemController *getSystemController() = 0;
    virtual SystemViewController *getSystemViewController() = 0;
    virtual AddInstrumentViewController *getAddInstrumentViewController() = 0;
    virtual ConfirmationViewController *getConfirmationViewController() = 0;
    virtual SettingsViewController *getSettingsViewController() = 0;
    virtual GenerateReportViewController *getGenerateReportViewController() = 0;
    virtual DBImportViewController *getDBImportViewController() = 0;
    virtual ABackupManagerViewController *getBackupManagerViewController() = 0;
    virtual HijackRequestViewController *getHijackRequestViewController() = 0;
    virtual BackupController *getBackupController() = 0;
    virtual AlertManager *getAlertManager() = 0;
    virtual SMTPManager *getSMTPManager() = 0;
    virtual SMTPTestController *getSMTPTestController() = 0;
    virtual NUVNetworkAccessManager *getNetworkAccessManager() = 0;
    virtual SystemJanitor *getSystemJanitor() = 0;
    virtual InstrumentManager *getInstrumentManager() = 0;
    virtual ASplashScreen *getSplashScreen() = 0;
    virtual ClosingPleaseWaitDialog *getClosingDialog() = 0;
};
