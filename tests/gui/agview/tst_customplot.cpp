// The plot widget: time axis and labels, curves and gaps, its layers lining up, the data
// block's ownership, and what it looks like.
#include <AgDataVector.h>
#include <GuiShots.h>
#include <KivResources.h>
#include <KivTest.h>
#include <KivUtils.h>
#include <NUVCustomPlot.h>
#include <NUVCustomPlotThreshold.h>
#include <NUVCustomPlotThresholdLayer.h>
#include <NUVMarker.h>
#include <NUVMarkerButton.h>
#include <NUVPlotEvents.h>
#include <NUVPlotScaleLabels.h>
#include <NUVSelector.h>
#include <PlotSamples.h>
#include <TimeAxisTicker.h>

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QScreen>
#include <QSignalSpy>
#include <QVBoxLayout>

#include <qcustomplot.h>

#include <memory>

namespace {

// 2024-03-01 12:00:00 UTC.
constexpr qint64 kNoon = 1709294400000;
constexpr int kHalfMinute = 30000;

QString tag()
{
    return QString::fromLatin1(QTest::currentDataTag()).replace(' ', '_');
}

AgConfig config(const QString &unit = QStringLiteral("LU"))
{
    AgConfig c(QStringLiteral("Main"));
    c.setLoudnessUnit(unit);
    if (unit != QLatin1String("LU")) {
        c.setLoudnessMinDb(-41.0);
        c.setLoudnessMaxDb(-12.5);
    }
    return c;
}

// A block that tells when it is freed.
class TrackedBlock : public AgDataVector
{
public:
    explicit TrackedBlock(bool *freed) : m_freed(freed) {}
    ~TrackedBlock() override { *m_freed = true; }

private:
    bool *m_freed;
};

// Rows every stepMs over [from, to), without [gapFrom, gapTo); each row's time code is its
// UTC time of day less lagMs, or 0 when lagMs is negative.
AgDataVector *rows(qint64 from, qint64 to, qint64 lagMs = 2000, qint64 gapFrom = 0,
                   qint64 gapTo = 0, qint64 stepMs = 100)
{
    auto *block = new AgDataVector(0);
    for (qint64 t = from; t < to; t += stepMs) {
        if (t >= gapFrom && t < gapTo)
            continue;
        AgData row(QStringLiteral("Main"));
        row.setEmpty(false);
        row.setTimestamp(t);
        if (lagMs >= 0) {
            const QTime time = QDateTime::fromMSecsSinceEpoch(t - lagMs, Qt::UTC).time();
            row.setTimecode(PlotSamples::bcdTimecode(time.hour(), time.minute(), time.second()));
        }
        row.setM400ms(1.0);
        block->append(row);
    }
    return block;
}

// A plot as the audiogroup window holds it: built, initialised, shown on a dark ground.
struct Plot
{
    QWidget window;
    NUVCustomPlot *plot = nullptr;

    explicit Plot(QSize size = QSize(1024, 327))
    {
        window.setStyleSheet(QStringLiteral("background-color: rgb(70,70,70);"));
        window.resize(size);
        plot = new NUVCustomPlot(&window);
        plot->initPlot();
        plot->setGeometry(QRect(QPoint(0, 0), size));
        window.show();
    }
    void update(qint64 start, int span, ZoomLevel zoom, AgDataVector *data,
                const AgConfig &c = config(), QVector<int> values = {1, 2, 3, 4})
    {
        plot->updatePlot(PlotValue(values[0]), PlotValue(values[1]), PlotValue(values[2]),
                         PlotValue(values[3]), start, span, zoom, data, InstrumentConfig(), c);
    }
    QCPAxis *time() const { return plot->customPlot()->xAxis; }
    QString label(qint64 tickMs) const
    {
        return plot->timeTicker()->tickLabel(msToSeconds(tickMs));
    }
};

} // namespace

class TestCustomPlot : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { initKivResources(); }
    void timeAxis_data();
    void timeAxis();
    void followsShiftsOfHalfAPixel_data();
    void followsShiftsOfHalfAPixel();
    void gaps_data();
    void gaps();
    void tickTimecodes_data();
    void tickTimecodes();
    void tickTimecodesLastBetweenBlocks();
    void timeLabelsStayApart_data();
    void timeLabelsStayApart();
    void blockIsAlwaysFreed_data();
    void blockIsAlwaysFreed();
    void newestRowsNewValuesAreDrawn();
    void resetEmptiesCurves();
    void layersLineUp_data();
    void layersLineUp();
    void gridShowsThroughWithNothingSelected();
    void scaleLabelsReadOverTheCurves();
    void wheelBecomesScroll();
    void markersRelayAndNeverWidenThePlot();
    void pleaseWait();
    void renderings_data();
    void renderings();
};

