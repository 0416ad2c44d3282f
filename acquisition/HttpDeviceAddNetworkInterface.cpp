#include "HttpDeviceAddNetworkInterface.h"

#include "HttpDeviceNetworkInterface.h"
#include "NUVNetworkAccessManager.h"
#include "ReplyText.h"

#include "core/ASystem.h"

#include <ORQLogging.h>

#include <QList>
#include <QMultiMap>
#include <QMutex>
#include <QNetworkReply>
#include <QNetworkRequest>

#include <exception>

namespace {

struct CollectedReply
{
    int kind = 0;
    int error = 0;
    QString *text = nullptr;
};

} // namespace

class HttpDeviceAddNetworkInterface::Pending
{
public:
    QMutex m_mutex;
    // Request kind -> reply in flight.
    QMultiMap<int, QNetworkReply *> m_replies;
    std::shared_ptr<NetworkLink> m_link;
    bool m_closed = false;

    // Network thread, inside the post, so no signal of the reply is missed.
    void watch(const std::shared_ptr<Pending> &self, const std::shared_ptr<NetworkLink> &link,
               int kind, QNetworkReply *reply)
    {
        {
            QMutexLocker lock(&m_mutex);
            if (m_closed) {
                link->releaseReply(reply);
                return;
            }
            m_link = link;
            m_replies.insert(kind, reply);
        }
        QObject *context = NetworkLink::watcher(reply);
        QObject::connect(reply, &QNetworkReply::finished, context, [self] { self->collect(); });
        QObject::connect(reply, &QNetworkReply::errorOccurred, context,
                         [self](QNetworkReply::NetworkError) { self->collect(); });
        // A body beyond the limit is refused as soon as it is announced or held.
        auto checkSize = [self, reply] {
            const qint64 announced =
                reply->header(QNetworkRequest::ContentLengthHeader).toLongLong();
            if (announced > HttpDeviceNetworkInterface::kMaxReplyBytes ||
                reply->bytesAvailable() > HttpDeviceNetworkInterface::kMaxReplyBytes)
                self->collect(reply);
        };
        QObject::connect(reply, &QNetworkReply::metaDataChanged, context, checkSize);
        QObject::connect(reply, &QNetworkReply::readyRead, context, checkSize);
    }

    // Network thread. Collects every finished reply, and `oversized` as a failed one.
    void collect(QNetworkReply *oversized = nullptr)
    {
        QList<CollectedReply> done;
        {
            QMutexLocker lock(&m_mutex);
            for (auto it = m_replies.begin(); it != m_replies.end();) {
                QNetworkReply *reply = it.value();
                if (reply != oversized && !reply->isFinished()) {
                    ++it;
                    continue;
                }
                CollectedReply collected;
                collected.kind = it.key();
                collected.error = reply->error();
                if (reply == oversized) {
                    KIV_LOG(2, "Add device reply larger than %lld bytes dropped\n",
                            static_cast<long long>(HttpDeviceNetworkInterface::kMaxReplyBytes));
                    collected.error = QNetworkReply::UnknownContentError;
                    reply->abort();
                } else if (collected.error == QNetworkReply::NoError) {
                    const QByteArray bytes = reply->readAll();
                    if (bytes.size() > HttpDeviceNetworkInterface::kMaxReplyBytes)
                        collected.error = QNetworkReply::UnknownContentError;
                    else
                        collected.text = new QString(decodeReplyBody(bytes));
                }
                NetworkLink::stopWatching(reply);
                reply->deleteLater();
                it = m_replies.erase(it);
                done.append(collected);
            }
        }
        for (const CollectedReply &reply : qAsConst(done))
            ADeviceAddNetworkInterface::postReply(reply.kind, reply.error, reply.text);
    }
};

HttpDeviceAddNetworkInterface::HttpDeviceAddNetworkInterface(QObject *parent)
    : ADeviceAddNetworkInterface(parent), m_pending(std::make_shared<Pending>())
{
}

HttpDeviceAddNetworkInterface::~HttpDeviceAddNetworkInterface()
{
    QMutexLocker lock(&m_pending->m_mutex);
    m_pending->m_closed = true;
    if (m_pending->m_link) {
        for (QNetworkReply *reply : qAsConst(m_pending->m_replies))
            m_pending->m_link->releaseReply(reply);
    }
    m_pending->m_replies.clear();
}

int HttpDeviceAddNetworkInterface::pendingCount() const
{
    QMutexLocker lock(&m_pending->m_mutex);
    return m_pending->m_replies.size();
}

void HttpDeviceAddNetworkInterface::send(ARequest::CommandType kind, ARequest *request,
                                         const QString &host, const QString &port)
{
    if (!request)
        return;
    try {
        ASystem *system = ASystem::instance();
        NUVNetworkAccessManager *network = system ? system->getNetworkAccessManager() : nullptr;
        if (!network)
            return;
        const std::shared_ptr<NetworkLink> link = network->link();
        QNetworkRequest networkRequest(HttpDeviceNetworkInterface::buildUrl(host, port, kind));
        networkRequest.setHeader(QNetworkRequest::ContentTypeHeader,
                                 QByteArrayLiteral("application/x-www-form-urlencoded"));
        const std::shared_ptr<Pending> pending = m_pending;
        const int type = kind;
        link->postBlocking(networkRequest, request->toBody(),
                           [pending, link, type](QNetworkReply *posted) {
                               pending->watch(pending, link, type, posted);
                           });
    } catch (const std::exception &e) {
        KIV_LOG(2, "Add device send failed: %s\n", e.what());
    }
}
