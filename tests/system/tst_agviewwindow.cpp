// The audiogroup window of the running system with a simulated meter, driven as a user
// would: opened from the main window, live and frozen, scrolled, zoomed, with markers, a
// jump to a time, the table page, the export and the frame's close button.
#include "SystemHarness.h"

#include <KivTest.h>
#include <UserInput.h>

#include <AAudioGroup.h>
#include <AgList.h>
#include <AgListItem.h>
#include <AgViewController.h>
#include <AgViewZoomButton.h>
#include <AgViewZoomSelector.h>
#include <DoubleTextCheckboxButton.h>
#include <GoToTimeDialog.h>
#include <GuiShots.h>
#include <InstrumentManager.h>
#include <KivUtils.h>
#include <NUVCustomPlot.h>
#include <NUVMenu.h>
#include <NUVPlotScrollbar.h>
#include <NUVSelector.h>
#include <QTAgView.h>
#include <QTSystemView.h>
#include <SimpleButton.h>
#include <SystemViewController.h>
#include <TabBarSelector.h>

#include <QAction>
#include <QDateTimeEdit>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTableView>
#include <QtTest>

#include <qcustomplot.h>

#include <memory>

namespace {

const QString kStudio = QStringLiteral("Studio");
const QString kProgram = QStringLiteral("Program 1");

// What the controller last sent the window.
struct Seen
{
    int count = 0;
    int tableCount = 0;
    bool live = false;
    int zoom = -1;
    qint64 oldest = 0;
    qint64 newest = 0;
    qint64 scroll = -1;
    qint64 visibleStart = 0;
    bool markersMode = false;
    bool markersBothOn = false;
    qint64 markerA = -1;
    qint64 markerB = -1;
    int programType = -1;
    qint64 calculationStart = -1;
    qint64 calculationEnd = -1;
    double integrated = -999.0;

    // A frozen plot centred here or later has the newest sample at its right edge.
    qint64 lastScroll() const
    {
        return qMax<qint64>(0, newest - oldest - zoomLevelToMs(ZoomLevel(zoom)) / 2);
    }
};

} // namespace

class TestAgViewWindow : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void openedFrozenWithTheStoredCurves();
    void liveFollowsTheLogAndFreezeStops();
    void scrollingMovesTheShownSpan();
    void everyZoomButtonSetsItsSpan();
    void markersShowTheirIntegratedLoudness();
    void goToTimeCentresTheView();
    void tablePageAndBack();
    void exportIsPostedAndRefusedIntoTheDataFolder();
    void closingByTheFrameOnlyHides();

private:
    template <class T> T *child(const char *name) const
    {
        T *widget = m_view->findChild<T *>(QLatin1String(name));
        if (!widget)
            qFatal("no child %s", name);
        return widget;
    }
    // Waits for a snapshot sent after this call.
    bool nextSnapshots(int count = 3);
    // The latest curve time of the true-peak curve, seconds.
    double lastCurveKey() const;

    SystemHarness m_harness;
    std::unique_ptr<SimulatedMeter> m_meter;
    AgViewController *m_controller = nullptr;
    QTAgView *m_view = nullptr;
    Seen m_seen;
    QTemporaryDir m_exportDir;
};

