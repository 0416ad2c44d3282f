#include "HttpDeviceNetworkInterface.h"

#include "NUVNetworkAccessManager.h"
#include "TimeoutNetworkReply.h"

#include "config/SystemConfig.h"
#include "core/ASystem.h"

#include <ORQLogging.h>

#include <QElapsedTimer>
#include <QList>
#include <QMultiMap>
#include <QMutex>
#include <QNetworkReply>
#include <QNetworkRequest>

#include <exception>

namespace {

// How often a meter's thread looks again at a send the network thread has not yet posted.
constexpr qint64 kUnpostedPollMs = 10;

struct CollectedReply
{
    int type = 0;
    int error = 0;
    int httpStatus = 0;
    // As received; decoded by the meter's thread, and only when a reader needs the text.
    QByteArray body;
    bool hasBody = false;
};

} // namespace

class HttpDeviceNetworkInterface::Pending
{
public:
    explicit Pending(const QString &name) : m_name(name) {}
    ~Pending() { qDeleteAll(m_replies); }

    QMutex m_mutex;
    QString m_name;
    // Command type -> reply in flight (owned); zero or one entry.
    QMultiMap<int, TimeoutNetworkReply *> m_replies;
    // A send handed to the network thread and not yet posted there; counts as in flight.
    bool m_sending = false;
    QElapsedTimer m_sendClock;
    int m_sendTimeoutMs = 0;
    bool m_closed = false;

    // Network thread, inside the post: from here on no signal of the reply can be missed.
    // Null when the post was not made: the interface is free for the next send.
    void watch(const std::shared_ptr<Pending> &self, const std::shared_ptr<NetworkLink> &link,
               int type, QNetworkReply *reply, int timeoutMs)
    {
        {
            QMutexLocker lock(&m_mutex);
            m_sending = false;
            if (!reply)
                return;
            if (!m_closed) {
                m_replies.insert(type, new TimeoutNetworkReply(reply, timeoutMs, link));
            } else {
                link->releaseReply(reply);
                return;
            }
        }
        QObject *context = NetworkLink::watcher(reply);
        QObject::connect(reply, &QNetworkReply::finished, context,
                         [self] { self->collectReplies(); });
        QObject::connect(reply, &QNetworkReply::errorOccurred, context,
                         [self](QNetworkReply::NetworkError) { self->collectReplies(); });
        // A body beyond the limit is refused as soon as it is announced or held.
        auto checkSize = [self, reply] {
            const qint64 announced =
                reply->header(QNetworkRequest::ContentLengthHeader).toLongLong();
            if (announced > kMaxReplyBytes || reply->bytesAvailable() > kMaxReplyBytes)
                self->failOversized(reply);
        };
        QObject::connect(reply, &QNetworkReply::metaDataChanged, context, checkSize);
        QObject::connect(reply, &QNetworkReply::readyRead, context, checkSize);
    }

    // Under m_mutex; at the start of a send only.
    void sweepTimedOutReplies()
    {
        for (auto it = m_replies.begin(); it != m_replies.end();) {
            if (it.value()->isTimedOut()) {
                // The same text each time: the log counts the repeats of a meter that hangs.
                KIV_LOG(2, "Device[%s] request %s given up: no answer within %d ms\n",
                        qUtf8Printable(m_name), qUtf8Printable(requestCommandPath(it.key())),
                        it.value()->getTimeoutMs());
                delete it.value(); // aborts and deletes the reply on the network thread
                it = m_replies.erase(it);
            } else {
                ++it;
            }
        }
    }

    // Network thread, from the reply's signals.
    void collectReplies()
    {
        QList<CollectedReply> done;
        {
            QMutexLocker lock(&m_mutex);
            for (auto it = m_replies.begin(); it != m_replies.end();) {
                QNetworkReply *reply = it.value()->getReply();
                if (!reply->isFinished()) {
                    ++it;
                    continue;
                }
                CollectedReply collected;
                collected.type = it.key();
                collected.error = reply->error();
                collected.httpStatus =
                    reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
                if (collected.error == QNetworkReply::NoError) {
                    const QByteArray bytes = reply->readAll();
                    if (bytes.size() > kMaxReplyBytes) {
                        collected.error = QNetworkReply::UnknownContentError;
                    } else {
                        collected.body = bytes;
                        collected.hasBody = true;
                    }
                }
                NetworkLink::stopWatching(reply);
                delete it.value();
                it = m_replies.erase(it);
                done.append(collected);
            }
        }
        deliver(done);
    }

    void failOversized(QNetworkReply *reply)
    {
        QList<CollectedReply> done;
        {
            QMutexLocker lock(&m_mutex);
            for (auto it = m_replies.begin(); it != m_replies.end(); ++it) {
                if (it.value()->getReply() != reply)
                    continue;
                KIV_LOG(2, "Device[%s] reply larger than %lld bytes dropped\n",
                        qUtf8Printable(m_name), static_cast<long long>(kMaxReplyBytes));
                NetworkLink::stopWatching(reply);
                CollectedReply collected;
                collected.type = it.key();
                collected.error = QNetworkReply::UnknownContentError;
                done.append(collected);
                delete it.value();
                m_replies.erase(it);
                break;
            }
        }
        deliver(done);
    }

