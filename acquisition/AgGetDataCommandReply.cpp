#include "AgGetDataCommandReply.h"

#include <AgDataVector.h>

AgGetDataCommandReply::AgGetDataCommandReply(int status, int zoomLevel, qint64 from, qint64 to,
                                             qint64 oldest, qint64 newest, AgDataVector *data,
                                             const Program &requestedProgram,
                                             const ProgramCalculationData &calculationData,
                                             const std::vector<AgEvent> &events,
                                             const std::vector<Program> &programs,
                                             const Program &currentProgram)
    : m_status(status), m_zoomLevel(zoomLevel), m_from(from), m_to(to), m_oldest(oldest),
      m_newest(newest), m_data(data), m_requestedProgram(requestedProgram),
      m_calculationData(calculationData), m_events(events), m_programs(programs),
      m_currentProgram(currentProgram)
{
}

AgGetDataCommandReply::~AgGetDataCommandReply()
{
    delete m_data;
    m_data = nullptr;
}

AgDataVector *AgGetDataCommandReply::takeData()
{
    AgDataVector *data = m_data;
    m_data = nullptr;
    return data;
}
