#include "MailTestUtil.h"

#include <EmailAddress.h>
#include <KivResources.h>
#include <KivTest.h>
#include <MimeAttachment.h>
#include <MimeHtml.h>
#include <MimeMessage.h>
#include <MimeMultiPart.h>
#include <SelfSignedCertificate.h>
#include <SmtpClient.h>
#include <SmtpSimulator.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QSslConfiguration>
#include <QTcpServer>
#include <QTemporaryDir>

#include <memory>

using namespace MailTestUtil;

Q_DECLARE_METATYPE(SmtpSimulator::Step)
Q_DECLARE_METATYPE(SmtpSimulator::Action)
Q_DECLARE_METATYPE(SmtpClient::ConnectionType)
Q_DECLARE_METATYPE(SmtpClient::AuthMethod)
Q_DECLARE_METATYPE(QList<SmtpClient::SmtpError>)

namespace {

const QString kLogo = QStringLiteral(":/main/NUV_logo_black.png");
const QString kSender = QStringLiteral("kiv@example.org");
const QString kRecipient = QStringLiteral("ops@example.org");
const QString kUser = QStringLiteral("kiv");
const QString kPassword = QStringLiteral("s3cret-Pa55");

// The alert e-mail as the system builds it: multipart/related with the HTML body and the
// logo referenced as "cid:NUVLogo".
struct AlertMail
{
    EmailAddress sender;
    QList<std::shared_ptr<EmailAddress>> recipients;
    MimeMessage message;
    MimeHtml html;
    MimeAttachment logo;

    AlertMail(const QString &senderName = QStringLiteral("KIV"),
              const QString &recipientName = QStringLiteral("Ops Desk"),
              const QString &subject = QStringLiteral("KIV Alert"),
              const QString &body = QStringLiteral("<p><img src=\"cid:NUVLogo\"/>Alert</p>"),
              const QString &senderAddress = kSender, const QStringList &to = {kRecipient})
        : sender(senderAddress, senderName), html(body), logo(new QFile(kLogo))
    {
        message.setSender(&sender);
        for (const QString &address : to) {
            recipients << std::make_shared<EmailAddress>(address, recipientName);
            message.addRecipient(recipients.last().get());
        }
        message.setSubject(subject);
        logo.setContentType(QStringLiteral("image/png"));
        logo.setContentId(QStringLiteral("NUVLogo"));
        message.addPart(&html);
        message.addPart(&logo);
    }
};

struct Attempt
{
    bool connected = false;
    bool loggedIn = false;
    bool sent = false;
    QList<SmtpClient::SmtpError> errors;
    qint64 elapsedMs = 0;
};

// One attempt as the e-mail task makes it: connect, log in when credentials are set, send,
// quit.
Attempt attempt(SmtpClient &client, MimeMessage &message)
{
    Attempt a;
    QObject::connect(&client, &SmtpClient::smtpError,
                     [&a](SmtpClient::SmtpError e) { a.errors << e; });
    QElapsedTimer clock;
    clock.start();
    a.connected = client.connectToHost();
    const bool login = !client.getUser().isEmpty() && !client.getPassword().isEmpty();
    a.loggedIn = a.connected && (!login || client.login());
    a.sent = a.loggedIn && client.sendMail(message);
    client.quit();
    a.elapsedMs = clock.elapsed();
    return a;
}

// Line ends as SMTP carries them: bare CR and LF become CRLF.
QByteArray withCrlf(const QByteArray &text)
{
    QByteArray out;
    for (int i = 0; i < text.size(); ++i) {
        const char c = text.at(i);
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < text.size() && text.at(i + 1) == '\n')
                ++i;
            out += "\r\n";
        } else {
            out += c;
        }
    }
    return out;
}

// A header text as the receiver reads it: control characters were sent as blanks.
QString blanked(QString text)
{
    for (QChar &c : text) {
        if (c.unicode() < 0x20)
            c = QLatin1Char(' ');
    }
    return text;
}

QList<QByteArray> commandsOf(const SmtpSimulator::Session &session)
{
    return session.commands;
}

} // namespace

