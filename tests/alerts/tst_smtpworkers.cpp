// The e-mail workers against the loopback mail server: a task's attempts, retries and
// time-out, the two request queues, and workers that send in parallel and stop at once.
#include "MailTestUtil.h"

#include <KivTest.h>

#include <AgConfig.h>
#include <AgData.h>
#include <AlertGenerator.h>
#include <AlertManager.h>
#include <FakeSystem.h>
#include <InstrumentConfig.h>
#include <ORQLogging.h>
#include <SMTPManager.h>
#include <SMTPRequest.h>
#include <SMTPTask.h>
#include <SMTPTestController.h>
#include <SettingsViewController.h>
#include <SmtpSimulator.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QTcpServer>

#include <memory>

using namespace MailTestUtil;

namespace {

const QString kBody = QStringLiteral("<html><body><img src=\"cid:NUVLogo\"/>Alert</body></html>");

SMTPConfig smtpFor(quint16 port, const QString &user = QString(),
                   const QString &password = QString(),
                   const QString &type = QStringLiteral("TCP"))
{
    SMTPConfig smtp;
    smtp.setConnectionType(type);
    smtp.setHost(QStringLiteral("127.0.0.1"));
    smtp.setPort(port);
    smtp.setSenderEmailAddress(QStringLiteral("kiv@example.org"));
    smtp.setUser(user);
    smtp.setPassword(password);
    return smtp;
}

SMTPRequest request(const QString &id, const SMTPConfig &smtp, const QString &body = kBody)
{
    return SMTPRequest(id, smtp, smtp.getSenderEmailAddress(), QStringLiteral("KIV"),
                       QStringLiteral("ops@example.org"), QStringLiteral("Ops Desk"),
                       QStringLiteral("KIV Alert"), body);
}

// A port on which nothing listens.
quint16 deadPort()
{
    QTcpServer server;
    server.listen(QHostAddress::LocalHost);
    return server.serverPort();
}

// Steps the task every 20 ms until it has finished or the time is up.
void stepUntilFinished(SMTPTask &task, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!task.isFinished() && timer.elapsed() < timeoutMs) {
        task.step();
        QTest::qWait(20);
    }
}

// The shared queue of a real manager behind the fake front, as the system wires it.
class QueueSystem : public FakeSystem
{
public:
    SMTPManager manager;

    void queueEmails(const std::vector<SMTPRequest> &requests, int &result) override
    {
        manager.queueRequests(requests, result);
    }
    SMTPRequest takeNextSmtpRequest(int &result) override { return manager.takeRequest(result); }
};

std::vector<SMTPRequest> requests(int count, const SMTPConfig &smtp, const QString &prefix)
{
    std::vector<SMTPRequest> out;
    for (int i = 0; i < count; ++i)
        out.push_back(request(prefix + QString::number(i), smtp));
    return out;
}

} // namespace

class TestSmtpWorkers : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void taskSendsTheRequestedMail();
    void alertMailArrivesWhole();
    void mailCarriesDateIdAndItsCharset_data();
    void mailCarriesDateIdAndItsCharset();
    void authOnlyWithUserAndPassword_data();
    void authOnlyWithUserAndPassword();
    void retriesAfterTheIntervalUntilSent();
    void failsAfterTheOverallTimeout_data();
    void failsAfterTheOverallTimeout();
    void sharedQueueTakesAllOrNone_data();
    void sharedQueueTakesAllOrNone();
    void testQueueHandsOutTheNewestFirst();
    void testEmailTellsItsOutcome_data();
    void testEmailTellsItsOutcome();
    void fiveWorkersSendInParallelAndStopWhileWaiting();
    void workerLogsEachResultOnce();
    void stopEndsAWriteTheServerDoesNotRead();

private:
    KivTest::CapturedLog *m_log = nullptr;
    std::unique_ptr<SmtpSimulator> m_server;
};

void TestSmtpWorkers::initTestCase()
{
    m_log = KivTest::captureLog();
}