void TestCustomPlot::timeAxis_data()
{
    QTest::addColumn<int>("zoom");
    QTest::addColumn<double>("step");
    QTest::newRow("30 s") << int(ZoomLevel30s) << 5.0;
    QTest::newRow("1 h") << int(ZoomLevel1h) << 600.0;
    QTest::newRow("72 h") << int(ZoomLevel72h) << 43200.0;
}

void TestCustomPlot::timeAxis()
{
    QFETCH(int, zoom);
    QFETCH(double, step);
    Plot f;
    const int span = zoomLevelToMs(zoom);
    const qint64 start = kNoon - span + 1234;
    f.update(start, span, ZoomLevel(zoom), nullptr);
    QCOMPARE(f.time()->range().lower, msToSeconds(start));
    QCOMPARE(f.time()->range().upper, msToSeconds(start) + span / 1000.0);
    QCOMPARE(f.plot->timeTicker()->tickStep(), step);

    // Whole multiples of the step inside the window, six of them here, as drawn.
    const QVector<double> ticks = f.time()->tickVector();
    QCOMPARE(ticks, f.plot->timeTicker()->ticksFor(f.time()->range()));
    QCOMPARE(ticks.size(), 6);
    for (double tick : ticks) {
        QCOMPARE(std::fmod(tick, step), 0.0);
        QVERIFY(f.time()->range().contains(tick));
    }
    // The date before the first label shown (where it changes: see timeLabelsStayApart).
    QStringList shown;
    for (const QString &label : f.time()->tickVectorLabels()) {
        if (!label.isEmpty())
            shown << label;
    }
    QVERIFY(shown.size() >= 4);
    QVERIFY2(shown.first().startsWith(QLatin1String("2024.0")), qPrintable(shown.first()));
}

// Live at 72 h the window moves a fraction of a pixel every 50 ms, which draws the same
// picture; the plot follows once the shift reaches half a pixel.
void TestCustomPlot::followsShiftsOfHalfAPixel_data()
{
    QTest::addColumn<double>("pixels");
    QTest::addColumn<bool>("moved");
    QTest::newRow("a tenth of a pixel") << 0.1 << false;
    QTest::newRow("six tenths") << 0.6 << true;
}

void TestCustomPlot::followsShiftsOfHalfAPixel()
{
    QFETCH(double, pixels);
    QFETCH(bool, moved);
    Plot f;
    const int span = zoomLevelToMs(ZoomLevel72h);
    f.update(kNoon - span, span, ZoomLevel72h, rows(kNoon - 60000, kNoon));
    const QCPRange before = f.time()->range();
    const qint64 shift = qint64(pixels * span / f.plot->customPlot()->axisRect()->width());
    f.update(kNoon - span + shift, span, ZoomLevel72h, nullptr);
    QCOMPARE(f.time()->range().lower, moved ? msToSeconds(kNoon - span + shift) : before.lower);
    QCOMPARE(f.time()->range().size(), before.size());
}

void TestCustomPlot::gaps_data()
{
    QTest::addColumn<int>("zoom");
    QTest::addColumn<qint64>("distance");
    QTest::addColumn<QString>("unit");
    QTest::addColumn<bool>("gap");
    QTest::newRow("30 s, one gap length") << int(ZoomLevel30s) << qint64(500) << "LU" << true;
    QTest::newRow("30 s, 1 ms less") << int(ZoomLevel30s) << qint64(499) << "LU" << false;
    QTest::newRow("72 h, one gap length") << int(ZoomLevel72h) << qint64(4320000) << "LU" << true;
    QTest::newRow("72 h, 1 ms less") << int(ZoomLevel72h) << qint64(4319999) << "LU" << false;
    // -27 LUFS lies inside an absolute scale; the gap must still leave the plot.
    QTest::newRow("30 s, absolute scale") << int(ZoomLevel30s) << qint64(500) << "LUFS" << true;
}

