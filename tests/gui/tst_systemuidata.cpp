#include <AcquisitionAg.h>
#include <AgData.h>
#include <AgDataVector.h>
#include <AgViolations.h>
#include <KivTest.h>
#include <KivUtils.h>
#include <SyncSystemUIData.h>
#include <SystemUIData.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <atomic>
#include <functional>

namespace {

constexpr qint64 kT0 = 1700000000000;

AcquisitionAg record(const QString &instrument, const QString &ag, int replyError = 0)
{
    AcquisitionAg status{InstrumentConfig(instrument), AgConfig(ag)};
    status.setConnected();
    if (replyError != 0)
        status.setReplyResult(replyError);
    return status;
}

AgData sample(qint64 timestamp, double truePeak)
{
    AgData data(QStringLiteral("a"));
    data.setEmpty(false);
    data.setTimestamp(timestamp);
    data.setProgramId(1);
    data.setM400ms(-30.0);
    data.setM100ms(-30.0);
    data.setS(-30.0);
    data.setTP(truePeak);
    return data;
}

AgConfig truePeakLimit()
{
    AgConfig config(QStringLiteral("a"));
    config.setMainThresholdActiveState(true);
    config.setTPUpperThreshold(-3.0);
    return config;
}

// One true-peak violation counted, and a loud sample still waiting for its successor.
AgViolations violationsWithPendingSample()
{
    AgViolations violations;
    AgDataVector batch;
    batch.append(sample(kT0, 0.0));
    batch.append(sample(kT0 + 100, 0.0));
    violations.update(false, truePeakLimit(), &batch, -1);
    return violations;
}

// Feeds one quiet sample: the pending sample, if any, is judged now.
int truePeakCountAfterQuietSample(AgViolations violations)
{
    AgDataVector batch;
    batch.append(sample(kT0 + 200, -40.0));
    violations.update(false, truePeakLimit(), &batch, -1);
    return violations.getTruePeakMainCount();
}

using Change = std::function<bool(SyncSystemUIData &, AcquisitionAg)>;

SystemConfig oneLoggedAudiogroup()
{
    InstrumentConfig meter(QStringLiteral("m1"));
    AgConfig ag(QStringLiteral("a"));
    ag.setHasLoggingEnabled(true);
    meter.setAgConfig(ag);
    SystemConfig config;
    config.setManualAcquisitionOn(true);
    config.setInstruments({meter});
    return config;
}

} // namespace

Q_DECLARE_METATYPE(Change)

class TestSystemUIData : public QObject
{
    Q_OBJECT
private slots:
    void unknownAudiogroupsGiveDefaults()
    {
        SystemUIData data;
        data.setAcquisitionStatus({record("m1", "a", 7)});
        data.setAgViolations("m1", "a", violationsWithPendingSample());

        const qint64 before = monotonicMSecs();
        for (const auto &pair :
             {qMakePair(QString("m2"), QString("a")), qMakePair(QString("m1"), QString("b"))}) {
            const AcquisitionAg status = data.getAcquisitionAg(pair.first, pair.second);
            QVERIFY(!status.isConnected());
            QCOMPARE(status.getReplyError(), 0);
            for (qint64 time : {status.getConnectionStartTime(), status.getLastReplyTime(),
                                status.getLastDataTime()}) {
                QVERIFY(time >= before);
                QVERIFY(time <= monotonicMSecs());
            }
            QCOMPARE(data.getAgViolations(pair.first, pair.second).getTruePeakMainCount(), 0);
        }
        QVERIFY(data.getAcquisitionAg("m1", "a").isConnected());
        QCOMPARE(data.getAgViolations("m1", "a").getTruePeakMainCount(), 1);
    }

    void recordsAreReplacedAndKept()
    {
        SystemConfig config;
        InstrumentConfig meter("m1");
        meter.setAgConfig(AgConfig("a"));
        config.setInstruments({meter});

        SystemUIData data;
        data.setSystemConfig(config);
        data.setAcquisitionStatus({record("m1", "a", 1), record("m1", "b", 2)});
        // An empty list changes nothing; of two records for one audiogroup the later stays.
        data.setAcquisitionStatus({});
        QCOMPARE(data.getAcquisitionAg("m1", "b").getReplyError(), 2);
        data.setAcquisitionStatus({record("m1", "a", 3), record("m1", "a", 4)});
        QCOMPARE(data.getAcquisitionAg("m1", "a").getReplyError(), 4);
        QCOMPARE(data.getAcquisitionAg("m1", "b").getReplyError(), 2);

        // An audiogroup that left the configuration keeps its records.
        config.removeInstrument("m1");
        data.setSystemConfig(config);
        QVERIFY(!data.getSystemConfig().hasInstrument("m1"));
        QCOMPARE(data.getAcquisitionAg("m1", "a").getReplyError(), 4);
    }

