#include "SmtpSession.h"

#include <QSslSocket>

namespace {

// Longer command lines are refused (RFC 5321 4.5.3.1.4 allows 512 octets).
constexpr int kMaxCommandLine = 64 * 1024;
const QByteArray kServerName = QByteArrayLiteral("smtpsim");

bool positive(int code)
{
    return code >= 200 && code < 400;
}

// The code of the last line of a raw answer, -1 when it has none.
int codeOf(const QByteArray &raw)
{
    QByteArray text = raw.trimmed();
    const int lastBreak = text.lastIndexOf('\n');
    if (lastBreak >= 0)
        text = text.mid(lastBreak + 1);
    bool ok = false;
    const int code = text.left(3).toInt(&ok);
    return ok ? code : -1;
}

// RFC 5321 4.5.2: the receiver drops the first "." of every line that begins with one.
QByteArray unstuff(const QByteArray &raw)
{
    QByteArray out;
    out.reserve(raw.size());
    bool lineStart = true;
    for (int i = 0; i < raw.size(); ++i) {
        const char c = raw.at(i);
        if (!(lineStart && c == '.'))
            out += c;
        lineStart = c == '\n' && i > 0 && raw.at(i - 1) == '\r';
    }
    return out;
}

QString angleAddress(const QByteArray &argument)
{
    const int open = argument.indexOf('<');
    const int close = argument.indexOf('>', open + 1);
    if (open < 0 || close < 0)
        return QString::fromUtf8(argument.mid(argument.indexOf(':') + 1).trimmed());
    return QString::fromUtf8(argument.mid(open + 1, close - open - 1));
}

} // namespace

SmtpSession::SmtpSession(QSslSocket *socket, SmtpSimulator *simulator, bool tlsFromStart,
                         QObject *parent)
    : QObject(parent), m_socket(socket), m_simulator(simulator),
      m_state(tlsFromStart ? AwaitingHandshake : Commands), m_tls(tlsFromStart)
{
    m_socket->setParent(this);
    m_serial = m_simulator->newSession(m_socket->peerAddress().toString() + QLatin1Char(':') +
                                           QString::number(m_socket->peerPort()),
                                       tlsFromStart);
    connect(m_socket, &QIODevice::readyRead, this, &SmtpSession::onReadyRead);
    connect(m_socket, &QAbstractSocket::disconnected, this, [this] { end(false); });
    connect(m_socket, &QAbstractSocket::errorOccurred, this, [this] {
        if (m_socket->error() != QAbstractSocket::RemoteHostClosedError)
            record("E: " + m_socket->errorString().toUtf8());
    });
    if (tlsFromStart) {
        connect(m_socket, &QSslSocket::encrypted, this, [this] {
            m_state = Commands;
            greet();
            onReadyRead();
        });
        m_socket->setLocalCertificate(m_simulator->certificate());
        m_socket->setPrivateKey(m_simulator->key());
        m_socket->startServerEncryption();
    } else {
        greet();
    }
}

SmtpSession::~SmtpSession() = default;

void SmtpSession::drop()
{
    m_state = Closed;
    m_socket->abort();
    end(true);
}

void SmtpSession::end(bool byServer)
{
    if (m_ended)
        return;
    m_ended = true;
    m_state = Closed;
    m_simulator->updateSession(m_serial, [byServer](SmtpSimulator::Session &s) {
        s.ended = true;
        s.closedByServer = byServer;
    });
    emit m_simulator->sessionEnded(m_serial);
    deleteLater();
}

void SmtpSession::record(const QByteArray &transcriptLine, const QByteArray &command)
{
    const bool isCommand = transcriptLine.startsWith("C: ");
    m_simulator->updateSession(m_serial, [&](SmtpSimulator::Session &s) {
        s.transcript += transcriptLine + "\r\n";
        if (isCommand)
            s.commands.append(command);
    });
}

void SmtpSession::send(const QByteArray &bytes)
{
    for (const QByteArray &line : bytes.split('\n')) {
        if (!line.isEmpty())
            record("S: " + (line.endsWith('\r') ? line.chopped(1) : line));
    }
    m_socket->write(bytes);
}

