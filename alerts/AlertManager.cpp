#include "AlertManager.h"

#include "AlertEmailXMLComposer.h"
#include "SMTPRequest.h"

#include <ASystem.h>
#include <AlertContactConfig.h>
#include <ConfigQuery.h>
#include <ConfigValidators.h>
#include <KivResources.h>
#include <ORQLogging.h>

#include <QBuffer>
#include <QFile>
#include <QXmlQuery>

#include <algorithm>
#include <exception>

const char *const AlertManager::kTemplatePath = ":/assets/smtp/alerts/template.xsl";
const char *const AlertManager::kSubject = "KIV Alert";

AlertManager::AlertManager() : KivThread(nullptr)
{
    m_monotonic.start();
    initKivResources();
}

AlertManager::~AlertManager()
{
    stop();
    wait();
}

void AlertManager::addAlert(Alert alert)
{
    QMutexLocker lock(&m_alertsMutex);
    if (!m_alertsEnabled)
        return;
    if (m_alerts.size() >= static_cast<size_t>(kMaxAlerts)) {
        const size_t removed = m_alerts.size() - (kMaxAlerts - 1);
        const auto end = m_alerts.begin() + static_cast<std::ptrdiff_t>(removed);
        const auto unsent = std::count_if(m_alerts.begin(), end, [this](const HeldAlert &held) {
            return held.number > m_lastSentNumber;
        });
        m_alerts.erase(m_alerts.begin(), end);
        if (unsent > 0)
            KIV_LOG(4, "Lost %d alerts without being able to send it\n", int(unsent));
    }
    m_alerts.push_back(HeldAlert{m_nextNumber++, std::move(alert)});
    lock.unlock();
    m_waker.wake();
}

void AlertManager::setSystemConfig(SystemConfig config)
{
    const bool enabled = config.getAlertsEnabled();
    m_config.setSystemConfig(std::move(config));
    {
        QMutexLocker lock(&m_alertsMutex);
        if (!enabled)
            m_lastSentNumber = m_nextNumber - 1;
        m_alertsEnabled = enabled;
    }
    m_waker.wake();
}

int AlertManager::alertCount() const
{
    QMutexLocker lock(&m_alertsMutex);
    return static_cast<int>(m_alerts.size());
}

void AlertManager::stop()
{
    m_stop = true;
    m_waker.wake();
}

bool AlertManager::isStopped() const
{
    return !isRunning() && !m_inLoop;
}

void AlertManager::setClock(Clock clock)
{
    QMutexLocker lock(&m_alertsMutex);
    m_clock = std::move(clock);
}

qint64 AlertManager::now() const
{
    Clock clock;
    {
        QMutexLocker lock(&m_alertsMutex);
        clock = m_clock;
    }
    return clock ? clock() : m_monotonic.elapsed();
}

void AlertManager::loop()
{
    m_inLoop = true;
    while (!m_stop) {
        try {
            step();
        } catch (const std::exception &e) {
            KIV_LOG(2, "Exception in AlertManager: %s\n", e.what());
        }
        m_waker.waitFor(msUntilNextPass());
    }
    m_inLoop = false;
}

qint64 AlertManager::msUntilNextPass() const
{
    if (m_waitingForQueue)
        return kPassMs;
    {
        // Nothing to hand over: the next alert wakes the thread.
        QMutexLocker lock(&m_alertsMutex);
        if (m_alerts.empty() || m_alerts.back().number <= m_lastSentNumber)
            return kQuietPassMs;
    }
    if (m_lastCheckTime < 0)
        return kIdlePassMs;
    const qint64 due = kMailSpacingMs + 1 - (now() - m_lastCheckTime);
    return std::max<qint64>(1, std::min<qint64>(due, kIdlePassMs));
}

void AlertManager::step()
{
    m_waitingForQueue = false;
    const SystemConfig config = m_config.getSystemConfig();
    if (!config.getAlertsEnabled())
        return;
    // Strictly more than the spacing; a clock that went back is not due either.
    if (m_lastCheckTime >= 0 && now() - m_lastCheckTime <= kMailSpacingMs)
        return;
    const Batch batch = collectBatch();
    if (batch.alerts.empty() || !isEmailConfigured(config))
        return;

    int result = -1;
    sendAlerts(batch, config, result);
    if (result == 0) {
        markSent(batch.last);
        m_lastCheckTime = now();
        m_loggedBatch = 0;
        m_composed = Composed();
        return;
    }
    if (result == kComposeFailed) {
        // It would fail again at every pass and hold back every later alert.
        KIV_LOG(4, "Could not compose email\n");
        markSent(batch.last);
        return;
    }
    // Tried again at every pass until the queue has room; said once.
    m_waitingForQueue = true;
    if (m_loggedBatch == batch.first)
        return;
    m_loggedBatch = batch.first;
    if (result == kQueueOverflow)
        KIV_LOG(4, "Could not queue SMTP requests because overflown queue\n");
    else
        KIV_LOG(4, "Could not queue SMTP task because of unknown reasons\n");
}

