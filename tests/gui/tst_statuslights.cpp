#include <AcquisitionAg.h>
#include <AgData.h>
#include <AgDataVector.h>
#include <AgStoreResult.h>
#include <KivTest.h>
#include <KivUtils.h>
#include <StatusLightsManager.h>
#include <SystemUIData.h>

#include <QCoreApplication>

namespace {

constexpr qint64 kT0 = 1700000000000;

struct Ag
{
    QString instrument;
    QString name;
    bool imported = false;
    bool logging = true;
};

SystemConfig configOf(const QList<Ag> &ags, bool acquisitionOn = true)
{
    SystemConfig config;
    config.setManualAcquisitionOn(acquisitionOn);
    QMap<QString, InstrumentConfig> instruments;
    for (const Ag &ag : ags) {
        if (!instruments.contains(ag.instrument))
            instruments.insert(ag.instrument, InstrumentConfig(ag.instrument));
        AgConfig agConfig(ag.name);
        agConfig.setImported(ag.imported);
        agConfig.setHasLoggingEnabled(ag.logging);
        instruments[ag.instrument].setAgConfig(agConfig);
    }
    config.setInstruments(instruments.values());
    return config;
}

// Counters with one momentary violation of the secondary set only.
AgViolations oneSecondaryViolation()
{
    AgConfig limits(QStringLiteral("a"));
    limits.setSecondaryThresholdActiveState(true);
    limits.setMUpperSecondaryThreshold(5.0);
    AgDataVector batch;
    for (qint64 t : {kT0, kT0 + 100}) {
        AgData sample(QStringLiteral("a"));
        sample.setEmpty(false);
        sample.setTimestamp(t);
        sample.setM400ms(6.0);
        sample.setS(-30.0);
        sample.setTP(-30.0);
        batch.append(sample);
    }
    AgViolations violations;
    violations.update(false, limits, &batch, -1);
    return violations;
}

// Waits for the status clock to move on (a millisecond at most), so a second time stamp of
// a status record differs from the first.
void nextMillisecond(qint64 after)
{
    while (monotonicMSecs() <= after) {
    }
}

QString describe(const StatusLightDescription &d)
{
    return QStringLiteral("%1/%2 conn %3 '%4' viol %5 '%6'%7")
        .arg(d.instrumentName, d.agSourceName)
        .arg(d.connectionState)
        .arg(d.connectionMessage)
        .arg(d.violationState)
        .arg(d.violationMessage)
        .arg(d.imported ? QStringLiteral(" imported") : QString());
}

QStringList describeAll(const QList<StatusLightDescription> &list)
{
    QStringList lines;
    for (const StatusLightDescription &d : list)
        lines << describe(d);
    return lines;
}

} // namespace

