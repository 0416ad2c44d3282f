// The alert manager: which alerts go into which e-mail and when, the "AlertsEmail"
// document, its HTML body and the requests handed to the e-mail queue.
#include <KivTest.h>
#include <TestConfigs.h>

#include <Alert.h>
#include <AlertContactConfig.h>
#include <AlertEmailXMLComposer.h>
#include <AlertManager.h>
#include <FakeSystem.h>
#include <KivTypes.h>
#include <SMTPConfig.h>
#include <SMTPRequest.h>
#include <SystemConfig.h>

#include <QCoreApplication>
#include <QDateTime>
#include <QDomDocument>
#include <QRegularExpression>

#include <ctime>
#include <vector>

namespace {

constexpr qint64 kT0 = 1700000000000;
// Well past the spacing, so the first e-mail is due at once.
constexpr qint64 kClockStart = 100000000;

SMTPConfig validSmtp()
{
    SMTPConfig smtp;
    smtp.setConnectionType(QStringLiteral("TCP"));
    smtp.setHost(QStringLiteral("mail.example.org"));
    smtp.setPort(2525);
    smtp.setSenderEmailAddress(QStringLiteral("kiv@example.org"));
    smtp.setUser(QStringLiteral("kiv-logger"));
    smtp.setPassword(QStringLiteral("secret"));
    return smtp;
}

using KivTest::contact;

// Two valid contacts around an invalid one.
SystemConfig mailConfig()
{
    SystemConfig config;
    config.setAlertsEnabled(true);
    config.setSMTPConfig(validSmtp());
    config.setAlertContacts({contact(QStringLiteral("Ops Desk"), QStringLiteral("ops@example.org")),
                             contact(QStringLiteral("Nobody"), QStringLiteral("not-an-address")),
                             contact(QStringLiteral("Chief"), QStringLiteral("chief@example.org"))});
    return config;
}

Alert alertAt(qint64 time, int index)
{
    return Alert(time, ViolationTypeViolation, PriorityNormal, EntityTypeAudiogroup,
                 QStringLiteral("alert-%1\n").arg(index));
}

// The alert numbers an e-mail body holds, in order.
QList<int> alertsIn(const QString &body)
{
    QList<int> found;
    QRegularExpressionMatchIterator it =
        QRegularExpression(QStringLiteral("alert-(\\d+)")).globalMatch(body);
    while (it.hasNext())
        found << it.next().captured(1).toInt();
    return found;
}

// The manager with its own clock, stepped by hand.
struct Rig
{
    FakeSystem fake;
    AlertManager manager;
    qint64 clock = kClockStart;

    explicit Rig(const SystemConfig &config = mailConfig())
    {
        manager.setSystemConfig(config);
        manager.setClock([this] { return clock; });
    }

    // The alert numbers of each e-mail handed over so far (one per batch, whatever the
    // number of contacts).
    QList<QList<int>> batches() const
    {
        QList<QList<int>> result;
        QString lastBody;
        for (const SMTPRequest &request : fake.queuedEmails()) {
            if (request.getBody() != lastBody)
                result << alertsIn(request.getBody());
            lastBody = request.getBody();
        }
        return result;
    }
};

} // namespace

using Batches = QList<QList<int>>;
Q_DECLARE_METATYPE(Batches)

class TestAlertManager : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void writesTheAlertsEmailDocument();
    void bodyShowsTimeTypeAndDescriptionOfEachAlert();
    void batchCarriesEveryUnsentAlert_data();
    void batchCarriesEveryUnsentAlert();
    void emailsAreTenMinutesApart();
    void holdsAlertsUntilEmailCanBeSent_data();
    void holdsAlertsUntilEmailCanBeSent();
    void alertsRaisedWhileSwitchedOffAreNotMailed();
    void onePerValidContact();
    void fullQueueIsRetriedAndLoggedOncePerBatch();
    void keepsAtMost3000Alerts();
    void threadHandsOverAndStops();

private:
    KivTest::CapturedLog *m_log = nullptr;
};

void TestAlertManager::initTestCase()
{
    // Far from UTC, so local and UTC times differ.
    qputenv("TZ", "Pacific/Kiritimati");
    tzset();
    m_log = KivTest::captureLog();
}

