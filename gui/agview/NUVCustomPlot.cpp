#include "NUVCustomPlot.h"

#include "FormHelpers.h"
#include "NUVCustomPlotThresholdLayer.h"
#include "NUVPlotEvents.h"
#include "NUVPlotScaleLabels.h"
#include "NUVSelector.h"
#include "TimeAxisTicker.h"

#include <AgDataVector.h>
#include <KivConstants.h>
#include <KivUtils.h>

#include <QFont>
#include <QGridLayout>
#include <QLabel>
#include <QPaintEvent>
#include <QPainter>
#include <QPixmap>
#include <QResizeEvent>
#include <QSpacerItem>
#include <QWheelEvent>

#include <qcustomplot.h>

#include <cmath>

namespace {

constexpr double kValueAxisTop = 150.0;

bool isPlotted(PlotValue value)
{
    return value >= PlotValueTP && value <= PlotValueI;
}

// A widget that paints all of its area, so that Qt paints nothing under it. A style sheet
// whose rule gives it a transparent background takes that mark away whenever it polishes
// the widget; it is given back.
template <class Base> class Opaque : public Base
{
public:
    explicit Opaque(QWidget *parent) : Base(parent) { mark(); }

protected:
    bool event(QEvent *event) override
    {
        const bool done = Base::event(event);
        if (event->type() == QEvent::Polish || event->type() == QEvent::StyleChange)
            mark();
        return done;
    }

private:
    void mark() { this->setAttribute(Qt::WA_OpaquePaintEvent); }
};

// The curve plot, opaque: each paint first lays down what the widgets under it show there
// (the window's backgrounds, the grid and the threshold lines), kept as one picture. The
// moving curves repaint the whole plot 20 times a second; a transparent plot would have
// every widget under it paint that area again each time.
class CurvePlot : public Opaque<QCustomPlot>
{
public:
    explicit CurvePlot(QWidget *parent) : Opaque<QCustomPlot>(parent) {}
    // What lies under the plot changed: the picture is taken again at the next paint. The
    // widgets under the plot are not painted on screen, so their own updates show nothing.
    void underlayChanged()
    {
        m_underlay = QPixmap();
        update();
    }

protected:
    void paintEvent(QPaintEvent *event) override
    {
        const QPoint place = mapTo(window(), QPoint());
        if (m_underlay.isNull() || place != m_underlayPlace ||
            m_underlay.devicePixelRatio() != devicePixelRatioF() ||
            m_underlay.size() != size() * devicePixelRatioF())
            takeUnderlay(place);
        {
            QPainter painter(this);
            painter.drawPixmap(
                event->rect(), m_underlay,
                QRectF(QPointF(event->rect().topLeft()) * m_underlay.devicePixelRatio(),
                       QSizeF(event->rect().size()) * m_underlay.devicePixelRatio()));
        }
        QCustomPlot::paintEvent(event);
    }
    void changeEvent(QEvent *event) override
    {
        if (event->type() == QEvent::StyleChange || event->type() == QEvent::PaletteChange)
            underlayChanged();
        Opaque<QCustomPlot>::changeEvent(event);
    }

private:
    // Paints, as the window would, each widget from the window down to the plot's parent
    // (its own background only) and the widgets under the plot among their children.
    void takeUnderlay(const QPoint &place)
    {
        const qreal ratio = devicePixelRatioF();
        QImage picture((QSizeF(size()) * ratio).toSize(), QImage::Format_RGB32);
        picture.setDevicePixelRatio(ratio);
        picture.fill(Qt::black);
        QPainter painter(&picture);
        QVector<QWidget *> chain;
        for (QWidget *widget = parentWidget(); widget; widget = widget->parentWidget()) {
            chain.prepend(widget);
            if (widget->isWindow())
                break;
        }
        // origin: the plot's top left corner in the widget's coordinates.
        const auto paintPart = [&](QWidget *widget, QPoint origin, QWidget::RenderFlags flags) {
            const QRect source = QRect(origin, size()) & widget->rect();
            if (!source.isEmpty())
                widget->render(&painter, source.topLeft() - origin, source, flags);
        };
        for (int i = 0; i < chain.size(); ++i) {
            QWidget *widget = chain[i];
            const QWidget *above = i + 1 < chain.size() ? chain[i + 1] : this;
            const QPoint origin = mapTo(widget, QPoint());
            paintPart(widget, origin,
                      widget->isWindow() ? QWidget::DrawWindowBackground : QWidget::RenderFlags());
            for (QObject *child : widget->children()) {
                if (child == above)
                    break;
                auto *under = qobject_cast<QWidget *>(child);
                if (under && !under->isHidden() && !under->isWindow() &&
                    under->geometry().intersects(QRect(origin, size())))
                    paintPart(under, origin - under->pos(), QWidget::DrawChildren);
            }
        }
        painter.end();
        m_underlay = QPixmap::fromImage(picture);
        m_underlayPlace = place;
    }

