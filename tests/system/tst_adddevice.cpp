// Adding a meter through the system front, against the meter simulator on port 80.
#include "SystemHarness.h"

#include <KivTest.h>

#include <InstrumentManager.h>
#include <KivUtils.h>
#include <SystemConfigXml.h>

#include <QElapsedTimer>
#include <QFile>

namespace {

const QString kPleaseWait = QStringLiteral("Please wait. Connecting...");

// An instrument whose audiogroups were all imported: nothing is polled for it.
InstrumentConfig archive(const QString &name, const QStringList &sources)
{
    InstrumentConfig instrument(name);
    instrument.setIpAdr(QStringLiteral("http://127.0.0.254"));
    instrument.setPass(QStringLiteral("pw"));
    QList<AgConfig> groups;
    for (const QString &source : sources) {
        AgConfig group;
        group.setName(source);
        group.setImported(true);
        groups.append(group);
    }
    instrument.setAgConfigs(groups);
    return instrument;
}

QStringList numbered(const QString &prefix, int count)
{
    QStringList names;
    for (int i = 1; i <= count; ++i)
        names << QStringLiteral("%1 %2").arg(prefix).arg(i);
    return names;
}

// The address as a user might type it: leading zeros and a doubled dot.
QString sloppy(const QString &address)
{
    QStringList parts = address.split(QLatin1Char('.'));
    for (QString &part : parts)
        part = part.rightJustified(3, QLatin1Char('0'));
    const QString first = parts.takeFirst();
    return first + QStringLiteral("..") + parts.join(QLatin1Char('.'));
}

} // namespace

class TestAddDevice : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup();
    void refusals_data();
    void refusals();
    void addsLogsAndReAdds();

private:
    SystemHarness m_harness;
};

void TestAddDevice::initTestCase()
{
    if (!SimulatedMeter::canListenOnPort80())
        QSKIP("the meters cannot listen on port 80: not root, and not in a private network "
              "namespace (cmake/run-netns.sh)");
    SystemHarness::initGui();
}

void TestAddDevice::cleanup()
{
    QVERIFY(m_harness.stop());
}

void TestAddDevice::refusals_data()
{
    QTest::addColumn<QList<InstrumentConfig>>("configured");
    QTest::addColumn<QString>("meterName");
    QTest::addColumn<QStringList>("meterGroups");
    QTest::addColumn<int>("meterStatus");      // injected into every GETCONFIG reply; -1 none
    QTest::addColumn<QString>("typedAddress"); // empty: the meter's
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("message"); // %1: the address

    const QStringList two{"Program 1", "Program 2"};
    QTest::newRow("wrong password") << QList<InstrumentConfig>() << "Studio" << two << -1 << ""
                                    << "wrong"
                                    << "Could not add device because the password is incorrect. "
                                       "%1 refused the login.";
    QTest::newRow("address out of range")
        << QList<InstrumentConfig>() << "Studio" << two << -1 << "192.168.1.300"
        << "pw"
        << "Invalid ip address or password.";
    QTest::newRow("meter never says yes") << QList<InstrumentConfig>() << "Studio" << two << 7 << ""
                                          << "pw"
                                          << "Add device operation timed out. %1 answered, but "
                                             "not with its configuration.";
    QTest::newRow("20 audiogroups at most")
        << QList<InstrumentConfig>{archive("Archive", numbered("Old", 18))} << "Studio"
        << numbered("New", 3) << -1 << ""
        << "pw"
        << "Could not add device. You tried to add 3 audiogroups, and that is 1 more than the "
           "maximum allowed.";
    QTest::newRow("same database file")
        << QList<InstrumentConfig>{archive("Studio 1", {"Main"})} << "Studio1"
        << QStringList{"Main", "Backup"} << -1 << ""
        << "pw"
        << "Could not add device Studio1 because its audiogroup Main would use the same database "
           "file as the audiogroup Main of Studio 1.";
}