    void deliver(const QList<CollectedReply> &done) const
    {
        for (const CollectedReply &reply : done)
            ADeviceNetworkInterface::postReply(m_name, reply.type, reply.error,
                                               reply.hasBody ? &reply.body : nullptr,
                                               reply.httpStatus);
    }
};

HttpDeviceNetworkInterface::HttpDeviceNetworkInterface(const QString &name, QObject *parent)
    : ADeviceNetworkInterface(name, parent), m_pending(std::make_shared<Pending>(name))
{
}

HttpDeviceNetworkInterface::~HttpDeviceNetworkInterface()
{
    QMutexLocker lock(&m_pending->m_mutex);
    m_pending->m_closed = true;
    qDeleteAll(m_pending->m_replies);
    m_pending->m_replies.clear();
}

int HttpDeviceNetworkInterface::pendingCount() const
{
    QMutexLocker lock(&m_pending->m_mutex);
    return m_pending->m_replies.size() + (m_pending->m_sending ? 1 : 0);
}

qint64 HttpDeviceNetworkInterface::msUntilReady() const
{
    QMutexLocker lock(&m_pending->m_mutex);
    // A reply that comes is posted to the device, which looks again then; one that never
    // comes is swept at the first send after its time-out.
    qint64 ready = 0;
    for (const TimeoutNetworkReply *reply : qAsConst(m_pending->m_replies))
        ready = qMax(ready, reply->msUntilTimedOut());
    // Its time-out starts a moment later, as it is posted; the device looks again then.
    // A network thread held up past that time still gets a loop step's pause between
    // looks, so the meter's thread never spins on a send it cannot make yet.
    if (m_pending->m_sending)
        ready = qMax(ready, qMax<qint64>(kUnpostedPollMs, m_pending->m_sendTimeoutMs + 1 -
                                                             m_pending->m_sendClock.elapsed()));
    return ready;
}

QUrl HttpDeviceNetworkInterface::buildUrl(const QString &host, const QString &port, int type)
{
    QString base = host.trimmed();
    if (!base.contains(QLatin1String("://")))
        base.prepend(QLatin1String("http://"));
    return QUrl(QStringLiteral("%1%2%3%4")
                    .arg(base, QStringLiteral(":"), port.trimmed(), requestCommandPath(type)));
}

QNetworkRequest HttpDeviceNetworkInterface::cachedRequest(const QString &host, const QString &port,
                                                          int type)
{
    if (type != m_requestType || host != m_requestHost || port != m_requestPort) {
        m_request = QNetworkRequest(buildUrl(host, port, type));
        m_request.setHeader(QNetworkRequest::ContentTypeHeader,
                            QByteArrayLiteral("application/x-www-form-urlencoded"));
        m_requestHost = host;
        m_requestPort = port;
        m_requestType = type;
    }
    return m_request;
}

int HttpDeviceNetworkInterface::requestTimeoutMs()
{
    if (m_requestTimeoutWatch.needsRead(0)) {
        ASystem *system = ASystem::instance();
        m_requestTimeoutMs = system ? system->getSystemConfig().getNetworkRequestTimeout()
                                    : SystemConfig().getNetworkRequestTimeout();
    }
    return m_requestTimeoutMs;
}

bool HttpDeviceNetworkInterface::send(ARequest::CommandType type, const ARequest &request,
                                      const QString &host, const QString &port)
{
    const int timeoutMs = requestTimeoutMs();
    {
        QMutexLocker lock(&m_pending->m_mutex);
        m_pending->sweepTimedOutReplies();
        if (!m_pending->m_replies.isEmpty() || m_pending->m_sending)
            return false;
        m_pending->m_sending = true;
        m_pending->m_sendClock.start();
        m_pending->m_sendTimeoutMs = timeoutMs;
    }
    // Handed over without waiting for the post: the reply is watched from the moment the
    // network thread makes it, and until then the interface counts as busy.
    bool queued = false;
    try {
        ASystem *system = ASystem::instance();
        NUVNetworkAccessManager *network = system ? system->getNetworkAccessManager() : nullptr;
        if (network) {
            const std::shared_ptr<NetworkLink> link = network->link();
            const QNetworkRequest networkRequest = cachedRequest(host, port, type);
            const std::shared_ptr<Pending> pending = m_pending;
            const int kind = type;
            queued = link->postQueued(networkRequest, request.toBody(),
                                      [pending, link, kind, timeoutMs](QNetworkReply *posted) {
                                          pending->watch(pending, link, kind, posted, timeoutMs);
                                      });
        }
    } catch (const std::exception &e) {
        KIV_LOG(2, "Device[%s] send failed: %s\n", qUtf8Printable(getName()), e.what());
    }
    if (!queued) {
        QMutexLocker lock(&m_pending->m_mutex);
        m_pending->m_sending = false;
    }
    return queued;
}