class TestSmtpClient : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    SelfSignedCertificate m_trusted;
    SelfSignedCertificate m_untrusted;
    std::unique_ptr<SmtpSimulator> m_server;
    KivTest::CapturedLog *m_log = nullptr;
    int m_logMark = 0;

    void startServer(SmtpSimulator::Security security = SmtpSimulator::Plain,
                     const SelfSignedCertificate *certificate = nullptr)
    {
        m_server->setCertificate((certificate ? certificate : &m_trusted)->certificate(),
                                 (certificate ? certificate : &m_trusted)->key());
        QVERIFY2(m_server->listen(security), qPrintable(m_server->errorString()));
    }

    std::unique_ptr<SmtpClient> newClient(SmtpClient::ConnectionType type = SmtpClient::Tcp,
                                          const QString &host = QStringLiteral("127.0.0.1"))
    {
        auto client = std::make_unique<SmtpClient>(host, m_server->port(), type);
        client->setConnectionTimeout(5000);
        client->setResponseTimeout(5000);
        return client;
    }

    // The log lines written since the current test row began.
    QStringList newLogLines() const { return m_log->lines().mid(m_logMark); }
    bool logged(const QString &needle) const
    {
        for (const QString &line : newLogLines()) {
            if (line.contains(needle))
                return true;
        }
        return false;
    }

    // The server has seen the session end (the QUIT arrives after the client returned).
    SmtpSimulator::Session endedSession()
    {
        [this] { QTRY_VERIFY_WITH_TIMEOUT(m_server->lastSession().ended, 5000); }();
        return m_server->lastSession();
    }

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void dialogue_data();
    void dialogue();
    void startTls_data();
    void startTls();
    void replyLines_data();
    void replyLines();
    void failures_data();
    void failures();
    void connectionFailures_data();
    void connectionFailures();
    void sendTimeout();
    void transparency_data();
    void transparency();
    void unsafeAddressRefused_data();
    void unsafeAddressRefused();
};

void TestSmtpClient::initTestCase()
{
    initKivResources();
    m_log = KivTest::captureLog();
    QVERIFY(m_dir.isValid());
    QVERIFY2(m_trusted.create(m_dir.path(), QStringLiteral("trusted")),
             qPrintable(m_trusted.errorString()));
    QVERIFY2(m_untrusted.create(m_dir.path(), QStringLiteral("untrusted")),
             qPrintable(m_untrusted.errorString()));
    // Trusted the way an installed certificate authority is: through the default SSL
    // configuration, which every socket of the process starts from.
    QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
    configuration.addCaCertificate(m_trusted.certificate());
    QSslConfiguration::setDefaultConfiguration(configuration);
}

void TestSmtpClient::init()
{
    m_server = std::make_unique<SmtpSimulator>();
    m_logMark = m_log->lines().size();
}

void TestSmtpClient::cleanup()
{
    m_server.reset();
}

void TestSmtpClient::dialogue_data()
{
    QTest::addColumn<SmtpClient::ConnectionType>("type");
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("password");
    QTest::addColumn<SmtpClient::AuthMethod>("method");
    QTest::addColumn<QList<QByteArray>>("authCommands");

    const QList<QByteArray> none;
    QTest::newRow("TCP without credentials") << SmtpClient::Tcp << ""
                                             << "" << SmtpClient::AuthPlain << none;
    QTest::newRow("TLS without credentials") << SmtpClient::Ssl << ""
                                             << "" << SmtpClient::AuthPlain << none;
    QTest::newRow("TCP, user without password") << SmtpClient::Tcp << "kiv"
                                                << "" << SmtpClient::AuthPlain << none;
    QTest::newRow("TCP AUTH PLAIN a b")
        << SmtpClient::Tcp << "a"
        << "b" << SmtpClient::AuthPlain << QList<QByteArray>{"AUTH PLAIN AGEAYg=="};
    QTest::newRow("TLS AUTH PLAIN")
        << SmtpClient::Ssl << kUser << kPassword << SmtpClient::AuthPlain
        << QList<QByteArray>{
               "AUTH PLAIN " +
               (QByteArray(1, '\0') + kUser.toUtf8() + '\0' + kPassword.toUtf8()).toBase64()};
    QTest::newRow("TLS AUTH LOGIN with a non-ASCII password")
        << SmtpClient::Ssl << kUser << QStringLiteral("pässwörd€") << SmtpClient::AuthLogin
        << QList<QByteArray>{"AUTH LOGIN", kUser.toUtf8().toBase64(),
                             QStringLiteral("pässwörd€").toUtf8().toBase64()};
}

