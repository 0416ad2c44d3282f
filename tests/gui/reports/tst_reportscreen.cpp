// The report dialog, and the report screen's control running reports of real audiogroup
// controllers whose report jobs are recorded instead of made.
#include <AAudioGroup.h>
#include <AReportTaskQueue.h>
#include <AgServiceFactories.h>
#include <FakeSystem.h>
#include <GUIFactory.h>
#include <GenerateReportDialog.h>
#include <GenerateReportViewController.h>
#include <GuiShots.h>
#include <InstrumentManager.h>
#include <KivTest.h>
#include <KivUtils.h>

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>

#include <limits>
#include <memory>

namespace {

const QString kMeter = QStringLiteral("M1");
const QString kRunningText =
    QStringLiteral("Generating report for the last 6h logged data. Please wait.");
constexpr qint64 kSixHours = 21600000;

// What the audiogroup controllers were asked: "add <key>" and "cancel <key>".
KivTest::LineRecorder &requests()
{
    static KivTest::LineRecorder instance;
    return instance;
}

class RecordingReports : public AReportTaskQueue
{
public:
    void addTask(const QString &nameKey, bool, const ReportConfig &, const InstrumentConfig &,
                 const AgConfig &, const std::vector<Program> &, qint64, qint64) override
    {
        requests().add(QStringLiteral("add ") + nameKey);
    }
    void processFront(AAgDataModel *) override {}
    void cancelTask(const QString &nameKey) override
    {
        requests().add(QStringLiteral("cancel ") + nameKey);
    }
    void cancelAll() override {}
    bool hasTasks() const override { return false; }
};

AgConfig group(const QString &name)
{
    AgConfig config;
    config.setName(name);
    return config;
}

template <typename T> T *child(QWidget *view, const char *name)
{
    return view->findChild<T *>(QLatin1String(name));
}

} // namespace

class TestReportScreen : public QObject
{
    Q_OBJECT

    std::unique_ptr<FakeSystem> m_system;
    std::unique_ptr<InstrumentManager> m_manager;
    std::unique_ptr<GenerateReportViewController> m_screen;

    QStringList alerts() const { return m_system->alertTexts(); }
    QString keyOf(int index) const { return m_screen->getStates().at(size_t(index)).getNameKey(); }
    bool started(int index) const { return m_screen->getStates().at(size_t(index)).isStarted(); }
    AAudioGroup *audioGroup(const QString &name) const
    {
        return m_manager->findAudioGroup(kMeter, name);
    }
    AGenerateReportView *view() const { return m_screen->getView(); }

private slots:
    void initTestCase()
    {
        GUIFactory::getInstance()->init();
        GenerateReportDialog::registerCreator();
        AgServiceFactories factories;
        factories.reportTasks = [] { return new RecordingReports(); };
        AgServiceFactories::install(factories);
        QVERIFY(createDataFolder());
    }

    void init()
    {
        requests().take();
        m_system = std::make_unique<FakeSystem>();
        SystemConfig config;
        config.setManualAcquisitionOn(false);
        m_system->setCurrentConfig(config);
        m_manager = std::make_unique<InstrumentManager>();
        InstrumentConfig meter(kMeter);
        meter.setIpAdr(QStringLiteral("http://127.0.0.1"));
        meter.setPort(QStringLiteral("9"));
        meter.setAgConfigs({group("A"), group("B"), group("C")});
        QCOMPARE(m_manager->init(false, {meter}), 0);
        m_system->setInstrumentManager(m_manager.get());
        m_manager->unpauseAll();
        QTRY_VERIFY(!audioGroup("C")->isPaused());
        m_screen = std::make_unique<GenerateReportViewController>();
        QCOMPARE(m_screen->init(), 0);
    }

    void cleanup()
    {
        m_screen.reset();
        m_manager->stopAll();
        QTRY_VERIFY(m_manager->areAllFinished());
        m_system->setInstrumentManager(nullptr);
        m_manager.reset();
        m_system.reset();
    }

