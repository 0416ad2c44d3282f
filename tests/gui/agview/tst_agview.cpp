// The audiogroup window fed with scripted snapshots: what its header, numeric panel, marker
// panel, progress bar and overlay show, and what its controls report.
#include <AgDataVector.h>
#include <DoubleTextCheckboxButton.h>
#include <FakeSystem.h>
#include <GuiShots.h>
#include <KivEpgBarView.h>
#include <KivPleaseWaitBox.h>
#include <KivTest.h>
#include <KivUtils.h>
#include <NUVCustomPlot.h>
#include <NUVPlotScrollbar.h>
#include <NUVSelector.h>
#include <PlotSamples.h>
#include <ProgramWidget.h>
#include <QTAgView.h>
#include <SimpleButton.h>
#include <TabBarSelector.h>
#include <UserInput.h>
#include <WindowPlacement.h>

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QRadioButton>
#include <QScreen>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QStyleHints>

#include <qcustomplot.h>

#include <algorithm>
#include <memory>

namespace {

constexpr qint64 kOldest = 1700000000000;

// The fields of a snapshot that a case changes; the rest keep a stored hour of data.
struct Shot
{
    bool liveMode = false;
    bool goingLive = false;
    bool markersMode = false;
    bool markersBothOn = false;
    qint64 markerA = -1;
    qint64 markerB = -1;
    qint64 oldest = kOldest;
    qint64 newest = kOldest + 3600000;
    qint64 scrollPosition = 1800000;
    AgDataVector *block = nullptr;
    InstrumentConfig instrument;
    AgConfig agConfig;
    Program program;
    ProgramCalculationData calculation;
    std::vector<AgEvent> events;
    std::vector<Program> programs;

    PlotUIData make() const
    {
        const qint64 span = zoomLevelToMs(ZoomLevel50min);
        return PlotUIData(liveMode, goingLive, markersMode, markersBothOn, markerA, markerB,
                          ZoomLevel50min, PlotValueTP, PlotValue(0), PlotValue(0), PlotValueI,
                          oldest + scrollPosition - span / 2, span, oldest, newest, scrollPosition,
                          block, true, instrument, agConfig, program, calculation, events, programs,
                          false);
    }
};

ProgramCalculationData calculation(double integrated, double truePeak, double momentary,
                                   double shortTerm, qint64 start = 1000, qint64 end = 2000,
                                   qint64 processedUntil = 2000)
{
    return ProgramCalculationData(momentary, shortTerm, truePeak, integrated, {}, {}, -70.0, 30.0,
                                  0.5, start, end, 0, 0, processedUntil);
}

AgConfig agConfig(const QString &unit, double target = -23.0, bool imported = false)
{
    AgConfig config;
    config.setName(QStringLiteral("Program 1"));
    config.setLoudnessUnit(unit);
    config.setTargetLoudness(target);
    config.setImported(imported);
    return config;
}

// The number of a value label: the text between the font tags.
QString shownNumber(const QLabel *label)
{
    const QString text = label->text();
    const int open = text.indexOf(QLatin1String("'>"));
    const int close = text.indexOf(QLatin1String("</font>"));
    return open < 0 || close < 0 ? text : text.mid(open + 2, close - open - 2);
}

// Names the window's widgets that were painted.
class PaintRecorder : public QObject
{
public:
    explicit PaintRecorder(QWidget *window) : m_window(window)
    {
        QCoreApplication::instance()->installEventFilter(this);
    }
    ~PaintRecorder() override { QCoreApplication::instance()->removeEventFilter(this); }

    QStringList painted;

protected:
    bool eventFilter(QObject *object, QEvent *event) override
    {
        auto *widget = qobject_cast<QWidget *>(object);
        if (event->type() == QEvent::Paint && widget &&
            (widget == m_window || m_window->isAncestorOf(widget)))
            painted << QString::fromLatin1(widget->metaObject()->className()) + QLatin1Char(' ') +
                           widget->objectName();
        return false;
    }

private:
    QWidget *m_window;
};

// Delivers the program bar's queued update, the layouts it asks for and the paints they cause.
void settle()
{
    for (int round = 0; round < 5; ++round) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
}

} // namespace

