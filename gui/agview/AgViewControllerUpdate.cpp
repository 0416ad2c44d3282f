// The controller's 50 ms update: the clock shown at the plot's right edge, the data
// requests and their replies, and the snapshot handed to the window.
#include "AgViewController.h"

#include "AgViewSystem.h"

#include <AAudioGroup.h>
#include <AgDataVector.h>
#include <AgGetDataCommandReply.h>
#include <KivUtils.h>
#include <ProgramRequest.h>
#include <SystemConfig.h>

#include <QMutexLocker>

#include <algorithm>
#include <memory>
#include <utility>

using AgViewSystem::currentSystemConfig;

qint64 AgViewController::spanMs() const
{
    return zoomLevelToMs(m_zoomLevel);
}

qint64 AgViewController::visibleStart(qint64 bufferMs) const
{
    return m_liveClock - spanMs() - (m_liveMode ? bufferMs : 0);
}

void AgViewController::onUpdateTimer()
{
    const SystemConfig config = currentSystemConfig();
    const qint64 buffer = config.getPlotLiveModeBuffer();
    DataRequest request{};
    bool requesting = false;
    {
        QMutexLocker lock(&m_mutex);
        if (!m_running) {
            m_timer.stop();
            return;
        }
        // While paused the clock stands still and nothing is asked, but the window still
        // gets its snapshot.
        if (!m_paused) {
            advanceClock();
            requesting = prepareRequest(buffer, &request);
        }
        const PlotUIData snapshot = takeSnapshot(buffer, config.getHideProgramId());
        if (m_activeScreen == ActiveScreenPlot)
            emit updateUi(snapshot);
        else if (m_activeScreen == ActiveScreenTable)
            emit updateTableView(snapshot, !m_liveMode);
    }
    if (requesting)
        post(request);
}

void AgViewController::advanceClock()
{
    const qint64 span = spanMs();
    if (m_liveMode) {
        if (m_liveClock - m_newestTime < kLiveLeadLimitMs) {
            const qint64 now = m_clock();
            m_liveClock += now - m_liveStopwatchStart;
            m_liveStopwatchStart = now;
        } else {
            // Data stopped coming: show the newest at the centre until newer data arrive.
            m_scrollPosition = std::max<qint64>(0, m_newestTime - span / 2 - m_oldestTime);
            m_liveMode = false;
            m_goingLive = true;
        }
    } else {
        m_liveClock = m_scrollPosition != -1 ? span / 2 + m_oldestTime + m_scrollPosition : 0;
    }
}

bool AgViewController::prepareRequest(qint64 bufferMs, DataRequest *request)
{
    const qint64 now = m_clock();
    if (now - m_requestClockStart < kRequestIntervalMs)
        return false;
    request->zoomLevel = m_zoomLevel;
    request->time = -1;
    request->markerStart = -1;
    request->markerEnd = -1;
    request->lastTime = -1;
    if (m_markers.isShown() && m_markers.areBothOn()) {
        request->programType = 2;
        request->markerStart = m_markers.markerA();
        request->markerEnd = m_markers.markerB();
    } else if (m_liveMode) {
        request->programType = 0;
        request->time = m_liveClock;
    } else {
        request->programType = 1;
        request->time = m_newestTime;
        request->lastTime = m_newestTime;
    }
    if (m_scrollPosition == -1) {
        // The first request only learns the stored limits.
        request->from = 0;
        request->to = 0;
    } else if (m_liveMode) {
        request->from = visibleStart(bufferMs);
        request->to = m_liveClock;
    } else {
        request->from = std::max(visibleStart(bufferMs),
                                 m_oldestTime - zoomLevelToSampleIntervalMs(m_zoomLevel));
        request->to = std::min(m_liveClock, m_newestTime);
    }
    m_requestClockStart = now;
    return true;
}

void AgViewController::post(const DataRequest &request) const
{
    if (AAudioGroup *audioGroup = findAudioGroup())
        audioGroup->requestAgData(request.zoomLevel, request.from, request.to,
                                  ProgramRequest(request.programType, request.time,
                                                 request.markerStart, request.markerEnd,
                                                 request.lastTime));
}

