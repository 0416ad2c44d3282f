#include "MeterHttpClient.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QSslSocket>
#include <QTcpSocket>
#include <QTimer>
#include <QUrl>

#include <cstring>

namespace {

// A response head beyond this is no meter's answer.
constexpr int kMaxHeadBytes = 64 * 1024;
// A kept connection left unused this long is closed, as the network library did.
constexpr int kIdleMs = 120 * 1000;
// Kept connections per server: a meter asks one thing at a time.
constexpr int kIdlePerServer = 2;

int defaultPort(const QUrl &url)
{
    return url.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0 ? 443 : 80;
}

QString serverKey(const QUrl &url)
{
    return url.scheme().toLower() + QLatin1String("://") + url.host().toLower() +
           QLatin1Char(':') + QString::number(url.port(defaultPort(url)));
}

bool isHeader(const QByteArray &name, const char *wanted)
{
    return name.compare(wanted, Qt::CaseInsensitive) == 0;
}

QByteArray requestBytes(const QNetworkRequest &request, const QByteArray &body)
{
    const QUrl url = request.url();
    QByteArray target = url.path(QUrl::FullyEncoded).toLatin1();
    if (target.isEmpty())
        target = "/";
    if (url.hasQuery())
        target += '?' + url.query(QUrl::FullyEncoded).toLatin1();
    QByteArray host = url.host(QUrl::FullyEncoded).toLatin1();
    if (host.contains(':'))
        host = '[' + host + ']';
    const int port = url.port(-1);
    if (port != -1 && port != defaultPort(url))
        host += ':' + QByteArray::number(port);
    QByteArray out;
    out.reserve(256 + body.size());
    out += "POST " + target + " HTTP/1.1\r\nHost: " + host + "\r\n";
    const QList<QByteArray> names = request.rawHeaderList();
    for (const QByteArray &name : names) {
        if (isHeader(name, "Host") || isHeader(name, "Content-Length") ||
            isHeader(name, "Connection"))
            continue;
        out += name + ": " + request.rawHeader(name) + "\r\n";
    }
    out += "Content-Length: " + QByteArray::number(body.size()) + "\r\n";
    out += "Connection: Keep-Alive\r\n";
    // What the network library sent: a meter may look at it.
    if (!request.hasRawHeader("User-Agent"))
        out += "User-Agent: Mozilla/5.0\r\n";
    out += "\r\n";
    out += body;
    return out;
}

// The network library's table, so that callers and logs see the same codes as before.
QNetworkReply::NetworkError errorOfStatus(int status)
{
    switch (status) {
    case 400:
    case 418:
        return QNetworkReply::ProtocolInvalidOperationError;
    case 401:
        return QNetworkReply::AuthenticationRequiredError;
    case 403:
        return QNetworkReply::ContentAccessDenied;
    case 404:
        return QNetworkReply::ContentNotFoundError;
    case 405:
        return QNetworkReply::ContentOperationNotPermittedError;
    case 407:
        return QNetworkReply::ProxyAuthenticationRequiredError;
    case 409:
        return QNetworkReply::ContentConflictError;
    case 410:
        return QNetworkReply::ContentGoneError;
    case 500:
        return QNetworkReply::InternalServerError;
    case 501:
        return QNetworkReply::OperationNotImplementedError;
    case 503:
        return QNetworkReply::ServiceUnavailableError;
    default:
        break;
    }
    if (status >= 500)
        return QNetworkReply::UnknownServerError;
    if (status >= 400)
        return QNetworkReply::UnknownContentError;
    return QNetworkReply::NoError;
}

QNetworkReply::NetworkError errorOfSocket(QAbstractSocket::SocketError error)
{
    switch (error) {
    case QAbstractSocket::ConnectionRefusedError:
        return QNetworkReply::ConnectionRefusedError;
    case QAbstractSocket::RemoteHostClosedError:
        return QNetworkReply::RemoteHostClosedError;
    case QAbstractSocket::HostNotFoundError:
        return QNetworkReply::HostNotFoundError;
    case QAbstractSocket::SocketTimeoutError:
        return QNetworkReply::TimeoutError;
    case QAbstractSocket::SslHandshakeFailedError:
    case QAbstractSocket::SslInternalError:
    case QAbstractSocket::SslInvalidUserDataError:
        return QNetworkReply::SslHandshakeFailedError;
    default:
        return QNetworkReply::UnknownNetworkError;
    }
}

} // namespace

