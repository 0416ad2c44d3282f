// The controller threads, instruments and the instrument manager around a real store.
#include "ControllerTestUtil.h"
#include "FakeSystem.h"
#include "KivTest.h"

#include <AAudioGroup.h>
#include <AInstrument.h>
#include <AcquisitionAg.h>
#include <AgController.h>
#include <AgDataModel.h>
#include <AgDataReceivedCommandParameter.h>
#include <AgDataVector.h>
#include <AgStoreResult.h>
#include <InstrumentController.h>
#include <InstrumentManager.h>
#include <KivUtils.h>

#include <Command.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>
#include <QTimer>

#include <sqlite3.h>

#include <algorithm>
#include <functional>

#include <memory>

using namespace ControllerTest;

namespace {

const QString kMeter = QStringLiteral("M1");

} // namespace

class ControllersTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void instrumentControllerStates();
    void instrumentControllerCommandFailures();
    void managerLookupsAndFanOut();
    void neverStartedControllerCountsAsFinished();
    void idleControllersSleepUntilTheirNextDuty();
    void idleControllerRunsAPostedCommandAtOnce();
    void storeCodeReachesDeviceAndGapBatchCounts();
    void unusableDatabaseIsTriedAgainUntilRepaired();
    void statusIsPublishedWhereItChanges();
    void importedDatabaseKeptWhileStillMapped_data();
    void importedDatabaseKeptWhileStillMapped();

private:
    void stopAll();
    // A running manager with one meter of one audiogroup; null if it does not start.
    AAudioGroup *startOneAudioGroup(const QString &name);

    std::unique_ptr<FakeSystem> m_system;
    std::unique_ptr<InstrumentManager> m_manager;
};

AAudioGroup *ControllersTest::startOneAudioGroup(const QString &name)
{
    m_manager = std::make_unique<InstrumentManager>();
    m_system->setInstrumentManager(m_manager.get());
    if (m_manager->init(false, {meter(kMeter, {group(name)})}) != 0)
        return nullptr;
    m_manager->unpauseAll();
    AAudioGroup *audioGroup = m_manager->findAudioGroup(kMeter, name);
    if (!audioGroup || !QTest::qWaitFor([audioGroup] { return !audioGroup->isPaused(); }))
        return nullptr;
    return audioGroup;
}

void ControllersTest::init()
{
    m_system = std::make_unique<FakeSystem>();
    SystemConfig config;
    config.setManualAcquisitionOn(false);
    m_system->setCurrentConfig(config);
    QVERIFY(createDataFolder());
}

void ControllersTest::stopAll()
{
    if (!m_manager)
        return;
    m_manager->stopAll();
    QTRY_VERIFY(m_manager->areAllFinished());
}

void ControllersTest::cleanup()
{
    stopAll();
    m_system->setInstrumentManager(nullptr);
    m_manager.reset();
    m_system.reset();
}

void ControllersTest::instrumentControllerStates()
{
    InstrumentController controller;
    QCOMPARE(controller.init(false, meter(kMeter, {})), 0);
    // Built paused: nothing is accepted before the start-up unpauses it.
    QVERIFY(controller.isPaused());
    QCOMPARE(controller.enqueue(new Command(InstrumentController::CmdPublishStatus)), -1);
    // Taken from the moment it is unpaused, before the thread's next round has seen that;
    // a pause the thread never saw end drops it again.
    controller.unpause();
    QCOMPARE(controller.enqueue(new Command(InstrumentController::CmdPublishStatus)), 0);
    controller.pause();
    QCOMPARE(controller.enqueue(new Command(InstrumentController::CmdPublishStatus)), -1);
    controller.step();
    QCOMPARE(controller.queuedCount(), 0);
    controller.unpause();
    controller.step();
    QCOMPARE(controller.getLoopState(), int(InstrumentController::StateRunning));
    for (int i = 0; i < 5; ++i)
        QCOMPARE(controller.enqueue(new Command(InstrumentController::CmdPublishStatus)), 0);
    // Pausing drops what was queued, unexecuted.
    controller.pause();
    controller.step();
    QVERIFY(controller.isPaused());
    QCOMPARE(controller.queuedCount(), 0);
    QCOMPARE(m_system->callCount(QStringLiteral("updateAcquisitionStatus")), 0);
    controller.unpause();
    controller.step();
    QCOMPARE(controller.enqueue(new Command(InstrumentController::CmdPublishStatus)), 0);
    controller.step();
    QCOMPARE(m_system->callCount(QStringLiteral("updateAcquisitionStatus")), 1);
    // The stop flag wins over the pause flag.
    controller.pause();
    controller.stop();
    controller.step();
    QCOMPARE(controller.getLoopState(), int(InstrumentController::StateFinished));
    QVERIFY(controller.isFinished());
}