PlotUIData AgViewController::takeSnapshot(qint64 bufferMs, bool hideProgramId)
{
    std::vector<AgEvent> events;
    std::vector<Program> programs;
    if (m_liveMode) {
        events = m_events;
        programs = m_programs;
    } else {
        for (const AgEvent &event : m_events) {
            if (event.getTimestamp() >= m_oldestTime && event.getTimestamp() <= m_newestTime)
                events.push_back(event);
        }
        for (const Program &program : m_programs) {
            if (program.getStart() >= m_oldestTime && program.getEnd() <= m_newestTime)
                programs.push_back(program);
        }
    }
    AgDataVector *block = m_sampleBlock;
    // From here on the block belongs to the snapshot and whoever takes it from there.
    m_sampleBlock = nullptr;
    return PlotUIData(
        m_liveMode, m_goingLive, m_markers.isShown(), m_markers.areBothOn(), m_markers.markerA(),
        m_markers.markerB(), m_zoomLevel, PlotValue(m_plotValues[0]), PlotValue(m_plotValues[1]),
        PlotValue(m_plotValues[2]), PlotValue(m_plotValues[3]), visibleStart(bufferMs), spanMs(),
        m_oldestTime, m_newestTime, m_scrollPosition, block, m_manualAcquisitionOn,
        m_instrumentConfig, m_agConfig, m_requestedProgram, m_requestedProgramData,
        std::move(events), std::move(programs), hideProgramId);
}

void AgViewController::setDataReply(AgGetDataCommandReply *reply)
{
    const std::unique_ptr<AgGetDataCommandReply> owned(reply);
    if (!reply || reply->getStatus() != 0)
        return;
    const qint64 buffer = currentSystemConfig().getPlotLiveModeBuffer();
    QMutexLocker lock(&m_mutex);
    // An answer to a request made at a level since left.
    if (reply->getZoomLevel() != m_zoomLevel)
        return;
    releaseSampleBlock();
    m_sampleBlock = reply->takeData();
    m_events = reply->getEvents();
    // Also while frozen: MARKS marks the current program as it stands now.
    m_markers.noteStoredData(reply->getCurrentProgram(), reply->getOldest(), reply->getNewest(),
                             std::move(reply->getPrograms()));
    m_requestedProgram = reply->getRequestedProgram();
    m_requestedProgramData = reply->getCalculationData();

    const qint64 oldest = reply->getOldest();
    const qint64 newest = reply->getNewest();
    const qint64 span = spanMs();
    if (m_goingLive && newest > m_newestTime) {
        m_liveMode = true;
        m_goingLive = false;
        m_liveClock = newest - buffer;
        m_liveStopwatchStart = m_clock();
    }
    if (m_liveMode) {
        const bool positionWasUnset = m_scrollPosition == -1;
        m_programs = m_markers.latestPrograms();
        m_oldestTime = oldest;
        m_newestTime = newest;
        m_scrollPosition = std::max<qint64>(0, newest - span / 2 - buffer - oldest);
        if (positionWasUnset && oldest > 0 && newest > 0)
            m_liveClock = newest - buffer;
    } else if (m_scrollPosition == -1 && oldest > 0 && newest > 0) {
        // A frozen view learns its limits once and keeps them.
        m_oldestTime = oldest;
        m_newestTime = newest;
        m_programs = m_markers.latestPrograms();
        m_scrollPosition = std::max<qint64>(0, newest - oldest);
    }
    if (m_liveMode) {
        if (m_newestTime - m_liveClock >= kLiveLagLimitMs)
            m_liveClock = m_newestTime - buffer;
        if (m_liveClock - m_newestTime >= kLiveLeadLimitMs) {
            m_liveClock = m_newestTime;
            m_liveMode = false;
            m_goingLive = true;
        }
    }
}

void AgViewController::releaseSampleBlock()
{
    delete m_sampleBlock;
    m_sampleBlock = nullptr;
}

void AgViewController::resetViewState()
{
    m_programs.clear();
    m_markers.forgetStoredData();
    m_oldestTime = 0;
    m_newestTime = 0;
    m_scrollPosition = -1;
    m_liveClock = 0;
    m_requestClockStart = m_clock();
    m_liveStopwatchStart = m_requestClockStart;
    m_activeScreen = ActiveScreenPlot;
}