void TestSmtpClient::dialogue()
{
    QFETCH(SmtpClient::ConnectionType, type);
    QFETCH(QString, user);
    QFETCH(QString, password);
    QFETCH(SmtpClient::AuthMethod, method);
    QFETCH(QList<QByteArray>, authCommands);

    if (!authCommands.isEmpty())
        m_server->setCredentials(user, password);
    startServer(type == SmtpClient::Ssl ? SmtpSimulator::Tls : SmtpSimulator::Plain);
    auto client = newClient(type);
    client->setUser(user);
    client->setPassword(password);
    client->setAuthMethod(method);
    AlertMail mail;
    const Attempt a = attempt(*client, mail.message);
    QVERIFY(a.sent);
    QCOMPARE(a.errors, QList<SmtpClient::SmtpError>());

    const SmtpSimulator::Session session = endedSession();
    QCOMPARE(session.tls, type == SmtpClient::Ssl);
    QCOMPARE(session.authenticated, !authCommands.isEmpty());
    QList<QByteArray> expected{"EHLO localhost"};
    expected << authCommands;
    expected << "MAIL FROM: <kiv@example.org>"
             << "RCPT TO: <ops@example.org>"
             << "DATA"
             << "QUIT";
    QCOMPARE(commandsOf(session), expected);

    // The message arrives as the client built it, byte for byte.
    QCOMPARE(m_server->messageCount(), 1);
    const SmtpSimulator::Message received = m_server->lastMessage();
    QVERIFY(received.accepted);
    QCOMPARE(received.mailFrom, kSender);
    QCOMPARE(received.recipients, QStringList{kRecipient});
    QCOMPARE(received.data, mail.message.toString().toUtf8() + "\r\n");

    const Entity message = parseEntity(received.data);
    QVERIFY(message.wellFormed);
    QVERIFY(received.data.startsWith("From: KIV <kiv@example.org>\r\n"
                                     "To: Ops Desk <ops@example.org>\r\n"
                                     "Subject: KIV Alert\r\n"
                                     "Date: "));
    QVERIFY(received.data.contains("\r\nMessage-ID: <" + mail.message.getMessageId().toUtf8() +
                                   ">\r\n"
                                   "MIME-Version: 1.0\r\n"
                                   "Content-Type: multipart/related; boundary="));
    const QByteArray boundary = headerParameter(message.header("Content-Type"), "boundary");
    QVERIFY(QRegularExpression(QStringLiteral("^[0-9a-f]{32}$"))
                .match(QString::fromLatin1(boundary))
                .hasMatch());
    QCOMPARE(message.header("Content-Transfer-Encoding"), QByteArray("8bit"));
    const QList<QByteArray> parts = splitMultipart(message.body, boundary);
    QCOMPARE(parts.size(), 2);

    QCOMPARE(parts.at(0), QByteArray("Content-Type: text/html; charset=utf-8\r\n"
                                     "Content-Transfer-Encoding: 8bit\r\n\r\n"
                                     "<p><img src=\"cid:NUVLogo\"/>Alert</p>\r\n"));
    const Entity logo = parseEntity(parts.at(1));
    QCOMPARE(logo.headers.size(), 4);
    QCOMPARE(logo.header("Content-Type"), QByteArray("image/png; name=\"NUV_logo_black.png\""));
    QCOMPARE(logo.header("Content-Transfer-Encoding"), QByteArray("base64"));
    QCOMPARE(logo.header("Content-ID"), QByteArray("<NUVLogo>"));
    QCOMPARE(logo.header("Content-disposition"), QByteArray("attachment"));
    const QList<QByteArray> lines = logo.body.chopped(2).split('\n');
    QVERIFY(lines.size() > 2);
    for (int i = 0; i + 1 < lines.size(); ++i)
        QCOMPARE(lines.at(i).size(), 77); // 76 characters and the CR
    QVERIFY(lines.last().size() <= 76);
    QFile png(kLogo);
    QVERIFY(png.open(QIODevice::ReadOnly));
    QCOMPARE(QByteArray::fromBase64(logo.body), png.readAll());
}

