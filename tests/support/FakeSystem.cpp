#include "FakeSystem.h"

#include <QMutexLocker>

namespace {

QVariantList pairs(const QMultiMap<QString, QString> &map)
{
    QVariantList list;
    for (auto it = map.cbegin(); it != map.cend(); ++it)
        list.append(QVariant(QStringList{it.key(), it.value()}));
    return list;
}

} // namespace

FakeSystem::FakeSystem(bool installNow)
{
    if (installNow)
        install();
}

FakeSystem::~FakeSystem()
{
    uninstall();
}

void FakeSystem::install()
{
    QMutexLocker lock(&m_mutex);
    if (m_installed)
        return;
    m_previous = ASystem::setInstance(this);
    m_installed = true;
}

void FakeSystem::uninstall()
{
    QMutexLocker lock(&m_mutex);
    if (!m_installed)
        return;
    if (ASystem::instance() == this)
        ASystem::setInstance(m_previous);
    m_installed = false;
}

void FakeSystem::record(const QString &name, const QVariantList &args)
{
    QMutexLocker lock(&m_mutex);
    m_calls.append(Call{name, args});
}

int FakeSystem::post(const QString &name, const QVariantList &args)
{
    QMutexLocker lock(&m_mutex);
    m_calls.append(Call{name, args});
    return m_postResult;
}

QList<FakeSystem::Call> FakeSystem::calls() const
{
    QMutexLocker lock(&m_mutex);
    return m_calls;
}

QStringList FakeSystem::callNames() const
{
    QMutexLocker lock(&m_mutex);
    QStringList names;
    for (const Call &call : m_calls)
        names.append(call.name);
    return names;
}

int FakeSystem::callCount(const QString &name) const
{
    return callNames().count(name);
}

FakeSystem::Call FakeSystem::lastCall(const QString &name) const
{
    QMutexLocker lock(&m_mutex);
    for (int i = m_calls.size() - 1; i >= 0; --i) {
        if (m_calls[i].name == name)
            return m_calls[i];
    }
    return Call{};
}

void FakeSystem::clearCalls()
{
    QMutexLocker lock(&m_mutex);
    m_calls.clear();
}

void FakeSystem::setPostResult(int result)
{
    QMutexLocker lock(&m_mutex);
    m_postResult = result;
}

void FakeSystem::setEmailResult(int result)
{
    QMutexLocker lock(&m_mutex);
    m_emailResult = result;
}

void FakeSystem::setCurrentConfig(const SystemConfig &config)
{
    QMutexLocker lock(&m_mutex);
    m_config = config;
}

void FakeSystem::addSmtpRequest(const SMTPRequest &request)
{
    QMutexLocker lock(&m_mutex);
    m_smtpRequests.push_back(request);
}

void FakeSystem::setObjects(const Objects &objects)
{
    QMutexLocker lock(&m_mutex);
    m_objects = objects;
}

QList<SystemConfig> FakeSystem::appliedConfigs() const
{
    QMutexLocker lock(&m_mutex);
    return m_appliedConfigs;
}

QList<InstrumentConfig> FakeSystem::instrumentConfigChanges() const
{
    QMutexLocker lock(&m_mutex);
    return m_instrumentConfigChanges;
}

QList<QList<AcquisitionAg>> FakeSystem::acquisitionStatusUpdates() const
{
    QMutexLocker lock(&m_mutex);
    return m_acquisitionStatusUpdates;
}

QList<AgViolations> FakeSystem::violationUpdates() const
{
    QMutexLocker lock(&m_mutex);
    return m_violationUpdates;
}

QStringList FakeSystem::alertTexts() const
{
    QMutexLocker lock(&m_mutex);
    QStringList texts;
    for (const Call &call : m_calls)
        if (call.name == QLatin1String("showAlert"))
            texts << call.args.value(0).toString();
    return texts;
}

int FakeSystem::alertCount() const
{
    QMutexLocker lock(&m_mutex);
    return static_cast<int>(m_alerts.size());
}

std::vector<Alert> FakeSystem::alerts() const
{
    QMutexLocker lock(&m_mutex);
    return m_alerts;
}

