#pragma once

#include <QString>

// The time-code suffix of one time-axis tick: the tick's time in whole seconds since the
// epoch, and " (hh:mm:ss)" or empty.
struct TickTimecode
{
    qint64 key = 0;
    QString text;
};
