// The audiogroup window's controller between a recording window and a real audiogroup whose
// controller thread answers the data requests from its own store file. The clock is the
// test's: time moves only when a test moves it.
#include "FakeSystem.h"
#include "IdleExportManager.h"
#include "KivTest.h"
#include "UserInput.h"

#include <AAgView.h>
#include <AAudioGroup.h>
#include <AgDataVector.h>
#include <AgGetDataCommandReply.h>
#include <AgServiceFactories.h>
#include <AgViewController.h>
#include <ConfirmationDialog.h>
#include <GUIFactory.h>
#include <GenerateReportDialog.h>
#include <GoToTimeDialog.h>
#include <InstrumentManager.h>
#include <KivUtils.h>

#include <QDateTimeEdit>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMutex>
#include <QPushButton>
#include <QTemporaryDir>

#include <atomic>
#include <functional>
#include <memory>

namespace {

const QString kMeter = QStringLiteral("M1");
const QString kGroup = QStringLiteral("A");
constexpr qint64 kT0 = 1700000000000;
constexpr qint64 kMinuteMs = 60000;
constexpr qint64 kDayMs = 86400000;
// The stored samples: two minutes, 100 ms apart, newest on a whole second.
constexpr int kStoredCount = 1201;
constexpr qint64 kNewest = kT0 + (kStoredCount - 1) * 100;
constexpr qint64 kBuffer = 2000;
constexpr qint64 kSpan0 = 30000;
const QString kRefusal = QStringLiteral("Export operation is not allowed to KIV's data folder. "
                                        "Please try again and select a different target folder.");

std::atomic<qint64> gNow{1000000};

qint64 testClock()
{
    return gNow.load();
}

QString rel(qint64 time)
{
    return time == -1 ? QStringLiteral("-") : QString::number(time - kT0);
}

// Sample blocks that count themselves.
std::atomic<int> gLiveBlocks{0};

class CountedBlock : public AgDataVector
{
public:
    explicit CountedBlock(int zoomLevel = 0) : AgDataVector(zoomLevel) { ++gLiveBlocks; }
    ~CountedBlock() override { --gLiveBlocks; }
};

AgData sample(qint64 timestamp, qint64 events = 0)
{
    AgData data;
    data.setEmpty(false);
    data.setTimestamp(timestamp);
    data.setProgramId(1);
    data.setEvents(events);
    data.setTP(-20.0);
    data.setM400ms(-23.0);
    data.setS(-23.0);
    return data;
}

// Samples from..to inclusive, 100 ms apart; the first opens program 1 when asked.
AgDataVector *samples(qint64 from, qint64 to, bool opensProgram = false)
{
    auto *batch = new AgDataVector();
    for (qint64 t = from; t <= to; t += 100)
        batch->append(sample(t, opensProgram && t == from ? 1 : 0));
    return batch;
}

AgGetDataCommandReply *reply(int status, int zoomLevel, qint64 oldest, qint64 newest,
                             AgDataVector *data, const Program &current = Program())
{
    return new AgGetDataCommandReply(status, zoomLevel, 0, 0, oldest, newest, data, Program(),
                                     ProgramCalculationData(), {}, {}, current);
}

// The window: what it was sent.
class RecordingAgView : public AAgView
{
    Q_OBJECT
public:
    struct Shot
    {
        bool table = false;
        bool frozen = false;
        int samples = -1; // -1: no block
        PlotUIData data;
    };

    RecordingAgView(ViewType type, QWidget *parent) : AAgView(type, parent) {}
    int initView() override { return 0; }

    QList<Shot> shots;
    QStringList resets;
    int disposals = 0;

public slots:
    void onDisposeTableViewModelConnection() override { ++disposals; }
    void onUpdateUi(const PlotUIData &data) override { record(data, false, false); }
    void onUpdateTableView(const PlotUIData &data, bool frozen) override
    {
        record(data, true, frozen);
    }
    void onResetPlot(PlotValue, PlotValue, PlotValue, PlotValue, qlonglong, int spanMs,
                     ZoomLevel level) override
    {
        resets << QStringLiteral("level %1, span %2").arg(level).arg(spanMs);
    }
    void onShowPleaseWaitDialog(const QString &) override {}
    void onHidePleaseWaitDialog() override {}
    void onEpgProgramClicked(const Program &) override {}

private:
    void record(const PlotUIData &data, bool table, bool frozen)
    {
        std::unique_ptr<AgDataVector> block(data.takeSampleBlock());
        shots.append({table, frozen, block ? block->size() : -1, data});
    }
};

struct SeenReply
{
    int zoomLevel;
    qint64 from;
    qint64 to;
    Program program;
};

// The real controller, noting each answer it handles.
class ObservedController : public AgViewController
{
public:
    ObservedController() : AgViewController(testClock) {}