void TestCustomPlot::gaps()
{
    QFETCH(int, zoom);
    QFETCH(qint64, distance);
    QFETCH(QString, unit);
    QFETCH(bool, gap);
    Plot f;
    const int span = zoomLevelToMs(zoom);
    const qint64 first = kNoon - span / 2;
    auto *block = new AgDataVector(zoom);
    for (qint64 t : {first, first + distance}) {
        AgData row(QStringLiteral("Main"));
        row.setTimestamp(t);
        row.setTP(-10.0);
        row.setM400ms(unit == QLatin1String("LU") ? 0.0 : -23.0);
        row.setS(row.getM400ms());
        row.setI(row.getM400ms());
        block->append(row);
    }
    f.update(kNoon - span, span, ZoomLevel(zoom), block, config(unit));

    for (int slot = 1; slot <= 4; ++slot) {
        const auto data = f.plot->graph(slot)->data();
        QCOMPARE(data->size(), gap ? 4 : 2);
        QCOMPARE(data->at(0)->key, msToSeconds(first));
        QCOMPARE(data->at(data->size() - 1)->key, msToSeconds(first + distance));
        if (!gap)
            continue;
        QCOMPARE(data->at(1)->key, msToSeconds(first + 1));
        QCOMPARE(data->at(2)->key, msToSeconds(first + distance - 1));
        QVERIFY2(data->at(1)->value < 0.0 && data->at(2)->value < 0.0,
                 qPrintable(QString::number(data->at(1)->value)));
        QVERIFY(data->at(0)->value > 0.0);
    }
}

void TestCustomPlot::tickTimecodes_data()
{
    // The window 11:59:30 to 12:00:00, ticks every 5 s; data every 100 ms, its time code
    // 2 s behind the clock.
    QTest::addColumn<qint64>("from");
    QTest::addColumn<qint64>("to");
    QTest::addColumn<qint64>("lag");
    QTest::addColumn<qint64>("gapFrom");
    QTest::addColumn<qint64>("gapTo");
    // Of the ticks 11:59:30 to 12:00:00, as far as the plot's edges leave them whole.
    QTest::addColumn<QStringList>("labels");
    QTest::newRow("continuous") << kNoon - kHalfMinute << kNoon << qint64(2000) << qint64(0)
                                << qint64(0)
                                << QStringList{"11:59:30 (11:59:28)",
                                               "11:59:35 (11:59:33)",
                                               "11:59:40 (11:59:38)",
                                               "11:59:45 (11:59:43)",
                                               "11:59:50 (11:59:48)",
                                               "11:59:55 (11:59:53)",
                                               "12:00:00"};
    QTest::newRow("no time code") << kNoon - kHalfMinute << kNoon << qint64(-1) << qint64(0)
                                  << qint64(0)
                                  << QStringList{"11:59:30", "11:59:35", "11:59:40", "11:59:45",
                                                 "11:59:50", "11:59:55", "12:00:00"};
    QTest::newRow("time code equal to the time")
        << kNoon - kHalfMinute << kNoon << qint64(0) << qint64(0) << qint64(0)
        << QStringList{"11:59:30", "11:59:35", "11:59:40", "11:59:45",
                       "11:59:50", "11:59:55", "12:00:00"};
    QTest::newRow("rows only before the first tick")
        << kNoon - 40000 << kNoon - kHalfMinute << qint64(2000) << qint64(0) << qint64(0)
        << QStringList{"11:59:30", "11:59:35", "11:59:40", "11:59:45",
                       "11:59:50", "11:59:55", "12:00:00"};
    // Ticks inside a gap, and ticks before the data begins, show no later sample's time code.
    QTest::newRow("gap over two ticks")
        << kNoon - kHalfMinute << kNoon << qint64(2000) << kNoon - 20000 << kNoon - 10000
        << QStringList{"11:59:30 (11:59:28)", "11:59:35 (11:59:33)", "11:59:40", "11:59:45",
                       "11:59:50 (11:59:48)", "11:59:55 (11:59:53)", "12:00:00"};
    QTest::newRow("data from 11:59:47.3") << kNoon - 12700 << kNoon << qint64(2000) << qint64(0)
                                          << qint64(0) << QStringList{"11:59:30",
                                                                      "11:59:35",
                                                                      "11:59:40",
                                                                      "11:59:45",
                                                                      "11:59:50 (11:59:48)",
                                                                      "11:59:55 (11:59:53)",
                                                                      "12:00:00"};
}