class TestAgView : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void titleNamesTheMeterWithoutItsScheme();
    void windowOpensInsideTheScreen_data();
    void windowOpensInsideTheScreen();
    void liveAndFreezeFollowTheSnapshot_data();
    void liveAndFreezeFollowTheSnapshot();
    void targetNamesTheUnit_data();
    void targetNamesTheUnit();
    void numericValuesRoundHalvesUpward_data();
    void numericValuesRoundHalvesUpward();
    void progressHidesWithEightSecondsLeft_data();
    void progressHidesWithEightSecondsLeft();
    void markerButtonNeedsThreeSecondsOfData_data();
    void markerButtonNeedsThreeSecondsOfData();
    void markerPanelFollowsTheControllersFlags();
    void incompleteProgramShowsItsDateInRed_data();
    void incompleteProgramShowsItsDateInRed();
    void slowAcquisitionShowsTheOverlay();
    void scrollPositionsAreClamped();
    void scrollRangeHoldsMonthsOfData();
    void snapshotQueuedBeforeATabClickDoesNotSwitchBack();
    void programBarClicksNeedAProgram();
    void programBarFollowsTheSnapshot();
    void pleaseWaitBoxShowsTheText();
    void plotTakesTheSampleBlock();
    void unchangedSnapshotsPaintNothing();
    void escapeClosesAsTheFrameDoes();
    void doubleClickThatOpensTheWindowStaysOutOfIt();

private:
    template <class T> T *child(const char *name) const
    {
        T *widget = m_view->findChild<T *>(QLatin1String(name));
        if (!widget)
            qFatal("no child %s", name);
        return widget;
    }

    std::unique_ptr<FakeSystem> m_system;
    std::unique_ptr<QTAgView> m_view;
};

void TestAgView::initTestCase()
{
    qRegisterMetaType<PlotValue>("PlotValue");
    qRegisterMetaType<ZoomLevel>("ZoomLevel");
    qRegisterMetaType<Program>("Program");
    qRegisterMetaType<PlotUIData>("PlotUIData");
    qRegisterMetaType<ActiveScreen>("ActiveScreen");
    m_system = std::make_unique<FakeSystem>();
}

void TestAgView::init()
{
    m_view = std::make_unique<QTAgView>(kViewTypeAg, nullptr);
    QCOMPARE(m_view->initView(), 0);
}

void TestAgView::cleanup()
{
    m_view.reset();
}

void TestAgView::titleNamesTheMeterWithoutItsScheme()
{
    Shot shot;
    shot.instrument = InstrumentConfig(QStringLiteral("Studio"));
    shot.instrument.setIpAdr(QStringLiteral("http://10.0.0.7"));
    shot.agConfig = agConfig(QStringLiteral("LU"));
    QCOMPARE(m_view->windowTitle(), QStringLiteral("AG View"));
    m_view->onUpdateUi(shot.make());
    QCOMPARE(m_view->windowTitle(), QStringLiteral("Studio (10.0.0.7) Program 1"));
}

void TestAgView::windowOpensInsideTheScreen_data()
{
    QTest::addColumn<QRect>("frame");
    QTest::addColumn<QRect>("available");
    QTest::addColumn<QPoint>("corner");
    const QRect screen(0, 0, 1280, 1024);
    QTest::newRow("inside: stays") << QRect(100, 100, 1024, 722) << screen << QPoint(100, 100);
    QTest::newRow("below the bottom") << QRect(100, 500, 1024, 722) << screen << QPoint(100, 302);
    QTest::newRow("over a bottom panel")
        << QRect(0, 302, 1024, 750) << QRect(0, 0, 1280, 984) << QPoint(0, 234);
    QTest::newRow("beyond the right") << QRect(400, 0, 1024, 722) << screen << QPoint(256, 0);
    QTest::newRow("second screen")
        << QRect(1300, 900, 1024, 722) << QRect(1280, 0, 1920, 1080) << QPoint(1300, 358);
    QTest::newRow("larger than the area")
        << QRect(50, 50, 1024, 722) << QRect(0, 0, 800, 600) << QPoint(0, 0);
}

void TestAgView::windowOpensInsideTheScreen()
{
    QFETCH(QRect, frame);
    QFETCH(QRect, available);
    QTEST(WindowPlacement::insideArea(frame, available), "corner");

    // Shown by the controller far down the screen: it opens where the screen shows it whole.
    m_view->move(300, 2000);
    m_view->onShow();
    const QRect area = m_view->screen()->availableGeometry();
    const QPoint expected =
        WindowPlacement::insideArea(QRect(QPoint(300, 2000), m_view->size()), area);
    QCOMPARE(m_view->pos(), expected);
    QVERIFY(area.contains(m_view->frameGeometry().topLeft()));
}

