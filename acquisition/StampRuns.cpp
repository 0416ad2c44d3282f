#include "StampRuns.h"

#include <algorithm>

bool StampRuns::add(qint64 stamp)
{
    // The first run that ends at or after the stamp, less the join distance.
    auto it = std::lower_bound(m_runs.begin(), m_runs.end(), stamp, [](const Run &run, qint64 s) {
        return run.to + kJoinMs < s;
    });
    if (it != m_runs.end() && it->from <= stamp && stamp <= it->to)
        return false;
    if (it != m_runs.end() && it->from - kJoinMs <= stamp) {
        // Joins this run, and the next one when the stamp bridges the two (the one before
        // ends further below than the join distance).
        it->from = std::min(it->from, stamp);
        it->to = std::max(it->to, stamp);
        const auto next = std::next(it);
        if (next != m_runs.end() && it->to + kJoinMs >= next->from) {
            it->to = std::max(it->to, next->to);
            m_runs.erase(next);
        }
        return true;
    }
    if (m_runs.size() >= kMaxRuns) {
        if (it == m_runs.begin())
            return true; // lower than every run kept: counted, not kept
        m_runs.erase(m_runs.begin());
        it = std::lower_bound(m_runs.begin(), m_runs.end(), stamp,
                              [](const Run &run, qint64 s) { return run.to + kJoinMs < s; });
    }
    m_runs.insert(it, Run{stamp, stamp});
    return true;
}