void TestCustomPlot::tickTimecodes()
{
    QFETCH(qint64, from);
    QFETCH(qint64, to);
    QFETCH(qint64, lag);
    QFETCH(qint64, gapFrom);
    QFETCH(qint64, gapTo);
    QFETCH(QStringList, labels);
    // The plot's edges would cut the labels of the first and last tick: the axis leaves them
    // out, and the date goes on the next label.
    labels.first().clear();
    labels.last().clear();
    labels[1].prepend(QStringLiteral("2024.03.01 "));
    Plot f;
    f.update(kNoon - kHalfMinute, kHalfMinute, ZoomLevel30s, rows(from, to, lag, gapFrom, gapTo));
    QCOMPARE(f.time()->tickVectorLabels().toList(), labels);
}

void TestCustomPlot::tickTimecodesLastBetweenBlocks()
{
    Plot f;
    const QString day = QStringLiteral("2024.03.01 ");
    f.update(kNoon - kHalfMinute, kHalfMinute, ZoomLevel30s, rows(kNoon - kHalfMinute, kNoon));
    QCOMPARE(f.label(kNoon - 25000), day + "11:59:35 (11:59:33)");

    // The view moves on without new data: the ticks still in view keep their time codes.
    f.update(kNoon - 29000, kHalfMinute, ZoomLevel30s, nullptr);
    QCOMPARE(f.time()->tickVectorLabels().first(), day + "11:59:35 (11:59:33)");
    QCOMPARE(f.time()->tickVectorLabels().last(), QStringLiteral("12:00:00"));

    // Data that reaches no tick changes nothing; a row without time code clears its tick's.
    f.update(kNoon - 29000, kHalfMinute, ZoomLevel30s, rows(kNoon - 29000, kNoon - 26000));
    QCOMPARE(f.label(kNoon - 25000), day + "11:59:35 (11:59:33)");
    f.update(kNoon - 29000, kHalfMinute, ZoomLevel30s, rows(kNoon - 25000, kNoon - 24000, -1));
    QCOMPARE(f.label(kNoon - 25000), day + "11:59:35");
    QCOMPARE(f.label(kNoon - 20000), day + "11:59:40 (11:59:38)");

    // A tick that left the window forgets its time code.
    f.update(kNoon - 10000, kHalfMinute, ZoomLevel30s, nullptr);
    QCOMPARE(f.label(kNoon - 20000), day + "11:59:40");
}

void TestCustomPlot::timeLabelsStayApart_data()
{
    QTest::addColumn<int>("width");
    QTest::newRow("1024 px") << 1024;
    QTest::newRow("1366 px") << 1366;
    QTest::newRow("2560 px") << 2560;
}

// At every zoom level: no label runs into the next or out of the plot, the date stands on
// the first label and where the day changes. Time codes 2 s behind give the longest labels.
void TestCustomPlot::timeLabelsStayApart()
{
    QFETCH(int, width);
    Plot f(QSize(width, 327));
    QVERIFY(QTest::qWaitForWindowExposed(&f.window));
    const QFontMetrics metrics(f.time()->tickLabelFont());
    // Just after midnight.
    const qint64 end = kNoon + 12 * 3600000 + 1000;
    for (int zoom = 0; zoom < kZoomLevelCount; ++zoom) {
        const int span = zoomLevelToMs(zoom);
        f.update(end - span, span, ZoomLevel(zoom), rows(end - span, end, 2000, 0, 0, span / 600));
        const QVector<double> ticks = f.time()->tickVector();
        const QVector<QString> labels = f.time()->tickVectorLabels();
        double previousRight = -1.0e9;
        QString previousDate;
        int shown = 0;
        for (int i = 0; i < ticks.size(); ++i) {
            if (labels[i].isEmpty())
                continue;
            ++shown;
            const double centre = f.time()->coordToPixel(ticks[i]);
            const double half = metrics.horizontalAdvance(labels[i]) / 2.0;
            // Apart, and inside the plot: the axis leaves out a label that its edge would cut.
            QVERIFY2(centre - half >= std::max(previousRight, 0.0) && centre + half <= width,
                     qPrintable(QStringLiteral("level %1: %2").arg(zoom).arg(labels[i])));
            previousRight = centre + half;
            const QString date = QDateTime::fromMSecsSinceEpoch(qint64(ticks[i]) * 1000, Qt::UTC)
                                     .toString(QStringLiteral("yyyy.MM.dd"));
            QCOMPARE(labels[i].startsWith(date), date != previousDate);
            previousDate = date;
        }
        QVERIFY2(shown >= 3, qPrintable(QStringLiteral("level %1").arg(zoom)));
    }
}

