#include "TimeAxisTicker.h"

#include <KivUtils.h>

#include <QFontMetrics>

#include <algorithm>

TimeAxisTicker::TimeAxisTicker() = default;

TimeAxisTicker::~TimeAxisTicker() = default;

void TimeAxisTicker::setTickStep(double seconds)
{
    if (seconds > 0.0)
        m_step = seconds;
}

QVector<double> TimeAxisTicker::ticksFor(const QCPRange &range)
{
    QVector<double> ticks = createTickVector(m_step, range);
    trimTicks(range, ticks, false);
    return ticks;
}

void TimeAxisTicker::keepTimecodes(const QVector<double> &ticks)
{
    m_timecodes.erase(std::remove_if(m_timecodes.begin(), m_timecodes.end(),
                                     [&ticks](const TickTimecode &entry) {
                                         return !ticks.contains(double(entry.key));
                                     }),
                      m_timecodes.end());
}

void TimeAxisTicker::setTimecode(qint64 key, const QString &text)
{
    for (TickTimecode &entry : m_timecodes) {
        if (entry.key == key) {
            entry.text = text;
            return;
        }
    }
    m_timecodes.push_back(TickTimecode{key, text});
}

QString TimeAxisTicker::timecodeText(double tick) const
{
    for (const TickTimecode &entry : m_timecodes) {
        if (double(entry.key) == tick)
            return entry.text;
    }
    return QString();
}

const TimeAxisTicker::DayAndTime &TimeAxisTicker::dayAndTime(double tick) const
{
    const qint64 ms = static_cast<qint64>(tick * 1000.0);
    auto found = m_dayAndTimes.constFind(ms);
    if (found != m_dayAndTimes.constEnd())
        return *found;
    // The ticks in view are few and stay for many replots.
    if (m_dayAndTimes.size() > kCacheLimit)
        m_dayAndTimes.clear();
    DayAndTime texts;
    msToDateTimeStrings(ms, texts.date, texts.time);
    return *m_dayAndTimes.insert(ms, texts);
}

int TimeAxisTicker::labelWidth(const QString &label, const QFont &font) const
{
    if (font != m_widthsFont || m_widths.size() > kCacheLimit) {
        m_widths.clear();
        m_widthsFont = font;
    }
    auto found = m_widths.constFind(label);
    if (found != m_widths.constEnd())
        return *found;
    return *m_widths.insert(label, QFontMetrics(font).horizontalAdvance(label));
}

QString TimeAxisTicker::tickLabel(double tick, bool withDate) const
{
    const DayAndTime &texts = dayAndTime(tick);
    const QString &date = texts.date;
    const QString &time = texts.time;
    QString timecode = timecodeText(tick);
    // A time code that says what the time says adds nothing.
    if (timecode == QStringLiteral(" (%1)").arg(time))
        timecode.clear();
    return withDate ? QStringLiteral("%1 %2").arg(date, time) + timecode : time + timecode;
}

QVector<QString> TimeAxisTicker::labelsEvery(const QVector<double> &ticks, int every,
                                             const Scale &scale, const QFont &font) const
{
    QVector<QString> labels(ticks.size());
    QString previousDate;
    bool any = false;
    for (int i = 0; i < ticks.size(); ++i) {
        // By the tick's own index, so that a scrolling view keeps its labels on the same ticks.
        if (qRound64(ticks[i] / m_step) % every != 0)
            continue;
        const QString date = dayAndTime(ticks[i]).date;
        const QString label = tickLabel(ticks[i], date != previousDate);
        // The axis does not draw a label that the plot's edge would cut; the date then goes
        // on the next one.
        if (scale.isKnown()) {
            const double centre = scale.column(ticks[i]);
            const double half = labelWidth(label, font) / 2.0;
            if (centre - half < scale.left || centre + half > scale.right)
                continue;
        }
        labels[i] = label;
        previousDate = date;
        any = true;
    }
    if (!any && !ticks.isEmpty())
        labels[0] = tickLabel(ticks[0], true);
    return labels;
}

QVector<QString> TimeAxisTicker::labelsFor(const QVector<double> &ticks, const Scale &scale,
                                           const QFont &font) const
{
    for (int every = 1;; ++every) {
        const QVector<QString> labels = labelsEvery(ticks, every, scale, font);
        if (every >= ticks.size() || !scale.isKnown())
            return labels;
        // Labels stand centred under their ticks.
        bool apart = true;
        int previous = -1;
        for (int i = 0; i < labels.size() && apart; ++i) {
            if (labels[i].isEmpty())
                continue;
            if (previous >= 0) {
                const double distance = (ticks[i] - ticks[previous]) * scale.pixelsPerSecond;
                const double needed =
                    (labelWidth(labels[previous], font) + labelWidth(labels[i], font)) / 2.0 +
                    kLabelGapPx;
                apart = distance >= needed;
            }
            previous = i;
        }
        if (apart)
            return labels;
    }
}

TimeAxisTicker::Scale TimeAxisTicker::axisScale() const
{
    Scale scale;
    if (!m_axis || !(m_axis->range().size() > 0.0))
        return scale;
    // The axis rectangle takes its new width only after the labels are made; the viewport
    // has it already when a resized plot replots.
    const QCustomPlot *plot = m_axis->parentPlot();
    const QRect viewport = plot->viewport();
    const QMargins outer = plot->plotLayout()->margins();
    const QMargins inner = m_axis->axisRect()->margins();
    const int origin = viewport.left() + outer.left() + inner.left();
    const int width =
        viewport.width() - outer.left() - outer.right() - inner.left() - inner.right();
    if (width <= 0)
        return scale;
    scale.lower = m_axis->range().lower;
    scale.origin = origin;
    scale.pixelsPerSecond = width / m_axis->range().size();
    scale.left = viewport.left();
    scale.right = viewport.right() + 1;
    return scale;
}

double TimeAxisTicker::getTickStep(const QCPRange &)
{
    return m_step;
}

int TimeAxisTicker::getSubTickCount(double)
{
    return 0;
}

QVector<QString> TimeAxisTicker::createLabelVector(const QVector<double> &ticks, const QLocale &,
                                                   QChar, int)
{
    return labelsFor(ticks, axisScale(), m_axis ? m_axis->tickLabelFont() : QFont());
}