void TestSmtpClient::startTls_data()
{
    QTest::addColumn<SmtpClient::ConnectionType>("type");
    QTest::addColumn<QList<QByteArray>>("greeting");
    QTest::newRow("STARTTLS upgrades the plain connection")
        << SmtpClient::StartTls
        << QList<QByteArray>{"EHLO localhost", "STARTTLS", "EHLO localhost"};
    QTest::newRow("TCP ignores an offered STARTTLS")
        << SmtpClient::Tcp << QList<QByteArray>{"EHLO localhost"};
}

void TestSmtpClient::startTls()
{
    QFETCH(SmtpClient::ConnectionType, type);
    QFETCH(QList<QByteArray>, greeting);
    m_server->setOfferStartTls(true);
    startServer();
    auto client = newClient(type);
    AlertMail mail;
    const Attempt a = attempt(*client, mail.message);
    QVERIFY(a.sent);
    const SmtpSimulator::Session session = endedSession();
    QCOMPARE(session.tls, type == SmtpClient::StartTls);
    QCOMPARE(commandsOf(session).mid(0, greeting.size()), greeting);
    QCOMPARE(commandsOf(session).at(greeting.size()), QByteArray("MAIL FROM: <kiv@example.org>"));
}

void TestSmtpClient::replyLines_data()
{
    QTest::addColumn<SmtpSimulator::Step>("step");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<bool>("connected");
    QTest::addColumn<QList<SmtpClient::SmtpError>>("errors");

    using E = QList<SmtpClient::SmtpError>;
    QTest::newRow("a bare 250 ends the EHLO reply")
        << SmtpSimulator::Ehlo << QByteArray("250-smtpsim\r\n250-8BITMIME\r\n250\r\n") << true
        << E();
    QTest::newRow("LF-only line ends")
        << SmtpSimulator::Ehlo << QByteArray("250-smtpsim\n250 HELP\n") << true << E();
    QTest::newRow("a 4xx continuation line is reported, the final code counts")
        << SmtpSimulator::Ehlo << QByteArray("421-busy\r\n250 ok\r\n") << true
        << E{SmtpClient::ServerError};
    QTest::newRow("greeting 554: client error, then server error")
        << SmtpSimulator::Greeting << QByteArray("554 no service\r\n") << false
        << E{SmtpClient::ClientError, SmtpClient::ServerError};
    QTest::newRow("a line without a code")
        << SmtpSimulator::Ehlo << QByteArray("hello\r\n") << false << E{SmtpClient::ServerError};
    QTest::newRow("a reply that never ends")
        << SmtpSimulator::Ehlo << QByteArray("250-x\r\n").repeated(20000) << false
        << E{SmtpClient::ServerError};
}

void TestSmtpClient::replyLines()
{
    QFETCH(SmtpSimulator::Step, step);
    QFETCH(QByteArray, reply);
    QFETCH(bool, connected);
    QFETCH(QList<SmtpClient::SmtpError>, errors);
    m_server->script(step, SmtpSimulator::Action::rawAnswer(reply));
    startServer();
    auto client = newClient();
    QList<SmtpClient::SmtpError> seen;
    connect(client.get(), &SmtpClient::smtpError, [&seen](SmtpClient::SmtpError e) { seen << e; });
    QCOMPARE(client->connectToHost(), connected);
    QCOMPARE(seen, errors);
    client->quit();
}

