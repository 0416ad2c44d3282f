#pragma once

#include <QMetaType>

// Which program a data request asks for. type: 0 the current live program, 1 the program
// at a time, 2 the span between the markers. Every value is -1 when unset.
class ProgramRequest
{
public:
    ProgramRequest() = default;
    ProgramRequest(int type, qint64 time, qint64 markerStart, qint64 markerEnd, qint64 lastTime);
    ProgramRequest(const ProgramRequest &other) = default;
    ProgramRequest &operator=(const ProgramRequest &other) = default;
    virtual ~ProgramRequest();

    int getType() const { return m_type; }
    void setType(int type) { m_type = type; }
    // The time (or program id) asked for.
    qint64 getTime() const { return m_time; }
    void setTime(qint64 time) { m_time = time; }
    qint64 getMarkerStart() const { return m_markerStart; }
    void setMarkerStart(qint64 time) { m_markerStart = time; }
    qint64 getMarkerEnd() const { return m_markerEnd; }
    void setMarkerEnd(qint64 time) { m_markerEnd = time; }
    qint64 getLastTime() const { return m_lastTime; }
    void setLastTime(qint64 time) { m_lastTime = time; }

private:
    int m_type = 0;
    qint64 m_time = -1;
    qint64 m_markerStart = -1;
    qint64 m_markerEnd = -1;
    qint64 m_lastTime = -1;
};

Q_DECLARE_METATYPE(ProgramRequest)