    void dialogBars_data()
    {
        QTest::addColumn<bool>("busy");
        QTest::addColumn<bool>("cancelVisible");
        QTest::addColumn<qlonglong>("value");
        QTest::addColumn<qlonglong>("total");
        QTest::addColumn<int>("barValue");
        QTest::addColumn<int>("barMaximum");

        constexpr qlonglong kIntMax = std::numeric_limits<int>::max();
        QTest::newRow("busy, with Cancel") << true << true << 0LL << 0LL << 0 << 0;
        QTest::newRow("busy, without Cancel") << true << false << 0LL << 0LL << 0 << 0;
        QTest::newRow("progress") << false << true << 250LL << 1000LL << 250 << 1000;
        QTest::newRow("progress at the int limit")
            << false << false << kIntMax << kIntMax << int(kIntMax) << int(kIntMax);
        // 30 days in ms, half done: beyond an int, shown in proportion.
        QTest::newRow("thirty days, half done")
            << false << true << 1296000000LL << 2592000000LL << 648000000 << 1296000000;
        QTest::newRow("longest span, done")
            << false << true << std::numeric_limits<qlonglong>::max()
            << std::numeric_limits<qlonglong>::max() << 2147483646 << 2147483646;
        QTest::newRow("cancelling an export") << false << false << -1LL << 0LL << -1 << 0;
    }

    // One dialog serves reports (busy bar) and imports and exports (progress bar).
    void dialogBars()
    {
        QFETCH(bool, busy);
        QFETCH(bool, cancelVisible);
        QFETCH(qlonglong, value);
        QFETCH(qlonglong, total);
        QFETCH(int, barValue);
        QFETCH(int, barMaximum);

        const QString text = QStringLiteral("Please wait; exporting the audiogroup");
        if (busy)
            view()->onUpdateUi(text, cancelVisible);
        else
            view()->onUpdateUi(text, cancelVisible, value, total);
        QCOMPARE(child<QLabel>(view(), "alertTextLabel")->text(), text);
        QCOMPARE(child<QPushButton>(view(), "alertDismissButton")->isHidden(), !cancelVisible);
        QProgressBar *busyBar = child<QProgressBar>(view(), "progressBarContinous");
        QProgressBar *bar = child<QProgressBar>(view(), "progressBar");
        QCOMPARE(busyBar->isHidden(), !busy);
        QCOMPARE(bar->isHidden(), busy);
        KivTest::saveShot(view(), QStringLiteral("report-dialog-%1")
                                      .arg(QString::fromLatin1(QTest::currentDataTag())
                                               .replace(QLatin1Char(' '), QLatin1Char('_'))));
        if (!busy) {
            QCOMPARE(bar->minimum(), 0);
            QCOMPARE(bar->maximum(), barMaximum);
            QCOMPARE(bar->value(), barValue);
        }
    }

    void cancelButtonOnlyAsks()
    {
        QSignalSpy cancels(view(), &AGenerateReportView::CancelButtonClick);
        QSignalSpy hides(view(), &AView::viewHide);
        view()->onUpdateUi(kRunningText, true);
        view()->onShow();
        QTest::mouseClick(child<QPushButton>(view(), "alertDismissButton"), Qt::LeftButton);
        QCOMPARE(cancels.count(), 1);
        view()->close();
        QCOMPARE(hides.count(), 1);
        QVERIFY(view()->isVisible());
    }