void TestSmtpWorkers::init()
{
    m_server = std::make_unique<SmtpSimulator>();
}

void TestSmtpWorkers::cleanup()
{
    m_server.reset();
}

void TestSmtpWorkers::taskSendsTheRequestedMail()
{
    QVERIFY(m_server->listen());
    SMTPTask task(request(QStringLiteral("req-7"), smtpFor(m_server->port())), 30000, 10000);
    task.step();
    QVERIFY(task.isSucceeded());
    QCOMPARE(task.getResultMessage(), QStringLiteral("SMTP Task[req-7] successfully performed"));

    QCOMPARE(m_server->messageCount(), 1);
    const SmtpSimulator::Message sent = m_server->lastMessage();
    QCOMPARE(sent.mailFrom, QStringLiteral("kiv@example.org"));
    QCOMPARE(sent.recipients, QStringList{QStringLiteral("ops@example.org")});
    const Entity mail = parseEntity(sent.data);
    QCOMPARE(decodeHeader(mail.header("Subject")), QStringLiteral("KIV Alert"));
    QCOMPARE(decodeHeader(mail.header("To")), QStringLiteral("Ops Desk <ops@example.org>"));
    const QList<QByteArray> parts =
        splitMultipart(mail.body, headerParameter(mail.header("Content-Type"), "boundary"));
    QCOMPARE(parts.size(), 2);
    const Entity html = parseEntity(parts[0]);
    QVERIFY(html.header("Content-Type").startsWith("text/html"));
    QCOMPARE(html.body.trimmed(), kBody.toUtf8());
    const Entity logo = parseEntity(parts[1]);
    QVERIFY(logo.header("Content-Type").startsWith("image/png"));
    QCOMPARE(logo.header("Content-ID"), QByteArray("<NUVLogo>"));

    // A finished task makes no further attempt.
    task.step();
    QCOMPARE(m_server->sessionCount(), 1);
}

void TestSmtpWorkers::alertMailArrivesWhole()
{
    // A meter name with characters XML cannot carry and a line that is a lone ".".
    const InstrumentConfig instrument(QStringLiteral("Stu\x01" "dio\x0b\n.\nRoom"));
    AgConfig config(QStringLiteral("Main"));
    AgData sample(QStringLiteral("Main"));
    sample.setEmpty(false);
    sample.setTimestamp(1700000000000);
    sample.setM400ms(12.5);
    const QString description =
        AlertGenerator::composeViolationText(&instrument, &config, sample, false);
    int composed = -1;
    const QString body = AlertManager::composeEmailBody(
        {Alert(1700000000000, 0, 1, 0, description)}, composed);
    QCOMPARE(composed, 0);

    QVERIFY(m_server->listen());
    SMTPTask task(request(QStringLiteral("alert"), smtpFor(m_server->port()), body), 30000,
                  10000);
    task.step();
    QVERIFY(task.isSucceeded());
    const SmtpSimulator::Message sent = m_server->lastMessage();
    QVERIFY(sent.accepted);
    // RFC 5321 4.5.2: the line is sent with its dot doubled and arrives as it was.
    QVERIFY(sent.raw.contains("\r\n..<br/>\r\n"));
    const Entity mail = parseEntity(sent.data);
    const QList<QByteArray> parts =
        splitMultipart(mail.body, headerParameter(mail.header("Content-Type"), "boundary"));
    QCOMPARE(parts.size(), 2);
    const QString html = QString::fromUtf8(parseEntity(parts[0]).body);
    QVERIFY2(html.contains(QStringLiteral(
                 "Threshold violation at 2023.11.14 22:13:20 UTC in Studio<br/>\r\n"
                 ".<br/>\r\n"
                 "Room:Main<br/>\r\n"
                 "Momentary: 12.50LU (Threshold main: 8.00LU/ Threshold secondary: 8.00LU)")),
             qPrintable(html));
    QVERIFY(html.trimmed().endsWith(QStringLiteral("</html>")));
    QFile logo(QString::fromLatin1(SMTPTask::kLogoPath));
    QVERIFY(logo.open(QIODevice::ReadOnly));
    QCOMPARE(QByteArray::fromBase64(parseEntity(parts[1]).body), logo.readAll());
}