void TestAgView::liveAndFreezeFollowTheSnapshot_data()
{
    QTest::addColumn<bool>("live");
    QTest::addColumn<bool>("imported");
    QTest::addColumn<QString>("indicator");
    QTest::addColumn<QString>("button");
    QTest::newRow("live") << true << false << "<font color='#00FF00'>LIVE</font>"
                          << "LIVE";
    QTest::newRow("frozen") << false << false << "<font color='#FF0000'>FREEZE</font>"
                            << "FREEZE";
    QTest::newRow("imported") << false << true << "<font color='#FF0000'>FREEZE</font>"
                              << "FREEZE";
}

void TestAgView::liveAndFreezeFollowTheSnapshot()
{
    QFETCH(bool, live);
    QFETCH(bool, imported);
    QFETCH(QString, indicator);
    QFETCH(QString, button);
    Shot shot;
    shot.liveMode = live;
    shot.agConfig = agConfig(QStringLiteral("LU"), -23.0, imported);
    m_view->show();
    m_view->onUpdateUi(shot.make());
    QCOMPARE(child<QLabel>("modeIndicator")->text(), indicator);
    for (const char *name : {"runPause", "runPauseTableView"}) {
        auto *runPause = child<DoubleTextCheckboxButton>(name);
        QCOMPARE(runPause->text(), button);
        QCOMPARE(runPause->isChecked(), live);
        QCOMPARE(runPause->isHidden(), imported);
    }
    if (imported)
        return;

    // A click asks for the other state; what shows comes with the next snapshot.
    QSignalSpy asked(m_view.get(), &AAgView::startPauseClick);
    UserInput::clickCentre(child<DoubleTextCheckboxButton>("runPause"));
    QCOMPARE(asked.count(), 1);
    QCOMPARE(asked.at(0).at(0).toBool(), !live);
    m_view->onUpdateUi(shot.make());
    QCOMPARE(child<DoubleTextCheckboxButton>("runPause")->isChecked(), live);
}

void TestAgView::targetNamesTheUnit_data()
{
    QTest::addColumn<QString>("unit");
    QTest::addColumn<double>("target");
    QTest::addColumn<QString>("text");
    QTest::newRow("LU") << "LU" << -23.0 << "Target: -23 LUFS";
    QTest::newRow("LUFS") << "LUFS" << -23.0 << "Target: -23 LUFS";
    QTest::newRow("LKFS") << "LKFS" << -24.0 << "Target: -24 LKFS";
    QTest::newRow("other") << "dB" << -18.5 << "Target: -18.5 LKFS";
}

void TestAgView::targetNamesTheUnit()
{
    QFETCH(QString, unit);
    QFETCH(double, target);
    QFETCH(QString, text);
    Shot shot;
    shot.agConfig = agConfig(unit, target);
    shot.agConfig.setLoudnessMode(QStringLiteral("EBU R128"));
    m_view->onUpdateUi(shot.make());
    QCOMPARE(child<QLabel>("targetLabel")->text(), text);
    m_view->onUpdateTableView(shot.make());
    QCOMPARE(child<QLabel>("loudnessModeLabel")->text(),
             QStringLiteral("Loudness mode: EBU R128, ") + text);
}

void TestAgView::numericValuesRoundHalvesUpward_data()
{
    QTest::addColumn<double>("integrated");
    QTest::addColumn<double>("truePeak");
    QTest::addColumn<double>("momentary");
    QTest::addColumn<double>("shortTerm");
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<bool>("withUnits");
    QTest::newRow("halves") << -2.25 << 3.25 << -0.05 << -23.04
                            << QStringList{"-2.2", "3.3", "0.0", "-23.0"} << true;
    QTest::newRow("one real value") << -999.0 << -999.0 << -999.0 << -7.96
                                    << QStringList{"-999.0", "-999.0", "-999.0", "-8.0"} << true;
    QTest::newRow("none") << -999.0 << -999.0 << -999.0 << -999.0
                          << QStringList{"----", "----", "----", "----"} << false;
}