int SmtpSession::respond(SmtpSimulator::Step step, int code, const QStringList &lines,
                         const std::function<void(int)> &beforeAnswer)
{
    SmtpSimulator::Action action;
    if (!m_simulator->takeAction(step, action))
        action = SmtpSimulator::Action::answer(code);

    QByteArray bytes;
    int sent = code;
    switch (action.kind) {
    case SmtpSimulator::Action::Answer:
        sent = action.code;
        if (action.code == code && action.text.isEmpty()) {
            for (int i = 0; i < lines.size(); ++i) {
                bytes += QByteArray::number(code) + (i + 1 < lines.size() ? '-' : ' ') +
                         lines.at(i).toUtf8() + "\r\n";
            }
        } else {
            bytes = QByteArray::number(action.code) + ' ' +
                    (action.text.isEmpty() ? QByteArrayLiteral("scripted answer")
                                           : action.text.toUtf8()) +
                    "\r\n";
        }
        break;
    case SmtpSimulator::Action::RawAnswer:
        bytes = action.raw;
        sent = codeOf(action.raw);
        break;
    case SmtpSimulator::Action::StallReading:
        for (int i = 0; i < lines.size(); ++i) {
            bytes += QByteArray::number(code) + (i + 1 < lines.size() ? '-' : ' ') +
                     lines.at(i).toUtf8() + "\r\n";
        }
        break;
    case SmtpSimulator::Action::Close:
    case SmtpSimulator::Action::NoAnswer:
        sent = -1;
        break;
    }
    if (beforeAnswer)
        beforeAnswer(sent);

    switch (action.kind) {
    case SmtpSimulator::Action::Close:
        record("S: (closes the connection)");
        m_state = Closed;
        m_socket->disconnectFromHost();
        end(true);
        return -1;
    case SmtpSimulator::Action::NoAnswer:
        record("S: (falls silent)");
        m_state = Silent;
        return -1;
    case SmtpSimulator::Action::StallReading:
        send(bytes);
        record("S: (stops reading)");
        m_state = Stalled;
        // Qt stops taking data from the kernel once this buffer is full, so the client's
        // writes block.
        m_socket->setReadBufferSize(1);
        m_socket->setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, 4096);
        return sent;
    case SmtpSimulator::Action::Answer:
    case SmtpSimulator::Action::RawAnswer:
        break;
    }
    send(bytes);
    return sent;
}

void SmtpSession::greet()
{
    respond(SmtpSimulator::Greeting, 220, {QString::fromLatin1(kServerName + " ESMTP ready")});
}

void SmtpSession::onReadyRead()
{
    if (m_state == Stalled || m_state == AwaitingHandshake)
        return;
    m_buffer += m_socket->readAll();
    process();
}

void SmtpSession::process()
{
    while (!m_buffer.isEmpty()) {
        if (m_state == Silent || m_state == Closed) {
            m_buffer.clear();
            return;
        }
        if (m_state == Stalled)
            return;
        if (m_state == MessageText) {
            // The message ends with CRLF "." CRLF; its own last CRLF belongs to it.
            int end = -1;
            if (m_buffer.startsWith(".\r\n")) {
                end = 0;
            } else {
                const int at = m_buffer.indexOf("\r\n.\r\n", qMax(0, m_searchFrom - 4));
                if (at >= 0)
                    end = at + 2;
            }
            if (end < 0) {
                m_searchFrom = m_buffer.size();
                return;
            }
            const QByteArray raw = m_buffer.left(end);
            m_buffer.remove(0, end + 3);
            m_searchFrom = 0;
            m_state = Commands;
            handleMessageEnd(raw);
            continue;
        }
        const int lineEnd = m_buffer.indexOf('\n');
        if (lineEnd < 0) {
            if (m_buffer.size() > kMaxCommandLine) {
                send("500 5.5.2 Line too long\r\n");
                m_state = Closed;
                m_socket->disconnectFromHost();
            }
            return;
        }
        QByteArray line = m_buffer.left(lineEnd);
        m_buffer.remove(0, lineEnd + 1);
        if (line.endsWith('\r'))
            line.chop(1);
        handleLine(line);
    }
}