void TestSmtpClient::failures_data()
{
    QTest::addColumn<SmtpSimulator::Step>("step");
    QTest::addColumn<int>("skip");
    QTest::addColumn<SmtpSimulator::Action>("action");
    QTest::addColumn<QList<SmtpClient::SmtpError>>("errors");
    QTest::addColumn<QString>("logText");

    using E = QList<SmtpClient::SmtpError>;
    const struct
    {
        const char *name;
        SmtpSimulator::Step step;
        int skip;
        E extra; // what the operation adds to the reply's own signal
    } steps[] = {
        {"greeting", SmtpSimulator::Greeting, 0, {SmtpClient::ServerError}},
        {"EHLO", SmtpSimulator::Ehlo, 0, {SmtpClient::ServerError}},
        {"AUTH", SmtpSimulator::Auth, 0, {SmtpClient::AuthenticationFailed}},
        {"AUTH password", SmtpSimulator::Auth, 2, {SmtpClient::AuthenticationFailed}},
        {"MAIL FROM", SmtpSimulator::MailFrom, 0, {}},
        {"second RCPT TO", SmtpSimulator::RcptTo, 1, {}},
        {"DATA", SmtpSimulator::Data, 0, {}},
        {"end of message", SmtpSimulator::EndOfData, 0, {}},
    };
    for (const auto &s : steps) {
        QTest::addRow("%s 451", s.name)
            << s.step << s.skip << SmtpSimulator::Action::answer(451, QStringLiteral("try later"))
            << (E{SmtpClient::ServerError} + s.extra) << "answered \"451 try later\"";
        QTest::addRow("%s 554", s.name)
            << s.step << s.skip << SmtpSimulator::Action::answer(554, QStringLiteral("refused"))
            << (E{SmtpClient::ClientError} + s.extra) << "answered \"554 refused\"";
        // The operations that compare a code add nothing after a time-out but the
        // authentication failure.
        const E afterTimeout = s.step == SmtpSimulator::Auth ? s.extra : E();
        QTest::addRow("%s close", s.name)
            << s.step << s.skip << SmtpSimulator::Action::close()
            << (E{SmtpClient::ResponseTimeout} + afterTimeout) << "closed the connection";
        QTest::addRow("%s silent", s.name)
            << s.step << s.skip << SmtpSimulator::Action::noAnswer()
            << (E{SmtpClient::ResponseTimeout} + afterTimeout) << "no reply to";
    }
}

void TestSmtpClient::failures()
{
    QFETCH(SmtpSimulator::Step, step);
    QFETCH(int, skip);
    QFETCH(SmtpSimulator::Action, action);
    QFETCH(QList<SmtpClient::SmtpError>, errors);
    QFETCH(QString, logText);

    m_server->setCredentials(kUser, kPassword);
    m_server->script(step, action, 1, skip);
    startServer();
    auto client = newClient();
    client->setUser(kUser);
    client->setPassword(kPassword);
    client->setAuthMethod(skip == 2 ? SmtpClient::AuthLogin : SmtpClient::AuthPlain);
    const int responseTimeout = 400;
    if (action.kind == SmtpSimulator::Action::NoAnswer)
        client->setResponseTimeout(responseTimeout);
    AlertMail mail(QStringLiteral("KIV"), QStringLiteral("Ops"), QStringLiteral("KIV Alert"),
                   QStringLiteral("<p>x</p>"), kSender,
                   {kRecipient, QStringLiteral("second@example.org")});

    const Attempt a = attempt(*client, mail.message);
    QVERIFY(!a.sent);
    QCOMPARE(a.connected, step != SmtpSimulator::Greeting && step != SmtpSimulator::Ehlo);
    QCOMPARE(a.loggedIn, a.connected && step != SmtpSimulator::Auth);
    QCOMPARE(a.errors, errors);
    if (action.kind == SmtpSimulator::Action::NoAnswer)
        QVERIFY2(a.elapsedMs >= responseTimeout - 50, qPrintable(QString::number(a.elapsedMs)));
    QVERIFY2(logged(logText), qPrintable(newLogLines().join(QLatin1Char('|'))));

    for (const SmtpSimulator::Message &m : m_server->messages())
        QVERIFY(!m.accepted);
    if (step == SmtpSimulator::RcptTo)
        QVERIFY(!commandsOf(m_server->lastSession()).contains("DATA"));

    // The password shows in no log line, neither in clear nor in Base64.
    const QStringList secrets{
        kPassword, QString::fromLatin1(kPassword.toUtf8().toBase64()),
        QString::fromLatin1(
            (QByteArray(1, '\0') + kUser.toUtf8() + '\0' + kPassword.toUtf8()).toBase64())};
    for (const QString &line : m_log->lines()) {
        for (const QString &secret : secrets)
            QVERIFY2(!line.contains(secret), qPrintable(line));
    }
}

