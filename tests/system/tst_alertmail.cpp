// The road of an alert through the whole system: a loud passage on the simulated meter, the
// alert of its window, the alert e-mail to every valid contact through the loopback mail
// server, the ten minutes between two e-mails, and a stop while a send hangs.
//
// The test functions run in order on one running system.
#include "SystemHarness.h"

#include <KivTest.h>
#include <TestConfigs.h>
#include <MailTestUtil.h>

#include <AlertContactConfig.h>
#include <AlertManager.h>
#include <KivUtils.h>
#include <MeterSignal.h>
#include <SmtpSimulator.h>

#include <QApplication>
#include <QDateTime>
#include <QDomDocument>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>

#include <atomic>
#include <memory>

using namespace MailTestUtil;

namespace {

const QString kStudio = QStringLiteral("Studio");
const QString kP1 = QStringLiteral("P1"); // alerts on
const QString kP2 = QStringLiteral("P2"); // alerts off for the audiogroup
constexpr double kBoostLu = 20.0;
constexpr qint64 kWindowMs = 7031;
// Meter time the test may use, from its start.
constexpr qint64 kTestSpanMs = 240000;

// Thresholds only a loud passage crosses: true peak and short-term never reach them, the
// momentary value rarely without help.
MeterAudioGroup meterGroup(const QString &name)
{
    MeterAudioGroup g(name);
    g.thresholdMaxTP = 5.0;
    g.thresholdMinTP = 4.0;
    g.thresholdMaxMomentary = 9.0;
    g.thresholdMinMomentary = 8.5;
    g.thresholdMaxShort = 9.0;
    g.thresholdMinShort = 8.5;
    g.thresholdMaxIntegrated = 9.0;
    g.thresholdMaxIntegratedSecondary = 8.5;
    g.thresholdMinIntegrated = -9.0;
    g.thresholdMinIntegratedSecondary = -8.5;
    return g;
}

AgConfig agConfig(const MeterAudioGroup &g, bool alerts)
{
    AgConfig config;
    config.setName(g.name);
    config.setTPUpperThreshold(g.thresholdMaxTP);
    config.setTPUpperSecondaryThreshold(g.thresholdMinTP);
    config.setMUpperThreshold(g.thresholdMaxMomentary);
    config.setMUpperSecondaryThreshold(g.thresholdMinMomentary);
    config.setSUpperThreshold(g.thresholdMaxShort);
    config.setSUpperSecondaryThreshold(g.thresholdMinShort);
    config.setIUpperThreshold(g.thresholdMaxIntegrated);
    config.setIUpperSecondaryThreshold(g.thresholdMaxIntegratedSecondary);
    config.setILowerThreshold(g.thresholdMinIntegrated);
    config.setILowerSecondaryThreshold(g.thresholdMinIntegratedSecondary);
    config.setAlertsEnabled(alerts);
    return config;
}

using KivTest::contact;

// An offset into the past at which P1's signal crosses no threshold by itself for the whole
// test, so every alert comes from the test's loud passages.
qint64 quietOffset(qint64 now)
{
    for (qint64 offset = 600000; offset < 400 * 600000; offset += 600000) {
        bool quiet = true;
        // P2 raises no alerts.
        {
            const MeterAudioGroup g = meterGroup(kP1);
            const AgConfig config = agConfig(g, true);
            for (const MeterSample &s :
                 MeterSignal::samples(g, now - offset - 10000, now - offset + kTestSpanMs)) {
                AgData sample;
                sample.setEmpty(false);
                sample.setM400ms(s.M400ms);
                sample.setS(s.S);
                sample.setTP(s.TP);
                sample.setI(s.I);
                if (sample.hasViolation(config))
                    quiet = false;
            }
        }
        if (quiet)
            return offset;
    }
    return -1;
}

struct MailAlert
{
    QString time;
    QString type;
    QStringList description;
};

// The alerts of an e-mail's HTML body: the time and type row, then the description row.
QList<MailAlert> alertsOf(const QString &html)
{
    QList<MailAlert> alerts;
    QDomDocument doc;
    if (!doc.setContent(html))
        return alerts;
    const QDomNodeList rows = doc.elementsByTagName(QStringLiteral("tr"));
    for (int i = 1; i + 1 < rows.size(); i += 2) {
        const QDomNodeList head = rows.at(i).toElement().elementsByTagName(QStringLiteral("td"));
        const QDomNodeList body =
            rows.at(i + 1).toElement().elementsByTagName(QStringLiteral("td"));
        MailAlert alert;
        alert.time = head.at(1).toElement().text().trimmed();
        alert.type = head.at(3).toElement().text().trimmed();
        for (const QString &line : body.at(1).toElement().text().split(QLatin1Char('\n')))
            alert.description << line.trimmed();
        alerts << alert;
    }
    return alerts;
}

} // namespace

