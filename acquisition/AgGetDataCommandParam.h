#pragma once

#include <Command.h>
#include <KivTypes.h>
#include <ProgramRequest.h>

// An audiogroup view's data request: samples of one zoom level in [from, to] and the
// program to compute.
class AgGetDataCommandParam : public CommandParameter
{
public:
    AgGetDataCommandParam(ZoomLevel zoomLevel, qint64 from, qint64 to,
                          const ProgramRequest &programRequest);
    ~AgGetDataCommandParam() override;

    ZoomLevel getZoomLevel() const { return m_zoomLevel; }
    qint64 getFrom() const { return m_from; }
    qint64 getTo() const { return m_to; }
    ProgramRequest getProgramRequest() const { return m_programRequest; }

private:
    ZoomLevel m_zoomLevel;
    qint64 m_from;
    qint64 m_to;
    ProgramRequest m_programRequest;
};
