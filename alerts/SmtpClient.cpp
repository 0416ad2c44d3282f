#include "SmtpClient.h"

#include "EmailAddress.h"
#include "MimeMessage.h"

#include <ORQLogging.h>

#include <QDeadlineTimer>
#include <QSslSocket>
#include <QStringList>

#include <exception>

namespace {

// RFC 5321 4.5.3.1.5 allows 512 octets a reply line; a server sending far more is broken.
constexpr qint64 kMaxReplyBytes = 64 * 1024;
constexpr int kMaxLoggedText = 200;

// Server replies and addresses in log lines: one line, control characters shown escaped.
QByteArray logText(const QString &text)
{
    QString out;
    for (const QChar c : text.left(kMaxLoggedText)) {
        if (c == QLatin1Char('\r'))
            out += QLatin1String("\\r");
        else if (c == QLatin1Char('\n'))
            out += QLatin1String("\\n");
        else if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            out += QLatin1Char('?');
        else
            out += c;
    }
    if (text.size() > kMaxLoggedText)
        out += QLatin1String("...");
    return out.toUtf8();
}

// Why a connection failed: the certificate problems of a TLS handshake, else the socket's.
QString failureReason(const QTcpSocket *socket)
{
    QStringList errors;
    if (const auto *ssl = qobject_cast<const QSslSocket *>(socket)) {
        for (const QSslError &error : ssl->sslHandshakeErrors())
            errors << error.errorString();
    }
    return errors.isEmpty() ? socket->errorString() : errors.join(QLatin1String("; "));
}

// The same for the texts the user is shown.
QString shownText(const QString &text)
{
    return QString::fromUtf8(logText(text));
}

bool isAsciiDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

QString withoutLineEnd(const QString &line)
{
    QString out = line;
    while (out.endsWith(QLatin1Char('\n')) || out.endsWith(QLatin1Char('\r')))
        out.chop(1);
    return out;
}

} // namespace

SmtpClient::SmtpClient(const QString &host, int port, ConnectionType connectionType,
                       QObject *parent)
    : QObject(parent), m_host(host), m_port(port), m_connectionType(connectionType),
      m_name(QStringLiteral("localhost"))
{
    if (connectionType == Ssl || connectionType == StartTls)
        m_socket = new QSslSocket(this);
    else
        m_socket = new QTcpSocket(this);
    connect(m_socket, &QAbstractSocket::stateChanged, this, &SmtpClient::socketStateChanged,
            Qt::DirectConnection);
    connect(m_socket, &QAbstractSocket::errorOccurred, this, &SmtpClient::socketError,
            Qt::DirectConnection);
    connect(m_socket, &QIODevice::readyRead, this, &SmtpClient::socketReadyRead,
            Qt::DirectConnection);
}

SmtpClient::~SmtpClient() = default;

void SmtpClient::socketStateChanged(QAbstractSocket::SocketState) {}

void SmtpClient::socketError(QAbstractSocket::SocketError) {}

void SmtpClient::socketReadyRead() {}

QString SmtpClient::server() const
{
    return m_host + QLatin1Char(':') + QString::number(m_port);
}

template <typename Operation> bool SmtpClient::guarded(const char *operation, Operation run)
{
    // The waits raise time-outs as exceptions; none leaves a public operation.
    try {
        return run();
    } catch (const ResponseTimeoutException &) {
    } catch (const SendMessageTimeoutException &) {
    } catch (const ProtocolException &) {
    } catch (const CancelledException &) {
        setErrorText(QStringLiteral("the sending was stopped"));
        KIV_LOG(4, "SMTP client [%s]: %s cancelled while waiting for %s\n",
                qUtf8Printable(server()), operation, logText(m_step).constData());
        m_socket->abort();
    } catch (const std::exception &e) {
        setErrorText(QString::fromLocal8Bit(e.what()));
        KIV_LOG(2, "SMTP client [%s]: %s failed: %s\n", qUtf8Printable(server()), operation,
                e.what());
    } catch (...) {
        setErrorText(QStringLiteral("an unexpected error"));
        KIV_LOG(2, "SMTP client [%s]: %s failed with an unknown exception\n",
                qUtf8Printable(server()), operation);
    }
    return false;
}

QString SmtpClient::connectFailureText() const
{
    if (const auto *ssl = qobject_cast<const QSslSocket *>(m_socket)) {
        if (!ssl->sslHandshakeErrors().isEmpty())
            return QStringLiteral("the secure connection to %1 failed: %2")
                .arg(server(), failureReason(m_socket));
    }
    switch (m_socket->error()) {
    case QAbstractSocket::ConnectionRefusedError:
        return QStringLiteral("the server %1 refused the connection").arg(server());
    case QAbstractSocket::HostNotFoundError:
        return QStringLiteral("the host %1 was not found").arg(m_host);
    case QAbstractSocket::SocketTimeoutError:
        return QStringLiteral("no answer from %1 in time (%2 s)")
            .arg(server())
            .arg(m_connectionTimeout / 1000.0);
    default:
        return QStringLiteral("no connection to %1: %2").arg(server(), failureReason(m_socket));
    }
}