    // Reports run one after the other; the next starts once the one before was made.
    void runMakesReportsInTurn()
    {
        QMultiMap<QString, QString> selection;
        selection.insert(kMeter, QStringLiteral("C"));
        selection.insert(kMeter, QStringLiteral("B"));
        selection.insert(kMeter, QStringLiteral("A"));
        m_screen->startMonitoring(selection, kSixHours);
        QVERIFY(m_screen->isBusy());
        QTRY_VERIFY(view()->isVisible());
        QCOMPARE(child<QLabel>(view(), "alertTextLabel")->text(), kRunningText);
        QVERIFY(!child<QProgressBar>(view(), "progressBarContinous")->isHidden());
        QVERIFY(child<QProgressBar>(view(), "progressBar")->isHidden());

        const std::vector<ReportTaskState> states = m_screen->getStates();
        QCOMPARE(states.size(), size_t(3));
        QStringList expected;
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(states[size_t(i)].getInstrumentName(), kMeter);
            QCOMPARE(states[size_t(i)].getSourceName(), selection.values(kMeter).at(i));
            QCOMPARE(states[size_t(i)].getNameKey(), QStringLiteral("%1_M1_%2")
                                                         .arg(states[size_t(i)].getCreationTime())
                                                         .arg(states[size_t(i)].getSourceName()));
            expected << QStringLiteral("add ") + keyOf(i);
            QTRY_COMPARE(requests().lines(), expected);
            // Waits for the outcome, however long it takes.
            QTest::qWait(3 * GenerateReportViewController::kUpdateIntervalMs);
            QCOMPARE(requests().lines(), expected);
            m_screen->onReportTaskFinished(keyOf(i), true, false,
                                           "Report file created successfully");
        }
        QTRY_VERIFY(!m_screen->isBusy());
        // The box names where the PDFs are.
        QString folders;
        for (const ReportTaskState &state : states)
            folders += QStringLiteral("\n") + getDataFolderPath() + "/reports_I__M1_A__" +
                       state.getSourceName();
        QCOMPARE(alerts(), QStringList{"Reports generation completed successfully\nReport "
                                       "folders:" +
                                       folders});
        QTRY_VERIFY(!view()->isVisible());
        // The dialog keeps the text made at the start.
        QCOMPARE(child<QLabel>(view(), "alertTextLabel")->text(), kRunningText);
    }

    // A failed report ends the run; the reports after it are not made.
    void failedReportEndsTheRun()
    {
        m_screen->startMonitoring({{kMeter, "A"}, {kMeter, "B"}}, kSixHours);
        QTRY_VERIFY(started(0));
        m_screen->onReportTaskFinished(QStringLiteral("unknown"), true, false, QString());
        m_screen->onReportTaskFinished(keyOf(0), false, true, QStringLiteral("it broke"));
        QTRY_VERIFY(!m_screen->isBusy());
        QCOMPARE(alerts(),
                 QStringList{"Report generation failed for M1 " +
                             m_screen->getStates().front().getSourceName() + " because: it broke"});
        QCOMPARE(requests().lines(), QStringList{"add " + keyOf(0)});
        QTRY_VERIFY(!view()->isVisible());
    }

    // Cancel reaches every report of the run, started or not; a refused post is tried
    // again, and the dialog goes without an alert once all were taken.
    void cancelReachesEveryReport()
    {
        m_screen->startMonitoring({{kMeter, "A"}, {kMeter, "B"}, {kMeter, "C"}}, kSixHours);
        QTRY_VERIFY(started(0));
        QTRY_VERIFY(view()->isVisible());
        audioGroup("B")->pause();
        QTRY_VERIFY(audioGroup("B")->isPaused());
        QTest::mouseClick(child<QPushButton>(view(), "alertDismissButton"), Qt::LeftButton);
        // Each audiogroup's controller records on its own thread: compared in key order.
        auto cancelled = [] {
            QStringList lines = requests().lines().filter(QStringLiteral("cancel "));
            lines.sort();
            return lines;
        };
        QStringList expected = {"cancel " + keyOf(0), "cancel " + keyOf(2)};
        expected.sort();
        QTRY_COMPARE(cancelled(), expected);
        QTest::qWait(3 * GenerateReportViewController::kUpdateIntervalMs);
        QCOMPARE(cancelled(), expected);
        QVERIFY(m_screen->isBusy());
        QVERIFY(view()->isVisible());

        audioGroup("B")->unpause();
        expected << "cancel " + keyOf(1);
        expected.sort();
        QTRY_COMPARE(cancelled(), expected);
        QTRY_VERIFY(!m_screen->isBusy());
        QTRY_VERIFY(!view()->isVisible());
        QVERIFY(alerts().isEmpty());
        QCOMPARE(requests().lines().filter(QStringLiteral("add ")), QStringList{"add " + keyOf(0)});
        QVERIFY(!started(1) && !started(2));
    }

    // A report whose audiogroup is gone waits; the run stays until it is cancelled.
    void missingAudiogroupWaitsForCancel()
    {
        m_screen->startMonitoring({{QStringLiteral("Gone"), QStringLiteral("A")}}, kSixHours);
        QTest::qWait(3 * GenerateReportViewController::kUpdateIntervalMs);
        QVERIFY(m_screen->isBusy());
        QVERIFY(!started(0));
        m_screen->onCancelButtonClick();
        QTRY_VERIFY(!m_screen->isBusy());
        QVERIFY(requests().lines().isEmpty());
        QVERIFY(alerts().isEmpty());
    }

    void stopEndsTheRunSilently()
    {
        m_screen->startMonitoring({{kMeter, "A"}}, kSixHours);
        QTRY_VERIFY(started(0));
        m_screen->stop();
        QVERIFY(!m_screen->isBusy());
        QTRY_VERIFY(!view()->isVisible());
        m_screen->onReportTaskFinished(keyOf(0), true, false, QString());
        QTest::qWait(3 * GenerateReportViewController::kUpdateIntervalMs);
        QVERIFY(alerts().isEmpty());
    }
};

KIV_TEST_MAIN(TestReportScreen, QApplication)

#include "tst_reportscreen.moc"