void TestAddDevice::refusals()
{
    QFETCH(QList<InstrumentConfig>, configured);
    QFETCH(QString, meterName);
    QFETCH(QStringList, meterGroups);
    QFETCH(int, meterStatus);
    QFETCH(QString, typedAddress);
    QFETCH(QString, password);
    QFETCH(QString, message);

    SimulatedMeter meter(0);
    meter->setInstrumentName(meterName);
    meter->setPassword(QStringLiteral("pw"));
    meter->setAudioGroupNames(meterGroups);
    if (meterStatus >= 0)
        meter->injectStatus(QStringLiteral("/getConfiguration"), meterStatus, -1);
    QVERIFY2(meter.listen(), qPrintable(meter->errorString()));
    if (message.contains(QLatin1String("%1")))
        message = message.arg(meter.address());

    SystemConfig config;
    config.setInstruments(configured);
    QVERIFY(m_harness.start(config));
    ASystem *front = m_harness.front();

    QCOMPARE(front->startAddInstrument(), 0);
    QCOMPARE(front->startAddInstrument(), 0); // a second press queues nothing
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(front->submitAddInstrument(typedAddress.isEmpty() ? meter.address() : typedAddress,
                                        password),
             0);
    QVERIFY2(m_harness.waitForAlert(message), qPrintable(m_harness.system()->alerts().join('\n')));
    QVERIFY(m_harness.waitForIdle());
    QCOMPARE(m_harness.system()->alerts(), QStringList{message});
    QCOMPARE(m_harness.system()->pleaseWaitTexts(), QStringList{kPleaseWait});

    // Nothing changed, neither in memory nor on disk.
    QCOMPARE(front->getSystemConfig().getInstruments().size(), configured.size());
    QCOMPARE(SystemHarness::storedConfig().getInstruments().size(), configured.size());
    QVERIFY(!QFile::exists(getAgDbFilePath(meterName, meterGroups.last())));

    const int requests = meter->requestCount(QStringLiteral("/getConfiguration"));
    if (meterStatus == 7) {
        // One request every 2000 ms until 8000 ms after the submit.
        QVERIFY2(clock.elapsed() >= 8000, qPrintable(QString::number(clock.elapsed())));
        QVERIFY2(requests >= 3 && requests <= 4, qPrintable(QString::number(requests)));
    } else if (typedAddress.isEmpty()) {
        QCOMPARE(requests, 1);
        const MeterSimulator::Request sent =
            meter->lastRequest(QStringLiteral("/getConfiguration"));
        QCOMPARE(sent.password, password);
        QCOMPARE(sent.session, QString());
    } else {
        QCOMPARE(requests, 0);
    }
}

void TestAddDevice::addsLogsAndReAdds()
{
    SimulatedMeter meter(1);
    meter->setInstrumentName(QStringLiteral("Studio"));
    meter->setPassword(QStringLiteral("pw"));
    meter->setAudioGroupNames({QStringLiteral("Program 1"), QStringLiteral("Program 2")});
    meter->setHistoryMs(20000);
    QVERIFY2(meter.listen(), qPrintable(meter->errorString()));

    QVERIFY(m_harness.start(SystemConfig()));
    ASystem *front = m_harness.front();
    QCOMPARE(front->startAddInstrument(), 0);
    QCOMPARE(front->submitAddInstrument(sloppy(meter.address()), QStringLiteral("pw")), 0);
    QVERIFY2(m_harness.waitForAlert(QStringLiteral("Instrument successfully added")),
             qPrintable(m_harness.system()->alerts().join('\n')));

    // The typed address is stored in its plain form, with the password.
    const InstrumentConfig stored = SystemHarness::storedConfig().getInstrument("Studio");
    QCOMPARE(stored.getIpAdr(), QStringLiteral("http://") + meter.address());
    QCOMPARE(stored.getPass(), QStringLiteral("pw"));
    QCOMPARE(stored.getAgConfigCount(), 2);
    QVERIFY(front->getSystemConfig().hasAgConfig("Studio", "Program 2"));

    // The new instrument logs in and fills both databases; each holds the configuration
    // without the mail server settings.
    for (const QString &group : {QStringLiteral("Program 1"), QStringLiteral("Program 2")}) {
        const QString path = getAgDbFilePath(QStringLiteral("Studio"), group);
        QTRY_VERIFY_WITH_TIMEOUT(storedTimestamps(path).size() > 10, 20000);
        QTRY_VERIFY_WITH_TIMEOUT(!storedConfigText(path).isEmpty(), 10000);
        const QString text = storedConfigText(path);
        QVERIFY(text.contains(QStringLiteral("Studio")));
        QVERIFY(!text.contains(QStringLiteral("SMTPConfig")));
    }
    QVERIFY(meter->requestCount(QStringLiteral("/login")) >= 1);

    // The meter gains an audiogroup: adding it again is no collision with itself and
    // creates only the new audiogroup.
    meter->setAudioGroupNames(
        {QStringLiteral("Program 1"), QStringLiteral("Program 2"), QStringLiteral("Program 3")});
    QCOMPARE(front->startAddInstrument(), 0);
    QCOMPARE(front->submitAddInstrument(meter.address(), QStringLiteral("pw")), 0);
    QTRY_COMPARE_WITH_TIMEOUT(
        m_harness.system()->alerts().count(QStringLiteral("Instrument successfully added")), 2,
        15000);
    const InstrumentConfig again = SystemHarness::storedConfig().getInstrument("Studio");
    QCOMPARE(again.getAgConfigCount(), 3);
    QTRY_VERIFY_WITH_TIMEOUT(
        storedTimestamps(getAgDbFilePath(QStringLiteral("Studio"), QStringLiteral("Program 3")))
                .size() > 0,
        20000);
    QCOMPARE(front->getInstrumentManager()->getInstruments().size(), 1);

    // Every configuration was applied with everything paused.
    const QList<bool> paused = m_harness.system()->pausedWhenApplied();
    QVERIFY(paused.size() >= 3);
    QVERIFY(!paused.contains(false));
}

KIV_TEST_MAIN(TestAddDevice, QApplication)
#include "tst_adddevice.moc"