class MeterHttpReply : public QNetworkReply
{
public:
    MeterHttpReply(MeterHttpClient *client, const QNetworkRequest &request,
                   const QByteArray &body)
        : QNetworkReply(client), m_message(requestBytes(request, body)),
          m_key(serverKey(request.url()))
    {
        setRequest(request);
        setUrl(request.url());
        setOperation(QNetworkAccessManager::PostOperation);
        open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    }
    ~MeterHttpReply() override;

    void abort() override;
    qint64 bytesAvailable() const override
    {
        return m_body.size() - m_readPos + QIODevice::bytesAvailable();
    }
    bool isSequential() const override { return true; }

    const QByteArray &message() const { return m_message; }
    const QString &key() const { return m_key; }
    QUrl target() const { return request().url(); }

    void attach(MeterHttpConnection *connection) { m_connection = connection; }
    void detach() { m_connection = nullptr; }
    // The one resend the network library allowed, for a connection closed before any answer.
    bool mayResend() const { return !m_resent; }
    void noteResent() { m_resent = true; }

    void takeHead(int status, const QByteArray &reason,
                  const QList<QPair<QByteArray, QByteArray>> &headers)
    {
        setAttribute(QNetworkRequest::HttpStatusCodeAttribute, status);
        setAttribute(QNetworkRequest::HttpReasonPhraseAttribute, QString::fromLatin1(reason));
        for (const auto &header : headers)
            setRawHeader(header.first, header.second);
        m_status = status;
        emit metaDataChanged();
    }
    void appendBody(const char *data, qint64 size) { m_body.append(data, int(size)); }
    void announceBody() { emit readyRead(); }
    void complete()
    {
        const NetworkError error = errorOfStatus(m_status);
        if (error != NoError) {
            fail(error, QStringLiteral("Error transferring %1 - server replied: %2")
                            .arg(url().toString(),
                                 attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString()));
            return;
        }
        setFinished(true);
        emit finished();
    }
    void fail(NetworkError error, const QString &text)
    {
        if (isFinished())
            return;
        setError(error, text);
        setFinished(true);
        emit errorOccurred(error);
        emit finished();
    }

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        const qint64 size = qMin<qint64>(maxSize, m_body.size() - m_readPos);
        if (size > 0) {
            std::memcpy(data, m_body.constData() + m_readPos, size_t(size));
            m_readPos += size;
        }
        if (m_readPos == m_body.size()) {
            m_body.clear();
            m_readPos = 0;
        }
        return size;
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    void dropConnection();

    const QByteArray m_message;
    const QString m_key;
    QPointer<MeterHttpConnection> m_connection;
    QByteArray m_body;
    qint64 m_readPos = 0;
    int m_status = 0;
    bool m_resent = false;
};

// One socket to one server, one request at a time.
class MeterHttpConnection : public QObject
{
public:
    MeterHttpConnection(MeterHttpClient *client, const QUrl &url, const QString &key)
        : QObject(client), m_client(client), m_key(key)
    {
        client->m_connections.append(this);
        const bool secure =
            url.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0;
        QAbstractSocket *socket = nullptr;
        if (secure) {
            auto *ssl = new QSslSocket(this);
            connect(ssl, &QSslSocket::encrypted, this, &MeterHttpConnection::onOpen);
            socket = ssl;
        } else {
            socket = new QTcpSocket(this);
            connect(socket, &QAbstractSocket::connected, this, &MeterHttpConnection::onOpen);
        }
        m_socket = socket;
        connect(socket, &QAbstractSocket::readyRead, this, &MeterHttpConnection::onReadable);
        connect(socket, &QAbstractSocket::errorOccurred, this, &MeterHttpConnection::onClosed);
        connect(socket, &QAbstractSocket::disconnected, this,
                [this] { onClosed(QAbstractSocket::RemoteHostClosedError); });
        m_idleTimer.setSingleShot(true);
        connect(&m_idleTimer, &QTimer::timeout, this, [this] { close(); });
        const quint16 port = quint16(url.port(defaultPort(url)));
        if (secure)
            static_cast<QSslSocket *>(socket)->connectToHostEncrypted(url.host(), port);
        else
            socket->connectToHost(url.host(), port);
    }