void TestSmtpWorkers::mailCarriesDateIdAndItsCharset_data()
{
    QTest::addColumn<QString>("body");
    int composed = -1;
    QTest::newRow("alert mail") << AlertManager::composeEmailBody(
        {Alert(1700000000000, 0, 1, 0, QStringLiteral("Studio: loud"))}, composed);
    QTest::newRow("test mail") << SettingsViewController::testEmailBody();
}

// RFC 5322 3.3 and 3.6.4 as the receiving server reads them, and an HTML part that names
// the charset of its MIME header.
void TestSmtpWorkers::mailCarriesDateIdAndItsCharset()
{
    QFETCH(QString, body);
    QVERIFY(m_server->listen());
    const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
    SMTPTask task(request(QStringLiteral("dated"), smtpFor(m_server->port()), body), 30000, 10000);
    task.step();
    QVERIFY(task.isSucceeded());
    const QDateTime after = QDateTime::currentDateTime();
    const Entity mail = parseEntity(m_server->lastMessage().data);
    QVERIFY(mail.wellFormed);

    QCOMPARE(mail.headerCount("Date"), 1);
    const QDateTime date =
        QDateTime::fromString(QString::fromLatin1(mail.header("Date")), Qt::RFC2822Date);
    QVERIFY2(date >= before && date <= after, mail.header("Date").constData());
    QCOMPARE(date.offsetFromUtc(), after.offsetFromUtc()); // local time
    QCOMPARE(mail.headerCount("Message-ID"), 1);
    QVERIFY2(QRegularExpression(QStringLiteral("^<[^<>@ ]+@example\\.org>$"))
                 .match(QString::fromLatin1(mail.header("Message-ID")))
                 .hasMatch(),
             mail.header("Message-ID").constData());

    const QList<QByteArray> parts =
        splitMultipart(mail.body, headerParameter(mail.header("Content-Type"), "boundary"));
    QVERIFY(!parts.isEmpty());
    const Entity html = parseEntity(parts[0]);
    const QByteArray charset = headerParameter(html.header("Content-Type"), "charset");
    QCOMPARE(charset, QByteArray("utf-8"));
    const QRegularExpression meta(QStringLiteral("<meta[^>]*charset=([\\w-]+)"),
                                  QRegularExpression::CaseInsensitiveOption);
    auto declared = meta.globalMatch(QString::fromUtf8(html.body));
    QVERIFY(declared.hasNext());
    while (declared.hasNext())
        QCOMPARE(declared.next().captured(1).toLower().toLatin1(), charset);
}

void TestSmtpWorkers::authOnlyWithUserAndPassword_data()
{
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("password");
    QTest::addColumn<bool>("auth");
    QTest::newRow("neither") << QString() << QString() << false;
    QTest::newRow("user only") << "kiv" << QString() << false;
    QTest::newRow("password only") << QString() << "pw" << false;
    QTest::newRow("both") << "kiv" << "pw" << true;
}

void TestSmtpWorkers::authOnlyWithUserAndPassword()
{
    QFETCH(QString, user);
    QFETCH(QString, password);
    QFETCH(bool, auth);
    QVERIFY(m_server->listen());
    SMTPTask task(request(QStringLiteral("r"), smtpFor(m_server->port(), user, password)), 30000,
                  10000);
    task.step();
    QVERIFY(task.isSucceeded());
    const SmtpSimulator::Session session = m_server->lastSession();
    QCOMPARE(session.authMethod, auth ? QStringLiteral("PLAIN") : QString());
    if (auth) {
        QCOMPARE(session.authUser, user);
        QCOMPARE(session.authPassword, password);
    }
}

