#pragma once

#include <QHash>
#include <QList>
#include <QObject>

class MeterHttpConnection;
class MeterHttpReply;
class QByteArray;
class QNetworkReply;
class QNetworkRequest;

// HTTP/1.1 to the meters, on the thread this client lives in. The network library ran every
// request through a thread of its own, which cost each poll four more hand-overs between
// threads than the work needs. Keeps one connection per meter open between requests.
class MeterHttpClient : public QObject
{
    Q_OBJECT
public:
    explicit MeterHttpClient(QObject *parent = nullptr);
    ~MeterHttpClient() override;

    // A POST of body with the request's headers. The reply is this client's child; its
    // signals come from the event loop, never from within this call.
    QNetworkReply *post(const QNetworkRequest &request, const QByteArray &body);

private:
    friend class MeterHttpConnection;
    friend class MeterHttpReply;

    // Sends on a kept connection to the reply's server, or on a new one.
    void start(MeterHttpReply *reply, bool freshConnection);
    // A connection whose answer is complete and which the server keeps open.
    void keepIdle(MeterHttpConnection *connection);
    void forget(MeterHttpConnection *connection);

    QList<MeterHttpConnection *> m_connections;
    QMultiHash<QString, MeterHttpConnection *> m_idle;
};