AlertManager::Batch AlertManager::collectBatch() const
{
    QMutexLocker lock(&m_alertsMutex);
    Batch batch;
    auto it = std::partition_point(m_alerts.begin(), m_alerts.end(), [this](const HeldAlert &h) {
        return h.number <= m_lastSentNumber;
    });
    if (it == m_alerts.end())
        return batch;
    batch.first = it->number;
    for (; it != m_alerts.end(); ++it) {
        batch.alerts.push_back(it->alert);
        batch.last = it->number;
    }
    return batch;
}

void AlertManager::markSent(quint64 lastNumber)
{
    QMutexLocker lock(&m_alertsMutex);
    m_lastSentNumber = std::max(m_lastSentNumber, lastNumber);
}

bool AlertManager::isEmailConfigured(const SystemConfig &config)
{
    SMTPConfig smtp = config.getSMTPConfig();
    SMTPConfigValidator smtpValidator;
    smtpValidator.setConfig(&smtp);
    QString message;
    if (!smtpValidator.validate(message, false))
        return false;
    for (AlertContactConfig contact : config.getAlertContacts()) {
        AlertContactConfigValidator validator;
        validator.setConfig(&contact);
        if (validator.validate(message, false))
            return true;
    }
    return false;
}

void AlertManager::sendAlerts(const Batch &batch, const SystemConfig &config, int &result)
{
    result = -1;
    // A full queue is asked again at every pass; the body of 3000 alerts takes a few
    // hundred milliseconds to compose.
    if (m_composed.first != batch.first || m_composed.last != batch.last) {
        m_composed.first = batch.first;
        m_composed.last = batch.last;
        m_composed.body = composeEmailBody(batch.alerts, m_composed.result);
    }
    if (m_composed.result != 0) {
        result = kComposeFailed;
        return;
    }
    const QString &body = m_composed.body;
    const SMTPConfig smtp = config.getSMTPConfig();
    std::vector<SMTPRequest> requests;
    for (AlertContactConfig contact : config.getAlertContacts()) {
        AlertContactConfigValidator validator;
        validator.setConfig(&contact);
        QString message;
        if (!validator.validate(message, false))
            continue;
        requests.emplace_back(nextRequestId(), smtp, smtp.getSenderEmailAddress(),
                              smtp.getUser(), contact.getEmail(), contact.getName(),
                              QString::fromLatin1(kSubject), body);
    }
    ASystem *system = ASystem::instance();
    if (!system)
        return;
    int queued = -1;
    system->queueEmails(requests, queued);
    result = queued == 0 ? 0 : kQueueOverflow;
}

namespace {

// The alert e-mail template, compiled once per thread. QtXmlPatterns never frees some 45 KB
// of every template it compiles, which a program that runs for months would feel.
struct CompiledTemplate
{
    QByteArray text;
    QBuffer input;
    // The document in hand; kept beside the query that refers to it.
    QByteArray document;
    QBuffer documentInput;
    MsgHandler messages;
    QXmlQuery query{QXmlQuery::XSLT20};
    bool tried = false;
    bool valid = false;
};

} // namespace

QString AlertManager::composeEmailBody(const std::vector<Alert> &batch, int &result)
{
    result = -1;
    thread_local CompiledTemplate compiled;
    compiled.documentInput.close();
    compiled.document = AlertEmailXMLComposer(batch).compose().toUtf8();
    compiled.documentInput.setBuffer(&compiled.document);
    compiled.documentInput.open(QIODevice::ReadOnly);
    QBuffer &input = compiled.documentInput;
    compiled.messages.clear();
    if (!compiled.tried) {
        // The embedded template cannot change: one attempt is enough.
        compiled.tried = true;
        QFile stylesheet(QString::fromLatin1(kTemplatePath));
        if (!stylesheet.open(QIODevice::ReadOnly)) {
            KIV_LOG(2, "Alert e-mail template %s cannot be read: %s\n", kTemplatePath,
                    qUtf8Printable(stylesheet.errorString()));
            return QString();
        }
        compiled.text = stylesheet.readAll();
        compiled.input.setBuffer(&compiled.text);
        compiled.input.open(QIODevice::ReadOnly);
        compiled.query.setMessageHandler(&compiled.messages);
        // The focus comes first: the template is compiled against it.
        compiled.valid = compiled.query.setFocus(&input);
        if (compiled.valid) {
            compiled.query.setQuery(&compiled.input, QUrl());
            compiled.valid = compiled.query.isValid();
        }
        if (!compiled.valid) {
            KIV_LOG(2, "Alert e-mail template cannot be compiled: %s\n",
                    qUtf8Printable(compiled.messages.firstMessage()));
            return QString();
        }
    } else if (!compiled.valid || !compiled.query.setFocus(&input)) {
        return QString();
    }
    QString body;
    if (compiled.query.evaluateTo(&body))
        result = 0;
    else
        KIV_LOG(2, "Alert e-mail template failed: %s\n",
                qUtf8Printable(compiled.messages.firstMessage()));
    return body;
}

QString AlertManager::nextRequestId()
{
    const QString id = QStringLiteral("AlertManager_SMTPReq_%1").arg(m_requestCounter);
    m_requestCounter = (m_requestCounter + 2) % 999999;
    return id;
}