class TestAlertMail : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void heldWhileNoMailCanGo();
    void oneMailPerValidContactShowsTheViolation();
    void nextMailTenMinutesLater();
    void stopEndsAHangingSend();

private:
    SystemConfig systemConfig() const;
    // Raises the momentary loudness of one sample of P1 and of P2, a moment from now: one
    // sample lies in one window, so each passage makes one alert of P1.
    void loudPassage();
    // Waits until the alert manager holds more alerts than `before`.
    bool waitForAlerts(int before) const;
    // The description's momentary line must be the largest momentary value the meter sent
    // in one window that starts within the header's second; true when it is.
    QString checkAgainstMeter(const QStringList &description) const;
    static QByteArray readLog();

    SystemHarness m_harness;
    std::unique_ptr<SimulatedMeter> m_meter;
    SmtpSimulator m_mail;
    std::atomic<qint64> m_meterOffset{0};
    std::atomic<qint64> m_managerClock{1000000000};
    QList<MomentaryBoost> m_boosts;
    qint64 m_testStart = 0;
};

void TestAlertMail::initTestCase()
{
    if (!SimulatedMeter::canListenOnPort80())
        QSKIP("the meter cannot listen on port 80: not root, and not in a private network "
              "namespace (cmake/run-netns.sh)");
    SystemHarness::initGui();
    m_testStart = QDateTime::currentMSecsSinceEpoch();
    const qint64 offset = quietOffset(m_testStart);
    QVERIFY(offset > 0);
    m_meterOffset = offset;

    m_meter = std::make_unique<SimulatedMeter>(0);
    MeterSimulator &meter = m_meter->meter();
    meter.setInstrumentName(kStudio);
    meter.setPassword(QStringLiteral("pw"));
    meter.setAudioGroups({meterGroup(kP1), meterGroup(kP2)});
    meter.setHistoryMs(3000);
    std::atomic<qint64> *meterOffset = &m_meterOffset;
    meter.setClock([meterOffset] { return QDateTime::currentMSecsSinceEpoch() - *meterOffset; });
    QVERIFY2(m_meter->listen(), qPrintable(meter.errorString()));
    QVERIFY(m_mail.listen());

    // Alerts are off system-wide at first.
    SystemConfig config = systemConfig();
    config.setAlertsEnabled(false);
    QVERIFY(m_harness.start(config));
    std::atomic<qint64> *clock = &m_managerClock;
    m_harness.system()->getAlertManager()->setClock([clock] { return clock->load(); });
    QTRY_VERIFY_WITH_TIMEOUT(!storedTimestamps(getAgDbFilePath(kStudio, kP1)).isEmpty() &&
                                 !storedTimestamps(getAgDbFilePath(kStudio, kP2)).isEmpty(),
                             15000);
}

void TestAlertMail::cleanupTestCase()
{
    QVERIFY(m_harness.stop());
    m_meter.reset();
}

SystemConfig TestAlertMail::systemConfig() const
{
    SystemConfig config;
    config.setAcquisitionTimeout(1000);
    config.setAlertsEnabled(true);
    SMTPConfig smtp;
    smtp.setConnectionType(QStringLiteral("TCP"));
    smtp.setHost(QStringLiteral("127.0.0.1"));
    smtp.setPort(m_mail.port());
    smtp.setSenderEmailAddress(QStringLiteral("kiv@example.org"));
    smtp.setUser(QStringLiteral("kiv"));
    config.setSMTPConfig(smtp);
    config.setAlertContacts({contact(QStringLiteral("Ops Desk"), QStringLiteral("ops@example.org")),
                             contact(QStringLiteral("Night shift"), QStringLiteral("night@shift")),
                             contact(QStringLiteral("Chief"), QStringLiteral("chief@example.org"))});
    InstrumentConfig studio(kStudio);
    studio.setIpAdr(QStringLiteral("http://") + m_meter->address());
    studio.setPass(QStringLiteral("pw"));
    studio.setConfigurationID(m_meter->meter().configurationId());
    studio.setAgConfigs({agConfig(meterGroup(kP1), true), agConfig(meterGroup(kP2), false)});
    config.setInstruments({studio});
    return config;
}