class TestStatusLights : public QObject
{
    Q_OBJECT
private slots:
    // The lights of one audiogroup. "older" names the record time that is `age` ms old
    // while the other one is younger ("both": reply and data are equally old). A record
    // that is not connected is aged by its connection start, which equals the older time.
    void lights_data()
    {
        QTest::addColumn<bool>("imported");
        QTest::addColumn<bool>("connected");
        QTest::addColumn<bool>("acquisitionOn");
        QTest::addColumn<bool>("logging");
        QTest::addColumn<bool>("violated");
        QTest::addColumn<QString>("older");
        QTest::addColumn<qint64>("age");
        QTest::addColumn<int>("connectionState");
        QTest::addColumn<QString>("connectionMessage");
        QTest::addColumn<int>("violationState");
        QTest::addColumn<QString>("violationMessage");

        const QString connecting = QStringLiteral("Connecting ...");
        const QString both = QStringLiteral("both");
        const QString reply = QStringLiteral("reply");
        const QString data = QStringLiteral("data");
        // imported, connected, acquisitionOn, logging, violated, older, age
        QTest::newRow("connecting, 29999 ms")
            << false << false << true << true << false << both << qint64(29999) << 0 << connecting
            << 0 << connecting;
        QTest::newRow("connection lost, 30000 ms")
            << false << false << true << true << true << both << qint64(30000) << 2 << QString()
            << 2 << QString();
        QTest::newRow("connecting, start in the future")
            << false << false << true << true << false << both << qint64(-60000) << 0 << connecting
            << 0 << connecting;
        QTest::newRow("not connected, logging off still connecting")
            << false << false << false << false << false << both << qint64(0) << 0 << connecting
            << 0 << connecting;
        QTest::newRow("fresh, 14999 ms") << false << true << true << true << false << both
                                         << qint64(14999) << 1 << QString() << 1 << QString();
        QTest::newRow("fresh with violations") << false << true << true << true << true << both
                                               << qint64(0) << 1 << QString() << 2 << QString();
        QTest::newRow("late, both 15000 ms") << false << true << true << true << false << both
                                             << qint64(15000) << 3 << QString() << 1 << QString();
        QTest::newRow("late, reply 15000 ms") << false << true << true << true << false << reply
                                              << qint64(15000) << 3 << QString() << 1 << QString();
        QTest::newRow("late, data 15000 ms") << false << true << true << true << false << data
                                             << qint64(15000) << 3 << QString() << 1 << QString();
        QTest::newRow("late, 49999 ms") << false << true << true << true << false << both
                                        << qint64(49999) << 3 << QString() << 1 << QString();
        QTest::newRow("stale, reply 50000 ms") << false << true << true << true << false << reply
                                               << qint64(50000) << 2 << QString() << 1 << QString();
        QTest::newRow("stale, data 50000 ms") << false << true << true << true << false << data
                                              << qint64(50000) << 2 << QString() << 1 << QString();
        // Replies come but nothing they carry is stored: the data ages as without replies.
        const QString heldBack = QStringLiteral("held back");
        QTest::newRow("late, held back 15000 ms") << false << true << true << true << false
                                                  << heldBack << qint64(15000) << 3 << QString()
                                                  << 1 << QString();
        QTest::newRow("stale, held back 50000 ms") << false << true << true << true << false
                                                   << heldBack << qint64(50000) << 2 << QString()
                                                   << 1 << QString();
        // Requests fail (refused, not found, an HTTP error): red once as long as a first
        // connection may take, though replies and data are not stale yet.
        const QString unreachable = QStringLiteral("unreachable");
        QTest::newRow("not reached, 29999 ms") << false << true << true << true << false
                                               << unreachable << qint64(29999) << 3 << QString()
                                               << 1 << QString();
        QTest::newRow("not reached, 30000 ms") << false << true << true << true << false
                                               << unreachable << qint64(30000) << 2 << QString()
                                               << 1 << QString();
        QTest::newRow("port refused at load")
            << false << false << true << true << false << QStringLiteral("refused") << qint64(0)
            << 0 << QStringLiteral("Cannot log") << 0 << connecting;
        QTest::newRow("fresh, times in the future")
            << false << true << true << true << false << both << qint64(-5000) << 1 << QString()
            << 1 << QString();
        QTest::newRow("global logging off") << false << true << false << true << true << both
                                            << qint64(0) << 4 << QString() << 4 << QString();
        QTest::newRow("audiogroup logging off") << false << true << true << false << true << both
                                                << qint64(0) << 4 << QString() << 4 << QString();
        QTest::newRow("imported, no violations")
            << true << false << true << true << false << both << qint64(60000) << 0 << QString()
            << 1 << QString();
        QTest::newRow("imported with violations, logging off")
            << true << false << false << false << true << both << qint64(0) << 0 << QString() << 2
            << QString();
    }

    void lights()
    {
        QFETCH(bool, imported);
        QFETCH(bool, connected);
        QFETCH(bool, acquisitionOn);
        QFETCH(bool, logging);
        QFETCH(bool, violated);
        QFETCH(QString, older);
        QFETCH(qint64, age);

        SystemConfig config = configOf({{"m1", "a", imported, logging}}, acquisitionOn);
        if (older == QLatin1String("refused")) {
            InstrumentConfig meter = config.getInstrument("m1");
            meter.setRefusedAtLoad(QStringLiteral("Port \"99999\" refused"));
            config.addOrUpdateInstrument(meter);
        }
        AcquisitionAg status(config.getInstrument("m1"), config.getAgConfig("m1", "a"));
        const qint64 start = status.getConnectionStartTime();
        QCOMPARE(status.getLastReplyTime(), start);
        QCOMPARE(status.getLastDataTime(), start);
        if (older == QLatin1String("reply")) {
            nextMillisecond(start);
            status.setStoreResult(0, 1);
            QVERIFY(status.getLastDataTime() > start);
        } else if (older == QLatin1String("data") || older == QLatin1String("held back")) {
            nextMillisecond(start);
            status.setReplyResult(0);
            QVERIFY(status.getLastReplyTime() > start);
            if (older == QLatin1String("held back")) {
                status.setStoreResult(0, 0);
                status.setStoreResult(kStoreFailedCode, 0);
                QCOMPARE(status.getLastDataTime(), start);
            }
        }
        if (connected)
            status.setConnected();
        qint64 since = start;
        if (older == QLatin1String("unreachable")) {
            status.setUnreachable(true);
            since = status.getUnreachableSince();
        }

        SystemUIData state;
        state.setSystemConfig(config);
        state.setAcquisitionStatus({status});
        if (violated)
            state.setAgViolations("m1", "a", oneSecondaryViolation());

        StatusLightsManager manager([=] { return since + age; });
        manager.update(state);
        const QList<StatusLightDescription> lights = manager.getStatusLightDescriptions();
        QCOMPARE(lights.size(), 1);
        const StatusLightDescription &light = lights.first();
        QCOMPARE(light.imported, imported);
        QCOMPARE(light.instrumentName, QStringLiteral("m1"));
        QCOMPARE(light.agSourceName, QStringLiteral("a"));
        QTEST(light.connectionState, "connectionState");
        QTEST(light.connectionMessage, "connectionMessage");
        QTEST(light.violationState, "violationState");
        QTEST(light.violationMessage, "violationMessage");

        // The display sleeps until the next change by age: nothing may change before it.
        const qint64 now = since + age;
        const qint64 next = manager.nextChangeAfter(now);
        QVERIFY(next > now);
        const qint64 before = next == StatusLight::kNever ? now + 1000000000 : next - 1;
        QCOMPARE(describeAll(manager.getStatusLightDescriptions(before)), describeAll(lights));
    }