void TestAgViewWindow::initTestCase()
{
    SystemHarness::initGui();
    m_meter = std::make_unique<SimulatedMeter>(0);
    (*m_meter)->setInstrumentName(kStudio);
    (*m_meter)->setPassword(QStringLiteral("pw"));
    (*m_meter)->setAudioGroupNames({kProgram});
    (*m_meter)->setHistoryMs(120000);
    QVERIFY2(m_meter->listen(0), qPrintable((*m_meter)->errorString()));

    SystemConfig config;
    config.setAcquisitionTimeout(2000);
    config.setRangeSettings({0, 2, 5, 8, 11, 14, 15});
    InstrumentConfig studio(kStudio);
    studio.setIpAdr(QStringLiteral("http://") + m_meter->address());
    studio.setPort(QString::number((*m_meter)->port()));
    studio.setPass(QStringLiteral("pw"));
    studio.setConfigurationID((*m_meter)->configurationId());
    AgConfig group;
    group.setName(kProgram);
    studio.setAgConfigs({group});
    config.setInstruments({studio});
    QVERIFY(m_harness.start(config));

    const QString path = getAgDbFilePath(kStudio, kProgram);
    QTRY_VERIFY_WITH_TIMEOUT(storedTimestamps(path).size() > 100, 20000);
    AAudioGroup *audioGroup =
        m_harness.front()->getInstrumentManager()->findAudioGroup(kStudio, kProgram);
    QVERIFY(audioGroup);
    m_controller = dynamic_cast<AgViewController *>(audioGroup->getAgViewController());
    QVERIFY(m_controller);
    m_view = qobject_cast<QTAgView *>(m_controller->getView());
    QVERIFY2(m_view, "the factory builds the audiogroup window for view type 1");

    auto record = [this](const PlotUIData &data) {
        m_seen.live = data.isLiveMode();
        m_seen.zoom = data.getZoomLevel();
        m_seen.oldest = data.getOldestTime();
        m_seen.newest = data.getSecondTimestamp();
        m_seen.scroll = data.getScrollPosition();
        m_seen.visibleStart = data.getVisibleStart();
        m_seen.markersMode = data.isMarkersMode();
        m_seen.markersBothOn = data.isMarkersBothOn();
        m_seen.markerA = data.getMarkerA();
        m_seen.markerB = data.getMarkerB();
        m_seen.programType = data.getProgram().getType();
        const ProgramCalculationData calculation = data.getProgramCalculationData();
        m_seen.calculationStart = calculation.getStartTime();
        m_seen.calculationEnd = calculation.getEndTime();
        m_seen.integrated = calculation.getIntegrated();
    };
    // Both on the GUI thread, before the window's queued copy arrives.
    connect(
        m_controller, &AgViewController::updateUi, this,
        [this, record](const PlotUIData &data) {
            ++m_seen.count;
            record(data);
        },
        Qt::DirectConnection);
    connect(
        m_controller, &AgViewController::updateTableView, this,
        [this, record](const PlotUIData &data, bool) {
            ++m_seen.tableCount;
            record(data);
        },
        Qt::DirectConnection);
}

void TestAgViewWindow::cleanupTestCase()
{
    QVERIFY(m_harness.stop());
    m_meter.reset();
}

bool TestAgViewWindow::nextSnapshots(int count)
{
    const int until = m_seen.count + m_seen.tableCount + count;
    const bool arrived =
        QTest::qWaitFor([&] { return m_seen.count + m_seen.tableCount >= until; }, 5000);
    // And the window has drawn the last of them.
    QCoreApplication::processEvents();
    return arrived;
}

double TestAgViewWindow::lastCurveKey() const
{
    QCPGraph *graph = m_view->findChild<NUVCustomPlot *>()->graph(1);
    return graph->data()->isEmpty() ? 0.0 : (graph->data()->constEnd() - 1)->key;
}

void TestAgViewWindow::openedFrozenWithTheStoredCurves()
{
    auto *window =
        qobject_cast<QTSystemView *>(m_harness.system()->getSystemViewController()->getView());
    QVERIFY(window);
    auto *list = window->findChild<AgList *>(QStringLiteral("list"));
    QTRY_VERIFY_WITH_TIMEOUT(list->findAudioGroupItem(kStudio, kProgram), 5000);
    AgListItem *row = list->findAudioGroupItem(kStudio, kProgram);
    UserInput::clickCentre(row->findChild<QWidget *>(QStringLiteral("AgListButton")));
    QTRY_VERIFY_WITH_TIMEOUT(m_view->isVisible(), 5000);

    // A new window is frozen with the newest sample at the right edge of the plot.
    QTRY_VERIFY_WITH_TIMEOUT(m_seen.newest > 0 && lastCurveKey() > 0, 10000);
    QVERIFY(!m_seen.live);
    QCOMPARE(m_seen.scroll, m_seen.lastScroll());
    QCOMPARE(child<QLabel>("modeIndicator")->text(),
             QStringLiteral("<font color='#FF0000'>FREEZE</font>"));
    QCOMPARE(child<DoubleTextCheckboxButton>("runPause")->text(), QStringLiteral("FREEZE"));
    QCOMPARE(m_view->windowTitle(),
             QStringLiteral("%1 (%2) %3").arg(kStudio, m_meter->address(), kProgram));
    QCOMPARE(child<QLabel>("targetLabel")->text(), QStringLiteral("Target: -23 LUFS"));
    QCOMPARE(qRound64(lastCurveKey() * 1000), m_seen.newest);
    QVERIFY(child<QWidget>("stackedWidget")->isVisible());
}