void TestCustomPlot::blockIsAlwaysFreed_data()
{
    QTest::addColumn<qint64>("start");
    QTest::addColumn<int>("span");
    QTest::addColumn<int>("zoom");
    QTest::addColumn<bool>("drawn");
    QTest::newRow("drawn") << kNoon - kHalfMinute << kHalfMinute << 0 << true;
    QTest::newRow("start 0") << qint64(0) << kHalfMinute << 0 << false;
    QTest::newRow("span 0") << kNoon - kHalfMinute << 0 << 0 << false;
    QTest::newRow("unknown zoom level") << kNoon - kHalfMinute << kHalfMinute << 16 << false;
}

void TestCustomPlot::blockIsAlwaysFreed()
{
    QFETCH(qint64, start);
    QFETCH(int, span);
    QFETCH(int, zoom);
    QFETCH(bool, drawn);
    Plot f;
    f.update(kNoon - 60000, 60000, ZoomLevel1min, rows(kNoon - 60000, kNoon));
    const QCPRange before = f.time()->range();

    bool freed = false;
    auto *block = new TrackedBlock(&freed);
    AgData row(QStringLiteral("Main"));
    row.setTimestamp(kNoon - 1000);
    block->append(row);
    f.update(start, span, ZoomLevel(zoom), block);
    QVERIFY(freed);
    QCOMPARE(f.plot->graph(2)->data()->size(), drawn ? 1 : 600);
    QCOMPARE(f.time()->range() == before, !drawn);
}

// A coarse level's newest row keeps its time while more samples go into its values: the
// same window with the same times is drawn again.
void TestCustomPlot::newestRowsNewValuesAreDrawn()
{
    Plot f;
    f.update(kNoon - 60000, 60000, ZoomLevel1min, rows(kNoon - 60000, kNoon));
    AgDataVector *again = rows(kNoon - 60000, kNoon - 100);
    const std::unique_ptr<AgDataVector> newest(rows(kNoon - 100, kNoon));
    AgData row = newest->at(0);
    row.setM400ms(-5.0);
    again->append(row);
    f.update(kNoon - 60000, 60000, ZoomLevel1min, again);
    const auto drawn = f.plot->graph(2)->data();
    QCOMPARE(drawn->at(drawn->size() - 1)->key, msToSeconds(kNoon - 100));
    QCOMPARE(drawn->at(drawn->size() - 1)->value,
             scalePlotValue(-5.0, PlotValueM, config().getLoudnessMinDb(),
                            config().getLoudnessMaxDb()));
}

void TestCustomPlot::resetEmptiesCurves()
{
    Plot f;
    f.update(kNoon - kHalfMinute, kHalfMinute, ZoomLevel30s, rows(kNoon - kHalfMinute, kNoon),
             config(), {1, 0, 0, 4});
    QCOMPARE(f.plot->graph(1)->data()->size(), 300);
    QVERIFY(!f.plot->thresholdLayer()->threshold(2));

    f.plot->resetPlot(PlotValueTP, PlotValueM, PlotValue(0), PlotValue(0), kNoon - 3600000, 3600000,
                      ZoomLevel1h);
    for (int slot = 1; slot <= 4; ++slot)
        QVERIFY(f.plot->graph(slot)->data()->isEmpty());
    QVERIFY(f.plot->thresholdLayer()->threshold(2));
    QVERIFY(!f.plot->thresholdLayer()->threshold(4));
    QCOMPARE(f.time()->range().lower, msToSeconds(kNoon - 3600000));
    QCOMPARE(f.time()->range().size(), 3600.0);
    QCOMPARE(f.plot->timeTicker()->tickStep(), 600.0);

    // The samples drawn before a reset to the same window are drawn again.
    f.update(kNoon - 3600000, 3600000, ZoomLevel1h, rows(kNoon - 60000, kNoon));
    f.plot->resetPlot(PlotValueTP, PlotValueM, PlotValueS, PlotValueI, kNoon - 3600000, 3600000,
                      ZoomLevel1h);
    f.update(kNoon - 3600000, 3600000, ZoomLevel1h, rows(kNoon - 60000, kNoon));
    QCOMPARE(f.plot->graph(1)->data()->size(), 600);
}