void SmtpSession::handleLine(const QByteArray &line)
{
    record("C: " + line, line);
    switch (m_state) {
    case AuthPlainResponse: {
        const QList<QByteArray> fields = QByteArray::fromBase64(line).split('\0');
        m_state = Commands;
        if (line == "*" || fields.size() != 3)
            respond(SmtpSimulator::Auth, 501, {QStringLiteral("5.5.2 Cannot decode response")});
        else
            finishAuth(QStringLiteral("PLAIN"), fields.at(1), fields.at(2));
        return;
    }
    case AuthLoginUser:
        m_loginUser = QByteArray::fromBase64(line);
        m_state = respond(SmtpSimulator::Auth, 334, {QStringLiteral("UGFzc3dvcmQ6")}) == 334
                      ? AuthLoginPassword
                      : Commands;
        return;
    case AuthLoginPassword:
        m_state = Commands;
        finishAuth(QStringLiteral("LOGIN"), m_loginUser, QByteArray::fromBase64(line));
        return;
    default:
        break;
    }
    const int blank = line.indexOf(' ');
    const QByteArray verb = (blank < 0 ? line : line.left(blank)).toUpper();
    handleCommand(verb, blank < 0 ? QByteArray() : line.mid(blank + 1));
}

void SmtpSession::handleCommand(const QByteArray &verb, const QByteArray &argument)
{
    if (verb == "EHLO" || verb == "HELO") {
        QStringList lines{QString::fromLatin1(kServerName) + QStringLiteral(" Hello ") +
                          QString::fromUtf8(argument)};
        if (verb == "EHLO") {
            lines += m_simulator->extensions();
            if (!m_tls && m_simulator->offersStartTls())
                lines << QStringLiteral("STARTTLS");
        }
        if (positive(respond(SmtpSimulator::Ehlo, 250, lines)))
            resetTransaction();
    } else if (verb == "STARTTLS") {
        if (m_tls || !m_simulator->offersStartTls())
            respond(SmtpSimulator::StartTls, 454, {QStringLiteral("4.7.0 TLS not available")});
        else if (respond(SmtpSimulator::StartTls, 220,
                         {QStringLiteral("2.0.0 Ready to start TLS")}) == 220)
            startTls();
    } else if (verb == "AUTH") {
        handleAuth(argument);
    } else if (verb == "MAIL") {
        if (m_simulator->credentialsSet() && !m_authenticated) {
            respond(SmtpSimulator::MailFrom, 530,
                    {QStringLiteral("5.7.0 Authentication required")});
        } else if (positive(respond(SmtpSimulator::MailFrom, 250, {QStringLiteral("2.1.0 Ok")}))) {
            resetTransaction();
            m_mailFrom = angleAddress(argument);
            m_inTransaction = true;
        }
    } else if (verb == "RCPT") {
        if (!m_inTransaction)
            respond(SmtpSimulator::RcptTo, 503, {QStringLiteral("5.5.1 Error: need MAIL command")});
        else if (positive(respond(SmtpSimulator::RcptTo, 250, {QStringLiteral("2.1.5 Ok")})))
            m_recipients << angleAddress(argument);
    } else if (verb == "DATA") {
        if (!m_inTransaction)
            respond(SmtpSimulator::Data, 503, {QStringLiteral("5.5.1 Error: need MAIL command")});
        else if (m_recipients.isEmpty())
            respond(SmtpSimulator::Data, 554, {QStringLiteral("5.5.1 Error: no valid recipients")});
        else if (respond(SmtpSimulator::Data, 354,
                         {QStringLiteral("End data with <CR><LF>.<CR><LF>")}) == 354)
            m_state = m_state == Stalled ? Stalled : MessageText;
    } else if (verb == "RSET") {
        resetTransaction();
        send("250 2.0.0 Ok\r\n");
    } else if (verb == "NOOP") {
        send("250 2.0.0 Ok\r\n");
    } else if (verb == "QUIT") {
        if (respond(SmtpSimulator::Quit, 221, {QStringLiteral("2.0.0 Bye")}) >= 0) {
            m_state = Closed;
            m_socket->disconnectFromHost();
        }
    } else {
        send("500 5.5.2 Error: command not recognized\r\n");
    }
}