std::vector<SMTPRequest> FakeSystem::queuedEmails() const
{
    QMutexLocker lock(&m_mutex);
    return m_queuedRequests;
}

int FakeSystem::queuedEmailCount() const
{
    QMutexLocker lock(&m_mutex);
    return m_queuedEmails;
}

QList<QList<BackupItem>> FakeSystem::backupDeletes() const
{
    QMutexLocker lock(&m_mutex);
    return m_backupDeletes;
}

int FakeSystem::instrumentReplyCount() const
{
    QMutexLocker lock(&m_mutex);
    return static_cast<int>(m_instrumentReplies.size());
}

QVariantList FakeSystem::instrumentReply(int index) const
{
    QMutexLocker lock(&m_mutex);
    if (index < 0 || index >= static_cast<int>(m_instrumentReplies.size()))
        return {};
    const InstrumentDeviceNetworkInterfaceReply &reply = *m_instrumentReplies[index];
    return {reply.getInstrumentId(), reply.getRequestId(), reply.getNetworkError(),
            reply.getReplyData() ? *reply.getReplyData() : QString(), reply.getHttpStatus()};
}

InstrumentManager *FakeSystem::instrumentManager() const
{
    QMutexLocker lock(&m_mutex);
    return m_instrumentManager;
}

int FakeSystem::start()
{
    record(QStringLiteral("start"));
    return 0;
}

void FakeSystem::close()
{
    record(QStringLiteral("close"));
}

void FakeSystem::showAboutWindow()
{
    record(QStringLiteral("showAboutWindow"));
}

void FakeSystem::showAlert(const QString &text)
{
    record(QStringLiteral("showAlert"), {text});
}

SystemConfig FakeSystem::getSystemConfig()
{
    QMutexLocker lock(&m_mutex);
    return m_config;
}

void FakeSystem::setSystemConfig(const SystemConfig &config)
{
    QMutexLocker lock(&m_mutex);
    m_calls.append(Call{QStringLiteral("setSystemConfig"), {}});
    m_config = config;
    m_appliedConfigs.append(config);
}

void FakeSystem::postSystemConfig(const SystemConfig &config)
{
    QMutexLocker lock(&m_mutex);
    m_calls.append(Call{QStringLiteral("postSystemConfig"), {}});
    m_config = config;
    m_appliedConfigs.append(config);
}

void FakeSystem::addAlert(const Alert &alert)
{
    QMutexLocker lock(&m_mutex);
    m_calls.append(Call{QStringLiteral("addAlert"), {}});
    m_alerts.push_back(alert);
}

void FakeSystem::queueEmails(const std::vector<SMTPRequest> &requests, int &result)
{
    QMutexLocker lock(&m_mutex);
    m_calls.append(Call{QStringLiteral("queueEmails"), {static_cast<int>(requests.size())}});
    result = m_emailResult;
    if (result == 0) {
        m_queuedEmails += static_cast<int>(requests.size());
        m_queuedRequests.insert(m_queuedRequests.end(), requests.begin(), requests.end());
    }
}

SMTPRequest FakeSystem::takeNextSmtpRequest(int &result)
{
    QMutexLocker lock(&m_mutex);
    m_calls.append(Call{QStringLiteral("takeNextSmtpRequest"), {}});
    if (m_smtpRequests.empty()) {
        result = -1;
        return SMTPRequest();
    }
    result = 0;
    SMTPRequest request = m_smtpRequests.front();
    m_smtpRequests.pop_front();
    return request;
}

void FakeSystem::setInstrumentManager(InstrumentManager *manager)
{
    QMutexLocker lock(&m_mutex);
    m_calls.append(Call{QStringLiteral("setInstrumentManager"), {}});
    m_instrumentManager = manager;
}

int FakeSystem::onInstrumentReply(InstrumentDeviceNetworkInterfaceReply *reply)
{
    QMutexLocker lock(&m_mutex);
    m_calls.append(Call{QStringLiteral("onInstrumentReply"), {}});
    std::unique_ptr<InstrumentDeviceNetworkInterfaceReply> owned(reply);
    if (m_postResult != 0)
        return m_postResult; // refused: freed like a refused command
    if (owned)
        m_instrumentReplies.push_back(std::move(owned));
    return 0;
}