void TestCustomPlot::layersLineUp_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QString>("unit");
    QTest::newRow("1024 x 327, LU") << QSize(1024, 327) << "LU";
    QTest::newRow("1440 x 400, LUFS") << QSize(1440, 400) << "LUFS";
}

void TestCustomPlot::layersLineUp()
{
    QFETCH(QSize, size);
    QFETCH(QString, unit);
    Plot f(size);
    QVERIFY(QTest::qWaitForWindowExposed(&f.window));
    const AgConfig c = config(unit);
    f.update(kNoon - kHalfMinute, kHalfMinute, ZoomLevel30s, rows(kNoon - kHalfMinute, kNoon), c);
    f.update(kNoon - kHalfMinute, kHalfMinute, ZoomLevel30s, nullptr, c);
    QCOMPARE(f.plot->thresholdLayer()->size(), size);
    QCOMPARE(f.plot->customPlot()->size(), size);

    // A curve at a value lies on the row where the threshold layer draws that value.
    QCPAxis *values = f.plot->customPlot()->yAxis;
    for (int slot : {1, 2, 4}) {
        const NUVCustomPlotThreshold *layer = f.plot->thresholdLayer()->threshold(slot);
        const double min = slot == 1 ? -18.0 : c.getLoudnessMinDb();
        const double max = slot == 1 ? 10.5 : c.getLoudnessMaxDb();
        for (double v : {min, max, min + 3.0, (min + max) / 2, max - 1.5}) {
            const double y = values->coordToPixel(scalePlotValue(v, slot, min, max));
            QCOMPARE(qRound(y), int(layer->valueToRow(v)));
        }
    }
    QCOMPARE(qRound(values->coordToPixel(0.0)), f.plot->thresholdLayer()->gridRow(0));

    // A time lies in the column where markers and event icons put it.
    f.plot->setMarkerTimes(kNoon - kHalfMinute, kNoon, kNoon - 20000, kNoon - 10000);
    for (qint64 t : {kNoon - kHalfMinute, kNoon - 20000, kNoon - 123, kNoon}) {
        // Both truncate; the plot draws in between, antialiased.
        const double x = f.time()->coordToPixel(msToSeconds(t));
        QCOMPARE(int(std::floor(x)), int(f.plot->selector()->timeToPosition(t)));
    }
}

void TestCustomPlot::gridShowsThroughWithNothingSelected()
{
    Plot f;
    QVERIFY(QTest::qWaitForWindowExposed(&f.window));
    f.update(kNoon - kHalfMinute, kHalfMinute, ZoomLevel30s,
             PlotSamples::makeBlock(kNoon - kHalfMinute, 300, 100));
    QApplication::processEvents();
    // All four deselected: the next update repaints the plot on the screen without them.
    f.update(kNoon - kHalfMinute, kHalfMinute, ZoomLevel30s, rows(kNoon - kHalfMinute, kNoon),
             config(), {0, 0, 0, 0});
    f.plot->updateEvents({PlotSamples::makeEvent(kNoon - 15000, 1)});
    QApplication::processEvents();
    const QImage shot = QApplication::primaryScreen()->grabWindow(f.window.winId()).toImage();

    // The grid of the layer under the transparent plot, and the ground between its lines.
    QCOMPARE(QColor(shot.pixel(700, f.plot->thresholdLayer()->gridRow(4))), QColor(117, 117, 117));
    QCOMPARE(QColor(shot.pixel(700, 150)), QColor(70, 70, 70));
    // Nothing is left of the curves: the screen shows what a full repaint shows.
    QCOMPARE(shot, f.window.grab().toImage().convertToFormat(shot.format()));
    QCOMPARE(f.plot->plotEvents()->drawArea()->findChildren<QLabel *>().size(), 1);
}

