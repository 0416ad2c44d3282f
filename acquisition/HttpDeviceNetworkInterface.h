#pragma once

#include "ADeviceNetworkInterface.h"

#include "core/ConfigRevisionWatch.h"

#include <QNetworkRequest>
#include <QUrl>

#include <memory>

class NetworkLink;

// HTTP POST to one meter through the network thread. At most one request is in flight;
// one older than the configured NetworkRequestTimeout is dropped (aborted, nothing
// reported) by the next send. Every request that is not dropped yields exactly one reply.
class HttpDeviceNetworkInterface : public ADeviceNetworkInterface
{
    Q_OBJECT
public:
    // A reply body above this size counts as a network error.
    static constexpr qint64 kMaxReplyBytes = 64 * 1024 * 1024;

    explicit HttpDeviceNetworkInterface(const QString &name, QObject *parent = nullptr);
    // Releases the replies still in flight; safe while one is finishing.
    ~HttpDeviceNetworkInterface() override;

    bool send(ARequest::CommandType type, const ARequest &request, const QString &host,
              const QString &port) override;

    int pendingCount() const;
    qint64 msUntilReady() const override;

    // host ":" port path; a host without a scheme gets "http://".
    static QUrl buildUrl(const QString &host, const QString &port, int type);

    // Shared with the reply's connections, which run on the network thread and may outlive
    // the interface.
    class Pending;

private:
    // The configured NetworkRequestTimeout, read again when the configuration changed.
    // Sends come from one thread.
    int requestTimeoutMs();

    // The request of the last send, kept while the address stays: building one parses the
    // URL again.
    QNetworkRequest cachedRequest(const QString &host, const QString &port, int type);

    std::shared_ptr<Pending> m_pending;
    QString m_requestHost;
    QString m_requestPort;
    int m_requestType = -1;
    QNetworkRequest m_request;
    ConfigRevisionWatch m_requestTimeoutWatch;
    int m_requestTimeoutMs = 0;
};