void ControllersTest::instrumentControllerCommandFailures()
{
    InstrumentController controller;
    QCOMPARE(controller.init(false, meter(kMeter, {group(QStringLiteral("A"))})), 0);
    controller.unpause();
    controller.step();
    // Answers that are not an AgCommandReply, a config update without payload and an
    // unknown type are each dropped with an error line; the next command still runs.
    const int logged = KivTest::captureLog()->lines().size();
    QCOMPARE(controller.enqueue(new Command(InstrumentController::CmdTimestampReply)), 0);
    QCOMPARE(controller.enqueue(new Command(InstrumentController::CmdStoreResult)), 0);
    QCOMPARE(controller.enqueue(new Command(InstrumentController::CmdUpdateConfig)), 0);
    QCOMPARE(controller.enqueue(new Command(6)), 0);
    QCOMPARE(controller.enqueue(new Command(InstrumentController::CmdResetStatus)), 0);
    controller.step();
    QCOMPARE(m_system->callCount(QStringLiteral("updateAcquisitionStatus")), 1);
    QCOMPARE(m_system->acquisitionStatusUpdates().first().size(), 1);
    QStringList lines;
    for (const QString &entry : KivTest::captureLog()->lines().mid(logged)) {
        if (entry.contains(QStringLiteral("InstrumentController[")))
            lines << entry.section(QLatin1Char('\n'), 0, 0) + entry.section(QLatin1Char('\n'), 2);
    }
    QCOMPARE(lines, (QStringList{QStringLiteral("E:: InstrumentController[M1]command[1] failed: -1\n"),
                                 QStringLiteral("E:: InstrumentController[M1]command[2] failed: -1\n"),
                                 QStringLiteral("E:: InstrumentController[M1]command[5] failed: -1\n"),
                                 QStringLiteral("E:: Unknown command type in InstrumentController[M1]: 6\n")}));
    controller.stop();
    controller.step();
}

void ControllersTest::managerLookupsAndFanOut()
{
    m_manager = std::make_unique<InstrumentManager>();
    m_system->setInstrumentManager(m_manager.get());
    QVERIFY(m_manager->areAllPaused());
    QVERIFY(m_manager->areAllFinished());
    QVERIFY(!m_manager->hasAudioGroups());
    QCOMPARE(m_manager->init(
                 false, {meter(kMeter, {group(QStringLiteral("A")), group(QStringLiteral("B"))}),
                         meter(QStringLiteral("M2"), {})}),
             0);
    // A name already listed adds nothing.
    QCOMPARE(m_manager->addInstrument(false, meter(kMeter, {})), 0);
    QCOMPARE(m_manager->getInstruments().size(), 2);
    QVERIFY(m_manager->hasAudioGroups());
    QVERIFY(m_manager->findAudioGroup(kMeter, QStringLiteral("B")));
    QVERIFY(!m_manager->findAudioGroup(kMeter, QStringLiteral("C")));
    QVERIFY(!m_manager->findAudioGroup(QStringLiteral("M3"), QStringLiteral("A")));
    QTRY_VERIFY(m_manager->areAllPaused());
    m_manager->unpauseAll();
    QTRY_VERIFY(!m_manager->findInstrument(kMeter)->isPaused());
    m_manager->requestStatusUpdates();
    QTRY_COMPARE(m_system->callCount(QStringLiteral("updateAcquisitionStatus")), 2);
    QTRY_COMPARE(m_system->callCount(QStringLiteral("updateAgViolationStatus")), 2);
    m_manager->pauseAll();
    QTRY_VERIFY(m_manager->areAllPaused());
    AInstrument *removed = m_manager->removeInstrument(QStringLiteral("M2"));
    QVERIFY(removed);
    QVERIFY(!m_manager->findInstrument(QStringLiteral("M2")));
    removed->stop();
    QTRY_VERIFY(removed->areAllFinished());
    delete removed;
}