// Curves that sweep the whole plot, true peak (yellow) and momentary (cyan): no curve
// pixel in the labels' boxes, and the labels in their scale's colour at full strength.
void TestCustomPlot::scaleLabelsReadOverTheCurves()
{
    Plot f;
    QVERIFY(QTest::qWaitForWindowExposed(&f.window));
    auto *block = new AgDataVector(0);
    for (int k = 0; k < 300; ++k) {
        AgData row(QStringLiteral("Main"));
        row.setEmpty(false);
        row.setTimestamp(kNoon - kHalfMinute + k * 100);
        row.setTP(k % 2 ? 10.0 : -18.0);
        row.setM400ms(k % 2 ? -18.0 : 10.0);
        block->append(row);
    }
    f.update(kNoon - kHalfMinute, kHalfMinute, ZoomLevel30s, block, config(), {1, 2, 0, 0});
    QApplication::processEvents();
    KivTest::saveShot(&f.window, QStringLiteral("customplot-scalelabels"));

    const NUVPlotScaleLabels *overlay = f.plot->scaleLabels();
    const QVector<NUVPlotScaleLabels::Label> labels = overlay->labels();
    QCOMPARE(labels, f.plot->thresholdLayer()->scaleLabels());
    QStringList texts;
    for (const NUVPlotScaleLabels::Label &label : labels)
        texts << label.text;
    QVERIFY2(texts.contains("-12 dBTP") && texts.contains("LU -9"), qPrintable(texts.join('|')));
    const QImage shot = QApplication::primaryScreen()->grabWindow(f.window.winId()).toImage();
    for (const NUVPlotScaleLabels::Label &label : labels) {
        const bool truePeak = label.baseline.x() < f.plot->width() / 2; // the left scale
        QCOMPARE(label.colour, truePeak ? QColor(255, 255, 255) : QColor(2, 254, 255));
        const QRect box = overlay->boxOf(label).intersected(shot.rect());
        int curvePixels = 0;
        for (int y = box.top(); y <= box.bottom(); ++y) {
            for (int x = box.left(); x <= box.right(); ++x) {
                const QColor c = shot.pixelColor(x, y);
                // Yellow, or cyan where no cyan label stands.
                curvePixels += (c.red() > 150 && c.green() > 150 && c.blue() < 100) ||
                               (truePeak && c.red() < 100 && c.green() > 150 && c.blue() > 150);
            }
        }
        QVERIFY2(curvePixels == 0, qPrintable(label.text));
    }
}