void TestAlertManager::writesTheAlertsEmailDocument()
{
    const Alert plain(kT0, ViolationTypeViolation, PriorityNormal, EntityTypeAudiogroup,
                      QStringLiteral("Threshold violation\nMomentary: 9.50LU <&>\n"));
    const Alert unknown(kT0 + 1000, 7, -1, 3, QStringLiteral("x"));
    const QString local = QDateTime::fromMSecsSinceEpoch(kT0, Qt::UTC)
                              .toLocalTime()
                              .toString(QStringLiteral("yyyy.MM.dd hh:mm:ss"));
    QCOMPARE(local, QStringLiteral("2023.11.15 12:13:20"));
    QCOMPARE(AlertEmailXMLComposer({plain, unknown}).compose(),
             QStringLiteral("<?xml version='1.0' encoding='UTF-8'?><AlertsEmail>\n"
                            " <Alert time=\"2023.11.15 12:13:20\">\n"
                            "  <type>Violation</type>\n"
                            "  <severity>Normal</severity>\n"
                            "  <source>Audiogroup</source>\n"
                            "  <description>Threshold violation\n"
                            "Momentary: 9.50LU &lt;&amp;>\n</description>\n"
                            " </Alert>\n"
                            " <Alert time=\"2023.11.15 12:13:21\">\n"
                            "  <type>Unknown</type>\n"
                            "  <severity>Unknown</severity>\n"
                            "  <source>Unknown</source>\n"
                            "  <description>x</description>\n"
                            " </Alert>\n"
                            "</AlertsEmail>\n"));
}

void TestAlertManager::bodyShowsTimeTypeAndDescriptionOfEachAlert()
{
    const std::vector<Alert> batch{
        Alert(kT0, ViolationTypeViolation, PriorityHigh, EntityTypeAudiogroup,
              QStringLiteral("Threshold violation at 2023.11.14 22:13:20 UTC in "
                             "Stu\x01" "dio:Main\nMomentary: 9.50LU\n.\n")),
        Alert(kT0 + 1000, ViolationTypeViolation, PriorityNormal, EntityTypeAudiogroup,
              QStringLiteral("second <b>alert</b>\n"))};
    int result = -1;
    const QString body = AlertManager::composeEmailBody(batch, result);
    QCOMPARE(result, 0);

    QDomDocument html;
    QVERIFY2(html.setContent(body), qPrintable(body));
    const QDomElement logo = html.elementsByTagName(QStringLiteral("img")).at(0).toElement();
    QCOMPARE(logo.attribute(QStringLiteral("src")), QStringLiteral("cid:NUVLogo"));
    QCOMPARE(logo.attribute(QStringLiteral("width")), QStringLiteral("100"));

    QStringList rows;
    const QDomNodeList trs = html.elementsByTagName(QStringLiteral("tr"));
    for (int i = 0; i < trs.size(); ++i) {
        QStringList cells;
        const QDomNodeList tds = trs.at(i).toElement().elementsByTagName(QStringLiteral("td"));
        for (int j = 0; j < tds.size(); ++j)
            cells << tds.at(j).toElement().text().trimmed();
        rows << cells.join(QLatin1Char('|'));
    }
    // Line breaks of the description become <br/>; severity and source are not shown.
    QCOMPARE(rows, (QStringList{
                       QStringLiteral("|The following alerts occured in the last 10 minutes"),
                       QStringLiteral("Time:|2023.11.15 12:13:20|Type:|Violation"),
                       QStringLiteral("Description:|Threshold violation at 2023.11.14 22:13:20 "
                                      "UTC in Studio:Main\nMomentary: 9.50LU\n."),
                       QStringLiteral("Time:|2023.11.15 12:13:21|Type:|Violation"),
                       QStringLiteral("Description:|second <b>alert</b>")}));
    const QDomElement firstDescription =
        trs.at(2).toElement().elementsByTagName(QStringLiteral("td")).at(1).toElement();
    QCOMPARE(firstDescription.elementsByTagName(QStringLiteral("br")).size(), 2);
}