void TestAgView::numericValuesRoundHalvesUpward()
{
    QFETCH(double, integrated);
    QFETCH(double, truePeak);
    QFETCH(double, momentary);
    QFETCH(double, shortTerm);
    QFETCH(QStringList, shown);
    QFETCH(bool, withUnits);
    Shot shot;
    shot.agConfig = agConfig(QStringLiteral("LUFS"));
    shot.calculation = calculation(integrated, truePeak, momentary, shortTerm, kOldest,
                                   kOldest + 3723000, kOldest + 3723000);
    m_view->onUpdateUi(shot.make());
    const char *const values[] = {"iValue", "TPValue", "MValue", "SValue"};
    for (int i = 0; i < 4; ++i)
        QCOMPARE(shownNumber(child<QLabel>(values[i])), shown.at(i));
    const QString white = QStringLiteral("<html><head></head><body><font color='white'>%1"
                                         "</font></body></html>");
    if (withUnits) {
        QCOMPARE(child<QLabel>("iUnit")->text(), white.arg("LUFS"));
        QCOMPARE(child<QLabel>("TPUnit")->text(), white.arg("dBTP"));
        // Wall-clock times without time codes.
        QCOMPARE(shownNumber(child<QLabel>("startValue")), QStringLiteral("22:13:20"));
        QCOMPARE(shownNumber(child<QLabel>("endValue")), QStringLiteral("23:15:23"));
        QCOMPARE(child<QLabel>("startUnit")->text(), white.arg("WC"));
    } else {
        QCOMPARE(shownNumber(child<QLabel>("startValue")), QStringLiteral("----"));
        for (const char *unit : {"iUnit", "TPUnit", "MUnit", "SUnit", "startUnit", "endUnit"})
            QVERIFY2(child<QLabel>(unit)->text().isEmpty(), unit);
    }
    QCOMPARE(child<QLabel>("iLabel")->text(),
             QStringLiteral("<html><head></head><body><bold>I</bold>:</body></html>"));
    QCOMPARE(child<QLabel>("TPLabel")->text(),
             QStringLiteral("<html><head></head><body><bold>TP</bold>max:</body></html>"));
}

void TestAgView::progressHidesWithEightSecondsLeft_data()
{
    QTest::addColumn<qint64>("start");
    QTest::addColumn<qint64>("end");
    QTest::addColumn<qint64>("processedUntil");
    QTest::addColumn<bool>("shown");
    QTest::addColumn<int>("maximum");
    QTest::addColumn<int>("value");
    const qint64 s = kOldest;
    QTest::newRow("8000 ms left") << s << s + 60000 << s + 52000 << false << -1 << -1;
    QTest::newRow("8001 ms left") << s << s + 60000 << s + 51999 << true << 60000 << 51999;
    QTest::newRow("no program yet") << qint64(-1) << qint64(-1) << qint64(-1) << true << -1 << 0;
    QTest::newRow("empty program") << s << s << s << true << -1 << 0;
    // Longer than an int of milliseconds: counted in seconds.
    QTest::newRow("30 days") << s << s + 2592000000 << s + 1296000000 << true << 2592000 << 1296000;
}

void TestAgView::progressHidesWithEightSecondsLeft()
{
    QFETCH(qint64, start);
    QFETCH(qint64, end);
    QFETCH(qint64, processedUntil);
    QFETCH(bool, shown);
    QFETCH(int, maximum);
    QFETCH(int, value);
    Shot shot;
    shot.calculation = calculation(-20.0, -3.0, -15.0, -18.0, start, end, processedUntil);
    m_view->onUpdateUi(shot.make());
    auto *bar = child<QProgressBar>("progressBar");
    auto *text = child<QLabel>("loadingText");
    QCOMPARE(!bar->isHidden(), shown);
    QCOMPARE(!text->isHidden(), shown);
    QCOMPARE(text->text(), QStringLiteral("Calculating numeric values and histogram"));
    if (maximum >= 0)
        QCOMPARE(bar->maximum(), maximum);
    if (value >= 0)
        QCOMPARE(bar->value(), value);
}

void TestAgView::markerButtonNeedsThreeSecondsOfData_data()
{
    QTest::addColumn<qint64>("oldest");
    QTest::addColumn<qint64>("newest");
    QTest::addColumn<bool>("enabled");
    QTest::newRow("2999 ms") << kOldest << kOldest + 2999 << false;
    QTest::newRow("3000 ms") << kOldest << kOldest + 3000 << true;
    QTest::newRow("before the first answer") << qint64(0) << qint64(0) << false;
    QTest::newRow("no limits") << qint64(-1) << qint64(-1) << false;
}

