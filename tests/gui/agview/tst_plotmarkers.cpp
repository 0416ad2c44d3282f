// The A-B markers: mapping between columns and times, limits, dragging with the mouse,
// switching on and off.
#include <KivResources.h>
#include <KivTest.h>
#include <KivUtils.h>
#include <NUVMarker.h>
#include <NUVMarkerButton.h>
#include <NUVSelector.h>

#include <QApplication>
#include <QSignalSpy>

#include <qcustomplot.h>

namespace {

// 2024-03-01 12:00:00 UTC.
constexpr qint64 kNoon = 1709294400000;
constexpr qint64 kTenYears = qint64(3652) * 24 * 3600 * 1000;

// A selector 1000 px wide over 100 s from noon (100 ms per pixel, 3000 ms = 30 px), with
// the markers on, and a stand-in for the window's controller: it keeps the times that a drag
// asks for when they lie at least 3000 ms apart and hands them back on its next update.
struct Selector
{
    QCustomPlot plot;
    NUVSelector selector{nullptr};
    qint64 minTime = kNoon + 5050;
    qint64 maxTime = kNoon + 90070;
    qint64 timeA = kNoon + 20000;
    qint64 timeB = kNoon + 60000;
    QVector<QPair<qint64, qint64>> asked;

    explicit Selector(int width = 1000)
    {
        plot.xAxis->setRange(msToSeconds(kNoon), msToSeconds(kNoon + 100000));
        selector.resize(width, 320);
        selector.show();
        QResizeEvent resize(QSize(width, 320), QSize());
        selector.resizeSelector(&resize, plot.xAxis);
        QObject::connect(&selector, &NUVSelector::markerPositionsChanged,
                         [this](qlonglong a, qlonglong b) {
                             asked.append({a, b});
                             if (b - a >= 3000) {
                                 timeA = a;
                                 timeB = b;
                             }
                         });
        selector.hide();
        selector.showMarkers();
        update();
    }
    void update() { selector.setMarkerTimes(minTime, maxTime, timeA, timeB, plot.xAxis); }

    // A mouse move over a marker's flag to the column, in the flag's own coordinates.
    void move(NUVMarker *marker, int column, Qt::MouseButtons buttons = Qt::LeftButton)
    {
        NUVMarkerButton *button = marker->button();
        const QPoint local = button->mapFrom(marker->parentWidget(), QPoint(column, 300));
        QMouseEvent event(QEvent::MouseMove, local, button->mapToGlobal(local), Qt::NoButton,
                          buttons, Qt::NoModifier);
        QApplication::sendEvent(button, &event);
    }
    // Press on the flag, move to each column with the window updating after every step,
    // release where the mouse is.
    void drag(NUVMarker *marker, const QVector<int> &columns)
    {
        NUVMarkerButton *button = marker->button();
        QTest::mousePress(button, Qt::LeftButton, Qt::NoModifier, button->rect().center());
        for (int column : columns) {
            move(marker, column);
            update();
        }
        const QPoint local = button->mapFrom(marker->parentWidget(), QPoint(columns.last(), 300));
        QTest::mouseRelease(button, Qt::LeftButton, Qt::NoModifier, local);
    }
};

} // namespace

class TestPlotMarkers : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { initKivResources(); }
    void mapping();
    void noWidthPutsMarkersAtZero();
    void spanIsShadedWhileBothAreOn();
    void dragging_data();
    void dragging();
    void offMarkerAndMovesWithoutButtonDoNothing();
    void clickToggles();
    void dragEndingOnTheFlagIsNoClick();
    void showMarkersSwitchesOnOnce();
    void farTimesStayOffScreen();
};

void TestPlotMarkers::mapping()
{
    Selector f;
    QCOMPARE(f.selector.timeToPosition(kNoon + 12345), qint64(123));
    QCOMPARE(f.selector.positionToTime(123), kNoon + 12300);
    QCOMPARE(f.selector.timeToPosition(kNoon - 1000), qint64(-10));
    QCOMPARE(f.selector.minimumMarkerGap(), qint64(30));
    QCOMPARE(f.selector.markerA()->getCenterX(), 200);
    QCOMPARE(f.selector.markerB()->getCenterX(), 600);
    // Markers reach from the top of the plot to its bottom.
    QCOMPARE(f.selector.markerA()->y(), 0);
    QCOMPARE(f.selector.markerA()->height(), 320);
}

