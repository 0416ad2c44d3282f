#include "AgGetDataCommandParam.h"

AgGetDataCommandParam::AgGetDataCommandParam(ZoomLevel zoomLevel, qint64 from, qint64 to,
                                             const ProgramRequest &programRequest)
    : m_zoomLevel(zoomLevel), m_from(from), m_to(to), m_programRequest(programRequest)
{
}

AgGetDataCommandParam::~AgGetDataCommandParam() = default;