int FakeSystem::changeInstrumentConfig(const InstrumentConfig &config)
{
    QMutexLocker lock(&m_mutex);
    m_calls.append(Call{QStringLiteral("changeInstrumentConfig"), {config.getName()}});
    m_instrumentConfigChanges.append(config);
    return m_postResult;
}

int FakeSystem::onAddDeviceReply(int requestId, int networkError, QString *replyData)
{
    std::unique_ptr<QString> owned(replyData);
    return post(QStringLiteral("onAddDeviceReply"),
                {requestId, networkError, owned ? *owned : QString()});
}

int FakeSystem::startAddInstrument()
{
    return post(QStringLiteral("startAddInstrument"));
}

int FakeSystem::submitAddInstrument(const QString &address, const QString &password)
{
    return post(QStringLiteral("submitAddInstrument"), {address, password});
}

int FakeSystem::cancelAddInstrument()
{
    return post(QStringLiteral("cancelAddInstrument"));
}

int FakeSystem::removeAudiogroups(const QMultiMap<QString, QString> &selection)
{
    return post(QStringLiteral("removeAudiogroups"), pairs(selection));
}

int FakeSystem::openSettings()
{
    return post(QStringLiteral("openSettings"));
}
int FakeSystem::cancelSettings()
{
    return post(QStringLiteral("cancelSettings"));
}
int FakeSystem::saveSettings()
{
    return post(QStringLiteral("saveSettings"));
}

int FakeSystem::confirmDeleteAudiogroups()
{
    return post(QStringLiteral("confirmDeleteAudiogroups"));
}

int FakeSystem::cancelDeleteAudiogroups()
{
    return post(QStringLiteral("cancelDeleteAudiogroups"));
}
int FakeSystem::startManualAcquisition()
{
    return post(QStringLiteral("startManualAcquisition"));
}
int FakeSystem::stopManualAcquisition()
{
    return post(QStringLiteral("stopManualAcquisition"));
}
int FakeSystem::startAutoAcquisition()
{
    return post(QStringLiteral("startAutoAcquisition"));
}
int FakeSystem::stopAutoAcquisition()
{
    return post(QStringLiteral("stopAutoAcquisition"));
}

int FakeSystem::enableAgLogging(const QString &instrumentName, const QString &agName)
{
    return post(QStringLiteral("enableAgLogging"), {instrumentName, agName});
}

int FakeSystem::disableAgLogging(const QString &instrumentName, const QString &agName)
{
    return post(QStringLiteral("disableAgLogging"), {instrumentName, agName});
}

int FakeSystem::requestStatusRefresh()
{
    return post(QStringLiteral("requestStatusRefresh"));
}

int FakeSystem::updateAcquisitionStatus(const QList<AcquisitionAg> &status)
{
    QMutexLocker lock(&m_mutex);
    m_calls.append(Call{QStringLiteral("updateAcquisitionStatus"), {status.size()}});
    m_acquisitionStatusUpdates.append(status);
    return m_postResult;
}

int FakeSystem::updateAgViolationStatus(const AgViolations &violations,
                                        const QString &instrumentName, const QString &agName)
{
    QMutexLocker lock(&m_mutex);
    m_calls.append(Call{QStringLiteral("updateAgViolationStatus"), {instrumentName, agName}});
    m_violationUpdates.append(violations);
    return m_postResult;
}

int FakeSystem::resetAgViolationStatus(const QString &instrumentName, const QString &agName)
{
    return post(QStringLiteral("resetAgViolationStatus"), {instrumentName, agName});
}

int FakeSystem::resetAgAcquisitionStatus(const QString &instrumentName, const QString &agName)
{
    return post(QStringLiteral("resetAgAcquisitionStatus"), {instrumentName, agName});
}

int FakeSystem::startAcquisition(const QString &instrumentName, const QString &agName)
{
    return post(QStringLiteral("startAcquisition"), {instrumentName, agName});
}

