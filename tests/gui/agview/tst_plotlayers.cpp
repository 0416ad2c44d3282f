// The layers around the curves: threshold lines and scales, the time scroll bar, the event
// icons.
#include <KivResources.h>
#include <KivTest.h>
#include <KivUtils.h>
#include <NUVCustomPlotRangeThreshold.h>
#include <NUVCustomPlotThresholdLayer.h>
#include <NUVCustomPlotUpperThreshold.h>
#include <NUVPlotEvents.h>
#include <NUVPlotScrollbar.h>
#include <PlotSamples.h>

#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QSignalSpy>

#include <qcustomplot.h>

#include <limits>

namespace {

constexpr qint64 kSliderSpan = std::numeric_limits<int>::max();
// 2024-03-01 12:00:00 UTC.
constexpr qint64 kNoon = 1709294400000;

using Slots = QVector<int>;
using EventList = QVector<QPair<qint64, qint64>>; // (ms after the start, event word)
using IconList = QVector<QPair<int, QString>>;    // (column, icon path)

void applyPlotValues(NUVCustomPlotThresholdLayer &layer, const Slots &values)
{
    layer.setPlotValues(PlotValue(values[0]), PlotValue(values[1]), PlotValue(values[2]),
                        PlotValue(values[3]));
}

void applyThresholds(NUVCustomPlotThresholdLayer &layer, const Slots &values,
                     const AgConfig &config)
{
    layer.setThresholds(PlotValue(values[0]), PlotValue(values[1]), PlotValue(values[2]),
                        PlotValue(values[3]), config);
}

// Rows of column x of a label's picture that are not transparent, top to bottom.
QVector<int> paintedRows(const QLabel *label, int x)
{
    const QImage image = label->pixmap(Qt::ReturnByValue).toImage();
    QVector<int> rows;
    for (int y = 0; y < image.height(); ++y) {
        if (qAlpha(image.pixel(x, y)) != 0)
            rows.append(y);
    }
    return rows;
}

// The shown icons of an event strip, in order: (column, icon path).
QVector<QPair<int, QString>> shownIcons(NUVPlotEvents &strip)
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    const QStringList paths{NUVPlotEvents::iconPath(2, 0), NUVPlotEvents::iconPath(1, 1),
                            NUVPlotEvents::iconPath(1, 2), NUVPlotEvents::iconPath(1, 4)};
    QVector<QPair<int, QString>> icons;
    for (int j = 0;; ++j) {
        auto *label = strip.drawArea()->findChild<QLabel *>(QStringLiteral("label%1").arg(j));
        if (!label)
            break;
        const QImage shown = label->pixmap(Qt::ReturnByValue).toImage();
        QString path;
        for (const QString &candidate : paths) {
            if (QImage(candidate).convertToFormat(shown.format()) == shown)
                path = candidate;
        }
        icons.append({label->x(), path});
        // Icons stand on the draw area's bottom edge.
        if (label->geometry().bottom() != strip.drawArea()->height() - 1 ||
            label->size() != QImage(path).size())
            icons.append({-1, QStringLiteral("misplaced")});
    }
    return icons;
}

} // namespace

class TestPlotLayers : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { initKivResources(); }

    void gridRows_data();
    void gridRows();
    void gridPainting();
    void thresholdOffsets_data();
    void thresholdOffsets();
    void rightScaleOwner_data();
    void rightScaleOwner();
    void scaleMarks_data();
    void scaleMarks();
    void slotWidgetsFollowPlotValues();

    void scrollMapping_data();
    void scrollMapping();
    void scrollReadBack_data();
    void scrollReadBack();
    void scrollUserActions();

    void eventGrouping_data();
    void eventGrouping();
    void eventsFollowResize();
};

void TestPlotLayers::gridRows_data()
{
    QTest::addColumn<int>("height");
    QTest::addColumn<QVector<int>>("rows");
    QTest::newRow("31 px: no plot area") << 31 << QVector<int>(10, -1);
    QTest::newRow("32 px: one row") << 32 << QVector<int>{1, 1, 1, 1, 1, 0, 0, 0, 0, 0};
    QTest::newRow("316 px") << 316 << QVector<int>{285, 255, 225, 195, 165, 135, 105, 75, 45, 15};
    QTest::newRow("327 px") << 327 << QVector<int>{296, 265, 234, 203, 171, 140, 109, 78, 47, 16};
}

