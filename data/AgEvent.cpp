#include "AgEvent.h"

AgEvent::AgEvent(qint64 timecode, qint64 timestamp, qint64 startPgmTimestamp, qint64 programId,
                 qint64 events, qint64 flags)
    : m_empty(false), m_timecode(timecode), m_timestamp(timestamp),
      m_startPgmTimestamp(startPgmTimestamp), m_programId(programId), m_flags(flags),
      m_events(events)
{
}

AgEvent::~AgEvent() = default;