    QPixmap m_underlay;
    QPoint m_underlayPlace;
};

} // namespace

double NUVCustomPlot::sampleValue(const AgData &row, PlotValue value)
{
    switch (value) {
    case PlotValueTP:
        return row.getTP();
    case PlotValueM:
        return row.getM400ms();
    case PlotValueS:
        return row.getS();
    case PlotValueI:
        return row.getI();
    default:
        return 0.0;
    }
}

struct NUVCustomPlot::Form
{
    QGridLayout *gridLayout = nullptr;
    QWidget *thresholdsWrapper = nullptr;
    QGridLayout *plot2 = nullptr;
    NUVCustomPlotThresholdLayer *thresholdLayer = nullptr;
    QWidget *customPlotWrapper = nullptr;
    QGridLayout *plot = nullptr;
    CurvePlot *customPlot = nullptr;
    NUVPlotScaleLabels *scaleLabels = nullptr;
    NUVPlotEvents *plotEvents = nullptr;
    QWidget *pleaseWait = nullptr;
    QGridLayout *gridLayout_2 = nullptr;
    QWidget *pleaseWaitBackground = nullptr;
    QGridLayout *gridLayout_3 = nullptr;
    QLabel *pleaseWaitAlertTextLabel = nullptr;
    NUVSelector *selector = nullptr;
};

NUVCustomPlot::NUVCustomPlot(QWidget *parent) : QWidget(parent), m_form(std::make_unique<Form>())
{
    setupForm();
    m_form->pleaseWait->hide();
    connect(m_form->selector, &NUVSelector::markerPositionsChanged, this,
            &NUVCustomPlot::markersPositionChanged, Qt::DirectConnection);
    connect(m_form->selector, &NUVSelector::markerToggle, this, &NUVCustomPlot::markerToggle,
            Qt::DirectConnection);
    // Wheel and mouse events that the plot does not take go on to this widget.
    m_form->customPlot->setAttribute(Qt::WA_NoMousePropagation, false);
}

NUVCustomPlot::~NUVCustomPlot() = default;