bool SmtpClient::connectToHost()
{
    m_errorText.clear();
    return guarded("connect", [this] {
        if (m_connectionType != Tcp && m_connectionType != Ssl && m_connectionType != StartTls) {
            setErrorText(QStringLiteral("the connection type is unknown"));
            KIV_LOG(2, "SMTP client [%s]: unknown connection type %d\n", qUtf8Printable(server()),
                    int(m_connectionType));
            return false;
        }
        m_step = QStringLiteral("the connection");
        if (isCancelled())
            throw CancelledException();
        if (m_host.trimmed().isEmpty()) {
            KIV_LOG(2, "SMTP client [%s]: no server address\n", qUtf8Printable(server()));
            setErrorText(QStringLiteral("no server address is set"));
            emit smtpError(ConnectTimeout);
            return false;
        }
        if (m_port < 1 || m_port > 65535) {
            setErrorText(QStringLiteral("%1 is not a port number").arg(m_port));
            KIV_LOG(2, "SMTP client [%s]: not a port number\n", qUtf8Printable(server()));
            emit smtpError(ConnectTimeout);
            return false;
        }
        auto *ssl = qobject_cast<QSslSocket *>(m_socket);
        bool connected;
        if (m_connectionType == Ssl) {
            // Certificate and host name are verified as the socket does by default.
            ssl->connectToHostEncrypted(m_host, quint16(m_port));
            connected = ssl->waitForEncrypted(m_connectionTimeout);
        } else {
            m_socket->connectToHost(m_host, quint16(m_port));
            connected = m_socket->waitForConnected(m_connectionTimeout);
        }
        if (!connected) {
            KIV_LOG(2, "SMTP client [%s]: no %s connection (time-out %d ms): %s\n",
                    qUtf8Printable(server()), m_connectionType == Ssl ? "TLS" : "TCP",
                    m_connectionTimeout, logText(failureReason(m_socket)).constData());
            setErrorText(connectFailureText());
            m_socket->abort();
            emit smtpError(ConnectTimeout);
            return false;
        }

        m_step = QStringLiteral("the greeting");
        waitForResponse();
        if (m_responseCode != 220) {
            logUnexpected(220);
            emit smtpError(ServerError);
            return false;
        }
        if (!command(QStringLiteral("EHLO ") + m_name, 250, QStringLiteral("EHLO"))) {
            emit smtpError(ServerError);
            return false;
        }
        return m_connectionType != StartTls || startTls();
    });
}

bool SmtpClient::startTls()
{
    if (!command(QStringLiteral("STARTTLS"), 220, QStringLiteral("STARTTLS"))) {
        emit smtpError(ServerError);
        return false;
    }
    auto *ssl = static_cast<QSslSocket *>(m_socket);
    ssl->startClientEncryption();
    if (!ssl->waitForEncrypted(m_connectionTimeout)) {
        KIV_LOG(2, "SMTP client [%s]: no TLS after STARTTLS (time-out %d ms): %s\n",
                qUtf8Printable(server()), m_connectionTimeout,
                logText(failureReason(ssl)).constData());
        setErrorText(QStringLiteral("the secure connection to %1 failed: %2")
                         .arg(server(), failureReason(ssl)));
        emit smtpError(ConnectTimeout);
        return false;
    }
    // RFC 3207 4.2: the server forgets what it knew; greet it again.
    if (!command(QStringLiteral("EHLO ") + m_name, 250, QStringLiteral("EHLO after STARTTLS"))) {
        emit smtpError(ServerError);
        return false;
    }
    return true;
}

bool SmtpClient::login()
{
    return login(m_user, m_password, m_authMethod);
}

