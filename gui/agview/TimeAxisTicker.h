#pragma once

#include "TickTimecode.h"

#include <QFont>
#include <QHash>

#include <qcustomplot.h>

#include <vector>


// The plot's time axis: ticks at whole multiples of a fixed step (in seconds), labelled
// "hh:mm:ss" in UTC, with the date "yyyy.MM.dd " before it on the first label and where the
// day changes, and the time code that the samples gave the tick in brackets where it
// differs from the time. Where neighbouring labels would run into each other only every
// second, third, ... tick is labelled.
class TimeAxisTicker : public QCPAxisTicker
{
public:
    // Pixels kept free between two labels.
    static constexpr int kLabelGapPx = 12;

    TimeAxisTicker();
    ~TimeAxisTicker() override;

    // The axis whose width and label font decide which ticks are labelled.
    void setAxis(QCPAxis *axis) { m_axis = axis; }

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

    QString tickLabel(double tick, bool withDate = true) const;

    // Where the axis draws a time, and the columns that its labels must keep within.
    struct Scale
    {
        double lower = 0.0; // seconds at the origin
        double origin = 0.0;
        double pixelsPerSecond = 0.0;
        double left = 0.0;
        double right = 0.0;
        bool isKnown() const { return pixelsPerSecond > 0.0; }
        double column(double seconds) const { return origin + (seconds - lower) * pixelsPerSecond; }
    };
    // The labels of the ticks as the axis shows them at the scale; empty for a tick without
    // a label.
    QVector<QString> labelsFor(const QVector<double> &ticks, const Scale &scale,
                               const QFont &font) const;

protected:
    double getTickStep(const QCPRange &range) override;
    int getSubTickCount(double tickStep) override;
    QVector<QString> createLabelVector(const QVector<double> &ticks, const QLocale &locale,
                                       QChar formatChar, int precision) override;

private:
    // Every tick whose index (time / step) is a multiple of every and whose label the
    // plot's edges leave whole.
    QVector<QString> labelsEvery(const QVector<double> &ticks, int every, const Scale &scale,
                                 const QFont &font) const;
    Scale axisScale() const;
    // Texts and widths are kept: every replot of a live plot labels the same few ticks.
    struct DayAndTime
    {
        QString date;
        QString time;
    };
    static constexpr int kCacheLimit = 256;
    const DayAndTime &dayAndTime(double tick) const;
    int labelWidth(const QString &label, const QFont &font) const;

    QCPAxis *m_axis = nullptr;
    mutable QHash<qint64, DayAndTime> m_dayAndTimes;
    mutable QHash<QString, int> m_widths;
    mutable QFont m_widthsFont;
    double m_step = 5.0;
    std::vector<TickTimecode> m_timecodes;
};
