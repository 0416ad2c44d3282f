// The momentary histogram: which bins become bars where, the value axis, and the grid
// picture under the bars.
#include <GuiShots.h>
#include <KivTest.h>
#include <KivUtils.h>
#include <NUVHistogramPlot.h>
#include <NUVHistogramPlotGrid.h>

#include <QApplication>

#include <qcustomplot.h>

namespace {

// The calculation's histogram: bins of 0.5 LU from -70 to 30.
constexpr double kFirstEdge = -70.0;
constexpr double kLastEdge = 30.0;
constexpr double kBinWidth = 0.5;
constexpr double kReference = -23.0;
constexpr int kBins = 200;

QList<double> zeroCounts()
{
    QList<double> counts;
    for (int i = 0; i < kBins; ++i)
        counts.append(0.0);
    return counts;
}

// The bin whose bar stands at the key (its lower edge plus 23).
int binAt(double key)
{
    return int((key + kReference - kFirstEdge) / kBinWidth);
}

using Bars = QMap<double, double>; // key -> count

Bars barsOf(const NUVHistogramPlot &plot)
{
    Bars bars;
    const auto data = plot.bars()->data();
    for (auto it = data->constBegin(); it != data->constEnd(); ++it)
        bars.insert(it->key, it->value);
    return bars;
}

// Columns of a row of the picture that are painted.
QVector<int> paintedColumns(const QImage &image, int y)
{
    QVector<int> columns;
    for (int x = 0; x < image.width(); ++x) {
        if (qAlpha(image.pixel(x, y)) != 0)
            columns.append(x);
    }
    return columns;
}

struct Histogram
{
    QWidget window;
    NUVHistogramPlot *plot = new NUVHistogramPlot(&window);

    explicit Histogram(int width = 512, int height = 130)
    {
        window.setStyleSheet(QStringLiteral("background-color: rgba(70, 70, 70, 255);"));
        window.resize(width, height);
        plot->setGeometry(0, 0, width, height);
        plot->initPlot();
        window.show();
    }
};

} // namespace

Q_DECLARE_METATYPE(Bars)

class TestHistogram : public QObject
{
    Q_OBJECT
private slots:
    // The desktop's usual text size, at which the scale keeps its margins of 30 px.
    void initTestCase() { QApplication::setFont(QFont(QStringLiteral("DejaVu Sans"), 9)); }

    void binsBecomeBarsInsideTheScale_data()
    {
        QTest::addColumn<QList<double>>("counts");
        QTest::addColumn<Bars>("expected"); // bars other than count 0
        QTest::addColumn<double>("valueTop");

        QList<double> edges = zeroCounts();
        edges[binAt(-18.0)] = 3.0;
        edges[binAt(9.0)] = 4.0;
        // Just outside: not shown and not counted toward the largest count.
        edges[binAt(-18.5)] = 50.0;
        edges[binAt(9.5)] = 60.0;
        QTest::newRow("scale ends") << edges << Bars{{-18.0, 3.0}, {9.0, 4.0}} << 4.4;

        QList<double> fraction = zeroCounts();
        fraction[binAt(-1.0)] = 7.9;
        fraction[binAt(0.5)] = 2.0;
        // The tallest bar is not clipped: the axis keeps the fraction.
        QTest::newRow("fractional largest count")
            << fraction << Bars{{-1.0, 7.9}, {0.5, 2.0}} << 8.69;

        QList<double> loud = zeroCounts();
        loud[binAt(-6.0)] = 1000.0;
        loud[0] = 9999.0;
        loud[kBins - 1] = 9999.0;
        QTest::newRow("far bins") << loud << Bars{{-6.0, 1000.0}} << 1100.0;
    }
    void binsBecomeBarsInsideTheScale()
    {
        QFETCH(QList<double>, counts);
        QFETCH(Bars, expected);
        QFETCH(double, valueTop);
        Histogram h;
        h.plot->onUpdateHistogram(counts, kFirstEdge, kLastEdge, kBinWidth, kReference);

        Bars shown = barsOf(*h.plot);
        // Every bin from -41 to -14 (lower edges) has its bar, zero or not.
        QCOMPARE(shown.size(), 55);
        QCOMPARE(shown.firstKey(), -18.0);
        QCOMPARE(shown.lastKey(), 9.0);
        for (auto it = shown.begin(); it != shown.end();) {
            if (it.value() == 0.0)
                it = shown.erase(it);
            else
                ++it;
        }
        QCOMPARE(shown, expected);
        QCOMPARE(h.plot->bars()->width(), 0.48);
        const QCPRange keys = h.plot->customPlot()->xAxis->range();
        QCOMPARE(keys.lower, -18.0);
        QCOMPARE(keys.upper, 9.0);
        const QCPRange values = h.plot->customPlot()->yAxis->range();
        QCOMPARE(values.lower, 0.0);
        QCOMPARE(values.upper, valueTop);
    }

