#pragma once

#include <AgEvent.h>
#include <Program.h>
#include <ProgramCalculationData.h>

#include <QtGlobal>

#include <vector>

class AgDataVector;

// An audiogroup controller's answer to a view data request. Owns its sample block until
// the view takes it.
class AgGetDataCommandReply
{
public:
    AgGetDataCommandReply(int status, int zoomLevel, qint64 from, qint64 to, qint64 oldest,
                          qint64 newest, AgDataVector *data, const Program &requestedProgram,
                          const ProgramCalculationData &calculationData,
                          const std::vector<AgEvent> &events, const std::vector<Program> &programs,
                          const Program &currentProgram);
    virtual ~AgGetDataCommandReply();
    AgGetDataCommandReply(const AgGetDataCommandReply &) = delete;
    AgGetDataCommandReply &operator=(const AgGetDataCommandReply &) = delete;

    // 0 success, -1 when a store read failed.
    int getStatus() const { return m_status; }
    int getZoomLevel() const { return m_zoomLevel; }
    qint64 getFrom() const { return m_from; }
    qint64 getTo() const { return m_to; }
    // Oldest and newest stored sample times.
    qint64 getOldest() const { return m_oldest; }
    qint64 getNewest() const { return m_newest; }

    // Still owned by the reply; may be null.
    AgDataVector *getData() const { return m_data; }
    // Stores the pointer without freeing the one held: setting null gives the block up to
    // whoever read it. takeData() does both at once.
    void setData(AgDataVector *data) { m_data = data; }
    AgDataVector *takeData();

    Program getRequestedProgram() const { return m_requestedProgram; }
    ProgramCalculationData getCalculationData() const { return m_calculationData; }
    std::vector<AgEvent> getEvents() const { return m_events; }
    std::vector<Program> &getPrograms() { return m_programs; }
    Program getCurrentProgram() const { return m_currentProgram; }

private:
    int m_status;
    int m_zoomLevel;
    qint64 m_from;
    qint64 m_to;
    qint64 m_oldest;
    qint64 m_newest;
    AgDataVector *m_data;
    Program m_requestedProgram;
    ProgramCalculationData m_calculationData;
    std::vector<AgEvent> m_events;
    std::vector<Program> m_programs;
    Program m_currentProgram;
};
