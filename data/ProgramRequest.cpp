#include "ProgramRequest.h"

ProgramRequest::ProgramRequest(int type, qint64 time, qint64 markerStart, qint64 markerEnd,
                               qint64 lastTime)
    : m_type(type), m_time(time), m_markerStart(markerStart), m_markerEnd(markerEnd),
      m_lastTime(lastTime)
{
}

ProgramRequest::~ProgramRequest() = default;
