#include "NUVPlotScrollbar.h"

#include <QStyle>
#include <QStyleOptionSlider>

#include <cmath>
#include <limits>

namespace {

constexpr int kSliderSpan = std::numeric_limits<int>::max();

// A quantity on the slider's scale, kept within the slider's span before it becomes an int.
double clampToSlider(double value)
{
    return qBound(0.0, value, double(kSliderSpan));
}

} // namespace

NUVPlotScrollbar::NUVPlotScrollbar(QWidget *parent) : QScrollBar(Qt::Horizontal, parent)
{
    setRange(0, kSliderSpan);
    syncSlider();
    connect(this, &QAbstractSlider::actionTriggered, this, &NUVPlotScrollbar::onActionTriggered,
            Qt::DirectConnection);
}

NUVPlotScrollbar::~NUVPlotScrollbar() = default;

void NUVPlotScrollbar::setMinimum64(qint64 minimum)
{
    m_minimum64 = minimum;
    syncSlider();
}

void NUVPlotScrollbar::setMaximum64(qint64 maximum)
{
    m_maximum64 = maximum;
    syncSlider();
}

void NUVPlotScrollbar::setValue64(qint64 value)
{
    m_value64 = value;
    syncSlider();
}

void NUVPlotScrollbar::setPageStep64(qint64 step)
{
    m_pageStep64 = step;
    syncSlider();
}

void NUVPlotScrollbar::setSingleStep64(qint64 step)
{
    m_singleStep64 = step;
    syncSlider();
}

void NUVPlotScrollbar::restoreSliderRange()
{
    if (minimum() != 0 || maximum() != kSliderSpan)
        setRange(0, kSliderSpan);
}

void NUVPlotScrollbar::syncSlider()
{
    restoreSliderRange();
    if (m_maximum64 <= m_minimum64) {
        // Nothing to scroll: the handle fills the groove.
        setValue(0);
        setPageStep(kSliderSpan);
        setSingleStep(kSliderSpan);
        return;
    }
    const double range = double(m_maximum64) - double(m_minimum64);
    setPageStep(int(std::trunc(clampToSlider(double(m_pageStep64) * kSliderSpan / range))));
    setSingleStep(int(std::trunc(clampToSlider(double(m_singleStep64) * kSliderSpan / range))));
    setValue(
        qRound(clampToSlider((double(m_value64) - double(m_minimum64)) * kSliderSpan / range)));
}

QRect NUVPlotScrollbar::handleRect() const
{
    QStyleOptionSlider option;
    initStyleOption(&option);
    return style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, this);
}

int NUVPlotScrollbar::valueEnds() const
{
    return (value() == minimum() ? 1 : 0) | (value() == maximum() ? 2 : 0);
}

void NUVPlotScrollbar::sliderChange(SliderChange change)
{
    // A live window moves 50 ms a tick: over days of data a few slider units, a pixel of the
    // handle every few minutes. Nothing else drawn depends on the value.
    if (change != SliderOrientationChange && handleRect() == m_shownHandle &&
        valueEnds() == m_shownEnds)
        return;
    QScrollBar::sliderChange(change);
}

void NUVPlotScrollbar::paintEvent(QPaintEvent *event)
{
    m_shownHandle = handleRect();
    m_shownEnds = valueEnds();
    QScrollBar::paintEvent(event);
}

qint64 NUVPlotScrollbar::sliderValue64()
{
    restoreSliderRange();
    const double range = double(m_maximum64) - double(m_minimum64);
    if (!(range > 0.0))
        return m_minimum64;
    // Fraction first, so that the slider's end reads back exactly as the maximum.
    const double fraction =
        double(sliderPosition() - minimum()) / (double(maximum()) - double(minimum()));
    return m_minimum64 + qRound64(fraction * range);
}

void NUVPlotScrollbar::onActionTriggered(int)
{
    m_value64 = sliderValue64();
    syncSlider();
    emit pageControlScrollbarValueChanged(m_value64);
}
