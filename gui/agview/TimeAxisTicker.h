#pragma once

#include "TickTimecode.h"

#include <qcustomplot.h>

#include <vector>

// The plot's time axis: ticks at whole multiples of a fixed step (in seconds), each
// labelled "yyyy.MM.dd hh:mm:ss" in UTC, followed by the time code that the samples gave
// the tick, when one is known.
class TimeAxisTicker : public QCPAxisTicker
{
public:
    TimeAxisTicker();
    ~TimeAxisTicker() override;

    void setTickStep(double seconds);
    double tickStep() const { return m_step; }

    // The ticks that the axis shows for the range.
    QVector<double> ticksFor(const QCPRange &range);

    // Forgets the suffixes of ticks that are no longer among these.
    void keepTimecodes(const QVector<double> &ticks);
    void setTimecode(qint64 key, const QString &text);
    // The suffix known for the tick, or empty.
    QString timecodeText(double tick) const;
    const std::vector<TickTimecode> &timecodes() const { return m_timecodes; }

    QString tickLabel(double tick) const;

protected:
    double getTickStep(const QCPRange &range) override;
    int getSubTickCount(double tickStep) override;
    QVector<QString> createLabelVector(const QVector<double> &ticks, const QLocale &locale,
                                       QChar formatChar, int precision) override;

private:
    double m_step = 5.0;
    std::vector<TickTimecode> m_timecodes;
};