void TestPlotLayers::gridRows()
{
    QFETCH(int, height);
    QFETCH(QVector<int>, rows);
    NUVCustomPlotThresholdLayer layer(nullptr);
    layer.resize(1024, height);
    QVector<int> actual;
    for (int n = 0; n < 10; ++n)
        actual.append(layer.gridRow(n));
    QCOMPARE(actual, rows);
}

void TestPlotLayers::gridPainting()
{
    NUVCustomPlotThresholdLayer layer(nullptr);
    layer.resize(1024, 31);
    layer.show();
    QVERIFY(QTest::qWaitForWindowExposed(&layer));
    QVERIFY(layer.pixmap(Qt::ReturnByValue).isNull());

    layer.resize(1024, 316);
    QTRY_COMPARE(layer.pixmap(Qt::ReturnByValue).size(), QSize(1024, 316));
    const QImage grid = layer.pixmap(Qt::ReturnByValue).toImage();
    QCOMPARE(paintedRows(&layer, 500),
             (QVector<int>{15, 45, 75, 105, 135, 165, 195, 225, 255, 285}));
    QCOMPARE(QColor(grid.pixel(1023, 285)), QColor(117, 117, 117));
}

void TestPlotLayers::thresholdOffsets_data()
{
    QTest::addColumn<QString>("unit");
    QTest::addColumn<int>("plotValue");
    QTest::addColumn<double>("mainUpper");
    QTest::addColumn<double>("mainLower");
    QTest::addColumn<double>("secondaryUpper");
    // Defaults: TP -3, M 8, S 3, I -1..1; the secondary set is changed to tell them apart.
    QTest::newRow("LU momentary") << "LU" << 2 << 8.0 << 0.0 << 5.0;
    QTest::newRow("LUFS momentary") << "LUFS" << 2 << -15.0 << -23.0 << -18.0;
    QTest::newRow("LKFS short-term") << "LKFS" << 3 << -20.0 << -23.0 << -18.0;
    QTest::newRow("LUFS integrated") << "LUFS" << 4 << -22.0 << -24.0 << -20.0;
    QTest::newRow("LU integrated") << "LU" << 4 << 1.0 << -1.0 << 3.0;
    QTest::newRow("LUFS true peak unshifted") << "LUFS" << 1 << -3.0 << 0.0 << -1.0;
}

void TestPlotLayers::thresholdOffsets()
{
    QFETCH(QString, unit);
    QFETCH(int, plotValue);
    QFETCH(double, mainUpper);
    QFETCH(double, mainLower);
    QFETCH(double, secondaryUpper);

    AgConfig config(QStringLiteral("Main"));
    config.setLoudnessUnit(unit);
    config.setTargetLoudness(-23.0);
    if (unit != QLatin1String("LU")) {
        config.setLoudnessMinDb(-41.0);
        config.setLoudnessMaxDb(-12.5);
    }
    config.setTPUpperSecondaryThreshold(-1.0);
    config.setMUpperSecondaryThreshold(5.0);
    config.setSUpperSecondaryThreshold(5.0);
    config.setIUpperSecondaryThreshold(3.0);

    NUVCustomPlotThresholdLayer layer(nullptr);
    layer.resize(1024, 327);
    layer.show();
    QVERIFY(QTest::qWaitForWindowExposed(&layer));
    Slots values{0, 0, 0, 0};
    values[plotValue - 1] = plotValue;
    applyThresholds(layer, values, config);

    NUVCustomPlotThreshold *widget = layer.threshold(plotValue);
    QVERIFY(widget);
    QCOMPARE(widget->getMainUpper(), mainUpper);
    QCOMPARE(widget->getMainLower(), mainLower);
    QCOMPARE(widget->getSecondaryUpper(), secondaryUpper);

    // The solid main upper line is the topmost line drawn in the middle of the plot, on the
    // scale that the curves use (true peak keeps its own).
    const double min = plotValue == 1 ? -18.0 : config.getLoudnessMinDb();
    const double max = plotValue == 1 ? 10.5 : config.getLoudnessMaxDb();
    const int expectedRow = qRound(296 * (max - qMax(mainUpper, secondaryUpper)) / (max - min));
    const QVector<int> rows = paintedRows(widget, 512);
    QVERIFY(!rows.isEmpty());
    QCOMPARE(rows.first(), expectedRow);
    QCOMPARE(rows.contains(qRound(296 * (max - mainUpper) / (max - min))), true);
}