    // Noted once handled, so a test that sees the answer also sees its effect.
    void setDataReply(AgGetDataCommandReply *reply) override
    {
        if (!reply) {
            AgViewController::setDataReply(reply);
            return;
        }
        const SeenReply seen{reply->getZoomLevel(), reply->getFrom(), reply->getTo(),
                             reply->getRequestedProgram()};
        AgViewController::setDataReply(reply);
        QMutexLocker lock(&m_seenMutex);
        m_seen.append(seen);
    }
    QList<SeenReply> seen() const
    {
        QMutexLocker lock(&m_seenMutex);
        return m_seen;
    }

private:
    mutable QMutex m_seenMutex;
    QList<SeenReply> m_seen;
};

// Written on the audiogroup's controller thread.
KivTest::LineRecorder &exportLog()
{
    static KivTest::LineRecorder log;
    return log;
}

// Records what the controller thread was asked to export; never runs.
class RecordingExport : public IdleExportManager
{
public:
    int startExport(const InstrumentConfig &, const AgConfig &, qint64, qint64,
                    const QString &path) override
    {
        exportLog().add(QStringLiteral("export into ") + path);
        return 0;
    }
    int cancel() override
    {
        exportLog().add(QStringLiteral("export cancel"));
        return 0;
    }
};

AgConfig groupConfig(bool logging = true, bool imported = false)
{
    AgConfig config;
    config.setName(kGroup);
    config.setHasLoggingEnabled(logging);
    config.setImported(imported);
    return config;
}

InstrumentConfig meterConfig()
{
    InstrumentConfig config(kMeter);
    // Never reached: the meter is not polled here.
    config.setIpAdr(QStringLiteral("http://127.0.0.1"));
    config.setPort(QStringLiteral("9"));
    config.setAgConfigs({groupConfig()});
    return config;
}

// One audiogroup of an idle meter with its window controller, the window shown.
class Rig
{
public:
    explicit Rig(const QList<int> &ranges = {0, 2, 7, 11})
    {
        SystemConfig config;
        config.setRangeSettings(ranges);
        config.setPlotLiveModeBuffer(int(kBuffer));
        fake.setCurrentConfig(config);
        fake.setInstrumentManager(&manager);
    }
    ~Rig()
    {
        manager.stopAll();
        if (!QTest::qWaitFor([this] { return manager.areAllFinished(); }, 10000))
            qWarning("the audiogroup did not stop");
        fake.setInstrumentManager(nullptr);
    }

    // Stores the samples (when asked), opens the window and, when asked, lets the first
    // request learn the stored limits.
    bool open(bool store = true, bool learnLimits = true)
    {
        if (manager.init(false, {meterConfig()}) != 0)
            return false;
        group = manager.findAudioGroup(kMeter, kGroup);
        controller = group ? dynamic_cast<ObservedController *>(group->getAgViewController())
                           : nullptr;
        view = controller ? dynamic_cast<RecordingAgView *>(controller->getView()) : nullptr;
        if (!view)
            return false;
        manager.unpauseAll();
        if (!QTest::qWaitFor([this] { return !group->isPaused(); }, 5000))
            return false;
        if (store && group->postSamples(kMeter, samples(kT0, kNewest, true)) != 0)
            return false;
        controller->start();
        if (!QTest::qWaitFor([this] { return view->isVisible(); }, 5000))
            return false;
        if (!learnLimits)
            return true;
        tick(AgViewController::kRequestIntervalMs);
        return QTest::qWaitFor([this] { return controller->seen().size() == 1; }, 5000) &&
               snapshot().data.getScrollPosition() != -1;
    }

    // Live with manual acquisition on and logging enabled.
    void acquire(bool manual = true, bool logging = true, bool imported = false)
    {
        controller->updateConfig(manual, meterConfig(), groupConfig(logging, imported));
    }

    void tick(qint64 ms)
    {
        gNow += ms;
        controller->onUpdateTimer();
    }

    // The window's view after one more update step at the present time.
    RecordingAgView::Shot snapshot()
    {
        const int before = view->shots.size();
        controller->onUpdateTimer();
        if (!QTest::qWaitFor([&] { return view->shots.size() > before; }, 5000))
            return RecordingAgView::Shot();
        return view->shots.last();
    }

    bool waitForReplies(int count)
    {
        return QTest::qWaitFor([&] { return controller->seen().size() >= count; }, 5000) &&
               controller->seen().size() == count;
    }

    FakeSystem fake;
    InstrumentManager manager;
    AAudioGroup *group = nullptr;
    ObservedController *controller = nullptr;
    RecordingAgView *view = nullptr;
};

using Steps = std::function<void(Rig &)>;
// Builds an export target in the given temporary folder.
using Target = std::function<QString(const QString &)>;

QString describe(const SeenReply &seen)
{
    return QStringLiteral("from %1 to %2, program type %3 %4..%5")
        .arg(seen.from == 0 ? QStringLiteral("0") : rel(seen.from))
        .arg(seen.to == 0 ? QStringLiteral("0") : rel(seen.to))
        .arg(seen.program.getType())
        .arg(rel(seen.program.getStart()))
        .arg(rel(seen.program.getEnd()));
}

} // namespace

Q_DECLARE_METATYPE(Steps)
Q_DECLARE_METATYPE(Target)

class TestAgViewController : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void requestsFollowTheViewState_data();
    void requestsFollowTheViewState();
    void requestsArePacedAndStopWhilePaused();
    void repliesThatAreDropped_data();
    void repliesThatAreDropped();
    void freezeKeepsTheNewestDataAtTheRightEdge();
    void liveModeLeftWhenTheClockRunsAhead_data();
    void liveModeLeftWhenTheClockRunsAhead();
    void pauseHoldsTheLiveClock();
    void liveClockJumpsWhenItLags_data();
    void liveClockJumpsWhenItLags();
    void goToTimeIsClampedWithAnAlert_data();
    void goToTimeIsClampedWithAnAlert();
    void markerDragsKeepTheirGap_data();
    void markerDragsKeepTheirGap();
    void marksShowTheCurrentProgram_data();
    void marksShowTheCurrentProgram();
    void programDoubleClickChoosesTheZoomLevel_data();
    void programDoubleClickChoosesTheZoomLevel();
    void tablePageShowsTheHourLevel();
    void liveButtonAsksBeforeStartingAcquisition_data();
    void liveButtonAsksBeforeStartingAcquisition();
    void exportRefusedAnywhereInTheDataFolder_data();
    void exportRefusedAnywhereInTheDataFolder();
    void exportProgressAndCancel();
    void sampleBlocksAreFreedOnEveryPath();
    void closingTheWindowStopsTheUpdates();
};