void TestAlertManager::batchCarriesEveryUnsentAlert_data()
{
    QTest::addColumn<QList<qint64>>("times"); // in arrival order, from kT0
    QTest::addColumn<Batches>("batches");     // alert indices of each e-mail

    QTest::newRow("three alerts a second apart")
        << QList<qint64>{0, 1000, 2000} << Batches{{0, 1, 2}};
    QTest::newRow("one 599999 ms after the oldest is in")
        << QList<qint64>{0, 599999} << Batches{{0, 1}};
    QTest::newRow("more than ten minutes of alerts in one e-mail")
        << QList<qint64>{0, 600000, 1200000} << Batches{{0, 1, 2}};
    QTest::newRow("an older alert arriving late goes with the others")
        << QList<qint64>{5000, 0, 6000} << Batches{{0, 1, 2}};
    QTest::newRow("an hour apart")
        << QList<qint64>{0, 3600000, 3601000} << Batches{{0, 1, 2}};
}

void TestAlertManager::batchCarriesEveryUnsentAlert()
{
    QFETCH(QList<qint64>, times);
    QFETCH(Batches, batches);

    Rig rig;
    for (int i = 0; i < times.size(); ++i)
        rig.manager.addAlert(alertAt(kT0 + times[i], i));
    for (int i = 0; i < times.size(); ++i) {
        rig.manager.step();
        rig.clock += AlertManager::kMailSpacingMs + 1;
    }
    QCOMPARE(rig.batches(), batches);
}

void TestAlertManager::emailsAreTenMinutesApart()
{
    Rig rig;
    rig.manager.addAlert(alertAt(kT0, 0));
    rig.manager.step();
    QCOMPARE(rig.batches(), (Batches{{0}}));

    // Held while the last e-mail is younger than ten minutes, exactly ten included. This
    // alert is older than the one sent (another audiogroup's thread was late with it): it
    // goes all the same.
    rig.manager.addAlert(alertAt(kT0 - 5000, 1));
    rig.manager.step();
    rig.clock += AlertManager::kMailSpacingMs;
    rig.manager.step();
    QCOMPARE(rig.batches(), (Batches{{0}}));
    rig.clock += 1;
    rig.manager.step();
    QCOMPARE(rig.batches(), (Batches{{0}, {1}}));

    // After a quiet hour the next alert goes out at the next step.
    rig.clock += 3600000;
    rig.manager.addAlert(alertAt(kT0 + 3600000, 2));
    rig.manager.step();
    QCOMPARE(rig.batches(), (Batches{{0}, {1}, {2}}));
    // Nothing is sent twice.
    rig.clock += 3600000;
    rig.manager.step();
    QCOMPARE(rig.batches().size(), 3);
}

void TestAlertManager::holdsAlertsUntilEmailCanBeSent_data()
{
    QTest::addColumn<SystemConfig>("config");

    const auto withSmtp = [](void (*change)(SMTPConfig &)) {
        SystemConfig config = mailConfig();
        SMTPConfig smtp = config.getSMTPConfig();
        change(smtp);
        config.setSMTPConfig(smtp);
        return config;
    };
    QTest::newRow("invalid sender address")
        << withSmtp([](SMTPConfig &s) { s.setSenderEmailAddress(QStringLiteral("kiv@")); });
    QTest::newRow("no host") << withSmtp([](SMTPConfig &s) { s.setHost(QString()); });
    QTest::newRow("unknown connection type")
        << withSmtp([](SMTPConfig &s) { s.setConnectionType(QStringLiteral("TLS")); });

    SystemConfig noValidContact = mailConfig();
    noValidContact.setAlertContacts({contact(QString(), QStringLiteral("ops@example.org")),
                                     contact(QStringLiteral("Nobody"), QStringLiteral("x@y"))});
    QTest::newRow("no valid contact") << noValidContact;
    SystemConfig noContact = mailConfig();
    noContact.setAlertContacts({});
    QTest::newRow("no contact") << noContact;
}

