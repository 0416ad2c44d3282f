#include "NUVCustomPlotThreshold.h"

#include <KivUtils.h>

#include <QFontMetrics>
#include <QPaintEvent>
#include <QPainter>
#include <QPixmap>

#include <cmath>

namespace {

// Rows left to the time-axis labels under the plot.
constexpr int kAxisLabelRows = 31;
// Length of a scale tick, and the gap between a label's baseline and its tick.
constexpr int kTickLength = 5;
constexpr int kLabelLift = 3;

} // namespace

NUVCustomPlotThreshold::NUVCustomPlotThreshold(QWidget *parent, Qt::WindowFlags flags)
    : QLabel(parent, flags)
{
}

NUVCustomPlotThreshold::~NUVCustomPlotThreshold() = default;

void NUVCustomPlotThreshold::setPlotValue(PlotValue plotValue)
{
    m_plotValue = plotValue;
    if (plotValue == PlotValueTP) {
        m_scaleMin = plotValueDefaultScaleMin(PlotValueTP);
        m_scaleMax = plotValueDefaultScaleMax(PlotValueTP);
        m_scaleTop = plotValueScaleTop(PlotValueTP);
    }
    m_scaleStep = plotValueScaleStep(plotValue);
    redraw();
}

void NUVCustomPlotThreshold::setScaleRange(double min, double max)
{
    if ((min == 0.0 && max == 0.0) || m_plotValue == PlotValueTP)
        return;
    m_scaleMin = min;
    m_scaleMax = max;
    m_scaleTop = max;
}

void NUVCustomPlotThreshold::setMainThresholds(double lower, double upper)
{
    m_mainLower = lower;
    m_mainUpper = upper;
    redraw();
}

void NUVCustomPlotThreshold::setSecondaryThresholds(double lower, double upper)
{
    m_secondaryLower = lower;
    m_secondaryUpper = upper;
    redraw();
}

void NUVCustomPlotThreshold::setColor(const QColor &color)
{
    m_color = color;
    redraw();
}

void NUVCustomPlotThreshold::setScaleOnRight(bool right)
{
    m_scaleOnRight = right;
    redraw();
}

void NUVCustomPlotThreshold::setUnit(const QString &unit)
{
    m_unit = unit;
}

void NUVCustomPlotThreshold::setLabelsHidden(bool hidden)
{
    m_labelsHidden = hidden;
}

void NUVCustomPlotThreshold::resizeTo(int width, int height)
{
    resize(width, height);
    redraw();
}

double NUVCustomPlotThreshold::valueToRow(double value) const
{
    if (!(m_scaleMax > m_scaleMin))
        return -1.0;
    const double rows = height() - kAxisLabelRows;
    // A damaged configuration may hold any number; keep the row within what an int holds.
    const double row =
        qBound(-1.0e6, rows * (m_scaleMax - value) / (m_scaleMax - m_scaleMin), 1.0e6);
    return qRound(row);
}

void NUVCustomPlotThreshold::drawValueLine(QPainter &painter, double value)
{
    if (!std::isfinite(value))
        return;
    const int row = static_cast<int>(valueToRow(value));
    painter.drawLine(0, row, width(), row);
}

QPen NUVCustomPlotThreshold::mainPen() const
{
    return QPen(QBrush(m_color), 1, Qt::SolidLine, Qt::SquareCap);
}

QPen NUVCustomPlotThreshold::secondaryPen() const
{
    return QPen(QBrush(m_color), 1, Qt::DashLine, Qt::SquareCap);
}

