#include "AddInstrumentConfigManagementOperation.h"

#include <ASystem.h>
#include <AddInstrumentViewController.h>
#include <ConfigNames.h>
#include <GetConfigRequest.h>
#include <GetConfigResponse.h>
#include <InstrumentManager.h>
#include <ReplyText.h>
#include <SystemConfig.h>

#include <QNetworkReply>
#include <QRegularExpression>
#include <QStringList>

namespace {

const char *const kLoopbackName = "localhost";

AddInstrumentViewController *addInstrumentView()
{
    ASystem *system = ASystem::instance();
    return system ? system->getAddInstrumentViewController() : nullptr;
}

// Why the reported names cannot be stored, or empty. Empty names are left to the
// configuration check.
QString namesProblem(const InstrumentConfig &config)
{
    QString message;
    if (!config.getName().isEmpty() &&
        !checkConfigKeyName(config.getName(), QStringLiteral("Instrument"), &message))
        return message;
    const QList<AgConfig> agConfigs = config.getAgConfigs();
    for (const AgConfig &agConfig : agConfigs) {
        if (!agConfig.getName().isEmpty() &&
            !checkConfigKeyName(agConfig.getName(), QStringLiteral("Audiogroup"), &message))
            return message;
    }
    return QString();
}

} // namespace

AddInstrumentConfigManagementOperation::AddInstrumentConfigManagementOperation(int type, int id)
    : AConfigManagementOperation(type, id)
{
}

AddInstrumentConfigManagementOperation::~AddInstrumentConfigManagementOperation() = default;

void AddInstrumentConfigManagementOperation::submit(const QString &address, const QString &password)
{
    m_address = address;
    m_password = password;
    m_submitted = true;
}

void AddInstrumentConfigManagementOperation::cancel()
{
    m_cancelled = true;
    setShowResult(false);
}

bool AddInstrumentConfigManagementOperation::isValidAddress(const QString &address)
{
    if (address.compare(QLatin1String(kLoopbackName), Qt::CaseInsensitive) == 0)
        return true;
    static const QRegularExpression part(QRegularExpression::anchoredPattern(
        QStringLiteral("(?:[0-1]?[0-9]?[0-9]|2[0-4][0-9]|25[0-5])")));
    const QStringList parts = address.split(QLatin1Char('.'), Qt::SkipEmptyParts);
    if (parts.size() != 4)
        return false;
    for (const QString &text : parts) {
        if (!part.match(text).hasMatch())
            return false;
    }
    return true;
}

QString AddInstrumentConfigManagementOperation::normalizedAddress(const QString &address)
{
    if (!isValidAddress(address) ||
        address.compare(QLatin1String(kLoopbackName), Qt::CaseInsensitive) == 0)
        return address;
    QStringList parts = address.split(QLatin1Char('.'), Qt::SkipEmptyParts);
    for (QString &text : parts)
        text = QString::number(text.toInt());
    return parts.join(QLatin1Char('.'));
}

bool AddInstrumentConfigManagementOperation::isOwnRequestId(const QString &reqid) const
{
    const QStringList parts = reqid.split(QLatin1Char(':'), Qt::SkipEmptyParts);
    if (parts.size() != 2)
        return false;
    bool ok = false;
    const int id = parts[0].toInt(&ok, 10);
    // The counter part is not compared: a late reply to an earlier request is as good.
    return ok && id == getId();
}

bool AddInstrumentConfigManagementOperation::isValidDeviceConfig(const InstrumentConfig &config)
{
    if (config.getName().isEmpty() || config.getAgConfigCount() == 0)
        return false;
    const QList<AgConfig> agConfigs = config.getAgConfigs();
    for (const AgConfig &agConfig : agConfigs) {
        if (agConfig.getName().isEmpty())
            return false;
    }
    return true;
}

void AddInstrumentConfigManagementOperation::step()
{
    switch (m_state) {
    case StateWaiting:
        stepWaiting();
        break;
    case StateConnecting:
        stepConnecting();
        break;
    case StateAdding:
        stepAdding();
        break;
    default:
        break;
    }
}