void TestAlertManager::holdsAlertsUntilEmailCanBeSent()
{
    QFETCH(SystemConfig, config);

    // Twenty minutes of alerts, one every 10 s, while no e-mail can go.
    Rig rig(config);
    const int logLines = m_log->lines().size();
    QList<int> backlog;
    for (int i = 0; i <= 120; ++i) {
        rig.manager.addAlert(alertAt(kT0 + i * 10000, i));
        backlog << i;
        rig.clock += 10000;
        rig.manager.step();
    }
    QCOMPARE(rig.fake.callCount(QStringLiteral("queueEmails")), 0);
    QCOMPARE(m_log->lines().size(), logLines);

    // Then all of them go in one e-mail, and a new alert two minutes later goes with the
    // next e-mail the pace allows, as if there had been no backlog.
    rig.manager.setSystemConfig(mailConfig());
    rig.manager.step();
    QCOMPARE(rig.batches(), (Batches{backlog}));
    rig.clock += 120000;
    rig.manager.addAlert(alertAt(kT0 + 1320000, 121));
    rig.clock += AlertManager::kMailSpacingMs - 120000;
    rig.manager.step();
    QCOMPARE(rig.batches().size(), 1);
    rig.clock += 1;
    rig.manager.step();
    QCOMPARE(rig.batches(), (Batches{backlog, {121}}));
}

void TestAlertManager::alertsRaisedWhileSwitchedOffAreNotMailed()
{
    SystemConfig off = mailConfig();
    off.setAlertsEnabled(false);
    Rig rig;
    rig.manager.addAlert(alertAt(kT0, 0));
    rig.manager.step();
    // One held by the pace when alerts are switched off, one raised while they are off.
    rig.manager.addAlert(alertAt(kT0 + 1000, 1));
    rig.manager.setSystemConfig(off);
    rig.manager.addAlert(alertAt(kT0 + 2000, 2));
    rig.clock += AlertManager::kMailSpacingMs + 1;
    rig.manager.step();

    // Switched on: the first e-mail holds only what was raised from then on.
    rig.manager.setSystemConfig(mailConfig());
    rig.manager.step();
    QCOMPARE(rig.batches(), (Batches{{0}}));
    rig.manager.addAlert(alertAt(kT0 + 3000, 3));
    rig.manager.step();
    QCOMPARE(rig.batches(), (Batches{{0}, {3}}));
}

void TestAlertManager::onePerValidContact()
{
    Rig rig;
    rig.manager.addAlert(alertAt(kT0, 0));
    rig.manager.step();
    rig.clock += AlertManager::kMailSpacingMs + 1;
    rig.manager.addAlert(alertAt(kT0 + 700000, 1));
    rig.manager.step();

    const std::vector<SMTPRequest> requests = rig.fake.queuedEmails();
    QCOMPARE(int(requests.size()), 4);
    QStringList ids;
    for (size_t i = 0; i < requests.size(); ++i) {
        const SMTPRequest &r = requests[i];
        ids << r.getId();
        QCOMPARE(r.getSmtpConfig().getHost(), QStringLiteral("mail.example.org"));
        QCOMPARE(r.getSenderAddress(), QStringLiteral("kiv@example.org"));
        QCOMPARE(r.getSenderName(), QStringLiteral("kiv-logger"));
        QCOMPARE(r.getRecipientAddress(),
                 i % 2 ? QStringLiteral("chief@example.org") : QStringLiteral("ops@example.org"));
        QCOMPARE(r.getRecipientName(), i % 2 ? QStringLiteral("Chief") : QStringLiteral("Ops Desk"));
        QCOMPARE(r.getSubject(), QStringLiteral("KIV Alert"));
        QCOMPARE(alertsIn(r.getBody()), QList<int>{int(i / 2)});
    }
    QCOMPARE(ids, (QStringList{QStringLiteral("AlertManager_SMTPReq_0"),
                               QStringLiteral("AlertManager_SMTPReq_2"),
                               QStringLiteral("AlertManager_SMTPReq_4"),
                               QStringLiteral("AlertManager_SMTPReq_6")}));
}