void SmtpSession::handleAuth(const QByteArray &argument)
{
    const QList<QByteArray> words = argument.split(' ');
    const QByteArray method = words.value(0).toUpper();
    const QByteArray initial = words.value(1);
    if (m_authenticated) {
        respond(SmtpSimulator::Auth, 503, {QStringLiteral("5.5.1 Already authenticated")});
    } else if (method == "PLAIN" && !initial.isEmpty()) {
        const QList<QByteArray> fields = QByteArray::fromBase64(initial).split('\0');
        if (fields.size() != 3)
            respond(SmtpSimulator::Auth, 501, {QStringLiteral("5.5.2 Cannot decode response")});
        else
            finishAuth(QStringLiteral("PLAIN"), fields.at(1), fields.at(2));
    } else if (method == "PLAIN") {
        if (respond(SmtpSimulator::Auth, 334, {QString()}) == 334)
            m_state = AuthPlainResponse;
    } else if (method == "LOGIN") {
        if (respond(SmtpSimulator::Auth, 334, {QStringLiteral("VXNlcm5hbWU6")}) == 334)
            m_state = AuthLoginUser;
    } else {
        respond(SmtpSimulator::Auth, 504,
                {QStringLiteral("5.5.4 Unrecognized authentication type")});
    }
}

void SmtpSession::finishAuth(const QString &method, const QByteArray &user,
                             const QByteArray &password)
{
    const QString u = QString::fromUtf8(user);
    const QString p = QString::fromUtf8(password);
    const bool match = m_simulator->credentialsMatch(u, p);
    const int code = match ? respond(SmtpSimulator::Auth, 235,
                                     {QStringLiteral("2.7.0 Authentication successful")})
                           : respond(SmtpSimulator::Auth, 535,
                                     {QStringLiteral("5.7.8 Authentication credentials invalid")});
    m_authenticated = code == 235;
    m_simulator->updateSession(m_serial, [&](SmtpSimulator::Session &s) {
        s.authMethod = method;
        s.authUser = u;
        s.authPassword = p;
        s.authenticated = m_authenticated;
    });
}

void SmtpSession::handleMessageEnd(const QByteArray &raw)
{
    m_simulator->updateSession(m_serial, [&](SmtpSimulator::Session &s) {
        s.transcript += "C: (message of " + QByteArray::number(raw.size()) + " bytes)\r\nC: .\r\n";
    });
    SmtpSimulator::Message message;
    message.session = m_serial;
    message.mailFrom = m_mailFrom;
    message.recipients = m_recipients;
    message.raw = raw;
    message.data = unstuff(raw);
    ++m_messageNumber;
    // Recorded before the answer goes out, so a client that has its answer finds it.
    int index = -1;
    respond(SmtpSimulator::EndOfData, 250,
            {QStringLiteral("2.0.0 Ok: queued as %1").arg(m_messageNumber)}, [&](int code) {
                message.accepted = code == 250;
                index = m_simulator->addMessage(message);
            });
    resetTransaction();
    emit m_simulator->messageReceived(index);
}

void SmtpSession::startTls()
{
    m_socket->flush();
    m_tls = true;
    m_authenticated = false;
    resetTransaction();
    m_buffer.clear(); // RFC 3207 4.2: nothing sent before the handshake counts
    m_state = AwaitingHandshake;
    connect(m_socket, &QSslSocket::encrypted, this, [this] {
        m_state = Commands;
        m_simulator->updateSession(m_serial, [](SmtpSimulator::Session &s) { s.tls = true; });
        onReadyRead();
    });
    m_socket->setLocalCertificate(m_simulator->certificate());
    m_socket->setPrivateKey(m_simulator->key());
    m_socket->startServerEncryption();
}

void SmtpSession::resetTransaction()
{
    m_inTransaction = false;
    m_mailFrom.clear();
    m_recipients.clear();
}