void NUVCustomPlot::setupForm()
{
    if (objectName().isEmpty())
        setObjectName(QStringLiteral("NUVCustomPlot"));
    resize(1024, 327);
    setMinimumSize(0, 0);
    setSizePolicy(minimumExpanding(1));
    setStyleSheet(QStringLiteral("background-color: rgba(0,0,0,0);"));

    Form &f = *m_form;
    f.gridLayout = makeFormGrid(this, "gridLayout");

    f.thresholdsWrapper = new QWidget(this);
    f.thresholdsWrapper->setObjectName(QStringLiteral("thresholdsWrapper"));
    f.thresholdsWrapper->setSizePolicy(minimumExpanding(0));
    f.thresholdsWrapper->setStyleSheet(QString());
    f.plot2 = makeFormGrid(f.thresholdsWrapper, "plot2");
    f.thresholdLayer = new NUVCustomPlotThresholdLayer(f.thresholdsWrapper);
    f.thresholdLayer->setObjectName(QStringLiteral("thresholdLayer"));
    f.thresholdLayer->setMinimumSize(1024, 320);
    f.thresholdLayer->setMaximumSize(16777215, 16777215);
    f.thresholdLayer->setStyleSheet(QStringLiteral("background-color: rgba(0,0,0,0);"));
    f.plot2->addWidget(f.thresholdLayer, 0, 0);
    // Every layer must keep the whole cell: the spacers under them take no room.
    f.plot2->addItem(new QSpacerItem(0, 0, QSizePolicy::Minimum, QSizePolicy::Minimum), 1, 0);
    f.plot2->setRowStretch(0, 1);
    f.gridLayout->addWidget(f.thresholdsWrapper, 0, 0);

    // The plot fills its wrapper and paints all of it: nothing under them is painted again
    // when the curves move.
    f.customPlotWrapper = new Opaque<QWidget>(this);
    f.customPlotWrapper->setObjectName(QStringLiteral("customPlotWrapper"));
    f.customPlotWrapper->setSizePolicy(minimumExpanding(0));
    f.plot = makeFormGrid(f.customPlotWrapper, "plot");
    f.customPlot = new CurvePlot(f.customPlotWrapper);
    f.customPlot->setObjectName(QStringLiteral("customPlot"));
    f.customPlot->setSizePolicy(minimumExpanding(0));
    f.plot->addWidget(f.customPlot, 0, 0);
    f.plot->addItem(new QSpacerItem(0, 0, QSizePolicy::Minimum, QSizePolicy::Minimum), 1, 0);
    f.plot->setRowStretch(0, 1);
    f.gridLayout->addWidget(f.customPlotWrapper, 0, 0);

    // Above the curves, so that the scales' labels read wherever the curves run.
    f.scaleLabels = new NUVPlotScaleLabels(this);
    f.scaleLabels->setObjectName(QStringLiteral("scaleLabels"));
    f.gridLayout->addWidget(f.scaleLabels, 0, 0);
    connect(f.thresholdLayer, &NUVCustomPlotThresholdLayer::scaleLabelsChanged, f.scaleLabels,
            &NUVPlotScaleLabels::setLabels, Qt::DirectConnection);

    f.plotEvents = new NUVPlotEvents(this);
    f.plotEvents->setObjectName(QStringLiteral("plotEvents"));
    f.plotEvents->setMaximumSize(16777215, 16777215);
    f.plotEvents->setStyleSheet(QStringLiteral("background-color: rgba(0,0,0,0);"));
    f.gridLayout->addWidget(f.plotEvents, 0, 0);

    f.pleaseWait = new QWidget(this);
    f.pleaseWait->setObjectName(QStringLiteral("pleaseWait"));
    f.pleaseWait->setStyleSheet(QStringLiteral("background-color: rgba(0,0,0,0);"));
    f.gridLayout_2 = makeFormGrid(f.pleaseWait, "gridLayout_2", QLayout::SetDefaultConstraint);
    f.pleaseWaitBackground = new QWidget(f.pleaseWait);
    f.pleaseWaitBackground->setObjectName(QStringLiteral("pleaseWaitBackground"));
    f.pleaseWaitBackground->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    f.pleaseWaitBackground->setMinimumSize(428, 0);
    f.pleaseWaitBackground->setMaximumSize(428, 100);
    f.pleaseWaitBackground->setStyleSheet(
        QStringLiteral("background-color: rgba(0,0,0, 80);\nborder-radius: 10px;"));
    f.gridLayout_3 =
        makeFormGrid(f.pleaseWaitBackground, "gridLayout_3", QLayout::SetDefaultConstraint);
    f.pleaseWaitAlertTextLabel = new QLabel(f.pleaseWaitBackground);
    f.pleaseWaitAlertTextLabel->setObjectName(QStringLiteral("pleaseWaitAlertTextLabel"));
    f.pleaseWaitAlertTextLabel->setMinimumSize(320, 0);
    QFont font(QStringLiteral("Verdana"));
    font.setPointSize(11);
    f.pleaseWaitAlertTextLabel->setFont(font);
    f.pleaseWaitAlertTextLabel->setStyleSheet(
        QStringLiteral("background-color:rgba(0,0,0,0);\ncolor: #898989;"));
    f.pleaseWaitAlertTextLabel->setAlignment(Qt::AlignCenter);
    f.pleaseWaitAlertTextLabel->setWordWrap(true);
    f.gridLayout_3->addWidget(f.pleaseWaitAlertTextLabel, 0, 0);
    f.gridLayout_2->addWidget(f.pleaseWaitBackground, 0, 0);
    f.gridLayout->addWidget(f.pleaseWait, 0, 0);

    f.selector = new NUVSelector(this);
    f.selector->setObjectName(QStringLiteral("selector"));
    f.selector->setStyleSheet(QStringLiteral("background-color: rgba(0,0,0,0);"));
    // Laid out while hidden too, so that the first marker times after showing map onto the
    // plot's width.
    QSizePolicy selectorPolicy = f.selector->sizePolicy();
    selectorPolicy.setRetainSizeWhenHidden(true);
    f.selector->setSizePolicy(selectorPolicy);
    f.gridLayout->addWidget(f.selector, 0, 0);

    retranslateForm();
}