void TestAgView::markerButtonNeedsThreeSecondsOfData()
{
    QFETCH(qint64, oldest);
    QFETCH(qint64, newest);
    QFETCH(bool, enabled);
    Shot shot;
    shot.oldest = oldest;
    shot.newest = newest;
    shot.markersMode = true;
    shot.markersBothOn = true;
    shot.markerA = oldest;
    shot.markerB = newest;
    shot.calculation = calculation(-20.0, -3.0, -15.0, -18.0, oldest, newest, newest);
    m_view->onUpdateUi(shot.make());
    auto *toggle = child<DoubleTextCheckboxButton>("markerToggle");
    QCOMPARE(toggle->isEnabled(), enabled);
    QCOMPARE(toggle->isChecked(), enabled);
    QCOMPARE(toggle->text(), enabled ? QStringLiteral("MARKS\nON") : QStringLiteral("MARKS\nOFF"));
    QCOMPARE(!child<QWidget>("markerButtons")->isHidden(), enabled);
    if (oldest <= 0)
        QVERIFY(child<QWidget>("markersValues")->isHidden());
}

void TestAgView::markerPanelFollowsTheControllersFlags()
{
    Shot shot;
    shot.markerA = kOldest + 600000;
    shot.markerB = kOldest + 1200000;
    shot.calculation =
        calculation(-20.0, -3.0, -15.0, -18.0, shot.markerA, shot.markerB, shot.markerB);
    m_view->show();
    m_view->onUpdateUi(shot.make());
    auto *toggle = child<DoubleTextCheckboxButton>("markerToggle");
    auto *wrapper = child<QWidget>("numericViewWrapper");
    NUVCustomPlot *plot = m_view->findChild<NUVCustomPlot *>();
    QVERIFY(toggle->isEnabled());
    QVERIFY(!toggle->isChecked());
    QCOMPARE(wrapper->styleSheet(), QStringLiteral("font-size: 14px;"));

    // The click only asks.
    QSignalSpy asked(m_view.get(), &AAgView::markersOnOffClick);
    UserInput::clickCentre(toggle);
    QCOMPARE(asked.count(), 1);
    QCOMPARE(asked.at(0).at(0).toBool(), true);

    shot.markersMode = true;
    m_view->onUpdateUi(shot.make());
    QVERIFY(toggle->isChecked());
    QVERIFY(plot->selector()->isVisible());
    QVERIFY(child<QWidget>("markerButtons")->isHidden());

    shot.markersBothOn = true;
    m_view->onUpdateUi(shot.make());
    QVERIFY(child<QWidget>("markerButtons")->isVisible());
    QVERIFY(child<QWidget>("markersInfoBackground")->isVisible());
    QCOMPARE(wrapper->styleSheet(),
             QStringLiteral("font-size: 14px;background-color: rgba(0, 0, 0, 40);"));
    QCOMPARE(child<QLabel>("markersToLabel")->text(), QStringLiteral("2023.11.14"));
    KivTest::saveShot(m_view.get(), QStringLiteral("agview-markers"));

    QSignalSpy toA(m_view.get(), &AAgView::onGoToMarkerA);
    QSignalSpy toB(m_view.get(), &AAgView::onGoToMarkerB);
    UserInput::clickCentre(child<QWidget>("markerAInfo"));
    UserInput::clickCentre(child<QWidget>("markerBInfo"));
    QCOMPARE(toA.count(), 1);
    QCOMPARE(toB.count(), 1);

    shot.markersMode = false;
    m_view->onUpdateUi(shot.make());
    QVERIFY(!toggle->isChecked());
    QVERIFY(!plot->selector()->isVisible());
    QVERIFY(child<QWidget>("markerButtons")->isHidden());
}

void TestAgView::incompleteProgramShowsItsDateInRed_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<qint64>("startWord");
    QTest::addColumn<bool>("red");
    QTest::newRow("current, start not stored") << 0 << qint64(0) << true;
    QTest::newRow("found, start not stored") << 1 << qint64(0) << true;
    QTest::newRow("found, start stored") << 1 << qint64(1) << false;
    QTest::newRow("between markers") << 2 << qint64(0) << false;
}

void TestAgView::incompleteProgramShowsItsDateInRed()
{
    QFETCH(int, type);
    QFETCH(qint64, startWord);
    QFETCH(bool, red);
    Shot shot;
    shot.program = Program(type, 7, kOldest, kOldest + 3600000);
    shot.program.setStartWord(startWord);
    shot.calculation = calculation(-20.0, -3.0, -15.0, -18.0, kOldest, kOldest + 90000000);
    m_view->onUpdateUi(shot.make());
    auto *from = child<QLabel>("markersFromLabel");
    QVERIFY(!child<QWidget>("markersValues")->isHidden());
    const QString colour = red ? QStringLiteral("red") : QStringLiteral("#898989");
    QCOMPARE(from->text(), QStringLiteral("<font color=\"%1\">2023.11.14</font>").arg(colour));
    QCOMPARE(child<QLabel>("markersToLabel")->text(), QStringLiteral("2023.11.15"));
    QCOMPARE(from->toolTip(),
             red ? QStringLiteral("The current program is incomplete; the calculation might "
                                  "differ from KIV to the ZQ.")
                 : QString());
}

