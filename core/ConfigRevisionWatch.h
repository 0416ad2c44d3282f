#pragma once

#include "ASystem.h"

#include <QElapsedTimer>

#include <limits>

// Tells a thread when to read its settings from the system configuration again: copying the
// whole configuration for every request or round cost more than the work. Where the system
// counts its changes, once per change; where it does not (revision 0), once refreshMs have
// passed since the last read (every time with 0).
class ConfigRevisionWatch
{
public:
    // True when the settings should be read now; the read is then taken as done at nowMs.
    bool needsRead(qint64 nowMs, qint64 refreshMs)
    {
        ASystem *system = ASystem::instance();
        const quint64 revision = system ? system->getSystemConfigRevision() : 0;
        const bool stale = revision != 0 ? revision != m_revision
                                         : m_readAt == kNever || nowMs - m_readAt >= refreshMs;
        if (stale) {
            m_revision = revision;
            m_readAt = nowMs;
        }
        return stale;
    }
    // The same on a monotonic clock of its own.
    bool needsRead(qint64 refreshMs)
    {
        static const QElapsedTimer clock = [] {
            QElapsedTimer timer;
            timer.start();
            return timer;
        }();
        return needsRead(clock.elapsed(), refreshMs);
    }

private:
    static constexpr qint64 kNever = std::numeric_limits<qint64>::min();
    quint64 m_revision = 0;
    qint64 m_readAt = kNever;
};