void TestAgViewController::initTestCase()
{
    qRegisterMetaType<PlotUIData>("PlotUIData");
    qRegisterMetaType<ActiveScreen>("ActiveScreen");
    AgServiceFactories factories;
    factories.viewController = [] { return new ObservedController(); };
    factories.exportManager = [] { return new RecordingExport(); };
    AgServiceFactories::install(factories);
    GUIFactory::getInstance()->registerViewCreator(kViewTypeAg, [](ViewType type) -> AView * {
        return new RecordingAgView(type, nullptr);
    });
    ConfirmationDialog::registerCreator();
    GoToTimeDialog::registerCreator();
    GenerateReportDialog::registerCreator();
}

void TestAgViewController::init()
{
    QDir(getDataFolderPath()).removeRecursively();
    QVERIFY(createDataFolder());
    exportLog().take();
}

// Which samples and which program each state asks for. Every row but the first has learnt
// the stored limits (kT0 .. kNewest) first; level 0 shows 30 s.
void TestAgViewController::requestsFollowTheViewState_data()
{
    QTest::addColumn<bool>("learnLimits");
    QTest::addColumn<Steps>("steps");
    QTest::addColumn<QString>("request");

    const qint64 newest = kNewest - kT0;
    QTest::newRow("first: only the limits") << false << Steps() << "from 0 to 0, program type 0 -..-";
    // Frozen on the newest sample: the span ends there; the program at the newest time.
    QTest::newRow("frozen") << true << Steps()
                            << QStringLiteral("from %1 to %2, program type 1 0..%2")
                                   .arg(newest - kSpan0)
                                   .arg(newest);
    // Live: the clock stands the buffer behind the newest sample and has run 500 ms since.
    QTest::newRow("live") << true << Steps([](Rig &rig) {
        rig.acquire();
        emit rig.view->startPauseClick(true);
    }) << QStringLiteral("from %1 to %2, program type 0 0..%3")
              .arg(newest - kBuffer + 500 - kSpan0 - kBuffer)
              .arg(newest - kBuffer + 500)
              .arg(newest);
    QTest::newRow("markers both on: the span between them")
        << true << Steps([](Rig &rig) {
               emit rig.view->epgClickSetMarkers(kT0 + 10000, kT0 + 70000);
               emit rig.view->markerToggle(true);
           })
        << QStringLiteral("from %1 to %2, program type 2 10000..70000")
               .arg(newest - kSpan0)
               .arg(newest);
    QTest::newRow("markers shown, one switched off: the program at the newest time")
        << true << Steps([](Rig &rig) {
               emit rig.view->epgClickSetMarkers(kT0 + 10000, kT0 + 70000);
               emit rig.view->markerToggle(false);
           })
        << QStringLiteral("from %1 to %2, program type 1 0..%2")
               .arg(newest - kSpan0)
               .arg(newest);
}

void TestAgViewController::requestsFollowTheViewState()
{
    QFETCH(bool, learnLimits);
    QFETCH(Steps, steps);
    Rig rig;
    QVERIFY(rig.open(true, learnLimits));
    const int before = rig.controller->seen().size();
    if (steps)
        steps(rig);
    rig.tick(AgViewController::kRequestIntervalMs);
    QVERIFY(rig.waitForReplies(before + 1));
    QTEST(describe(rig.controller->seen().last()), "request");
}

void TestAgViewController::requestsArePacedAndStopWhilePaused()
{
    Rig rig;
    QVERIFY(rig.open(true, false));
    // Every 100 ms for two seconds: one request each 500 ms.
    for (int step = 0; step < 20; ++step)
        rig.tick(100);
    QVERIFY(rig.waitForReplies(4));

    // Paused: snapshots go on, requests stop.
    rig.controller->pause();
    const int shots = rig.view->shots.size();
    for (int step = 0; step < 20; ++step)
        rig.tick(100);
    QTRY_VERIFY(rig.view->shots.size() >= shots + 20);

    // The first request after the pause is the next one answered: none was made meanwhile.
    rig.controller->unpause();
    emit rig.view->zoomChange(ZoomLevel5min);
    rig.tick(AgViewController::kRequestIntervalMs);
    QVERIFY(rig.waitForReplies(5));
    QCOMPARE(rig.controller->seen().last().zoomLevel, int(ZoomLevel5min));
}

// Answers that change nothing: the snapshot keeps its limits and gets no samples.
void TestAgViewController::repliesThatAreDropped_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("zoomLevel");
    QTest::addColumn<bool>("zoomChangedFirst");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("accepted") << 0 << 0 << false << true;
    QTest::newRow("failed read") << -1 << 0 << false << false;
    QTest::newRow("another level") << 0 << 2 << false << false;
    QTest::newRow("stale: asked before a zoom change") << 0 << 0 << true << false;
}

void TestAgViewController::repliesThatAreDropped()
{
    QFETCH(int, status);
    QFETCH(int, zoomLevel);
    QFETCH(bool, zoomChangedFirst);
    QFETCH(bool, accepted);
    Rig rig;
    QVERIFY(rig.open(false, false));
    if (zoomChangedFirst)
        emit rig.view->zoomChange(ZoomLevel1min);
    gLiveBlocks = 0;
    auto *block = new CountedBlock(zoomLevel);
    block->append(sample(kT0 + 1000));
    rig.controller->setDataReply(reply(status, zoomLevel, kT0, kT0 + 5000, block));
    QCOMPARE(gLiveBlocks.load(), accepted ? 1 : 0);

    const RecordingAgView::Shot shot = rig.snapshot();
    QCOMPARE(shot.samples, accepted ? 1 : -1);
    QCOMPARE(shot.data.getOldestTime(), accepted ? kT0 : 0);
    QCOMPARE(shot.data.getSecondTimestamp(), accepted ? kT0 + 5000 : 0);
    // Five seconds stored fit whole into the 30 s span, the newest at its right edge.
    QCOMPARE(shot.data.getScrollPosition(), accepted ? qint64(0) : qint64(-1));
    QCOMPARE(gLiveBlocks.load(), 0);
    rig.controller->setDataReply(nullptr);
}

