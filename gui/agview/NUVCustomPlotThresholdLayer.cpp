#include "NUVCustomPlotThresholdLayer.h"

#include "NUVCustomPlotRangeThreshold.h"
#include "NUVCustomPlotUpperThreshold.h"

#include <KivConstants.h>
#include <KivUtils.h>

#include <QGridLayout>
#include <QPaintEvent>
#include <QPainter>
#include <QPixmap>

#include <cmath>

namespace {

constexpr int kAxisLabelRows = 31;
// The default loudness range -18..10.5 in dB, which the grid divides.
constexpr double kDefaultRangeDb = 28.5;

} // namespace

NUVCustomPlotThresholdLayer::NUVCustomPlotThresholdLayer(QWidget *parent) : QLabel(parent)
{
    m_layout = new QGridLayout(this);
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(0);
    m_layout->setSizeConstraint(QLayout::SetNoConstraint);
}

NUVCustomPlotThresholdLayer::~NUVCustomPlotThresholdLayer() = default;

NUVCustomPlotThreshold *NUVCustomPlotThresholdLayer::threshold(int slot) const
{
    return slot >= 1 && slot <= 4 ? m_thresholds[slot - 1] : nullptr;
}

QVector<NUVPlotScaleLabels::Label> NUVCustomPlotThresholdLayer::scaleLabels() const
{
    QVector<NUVPlotScaleLabels::Label> labels;
    for (const NUVCustomPlotThreshold *widget : m_thresholds) {
        if (widget && !widget->areLabelsHidden())
            labels += widget->scaleLabels();
    }
    return labels;
}

void NUVCustomPlotThresholdLayer::publishScaleLabels()
{
    // Every plot update comes through here: only a change is passed on.
    QVector<NUVPlotScaleLabels::Label> labels = scaleLabels();
    if (labels == m_publishedLabels)
        return;
    m_publishedLabels = std::move(labels);
    emit scaleLabelsChanged(m_publishedLabels);
}

int NUVCustomPlotThresholdLayer::gridRow(int n) const
{
    const int h = height();
    if (h < kAxisLabelRows + 1 || !(m_gridStep > 0.0))
        return -1;
    const double d = h - kAxisLabelRows;
    return static_cast<int>(d - qRound(d * n * m_gridStep / kDefaultRangeDb));
}

void NUVCustomPlotThresholdLayer::drawGrid()
{
    if (height() <= kAxisLabelRows || !(m_gridStep > 0.0) || width() <= 0)
        return;
    QPixmap pixmap(size());
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setPen(KivConstants::penMidGrey().color());
    const int lines = static_cast<int>(std::floor(kDefaultRangeDb / m_gridStep));
    for (int i = 0; i <= lines; ++i) {
        const int row = gridRow(i);
        painter.drawLine(0, row, width(), row);
    }
    painter.end();
    m_inked.scan(pixmap);
    setPixmap(pixmap);
}

void NUVCustomPlotThresholdLayer::paintEvent(QPaintEvent *event)
{
    if (!m_inked.paintLabel(this, event->rect()))
        QLabel::paintEvent(event);
}

NUVCustomPlotThreshold *NUVCustomPlotThresholdLayer::createThreshold(PlotValue plotValue)
{
    NUVCustomPlotThreshold *widget = nullptr;
    switch (plotValue) {
    case PlotValueTP:
    case PlotValueM:
    case PlotValueS:
        widget = new NUVCustomPlotUpperThreshold(nullptr, Qt::WindowFlags());
        break;
    case PlotValueI:
        widget = new NUVCustomPlotRangeThreshold(nullptr, Qt::WindowFlags());
        break;
    default:
        return nullptr;
    }
    const QColor color = plotValueColor(plotValue);
    widget->setColor(QColor(color.red(), color.green(), color.blue(), 150));
    widget->setParent(this);
    widget->resize(width(), height());
    widget->setPlotValue(plotValue);
    return widget;
}

void NUVCustomPlotThresholdLayer::setPlotValues(PlotValue slot1, PlotValue slot2, PlotValue slot3,
                                                PlotValue slot4)
{
    const std::array<PlotValue, 4> values{slot1, slot2, slot3, slot4};
    for (int s = 0; s < 4; ++s) {
        if (values[s] == m_plotValues[s])
            continue;
        m_plotValues[s] = values[s];
        if (NUVCustomPlotThreshold *old = m_thresholds[s]) {
            m_layout->removeWidget(old);
            // Hidden at once: the picture must go with this update, not with the deletion.
            old->hide();
            old->deleteLater();
            m_thresholds[s] = nullptr;
        }
        NUVCustomPlotThreshold *widget = createThreshold(values[s]);
        if (!widget)
            continue;
        widget->setScaleOnRight(s != 0);
        m_layout->addWidget(widget, 0, 0);
        widget->show();
        m_thresholds[s] = widget;
    }
    publishScaleLabels();
}

void NUVCustomPlotThresholdLayer::setThresholds(PlotValue slot1, PlotValue slot2, PlotValue slot3,
                                                PlotValue slot4, const AgConfig &config)
{
    setPlotValues(slot1, slot2, slot3, slot4);
    // Thresholds are stored relative to the target; an absolute unit shifts them onto it.
    const double offset = config.loudnessThresholdOffset();

    if (slot1 != 0 && m_thresholds[0]) {
        m_thresholds[0]->setMainThresholds(config.getLowerThreshold(slot1),
                                           config.getUpperThreshold(slot1));
        m_thresholds[0]->setSecondaryThresholds(config.getLowerSecondaryThreshold(slot1),
                                                config.getUpperSecondaryThreshold(slot1));
    }
    bool scaleDrawn = false;
    for (int s = 1; s < 4; ++s) {
        const PlotValue p = m_plotValues[s];
        NUVCustomPlotThreshold *widget = m_thresholds[s];
        if (p == 0 || !widget)
            continue;
        // Scale first: the threshold setters redraw, and this update must show the scale
        // that goes with them.
        widget->setScaleRange(config.getLoudnessMinDb(), config.getLoudnessMaxDb());
        widget->setUnit(config.getLoudnessUnit());
        // Only the first plotted loudness value draws the right-hand scale.
        widget->setLabelsHidden(scaleDrawn);
        scaleDrawn = true;
        widget->setMainThresholds(config.getLowerThreshold(p) + offset,
                                  config.getUpperThreshold(p) + offset);
        widget->setSecondaryThresholds(config.getLowerSecondaryThreshold(p) + offset,
                                       config.getUpperSecondaryThreshold(p) + offset);
    }
    publishScaleLabels();
}

void NUVCustomPlotThresholdLayer::resizeEvent(QResizeEvent *)
{
    drawGrid();
    for (NUVCustomPlotThreshold *widget : m_thresholds) {
        if (widget)
            widget->resizeTo(width(), height());
    }
    publishScaleLabels();
}