void TestAlertManager::fullQueueIsRetriedAndLoggedOncePerBatch()
{
    const QString overflow =
        QStringLiteral("Could not queue SMTP requests because overflown queue");
    const int before = m_log->count(overflow);
    Rig rig;
    rig.fake.setEmailResult(-1);
    rig.manager.addAlert(alertAt(kT0, 0));
    rig.manager.step();
    rig.manager.step();
    rig.manager.addAlert(alertAt(kT0 + 1000, 1));
    rig.manager.step();
    QCOMPARE(rig.fake.callCount(QStringLiteral("queueEmails")), 3);
    QCOMPARE(m_log->count(overflow), before + 1);
    // A waiting batch keeps the short pace.
    QCOMPARE(rig.manager.msUntilNextPass(), qint64(AlertManager::kPassMs));

    // Once the queue has room the waiting batch goes, with what joined it meanwhile.
    rig.fake.setEmailResult(0);
    rig.manager.step();
    QCOMPARE(rig.batches(), (Batches{{0, 1}}));
    // Then the thread sleeps until the next alert, and with one held wakes in time for
    // the next hand-over.
    QCOMPARE(rig.manager.msUntilNextPass(), qint64(AlertManager::kQuietPassMs));
    rig.manager.addAlert(alertAt(kT0 + 2000, 2));
    QCOMPARE(rig.manager.msUntilNextPass(), qint64(AlertManager::kIdlePassMs));
    rig.clock += AlertManager::kMailSpacingMs - 300;
    QCOMPARE(rig.manager.msUntilNextPass(), qint64(301));

    // The next batch that finds the queue full is said again.
    rig.fake.setEmailResult(-1);
    rig.clock += AlertManager::kMailSpacingMs + 1;
    rig.manager.step();
    rig.manager.step();
    QCOMPARE(m_log->count(overflow), before + 2);
}

void TestAlertManager::keepsAtMost3000Alerts()
{
    const QString lost = QStringLiteral("Lost 1 alerts without being able to send it");
    const int before = m_log->count(lost);
    Rig rig;
    for (int i = 0; i < AlertManager::kMaxAlerts; ++i)
        rig.manager.addAlert(alertAt(kT0 + i, i));
    QCOMPARE(rig.manager.alertCount(), AlertManager::kMaxAlerts);
    QCOMPARE(m_log->count(lost), before);

    // The oldest goes unsent.
    rig.manager.addAlert(alertAt(kT0 + 5000, AlertManager::kMaxAlerts));
    QCOMPARE(rig.manager.alertCount(), AlertManager::kMaxAlerts);
    QCOMPARE(m_log->count(lost), before + 1);

    // What is pushed out after it was sent is no loss.
    rig.manager.step();
    QCOMPARE(rig.batches().size(), 1);
    QCOMPARE(rig.batches().first().size(), AlertManager::kMaxAlerts);
    QCOMPARE(rig.batches().first().first(), 1);
    rig.manager.addAlert(alertAt(kT0 + 6000, AlertManager::kMaxAlerts + 1));
    QCOMPARE(rig.manager.alertCount(), AlertManager::kMaxAlerts);
    QCOMPARE(m_log->count(lost), before + 1);
}

void TestAlertManager::threadHandsOverAndStops()
{
    FakeSystem fake;
    AlertManager manager;
    SystemConfig noContact = mailConfig();
    noContact.setAlertContacts({});
    manager.setSystemConfig(noContact);
    QCOMPARE(manager.startThread(), 0);
    QTest::qWait(50);
    // A sleeping thread is woken by the alert and by the settings, not by its next pass.
    QElapsedTimer timer;
    timer.start();
    manager.addAlert(alertAt(kT0, 0));
    manager.setSystemConfig(mailConfig());
    QTRY_COMPARE_WITH_TIMEOUT(fake.queuedEmailCount(), 2, 5000);
    QVERIFY2(timer.elapsed() < AlertManager::kIdlePassMs / 2,
             qPrintable(QString::number(timer.elapsed())));
    timer.restart();
    manager.stop();
    QTRY_VERIFY_WITH_TIMEOUT(manager.isStopped(), 5000);
    QVERIFY(timer.elapsed() < AlertManager::kIdlePassMs / 2);
}

KIV_TEST_MAIN(TestAlertManager, QCoreApplication)
#include "tst_alertmanager.moc"