bool SmtpClient::login(const QString &user, const QString &password, AuthMethod method)
{
    if (method != AuthPlain && method != AuthLogin)
        return true;
    // RFC 4616 2 and RFC 4954: user name and password travel as UTF-8.
    const QByteArray userBytes = user.toUtf8();
    const QByteArray passwordBytes = password.toUtf8();
    const bool ok = guarded("login", [&] {
        if (method == AuthPlain) {
            const QByteArray plain = QByteArray(1, '\0') + userBytes + '\0' + passwordBytes;
            return command(QStringLiteral("AUTH PLAIN ") + QString::fromLatin1(plain.toBase64()),
                           235, QStringLiteral("AUTH PLAIN"));
        }
        return command(QStringLiteral("AUTH LOGIN"), 334, QStringLiteral("AUTH LOGIN")) &&
               command(QString::fromLatin1(userBytes.toBase64()), 334,
                       QStringLiteral("the AUTH LOGIN user name")) &&
               command(QString::fromLatin1(passwordBytes.toBase64()), 235,
                       QStringLiteral("the AUTH LOGIN password"));
    });
    if (!ok) {
        KIV_LOG(2, "SMTP client [%s]: authentication of user \"%s\" failed\n",
                qUtf8Printable(server()), logText(user).constData());
        // A time-out or a closed connection keeps its own reason.
        if (m_responseCode >= 400)
            setErrorText(
                QStringLiteral("the server %1 refused the login of user \"%2\": %3")
                    .arg(server(), shownText(user), shownText(withoutLineEnd(m_responseText))));
        emit smtpError(AuthenticationFailed);
    }
    return ok;
}

bool SmtpClient::isSafeAddress(const QString &address)
{
    for (const QChar c : address) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f || c == QLatin1Char('<') ||
            c == QLatin1Char('>'))
            return false;
    }
    return true;
}

QString SmtpClient::transparentData(const QString &text)
{
    QString out;
    out.reserve(text.size() + text.size() / 32 + 2);
    bool lineStart = true;
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            if (c == QLatin1Char('\r') && i + 1 < text.size() &&
                text.at(i + 1) == QLatin1Char('\n'))
                ++i;
            out += QLatin1String("\r\n");
            lineStart = true;
            continue;
        }
        if (lineStart && c == QLatin1Char('.'))
            out += c;
        out += c;
        lineStart = false;
    }
    return out;
}

bool SmtpClient::acceptsEnvelope(const QString &sender, const QStringList &recipients)
{
    for (const QString &address : recipients + QStringList{sender}) {
        if (!isSafeAddress(address)) {
            setErrorText(
                QStringLiteral("the address \"%1\" holds a line break, a control character or "
                               "an angle bracket")
                    .arg(shownText(address)));
            KIV_LOG(2,
                    "SMTP client [%s]: mail not sent: the address \"%s\" holds a line "
                    "break, a control character or an angle bracket\n",
                    qUtf8Printable(server()), logText(address).constData());
            return false;
        }
    }
    if (recipients.isEmpty()) {
        setErrorText(QStringLiteral("the mail has no recipient"));
        KIV_LOG(2, "SMTP client [%s]: mail not sent: it has no recipient\n",
                qUtf8Printable(server()));
        return false;
    }
    return true;
}

bool SmtpClient::sendMail(MimeMessage &email)
{
    return guarded("send", [&] {
        const QString sender = email.getSender() ? email.getSender()->getAddress() : QString();
        QStringList recipients;
        for (const MimeMessage::RecipientType type :
             {MimeMessage::To, MimeMessage::Cc, MimeMessage::Bcc}) {
            for (const EmailAddress *address : email.getRecipients(type))
                recipients << address->getAddress();
        }
        if (!acceptsEnvelope(sender, recipients))
            return false;
        // Made before the dialogue starts: a large message takes a while, which the server
        // would otherwise spend waiting after DATA. The text and the "." that ends it go out
        // in one write, so the end does not wait for the acknowledgement of the text
        // (Nagle's algorithm).
        const QString text = transparentData(email.toString()) + QLatin1String("\r\n.");

        if (!command(QStringLiteral("MAIL FROM: <") + sender + QLatin1Char('>'), 250,
                     QStringLiteral("MAIL FROM")))
            return false;
        for (const QString &recipient : qAsConst(recipients)) {
            if (!command(QStringLiteral("RCPT TO: <") + recipient + QLatin1Char('>'), 250,
                         QStringLiteral("RCPT TO <") + recipient + QLatin1Char('>')))
                return false;
        }
        if (!command(QStringLiteral("DATA"), 354, QStringLiteral("DATA")))
            return false;
        return command(text, 250, QStringLiteral("the message"));
    });
}

void SmtpClient::quit()
{
    if (m_socket->state() != QAbstractSocket::ConnectedState)
        return;
    guarded("quit", [this] {
        m_step = QStringLiteral("QUIT");
        sendMessage(QStringLiteral("QUIT"));
        return true;
    });
}

bool SmtpClient::command(const QString &text, int expectedCode, const QString &label)
{
    m_step = label;
    sendMessage(text);
    waitForResponse();
    if (m_responseCode == expectedCode)
        return true;
    logUnexpected(expectedCode);
    return false;
}

void SmtpClient::logUnexpected(int expectedCode)
{
    setErrorText(QStringLiteral("the server %1 answered \"%2\" to %3")
                     .arg(server(), shownText(withoutLineEnd(m_responseText)), shownText(m_step)));
    KIV_LOG(2, "SMTP client [%s]: the server answered \"%s\" to %s instead of %d\n",
            qUtf8Printable(server()), logText(withoutLineEnd(m_responseText)).constData(),
            logText(m_step).constData(), expectedCode);
}