void TestAlertMail::loudPassage()
{
    // Away from P1's program changes: a window that ends a program is represented by its
    // last sample, not by its loudest.
    qint64 from = m_meter->meter().now() + 500;
    const qint64 programStart = MeterSignal::programStart(kP1, from);
    const qint64 nextStart = programStart + MeterSignal::programLengthMs(kP1);
    if (from < programStart + 2 * kWindowMs)
        from = programStart + 2 * kWindowMs;
    else if (from > nextStart - 2 * kWindowMs)
        from = nextStart + 2 * kWindowMs;
    const qint64 to = from + MeterSignal::kSampleIntervalMs;
    m_meter->meter().boostMomentary(from, to, kBoostLu);
    m_boosts.append(MomentaryBoost{from, to, kBoostLu});
}

bool TestAlertMail::waitForAlerts(int before) const
{
    AlertManager *manager = m_harness.system()->getAlertManager();
    // A window closes up to 7 s after the passage and is judged when the next one closes.
    return QTest::qWaitFor([manager, before] { return manager->alertCount() > before; }, 40000);
}

QString TestAlertMail::checkAgainstMeter(const QStringList &description) const
{
    const QRegularExpressionMatch head =
        QRegularExpression(QStringLiteral("^Threshold violation at (\\S+ \\S+) UTC in Studio:P1$"))
            .match(description.value(0));
    const QRegularExpressionMatch momentary =
        QRegularExpression(QStringLiteral("^Momentary: (-?\\d+\\.\\d\\d)LU \\(Threshold main: "
                                          "9\\.00LU/ Threshold secondary: 8\\.50LU\\)$"))
            .match(description.value(1));
    if (!head.hasMatch() || !momentary.hasMatch() || description.size() != 2)
        return QStringLiteral("unexpected text: ") + description.join(QLatin1Char('|'));
    const QDateTime second = QDateTime::fromString(head.captured(1),
                                                   QStringLiteral("yyyy.MM.dd hh:mm:ss"));
    const qint64 secondMs = QDateTime(second.date(), second.time(), Qt::UTC).toMSecsSinceEpoch();
    const double value = momentary.captured(1).toDouble();
    const MeterAudioGroup g = meterGroup(kP1);
    const QVector<MomentaryBoost> boosts = m_boosts.toVector();
    // The window starts on a sample within that second.
    for (qint64 start = secondMs; start < secondMs + 1000; start += MeterSignal::kSampleIntervalMs) {
        double largest = -1000.0;
        for (const MeterSample &s :
             MeterSignal::samples(g, start - 1, start + kWindowMs - 1, boosts))
            largest = qMax(largest, s.M400ms);
        if (QString::number(largest, 'f', 2) == momentary.captured(1) && value > 9.0)
            return QString();
    }
    return QStringLiteral("no window of the meter's samples matches ") +
           description.join(QLatin1Char('|'));
}

QByteArray TestAlertMail::readLog()
{
    QFile log(getDataFolderFilePath(QStringLiteral("log.txt")));
    return log.open(QIODevice::ReadOnly) ? log.readAll() : QByteArray();
}

void TestAlertMail::heldWhileNoMailCanGo()
{
    AlertManager *manager = m_harness.system()->getAlertManager();
    // On, with unusable settings: nothing goes, the alert stays. (What is raised while alerts
    // are off system-wide is never mailed.)
    const auto nothingSent = [this] {
        QTest::qWait(800);
        return m_mail.sessionCount() == 0;
    };
    SystemConfig config = systemConfig();
    SMTPConfig smtp = config.getSMTPConfig();
    smtp.setSenderEmailAddress(QStringLiteral("kiv@example"));
    config.setSMTPConfig(smtp);
    manager->setSystemConfig(config);
    loudPassage();
    QVERIFY(waitForAlerts(0));
    QVERIFY(nothingSent());
    config = systemConfig();
    config.setAlertContacts({contact(QStringLiteral("Night shift"), QStringLiteral("night@shift"))});
    manager->setSystemConfig(config);
    QVERIFY(nothingSent());

    // Usable settings: the held alert goes out.
    manager->setSystemConfig(systemConfig());
    QTRY_COMPARE_WITH_TIMEOUT(m_mail.messageCount(), 2, 10000);
}