void NUVCustomPlot::retranslateForm()
{
    setWindowTitle(tr("Form"));
    m_form->pleaseWaitAlertTextLabel->setText(QString());
}

QCustomPlot *NUVCustomPlot::customPlot() const
{
    return m_form->customPlot;
}

QCPGraph *NUVCustomPlot::graph(int slot) const
{
    return slot >= 1 && slot <= 4 ? m_graphs[slot - 1] : nullptr;
}

NUVCustomPlotThresholdLayer *NUVCustomPlot::thresholdLayer() const
{
    return m_form->thresholdLayer;
}

NUVPlotScaleLabels *NUVCustomPlot::scaleLabels() const
{
    return m_form->scaleLabels;
}

NUVPlotEvents *NUVCustomPlot::plotEvents() const
{
    return m_form->plotEvents;
}

NUVSelector *NUVCustomPlot::selector() const
{
    return m_form->selector;
}

QWidget *NUVCustomPlot::pleaseWait() const
{
    return m_form->pleaseWait;
}

QLabel *NUVCustomPlot::pleaseWaitLabel() const
{
    return m_form->pleaseWaitAlertTextLabel;
}

TimeAxisTicker *NUVCustomPlot::timeTicker() const
{
    return m_ticker.data();
}

void NUVCustomPlot::initPlot()
{
    setupPlotStyle();
    createGraphs();
    m_form->selector->hide();
    m_form->customPlot->yAxis->setRangeLower(0.0);
    m_form->customPlot->yAxis->setRangeUpper(kValueAxisTop);
}

void NUVCustomPlot::setupPlotStyle()
{
    using namespace KivConstants;
    QCustomPlot *plot = m_form->customPlot;
    // The picture of what lies under the plot is its background.
    plot->setBackground(QBrush(Qt::NoBrush));
    // A replot redraws the plot's buffers at once but leaves the painting to the event loop,
    // where it joins the paints of the layers above it that moved with it.
    plot->setPlottingHint(QCP::phImmediateRefresh, false);
    // One buffer to draw and paint instead of two: nothing is drawn on the overlay.
    plot->layer(QStringLiteral("overlay"))->setMode(QCPLayer::lmLogical);

    // The loudness scales and the horizontal grid are the threshold layer's.
    QCPAxis *values = plot->yAxis;
    values->setVisible(false);
    values->setBasePen(penGrey());
    values->setTickPen(penGreyWide());
    values->setSubTickPen(penGreySecond());
    values->setNumberFormat(QStringLiteral("f"));
    values->setNumberPrecision(0);
    values->setScaleType(QCPAxis::stLinear);
    values->setTickLabelPadding(0);
    values->grid()->setPen(penMidGrey());
    values->setLabel(QString(84, QLatin1Char(' ')) + QStringLiteral("dBTP"));
    values->setLabelPadding(0);

    QCPAxis *time = plot->xAxis;
    time->setBasePen(penGrey());
    time->setTickPen(penMidGrey());
    time->setSubTickPen(penGreySecond());
    time->setTickLength(0, 0);
    time->setSubTickLength(0, 0);
    m_ticker = QSharedPointer<TimeAxisTicker>::create();
    m_ticker->setTickStep(zoomLevelToTickSeconds(ZoomLevel30s));
    time->setTicker(m_ticker);
    m_ticker->setAxis(time);
    time->setTickLabelPadding(0);
    time->setTickLabelColor(QColor(150, 150, 150));
    // Small enough that labels with a time code, a sixth of the plot apart, fit side by side
    // at the window's least width of 1024 pixels; where they would not, the ticker labels
    // fewer ticks.
    QFont labelFont(QStringLiteral("Verdana"));
    labelFont.setPointSize(7);
    time->setTickLabelFont(labelFont);
    time->grid()->setPen(penDarkGrey());

    plot->plotLayout()->setAutoMargins(QCP::msNone);
    plot->plotLayout()->setMargins(QMargins(-13, -13, -13, 12));
    // The curves must meet the threshold layer's rows and the selector's and event strip's
    // columns: values 150..0 on rows 0..h-31 and the time range on columns 0..w, whatever
    // margins the library would compute from its fonts.
    plot->axisRect()->setAutoMargins(QCP::msNone);
    plot->axisRect()->setMinimumMargins(QMargins(0, 0, 0, 0));
    plot->axisRect()->setMargins(QMargins(13, 14, 13, 18));
}

