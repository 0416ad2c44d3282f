#include "PlotSamples.h"

#include <AgDataVector.h>

#include <QDateTime>

#include <cmath>

namespace PlotSamples {

qint64 bcdTimecode(int hours, int minutes, int seconds)
{
    const quint32 high = quint32(hours / 10) << 30 | quint32(hours % 10) << 26 |
                         quint32(minutes / 10) << 23 | quint32(minutes % 10) << 19 |
                         quint32(seconds / 10) << 16 | quint32(seconds % 10) << 12;
    return qint64(quint64(high) << 32);
}

AgDataVector *makeBlock(qint64 startMs, int count, qint64 intervalMs, qint64 gapFrom, qint64 gapTo)
{
    auto *block = new AgDataVector(0);
    block->reserve(count);
    double integrated = -6.0;
    for (int k = 0; k < count; ++k) {
        const qint64 t = startMs + k * intervalMs;
        if (t >= gapFrom && t < gapTo)
            continue;
        const double s = 1.5 * std::sin(k * 0.05) + 0.8 * std::sin(k * 0.011);
        const double m = s + 2.2 * std::sin(k * 0.37) + 0.9 * std::sin(k * 1.3);
        integrated += (s - integrated) * 0.02;
        AgData sample(QStringLiteral("Main"));
        sample.setEmpty(false);
        sample.setTimestamp(t);
        const QTime time = QDateTime::fromMSecsSinceEpoch(t, Qt::UTC).time();
        sample.setTimecode(bcdTimecode(time.hour(), time.minute(), time.second()));
        sample.setTP(m - 9.0 + 1.5 * std::sin(k * 0.9));
        sample.setM400ms(m);
        sample.setS(s);
        sample.setI(integrated);
        block->append(sample);
    }
    return block;
}

AgEvent makeEvent(qint64 timestamp, qint64 eventWord)
{
    AgEvent event(0, timestamp, timestamp, 1, eventWord, 0);
    event.setEmpty(false);
    return event;
}

std::vector<AgEvent> makeEvents(qint64 fromMs, qint64 toMs, int count)
{
    static const qint64 words[] = {1, 2, 4};
    std::vector<AgEvent> events;
    for (int k = 0; k < count; ++k)
        events.push_back(makeEvent(fromMs + (toMs - fromMs) * k / count, words[k % 3]));
    return events;
}

} // namespace PlotSamples