bool SmtpClient::flushWrites()
{
    const QDeadlineTimer deadline(m_sendMessageTimeout);
    auto *ssl = qobject_cast<QSslSocket *>(m_socket);
    while (m_socket->bytesToWrite() > 0 || (ssl && ssl->encryptedBytesToWrite() > 0)) {
        const qint64 remaining = deadline.remainingTime();
        if (remaining <= 0 || !waitUnlessCancelled(int(remaining), [this](int ms) {
                return m_socket->waitForBytesWritten(ms);
            }))
            return false;
    }
    return true;
}

bool SmtpClient::isCancelled() const
{
    return m_cancel && m_cancel->load();
}

template <typename Wait> bool SmtpClient::waitUnlessCancelled(int timeoutMs, Wait wait)
{
    if (!m_cancel)
        return wait(timeoutMs);
    const QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        if (isCancelled())
            throw CancelledException();
        const qint64 remaining = deadline.remainingTime();
        if (remaining <= 0)
            return false;
        if (wait(int(qMin<qint64>(remaining, kCancelCheckMs))))
            return true;
        // A slice that ended for another reason than its time-out (a closed connection).
        if (m_socket->state() != QAbstractSocket::ConnectedState)
            return false;
    }
}

void SmtpClient::sendMessage(const QString &text)
{
    const QByteArray bytes = text.toUtf8() + "\r\n";
    if (m_socket->write(bytes) != bytes.size() || !flushWrites()) {
        KIV_LOG(2, "SMTP client [%s]: could not send %s within %d ms: %s\n",
                qUtf8Printable(server()), logText(m_step).constData(), m_sendMessageTimeout,
                logText(m_socket->errorString()).constData());
        setErrorText(QStringLiteral("could not send %1 to %2 in time").arg(m_step, server()));
        emit smtpError(SendTimeout);
        throw SendMessageTimeoutException();
    }
}

void SmtpClient::waitForResponse()
{
    qint64 replyBytes = 0;
    for (;;) {
        // Lines already buffered (a reply split over packets, or several at once) are read
        // before waiting for more.
        while (m_socket->canReadLine()) {
            const QByteArray raw = m_socket->readLine();
            replyBytes += raw.size();
            m_responseText = QString::fromUtf8(raw);
            const QString line = withoutLineEnd(m_responseText);
            const bool numeric = line.size() >= 3 && isAsciiDigit(line.at(0)) &&
                                 isAsciiDigit(line.at(1)) && isAsciiDigit(line.at(2));
            m_responseCode = numeric ? line.leftRef(3).toInt() : 0;
            if (m_responseCode >= 400 && m_responseCode <= 499)
                emit smtpError(ServerError);
            else if (m_responseCode >= 500 && m_responseCode <= 599)
                emit smtpError(ClientError);
            // RFC 5321 4.2.1: "-" after the code marks a continuation line; any other
            // line ("250 text" and a bare "250" alike) ends the reply.
            if (line.size() < 4 || line.at(3) != QLatin1Char('-'))
                return;
        }
        if (replyBytes + m_socket->bytesAvailable() > kMaxReplyBytes) {
            KIV_LOG(2, "SMTP client [%s]: the reply to %s is longer than %lld bytes\n",
                    qUtf8Printable(server()), logText(m_step).constData(), kMaxReplyBytes);
            setErrorText(QStringLiteral("the server %1 sent an unreadable reply to %2")
                             .arg(server(), m_step));
            m_socket->abort();
            emit smtpError(ServerError);
            throw ProtocolException();
        }
        if (!waitUnlessCancelled(m_responseTimeout,
                                 [this](int ms) { return m_socket->waitForReadyRead(ms); }) &&
            !m_socket->canReadLine()) {
            if (m_socket->state() != QAbstractSocket::ConnectedState) {
                KIV_LOG(2,
                        "SMTP client [%s]: the server closed the connection instead of "
                        "answering %s\n",
                        qUtf8Printable(server()), logText(m_step).constData());
                setErrorText(QStringLiteral("the server %1 closed the connection instead of "
                                            "answering %2")
                                 .arg(server(), m_step));
            } else {
                KIV_LOG(2, "SMTP client [%s]: no reply to %s within %d ms\n",
                        qUtf8Printable(server()), logText(m_step).constData(), m_responseTimeout);
                setErrorText(QStringLiteral("no answer from %1 to %2 in time (%3 s)")
                                 .arg(server(), m_step)
                                 .arg(m_responseTimeout / 1000.0));
            }
            emit smtpError(ResponseTimeout);
            throw ResponseTimeoutException();
        }
    }
}