void TestAgView::slowAcquisitionShowsTheOverlay()
{
    NUVCustomPlot *plot = m_view->findChild<NUVCustomPlot *>();
    Shot shot;
    shot.goingLive = true;
    m_view->onUpdateUi(shot.make());
    QVERIFY(!plot->pleaseWait()->isHidden());
    QCOMPARE(plot->pleaseWaitLabel()->text(),
             QStringLiteral("The acquisition is slow.\nPlease wait..."));
    shot.goingLive = false;
    shot.liveMode = true;
    m_view->onUpdateUi(shot.make());
    QVERIFY(plot->pleaseWait()->isHidden());
}

void TestAgView::scrollPositionsAreClamped()
{
    Shot shot;
    m_view->onUpdateUi(shot.make());
    auto *bar = child<NUVPlotScrollbar>("horizontalScrollBar");
    QCOMPARE(bar->maximum64(), qint64(3600001));
    QCOMPARE(bar->value64(), qint64(1800000));
    QCOMPARE(bar->pageStep64(), qint64(3000000));
    QCOMPARE(bar->singleStep64(), qint64(300000));

    QSignalSpy moved(m_view.get(), &AAgView::horizontalScrollbarSliderPositionChanged);
    m_view->onHorizontalScrollbarSliderMoved(-5);
    QCOMPARE(moved.takeFirst().at(0).toLongLong(), qint64(0));
    QCOMPARE(bar->value64(), qint64(0));
    m_view->onHorizontalScrollbarSliderMoved(9999999);
    QCOMPARE(moved.takeFirst().at(0).toLongLong(), qint64(3600001));
    QCOMPARE(bar->value64(), qint64(3600001));

    // A page click on the groove reaches the controller as a position a span earlier.
    bar->triggerAction(QAbstractSlider::SliderPageStepSub);
    QCOMPARE(moved.count(), 1);
    QVERIFY2(qAbs(moved.at(0).at(0).toLongLong() - 600001) <= 1,
             qPrintable(moved.at(0).at(0).toString()));
}

void TestAgView::scrollRangeHoldsMonthsOfData()
{
    Shot shot;
    shot.newest = kOldest + 30LL * 86400000;
    shot.scrollPosition = 29LL * 86400000;
    m_view->onUpdateUi(shot.make());
    auto *bar = child<NUVPlotScrollbar>("horizontalScrollBar");
    QCOMPARE(bar->maximum64(), 30LL * 86400000 + 1);
    QCOMPARE(bar->value64(), 29LL * 86400000);
    QCOMPARE(bar->sliderValue64() / 86400000, 29LL);
}

void TestAgView::snapshotQueuedBeforeATabClickDoesNotSwitchBack()
{
    m_view->show();
    auto *pages = child<QStackedWidget>("stackedWidget");
    auto *headers = child<QStackedWidget>("stackedWidgetHeaderButtons");
    auto *tabs = child<TabBarSelector>("tabSelectorPlaceholder");
    QSignalSpy screens(m_view.get(), &AAgView::activeScreenChanged);
    Shot shot;
    m_view->onUpdateUi(shot.make());
    QCOMPARE(pages->currentIndex(), 0);
    QCOMPARE(screens.count(), 0);

    UserInput::clickCentre(tabs->tableViewButton());
    QCOMPARE(screens.count(), 1);
    QCOMPARE(screens.takeFirst().at(0).value<ActiveScreen>(), ActiveScreenTable);
    QCOMPARE(pages->currentIndex(), 1);
    QCOMPARE(headers->currentIndex(), 1);

    // Sent before the controller heard of the click.
    m_view->onUpdateUi(shot.make());
    QCOMPARE(pages->currentIndex(), 1);
    QCOMPARE(screens.count(), 0);
    m_view->onUpdateTableView(shot.make(), true);
    QCOMPARE(pages->currentIndex(), 1);

    // Once the table's snapshots flow, a plot snapshot is the controller's choice again.
    m_view->onUpdateUi(shot.make());
    QCOMPARE(pages->currentIndex(), 0);
    QCOMPARE(headers->currentIndex(), 0);
    QCOMPARE(screens.count(), 1);
    QCOMPARE(screens.takeFirst().at(0).value<ActiveScreen>(), ActiveScreenPlot);
    QVERIFY(tabs->plotButton()->isChecked());

    // Hidden before the chosen page's first snapshot came: shown again, the controller's
    // plot snapshots are not taken for stale ones.
    UserInput::clickCentre(tabs->tableViewButton());
    m_view->onHide();
    m_view->onShow();
    m_view->onUpdateUi(shot.make());
    QCOMPARE(pages->currentIndex(), 0);
}