// FREEZE while live: the newest stored sample stands at the plot's right edge, and stays there
// through a longer span or a scroll that would reach past it.
void TestAgViewController::freezeKeepsTheNewestDataAtTheRightEdge()
{
    Rig rig;
    QVERIFY(rig.open());
    rig.acquire();
    emit rig.view->startPauseClick(true);
    QCOMPARE(rig.group->postSamples(kMeter, samples(kNewest + 100, kNewest + 3000)), 0);
    rig.tick(AgViewController::kRequestIntervalMs);
    QVERIFY(rig.waitForReplies(2));
    QVERIFY(rig.snapshot().data.isLiveMode());

    emit rig.view->startPauseClick(false);
    RecordingAgView::Shot shot = rig.snapshot();
    QVERIFY(!shot.data.isLiveMode());
    QCOMPARE(shot.data.getScrollPosition(), kNewest + 3000 - kT0 - kSpan0 / 2);
    QCOMPARE(shot.data.getVisibleStart() + shot.data.getSpanMs(), kNewest + 3000);

    emit rig.view->horizontalScrollbarSliderPositionChanged(kNewest + 3001 - kT0);
    shot = rig.snapshot();
    QCOMPARE(shot.data.getVisibleStart() + shot.data.getSpanMs(), kNewest + 3000);
    for (ZoomLevel level : {ZoomLevel1min, ZoomLevel72h}) {
        emit rig.view->zoomChange(level);
        shot = rig.snapshot();
        QCOMPARE(shot.data.getSpanMs(), zoomLevelToMs(level));
        QCOMPARE(shot.data.getVisibleStart() + shot.data.getSpanMs(), kNewest + 3000);
    }
}

// Live, then the clock runs on with no new data: at 15 s ahead of the newest sample the view
// stops following, and the first newer data brings it back.
void TestAgViewController::liveModeLeftWhenTheClockRunsAhead_data()
{
    QTest::addColumn<qint64>("ahead");
    QTest::addColumn<bool>("left");
    QTest::newRow("14999 ms ahead: still live") << qint64(14999) << false;
    QTest::newRow("15000 ms ahead: waiting for data") << qint64(15000) << true;
}

void TestAgViewController::liveModeLeftWhenTheClockRunsAhead()
{
    QFETCH(qint64, ahead);
    QFETCH(bool, left);
    Rig rig;
    QVERIFY(rig.open());
    rig.acquire();
    emit rig.view->startPauseClick(true);
    QVERIFY(rig.snapshot().data.isLiveMode());

    // The live clock starts at newest - buffer.
    rig.tick(kBuffer + ahead);
    QVERIFY(rig.waitForReplies(2));
    RecordingAgView::Shot shot = rig.snapshot();
    QCOMPARE(shot.data.isLiveMode(), !left);
    QCOMPARE(shot.data.isGoingLive(), left);
    if (!left)
        return;

    // Newer data: live again, the clock the buffer behind it.
    QCOMPARE(rig.group->postSamples(kMeter, samples(kNewest + 100, kNewest + 1000)), 0);
    rig.tick(AgViewController::kRequestIntervalMs);
    QVERIFY(rig.waitForReplies(3));
    shot = rig.snapshot();
    QVERIFY(shot.data.isLiveMode());
    QVERIFY(!shot.data.isGoingLive());
    QCOMPARE(shot.data.getSecondTimestamp(), kNewest + 1000);
    QCOMPARE(shot.data.getVisibleStart(), kNewest + 1000 - kBuffer - kSpan0 - kBuffer);
}

// A configuration change pauses the audiogroup: the live clock stands still and does not
// make up for the pause afterwards.
void TestAgViewController::pauseHoldsTheLiveClock()
{
    Rig rig;
    QVERIFY(rig.open());
    rig.acquire();
    emit rig.view->startPauseClick(true);
    rig.tick(1000);
    QCOMPARE(rig.snapshot().data.getVisibleStart(), kNewest - kBuffer + 1000 - kSpan0 - kBuffer);
    rig.controller->pause();
    rig.tick(5000);
    rig.controller->unpause();
    rig.tick(100);
    const RecordingAgView::Shot shot = rig.snapshot();
    QVERIFY(shot.data.isLiveMode());
    QCOMPARE(shot.data.getVisibleStart(), kNewest - kBuffer + 1100 - kSpan0 - kBuffer);
}

// Live, and data arrive faster than the clock runs: 5 s behind the newest sample it jumps to
// newest - buffer.
void TestAgViewController::liveClockJumpsWhenItLags_data()
{
    QTest::addColumn<qint64>("newer");
    QTest::addColumn<qint64>("liveClock");
    // After one 500 ms step the clock stands at newest - 1500.
    QTest::newRow("4900 ms behind: runs on") << qint64(3400) << kNewest - 1500;
    QTest::newRow("5000 ms behind: jumps") << qint64(3500) << kNewest + 3500 - kBuffer;
}