void TestAlertMail::oneMailPerValidContactShowsTheViolation()
{
    const QList<SmtpSimulator::Message> messages = m_mail.messages();
    QCOMPARE(messages.size(), 2);
    QStringList recipients;
    for (const SmtpSimulator::Message &message : messages) {
        QVERIFY(message.accepted);
        QCOMPARE(message.mailFrom, QStringLiteral("kiv@example.org"));
        recipients << message.recipients;
        const Entity mail = parseEntity(message.data);
        QCOMPARE(decodeHeader(mail.header("Subject")), QStringLiteral("KIV Alert"));
        const QList<QByteArray> parts =
            splitMultipart(mail.body, headerParameter(mail.header("Content-Type"), "boundary"));
        QCOMPARE(parts.size(), 2);
        QCOMPARE(parseEntity(parts[1]).header("Content-ID"), QByteArray("<NUVLogo>"));
        const QString html = QString::fromUtf8(parseEntity(parts[0]).body);
        QVERIFY(html.contains(QStringLiteral("src=\"cid:NUVLogo\"")));
        QVERIFY(html.contains(QStringLiteral("The following alerts occured in the last 10 minutes")));

        // The alert of P1's passage; none of P2.
        const QList<MailAlert> alerts = alertsOf(html);
        QVERIFY2(alerts.size() == 1, qPrintable(html));
        for (const MailAlert &alert : alerts) {
            QCOMPARE(alert.type, QStringLiteral("Violation"));
            const QString mismatch = checkAgainstMeter(alert.description);
            QVERIFY2(mismatch.isEmpty(), qPrintable(mismatch));
            // The time of raising, in local time.
            const qint64 raised = QDateTime::fromString(alert.time,
                                                        QStringLiteral("yyyy.MM.dd hh:mm:ss"))
                                      .toMSecsSinceEpoch();
            QVERIFY(raised >= m_testStart - 1000 &&
                    raised <= QDateTime::currentMSecsSinceEpoch());
        }
    }
    recipients.sort();
    QCOMPARE(recipients, (QStringList{"chief@example.org", "ops@example.org"}));
}

void TestAlertMail::nextMailTenMinutesLater()
{
    AlertManager *manager = m_harness.system()->getAlertManager();
    const int held = manager->alertCount();
    loudPassage();
    QVERIFY(waitForAlerts(held));
    QTest::qWait(500);
    QCOMPARE(m_mail.messageCount(), 2);
    m_managerClock += AlertManager::kMailSpacingMs;
    QTest::qWait(500);
    QCOMPARE(m_mail.messageCount(), 2);
    m_managerClock += 1;
    QTRY_COMPARE_WITH_TIMEOUT(m_mail.messageCount(), 4, 10000);

    // Only what was not sent before.
    const QString html = QString::fromUtf8(
        parseEntity(splitMultipart(parseEntity(m_mail.lastMessage().data).body,
                                   headerParameter(parseEntity(m_mail.lastMessage().data)
                                                       .header("Content-Type"),
                                                   "boundary"))
                        .value(0))
            .body);
    const QList<MailAlert> alerts = alertsOf(html);
    QCOMPARE(alerts.size(), 1);
    QCOMPARE(manager->alertCount(), held + 1);
    for (const MailAlert &alert : alerts)
        QVERIFY2(checkAgainstMeter(alert.description).isEmpty(),
                 qPrintable(alert.description.join(QLatin1Char('|'))));
}

void TestAlertMail::stopEndsAHangingSend()
{
    // The server takes the mail and never confirms it: each worker waits for the reply.
    m_mail.script(SmtpSimulator::EndOfData, SmtpSimulator::Action::noAnswer(), -1);
    const int held = m_harness.system()->getAlertManager()->alertCount();
    const int sessions = m_mail.sessionCount();
    loudPassage();
    QVERIFY(waitForAlerts(held));
    m_managerClock += AlertManager::kMailSpacingMs + 1;
    QTRY_VERIFY_WITH_TIMEOUT(m_mail.sessionCount() == sessions + 2 &&
                                 m_mail.lastSession().commands.contains("DATA"),
                             10000);

    QElapsedTimer closing;
    closing.start();
    QVERIFY(m_harness.stop());
    // Well within the closing dialog's 30000 ms; the workers do not sit out their reply
    // time-outs.
    QVERIFY2(closing.elapsed() < 30000, qPrintable(QString::number(closing.elapsed())));
    qInfo("closed in %lld ms", closing.elapsed());
    QVERIFY(readLog().contains("cancelled while waiting for the message"));
}

KIV_TEST_MAIN(TestAlertMail, QApplication)
#include "tst_alertmail.moc"