int FakeSystem::startGenerateManualReport(const QMultiMap<QString, QString> &reports,
                                          qint64 durationMs)
{
    QVariantList args = pairs(reports);
    args.append(durationMs);
    return post(QStringLiteral("startGenerateManualReport"), args);
}

int FakeSystem::onManualReportFinished(const QString &nameKey, bool converted, bool failed,
                                       const QString &message)
{
    return post(QStringLiteral("onManualReportFinished"), {nameKey, converted, failed, message});
}

int FakeSystem::requestDbImport(const QString &filePath, bool nameSuffixFlag,
                                const QString &nameSuffix)
{
    return post(QStringLiteral("requestDbImport"), {filePath, nameSuffixFlag, nameSuffix});
}

int FakeSystem::cancelDbImport(int cancelKey)
{
    return post(QStringLiteral("cancelDbImport"), {cancelKey});
}

int FakeSystem::replyDbImportStatus(bool completed, bool failed, const QString &message,
                                    qint64 progress, qint64 total)
{
    return post(QStringLiteral("replyDbImportStatus"),
                {completed, failed, message, progress, total});
}

int FakeSystem::requestHijackPermission(const QString &instrumentName)
{
    return post(QStringLiteral("requestHijackPermission"), {instrumentName});
}

int FakeSystem::allowHijack(const QString &instrumentName, const QString &requestId)
{
    return post(QStringLiteral("allowHijack"), {instrumentName, requestId});
}

int FakeSystem::denyHijack(const QString &instrumentName, const QString &requestId)
{
    return post(QStringLiteral("denyHijack"), {instrumentName, requestId});
}

int FakeSystem::showBackupManager()
{
    return post(QStringLiteral("showBackupManager"));
}
int FakeSystem::refreshBackups()
{
    return post(QStringLiteral("refreshBackups"));
}

int FakeSystem::deleteBackups(const QList<BackupItem> &items)
{
    QMutexLocker lock(&m_mutex);
    m_calls.append(Call{QStringLiteral("deleteBackups"), {items.size()}});
    m_backupDeletes.append(items);
    return m_postResult;
}

#define FAKE_ACCESSOR(Type, getter, member)                                                        \
    Type *FakeSystem::getter()                                                                     \
    {                                                                                              \
        QMutexLocker lock(&m_mutex);                                                               \
        return m_objects.member;                                                                   \
    }

FAKE_ACCESSOR(SystemController, getSystemController, systemController)
FAKE_ACCESSOR(SystemViewController, getSystemViewController, systemViewController)
FAKE_ACCESSOR(AddInstrumentViewController, getAddInstrumentViewController,
              addInstrumentViewController)
FAKE_ACCESSOR(ConfirmationViewController, getConfirmationViewController, confirmationViewController)
FAKE_ACCESSOR(SettingsViewController, getSettingsViewController, settingsViewController)
FAKE_ACCESSOR(GenerateReportViewController, getGenerateReportViewController,
              generateReportViewController)
FAKE_ACCESSOR(DBImportViewController, getDBImportViewController, dbImportViewController)
FAKE_ACCESSOR(ABackupManagerViewController, getBackupManagerViewController,
              backupManagerViewController)
FAKE_ACCESSOR(HijackRequestViewController, getHijackRequestViewController,
              hijackRequestViewController)
FAKE_ACCESSOR(BackupController, getBackupController, backupController)
FAKE_ACCESSOR(AlertManager, getAlertManager, alertManager)
FAKE_ACCESSOR(SMTPManager, getSMTPManager, smtpManager)
FAKE_ACCESSOR(SMTPTestController, getSMTPTestController, smtpTestController)
FAKE_ACCESSOR(NUVNetworkAccessManager, getNetworkAccessManager, networkAccessManager)
FAKE_ACCESSOR(SystemJanitor, getSystemJanitor, systemJanitor)
FAKE_ACCESSOR(ASplashScreen, getSplashScreen, splashScreen)
FAKE_ACCESSOR(ClosingPleaseWaitDialog, getClosingDialog, closingDialog)

#undef FAKE_ACCESSOR

InstrumentManager *FakeSystem::getInstrumentManager()
{
    return instrumentManager();
}