void TestAgViewWindow::liveFollowsTheLogAndFreezeStops()
{
    UserInput::clickCentre(child<DoubleTextCheckboxButton>("runPause"));
    QTRY_VERIFY_WITH_TIMEOUT(m_seen.live, 5000);
    QVERIFY(nextSnapshots());
    QCOMPARE(child<QLabel>("modeIndicator")->text(),
             QStringLiteral("<font color='#00FF00'>LIVE</font>"));
    QCOMPARE(child<DoubleTextCheckboxButton>("runPause")->text(), QStringLiteral("LIVE"));
    const double key = lastCurveKey();
    const qint64 start = m_seen.visibleStart;
    QTRY_VERIFY_WITH_TIMEOUT(lastCurveKey() > key + 1.0 && m_seen.visibleStart > start + 1000,
                             15000);
    KivTest::saveShot(m_view, QStringLiteral("agview-live"));

    UserInput::clickCentre(child<DoubleTextCheckboxButton>("runPause"));
    QTRY_VERIFY_WITH_TIMEOUT(!m_seen.live, 5000);
    QVERIFY(nextSnapshots());
    const qint64 frozenStart = m_seen.visibleStart;
    QVERIFY(nextSnapshots(20)); // a second
    QCOMPARE(m_seen.visibleStart, frozenStart);
    QCOMPARE(child<DoubleTextCheckboxButton>("runPause")->text(), QStringLiteral("FREEZE"));
}