void TestPlotLayers::rightScaleOwner_data()
{
    QTest::addColumn<Slots>("values");
    QTest::addColumn<QVector<bool>>("hidden");
    QTest::newRow("integrated only")
        << Slots{0, 0, 0, 4} << QVector<bool>{false, false, false, false};
    QTest::newRow("momentary and integrated")
        << Slots{0, 2, 0, 4} << QVector<bool>{false, false, false, true};
    QTest::newRow("all four") << Slots{1, 2, 3, 4} << QVector<bool>{false, false, true, true};
    QTest::newRow("short-term and integrated")
        << Slots{1, 0, 3, 4} << QVector<bool>{false, false, false, true};
}

void TestPlotLayers::rightScaleOwner()
{
    QFETCH(Slots, values);
    QFETCH(QVector<bool>, hidden);
    NUVCustomPlotThresholdLayer layer(nullptr);
    layer.resize(1024, 327);
    // A change of the selected values moves the scale within the same update.
    applyThresholds(layer, Slots{1, 2, 3, 4}, AgConfig(QStringLiteral("Main")));
    applyThresholds(layer, values, AgConfig(QStringLiteral("Main")));
    for (int slot = 1; slot <= 4; ++slot) {
        NUVCustomPlotThreshold *widget = layer.threshold(slot);
        QCOMPARE(widget != nullptr, values[slot - 1] != 0);
        if (!widget)
            continue;
        QCOMPARE(widget->areLabelsHidden(), hidden[slot - 1]);
        QCOMPARE(widget->isScaleOnRight(), slot != 1);
        // The picture shows the scale at once: its edge column is painted exactly when shown.
        const int edge = slot == 1 ? 0 : 1023;
        QCOMPARE(paintedRows(widget, edge).size() > 100, !hidden[slot - 1]);
    }
}

void TestPlotLayers::scaleMarks_data()
{
    QTest::addColumn<int>("plotValue");
    QTest::addColumn<QString>("unit");
    QTest::addColumn<double>("min");
    QTest::addColumn<double>("max");
    QTest::addColumn<int>("height");
    QTest::addColumn<QStringList>("labels");
    QTest::addColumn<QVector<int>>("rows");

    QTest::newRow("true peak, left") << 1 << "LU" << 0.0 << 0.0 << 327
                                     << QStringList{"-18",     "-15 dBTP", "-12 dBTP", "-9 dBTP",
                                                    "-6 dBTP", "-3 dBTP",  "0 dBTP",   "3 dBTP"}
                                     << QVector<int>{296, 265, 234, 203, 171, 140, 109, 78};
    QTest::newRow("LU, right; no room for 9")
        << 2 << "LU" << -18.0 << 10.5 << 327
        << QStringList{"-18",   "LU -15", "LU -12", "LU -9", "LU -6",
                       "LU -3", "LU 0",   "LU 3",   "LU 6",  ""}
        << QVector<int>{296, 265, 234, 203, 171, 140, 109, 78, 47, 16};
    QTest::newRow("LUFS, right") << 4 << "LUFS" << -41.0 << -12.5 << 327
                                 << QStringList{"-41",      "LUFS -38", "LUFS -35", "LUFS -32",
                                                "LUFS -29", "LUFS -26", "LUFS -23", "LUFS -20",
                                                "LUFS -17", ""}
                                 << QVector<int>{296, 265, 234, 203, 171, 140, 109, 78, 47, 16};
    QTest::newRow("two ticks, room for both labels")
        << 3 << "LU" << -18.0 << -12.0 << 327 << QStringList{"-18", "LU -15"}
        << QVector<int>{296, 148};
    // The second label would not fit, so the first carries the unit.
    QTest::newRow("two ticks, room for one label")
        << 3 << "LU" << -18.0 << -12.0 << 60 << QStringList{"LU -18", ""} << QVector<int>{29, 15};
}

void TestPlotLayers::scaleMarks()
{
    QFETCH(int, plotValue);
    QFETCH(QString, unit);
    QFETCH(double, min);
    QFETCH(double, max);
    QFETCH(int, height);
    QFETCH(QStringList, labels);
    QFETCH(QVector<int>, rows);

    NUVCustomPlotThresholdLayer layer(nullptr);
    layer.resize(1024, height);
    AgConfig config(QStringLiteral("Main"));
    config.setLoudnessUnit(unit);
    config.setLoudnessMinDb(min);
    config.setLoudnessMaxDb(max);
    Slots values{0, 0, 0, 0};
    values[plotValue - 1] = plotValue;
    applyThresholds(layer, values, config);

    const auto marks = layer.threshold(plotValue)->scaleMarks(15);
    QStringList actualLabels;
    QVector<int> actualRows;
    for (const auto &mark : marks) {
        actualLabels.append(mark.label);
        actualRows.append(mark.row);
    }
    QCOMPARE(actualLabels, labels);
    QCOMPARE(actualRows, rows);
}

