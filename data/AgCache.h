#pragma once

#include "AgData.h"
#include "AgEvent.h"
#include "Program.h"

#include <QMap>
#include <QSet>

#include <deque>
#include <vector>

// The in-memory part of an audiogroup's store: newest and oldest timestamps, newest sample
// and recent rows per zoom level, the event rows and the programs they describe. Mirrors
// the file after each commit, so frequent questions never touch the file.
class AgCache
{
public:
    AgCache();
    virtual ~AgCache();

    void init(const QMap<int, qint64> &oldest, const std::vector<AgEvent> &events,
              const QMap<int, std::vector<AgData>> &rows);
    void addData(int level, const std::vector<AgData> &samples);
    void addEvents(const std::vector<AgEvent> &events);
    void removeProgram(const Program &program, const QMap<int, qint64> &oldest);

    qint64 getMaxTimestamp(int level) const;
    qint64 getMinTimestamp(int level) const;
    AgData getLastData(int level) const;
    std::vector<AgData> getRecentData(int level) const;
    std::vector<AgEvent> getAllEvents() const { return m_events; }
    std::vector<AgEvent> getEvents(qint64 from, qint64 to) const;
    // mode 0 the current program, 1 the program at (or after) a time; else a default one.
    Program getProgram(int mode, qint64 time) const;
    std::vector<Program> getPrograms() const;

    // The span of rows kept as recent for a level whose newest row is at newest.
    static qint64 recentSpanStart(int level, qint64 newest);

private:
    void updateCurrentProgram();
    void rebuildEventTimestamps();
    qint64 newestLevelZeroTimestamp() const;
    qint64 newestLevelZeroEvents() const;

    QMap<int, qint64> m_oldest;
    QMap<int, AgData> m_newest;
    std::vector<AgEvent> m_events;
    // In time order, one row a timestamp: what falls out of the span is a prefix, trimmed
    // without moving the rows that stay.
    QMap<int, std::deque<AgData>> m_recent;
    Program m_current;
    // Timestamps of m_events: a row written again under a known timestamp replaces its
    // cached copy, as it replaced the row in the file.
    QSet<qint64> m_eventTimestamps;
};
