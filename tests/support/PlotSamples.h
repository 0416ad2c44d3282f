#pragma once

#include <AgEvent.h>

#include <QtGlobal>

#include <vector>

class AgDataVector;

// Sample blocks and events as the store hands them to the plot, for tests and benchmarks.
namespace PlotSamples {

// The meter's time code for a time of day: BCD hh:mm:ss in the high 32 bits.
qint64 bcdTimecode(int hours, int minutes, int seconds);

// count samples from startMs, intervalMs apart, with programme-like loudness values (in LU,
// true peak in dBTP) and the time code of each sample's UTC time of day. Samples inside
// [gapFrom, gapTo) are left out.
AgDataVector *makeBlock(qint64 startMs, int count, qint64 intervalMs, qint64 gapFrom = 0,
                        qint64 gapTo = 0);

AgEvent makeEvent(qint64 timestamp, qint64 eventWord);
// count events spread evenly over [fromMs, toMs), cycling through the words 1, 2, 4.
std::vector<AgEvent> makeEvents(qint64 fromMs, qint64 toMs, int count);

} // namespace PlotSamples