void TestSmtpClient::connectionFailures_data()
{
    QTest::addColumn<SmtpClient::ConnectionType>("type");
    QTest::addColumn<int>("server"); // 0 none, 1 plain, 2 TLS with an untrusted certificate
    QTest::addColumn<QString>("logText");
    QTest::newRow("nothing listens")
        << SmtpClient::Tcp << 0 << "no TCP connection (time-out 3000 ms): Connection refused";
    QTest::newRow("TLS with an untrusted certificate")
        << SmtpClient::Ssl << 2
        << "no TLS connection (time-out 3000 ms): The certificate is self-signed";
    QTest::newRow("TLS to a plain server")
        << SmtpClient::Ssl << 1
        << "no TLS connection (time-out 3000 ms): Error during SSL handshake";
    QTest::newRow("STARTTLS not offered") << SmtpClient::StartTls << 1 << "to STARTTLS";
}

void TestSmtpClient::connectionFailures()
{
    QFETCH(SmtpClient::ConnectionType, type);
    QFETCH(int, server);
    QFETCH(QString, logText);
    quint16 port;
    if (server == 0) {
        QTcpServer probe; // a port nobody listens on any more
        QVERIFY(probe.listen(QHostAddress::LocalHost));
        port = probe.serverPort();
    } else {
        startServer(server == 2 ? SmtpSimulator::Tls : SmtpSimulator::Plain,
                    server == 2 ? &m_untrusted : nullptr);
        port = m_server->port();
    }
    SmtpClient client(QStringLiteral("127.0.0.1"), port, type);
    client.setConnectionTimeout(3000);
    AlertMail mail;
    const Attempt a = attempt(client, mail.message);
    QVERIFY(!a.connected);
    const QList<SmtpClient::SmtpError> expected{
        type == SmtpClient::StartTls ? SmtpClient::ServerError : SmtpClient::ConnectTimeout};
    QCOMPARE(a.errors.mid(0, 1), expected);
    QVERIFY2(logged(logText), qPrintable(newLogLines().join(QLatin1Char('|'))));
    QCOMPARE(m_server->messageCount(), 0);
}

void TestSmtpClient::sendTimeout()
{
    // The server takes DATA and then reads no more; the message fills every buffer.
    m_server->script(SmtpSimulator::Data, SmtpSimulator::Action::stallReading());
    startServer();
    auto client = newClient();
    client->setSendMessageTimeout(300);
    AlertMail mail(
        QStringLiteral("KIV"), QStringLiteral("Ops"), QStringLiteral("KIV Alert"),
        QStringLiteral("<p>%1</p>\r\n").arg(QString(90, QLatin1Char('x'))).repeated(150000));
    const Attempt a = attempt(*client, mail.message);
    QVERIFY(a.connected);
    QVERIFY(!a.sent);
    QCOMPARE(a.errors.value(0), SmtpClient::SendTimeout);
    QVERIFY2(logged(QStringLiteral("could not send the message within 300 ms")),
             qPrintable(newLogLines().join(QLatin1Char('|'))));
}

void TestSmtpClient::transparency_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("subject");
    QTest::addColumn<QString>("body");
    QTest::addColumn<QByteArray>("rawHolds");

    QTest::newRow("a lone dot line cannot end the message")
        << "Studio"
        << "KIV Alert"
        << "<p>Meter\r\n.\r\nQUIT\r\nRSET\r\n</p>" << QByteArray("Meter\r\n..\r\nQUIT\r\n");
    QTest::newRow("lines beginning with dots") << "Studio"
                                               << "KIV Alert"
                                               << ".first\r\n..second\n.\n"
                                               << QByteArray("\r\n..first\r\n...second\r\n..\r\n");
    QTest::newRow("bare CR and LF become CRLF")
        << "Studio"
        << "KIV Alert"
        << "a\rb\nc\r\n\rd" << QByteArray("a\r\nb\r\nc\r\n\r\nd");
    QTest::newRow("header injection through names and subject")
        << "Ops\r\nBcc: eve@example.org"
        << "Alert\r\nX-Injected: yes\n\r\n.\r\nDATA"
        << "<p>x</p>" << QByteArray("Subject: Alert  X-Injected: yes   .  DATA\r\n");
    QTest::newRow("long HTML line")
        << "Studio"
        << "KIV Alert"
        << QStringLiteral("<table>%1</table>")
               .arg(QStringLiteral("<tr><td>Studio 1</td><td>-23.0 LUFS</td></tr>").repeated(300))
        << QByteArray("</tr>\r\n<tr>");
    QTest::newRow("non-Latin names and text")
        << "Студия Ω 録音"
        << "Превышение громкости"
        << "<p>Студия 1 — 録音スタジオ</p>"
        << QStringLiteral("<p>Студия 1 — 録音スタジオ</p>").toUtf8();
}