void TestPlotMarkers::noWidthPutsMarkersAtZero()
{
    Selector f(1000);
    f.selector.resize(0, 320);
    f.update();
    QCOMPARE(f.selector.timeToPosition(kNoon + 50000), qint64(0));
    QCOMPARE(f.selector.positionToTime(500), qint64(0));
    QCOMPARE(f.selector.minimumMarkerGap(), qint64(0));
    QCOMPARE(f.selector.markerA()->getCenterX(), 0);
    QCOMPARE(f.selector.markerB()->getCenterX(), 0);
}

void TestPlotMarkers::spanIsShadedWhileBothAreOn()
{
    Selector f;
    QWidget *rect = f.selector.markerRect();
    QVERIFY(rect->isVisible());
    QCOMPARE(rect->geometry(), QRect(200, 0, 400, 320));

    QSignalSpy toggled(&f.selector, &NUVSelector::markerToggle);
    QTest::mouseClick(f.selector.markerB()->button(), Qt::LeftButton);
    QCOMPARE(toggled.count(), 1);
    QCOMPARE(toggled.last().at(0).toBool(), false);
    QVERIFY(!rect->isVisible());
    QTest::mouseClick(f.selector.markerB()->button(), Qt::LeftButton);
    QCOMPARE(toggled.last().at(0).toBool(), true);
    QVERIFY(rect->isVisible());
}

void TestPlotMarkers::dragging_data()
{
    QTest::addColumn<bool>("dragA");
    QTest::addColumn<QVector<int>>("columns");
    QTest::addColumn<qint64>("minTime");
    QTest::addColumn<qint64>("askedA");
    QTest::addColumn<qint64>("askedB");
    QTest::addColumn<int>("centre");

    // A starts at 200 (noon + 20 s), B at 600; the bounds lie at 50 and 900.
    QTest::newRow("A to a column")
        << true << QVector<int>{250, 300} << kNoon + 5050 << kNoon + 30000 << kNoon + 60000 << 300;
    QTest::newRow("A past its bound gives the bound's time")
        << true << QVector<int>{100, 10} << kNoon + 5050 << kNoon + 5050 << kNoon + 60000 << 50;
    QTest::newRow("B past its bound gives the bound's time")
        << false << QVector<int>{800, 990} << kNoon + 5050 << kNoon + 20000 << kNoon + 90070 << 900;
    QTest::newRow("A stops 3000 ms before B")
        << true << QVector<int>{400, 620} << kNoon + 5050 << kNoon + 57000 << kNoon + 60000 << 570;
    QTest::newRow("B stops 3000 ms after A")
        << false << QVector<int>{300, 100} << kNoon + 5050 << kNoon + 20000 << kNoon + 23000 << 230;
    // A's lower bound at 610 lies beyond its upper one at 570: the lower one wins.
    QTest::newRow("crossed limits: the minimum wins")
        << true << QVector<int>{300} << kNoon + 61000 << kNoon + 61000 << kNoon + 60000 << 200;
}

void TestPlotMarkers::dragging()
{
    QFETCH(bool, dragA);
    QFETCH(QVector<int>, columns);
    QFETCH(qint64, minTime);
    QFETCH(qint64, askedA);
    QFETCH(qint64, askedB);
    QFETCH(int, centre);

    Selector f;
    f.minTime = minTime;
    f.update();
    NUVMarker *marker = dragA ? f.selector.markerA() : f.selector.markerB();
    f.drag(marker, columns);
    QCOMPARE(f.asked.size(), columns.size());
    QCOMPARE(f.asked.last(), qMakePair(askedA, askedB));
    // The marker stands where the accepted times put it; a refused pair leaves it.
    QCOMPARE(marker->getCenterX(), centre);
    QVERIFY(marker->getState());
    // Wherever the drag ended, the next click on the flag switches the marker off.
    QTest::mouseClick(marker->button(), Qt::LeftButton);
    QVERIFY(!marker->getState());
}