void ControllersTest::neverStartedControllerCountsAsFinished()
{
    // Closing must not wait for a controller whose thread never ran.
    AgController agController;
    InstrumentController instrumentController;
    QVERIFY(agController.isFinished());
    QVERIFY(instrumentController.isFinished());
    AInstrument instrument;
    QVERIFY(instrument.areAllFinished());
    QVERIFY(!instrument.deleteOnGuiThread());
}

void ControllersTest::idleControllersSleepUntilTheirNextDuty()
{
    SystemConfig config = m_system->getSystemConfig();
    config.setBackupCheckTimeout(300);
    m_system->setCurrentConfig(config);
    AgController agController;
    QCOMPARE(agController.init(false, meter(kMeter, {group(QStringLiteral("A"))}),
                               group(QStringLiteral("A"))),
             0);
    agController.unpause();
    agController.step();
    agController.step();
    // Nothing to do until the backup check is due.
    const qint64 untilBackup = agController.sleepBeforeNextRound();
    QVERIFY2(untilBackup > 200 && untilBackup <= 300, qPrintable(QString::number(untilBackup)));
    agController.pause();
    agController.step();
    QCOMPARE(agController.sleepBeforeNextRound(), PausableController::kMaxIdleSleepMs);

    // Acquisition off: the device has nothing to do, only commands wake the thread.
    InstrumentController instrumentController;
    QCOMPARE(instrumentController.init(false, meter(kMeter, {group(QStringLiteral("A"))})), 0);
    instrumentController.unpause();
    instrumentController.step();
    instrumentController.step();
    QCOMPARE(instrumentController.sleepBeforeNextRound(), PausableController::kMaxIdleSleepMs);
}

void ControllersTest::idleControllerRunsAPostedCommandAtOnce()
{
    AAudioGroup *audioGroup = startOneAudioGroup(QStringLiteral("A"));
    QVERIFY(audioGroup);
    QTRY_VERIFY(!m_manager->findInstrument(kMeter)->isPaused());

    // Each command posted to a sleeping controller, the time until its handler has run.
    auto latencies = [this](const QString &call, const std::function<void()> &post) {
        std::vector<qint64> us;
        for (int i = 0; i < 15; ++i) {
            QThread::msleep(20 + 7 * (i % 3)); // well into the sleep, not in step with it
            const int before = m_system->callCount(call);
            QElapsedTimer timer;
            timer.start();
            post();
            while (m_system->callCount(call) == before && timer.elapsed() < 2000)
                QThread::usleep(50);
            us.push_back(timer.nsecsElapsed() / 1000);
        }
        std::sort(us.begin(), us.end());
        return us;
    };
    const std::vector<qint64> agUs = latencies(QStringLiteral("updateAgViolationStatus"),
                                               [audioGroup] { audioGroup->publishViolations(); });
    AInstrument *instrument = m_manager->findInstrument(kMeter);
    const std::vector<qint64> instrumentUs =
        latencies(QStringLiteral("updateAcquisitionStatus"),
                  [instrument] { instrument->requestAcquisitionStatus(); });
    for (const std::vector<qint64> *us : {&agUs, &instrumentUs}) {
        const QString text = QStringLiteral("median %1 us, slowest %2 us")
                                 .arg(us->at(us->size() / 2))
                                 .arg(us->back());
        QVERIFY2(us->at(us->size() / 2) < 3000, qPrintable(text));
        QVERIFY2(us->back() < 100000, qPrintable(text));
    }
}