void TestCustomPlot::wheelBecomesScroll()
{
    Plot f;
    QVERIFY(QTest::qWaitForWindowExposed(&f.window));
    QVector<QPoint> scrolled; // the wheel turns that arrived as scroll signals
    connect(f.plot, &NUVCustomPlot::scroll,
            [&scrolled](QWheelEvent *event) { scrolled.append(event->angleDelta()); });
    // The wheel turned over the plot reaches its top layer first (the event strip, or the
    // markers when shown), which passes it on.
    QVector<QWidget *> reached;
    auto turn = [&](int steps) {
        // Delivered as the window system would: to the widget under the mouse, spontaneous.
        const QPoint at(500, 100);
        QWidget *top = f.window.childAt(at);
        reached.append(top);
        const QPoint local = top->mapFrom(&f.window, at);
        QWheelEvent wheel(local, f.window.mapToGlobal(at), QPoint(), QPoint(0, 120 * steps),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QSpontaneKeyEvent::setSpontaneous(&wheel);
        QApplication::instance()->notify(top, &wheel);
    };
    turn(-1);
    f.plot->showMarkers();
    turn(2);
    QCOMPARE(scrolled, (QVector<QPoint>{QPoint(0, -120), QPoint(0, 240)}));
    QVERIFY(f.plot->plotEvents()->isAncestorOf(reached[0]));
    QVERIFY(f.plot->selector()->isAncestorOf(reached[1]));
}

void TestCustomPlot::markersRelayAndNeverWidenThePlot()
{
    // The plot inside a window's layout at the window's least width.
    QWidget window;
    auto *layout = new QVBoxLayout(&window);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *plot = new NUVCustomPlot(&window);
    layout->addWidget(plot);
    plot->initPlot();
    window.resize(1024, 327);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    plot->updatePlot(PlotValueTP, PlotValue(0), PlotValue(0), PlotValueI, kNoon - 60000, 60000,
                     ZoomLevel1min, nullptr, InstrumentConfig(), config());

    QSignalSpy toggled(plot, &NUVCustomPlot::markerToggle);
    QSignalSpy asked(plot, &NUVCustomPlot::markersPositionChanged);
    plot->setMarkerTimes(kNoon - 600000, kNoon, kNoon - 40000, kNoon - 20000);
    plot->showMarkers();
    QCOMPARE(toggled.count(), 1);
    QCOMPARE(toggled.last().at(0).toBool(), true);
    QVERIFY(plot->selector()->isVisible());
    QCOMPARE(plot->selector()->size(), plot->size());
    // The markers stand where the times put them at once, in the plot's full height.
    QCOMPARE(plot->selector()->markerA()->getCenterX(), 341);
    QCOMPARE(plot->selector()->markerA()->height(), 327);
    QVERIFY(window.minimumSizeHint().width() <= 1024);
    QCOMPARE(plot->width(), 1024);

    // A drag of the flag asks, through the plot, for new times.
    NUVMarker *b = plot->selector()->markerB();
    QTest::mousePress(b->button(), Qt::LeftButton, Qt::NoModifier, b->button()->rect().center());
    const QPoint local = b->button()->mapFrom(plot->selector(), QPoint(768, 300));
    QMouseEvent move(QEvent::MouseMove, local, b->button()->mapToGlobal(local), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(b->button(), &move);
    QCOMPARE(asked.count(), 1);
    QCOMPARE(asked.last().at(0).toLongLong(), kNoon - 40000);
    QCOMPARE(asked.last().at(1).toLongLong(), kNoon - 15000);

    // Hiding keeps the markers' states for the next showing.
    plot->hideMarkers();
    QVERIFY(!plot->selector()->isVisible());
    QVERIFY(b->getState());
}

void TestCustomPlot::pleaseWait()
{
    Plot f;
    QVERIFY(QTest::qWaitForWindowExposed(&f.window));
    QVERIFY(!f.plot->pleaseWait()->isVisible());
    QVERIFY(f.plot->pleaseWaitLabel()->text().isEmpty());
    f.plot->showPleaseWait(QStringLiteral("The acquisition is slow.\nPlease wait..."));
    QVERIFY(f.plot->pleaseWait()->isVisible());
    QCOMPARE(f.plot->pleaseWaitLabel()->text(),
             QStringLiteral("The acquisition is slow.\nPlease wait..."));
    // A box 428 px wide in the middle of the plot.
    QWidget *box = f.plot->pleaseWaitLabel()->parentWidget();
    QCOMPARE(box->width(), 428);
    QCOMPARE(box->mapTo(f.plot, QPoint(0, 0)).x(), (1024 - 428) / 2);
    KivTest::saveShot(&f.window, QStringLiteral("customplot-pleasewait"));
    f.plot->hidePleaseWait();
    QVERIFY(!f.plot->pleaseWait()->isVisible());
}

void TestCustomPlot::renderings_data()
{
    QTest::addColumn<int>("zoom");
    QTest::newRow("30 s") << int(ZoomLevel30s);
    QTest::newRow("72 h") << int(ZoomLevel72h);
}

void TestCustomPlot::renderings()
{
    QFETCH(int, zoom);
    Plot f;
    QVERIFY(QTest::qWaitForWindowExposed(&f.window));
    const int span = zoomLevelToMs(zoom);
    const qint64 interval = zoomLevelToSampleIntervalMs(zoom);
    const qint64 start = kNoon - span;
    // A gap of a fifth of the window in its second half.
    const qint64 gapFrom = start + span / 2;
    const qint64 gapTo = gapFrom + span / 5;
    AgConfig c = config();
    c.setMUpperSecondaryThreshold(5.0);
    c.setIUpperSecondaryThreshold(2.0);
    c.setILowerSecondaryThreshold(-2.0);
    f.update(start, span, ZoomLevel(zoom),
             PlotSamples::makeBlock(start, int(span / interval), interval, gapFrom, gapTo), c);
    f.plot->updateEvents(PlotSamples::makeEvents(start + span / 10, start + span / 3, 6));
    f.plot->setMarkerTimes(start - span, kNoon, start + span / 8, start + span * 3 / 8);
    f.plot->showMarkers();
    QApplication::processEvents();
    KivTest::saveShot(&f.window, QStringLiteral("customplot-") + tag());

    // Inside the gap no curve is drawn: the plot looks as without data there, unlike beside
    // the gap.
    const QImage withData = f.window.grab().toImage();
    f.update(start, span, ZoomLevel(zoom), new AgDataVector(zoom), c);
    const QImage withoutData = f.window.grab().toImage();
    auto differing = [&](int fromColumn, int toColumn) {
        int count = 0;
        for (int x = fromColumn; x <= toColumn; ++x) {
            for (int y = 0; y < 296; ++y)
                count += withData.pixel(x, y) != withoutData.pixel(x, y);
        }
        return count;
    };
    QCOMPARE(differing(530, 700), 0);
    QVERIFY(differing(420, 500) > 500);
}

KIV_TEST_MAIN(TestCustomPlot, QApplication)
#include "tst_customplot.moc"
