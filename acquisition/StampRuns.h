#pragma once

#include <QtGlobal>

#include <vector>

// The time stamps already counted of one audiogroup and cause, kept as runs of stamps no
// further apart than kJoinMs, so that a meter that sends the same refused samples again
// with every reply has each counted once. Bounded: beyond kMaxRuns runs the lowest goes.
class StampRuns
{
public:
    static constexpr qint64 kJoinMs = 1000;
    static constexpr std::size_t kMaxRuns = 64;

    // True when the stamp was not counted yet; it is counted from now on.
    bool add(qint64 stamp);
    std::size_t runCount() const { return m_runs.size(); }

private:
    struct Run
    {
        qint64 from;
        qint64 to;
    };
    // Sorted by stamp, apart by more than kJoinMs.
    std::vector<Run> m_runs;
};