void TestPlotLayers::slotWidgetsFollowPlotValues()
{
    NUVCustomPlotThresholdLayer layer(nullptr);
    layer.resize(1024, 327);
    applyPlotValues(layer, {0, 0, 0, 0});
    for (int slot = 1; slot <= 4; ++slot)
        QVERIFY(!layer.threshold(slot));

    applyPlotValues(layer, {1, 0, 0, 4});
    QPointer<NUVCustomPlotThreshold> truePeak = layer.threshold(1);
    QPointer<NUVCustomPlotThreshold> integrated = layer.threshold(4);
    QVERIFY(qobject_cast<NUVCustomPlotUpperThreshold *>(truePeak.data()));
    QVERIFY(qobject_cast<NUVCustomPlotRangeThreshold *>(integrated.data()));
    QCOMPARE(truePeak->getColor(), QColor(255, 255, 0, 150));
    QCOMPARE(integrated->getColor(), QColor(0, 255, 0, 150));
    QCOMPARE(truePeak->size(), layer.size());

    // The same values leave the widgets alone.
    applyPlotValues(layer, {1, 0, 0, 4});
    QCOMPARE(layer.threshold(1), truePeak.data());
    QCOMPARE(layer.threshold(4), integrated.data());

    // Deselecting removes a widget from the screen at once; a value outside 1..4 makes none.
    applyPlotValues(layer, {1, 2, 7, 0});
    QVERIFY(!layer.threshold(4));
    QVERIFY(integrated->isHidden());
    QVERIFY(!layer.threshold(3));
    QVERIFY(qobject_cast<NUVCustomPlotUpperThreshold *>(layer.threshold(2)));
    QCOMPARE(layer.threshold(1), truePeak.data());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(integrated.isNull());

    // A resize reaches every slot's widget.
    layer.show();
    QVERIFY(QTest::qWaitForWindowExposed(&layer));
    layer.resize(1300, 400);
    QCOMPARE(layer.threshold(2)->size(), QSize(1300, 400));
}

void TestPlotLayers::scrollMapping_data()
{
    QTest::addColumn<qint64>("minimum");
    QTest::addColumn<qint64>("maximum");
    QTest::addColumn<qint64>("value");
    QTest::addColumn<qint64>("pageStep");
    QTest::addColumn<qint64>("singleStep");
    QTest::addColumn<int>("sliderValue");
    QTest::addColumn<int>("sliderPage");
    QTest::addColumn<int>("sliderSingle");

    QTest::newRow("half of 100") << qint64(0) << qint64(100) << qint64(50) << qint64(10)
                                 << qint64(1) << 1073741824 << 214748364 << 21474836;
    QTest::newRow("72 days, at the end")
        << qint64(0) << qint64(6220800000) << qint64(6220800000) << qint64(3600000)
        << qint64(360000) << int(kSliderSpan) << 1242756 << 124275;
    QTest::newRow("beyond 2^31 ms, from a late minimum")
        << qint64(1700000000000) << qint64(1700000000000 + 4294967296)
        << qint64(1700000000000 + 1073741824) << qint64(30000) << qint64(3000) << 536870912 << 14999
        << 1499;
    QTest::newRow("page step beyond the range")
        << qint64(0) << qint64(5) << qint64(0) << qint64(10) << qint64(10) << 0 << int(kSliderSpan)
        << int(kSliderSpan);
    QTest::newRow("one-step range, upper end")
        << qint64(7) << qint64(8) << qint64(8) << qint64(1) << qint64(1) << int(kSliderSpan)
        << int(kSliderSpan) << int(kSliderSpan);
    QTest::newRow("value beyond the maximum")
        << qint64(0) << qint64(100) << qint64(1000000000000) << qint64(10) << qint64(1)
        << int(kSliderSpan) << 214748364 << 21474836;
    QTest::newRow("value below the minimum")
        << qint64(100) << qint64(200) << qint64(-5) << qint64(10) << qint64(1) << 0 << 214748364
        << 21474836;
    QTest::newRow("empty range") << qint64(50) << qint64(50) << qint64(50) << qint64(10)
                                 << qint64(1) << 0 << int(kSliderSpan) << int(kSliderSpan);
    QTest::newRow("inverted range") << qint64(100) << qint64(0) << qint64(50) << qint64(10)
                                    << qint64(1) << 0 << int(kSliderSpan) << int(kSliderSpan);
}

