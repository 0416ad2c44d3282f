#pragma once

#include <QMetaType>

// One row of the store's events table: a program start, stop or reset, or any sample that
// carried an event word. Event words: 1 start, 2 stop, 4 reset.
class AgEvent
{
public:
    AgEvent() = default;
    AgEvent(qint64 timecode, qint64 timestamp, qint64 startPgmTimestamp, qint64 programId,
            qint64 events, qint64 flags);
    AgEvent(const AgEvent &other) = default;
    AgEvent &operator=(const AgEvent &other) = default;
    virtual ~AgEvent();

    bool isEmpty() const { return m_empty; }
    void setEmpty(bool empty) { m_empty = empty; }
    qint64 getTimecode() const { return m_timecode; }
    void setTimecode(qint64 timecode) { m_timecode = timecode; }
    qint64 getTimestamp() const { return m_timestamp; }
    void setTimestamp(qint64 timestamp) { m_timestamp = timestamp; }
    qint64 getStartPgmTimestamp() const { return m_startPgmTimestamp; }
    void setStartPgmTimestamp(qint64 timestamp) { m_startPgmTimestamp = timestamp; }
    qint64 getProgramId() const { return m_programId; }
    void setProgramId(qint64 programId) { m_programId = programId; }
    qint64 getFlags() const { return m_flags; }
    void setFlags(qint64 flags) { m_flags = flags; }
    qint64 getEvents() const { return m_events; }
    void setEvents(qint64 events) { m_events = events; }

private:
    bool m_empty = true;
    qint64 m_timecode = 0;
    qint64 m_timestamp = 0;
    qint64 m_startPgmTimestamp = 0;
    qint64 m_programId = 0;
    qint64 m_flags = 0;
    qint64 m_events = 0;
};

Q_DECLARE_METATYPE(AgEvent)