void ControllersTest::storeCodeReachesDeviceAndGapBatchCounts()
{
    AAudioGroup *audioGroup = startOneAudioGroup(QStringLiteral("A"));
    QVERIFY(audioGroup);
    // The round that stores a batch publishes the counters it changed.
    auto truePeaks = [this] {
        const QList<AgViolations> updates = m_system->violationUpdates();
        return updates.isEmpty() ? -1 : updates.last().getTruePeakMainCount();
    };

    const qint64 start = 1700000000000;
    audioGroup->postSamples(kMeter, loudBatch(start, 50));
    QTRY_VERIFY(truePeaks() > 0);
    const int afterFirst = truePeaks();

    // 1 s after the newest stored sample: stored after a gap, and counted all the same.
    audioGroup->postSamples(kMeter, loudBatch(start + 50 * 100 + 1000, 50));
    QTRY_VERIFY(truePeaks() > afterFirst);
    const int afterGap = truePeaks();

    // Sent again with 25 new ones: only the new ones count (the newest one waits for the
    // next batch, and the one held back from before is judged now).
    audioGroup->postSamples(kMeter, loudBatch(start + 50 * 100 + 1000 + 25 * 100, 50));
    QTRY_COMPARE(truePeaks(), afterGap + 25);

    // The store's code went back to the device unchanged.
    QTRY_VERIFY(!m_system->acquisitionStatusUpdates().isEmpty());
    QTRY_COMPARE(
        statusOf(m_system->acquisitionStatusUpdates().last(), QStringLiteral("A")).getStoreError(),
        kStoreGapCode);
}

// A folder where the audiogroup's file belongs: nothing is stored, so its light ages as
// without data although samples arrive. Once the folder is gone the file is opened again by
// itself, without a restart, and the samples are stored.
void ControllersTest::unusableDatabaseIsTriedAgainUntilRepaired()
{
    KivTest::CapturedLog *log = KivTest::captureLog();
    const QString path = getAgDbFilePath(kMeter, QStringLiteral("Z"));
    QVERIFY(QDir().mkpath(path));
    AAudioGroup *audioGroup = startOneAudioGroup(QStringLiteral("Z"));
    QVERIFY(audioGroup);
    // The latest published status (only a changed one is published).
    auto status = [this] {
        m_manager->requestStatusUpdates();
        const QList<QList<AcquisitionAg>> updates = m_system->acquisitionStatusUpdates();
        return statusOf(updates.isEmpty() ? QList<AcquisitionAg>() : updates.last(),
                        QStringLiteral("Z"));
    };
    auto storedRows = [&path] {
        sqlite3 *db = nullptr;
        int rows = 0;
        sqlite3_stmt *count = nullptr;
        if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) ==
                SQLITE_OK &&
            sqlite3_prepare_v2(db, "SELECT COUNT(*) FROM AgDataZoomLevel0", -1, &count, nullptr) ==
                SQLITE_OK &&
            sqlite3_step(count) == SQLITE_ROW)
            rows = sqlite3_column_int(count, 0);
        sqlite3_finalize(count);
        sqlite3_close(db);
        return rows;
    };

    qint64 next = 1700000000000;
    QTimer meter;
    connect(&meter, &QTimer::timeout, this, [&] {
        audioGroup->postSamples(kMeter, loudBatch(next, 5));
        next += 500;
    });
    meter.start(200);
    QTRY_COMPARE_WITH_TIMEOUT(status().getStoreError(), -1, 15000);
    const qint64 created = status().getConnectionStartTime();
    QCOMPARE(status().getLastDataTime(), created);

    QVERIFY(QDir(path).removeRecursively());
    QTRY_VERIFY_WITH_TIMEOUT(storedRows() > 0, AgDataModel::kReopenPacingMs + 15000);
    meter.stop();
    QTRY_VERIFY_WITH_TIMEOUT(status().getLastDataTime() > created, 15000);
    QCOMPARE(log->count(QStringLiteral("can be used again")), 1);
}