void TestAgView::programBarClicksNeedAProgram()
{
    QSignalSpy clicked(m_view.get(), &AAgView::epgClickSetMarkers);
    QSignalSpy doubleClicked(m_view.get(), &AAgView::epgDoubleClick);
    m_view->onEpgProgramClicked(Program(1, -1, 10, 20));
    m_view->onEpgProgramDoubleClicked(Program(1, -1, 10, 20));
    QCOMPARE(clicked.count(), 0);
    QCOMPARE(doubleClicked.count(), 0);
    m_view->onEpgProgramClicked(Program(1, 5, kOldest, kOldest + 60000));
    m_view->onEpgProgramDoubleClicked(Program(1, 5, kOldest, kOldest + 60000));
    QCOMPARE(clicked.count(), 1);
    QCOMPARE(clicked.at(0).at(1).toLongLong(), kOldest + 60000);
    QCOMPARE(doubleClicked.count(), 1);
}

void TestAgView::programBarFollowsTheSnapshot()
{
    m_view->show();
    Shot shot;
    const qint64 start = kOldest + 1200000;
    shot.programs = {Program(0, 41, start, start + 900000)};
    m_view->onUpdateUi(shot.make());
    auto *bar = m_view->findChild<KivEpgBarView *>();
    // Queued: the bar redraws after the page update.
    QTRY_VERIFY(std::any_of(bar->entries().begin(), bar->entries().end(),
                            [](const EpgProgram &entry) { return entry.getProgramId() == 41; }));
    ProgramWidget *button = nullptr;
    for (int column = 0; column < KivEpgBarView::kButtonCount && !button; ++column) {
        ProgramWidget *candidate = bar->button(column);
        if (candidate && candidate->isVisible() && candidate->toolTip().contains("41"))
            button = candidate;
    }
    QVERIFY(button);
    QSignalSpy clicked(m_view.get(), &AAgView::epgClickSetMarkers);
    UserInput::clickCentre(button);
    QTRY_COMPARE(clicked.count(), 1);
    QCOMPARE(clicked.at(0).at(0).toLongLong(), start);
    QCOMPARE(clicked.at(0).at(1).toLongLong(), start + 900000);
}

void TestAgView::pleaseWaitBoxShowsTheText()
{
    m_view->onShowPleaseWaitDialog(QStringLiteral("Backing up old data. Please wait..."));
    auto *box = qobject_cast<KivPleaseWaitBox *>([] {
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            if (qobject_cast<KivPleaseWaitBox *>(widget) && widget->isVisible())
                return widget;
        }
        return static_cast<QWidget *>(nullptr);
    }());
    QVERIFY(box);
    QVERIFY(!box->parentWidget());
    bool shown = false;
    for (QLabel *label : box->findChildren<QLabel *>())
        shown = shown || label->text() == QStringLiteral("Backing up old data. Please wait...");
    QVERIFY(shown);
    m_view->onHidePleaseWaitDialog();
    QVERIFY(!box->isVisible());
}

void TestAgView::plotTakesTheSampleBlock()
{
    Shot shot;
    shot.block = PlotSamples::makeBlock(kOldest + 900000, 200, 100);
    const PlotUIData data = shot.make();
    m_view->onUpdateUi(data);
    QVERIFY(!data.getSampleBlock());
    NUVCustomPlot *plot = m_view->findChild<NUVCustomPlot *>();
    QVERIFY(plot->graph(1)->dataCount() > 0);
    // A snapshot without samples keeps the curves.
    shot.block = nullptr;
    m_view->onUpdateUi(shot.make());
    QVERIFY(plot->graph(1)->dataCount() > 0);
}