void TestPlotLayers::scrollMapping()
{
    QFETCH(qint64, minimum);
    QFETCH(qint64, maximum);
    QFETCH(qint64, value);
    QFETCH(qint64, pageStep);
    QFETCH(qint64, singleStep);
    QFETCH(int, sliderValue);
    QFETCH(int, sliderPage);
    QFETCH(int, sliderSingle);

    NUVPlotScrollbar bar(nullptr);
    QSignalSpy moved(&bar, &NUVPlotScrollbar::pageControlScrollbarValueChanged);
    // The order in which the window sets them.
    bar.setMinimum64(minimum);
    bar.setMaximum64(maximum);
    bar.setPageStep64(pageStep);
    bar.setSingleStep64(singleStep);
    bar.setValue64(value);
    QCOMPARE(bar.minimum(), 0);
    QCOMPARE(bar.maximum(), int(kSliderSpan));
    QCOMPARE(bar.value(), sliderValue);
    QCOMPARE(bar.pageStep(), sliderPage);
    QCOMPARE(bar.singleStep(), sliderSingle);
    QCOMPARE(moved.count(), 0);
}

void TestPlotLayers::scrollReadBack_data()
{
    QTest::addColumn<qint64>("minimum");
    QTest::addColumn<qint64>("maximum");
    QTest::addColumn<int>("position");
    QTest::addColumn<qint64>("value");
    QTest::newRow("middle of 100") << qint64(0) << qint64(100) << 1073741824 << qint64(50);
    QTest::newRow("start of 72 days") << qint64(0) << qint64(6220800000) << 0 << qint64(0);
    QTest::newRow("end of 72 days")
        << qint64(0) << qint64(6220800000) << int(kSliderSpan) << qint64(6220800000);
    QTest::newRow("end, late minimum")
        << qint64(1700000000000) << qint64(1700000000000 + 4294967296) << int(kSliderSpan)
        << qint64(1700000000000 + 4294967296);
    QTest::newRow("one-step range, below half")
        << qint64(7) << qint64(8) << 1073741823 << qint64(7);
    QTest::newRow("one-step range, half") << qint64(7) << qint64(8) << 1073741824 << qint64(8);
}

void TestPlotLayers::scrollReadBack()
{
    QFETCH(qint64, minimum);
    QFETCH(qint64, maximum);
    QFETCH(int, position);
    QFETCH(qint64, value);
    NUVPlotScrollbar bar(nullptr);
    bar.setMinimum64(minimum);
    bar.setMaximum64(maximum);
    bar.setSliderPosition(position);
    QCOMPARE(bar.sliderValue64(), value);
}

void TestPlotLayers::scrollUserActions()
{
    NUVPlotScrollbar bar(nullptr);
    bar.resize(1024, 30);
    bar.show();
    QVERIFY(QTest::qWaitForWindowExposed(&bar));
    const qint64 stored = qint64(30) * 24 * 3600 * 1000; // 30 days, beyond 2^31 ms
    bar.setMinimum64(0);
    bar.setMaximum64(stored + 1);
    bar.setPageStep64(3600000);
    bar.setSingleStep64(360000);
    bar.setValue64(stored / 2);
    QSignalSpy moved(&bar, &NUVPlotScrollbar::pageControlScrollbarValueChanged);

    // An arrow key is one single step of the 64-bit range, up to the slider's rounding.
    bar.setFocus();
    QTest::keyClick(&bar, Qt::Key_Right);
    QCOMPARE(moved.count(), 1);
    const qint64 afterStep = moved.last().at(0).toLongLong();
    QVERIFY2(qAbs(qAbs(afterStep - stored / 2) - 360000) < 2000,
             qPrintable(QString::number(afterStep)));
    QCOMPARE(bar.value64(), afterStep);

    // End goes to the stored maximum exactly; the slider mirrors the 64-bit value.
    QTest::keyClick(&bar, Qt::Key_End);
    QCOMPARE(moved.last().at(0).toLongLong(), stored + 1);
    QCOMPARE(bar.value(), int(kSliderSpan));
    QTest::keyClick(&bar, Qt::Key_Home);
    QCOMPARE(moved.last().at(0).toLongLong(), qint64(0));

    // A click in the groove pages.
    moved.clear();
    QTest::mouseClick(&bar, Qt::LeftButton, Qt::NoModifier, QPoint(900, 15));
    QCOMPARE(moved.count(), 1);
    QVERIFY(moved.last().at(0).toLongLong() > 0);
}

