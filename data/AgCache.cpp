#include "AgCache.h"

#include "KivUtils.h"

#include <algorithm>

AgCache::AgCache() = default;

AgCache::~AgCache() = default;

qint64 AgCache::recentSpanStart(int level, qint64 newest)
{
    return newest - zoomLevelToMs(level) - 2000;
}

void AgCache::init(const QMap<int, qint64> &oldest, const std::vector<AgEvent> &events,
                   const QMap<int, std::vector<AgData>> &rows)
{
    m_oldest = oldest;
    m_newest.clear();
    m_recent.clear();
    for (auto it = rows.constBegin(); it != rows.constEnd(); ++it)
        addData(it.key(), it.value());
    m_events.clear();
    m_eventTimestamps.clear();
    addEvents(events);
}

void AgCache::addData(int level, const std::vector<AgData> &samples)
{
    if (samples.empty())
        return;
    const AgData *latest = &samples.front();
    qint64 earliest = latest->getTimestamp();
    for (const AgData &sample : samples) {
        // Of rows sharing a timestamp the file keeps the last written: so does the cache.
        if (sample.getTimestamp() >= latest->getTimestamp())
            latest = &sample;
        earliest = std::min(earliest, sample.getTimestamp());
    }
    auto newest = m_newest.find(level);
    if (newest == m_newest.end())
        newest = m_newest.insert(level, *latest);
    else if (latest->getTimestamp() >= newest->getTimestamp())
        *newest = *latest;
    if (m_oldest.value(level, 0) == 0)
        m_oldest.insert(level, earliest);

    // No held row is newer than the newest, so only the oldest leave the span.
    const qint64 spanEnd = newest->getTimestamp();
    const qint64 spanStart = recentSpanStart(level, spanEnd);
    std::deque<AgData> &recent = m_recent[level];
    while (!recent.empty() && recent.front().getTimestamp() < spanStart)
        recent.pop_front();
    for (const AgData &sample : samples) {
        const qint64 timestamp = sample.getTimestamp();
        if (timestamp < spanStart || timestamp > spanEnd)
            continue;
        // Rows arrive newest last; a timestamp already held replaces the held row.
        if (recent.empty() || timestamp > recent.back().getTimestamp()) {
            recent.push_back(sample);
            continue;
        }
        auto at = std::lower_bound(
            recent.begin(), recent.end(), timestamp,
            [](const AgData &row, qint64 stamp) { return row.getTimestamp() < stamp; });
        if (at != recent.end() && at->getTimestamp() == timestamp)
            *at = sample;
        else
            recent.insert(at, sample);
    }
}

void AgCache::addEvents(const std::vector<AgEvent> &events)
{
    for (const AgEvent &event : events) {
        if (m_eventTimestamps.contains(event.getTimestamp())) {
            auto same = std::find_if(m_events.begin(), m_events.end(), [&](const AgEvent &held) {
                return held.getTimestamp() == event.getTimestamp();
            });
            if (same != m_events.end()) {
                *same = event;
                continue;
            }
        }
        m_events.push_back(event);
        m_eventTimestamps.insert(event.getTimestamp());
    }
    updateCurrentProgram();
}

void AgCache::rebuildEventTimestamps()
{
    m_eventTimestamps.clear();
    for (const AgEvent &event : m_events)
        m_eventTimestamps.insert(event.getTimestamp());
}

qint64 AgCache::newestLevelZeroTimestamp() const
{
    return m_newest.value(0).getTimestamp();
}

qint64 AgCache::newestLevelZeroEvents() const
{
    return m_newest.value(0).getEvents();
}

void AgCache::updateCurrentProgram()
{
    Program current;
    current.setType(0);
    if (!m_events.empty()) {
        const AgEvent &last = m_events.back();
        current.setProgramId(last.getProgramId());
        current.setStart(last.getStartPgmTimestamp());
        for (const AgEvent &event : m_events) {
            if (event.getProgramId() == last.getProgramId()) {
                current.setStartWord(event.getEvents());
                break;
            }
        }
        current.setEnd(newestLevelZeroTimestamp());
        current.setEndWord(newestLevelZeroEvents());
    }
    m_current = current;
}

void AgCache::removeProgram(const Program &program, const QMap<int, qint64> &oldest)
{
    for (auto it = oldest.constBegin(); it != oldest.constEnd(); ++it)
        m_oldest.insert(it.key(), it.value());
    m_events.erase(std::remove_if(m_events.begin(), m_events.end(),
                                  [&](const AgEvent &event) {
                                      return event.getStartPgmTimestamp() == program.getStart() &&
                                             event.getProgramId() == program.getProgramId();
                                  }),
                   m_events.end());
    rebuildEventTimestamps();
}

qint64 AgCache::getMaxTimestamp(int level) const
{
    auto it = m_newest.constFind(level);
    return it == m_newest.constEnd() ? 0 : it->getTimestamp();
}

qint64 AgCache::getMinTimestamp(int level) const
{
    return m_oldest.value(level, 0);
}

AgData AgCache::getLastData(int level) const
{
    return m_newest.value(level);
}

std::vector<AgData> AgCache::getRecentData(int level) const
{
    auto it = m_recent.constFind(level);
    return it == m_recent.constEnd() ? std::vector<AgData>()
                                     : std::vector<AgData>(it->begin(), it->end());
}

std::vector<AgEvent> AgCache::getEvents(qint64 from, qint64 to) const
{
    std::vector<AgEvent> found;
    for (const AgEvent &event : m_events) {
        if (event.getTimestamp() > to)
            break;
        if (event.getTimestamp() >= from)
            found.push_back(event);
    }
    return found;
}

Program AgCache::getProgram(int mode, qint64 time) const
{
    if (mode == 0)
        return m_current;
    if (mode != 1)
        return Program();
    auto first = std::find_if(m_events.begin(), m_events.end(),
                              [&](const AgEvent &event) { return event.getTimestamp() >= time; });
    if (first == m_events.end()) {
        Program current = m_current;
        current.setType(1);
        return current;
    }
    auto other = std::find_if(first + 1, m_events.end(), [&](const AgEvent &event) {
        return event.getProgramId() != first->getProgramId();
    });
    if (other != m_events.end()) {
        const AgEvent &lastOfRun = *(other - 1);
        return Program(1, lastOfRun.getProgramId(), lastOfRun.getStartPgmTimestamp(),
                       lastOfRun.getTimestamp());
    }
    return Program(1, first->getProgramId(), first->getStartPgmTimestamp(),
                   newestLevelZeroTimestamp());
}

std::vector<Program> AgCache::getPrograms() const
{
    std::vector<Program> programs;
    size_t groupStart = 0;
    for (size_t i = 0; i < m_events.size(); ++i) {
        const AgEvent &head = m_events[groupStart];
        const bool lastOfGroup =
            i + 1 == m_events.size() ||
            m_events[i + 1].getStartPgmTimestamp() != head.getStartPgmTimestamp() ||
            m_events[i + 1].getProgramId() != head.getProgramId();
        if (!lastOfGroup)
            continue;
        Program program(1, head.getProgramId(), head.getStartPgmTimestamp(), 0);
        program.setStartWord(head.getEvents());
        if (i + 1 == m_events.size()) {
            // The open program runs up to the newest sample.
            program.setEnd(newestLevelZeroTimestamp());
            program.setEndWord(newestLevelZeroEvents());
        } else {
            program.setEnd(m_events[i].getTimestamp());
            program.setEndWord(m_events[i].getEvents());
        }
        programs.push_back(program);
        groupStart = i + 1;
    }
    return programs;
}