void TestSmtpWorkers::retriesAfterTheIntervalUntilSent()
{
    // The server refuses the mail twice, then takes it.
    m_server->script(SmtpSimulator::MailFrom, SmtpSimulator::Action::answer(451, "try later"), 2);
    QVERIFY(m_server->listen());
    SMTPTask task(request(QStringLiteral("r"), smtpFor(m_server->port())), 20000, 300);
    QElapsedTimer timer;
    timer.start();
    task.step();
    QCOMPARE(m_server->sessionCount(), 1);
    // No attempt before the interval has passed.
    task.step();
    task.step();
    QCOMPARE(m_server->sessionCount(), 1);
    QVERIFY(!task.isFinished());

    stepUntilFinished(task, 10000);
    QVERIFY(task.isSucceeded());
    QCOMPARE(m_server->sessionCount(), 3);
    QCOMPARE(m_server->messageCount(), 1);
    QVERIFY(timer.elapsed() >= 600);
}

void TestSmtpWorkers::failsAfterTheOverallTimeout_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("logged"); // once per attempt
    QTest::newRow("unreachable server") << "TCP" << "no TCP connection";
    QTest::newRow("unknown connection type")
        << "STARTTLS" << "SMTP TASK[r] could not be performed: unknown connection type STARTTLS";
}

void TestSmtpWorkers::failsAfterTheOverallTimeout()
{
    QFETCH(QString, type);
    QFETCH(QString, logged);
    const int before = m_log->count(logged);
    // Every attempt is written: a minute passes between two entries.
    ORQ::gLogger.load()->setRepeatClock(
        [ms = std::int64_t(0)]() mutable { return ms += ORQ::CORQRepeatFilter::kWindowMs; });
    auto realClock = qScopeGuard([] { ORQ::gLogger.load()->setRepeatClock({}); });
    SMTPTask task(request(QStringLiteral("r"), smtpFor(deadPort(), QString(), QString(), type)),
                  1000, 300);
    QElapsedTimer timer;
    timer.start();
    stepUntilFinished(task, 10000);
    QVERIFY(task.isFailed());
    QVERIFY(!task.isSucceeded());
    QVERIFY(timer.elapsed() > 1000);
    QCOMPARE(task.getResultMessage(), QStringLiteral("SMTP Task[r] failed because it timed out"));
    // Attempts at 0, after 300 ms and after 600 ms (and perhaps 900 ms) of the second.
    const int attempts = m_log->count(logged) - before;
    QVERIFY2(attempts >= 3 && attempts <= 4, qPrintable(QString::number(attempts)));
    task.step();
    QCOMPARE(m_log->count(logged) - before, attempts);
}

void TestSmtpWorkers::sharedQueueTakesAllOrNone_data()
{
    QTest::addColumn<int>("waiting");
    QTest::addColumn<int>("offered");
    QTest::addColumn<int>("result");
    QTest::newRow("199 waiting, one more is refused") << 199 << 1 << -1;
    QTest::newRow("198 waiting, one more makes 199") << 198 << 1 << 0;
    QTest::newRow("195 waiting, five are refused together") << 195 << 5 << -1;
    QTest::newRow("200 at once are refused") << 0 << 200 << -1;
    QTest::newRow("an empty vector is taken") << 199 << 0 << 0;
}

void TestSmtpWorkers::sharedQueueTakesAllOrNone()
{
    QFETCH(int, waiting);
    QFETCH(int, offered);
    QFETCH(int, result);
    SMTPManager manager;
    const SMTPConfig smtp = smtpFor(25);
    int queued = -1;
    manager.queueRequests(requests(waiting, smtp, QStringLiteral("old-")), queued);
    QCOMPARE(queued, 0);
    manager.queueRequests(requests(offered, smtp, QStringLiteral("new-")), queued);
    QCOMPARE(queued, result);

    // Oldest first, and nothing of a refused vector.
    const int expected = waiting + (result == 0 ? offered : 0);
    for (int i = 0; i < expected; ++i) {
        int taken = -1;
        const SMTPRequest r = manager.takeRequest(taken);
        QCOMPARE(taken, 0);
        QCOMPARE(r.getId(), i < waiting ? QStringLiteral("old-%1").arg(i)
                                        : QStringLiteral("new-%1").arg(i - waiting));
    }
    int taken = 0;
    manager.takeRequest(taken);
    QCOMPARE(taken, -1);
}