void TestAgViewController::liveClockJumpsWhenItLags()
{
    QFETCH(qint64, newer);
    QFETCH(qint64, liveClock);
    Rig rig;
    QVERIFY(rig.open());
    rig.acquire();
    emit rig.view->startPauseClick(true);
    QCOMPARE(rig.group->postSamples(kMeter, samples(kNewest + 100, kNewest + newer)), 0);
    rig.tick(AgViewController::kRequestIntervalMs);
    QVERIFY(rig.waitForReplies(2));
    const RecordingAgView::Shot shot = rig.snapshot();
    QVERIFY(shot.data.isLiveMode());
    QCOMPARE(shot.data.getVisibleStart(), liveClock - kSpan0 - kBuffer);
}

// Through the go-to-time dialog, as the user types a moment and presses OK.
void TestAgViewController::goToTimeIsClampedWithAnAlert_data()
{
    QTest::addColumn<qint64>("time");
    QTest::addColumn<qint64>("position");
    QTest::addColumn<int>("alerts");
    QTest::newRow("inside") << kT0 + kMinuteMs << kMinuteMs << 0;
    // Centred as far as the newest sample may stand at the right edge.
    const qint64 last = kNewest - kT0 - kSpan0 / 2;
    QTest::newRow("the newest sample") << kNewest << last << 0;
    QTest::newRow("after the newest: the newest") << kNewest + 3600000 << last << 1;
    QTest::newRow("before the oldest: the oldest") << kT0 - kMinuteMs << qint64(0) << 1;
}

void TestAgViewController::goToTimeIsClampedWithAnAlert()
{
    QFETCH(qint64, time);
    Rig rig;
    QVERIFY(rig.open());
    rig.acquire();
    emit rig.view->startPauseClick(true);

    emit rig.view->showGoToTimeView();
    auto *dialog = dynamic_cast<GoToTimeDialog *>(rig.controller->getGoToTimeView());
    QVERIFY(dialog && dialog->isVisible());
    dialog->findChild<QDateTimeEdit *>(QStringLiteral("dateTimeEdit"))
        ->setDateTime(QDateTime::fromMSecsSinceEpoch(time, Qt::UTC));
    UserInput::clickCentre(dialog->findChild<QPushButton *>(QStringLiteral("okButton")));

    const RecordingAgView::Shot shot = rig.snapshot();
    QTEST(shot.data.getScrollPosition(), "position");
    QVERIFY(!shot.data.isLiveMode());
    QTEST(rig.fake.callCount(QStringLiteral("showAlert")), "alerts");
    if (rig.fake.callCount(QStringLiteral("showAlert")) > 0)
        QCOMPARE(rig.fake.lastCall(QStringLiteral("showAlert")).args.value(0).toString(),
                 QStringLiteral("Could not go to time outside the acquisition limits."));
    QTRY_VERIFY(!dialog->isVisible());
}

void TestAgViewController::markerDragsKeepTheirGap_data()
{
    QTest::addColumn<qint64>("markerA");
    QTest::addColumn<qint64>("markerB");
    QTest::addColumn<bool>("stored");
    QTest::newRow("3000 ms apart") << kT0 + 20000 << kT0 + 23000 << true;
    QTest::newRow("2999 ms apart") << kT0 + 20000 << kT0 + 22999 << false;
    QTest::newRow("reversed") << kT0 + 50000 << kT0 + 20000 << false;
}

void TestAgViewController::markerDragsKeepTheirGap()
{
    QFETCH(qint64, markerA);
    QFETCH(qint64, markerB);
    QFETCH(bool, stored);
    Rig rig;
    QVERIFY(rig.open());
    emit rig.view->epgClickSetMarkers(kT0 + 10000, kT0 + 70000);
    emit rig.view->markersPositionChanged(markerA, markerB);
    const RecordingAgView::Shot shot = rig.snapshot();
    QVERIFY(shot.data.isMarkersMode());
    QCOMPARE(shot.data.getMarkerA(), stored ? markerA : kT0 + 10000);
    QCOMPARE(shot.data.getMarkerB(), stored ? markerB : kT0 + 70000);
}

// MARKS: the markers on the current program as it stands now, the view centred on it and
// zoomed out to a range button that shows it whole (the buttons 30 s, 5 min, 50 min, 6 h).
void TestAgViewController::marksShowTheCurrentProgram_data()
{
    QTest::addColumn<Steps>("steps");
    QTest::addColumn<qint64>("markerA");
    QTest::addColumn<qint64>("markerB");
    QTest::addColumn<int>("level");

    // No program runs: all that is stored, never -1.
    QTest::newRow("no current program") << Steps([](Rig &rig) {
        QVERIFY(rig.open(false, false));
        rig.controller->setDataReply(reply(0, 0, kT0, kNewest, samples(kNewest - 5000, kNewest)));
    }) << kT0 << kNewest << int(ZoomLevel5min);
    QTest::newRow("a program that ended before the newest sample") << Steps([](Rig &rig) {
        QVERIFY(rig.open(false, false));
        rig.controller->setDataReply(
            reply(0, 0, kT0, kNewest, nullptr, Program(0, 7, kT0 + 10000, kT0 + 50000)));
    }) << kT0 + 10000 << kT0 + 50000 << int(ZoomLevel5min);
    // Frozen, then the program runs on for four minutes: its present end, not the one it
    // had when the view froze.
    QTest::newRow("frozen a while") << Steps([](Rig &rig) {
        QVERIFY(rig.open());
        rig.acquire();
        emit rig.view->startPauseClick(true);
        emit rig.view->startPauseClick(false);
        QCOMPARE(rig.group->postSamples(kMeter, samples(kNewest + 100, kNewest + 4 * kMinuteMs)),
                 0);
        rig.tick(AgViewController::kRequestIntervalMs);
        QVERIFY(rig.waitForReplies(2));
        QCOMPARE(rig.snapshot().data.getSecondTimestamp(), kNewest);
    }) << kT0 << kNewest + 4 * kMinuteMs << int(ZoomLevel50min);
}

