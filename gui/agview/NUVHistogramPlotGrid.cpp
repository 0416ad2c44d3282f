#include "NUVHistogramPlotGrid.h"

#include <QPainter>
#include <QPixmap>
#include <QStyle>
#include <QStyleOption>

#include <algorithm>
#include <cmath>

namespace {

const QColor kGridColour(61, 61, 61, 200);
const QColor kLabelColour(117, 117, 117);

} // namespace

NUVHistogramPlotGrid::NUVHistogramPlotGrid(QWidget *parent, Qt::WindowFlags flags)
    : QLabel(parent, flags)
{
}

NUVHistogramPlotGrid::~NUVHistogramPlotGrid() = default;

void NUVHistogramPlotGrid::setValueRange(double minimum, double maximum, double step)
{
    m_minimum = minimum;
    m_maximum = maximum;
    m_step = step;
}

void NUVHistogramPlotGrid::resizeGrid(const QSize &size)
{
    resize(size);
    redrawGrid();
}

int NUVHistogramPlotGrid::textsHeight() const
{
    const QFontMetrics metrics(font());
    return metrics.height() + kCaptionLineSpacing + labelBaseline() + metrics.descent() + 1;
}

int NUVHistogramPlotGrid::labelBaseline() const
{
    const QFontMetrics metrics(font());
    const int inkAbove = -metrics.tightBoundingRect(QStringLiteral("-0123456789LU")).top();
    return std::max(kLabelBaseline, inkAbove);
}

namespace {

QString valueText(double value)
{
    return QStringLiteral("%1").arg(value, 0, 'g', -1, QLatin1Char(' '));
}

} // namespace

int NUVHistogramPlotGrid::leftMargin() const
{
    // The first label ends kLabelGap left of the first column.
    const QFontMetrics metrics(font());
    return std::max(kLeftMargin, kLabelGap + metrics.horizontalAdvance(valueText(m_minimum)) + 1);
}

int NUVHistogramPlotGrid::rightMargin() const
{
    const QFontMetrics metrics(font());
    return std::max(kRightMargin, kLabelGap + metrics.horizontalAdvance(QStringLiteral("LU")) + 1);
}

double NUVHistogramPlotGrid::valueToX(double value) const
{
    if (m_maximum <= m_minimum)
        return -1.0;
    const int left = leftMargin();
    const double x =
        (width() - left - rightMargin()) * (value - m_minimum) / (m_maximum - m_minimum);
    return std::floor(x + 0.5) + left;
}

void NUVHistogramPlotGrid::redrawGrid()
{
    QPixmap picture(size());
    picture.fill(Qt::transparent);
    if (!(m_maximum > m_minimum) || m_step == 0.0)
        return;
    // A negative step would never reach the maximum.
    if (m_step < 0.0)
        return;
    QPainter painter(&picture);
    QPen gridPen(kGridColour);
    gridPen.setCosmetic(true);
    painter.setPen(gridPen);
    for (double v = m_minimum; v < m_maximum && (m_parts & Lines); v += m_step) {
        const double x = valueToX(v);
        painter.drawLine(QPointF(x, 0), QPointF(x, height()));
    }
    if (m_parts & Texts)
        drawLabels(&painter);
    painter.end();
    setPixmap(picture);
}

void NUVHistogramPlotGrid::paintEvent(QPaintEvent *event)
{
    const QPixmap picture = pixmap(Qt::ReturnByValue);
    if (isEnabled() || picture.isNull() || hasScaledContents()) {
        QLabel::paintEvent(event);
        return;
    }
    QStyle *look = style();
    if (picture.cacheKey() != m_disabledLookOf || palette().cacheKey() != m_disabledLookPalette ||
        look != m_disabledLookStyle) {
        QStyleOption option;
        option.initFrom(this);
        m_disabledLook = look->generatedIconPixmap(QIcon::Disabled, picture, &option);
        m_disabledLookOf = picture.cacheKey();
        m_disabledLookPalette = palette().cacheKey();
        m_disabledLookStyle = look;
    }
    QPainter painter(this);
    drawFrame(&painter);
    const QRect area = contentsRect().adjusted(margin(), margin(), -margin(), -margin());
    look->drawItemPixmap(&painter, area, QStyle::visualAlignment(layoutDirection(), alignment()),
                         m_disabledLook);
}

void NUVHistogramPlotGrid::drawLabels(QPainter *painter)
{
    painter->setPen(QPen(QBrush(kLabelColour), 1.0, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin));
    painter->setFont(font());
    const QFontMetrics metrics(font());
    const int baseline = labelBaseline();
    for (double v = m_minimum; v <= m_maximum; v += m_step) {
        const int x = int(valueToX(v));
        const QString text = valueText(v);
        painter->drawText(QPoint(x - kLabelGap - metrics.horizontalAdvance(text), baseline), text);
        if (v + m_step > m_maximum) {
            const QString unit = QStringLiteral("LU");
            painter->drawText(QPoint(x + kLabelGap, baseline), unit);
            const int end = x + kLabelGap + metrics.horizontalAdvance(unit);
            const QString caption = QStringLiteral("Momentary Statistics");
            painter->drawText(QPoint(end - metrics.horizontalAdvance(caption),
                                     metrics.height() + kCaptionLineSpacing + baseline),
                              caption);
            break;
        }
    }
}