void NUVCustomPlot::createGraphs()
{
    QCustomPlot *plot = m_form->customPlot;
    // The legend is never shown: graphs in it would only be laid out at every replot.
    plot->setAutoAddPlottableToLegend(false);
    for (int k = 0; k < 4; ++k) {
        QCPGraph *graph = plot->addGraph(plot->xAxis, plot->yAxis);
        graph->setAntialiasedFill(true);
        graph->setPen(plotValuePen(k + 1));
        m_graphs[k] = graph;
    }
}

bool NUVCustomPlot::setTimeRange(qint64 startMs, int spanMs, ZoomLevel zoom, bool exact)
{
    if (zoom < 0 || zoom >= kZoomLevelCount)
        return false;
    QCPAxis *time = m_form->customPlot->xAxis;
    const double lower = msToSeconds(startMs);
    const double size = msToSeconds(qint64(spanMs));
    // Live, the window moves 50 ms a tick: at the long levels a small fraction of a pixel,
    // which draws the same picture. The plot follows once the shift reaches half a pixel.
    const int width = m_form->customPlot->axisRect()->width();
    const QCPRange shown = time->range();
    const double halfPixel = width > 0 ? 0.5 * size / width : 0.0;
    const bool sameColumns = !exact && std::abs(shown.lower - lower) < halfPixel &&
                             std::abs(shown.upper - (lower + size)) < halfPixel;
    if (!sameColumns)
        time->setRange(lower, size, Qt::AlignLeft);
    if (m_ticker)
        m_ticker->setTickStep(zoomLevelToTickSeconds(zoom));
    return true;
}

void NUVCustomPlot::updatePlot(PlotValue slot1, PlotValue slot2, PlotValue slot3, PlotValue slot4,
                               qint64 startMs, int spanMs, ZoomLevel zoom, AgDataVector *data,
                               InstrumentConfig, AgConfig config)
{
    const std::unique_ptr<AgDataVector> block(data);
    if (startMs == 0 || spanMs <= 0 || !m_ticker)
        return;
    const QCPRange shown = m_form->customPlot->xAxis->range();
    if (!setTimeRange(startMs, spanMs, zoom))
        return;
    const PlotDrawnInputs::Plotted plotted{slot1, slot2, slot3, slot4};
    if (m_drawn.thresholdsChanged(plotted, config)) {
        m_form->thresholdLayer->setThresholds(slot1, slot2, slot3, slot4, config);
        m_form->customPlot->underlayChanged();
    }
    // Most snapshots bring neither a new span nor new samples (a reply every 500 ms carries
    // the samples drawn before, unless the level's newest sample changed): the picture
    // stands as it is.
    if (m_form->customPlot->xAxis->range() == shown &&
        (!block || m_drawn.drawsTheSameCurves(plotted, zoom, config, *block)))
        return;

    // Time codes of ticks that left the window go; the others stay for updates without data.
    m_ticker->keepTimecodes(m_ticker->ticksFor(m_form->customPlot->xAxis->range()));
    if (block) {
        fillGraphs(plotted, *block, zoom, config);
        m_drawn.keepCurves(plotted, zoom, config, *block);
    }
    m_form->customPlot->replot();
}