    ~MeterHttpConnection() override
    {
        // The socket goes with this object; nothing it says then may reach a half-gone one.
        QObject::disconnect(m_socket, nullptr, this, nullptr);
        m_socket->abort();
    }

    const QString &key() const { return m_key; }
    bool isUsable() const
    {
        return !m_reply && !m_closing && m_socket->state() == QAbstractSocket::ConnectedState;
    }
    void forgetClient() { m_client = nullptr; }

    void send(MeterHttpReply *reply)
    {
        m_idleTimer.stop();
        m_reply = reply;
        reply->attach(this);
        m_stage = Stage::Head;
        m_anyByte = false;
        m_in.clear();
        if (m_open)
            m_socket->write(reply->message());
    }

    // The reply gave up or is gone: the rest of its answer has nowhere to go.
    void abandon()
    {
        m_reply = nullptr;
        close();
    }

private:
    enum class Stage { Head, Body, ChunkSize, ChunkData, ChunkEnd, Trailer, UntilClose };

    void onOpen()
    {
        m_open = true;
        m_socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        if (m_reply)
            m_socket->write(m_reply->message());
    }

    void onReadable()
    {
        if (m_closing)
            return;
        m_in += m_socket->readAll();
        if (!m_reply) {
            // Nothing was asked: a server that talks unasked is not kept.
            if (!m_in.isEmpty())
                close();
            return;
        }
        if (!m_in.isEmpty())
            m_anyByte = true;
        parse();
    }

    void onClosed(QAbstractSocket::SocketError error)
    {
        if (m_closing)
            return;
        QPointer<MeterHttpReply> reply = m_reply;
        if (reply && m_stage == Stage::UntilClose && error == QAbstractSocket::RemoteHostClosedError) {
            finish();
            return;
        }
        const QString why = m_socket->errorString();
        close();
        if (!reply)
            return;
        reply->detach();
        // A connection the server closed before any byte of the answer (a kept one it had
        // just dropped, or a reset) is tried once more on a new one, as the network library
        // did.
        if (m_open && !m_anyByte && reply->mayResend() && m_client) {
            reply->noteResent();
            m_client->start(reply, true);
            return;
        }
        reply->fail(errorOfSocket(error), why);
    }

    void failProtocol(const QString &why)
    {
        QPointer<MeterHttpReply> reply = m_reply;
        close();
        if (reply) {
            reply->detach();
            reply->fail(QNetworkReply::ProtocolFailure, why);
        }
    }

    // Closes and lets go; the reply, if any, is the caller's to tell.
    void close()
    {
        if (m_closing)
            return;
        m_closing = true;
        m_reply = nullptr;
        m_idleTimer.stop();
        m_socket->abort();
        if (m_client)
            m_client->forget(this);
        deleteLater();
    }

    void finish()
    {
        QPointer<MeterHttpReply> reply = m_reply;
        m_reply = nullptr;
        if (reply)
            reply->detach();
        if (m_keepAlive && m_in.isEmpty() && m_client &&
            m_socket->state() == QAbstractSocket::ConnectedState) {
            m_idleTimer.start(kIdleMs);
            m_client->keepIdle(this);
        } else {
            close();
        }
        if (reply)
            reply->complete();
    }

    // Where the head ends (after its blank line), or -1 while it is incomplete.
    static int headEnd(const QByteArray &in)
    {
        const int crlf = in.indexOf("\r\n\r\n");
        const int lf = in.indexOf("\n\n");
        if (lf >= 0 && (crlf < 0 || lf + 2 < crlf + 4))
            return lf + 2;
        return crlf >= 0 ? crlf + 4 : -1;
    }