// Frozen, the window gets the same snapshot every 50 ms and the same samples with each reply:
// nothing of it is painted again until something shown changes.
void TestAgView::unchangedSnapshotsPaintNothing()
{
    m_view->resize(1024, 722);
    m_view->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
    Shot shot;
    const qint64 start = kOldest + 1200000;
    shot.agConfig = agConfig(QStringLiteral("LUFS"));
    shot.programs = {Program(0, 41, start, start + 900000),
                     Program(0, 42, start + 900000, start + 1800000)};
    shot.events = PlotSamples::makeEvents(start, start + 1800000, 6);
    shot.calculation =
        ProgramCalculationData(-20.0, -21.0, -3.0, -23.0, {0, 4, 9, 4, 0}, {}, -30.0, -10.0, 5.0,
                               start, start + 900000, 0, 0, start + 900000);
    const auto samples = [] { return PlotSamples::makeBlock(kOldest + 300000, 300, 10000); };
    shot.block = samples();
    m_view->onUpdateUi(shot.make());
    settle();

    PaintRecorder recorder(m_view.get());
    for (bool withSamples : {false, true, false}) {
        shot.block = withSamples ? samples() : nullptr;
        m_view->onUpdateUi(shot.make());
        settle();
    }
    QCOMPARE(recorder.painted, QStringList());

    // New samples are painted.
    shot.block = PlotSamples::makeBlock(kOldest + 300000, 301, 10000);
    m_view->onUpdateUi(shot.make());
    settle();
    QVERIFY(recorder.painted.contains(QStringLiteral("QCustomPlot customPlot")));
}

// Esc, on the window or passed on by the widget that has the focus, asks the controller to
// hide the window, as the frame's close button does; the window itself stays.
void TestAgView::escapeClosesAsTheFrameDoes()
{
    m_view->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
    QSignalSpy hide(m_view.get(), &AView::viewHide);
    QTest::keyClick(m_view.get(), Qt::Key_Escape);
    QCOMPARE(hide.count(), 1);
    QTest::keyClick(child<SimpleButton>("goToTime"), Qt::Key_Escape);
    QCOMPARE(hide.count(), 2);
    QVERIFY(m_view->isVisible());
}

// A double-click on the audiogroup's row in the main window: the first click opens this
// window under the pointer, the second press must not work the control that lies there.
void TestAgView::doubleClickThatOpensTheWindowStaysOutOfIt()
{
    QWidget row;
    row.setGeometry(0, 0, 1600, 1000);
    row.show();
    QVERIFY(QTest::qWaitForWindowExposed(&row));
    const auto *goToTime = child<SimpleButton>("goToTime");
    QSignalSpy asked(m_view.get(), &AAgView::showGoToTimeView);
    const int interval = QGuiApplication::styleHints()->mouseDoubleClickInterval();
    // Later than any time stamp QTest gave before, which no earlier press can pair with.
    int time = 1 << 30;
    const auto press = [&](QWidget *window, QPoint global, QEvent::Type type, int after) {
        time += after;
        const Qt::MouseButtons held =
            type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton;
        qt_handleMouseEvent(window->windowHandle(), window->mapFromGlobal(global), global, held,
                            Qt::LeftButton, type, Qt::NoModifier, time);
        QCoreApplication::processEvents();
    };
    // Where the window opens, laid out.
    m_view->onShow();
    QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
    const QPoint over = goToTime->mapToGlobal(goToTime->rect().center());
    m_view->onHide();
    for (bool first : {true, false}) {
        // Opened, then raised while open.
        press(&row, over, QEvent::MouseButtonPress, interval);
        press(&row, over, QEvent::MouseButtonRelease, 10);
        m_view->onShow();
        QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
        QCOMPARE(goToTime->mapToGlobal(goToTime->rect().center()), over);
        press(m_view.get(), over, QEvent::MouseButtonPress, 10);
        press(m_view.get(), over, QEvent::MouseButtonRelease, 10);
        QCOMPARE(asked.count(), first ? 0 : 2);
        // A click of the user's own, and a double-click begun in the window, count.
        press(m_view.get(), over, QEvent::MouseButtonPress, interval);
        press(m_view.get(), over, QEvent::MouseButtonRelease, 10);
        press(m_view.get(), over, QEvent::MouseButtonPress, 10);
        press(m_view.get(), over, QEvent::MouseButtonRelease, 10);
        QCOMPARE(asked.count(), first ? 2 : 4);
    }
}

KIV_TEST_MAIN(TestAgView, QApplication)
#include "tst_agview.moc"