    void newCountsReplaceTheOld()
    {
        Histogram h;
        QList<double> counts = zeroCounts();
        counts[binAt(0.0)] = 5.0;
        h.plot->onUpdateHistogram(counts, kFirstEdge, kLastEdge, kBinWidth, kReference);
        // As many bins, one count grown.
        counts[binAt(0.0)] = 7.0;
        h.plot->onUpdateHistogram(counts, kFirstEdge, kLastEdge, kBinWidth, kReference);
        QCOMPARE(barsOf(*h.plot).value(0.0), 7.0);
        h.plot->onUpdateHistogram({}, kFirstEdge, kLastEdge, kBinWidth, kReference);
        QVERIFY(barsOf(*h.plot).isEmpty());
        // A width of 0 keeps the bar width.
        h.plot->onUpdateHistogram({1.0}, -18.0, 0.0, 0.0, 0.0);
        QCOMPARE(barsOf(*h.plot), (Bars{{-18.0, 1.0}}));
        QCOMPARE(h.plot->bars()->width(), 0.48);
    }

    void gridColumns_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<double>("value");
        QTest::addColumn<double>("x");
        QTest::newRow("minimum") << 512 << -18.0 << 30.0;
        QTest::newRow("zero") << 512 << 0.0 << 331.0;      // 452 * 18 / 27 = 301.33
        QTest::newRow("rounded down") << 84 << -16.5 << 31.0; // 24 * 1.5 / 27 = 1.33
        QTest::newRow("half up") << 87 << -17.5 << 31.0;      // 27 * 0.5 / 27 = 0.5
        QTest::newRow("negative half up") << 87 << -18.5 << 30.0;
        QTest::newRow("maximum") << 512 << 9.0 << 482.0;
        QTest::newRow("60 px wide") << 60 << 9.0 << 30.0;
        QTest::newRow("narrower") << 40 << 9.0 << 10.0;
    }
    void gridColumns()
    {
        QFETCH(int, width);
        QFETCH(double, value);
        QFETCH(double, x);
        NUVHistogramPlotGrid grid;
        grid.setValueRange(-18.0, 9.0, 3.0);
        grid.resize(width, 100);
        QCOMPARE(grid.valueToX(value), x);
        grid.setValueRange(9.0, 9.0, 3.0);
        QCOMPARE(grid.valueToX(value), -1.0);
    }

    void gridPicture()
    {
        Histogram h;
        const QImage lines = h.plot->grid()->pixmap(Qt::ReturnByValue).toImage();
        const QImage picture = h.plot->texts()->pixmap(Qt::ReturnByValue).toImage();
        QCOMPARE(lines.size(), QSize(512, 130));
        // The texts only over the strip they take.
        QCOMPARE(picture.size(), QSize(512, h.plot->texts()->textsHeight()));
        // Nine lines, -18 to 6, over the whole height, in rgba(61, 61, 61, 200); none at 9.
        const QVector<int> columns = paintedColumns(lines, 100);
        QCOMPARE(columns, (QVector<int>{30, 80, 130, 181, 231, 281, 331, 382, 432}));
        QCOMPARE(paintedColumns(lines, 129), columns);
        QCOMPARE(lines.pixelColor(331, 129).rgba(), QColor(61, 61, 61, 200).rgba());

        // Labels end 5 px left of their column, on the baseline 10; "LU" starts 5 px right of
        // the last one, and the caption ends where "LU" ends, one line lower.
        const QFontMetrics metrics(h.plot->grid()->font());
        auto inked = [&picture](int x0, int x1, int y0, int y1) {
            for (int y = y0; y <= y1; ++y)
                for (int x = x0; x <= x1; ++x)
                    if (picture.pixelColor(x, y) == QColor(117, 117, 117) ||
                        (qAlpha(picture.pixel(x, y)) > 0 && picture.pixelColor(x, y).red() > 90))
                        return true;
            return false;
        };
        const int luEnd = 482 + 5 + metrics.horizontalAdvance(QStringLiteral("LU"));
        QVERIFY(inked(482 - 5 - metrics.horizontalAdvance(QStringLiteral("9")), 482 - 6, 0, 10));
        QVERIFY(!inked(482 - 4, 482 + 4, 0, 10));
        QVERIFY(inked(482 + 5, luEnd, 0, 10));
        const int captionBaseline = metrics.height() + 5 + 10;
        const int captionStart =
            luEnd - metrics.horizontalAdvance(QStringLiteral("Momentary Statistics"));
        QVERIFY(inked(captionStart, luEnd, captionBaseline - metrics.ascent(), captionBaseline));
        QVERIFY(!inked(luEnd + 2, 511, 0, picture.height() - 1));
        QVERIFY(!inked(0, captionStart - 2, captionBaseline - 2, captionBaseline));
        // A resize paints the grid again.
        h.plot->resize(300, 130);
        QCOMPARE(h.plot->grid()->pixmap(Qt::ReturnByValue).width(), 300);
        QCOMPARE(h.plot->texts()->pixmap(Qt::ReturnByValue).width(), 300);
    }

    // Tall bars from -3 to 9 LU: they stand under the strip of the labels and the caption,
    // which shows whole; also with larger text, which moves the scale's ends inward.
    void captionStandsAboveTheBars_data()
    {
        QTest::addColumn<int>("pointSize");
        QTest::newRow("usual text") << 9;
        QTest::newRow("150 % text") << 14;
    }
    void captionStandsAboveTheBars()
    {
        QFETCH(int, pointSize);
        Histogram h;
        h.window.setFont(QFont(QStringLiteral("DejaVu Sans"), pointSize));
        QList<double> counts = zeroCounts();
        for (double key = -3.0; key <= 9.0; key += kBinWidth)
            counts[binAt(key)] = 10.0;
        h.plot->onUpdateHistogram(counts, kFirstEdge, kLastEdge, kBinWidth, kReference);
        QTRY_COMPARE(h.plot->texts()->height(), h.plot->texts()->textsHeight());
        const QImage image = h.window.grab().toImage();
        KivTest::saveShot(&h.window, QStringLiteral("histogram-tallbars-%1pt").arg(pointSize));
        const NUVHistogramPlotGrid *texts = h.plot->texts();
        const QFontMetrics metrics(texts->font());
        const int strip = texts->textsHeight();
        const QColor bar(2, 254, 255);
        // No bar in the strip; the tall bars reach up to it.
        for (int y = 0; y < strip; ++y)
            for (int x = 0; x < image.width(); ++x)
                QVERIFY2(image.pixelColor(x, y) != bar, qPrintable(QStringLiteral("%1,%2").arg(x).arg(y)));
        QCOMPARE(image.pixelColor(int(texts->valueToX(6.0)), strip + 14), bar);
        // Every label, "LU" and the caption lie inside the picture, none cut at an edge.
        const int nine = int(texts->valueToX(9.0));
        const int luEnd = nine + 5 + metrics.horizontalAdvance(QStringLiteral("LU"));
        QVERIFY(luEnd < image.width());
        QVERIFY(int(texts->valueToX(-18.0)) - 5 - metrics.horizontalAdvance(QStringLiteral("-18")) >= 0);
        QVERIFY(texts->labelBaseline() + metrics.tightBoundingRect(QStringLiteral("-0123456789LU")).top() >= 0);
        const int captionStart =
            luEnd - metrics.horizontalAdvance(QStringLiteral("Momentary Statistics"));
        const int baseline = metrics.height() + 5 + texts->labelBaseline();
        auto textPixels = [&](int x0, int x1) {
            int count = 0;
            for (int y = baseline - metrics.ascent(); y <= baseline; ++y)
                for (int x = x0; x <= x1; ++x)
                    count += qAbs(image.pixelColor(x, y).red() - 117) < 12 &&
                             qAbs(image.pixelColor(x, y).blue() - 117) < 12;
            return count;
        };
        QVERIFY(textPixels(captionStart, captionStart + 8) > 3);
        QVERIFY(textPixels(luEnd - 20, luEnd) > 3);
    }

    void gridWithoutARangePaintsNothing_data()
    {
        QTest::addColumn<double>("minimum");
        QTest::addColumn<double>("maximum");
        QTest::addColumn<double>("step");
        QTest::newRow("empty range") << 9.0 << 9.0 << 3.0;
        QTest::newRow("no step") << -18.0 << 9.0 << 0.0;
        QTest::newRow("backward step") << -18.0 << 9.0 << -3.0;
    }
    void gridWithoutARangePaintsNothing()
    {
        QFETCH(double, minimum);
        QFETCH(double, maximum);
        QFETCH(double, step);
        NUVHistogramPlotGrid grid;
        grid.setValueRange(minimum, maximum, step);
        grid.resizeGrid(QSize(512, 130));
        QVERIFY(grid.pixmap(Qt::ReturnByValue).isNull());
    }

    void barsStandOnTheirGridColumns()
    {
        Histogram h;
        QList<double> counts = zeroCounts();
        const double keys[] = {-18.0, -12.0, 0.0, 6.0};
        for (double key : keys)
            counts[binAt(key)] = 10.0;
        counts[binAt(-3.0)] = 4.0;
        h.plot->onUpdateHistogram(counts, kFirstEdge, kLastEdge, kBinWidth, kReference);
        const QImage image = h.window.grab().toImage();
        KivTest::saveShot(&h.window, QStringLiteral("histogram"));
        const QColor bar(2, 254, 255);
        for (double key : keys) {
            const int column = int(h.plot->grid()->valueToX(key));
            QVERIFY2(image.pixelColor(column, 120) == bar, qPrintable(QString::number(key)));
            // 0.48 LU is about 8 px at this width.
            QVERIFY(image.pixelColor(column - 8, 120) != bar);
            QVERIFY(image.pixelColor(column + 8, 120) != bar);
        }
        // The axis reaches a tenth above the tallest bar, the bars stand under the texts:
        // a bar of 10 reaches near the strip, a bar of 4 stands 4/10 as high.
        const int strip = h.plot->texts()->textsHeight();
        auto top = [&](int column) {
            int y = 0;
            while (y < image.height() && image.pixelColor(column, y) != bar)
                ++y;
            return 129 - y + 1;
        };
        const int tall = top(int(h.plot->grid()->valueToX(0.0)));
        QVERIFY2(tall > 129 - strip - 12 && tall <= 130 - strip, qPrintable(QString::number(tall)));
        const int low = top(int(h.plot->grid()->valueToX(-3.0)));
        QVERIFY2(qAbs(low * 10 - tall * 4) <= 30, qPrintable(QString::number(low)));
    }
};

KIV_TEST_MAIN(TestHistogram, QApplication)
#include "tst_histogram.moc"