void NUVCustomPlotThreshold::redraw()
{
    // Only a drawable scale replaces the picture shown; so does a label of no size, which
    // has no picture to paint on.
    if (!(m_scaleMax > m_scaleMin) || m_scaleStep == 0.0 || width() <= 0 || height() <= 0)
        return;
    const QString key = QStringLiteral("%1 %2 %3 %4 %5 %6 %7 %8 %9")
                            .arg(int(m_plotValue))
                            .arg(m_scaleMin, 0, 'g', 17)
                            .arg(m_scaleMax, 0, 'g', 17)
                            .arg(m_scaleTop, 0, 'g', 17)
                            .arg(m_scaleStep, 0, 'g', 17)
                            .arg(m_mainLower, 0, 'g', 17)
                            .arg(m_mainUpper, 0, 'g', 17)
                            .arg(m_secondaryLower, 0, 'g', 17)
                            .arg(m_secondaryUpper, 0, 'g', 17) +
                        QStringLiteral(" %1 %2 %3 %4x%5 %6 %7")
                            .arg(int(m_scaleOnRight))
                            .arg(m_color.name(QColor::HexArgb))
                            .arg(int(m_labelsHidden))
                            .arg(width())
                            .arg(height())
                            .arg(font().key(), m_unit);
    if (key == m_drawnKey)
        return;
    m_drawnKey = key;
    m_scaleLabels.clear();
    QPixmap pixmap(size());
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setFont(font());
    if (m_plotValue != 0) {
        drawThresholdLines(painter);
        if (!m_labelsHidden)
            drawScale(painter);
    }
    painter.end();
    m_inked.scan(pixmap);
    setPixmap(pixmap);
}

void NUVCustomPlotThreshold::paintEvent(QPaintEvent *event)
{
    if (!m_inked.paintLabel(this, event->rect()))
        QLabel::paintEvent(event);
}

QVector<NUVCustomPlotThreshold::ScaleMark> NUVCustomPlotThreshold::scaleMarks(int fontHeight) const
{
    QVector<ScaleMark> marks;
    if (!(m_scaleMax > m_scaleMin) || !(m_scaleStep > 0.0))
        return marks;
    for (double v = m_scaleMin; v < m_scaleMax; v += m_scaleStep) {
        if (v > m_scaleTop)
            break;
        const int row = static_cast<int>(valueToRow(v));
        const bool lastPass = v + m_scaleStep >= m_scaleMax;
        if (lastPass && row - 2 * kLabelLift - fontHeight <= 0) {
            marks.append(ScaleMark{row, QString()}); // no room for a label under the top edge
            break;
        }
        // The lowest label goes without its unit while there is room above it for the next.
        const bool valueOnly = v == m_scaleMin && v + m_scaleStep < m_scaleMax &&
                               (v + 2 * m_scaleStep < m_scaleMax ||
                                valueToRow(v + m_scaleStep) - fontHeight - 2 * kLabelLift > 0);
        const QString number = QStringLiteral("%1").arg(v);
        if (valueOnly)
            marks.append(ScaleMark{row, number});
        else if (m_scaleOnRight)
            marks.append(ScaleMark{row, QStringLiteral("%1 %2").arg(m_unit, number)});
        else
            marks.append(
                ScaleMark{row, QStringLiteral("%1 %2").arg(number, plotValueUnit(m_plotValue))});
    }
    return marks;
}

void NUVCustomPlotThreshold::drawScale(QPainter &painter)
{
    const QColor color = m_plotValue == PlotValueTP
                             ? QColor(255, 255, 255)
                             : QColor(m_color.red(), m_color.green(), m_color.blue(), 150);
    // The labels stand above the curves on a dark ground of their own (drawn by the plot),
    // in the value's colour at full strength, so that they read wherever the curves run.
    const QColor labelColour(color.red(), color.green(), color.blue());
    painter.setPen(QPen(QBrush(color), 1, Qt::SolidLine));
    const int x = m_scaleOnRight ? width() - 1 : 0;
    painter.drawLine(x, static_cast<int>(valueToRow(m_scaleMax)), x,
                     static_cast<int>(valueToRow(m_scaleMin)));

    const QFontMetrics metrics = painter.fontMetrics();
    for (const ScaleMark &mark : scaleMarks(metrics.height())) {
        // Ticks point into the plot; labels stand on them, on the plot's side.
        if (m_scaleOnRight)
            painter.drawLine(x - kTickLength, mark.row, x, mark.row);
        else
            painter.drawLine(x, mark.row, x + kTickLength, mark.row);
        if (mark.label.isEmpty())
            continue;
        const int left =
            m_scaleOnRight ? x - kTickLength - metrics.horizontalAdvance(mark.label) : kTickLength;
        m_scaleLabels.append({QPoint(left, mark.row - kLabelLift), mark.label, labelColour});
    }
}