void ControllersTest::statusIsPublishedWhereItChanges()
{
    m_manager = std::make_unique<InstrumentManager>();
    m_system->setInstrumentManager(m_manager.get());
    QCOMPARE(m_manager->init(
                 false, {meter(kMeter, {group(QStringLiteral("A")), group(QStringLiteral("B"))})}),
             0);
    m_manager->unpauseAll();
    AInstrument *instrument = m_manager->findInstrument(kMeter);
    AAudioGroup *a = m_manager->findAudioGroup(kMeter, QStringLiteral("A"));
    AAudioGroup *b = m_manager->findAudioGroup(kMeter, QStringLiteral("B"));
    QTRY_VERIFY(!instrument->isPaused() && !a->isPaused() && !b->isPaused());
    const QString status = QStringLiteral("updateAcquisitionStatus");
    const QString violations = QStringLiteral("updateAgViolationStatus");

    // Each controller's first round publishes what it holds, unasked; then nothing is
    // published again while nothing changes, asked or not.
    QTRY_COMPARE(m_system->callCount(status), 1);
    QTRY_COMPARE(m_system->callCount(violations), 2);
    QVERIFY(!instrument->hasUnpublishedStatus());
    QVERIFY(!a->hasUnpublishedViolations() && !b->hasUnpublishedViolations());
    m_manager->requestStatusUpdates();
    QTest::qWait(200);
    QCOMPARE(m_system->callCount(status), 1);
    QCOMPARE(m_system->callCount(violations), 2);

    // Loud samples for A change its counters and the meter's record of the store.
    a->postSamples(kMeter, loudBatch(1800000000000, 50));
    QTRY_COMPARE(m_system->callCount(violations), 3);
    QTRY_COMPARE(m_system->callCount(status), 2);
    QVERIFY(m_system->violationUpdates().last().getTruePeakMainCount() > 0);
    QVERIFY(!b->hasUnpublishedViolations());

    // A reset is published at once.
    a->resetViolationStatus();
    QTRY_COMPARE(m_system->callCount(violations), 4);
    QCOMPARE(m_system->violationUpdates().last().getTruePeakMainCount(), 0);
}

void ControllersTest::importedDatabaseKeptWhileStillMapped_data()
{
    QTest::addColumn<bool>("stillConfigured");
    QTest::addColumn<bool>("kept");
    QTest::newRow("no other audiogroup on the file") << false << false;
    QTest::newRow("another audiogroup maps to it") << true << true;
}

void ControllersTest::importedDatabaseKeptWhileStillMapped()
{
    QFETCH(bool, stillConfigured);
    QFETCH(bool, kept);
    // "A/B" and "A_B" give the same file name.
    const QString path = getAgDbFilePath(kMeter, QStringLiteral("A/B"));
    QCOMPARE(path, getAgDbFilePath(kMeter, QStringLiteral("A_B")));
    SystemConfig config;
    if (stillConfigured)
        config.setInstruments({meter(kMeter, {group(QStringLiteral("A_B"), true)})});
    m_system->setCurrentConfig(config);

    AgController controller;
    QCOMPARE(controller.init(false, meter(kMeter, {}), group(QStringLiteral("A/B"), true)), 0);
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    controller.setDeleteImportedDbOnClose();
    controller.finish();
    QCOMPARE(QFile::exists(path), kept);
    QFile::remove(path);
}

KIV_TEST_MAIN(ControllersTest, QCoreApplication)

#include "tst_controllers.moc"