    bool readHead(const QByteArray &head)
    {
        QList<QByteArray> lines = head.split('\n');
        for (QByteArray &line : lines)
            if (line.endsWith('\r'))
                line.chop(1);
        const QByteArray &statusLine = lines.value(0);
        // RFC 9112 4: HTTP-version SP status-code SP [reason-phrase]
        if (!statusLine.startsWith("HTTP/1.") || statusLine.size() < 12 || statusLine.at(8) != ' ')
            return false;
        bool numeric = false;
        const int status = statusLine.mid(9, 3).toInt(&numeric);
        if (!numeric || status < 100 || (statusLine.size() > 12 && statusLine.at(12) != ' '))
            return false;
        const bool http10 = statusLine.at(7) == '0';
        QList<QPair<QByteArray, QByteArray>> headers;
        for (int i = 1; i < lines.size(); ++i) {
            const QByteArray &line = lines.at(i);
            if (line.isEmpty())
                continue;
            if ((line.at(0) == ' ' || line.at(0) == '\t') && !headers.isEmpty()) {
                headers.last().second += ' ' + line.trimmed();
                continue;
            }
            const int colon = line.indexOf(':');
            if (colon <= 0)
                return false;
            headers.append({line.left(colon).trimmed(), line.mid(colon + 1).trimmed()});
        }
        // RFC 9110 15.2: an interim answer; the real one follows.
        if (status < 200 && status != 101)
            return true;
        bool keepAlive = !http10;
        bool chunked = false;
        qint64 length = -1;
        for (const auto &header : qAsConst(headers)) {
            if (isHeader(header.first, "Connection")) {
                const QByteArray value = header.second.toLower();
                if (value.contains("close"))
                    keepAlive = false;
                else if (value.contains("keep-alive"))
                    keepAlive = true;
            } else if (isHeader(header.first, "Transfer-Encoding")) {
                chunked = header.second.toLower().trimmed().endsWith("chunked");
            } else if (isHeader(header.first, "Content-Length")) {
                bool ok = false;
                const qint64 value = header.second.toLongLong(&ok);
                if (!ok || value < 0 || (length >= 0 && value != length))
                    return false;
                length = value;
            }
        }
        m_keepAlive = keepAlive;
        if (status == 204 || status == 304) {
            m_stage = Stage::Body;
            m_left = 0;
        } else if (chunked) {
            m_stage = Stage::ChunkSize;
        } else if (length >= 0) {
            m_stage = Stage::Body;
            m_left = length;
        } else {
            m_stage = Stage::UntilClose;
            m_keepAlive = false;
        }
        m_reply->takeHead(status, statusLine.mid(13), headers);
        return true;
    }

    // Takes what the body's framing allows, and finishes the answer once it is complete.
    void parse()
    {
        QPointer<MeterHttpReply> reply = m_reply;
        bool bodyGrew = false;
        bool complete = false;
        while (reply && !m_closing && !complete) {
            if (m_stage == Stage::Head) {
                const int end = headEnd(m_in);
                if (end < 0) {
                    if (m_in.size() > kMaxHeadBytes)
                        failProtocol(QStringLiteral("The response head is too large"));
                    break;
                }
                const QByteArray head = m_in.left(end);
                m_in.remove(0, end);
                if (!readHead(head)) {
                    failProtocol(QStringLiteral("Invalid HTTP response head"));
                    break;
                }
                if (m_stage == Stage::Body && m_left == 0)
                    complete = true;
            } else if (m_stage == Stage::Body || m_stage == Stage::ChunkData) {
                const qint64 size = qMin<qint64>(m_left, m_in.size());
                if (size > 0) {
                    reply->appendBody(m_in.constData(), size);
                    m_in.remove(0, int(size));
                    m_left -= size;
                    bodyGrew = true;
                }
                if (m_left > 0)
                    break;
                if (m_stage == Stage::Body)
                    complete = true;
                else
                    m_stage = Stage::ChunkEnd;
            } else if (m_stage == Stage::UntilClose) {
                if (!m_in.isEmpty()) {
                    reply->appendBody(m_in.constData(), m_in.size());
                    m_in.clear();
                    bodyGrew = true;
                }
                break;
            } else {
                // RFC 9112 7.1: chunk-size [extensions] CRLF, data CRLF, ..., 0 CRLF,
                // trailer lines, CRLF.
                const int lf = m_in.indexOf('\n');
                if (lf < 0) {
                    if (m_in.size() > kMaxHeadBytes)
                        failProtocol(QStringLiteral("Invalid chunked response"));
                    break;
                }
                QByteArray line = m_in.left(lf).trimmed();
                m_in.remove(0, lf + 1);
                if (m_stage == Stage::ChunkEnd) {
                    if (!line.isEmpty()) {
                        failProtocol(QStringLiteral("Invalid chunked response"));
                        break;
                    }
                    m_stage = Stage::ChunkSize;
                } else if (m_stage == Stage::ChunkSize) {
                    const int semicolon = line.indexOf(';');
                    if (semicolon >= 0)
                        line.truncate(semicolon);
                    bool ok = false;
                    const qint64 size = line.trimmed().toLongLong(&ok, 16);
                    if (!ok || size < 0) {
                        failProtocol(QStringLiteral("Invalid chunked response"));
                        break;
                    }
                    m_left = size;
                    m_stage = size == 0 ? Stage::Trailer : Stage::ChunkData;
                } else if (line.isEmpty()) {
                    complete = true;
                }
            }
        }
        if (bodyGrew && reply)
            reply->announceBody();
        if (complete && reply && !m_closing && m_reply == reply)
            finish();
    }