void TestSmtpWorkers::testQueueHandsOutTheNewestFirst()
{
    SMTPTestController controller;
    const SMTPConfig smtp = smtpFor(25);
    int result = -1;
    controller.queueRequests(requests(3, smtp, QStringLiteral("a-")), result);
    QCOMPARE(result, 0);
    QVERIFY(controller.hasRequests());
    // Refused whole while the earlier ones wait.
    controller.queueRequests(requests(1, smtp, QStringLiteral("b-")), result);
    QCOMPARE(result, -1);

    QStringList order;
    for (int i = 0; i < 3; ++i)
        order << controller.takeRequest(result).getId();
    QCOMPARE(order, (QStringList{"a-2", "a-1", "a-0"}));
    QVERIFY(!controller.hasRequests());
    controller.takeRequest(result);
    QCOMPARE(result, -1);
    controller.queueRequests(requests(1, smtp, QStringLiteral("b-")), result);
    QCOMPARE(result, 0);
}

void TestSmtpWorkers::testEmailTellsItsOutcome_data()
{
    QTest::addColumn<QString>("server"); // "live", "dead" (nothing listens) or a host name
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("alert"); // %1 is the port
    // Both contacts share the server, so both fail for the same reason.
    const auto notSent = [](const QString &reason) {
        return QStringLiteral("Could not send test email.") +
               QStringLiteral("\nNot sent to Ops Desk <ops@example.org>: %1.")
                   .arg(reason)
                   .repeated(2);
    };
    QTest::newRow("sent") << "live" << QString() << "Test email sent to 2 contacts.";
    QTest::newRow("refused port") << "dead" << QString()
                                  << notSent("the server 127.0.0.1:%1 refused the connection");
    QTest::newRow("unknown host") << "nohost.invalid" << QString()
                                  << notSent("the host nohost.invalid was not found");
    QTest::newRow("login refused")
        << "live"
        << "kiv" << notSent("the server 127.0.0.1:%1 refused the login of user \"kiv\": 535 no");
}

void TestSmtpWorkers::testEmailTellsItsOutcome()
{
    QFETCH(QString, server);
    QFETCH(QString, user);
    QFETCH(QString, alert);
    m_server->script(SmtpSimulator::Auth, SmtpSimulator::Action::answer(535, "no"), -1);
    QVERIFY(m_server->listen());
    FakeSystem system;
    SMTPTestController controller;
    controller.setTaskTimeouts(1000, 300);
    SMTPConfig smtp =
        smtpFor(server == QLatin1String("dead") ? deadPort() : m_server->port(), user, user);
    if (server != QLatin1String("live") && server != QLatin1String("dead"))
        smtp.setHost(server);
    int result = -1;
    controller.queueRequests(
        {request(QStringLiteral("a"), smtp), request(QStringLiteral("b"), smtp)}, result);
    QCOMPARE(result, 0);
    QCOMPARE(controller.startThread(), 0);
    QTRY_COMPARE_WITH_TIMEOUT(system.alertTexts().size(), 1, 20000);
    QCOMPARE(system.alertTexts().first(),
             alert.replace(QLatin1String("%1"), QString::number(smtp.getPort())));
    // Busy until the outcome is told; then the next test is taken.
    QTRY_VERIFY_WITH_TIMEOUT(!controller.hasRequests(), 10000);
    controller.queueRequests({request(QStringLiteral("c"), smtp)}, result);
    QCOMPARE(result, 0);
}