void AddInstrumentConfigManagementOperation::stepWaiting()
{
    AddInstrumentViewController *view = addInstrumentView();
    if (view)
        emit view->show();
    if (m_submitted) {
        if (view) {
            emit view->hide();
            view->showPleaseWait(QStringLiteral("Please wait. Connecting..."));
        }
        m_state = StateConnecting;
        setDeadline(nowMs() + kDeadlineMs);
        m_lastSendTime = 0;
    } else if (m_cancelled) {
        hideDialogs();
        setShowResult(false);
        setCompleted(QString());
    }
}

void AddInstrumentConfigManagementOperation::stepConnecting()
{
    if (m_replyStatus == 0) {
        m_state = StateAdding;
        return;
    }
    if (m_replyStatus == 6) {
        setFailed(QStringLiteral("Could not add device because the password is incorrect. "
                                 "%1 refused the login.")
                      .arg(m_address));
        m_state = StateAdding;
        return;
    }
    // Asking again would only bring the same answer.
    switch (m_networkError) {
    case QNetworkReply::ConnectionRefusedError:
        setFailed(QStringLiteral("Could not add device at %1: the connection was refused.")
                      .arg(m_address));
        return;
    case QNetworkReply::HostNotFoundError:
        setFailed(QStringLiteral("Could not add device at %1: the address was not found.")
                      .arg(m_address));
        return;
    case QNetworkReply::ContentNotFoundError:
        setFailed(QStringLiteral("Could not add device at %1: the meter's configuration was "
                                 "not found there.")
                      .arg(m_address));
        return;
    default:
        break;
    }
    if (!isValidAddress(m_address)) {
        setFailed(QStringLiteral("Invalid ip address or password."));
        return;
    }
    // One form of an address is sent and stored, however it was typed.
    m_address = normalizedAddress(m_address);
    if (nowMs() - m_lastSendTime >= kResendMs)
        sendRequest();
}

void AddInstrumentConfigManagementOperation::sendRequest()
{
    GetConfigRequest request(
        QStringLiteral("%1%2%3").arg(getId()).arg(QStringLiteral(":")).arg(m_requestCounter));
    request.setCredentials(m_password, QString());
    // Direct connection: the transport has posted when the emit returns.
    emit networkRequest(ARequest::GETCONFIG, &request, QStringLiteral("http://%1").arg(m_address),
                        QString::number(kPort));
    ++m_requestCounter;
    m_lastSendTime = nowMs();
}

void AddInstrumentConfigManagementOperation::onNetworkReply(int networkError, int,
                                                            const QString *text)
{
    if (m_state != StateConnecting)
        return;
    m_networkError = networkError;
    if (networkError != 0 || !text) {
        m_replyStatus = -1;
        return;
    }
    m_answered = true;
    GetConfigResponse reply;
    reply.parse(replyDocumentText(*text));
    m_replyStatus = reply.getCode();
    if (m_replyStatus != 0)
        return;
    if (!isOwnRequestId(reply.getReqId())) {
        m_replyStatus = -1;
        return;
    }
    const InstrumentConfig reported = reply.getInstrumentConfig();
    // A reply refused only for its names is answered with the reason, not with a time-out.
    const QString problem = reply.isValid() ? QString() : namesProblem(reported);
    if (!reply.isValid() && problem.isEmpty()) {
        m_replyStatus = -1;
        return;
    }
    m_nameProblem = problem;
    m_deviceConfig = reported;
    m_deviceConfig.setIpAdr(QStringLiteral("http://%1").arg(m_address));
    m_deviceConfig.setPass(m_password);
}