    MeterHttpClient *m_client;
    QAbstractSocket *m_socket = nullptr;
    const QString m_key;
    QPointer<MeterHttpReply> m_reply;
    QByteArray m_in;
    QTimer m_idleTimer;
    Stage m_stage = Stage::Head;
    qint64 m_left = 0;
    bool m_keepAlive = false;
    bool m_anyByte = false;
    bool m_open = false;
    bool m_closing = false;
};

MeterHttpReply::~MeterHttpReply()
{
    dropConnection();
}

void MeterHttpReply::abort()
{
    if (isFinished())
        return;
    dropConnection();
    fail(OperationCanceledError, QStringLiteral("Operation canceled"));
}

void MeterHttpReply::dropConnection()
{
    if (MeterHttpConnection *connection = m_connection.data()) {
        m_connection = nullptr;
        connection->abandon();
    }
}

MeterHttpClient::MeterHttpClient(QObject *parent) : QObject(parent) {}

MeterHttpClient::~MeterHttpClient()
{
    // Replies and connections are children; they must not call back into a client that is
    // half gone.
    for (MeterHttpConnection *connection : qAsConst(m_connections))
        connection->forgetClient();
    m_connections.clear();
    m_idle.clear();
}

QNetworkReply *MeterHttpClient::post(const QNetworkRequest &request, const QByteArray &body)
{
    auto *reply = new MeterHttpReply(this, request, body);
    // Begun from the event loop: a refusal known at once must still come as a signal, after
    // the caller has connected to them.
    QPointer<MeterHttpReply> guard = reply;
    QMetaObject::invokeMethod(
        this,
        [this, guard] {
            if (guard && !guard->isFinished())
                start(guard, false);
        },
        Qt::QueuedConnection);
    return reply;
}

void MeterHttpClient::start(MeterHttpReply *reply, bool freshConnection)
{
    const QUrl url = reply->target();
    const QString scheme = url.scheme().toLower();
    if (scheme != QLatin1String("http") && scheme != QLatin1String("https")) {
        reply->fail(QNetworkReply::ProtocolUnknownError,
                    QStringLiteral("Protocol \"%1\" is unknown").arg(scheme));
        return;
    }
    if (url.host().isEmpty()) {
        reply->fail(QNetworkReply::HostNotFoundError, QStringLiteral("Host not found"));
        return;
    }
    if (scheme == QLatin1String("https") && !QSslSocket::supportsSsl()) {
        reply->fail(QNetworkReply::SslHandshakeFailedError,
                    QStringLiteral("TLS is not available on this system"));
        return;
    }
    MeterHttpConnection *connection = nullptr;
    if (!freshConnection) {
        for (auto it = m_idle.find(reply->key()); it != m_idle.end() && it.key() == reply->key();
             ++it) {
            if (it.value()->isUsable()) {
                connection = it.value();
                m_idle.erase(it);
                break;
            }
        }
    }
    if (!connection)
        connection = new MeterHttpConnection(this, url, reply->key());
    connection->send(reply);
}

void MeterHttpClient::keepIdle(MeterHttpConnection *connection)
{
    if (m_idle.count(connection->key()) >= kIdlePerServer) {
        connection->abandon();
        return;
    }
    m_idle.insert(connection->key(), connection);
}

void MeterHttpClient::forget(MeterHttpConnection *connection)
{
    m_connections.removeOne(connection);
    for (auto it = m_idle.begin(); it != m_idle.end();) {
        if (it.value() == connection)
            it = m_idle.erase(it);
        else
            ++it;
    }
}