void TestSmtpWorkers::fiveWorkersSendInParallelAndStopWhileWaiting()
{
    // Every session waits for a greeting that does not come.
    m_server->script(SmtpSimulator::Greeting, SmtpSimulator::Action::noAnswer(), -1);
    QVERIFY(m_server->listen());
    QueueSystem system;
    QCOMPARE(system.manager.startControllers(), 0);
    QTest::qWait(100);
    int result = -1;
    QElapsedTimer taken;
    taken.start();
    system.queueEmails(requests(5, smtpFor(m_server->port()), QStringLiteral("p-")), result);
    QCOMPARE(result, 0);
    // The idle workers are woken by the queueing, not by their next pass, and connect at once.
    QTRY_COMPARE_WITH_TIMEOUT(m_server->sessionCount(), 5, 2500);
    QVERIFY2(taken.elapsed() < SMTPController::kIdlePassMs / 3,
             qPrintable(QString::number(taken.elapsed())));

    // Each waits up to 5000 ms for the greeting; a stop ends the waits.
    QElapsedTimer timer;
    timer.start();
    system.manager.stopControllers();
    QTRY_VERIFY_WITH_TIMEOUT(system.manager.areControllersStopped(), 6000);
    QVERIFY2(timer.elapsed() < 3500, qPrintable(QString::number(timer.elapsed())));
    QCOMPARE(m_server->messageCount(), 0);
}

void TestSmtpWorkers::workerLogsEachResultOnce()
{
    QVERIFY(m_server->listen());
    QueueSystem system;
    system.manager.setTaskTimeouts(800, 300);
    QCOMPARE(system.manager.startControllers(), 0);
    int result = -1;
    system.queueEmails({request(QStringLiteral("good"), smtpFor(m_server->port())),
                        request(QStringLiteral("dead"), smtpFor(deadPort()))},
                       result);
    const QString sent = QStringLiteral("SMTP Task[good] successfully performed");
    const QString failed = QStringLiteral("SMTP Task[dead] failed because it timed out");
    QTRY_COMPARE_WITH_TIMEOUT(m_log->count(sent), 1, 5000);
    QTRY_COMPARE_WITH_TIMEOUT(m_log->count(failed), 1, 8000);
    // Dropped once logged.
    QTest::qWait(1200);
    QCOMPARE(m_log->count(sent), 1);
    QCOMPARE(m_log->count(failed), 1);
    QCOMPARE(m_server->messageCount(), 1);
    system.manager.stopControllers();
    QTRY_VERIFY_WITH_TIMEOUT(system.manager.areControllersStopped(), 3000);
}

void TestSmtpWorkers::stopEndsAWriteTheServerDoesNotRead()
{
    // The server takes DATA, then reads no more: a mail of some megabytes fills every
    // buffer, and the write would wait for its 60000 ms time-out.
    m_server->script(SmtpSimulator::Data, SmtpSimulator::Action::stallReading());
    QVERIFY(m_server->listen());
    SMTPTestController controller;
    int result = -1;
    controller.queueRequests(
        {request(QStringLiteral("big"), smtpFor(m_server->port()),
                 QStringLiteral("<p>%1</p>\r\n").arg(QString(90, QLatin1Char('x'))).repeated(150000))},
        result);
    QCOMPARE(controller.startThread(), 0);
    QTRY_VERIFY_WITH_TIMEOUT(m_server->sessionCount() == 1 &&
                                 m_server->lastSession().commands.contains("DATA"),
                             20000);
    QTest::qWait(300);

    QElapsedTimer timer;
    timer.start();
    controller.stop();
    QTRY_VERIFY_WITH_TIMEOUT(controller.isStopped(), 20000);
    QVERIFY2(timer.elapsed() < 5000, qPrintable(QString::number(timer.elapsed())));
    QCOMPARE(m_server->messageCount(), 0);
}

KIV_TEST_MAIN(TestSmtpWorkers, QCoreApplication)
#include "tst_smtpworkers.moc"
