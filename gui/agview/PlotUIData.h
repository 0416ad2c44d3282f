#pragma once

#include <AgConfig.h>
#include <AgEvent.h>
#include <InstrumentConfig.h>
#include <KivTypes.h>
#include <Program.h>
#include <ProgramCalculationData.h>

#include <QMetaType>

#include <memory>
#include <vector>

class AgDataVector;

// One complete snapshot of an audiogroup window's state, sent by its controller every 50 ms
// through queued connections.
//
// The event and program lists are shared by all copies (they are never changed after the
// snapshot is made): each snapshot is copied into two queued events and by the program bar,
// 20 times a second, and the lists of a live view hold every stored program.
//
// The sample block travels with the snapshot: every copy shares it, the receiver that draws
// it calls takeSampleBlock() and owns it from then on. A block that no receiver takes (the
// snapshot reached no page, or its receiver was gone) is freed with the last copy.
class PlotUIData
{
public:
    PlotUIData();
    // Takes the sample block over (may be null).
    PlotUIData(bool liveMode, bool goingLive, bool markersMode, bool markersBothOn,
               qint64 markerA, qint64 markerB, ZoomLevel zoomLevel, PlotValue plotValue1,
               PlotValue plotValue2, PlotValue plotValue3, PlotValue plotValue4,
               qint64 visibleStart, qint64 spanMs, qint64 oldestTime, qint64 newestTime,
               qint64 scrollPosition, AgDataVector *sampleBlock, bool manualAcquisitionOn,
               const InstrumentConfig &instrumentConfig, const AgConfig &agConfig,
               const Program &program, const ProgramCalculationData &programCalculationData,
               std::vector<AgEvent> events, std::vector<Program> programs, bool hideProgramId);
    PlotUIData(const PlotUIData &other);
    PlotUIData &operator=(const PlotUIData &other);
    virtual ~PlotUIData();

    bool isLiveMode() const { return m_liveMode; }
    bool isGoingLive() const { return m_goingLive; }
    bool isMarkersMode() const { return m_markersMode; }
    bool isMarkersBothOn() const { return m_markersBothOn; }
    qint64 getMarkerA() const { return m_markerA; }
    qint64 getMarkerB() const { return m_markerB; }
    ZoomLevel getZoomLevel() const { return m_zoomLevel; }
    PlotValue getPlotValue1() const { return m_plotValue1; }
    PlotValue getPlotValue2() const { return m_plotValue2; }
    PlotValue getPlotValue3() const { return m_plotValue3; }
    PlotValue getPlotValue4() const { return m_plotValue4; }
    // Left edge and length of the shown span, ms.
    qint64 getVisibleStart() const { return m_visibleStart; }
    qint64 getSpanMs() const { return m_spanMs; }
    // Oldest and newest stored sample times; 0 before the store first answered.
    qint64 getOldestTime() const { return m_oldestTime; }
    qint64 getSecondTimestamp() const { return m_newestTime; }
    // Offset of the shown span's centre from the oldest time; -1 when not set.
    qint64 getScrollPosition() const { return m_scrollPosition; }
    // The block still waiting for its receiver, or null (no new data, or already taken).
    AgDataVector *getSampleBlock() const;
    // Hands the block over to the caller, for every copy of this snapshot; null when there is
    // none or another receiver took it.
    AgDataVector *takeSampleBlock() const;
    bool isManualAcquisitionOn() const { return m_manualAcquisitionOn; }
    InstrumentConfig getInstrumentConfig() const { return m_instrumentConfig; }
    AgConfig getAgConfig() const { return m_agConfig; }
    Program getProgram() const { return m_program; }
    ProgramCalculationData getProgramCalculationData() const { return m_programCalculationData; }
    const std::vector<AgEvent> &getEvents() const;
    const std::vector<Program> &getPrograms() const;
    bool isHideProgramId() const { return m_hideProgramId; }

private:
    struct SampleBlockHandoff;

    bool m_liveMode = false;
    bool m_goingLive = false;
    bool m_markersMode = false;
    bool m_markersBothOn = false;
    qint64 m_markerA = -1;
    qint64 m_markerB = -1;
    ZoomLevel m_zoomLevel = ZoomLevel30s;
    PlotValue m_plotValue1 = PlotValue(0);
    PlotValue m_plotValue2 = PlotValue(0);
    PlotValue m_plotValue3 = PlotValue(0);
    PlotValue m_plotValue4 = PlotValue(0);
    qint64 m_visibleStart = 0;
    qint64 m_spanMs = 0;
    qint64 m_oldestTime = 0;
    qint64 m_newestTime = 0;
    qint64 m_scrollPosition = -1;
    std::shared_ptr<SampleBlockHandoff> m_sampleBlock;
    bool m_manualAcquisitionOn = false;
    InstrumentConfig m_instrumentConfig;
    AgConfig m_agConfig;
    Program m_program;
    ProgramCalculationData m_programCalculationData;
    std::shared_ptr<const std::vector<AgEvent>> m_events;
    std::shared_ptr<const std::vector<Program>> m_programs;
    bool m_hideProgramId = false;
};

Q_DECLARE_METATYPE(PlotUIData)