void TestPlotLayers::eventGrouping_data()
{
    // The strip is 1000 px wide over 100 s: 100 ms per pixel, so 19 px are 1900 ms.
    QTest::addColumn<EventList>("events");
    QTest::addColumn<IconList>("icons");
    const QString multi = NUVPlotEvents::iconPath(2, 0);
    const QString play = NUVPlotEvents::iconPath(1, 1);
    const QString stop = NUVPlotEvents::iconPath(1, 2);
    const QString reset = NUVPlotEvents::iconPath(1, 4);
    using Events = EventList;
    using Icons = IconList;

    QTest::newRow("one of each") << Events{{10000, 1}, {40000, 2}, {70000, 4}}
                                 << Icons{{100, play}, {400, stop}, {700, reset}};
    QTest::newRow("three plays 5 px apart")
        << Events{{10000, 1}, {10500, 1}, {11000, 1}} << Icons{{100, multi}};
    QTest::newRow("a fourth 25 px after the first")
        << Events{{10000, 1}, {10500, 1}, {11000, 1}, {12500, 2}}
        << Icons{{100, multi}, {125, stop}};
    QTest::newRow("19 px joins, 20 px opens")
        << Events{{10000, 2}, {11900, 4}, {13900, 1}} << Icons{{100, multi}, {139, play}};
    QTest::newRow("event word 3 neither drawn nor counted")
        << Events{{10000, 1}, {10200, 3}, {50000, 3}} << Icons{{100, play}};
    QTest::newRow("left of the strip and past its end")
        << Events{{-5000, 1}, {-100, 2}, {0, 4}, {100000, 2}, {100001, 1}}
        << Icons{{0, reset}, {1000, stop}};
}

// The strip over 100 s from noon, 1000 px wide and shown, so that its draw area is laid out.
struct EventStrip
{
    QCustomPlot plot;
    NUVPlotEvents strip{nullptr};

    explicit EventStrip(int width = 1000)
    {
        plot.xAxis->setRange(msToSeconds(kNoon), msToSeconds(kNoon + 100000));
        strip.resize(width, 320);
        strip.show();
    }
    void set(const EventList &events)
    {
        std::vector<AgEvent> list;
        for (const auto &event : events)
            list.push_back(PlotSamples::makeEvent(kNoon + event.first, event.second));
        strip.setEvents(list, plot.xAxis);
    }
};

void TestPlotLayers::eventGrouping()
{
    QFETCH(EventList, events);
    QFETCH(IconList, icons);
    EventStrip f;
    QVERIFY(QTest::qWaitForWindowExposed(&f.strip));
    f.set(events);
    QCOMPARE(f.strip.getMinTime(), kNoon);
    QCOMPARE(f.strip.getMaxTime(), kNoon + 100000);
    QCOMPARE(shownIcons(f.strip), icons);
    // A second layout replaces the icons instead of adding to them.
    f.set(events);
    QCOMPARE(shownIcons(f.strip), icons);
}

void TestPlotLayers::eventsFollowResize()
{
    EventStrip f;
    QVERIFY(QTest::qWaitForWindowExposed(&f.strip));
    f.set(EventList{{10000, 1}, {12500, 2}, {60000, 4}});
    QCOMPARE(shownIcons(f.strip), (IconList{{100, NUVPlotEvents::iconPath(1, 1)},
                                            {125, NUVPlotEvents::iconPath(1, 2)},
                                            {600, NUVPlotEvents::iconPath(1, 4)}}));

    // At half the width the first two lie 12 px apart and merge.
    f.strip.resize(500, 320);
    f.strip.onPlotResize(nullptr, f.plot.xAxis);
    QCOMPARE(shownIcons(f.strip),
             (IconList{{50, NUVPlotEvents::iconPath(2, 0)}, {300, NUVPlotEvents::iconPath(1, 4)}}));

    // A strip of no width shows nothing.
    f.strip.resize(0, 320);
    f.strip.onPlotResize(nullptr, f.plot.xAxis);
    QCOMPARE(shownIcons(f.strip), IconList{});
}

KIV_TEST_MAIN(TestPlotLayers, QApplication)
#include "tst_plotlayers.moc"