void TestAgViewController::marksShowTheCurrentProgram()
{
    QFETCH(Steps, steps);
    QFETCH(qint64, markerA);
    QFETCH(qint64, markerB);
    Rig rig;
    steps(rig);
    if (QTest::currentTestFailed())
        return;
    emit rig.view->markersOnOffClick(true);
    const RecordingAgView::Shot shot = rig.snapshot();
    QVERIFY(shot.data.isMarkersMode());
    QVERIFY(!shot.data.isLiveMode());
    QCOMPARE(shot.data.getMarkerA(), markerA);
    QCOMPARE(shot.data.getMarkerB(), markerB);
    QTEST(int(shot.data.getZoomLevel()), "level");
    // Centred on the marked span as far as the newest sample may stand at the right edge,
    // both markers in view.
    const qint64 last =
        qMax<qint64>(0, shot.data.getSecondTimestamp() - kT0 - shot.data.getSpanMs() / 2);
    QCOMPARE(shot.data.getScrollPosition(), qMin(markerA + (markerB - markerA) / 2 - kT0, last));
    QVERIFY(shot.data.getVisibleStart() <= markerA);
    QVERIFY(markerB <= shot.data.getVisibleStart() + shot.data.getSpanMs());
}

// A double click on a program of the bar: the smallest range button that shows it whole, the
// markers on its ends, the view centred on its middle.
void TestAgViewController::programDoubleClickChoosesTheZoomLevel_data()
{
    QTest::addColumn<QList<int>>("ranges");
    QTest::addColumn<qint64>("length");
    QTest::addColumn<int>("level");
    QTest::addColumn<QStringList>("resets");

    const QList<int> standard{0, 2, 7, 11};
    QTest::newRow("45 min: 50 min") << standard << 45 * kMinuteMs << 7
                                    << QStringList{"level 7, span 3000000"};
    QTest::newRow("45 min without a 50 min button: 1 h")
        << QList<int>{0, 2, 8, 11} << 45 * kMinuteMs << 8 << QStringList{"level 8, span 3600000"};
    QTest::newRow("10 h, no button above: the largest")
        << standard << 600 * kMinuteMs << 11 << QStringList{"level 11, span 21600000"};
    QTest::newRow("40 days: the largest button")
        << standard << 40 * kDayMs << 11 << QStringList{"level 11, span 21600000"};
    QTest::newRow("40 days with a 72 h button")
        << QList<int>{0, 2, 7, 15} << 40 * kDayMs << 15
        << QStringList{"level 15, span 259200000"};
    QTest::newRow("20 s: the level already shown") << standard << qint64(20000) << 0
                                                   << QStringList();
}

void TestAgViewController::programDoubleClickChoosesTheZoomLevel()
{
    QFETCH(QList<int>, ranges);
    QFETCH(qint64, length);
    QFETCH(int, level);
    Rig rig(ranges);
    QVERIFY(rig.open(false, false));
    // Sixty days stored.
    rig.controller->setDataReply(reply(0, 0, kT0, kT0 + 60 * kDayMs, nullptr));
    const qint64 start = kT0 + kDayMs;
    emit rig.view->epgDoubleClick(start, start + length);

    const RecordingAgView::Shot shot = rig.snapshot();
    QCOMPARE(int(shot.data.getZoomLevel()), level);
    QVERIFY(shot.data.isMarkersMode());
    QVERIFY(!shot.data.isLiveMode());
    QCOMPARE(shot.data.getMarkerA(), start);
    QCOMPARE(shot.data.getMarkerB(), start + length);
    QCOMPARE(shot.data.getScrollPosition(), start + length / 2 - kT0);
    QCOMPARE(rig.fake.callCount(QStringLiteral("showAlert")), 0);
    QTEST(rig.view->resets, "resets");
}

// The table page lists one hour per page; the plot's level comes back with the plot page.
// Either switch hides the markers.
void TestAgViewController::tablePageShowsTheHourLevel()
{
    Rig rig;
    QVERIFY(rig.open());
    emit rig.view->zoomChange(ZoomLevel5min);
    emit rig.view->epgClickSetMarkers(kT0 + 10000, kT0 + 70000);

    emit rig.view->activeScreenChanged(ActiveScreenTable);
    RecordingAgView::Shot shot = rig.snapshot();
    QVERIFY(shot.table);
    QVERIFY(shot.frozen);
    QCOMPARE(shot.data.getZoomLevel(), ZoomLevel1h);
    QVERIFY(!shot.data.isMarkersMode());
    // A second switch to the table keeps the plot's level saved.
    emit rig.view->activeScreenChanged(ActiveScreenTable);
    // Answers at the table's level are taken, those at the plot's dropped.
    rig.controller->setDataReply(reply(0, ZoomLevel5min, kT0, kT0 + 5000, new AgDataVector()));
    QCOMPARE(rig.snapshot().samples, -1);
    rig.controller->setDataReply(reply(0, ZoomLevel1h, kT0, kT0 + 5000, new AgDataVector()));
    QCOMPARE(rig.snapshot().samples, 0);

    emit rig.view->epgClickSetMarkers(kT0 + 10000, kT0 + 70000);
    emit rig.view->activeScreenChanged(ActiveScreenPlot);
    shot = rig.snapshot();
    QVERIFY(!shot.table);
    QCOMPARE(shot.data.getZoomLevel(), ZoomLevel5min);
    QVERIFY(!shot.data.isMarkersMode());

    // Live on the table page: not frozen.
    rig.acquire();
    emit rig.view->activeScreenChanged(ActiveScreenTable);
    emit rig.view->startPauseClick(true);
    shot = rig.snapshot();
    QVERIFY(shot.table);
    QVERIFY(!shot.frozen);
}