    // The connection light's tool tip says why no samples come, what was not stored, the
    // meter's clock running ahead and the last gap.
    void toolTipTellsWhy()
    {
        SystemConfig config = configOf({{"m1", "a"}});
        AcquisitionAg status(config.getInstrument("m1"), config.getAgConfig("m1", "a"));
        status.setConnected();
        SystemUIData state;
        state.setSystemConfig(config);
        state.setAcquisitionStatus({status});
        StatusLightsManager manager;
        manager.update(state);
        QCOMPARE(manager.getStatusLightDescriptions().first().connectionNote, QString());

        status.setStopCause(QStringLiteral("the meter at http://m1:80 answers HTTP 500"));
        status.setClockAheadMs(299600);
        status.addOldSamples(400, kT0, kT0 + 39900);
        status.setLastGap(kT0 - 61300, kT0, 612);
        state.setAcquisitionStatus({status});
        manager.update(state);
        QCOMPARE(manager.getStatusLightDescriptions().first().connectionNote.split('\n'),
                 (QStringList{
                     "No samples: the meter at http://m1:80 answers HTTP 500",
                     "The meter's clock runs about 300 s ahead of this computer's clock",
                     "400 samples stamped before the newest stored one were not stored, the last "
                     "2023-11-14T22:13:20Z to 2023-11-14T22:13:59Z",
                     "Last gap: 612 samples missing after 2023-11-14T22:12:18Z, before "
                     "2023-11-14T22:13:20Z"}));
    }

    // Until a record arrives the lights read "Connecting ...", at every update.
    void neverPublishedKeepsConnecting()
    {
        SystemUIData state;
        state.setSystemConfig(configOf({{"m1", "a"}}));
        StatusLightsManager manager;
        for (int update = 0; update < 3; ++update) {
            manager.update(state);
            QCOMPARE(describeAll(manager.getStatusLightDescriptions()),
                     QStringList{"m1/a conn 0 'Connecting ...' viol 0 'Connecting ...'"});
        }
    }

    // Lights follow the configuration: new audiogroups get one, removed ones lose theirs
    // (two instruments at once too), refreshed ones take the new switches; rows come by
    // instrument name, then audiogroup name.
    void lightsFollowTheConfiguration()
    {
        qint64 now = 0;
        StatusLightsManager manager([&now] { return now; });
        QVERIFY(manager.getStatusLightDescriptions().isEmpty());

        QList<AcquisitionAg> status;
        SystemUIData state;
        state.setSystemConfig(
            configOf({{"zeta", "b"}, {"alpha", "z"}, {"mid", "x"}, {"zeta", "a"}, {"alpha", "b"}}));
        for (const InstrumentConfig &instrument : state.getSystemConfig().getInstruments()) {
            for (const AgConfig &ag : instrument.getAgConfigs()) {
                AcquisitionAg record(instrument, ag);
                record.setConnected();
                status << record;
            }
        }
        // The records were made one after another: the clock stands at the youngest, so
        // every one of them is stale 50000 ms later.
        for (const AcquisitionAg &record : status)
            now = qMax(now, qMax(record.getLastDataTime(), record.getLastReplyTime()));
        state.setAcquisitionStatus(status);
        manager.update(state);
        QCOMPARE(describeAll(manager.getStatusLightDescriptions()),
                 (QStringList{"alpha/b conn 1 '' viol 1 ''", "alpha/z conn 1 '' viol 1 ''",
                              "mid/x conn 1 '' viol 1 ''", "zeta/a conn 1 '' viol 1 ''",
                              "zeta/b conn 1 '' viol 1 ''"}));

        // Two instruments and one audiogroup go; one audiogroup stops logging; one comes.
        state.setSystemConfig(configOf({{"alpha", "b", false, false}, {"new", "n"}}));
        manager.update(state);
        QCOMPARE(describeAll(manager.getStatusLightDescriptions()),
                 (QStringList{"alpha/b conn 4 '' viol 4 ''",
                              "new/n conn 0 'Connecting ...' viol 0 'Connecting ...'"}));

        // The state keeps the old records; an audiogroup that comes back shows them again.
        state.setSystemConfig(configOf({{"zeta", "a"}}));
        manager.update(state);
        QCOMPARE(describeAll(manager.getStatusLightDescriptions()),
                 QStringList{"zeta/a conn 1 '' viol 1 ''"});

        // The time of the call decides: later, the same record is stale.
        now += 50000;
        QCOMPARE(describeAll(manager.getStatusLightDescriptions()),
                 QStringList{"zeta/a conn 2 '' viol 1 ''"});
    }
};

KIV_TEST_MAIN(TestStatusLights, QCoreApplication)
#include "tst_statuslights.moc"