QString AddInstrumentConfigManagementOperation::checkDeviceConfig() const
{
    ASystem *system = ASystem::instance();
    const SystemConfig current = system ? system->getSystemConfig() : SystemConfig();
    const InstrumentConfig &added = m_deviceConfig;
    const QString name = added.getName();

    if (current.hasInstrument(name)) {
        const InstrumentConfig stored = current.getInstrument(name);
        if (stored.getIpAdr() != added.getIpAdr() && !stored.areAllAgConfigsImported())
            return QStringLiteral("Could not add device because there is another device in the "
                                  "network with the same \"Identification for Logging\" system "
                                  "setting and a different IP");
        if (stored.hasImportedStateMismatch(added))
            return QStringLiteral("Could not add device %1 because of the audiogroup %2 that "
                                  "already exists as imported.")
                .arg(name, stored.getImportedStateMismatchAg(added));
    }
    if (current.hasInstrumentWithIp(added.getIpAdr())) {
        const InstrumentConfig atAddress = current.getInstrumentByIp(added.getIpAdr());
        if (atAddress.getName() != name && !atAddress.areAllAgConfigsImported())
            return QStringLiteral("Could not add device %1 because there is %2 running at this "
                                  "ip address.")
                .arg(atAddress.getName(), name);
    }
    if (added.getAgConfigCount() == 0)
        return QStringLiteral("Could not add device because there is no logging service in the "
                              "audiogroup defined!");

    // Only the audiogroups the device really adds count against the limit.
    const InstrumentConfig stored = current.getInstrument(name);
    QList<AgConfig> newAgConfigs;
    const QList<AgConfig> agConfigs = added.getAgConfigs();
    for (const AgConfig &agConfig : agConfigs) {
        if (!current.hasInstrument(name) || !stored.hasAgConfig(agConfig.getName()))
            newAgConfigs.append(agConfig);
    }
    const int total = current.getAgConfigCount() + newAgConfigs.size();
    if (total > kMaxAudioGroups)
        return QStringLiteral("Could not add device. You tried to add %1 audiogroups, and that is "
                              "%2 more than the maximum allowed.")
            .arg(newAgConfigs.size())
            .arg(total - kMaxAudioGroups);

    if (!isValidDeviceConfig(added))
        return QStringLiteral("Add device operation failed because of invalid configuration.");
    if (!m_nameProblem.isEmpty())
        return QStringLiteral("Could not add device. %1").arg(m_nameProblem);

    SystemConfig merged = current;
    merged.addOrUpdateInstrument(added);
    for (const AgConfig &agConfig : qAsConst(newAgConfigs)) {
        QString otherInstrument;
        QString otherSource;
        if (agDbFileCollides(merged, name, agConfig.getName(), &otherInstrument, &otherSource))
            return QStringLiteral("Could not add device %1 because its audiogroup %2 would use "
                                  "the same database file as the audiogroup %3 of %4.")
                .arg(name, agConfig.getName(), otherSource, otherInstrument);
    }
    return QString();
}

void AddInstrumentConfigManagementOperation::stepAdding()
{
    const QString problem = checkDeviceConfig();
    if (!problem.isEmpty()) {
        // The please-wait box stays until the controller's next idle cycle.
        setFailed(problem);
        return;
    }
    if (applyConfigChange() == 0)
        setCompleted(QStringLiteral("Instrument successfully added"));
    else
        setFailed(QStringLiteral("Could not add the instrument to the configuration"));
    hideDialogs();
}

void AddInstrumentConfigManagementOperation::changeSystemConfig()
{
    ASystem *system = ASystem::instance();
    if (!system)
        return;
    SystemConfig current = system->getSystemConfig();
    // A Name already held keeps its stored audiogroup settings.
    current.addOrUpdateInstrument(m_deviceConfig);
    publishAndSave(current);
}

QString AddInstrumentConfigManagementOperation::timeoutMessage() const
{
    const QString cause = m_answered
                              ? QStringLiteral("%1 answered, but not with its configuration.")
                              : QStringLiteral("No answer from %1 in time.");
    return AConfigManagementOperation::timeoutMessage() + QLatin1Char(' ') + cause.arg(m_address);
}

void AddInstrumentConfigManagementOperation::abort()
{
    if (InstrumentManager *manager = instrumentManager())
        manager->unpauseAll();
    hideDialogs();
}

void AddInstrumentConfigManagementOperation::hideDialogs()
{
    if (AddInstrumentViewController *view = addInstrumentView()) {
        emit view->hide();
        emit view->hidePleaseWaitDialog();
    }
}
