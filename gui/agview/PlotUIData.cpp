#include "PlotUIData.h"

#include <AgDataVector.h>

#include <atomic>

struct PlotUIData::SampleBlockHandoff
{
    explicit SampleBlockHandoff(AgDataVector *data) : block(data) {}
    ~SampleBlockHandoff() { delete block.exchange(nullptr); }
    SampleBlockHandoff(const SampleBlockHandoff &) = delete;
    SampleBlockHandoff &operator=(const SampleBlockHandoff &) = delete;

    std::atomic<AgDataVector *> block;
};

PlotUIData::PlotUIData() = default;

PlotUIData::PlotUIData(bool liveMode, bool goingLive, bool markersMode, bool markersBothOn,
                       qint64 markerA, qint64 markerB, ZoomLevel zoomLevel, PlotValue plotValue1,
                       PlotValue plotValue2, PlotValue plotValue3, PlotValue plotValue4,
                       qint64 visibleStart, qint64 spanMs, qint64 oldestTime, qint64 newestTime,
                       qint64 scrollPosition, AgDataVector *sampleBlock, bool manualAcquisitionOn,
                       const InstrumentConfig &instrumentConfig, const AgConfig &agConfig,
                       const Program &program,
                       const ProgramCalculationData &programCalculationData,
                       std::vector<AgEvent> events, std::vector<Program> programs,
                       bool hideProgramId)
    : m_liveMode(liveMode), m_goingLive(goingLive), m_markersMode(markersMode),
      m_markersBothOn(markersBothOn), m_markerA(markerA), m_markerB(markerB),
      m_zoomLevel(zoomLevel), m_plotValue1(plotValue1), m_plotValue2(plotValue2),
      m_plotValue3(plotValue3), m_plotValue4(plotValue4), m_visibleStart(visibleStart),
      m_spanMs(spanMs), m_oldestTime(oldestTime), m_newestTime(newestTime),
      m_scrollPosition(scrollPosition),
      m_sampleBlock(sampleBlock ? std::make_shared<SampleBlockHandoff>(sampleBlock) : nullptr),
      m_manualAcquisitionOn(manualAcquisitionOn), m_instrumentConfig(instrumentConfig),
      m_agConfig(agConfig), m_program(program), m_programCalculationData(programCalculationData),
      m_events(std::make_shared<const std::vector<AgEvent>>(std::move(events))),
      m_programs(std::make_shared<const std::vector<Program>>(std::move(programs))),
      m_hideProgramId(hideProgramId)
{
}

PlotUIData::PlotUIData(const PlotUIData &other) = default;

PlotUIData &PlotUIData::operator=(const PlotUIData &other) = default;

PlotUIData::~PlotUIData() = default;

AgDataVector *PlotUIData::getSampleBlock() const
{
    return m_sampleBlock ? m_sampleBlock->block.load() : nullptr;
}

AgDataVector *PlotUIData::takeSampleBlock() const
{
    return m_sampleBlock ? m_sampleBlock->block.exchange(nullptr) : nullptr;
}

const std::vector<AgEvent> &PlotUIData::getEvents() const
{
    static const std::vector<AgEvent> none;
    return m_events ? *m_events : none;
}

const std::vector<Program> &PlotUIData::getPrograms() const
{
    static const std::vector<Program> none;
    return m_programs ? *m_programs : none;
}