// The live/freeze button, by the audiogroup's state; the question is answered by clicking.
void TestAgViewController::liveButtonAsksBeforeStartingAcquisition_data()
{
    QTest::addColumn<bool>("manual");
    QTest::addColumn<bool>("logging");
    QTest::addColumn<bool>("imported");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("asked");
    QTest::addColumn<bool>("live");
    QTest::addColumn<int>("started");

    QTest::newRow("acquiring: live at once") << true << true << false << "" << false << true << 0;
    QTest::newRow("acquisition off, Yes") << false << true << false << "okButton" << true << true
                                          << 1;
    QTest::newRow("logging off, No") << true << false << false << "cancelButton" << true << false
                                     << 0;
    QTest::newRow("imported: never live") << true << true << true << "" << false << false << 0;
}

void TestAgViewController::liveButtonAsksBeforeStartingAcquisition()
{
    QFETCH(bool, manual);
    QFETCH(bool, logging);
    QFETCH(bool, imported);
    QFETCH(QString, answer);
    QFETCH(bool, asked);
    QFETCH(int, started);
    Rig rig;
    QVERIFY(rig.open());
    rig.acquire(manual, logging, imported);
    emit rig.view->horizontalScrollbarSliderPositionChanged(1000);

    emit rig.view->startPauseClick(true);
    auto *dialog = dynamic_cast<ConfirmationDialog *>(
        rig.controller->getStartAcquisitionConfirmationView());
    QVERIFY(dialog);
    if (asked) {
        QTRY_VERIFY(dialog->isVisible());
        QCOMPARE(dialog->findChild<QLabel *>(QStringLiteral("confirmationMessage"))->text(),
                 QStringLiteral("Are you sure you want to start acquisition for the current "
                                "device?"));
        QCOMPARE(dialog->findChild<QPushButton *>(QStringLiteral("okButton"))->text(),
                 QStringLiteral("Yes"));
        QCOMPARE(dialog->findChild<QPushButton *>(QStringLiteral("cancelButton"))->text(),
                 QStringLiteral("No"));
        UserInput::clickCentre(dialog->findChild<QPushButton *>(answer));
        QTRY_VERIFY(!dialog->isVisible());
    } else {
        QCoreApplication::processEvents();
        QVERIFY(!dialog->isVisible());
    }
    const RecordingAgView::Shot shot = rig.snapshot();
    QTEST(shot.data.isLiveMode(), "live");
    QTEST(rig.fake.callCount(QStringLiteral("startAcquisition")), "started");
    if (started)
        QCOMPARE(rig.fake.lastCall(QStringLiteral("startAcquisition")).args,
                 QVariantList({kMeter, kGroup}));
    if (imported)
        QCOMPARE(shot.data.getScrollPosition(), kNewest - kT0 - kSpan0 / 2);
    else if (!shot.data.isLiveMode())
        QCOMPARE(shot.data.getScrollPosition(), qint64(1000));
}

// The target as the file dialog would answer, built in a temporary folder beside the data
// folder; what reached the audiogroup's export and which alerts were shown.
void TestAgViewController::exportRefusedAnywhereInTheDataFolder_data()
{
    QTest::addColumn<Target>("target");
    QTest::addColumn<bool>("refused");
    const auto data = [](const QString &name) { return getDataFolderFilePath(name); };

    QTest::newRow("in the data folder") << Target([=](const QString &) { return data("x.db"); })
                                        << true;
    QTest::newRow("in log_backup") << Target([=](const QString &) {
        QDir().mkpath(getLogBackupFolderPath());
        return data("log_backup/x.db");
    }) << true;
    QTest::newRow("over a live database") << Target([](const QString &) {
        return getAgDbFilePath(kMeter, kGroup);
    }) << true;
    QTest::newRow("through \"..\" after a link into log_backup")
        << Target([](const QString &dir) {
               QDir().mkpath(getLogBackupFolderPath());
               QFile::link(getLogBackupFolderPath(), dir + "/link");
               return dir + "/link/../x.db";
           })
        << true;
    QTest::newRow("through a link to the data folder") << Target([](const QString &dir) {
        QFile::link(getDataFolderPath(), dir + "/data");
        return dir + "/data/sub/x.db";
    }) << true;
    QTest::newRow("a link to a file not made yet")
        << Target([=](const QString &dir) {
               QFile::link(data("new.db"), dir + "/new.db");
               return dir + "/new.db";
           })
        << true;
    QTest::newRow("beside the data folder") << Target([=](const QString &) {
        return data("../outside.db");
    }) << false;
    QTest::newRow("elsewhere") << Target([](const QString &dir) { return dir + "/out.db"; })
                               << false;
}

void TestAgViewController::exportRefusedAnywhereInTheDataFolder()
{
    QFETCH(Target, target);
    QFETCH(bool, refused);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    Rig rig;
    QVERIFY(rig.open());
    const QString path = target(dir.path());
    QWidget *parent = nullptr;
    rig.controller->setFileChooser([&](QWidget *window) {
        parent = window;
        return path;
    });
    emit rig.view->menuExportLog();
    QCOMPARE(parent, static_cast<QWidget *>(rig.view));

    if (refused) {
        QCOMPARE(rig.fake.callCount(QStringLiteral("showAlert")), 1);
        QCOMPARE(rig.fake.lastCall(QStringLiteral("showAlert")).args.value(0).toString(),
                 kRefusal);
        // The controller thread runs in order: an answer after the export would show it.
        rig.tick(AgViewController::kRequestIntervalMs);
        QVERIFY(rig.waitForReplies(2));
        QCOMPARE(exportLog().lines(), QStringList());
    } else {
        QCOMPARE(rig.fake.callCount(QStringLiteral("showAlert")), 0);
        QTRY_COMPARE(exportLog().lines(), QStringList{"export into " + path});
    }

    // A cancelled dialog exports nothing and says nothing.
    rig.controller->setFileChooser([](QWidget *) { return QString(); });
    emit rig.view->menuExportLog();
    QCOMPARE(rig.fake.callCount(QStringLiteral("showAlert")), refused ? 1 : 0);
}