void NUVCustomPlot::fillGraphs(const std::array<PlotValue, 4> &plotted, const AgDataVector &data,
                               ZoomLevel zoom, const AgConfig &config)
{
    const qint64 minGap = zoomLevelToMinSpanMs(zoom);
    const double min = config.getLoudnessMinDb();
    const double max = config.getLoudnessMaxDb();
    const QVector<double> ticks = m_ticker->ticksFor(m_form->customPlot->xAxis->range());

    std::array<QVector<double>, 4> keys;
    std::array<QVector<double>, 4> values;
    std::array<double, 4> gapValues{};
    for (int k = 0; k < 4; ++k) {
        if (!isPlotted(plotted[k]))
            continue;
        keys[k].reserve(data.size() + 16);
        values[k].reserve(data.size() + 16);
        // Below the visible range, so that the line leaves the plot across a gap. The value
        // under the default scale lies there for every scale; an absolute-unit scale could
        // put the shifted value inside the plot.
        const PlotValue p = plotted[k];
        const double m = plotValueDefaultScaleMin(p);
        const double v = m - std::abs(0.5 * m);
        gapValues[k] = scalePlotValue(v, p, min, max);
        if (!(gapValues[k] < 0.0))
            gapValues[k] = scalePlotValue(v, p, 0.0, 0.0);
    }

    bool sorted = true;
    int tick = 0;
    for (int i = 0; i < data.size(); ++i) {
        const AgData &row = data.at(i);
        const qint64 timestamp = row.getTimestamp();
        if (i > 0) {
            const qint64 previous = data.at(i - 1).getTimestamp();
            sorted = sorted && timestamp >= previous;
            if (timestamp - previous >= minGap) {
                for (int k = 0; k < 4; ++k) {
                    if (!isPlotted(plotted[k]))
                        continue;
                    keys[k].append(msToSeconds(previous + 1));
                    values[k].append(gapValues[k]);
                    keys[k].append(msToSeconds(timestamp - 1));
                    values[k].append(gapValues[k]);
                }
            }
        }
        const double key = msToSeconds(timestamp);
        for (int k = 0; k < 4; ++k) {
            if (!isPlotted(plotted[k]))
                continue;
            keys[k].append(key);
            values[k].append(scalePlotValue(sampleValue(row, plotted[k]), plotted[k], min, max));
        }
        // A tick takes the time code of the first sample at or after it, when that sample
        // lies within one gap length of it; ticks inside a gap keep what they had.
        while (tick < ticks.size() && timestamp >= qint64(ticks[tick]) * 1000) {
            const qint64 tickSeconds = qint64(ticks[tick]);
            if (timestamp - tickSeconds * 1000 < minGap) {
                const qint64 timecode = row.getTimecode();
                m_ticker->setTimecode(tickSeconds, timecode != 0 ? QStringLiteral(" (%1)").arg(
                                                                       formatTimecode(timecode))
                                                                 : QString());
            }
            ++tick;
        }
    }

    for (int k = 0; k < 4; ++k) {
        m_graphs[k]->setPen(plotValuePen(plotted[k]));
        m_graphs[k]->setData(keys[k], values[k], sorted);
    }
}

void NUVCustomPlot::resetPlot(PlotValue slot1, PlotValue slot2, PlotValue slot3, PlotValue slot4,
                              qint64 startMs, int spanMs, ZoomLevel zoom)
{
    m_form->thresholdLayer->setPlotValues(slot1, slot2, slot3, slot4);
    m_form->customPlot->underlayChanged();
    // New threshold widgets know no thresholds yet.
    m_drawn.forgetThresholds();
    setTimeRange(startMs, spanMs, zoom, true);
    for (QCPGraph *graph : m_graphs) {
        if (graph)
            graph->data()->clear();
    }
    m_drawn.forgetCurves();
    m_form->customPlot->replot();
}

void NUVCustomPlot::updateEvents(const std::vector<AgEvent> &events)
{
    QCustomPlot *plot = m_form->customPlot;
    if (plot && plot->xAxis)
        m_form->plotEvents->setEvents(events, plot->xAxis);
}

void NUVCustomPlot::setMarkerTimes(qint64 minTime, qint64 maxTime, qint64 timeA, qint64 timeB)
{
    QCustomPlot *plot = m_form->customPlot;
    if (plot && plot->xAxis)
        m_form->selector->setMarkerTimes(minTime, maxTime, timeA, timeB, plot->xAxis);
}

void NUVCustomPlot::showMarkers()
{
    m_form->selector->showMarkers();
}

void NUVCustomPlot::hideMarkers()
{
    m_form->selector->hide();
}

void NUVCustomPlot::showPleaseWait(const QString &text)
{
    m_form->pleaseWaitAlertTextLabel->setText(text);
    m_form->pleaseWait->show();
}

void NUVCustomPlot::hidePleaseWait()
{
    m_form->pleaseWait->hide();
}

void NUVCustomPlot::wheelEvent(QWheelEvent *event)
{
    emit scroll(event);
}

void NUVCustomPlot::resizeEvent(QResizeEvent *event)
{
    QCustomPlot *plot = m_form->customPlot;
    if (plot && plot->xAxis && event) {
        m_form->selector->resizeSelector(event, plot->xAxis);
        m_form->plotEvents->onPlotResize(event, plot->xAxis);
    }
    QWidget::resizeEvent(event);
}
