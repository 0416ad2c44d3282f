#include "TimeAxisTicker.h"

#include <KivUtils.h>

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

QString TimeAxisTicker::tickLabel(double tick) const
{
    QString date;
    QString time;
    msToDateTimeStrings(static_cast<qint64>(tick * 1000.0), date, time);
    return QStringLiteral("%1 %2").arg(date, time) + timecodeText(tick);
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
    QVector<QString> labels;
    labels.reserve(ticks.size());
    for (double tick : ticks)
        labels.append(tickLabel(tick));
    return labels;
}