void TestAgViewController::exportProgressAndCancel()
{
    Rig rig;
    QVERIFY(rig.open(false, false));
    auto *dialog =
        dynamic_cast<GenerateReportDialog *>(rig.controller->getExportProgressView());
    QVERIFY(dialog);
    rig.controller->showExportProgress(QStringLiteral("Please wait; exporting the audiogroup"),
                                       true, 25, 100);
    QTRY_VERIFY(dialog->isVisible());
    QCOMPARE(dialog->findChild<QLabel *>(QStringLiteral("alertTextLabel"))->text(),
             QStringLiteral("Please wait; exporting the audiogroup"));
    UserInput::clickCentre(dialog->findChild<QPushButton *>(QStringLiteral("alertDismissButton")));
    QTRY_COMPARE(exportLog().lines(), QStringList{"export cancel"});
    rig.controller->hideExportProgress();
    QTRY_VERIFY(!dialog->isVisible());
}

// Every block is freed exactly once: taken by its receiver, or freed with the snapshot that
// no receiver took, or by the controller that holds it.
void TestAgViewController::sampleBlocksAreFreedOnEveryPath()
{
    gLiveBlocks = 0;
    auto snapshotWith = [](AgDataVector *block) {
        return PlotUIData(false, false, false, false, -1, -1, ZoomLevel30s, PlotValueTP,
                          PlotValue(0), PlotValue(0), PlotValueI, 0, kSpan0, 0, 0, -1, block,
                          false, InstrumentConfig(), AgConfig(), Program(),
                          ProgramCalculationData(), {}, {}, false);
    };
    {
        // Copies share the block; the one that takes it owns it, for all of them.
        auto *block = new CountedBlock();
        const PlotUIData first = snapshotWith(block);
        const PlotUIData second = first;
        QCOMPARE(second.getSampleBlock(), block);
        std::unique_ptr<AgDataVector> taken(second.takeSampleBlock());
        QCOMPARE(taken.get(), block);
        QCOMPARE(first.getSampleBlock(), nullptr);
        QCOMPARE(first.takeSampleBlock(), nullptr);
    }
    QCOMPARE(gLiveBlocks.load(), 0);
    {
        // Nobody took it.
        const PlotUIData first = snapshotWith(new CountedBlock());
        PlotUIData second;
        second = first;
    }
    QCOMPARE(gLiveBlocks.load(), 0);
    {
        // Queued to a window gone before the delivery.
        auto *receiver = new RecordingAgView(kViewTypeAg, nullptr);
        QMetaObject::invokeMethod(receiver, "onUpdateUi", Qt::QueuedConnection,
                                  Q_ARG(PlotUIData, snapshotWith(new CountedBlock())));
        delete receiver;
        QCoreApplication::processEvents();
    }
    QCOMPARE(gLiveBlocks.load(), 0);

    FakeSystem fake;
    {
        // A controller that dies holding one.
        AgViewController controller(testClock);
        controller.setDataReply(reply(0, 0, kT0, kT0 + 5000, new CountedBlock()));
        QCOMPARE(gLiveBlocks.load(), 1);
    }
    QCOMPARE(gLiveBlocks.load(), 0);
    {
        // A page that is neither plot nor table receives nothing; a zoom change drops the
        // block of the old level.
        AgViewController controller(testClock);
        controller.start();
        controller.onActiveScreenChanged(ActiveScreen(2));
        controller.setDataReply(reply(0, 0, kT0, kT0 + 5000, new CountedBlock()));
        controller.onUpdateTimer();
        QCOMPARE(gLiveBlocks.load(), 0);
        controller.setDataReply(reply(0, 0, kT0, kT0 + 5000, new CountedBlock()));
        controller.onZoomChange(ZoomLevel1min);
        QCOMPARE(gLiveBlocks.load(), 0);
        controller.stop();
    }
}

// The window is refreshed every 50 ms. Closing it by its frame stops the timer and the
// requests; opening it again starts from a fresh view of the store.
void TestAgViewController::closingTheWindowStopsTheUpdates()
{
    Rig rig;
    QVERIFY(rig.open());
    QTRY_VERIFY(rig.controller->isUpdateTimerActive());
    QCOMPARE(rig.controller->updateTimerInterval(), 50);
    rig.view->close();
    QTRY_VERIFY(!rig.view->isVisible());
    QTRY_VERIFY(!rig.controller->isUpdateTimerActive());
    const int shots = rig.view->shots.size();
    rig.tick(AgViewController::kRequestIntervalMs);
    QCoreApplication::processEvents();
    QCOMPARE(rig.view->shots.size(), shots);

    rig.controller->start();
    QTRY_VERIFY(rig.view->isVisible());
    const RecordingAgView::Shot shot = rig.snapshot();
    QCOMPARE(shot.data.getScrollPosition(), qint64(-1));
    rig.tick(AgViewController::kRequestIntervalMs);
    QVERIFY(rig.waitForReplies(2));
    QCOMPARE(describe(rig.controller->seen().last()), QStringLiteral("from 0 to 0, program type 0 -..-"));
}

KIV_TEST_MAIN(TestAgViewController, QApplication)

#include "tst_agviewcontroller.moc"