void TestPlotMarkers::offMarkerAndMovesWithoutButtonDoNothing()
{
    Selector f;
    NUVMarker *a = f.selector.markerA();
    f.move(a, 300, Qt::NoButton);
    QVERIFY(f.asked.isEmpty());
    QCOMPARE(a->getCenterX(), 200);

    QTest::mouseClick(a->button(), Qt::LeftButton); // off
    QVERIFY(!a->getState());
    f.drag(a, {300, 350});
    QVERIFY(f.asked.isEmpty());
    QCOMPARE(a->getCenterX(), 200);
}

void TestPlotMarkers::clickToggles()
{
    Selector f;
    NUVMarker *a = f.selector.markerA();
    QSignalSpy state(a, &NUVMarker::markerStateChanged);
    QVERIFY(a->getState());
    QVERIFY(a->line()->isVisible());

    QTest::mouseClick(a->button(), Qt::LeftButton);
    QCOMPARE(state.count(), 1);
    QCOMPARE(state.last().at(0).toBool(), false);
    QVERIFY(!a->line()->isVisible());

    QTest::mouseClick(a->button(), Qt::LeftButton);
    QCOMPARE(state.last().at(0).toBool(), true);
    QVERIFY(a->line()->isVisible());
    QVERIFY(f.asked.isEmpty());
}

void TestPlotMarkers::dragEndingOnTheFlagIsNoClick()
{
    Selector f;
    NUVMarker *b = f.selector.markerB();
    QSignalSpy state(b, &NUVMarker::markerStateChanged);
    QSignalSpy toggled(&f.selector, &NUVSelector::markerToggle);
    f.drag(b, {650, 700});
    QCOMPARE(b->getCenterX(), 700);
    QCOMPARE(state.count(), 0);
    QCOMPARE(toggled.count(), 0);
    QVERIFY(b->getState());
    QVERIFY(!b->isDragged());
    // The next click is a click again.
    QTest::mouseClick(b->button(), Qt::LeftButton);
    QCOMPARE(state.count(), 1);
    QVERIFY(!b->getState());
}

void TestPlotMarkers::showMarkersSwitchesOnOnce()
{
    Selector f;
    QSignalSpy toggled(&f.selector, &NUVSelector::markerToggle);
    NUVMarker *b = f.selector.markerB();
    QTest::mouseClick(b->button(), Qt::LeftButton);
    QCOMPARE(toggled.count(), 1);

    // While shown, the window's update keeps the user's choice.
    f.selector.showMarkers();
    QCOMPARE(toggled.count(), 1);
    QVERIFY(!b->getState());

    // Hidden and shown again, both markers come back on, with the span shaded at once.
    f.selector.hide();
    f.selector.showMarkers();
    QCOMPARE(toggled.count(), 2);
    QCOMPARE(toggled.last().at(0).toBool(), true);
    QVERIFY(b->getState() && f.selector.markerA()->getState());
    QVERIFY(f.selector.markerRect()->isVisible());
    QVERIFY(b->line()->isVisible());
}

void TestPlotMarkers::farTimesStayOffScreen()
{
    // Ten years of stored data under a 100 s window: the oldest time lies billions of
    // columns to the left.
    Selector f;
    f.minTime = kNoon - kTenYears;
    f.maxTime = kNoon + kTenYears;
    f.update();
    QVERIFY(f.selector.markerA()->getMinimumPosition().x() < -1000000);
    f.drag(f.selector.markerA(), {150});
    QCOMPARE(f.asked.last(), qMakePair(kNoon + 15000, kNoon + 60000));
    QCOMPARE(f.selector.markerA()->getCenterX(), 150);
    f.drag(f.selector.markerB(), {950});
    QCOMPARE(f.asked.last(), qMakePair(kNoon + 15000, kNoon + 95000));

    // Markers themselves far away sit off-screen, not wrapped into view.
    f.timeA = kNoon - kTenYears / 2;
    f.update();
    QVERIFY(f.selector.markerA()->getCenterX() < 0);
}

KIV_TEST_MAIN(TestPlotMarkers, QApplication)
#include "tst_plotmarkers.moc"