void TestSmtpClient::transparency()
{
    QFETCH(QString, name);
    QFETCH(QString, subject);
    QFETCH(QString, body);
    QFETCH(QByteArray, rawHolds);
    startServer();
    auto client = newClient();
    AlertMail mail(name, name, subject, body);
    const Attempt a = attempt(*client, mail.message);
    QVERIFY(a.sent);

    const SmtpSimulator::Session session = endedSession();
    QCOMPARE(commandsOf(session),
             (QList<QByteArray>{"EHLO localhost", "MAIL FROM: <kiv@example.org>",
                                "RCPT TO: <ops@example.org>", "DATA", "QUIT"}));
    QCOMPARE(m_server->messageCount(), 1);
    const SmtpSimulator::Message received = m_server->lastMessage();
    QCOMPARE(bareLineEnds(received.raw), 0);
    QVERIFY(longestLine(received.data) <= 998);
    QVERIFY2(received.raw.contains(rawHolds), received.raw.left(400).constData());
    QCOMPARE(received.data, withCrlf(mail.message.toString().toUtf8()) + "\r\n");

    const Entity message = parseEntity(received.data);
    QVERIFY(message.wellFormed);
    // From, To, Subject, Date, Message-ID, MIME-Version, Content-Type, -Encoding
    QCOMPARE(message.headers.size(), 8);
    QCOMPARE(decodeHeader(message.header("To"))
                 .section(QLatin1String(" <"), 0, 0)
                 .remove(QLatin1Char('"')),
             blanked(name));
    QCOMPARE(decodeHeader(message.header("Subject")), blanked(subject));
    const QList<QByteArray> parts =
        splitMultipart(message.body, headerParameter(message.header("Content-Type"), "boundary"));
    QCOMPARE(parts.size(), 2);
    QByteArray html = parseEntity(parts.at(0)).body.chopped(2);
    html.replace("\r\n", "");
    QByteArray expected = body.toUtf8();
    expected.replace("\r", "").replace("\n", "");
    QCOMPARE(html, expected);
}

void TestSmtpClient::unsafeAddressRefused_data()
{
    QTest::addColumn<QString>("sender");
    QTest::addColumn<QString>("recipient");
    QTest::newRow("CRLF in the sender")
        << "kiv@example.org>\r\nRCPT TO: <eve@example.org" << kRecipient;
    QTest::newRow("LF in a recipient") << kSender << "ops@example.org\nDATA";
    QTest::newRow("angle bracket in a recipient") << kSender << "ops@example.org> <eve@example.org";
    QTest::newRow("NUL in a recipient")
        << kSender << QStringLiteral("ops@example.org%1").arg(QChar(0));
}

void TestSmtpClient::unsafeAddressRefused()
{
    QFETCH(QString, sender);
    QFETCH(QString, recipient);
    startServer();
    auto client = newClient();
    AlertMail mail(QStringLiteral("KIV"), QStringLiteral("Ops"), QStringLiteral("KIV Alert"),
                   QStringLiteral("<p>x</p>"), sender, {recipient});
    const Attempt a = attempt(*client, mail.message);
    QVERIFY(a.connected);
    QVERIFY(!a.sent);
    QVERIFY(logged(QStringLiteral("mail not sent: the address")));
    // Logged escaped, on one line.
    for (const QString &line : newLogLines()) {
        const QString entry = line.mid(line.indexOf(QLatin1String("SMTP client"))).trimmed();
        QVERIFY2(!entry.contains(QLatin1Char('\n')) && !entry.contains(QLatin1Char('\r')) &&
                     !entry.contains(QChar(0)),
                 qPrintable(line));
    }
    QCOMPARE(commandsOf(endedSession()), (QList<QByteArray>{"EHLO localhost", "QUIT"}));
}

KIV_TEST_MAIN(TestSmtpClient, QCoreApplication)

#include "tst_smtpclient.moc"