    // A copy of the state carries the violation counters, never the sample a record is
    // still waiting to judge: judged once in the writer's record, not again in a copy.
    void copiesCarryCountersOnly()
    {
        SystemUIData data;
        data.setAgViolations("m1", "a", violationsWithPendingSample());
        SystemUIData assigned;
        assigned = data;
        const SystemUIData copied(data);
        for (const SystemUIData *copy : {static_cast<const SystemUIData *>(&assigned), &copied}) {
            const AgViolations counters = copy->getAgViolations("m1", "a");
            QCOMPARE(counters.getTruePeakMainCount(), 1);
            QCOMPARE(truePeakCountAfterQuietSample(counters), 1);
        }
        // Self-assignment keeps everything.
        SystemUIData &self = data;
        data = self;
        QCOMPARE(data.getAgViolations("m1", "a").getTruePeakMainCount(), 1);
    }

    // The display sleeps after it took a copy; a change wakes it only when the window would
    // show it, or when a light would age past a bound sooner than the display would look.
    void sleepingDisplayWakesForWhatItShows_data()
    {
        QTest::addColumn<Change>("change");
        QTest::addColumn<bool>("wakes");
        const auto status = [](AcquisitionAg r) {
            return Change([r](SyncSystemUIData &sync, AcquisitionAg) {
                return sync.setAcquisitionStatus({r});
            });
        };
        const auto edit = [](std::function<void(AcquisitionAg &)> fn) {
            return Change([fn](SyncSystemUIData &sync, AcquisitionAg r) {
                fn(r);
                return sync.setAcquisitionStatus({r});
            });
        };
        QTest::newRow("the same record") << edit([](AcquisitionAg &) {}) << false;
        QTest::newRow("a fresher reply")
            << edit([](AcquisitionAg &r) { r.setReplyResult(0); }) << false;
        QTest::newRow("meter not reached yet")
            << edit([](AcquisitionAg &r) { r.setUnreachable(true); }) << false;
        QTest::newRow("connection lost")
            << status(AcquisitionAg(InstrumentConfig("m1"), AgConfig("a"))) << true;
        QTest::newRow("a gap for the tool tip")
            << edit([](AcquisitionAg &r) { r.setLastGap(kT0, kT0 + 500, 4); }) << true;
        QTest::newRow("an audiogroup not shown") << status(record("m2", "b")) << false;
        QTest::newRow("first violation") << Change([](SyncSystemUIData &sync, AcquisitionAg) {
            return sync.setAgViolations("m1", "a", violationsWithPendingSample());
        }) << true;
        QTest::newRow("no violation still") << Change([](SyncSystemUIData &sync, AcquisitionAg) {
            return sync.setAgViolations("m1", "a", AgViolations());
        }) << false;
        QTest::newRow("a new configuration") << Change([](SyncSystemUIData &sync, AcquisitionAg) {
            return sync.setSystemConfig(oneLoggedAudiogroup());
        }) << true;
    }

    void sleepingDisplayWakesForWhatItShows()
    {
        QFETCH(Change, change);
        SyncSystemUIData sync;
        QVERIFY(!sync.setSystemConfig(oneLoggedAudiogroup()));
        const AcquisitionAg fresh = record("m1", "a");
        QVERIFY(!sync.setAcquisitionStatus({fresh}));
        qint64 wakeAt = 0;
        sync.takeForSleepingDisplay(&wakeAt);
        QCOMPARE(wakeAt, fresh.getLastReplyTime() + StatusLight::kFreshMs);

        const bool woke = change(sync, fresh);
        QTEST(woke, "wakes");
        // Woken, it looks anyway and is not woken again before its next copy; asleep, a lost
        // connection wakes it.
        const AcquisitionAg lost(InstrumentConfig("m1"), AgConfig("a"));
        QCOMPARE(sync.setAcquisitionStatus({lost}), !woke);
    }

    // A writer thread replaces the status of every audiogroup in one call per generation;
    // no copy taken meanwhile may mix two generations.
    void copyIsWholeWhileWriterRuns()
    {
        constexpr int kAudiogroups = 20;
        SyncSystemUIData sync;
        std::atomic<bool> stop{false};
        std::atomic<int> written{0};
        QThread *writer = QThread::create([&] {
            for (int generation = 1; !stop.load(); ++generation) {
                QList<AcquisitionAg> status;
                for (int i = 0; i < kAudiogroups; ++i)
                    status.append(record("m", QString::number(i), generation));
                sync.setAcquisitionStatus(status);
                SystemConfig config;
                config.setPlotLiveModeBuffer(generation);
                sync.setSystemConfig(config);
                written.store(generation);
            }
        });
        writer->start();
        QTRY_VERIFY(written.load() > 0);

        // Enough copies, and at least a few generations written while copying.
        const int firstGeneration = written.load();
        QElapsedTimer clock;
        clock.start();
        int lastSeen = 0;
        for (int round = 0;
             (round < 2000 || written.load() < firstGeneration + 3) && clock.elapsed() < 20000;
             ++round) {
            const SystemUIData copy = sync.getSystemUIData();
            const int generation = copy.getAcquisitionAg("m", "0").getReplyError();
            for (int i = 1; i < kAudiogroups; ++i)
                QCOMPARE(copy.getAcquisitionAg("m", QString::number(i)).getReplyError(),
                         generation);
            QVERIFY(generation >= lastSeen);
            lastSeen = generation;
        }
        stop.store(true);
        writer->wait();
        delete writer;
        QVERIFY(written.load() >= firstGeneration + 3);
    }
};

KIV_TEST_MAIN(TestSystemUIData, QCoreApplication)
#include "tst_systemuidata.moc"