void TestAgViewWindow::scrollingMovesTheShownSpan()
{
    auto *bar = child<NUVPlotScrollbar>("horizontalScrollBar");
    const qint64 before = m_seen.scroll;
    const qint64 startBefore = m_seen.visibleStart;
    const qint64 step = bar->singleStep64();
    QCOMPARE(step, zoomLevelToMs(m_seen.zoom) / 10);
    bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
    QTRY_VERIFY_WITH_TIMEOUT(m_seen.scroll < before, 2000);
    QVERIFY(qAbs(before - step - m_seen.scroll) <= 1);
    QVERIFY(qAbs(startBefore - step - m_seen.visibleStart) <= 1);

    // The wheel over the plot scrolls too.
    const qint64 afterBar = m_seen.scroll;
    NUVCustomPlot *plot = m_view->findChild<NUVCustomPlot *>();
    // Delivered as the window system would: to the topmost widget under the pointer.
    const QPoint at = plot->rect().center();
    QWidget *top = plot->childAt(at);
    QVERIFY(top);
    const QPoint local = top->mapFrom(plot, at);
    QWheelEvent wheel(local, plot->mapToGlobal(at), QPoint(), QPoint(0, 120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QSpontaneKeyEvent::setSpontaneous(&wheel);
    QApplication::instance()->notify(top, &wheel);
    QTRY_VERIFY_WITH_TIMEOUT(m_seen.scroll != afterBar, 2000);
    QVERIFY(!m_seen.live);
}

void TestAgViewWindow::everyZoomButtonSetsItsSpan()
{
    auto *selector = child<AgViewZoomSelector>("viewZoomSelector");
    QCOMPARE(selector->buttons().size(), 7);
    QList<int> levels;
    for (AgViewZoomButton *button : selector->buttons()) {
        const int level = button->getZoomLevel();
        levels.append(level);
        UserInput::clickCentre(button);
        QTRY_COMPARE_WITH_TIMEOUT(m_seen.zoom, level, 2000);
        QVERIFY(nextSnapshots());
        QCPAxis *axis = m_view->findChild<NUVCustomPlot *>()->customPlot()->xAxis;
        QCOMPARE(qRound64(axis->range().size() * 1000), qint64(zoomLevelToMs(level)));
        QVERIFY2(button->isChecked(), qPrintable(button->text()));
        QCOMPARE(child<NUVPlotScrollbar>("horizontalScrollBar")->pageStep64(),
                 qint64(zoomLevelToMs(level)));
    }
    QCOMPARE(levels, (QList<int>{0, 2, 5, 8, 11, 14, 15}));
    UserInput::clickCentre(selector->buttons().at(1)); // 5 min for what follows
    QTRY_COMPARE_WITH_TIMEOUT(m_seen.zoom, 2, 2000);
}

void TestAgViewWindow::markersShowTheirIntegratedLoudness()
{
    auto *toggle = child<DoubleTextCheckboxButton>("markerToggle");
    QTRY_VERIFY_WITH_TIMEOUT(toggle->isEnabled(), 5000);
    UserInput::clickCentre(toggle);
    QTRY_VERIFY_WITH_TIMEOUT(m_seen.markersMode && m_seen.markersBothOn, 5000);
    // The current program between the markers, calculated for them.
    QTRY_VERIFY_WITH_TIMEOUT(m_seen.programType == 2 && m_seen.calculationStart == m_seen.markerA &&
                                 m_seen.integrated > -999.0,
                             10000);
    QVERIFY(nextSnapshots());
    QVERIFY(toggle->isChecked());
    QVERIFY(m_view->findChild<NUVCustomPlot *>()->selector()->isVisible());
    QVERIFY(child<QWidget>("markerButtons")->isVisible());
    QVERIFY(child<QLabel>("iValue")->text().contains(
        QStringLiteral(">%1<").arg(QTAgView::formatValue(m_seen.integrated))));
    KivTest::saveShot(m_view, QStringLiteral("agview-markers"));

    // Marker A moved later: calculated again from there.
    // A program that began a moment ago is short: move A by what the 3000 ms gap leaves.
    const qint64 shift = qMin<qint64>(10000, (m_seen.markerB - m_seen.markerA - 3000) / 2);
    QVERIFY2(shift > 0, qPrintable(QString::number(m_seen.markerB - m_seen.markerA)));
    const qint64 newA = m_seen.markerA + shift;
    emit m_view->findChild<NUVCustomPlot *>()->markersPositionChanged(newA, m_seen.markerB);
    QTRY_VERIFY_WITH_TIMEOUT(m_seen.calculationStart >= newA && m_seen.integrated > -999.0, 10000);
    QVERIFY(nextSnapshots());
    QVERIFY(child<QLabel>("iValue")->text().contains(
        QStringLiteral(">%1<").arg(QTAgView::formatValue(m_seen.integrated))));

    // Marker A's button goes to its time.
    UserInput::clickCentre(child<QWidget>("markerAInfo"));
    QTRY_COMPARE_WITH_TIMEOUT(m_seen.scroll,
                              qMin(m_seen.markerA - m_seen.oldest, m_seen.lastScroll()), 2000);

    UserInput::clickCentre(toggle);
    QTRY_VERIFY_WITH_TIMEOUT(!m_seen.markersMode, 5000);
    QVERIFY(nextSnapshots());
    QVERIFY(!toggle->isChecked());
    QVERIFY(child<QWidget>("markerButtons")->isHidden());
}

void TestAgViewWindow::goToTimeCentresTheView()
{
    UserInput::clickCentre(child<SimpleButton>("goToTime"));
    auto *dialog = qobject_cast<GoToTimeDialog *>(m_controller->getGoToTimeView());
    QVERIFY(dialog);
    QTRY_VERIFY_WITH_TIMEOUT(dialog->isVisible(), 2000);
    const qint64 target = m_seen.oldest + (m_seen.newest - m_seen.oldest) / 3 / 1000 * 1000;
    dialog->findChild<QDateTimeEdit *>(QStringLiteral("dateTimeEdit"))
        ->setDateTime(QDateTime::fromMSecsSinceEpoch(target, Qt::UTC));
    UserInput::clickCentre(dialog->findChild<QWidget *>(QStringLiteral("okButton")));
    QTRY_VERIFY_WITH_TIMEOUT(!dialog->isVisible(), 2000);
    QTRY_COMPARE_WITH_TIMEOUT(m_seen.scroll, qMin(target - m_seen.oldest, m_seen.lastScroll()),
                              2000);
    QVERIFY(!m_seen.live);

    // Past the newest sample: told, and the newest one put at the right edge.
    UserInput::clickCentre(child<SimpleButton>("goToTime"));
    QTRY_VERIFY_WITH_TIMEOUT(dialog->isVisible(), 2000);
    dialog->findChild<QDateTimeEdit *>(QStringLiteral("dateTimeEdit"))
        ->setDateTime(QDateTime::fromMSecsSinceEpoch(m_seen.newest + 3600000, Qt::UTC));
    UserInput::clickCentre(dialog->findChild<QWidget *>(QStringLiteral("okButton")));
    QVERIFY(m_harness.waitForAlert(
        QStringLiteral("Could not go to time outside the acquisition limits.")));
    QTRY_COMPARE_WITH_TIMEOUT(m_seen.scroll, m_seen.lastScroll(), 2000);
}

void TestAgViewWindow::tablePageAndBack()
{
    auto *tabs = child<TabBarSelector>("tabSelectorPlaceholder");
    auto *pages = child<QStackedWidget>("stackedWidget");
    const int plotZoom = m_seen.zoom;
    UserInput::clickCentre(tabs->tableViewButton());
    QCOMPARE(pages->currentIndex(), 1);
    QTRY_VERIFY_WITH_TIMEOUT(m_seen.tableCount > 3 && m_seen.zoom == ZoomLevel1h, 5000);
    QVERIFY(nextSnapshots());
    QCOMPARE(pages->currentIndex(), 1);
    QCOMPARE(child<QStackedWidget>("stackedWidgetHeaderButtons")->currentIndex(), 1);
    auto *table = child<QWidget>("tableView")->findChild<QTableView *>();
    QVERIFY(table);
    QTRY_VERIFY_WITH_TIMEOUT(table->model() && table->model()->rowCount() > 0, 5000);
    QVERIFY(
        child<QLabel>("loudnessModeLabel")->text().startsWith(QStringLiteral("Loudness mode: ")));
    QVERIFY(child<QLabel>("timeLabel")->text().startsWith(QStringLiteral("Time: ")));
    KivTest::saveShot(m_view, QStringLiteral("agview-table"));

    // Live on the table page, from its own button.
    UserInput::clickCentre(child<DoubleTextCheckboxButton>("runPauseTableView"));
    QTRY_VERIFY_WITH_TIMEOUT(m_seen.live, 5000);
    QVERIFY(nextSnapshots());
    QCOMPARE(child<DoubleTextCheckboxButton>("runPauseTableView")->text(), QStringLiteral("LIVE"));

    UserInput::clickCentre(tabs->plotButton());
    QCOMPARE(pages->currentIndex(), 0);
    const int plotShots = m_seen.count;
    QTRY_VERIFY_WITH_TIMEOUT(m_seen.count > plotShots + 3, 5000);
    QCOMPARE(m_seen.zoom, plotZoom);
    QCOMPARE(pages->currentIndex(), 0);
    QCOMPARE(child<AgViewZoomSelector>("viewZoomSelector")->getCurrentZoomLevel(), plotZoom);
}

void TestAgViewWindow::exportIsPostedAndRefusedIntoTheDataFolder()
{
    QString chosen;
    m_controller->setFileChooser([&chosen](QWidget *) { return chosen; });
    QAction *exportLog = nullptr;
    auto *menu = child<NUVMenu>("menuBar");
    for (QAction *action : menu->fileMenu()->actions()) {
        if (action->text() == QStringLiteral("&Export Log"))
            exportLog = action;
    }
    QVERIFY(exportLog);

    // Into the data folder itself: refused, nothing written.
    chosen = getDataFolderFilePath(QStringLiteral("export.db"));
    exportLog->trigger();
    QVERIFY(m_harness.waitForAlert(
        QStringLiteral("Export operation is not allowed to KIV's data folder. Please try again "
                       "and select a different target folder.")));
    QVERIFY(!QFileInfo::exists(chosen));

    // Elsewhere: the audiogroup exports, or, while the export engine is not built in, says
    // that it cannot.
    const int alertsBefore = m_harness.system()->alerts().size();
    chosen = m_exportDir.filePath(QStringLiteral("Program 1 export.db"));
    exportLog->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(m_harness.system()->alerts().size() > alertsBefore, 30000);
    const QString outcome = m_harness.system()->alerts().at(alertsBefore);
    if (outcome == QStringLiteral("Export is not available."))
        QVERIFY(!QFileInfo::exists(chosen));
    else
        QVERIFY2(!storedTimestamps(chosen).isEmpty(), qPrintable(outcome));
}

void TestAgViewWindow::closingByTheFrameOnlyHides()
{
    QPointer<QTAgView> view(m_view);
    QVERIFY(m_controller->isUpdateTimerActive());
    m_view->close();
    QTRY_VERIFY(!m_view->isVisible());
    QTRY_VERIFY(!m_controller->isUpdateTimerActive());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(view);
    const int sent = m_seen.count + m_seen.tableCount;
    QTest::qWait(300);
    QCOMPARE(m_seen.count + m_seen.tableCount, sent);
}

KIV_TEST_MAIN(TestAgViewWindow, QApplication)
#include "tst_agviewwindow.moc"
