// The controller's answers to the user's actions in the window: live and freeze, zoom,
// scrolling, markers, go to time, the program bar and the page tabs.
#include "AgViewController.h"

#include "AgViewSystem.h"

#include <AGoToTimeView.h>
#include <ASystem.h>
#include <KivUtils.h>
#include <SystemConfig.h>

#include <QMutexLocker>

#include <algorithm>

using AgViewSystem::currentSystemConfig;
using AgViewSystem::showAlert;

void AgViewController::setLiveMode(bool on, qint64 bufferMs)
{
    if (on) {
        m_markers.hide();
        if (m_scrollPosition != -1)
            m_scrollPosition =
                std::max<qint64>(0, m_newestTime - spanMs() / 2 - m_oldestTime - bufferMs);
        m_liveClock = m_newestTime - bufferMs;
        m_liveStopwatchStart = m_clock();
        m_liveMode = true;
        m_goingLive = false;
    } else {
        // Frozen with the newest data in the middle.
        m_scrollPosition = std::max<qint64>(0, m_newestTime - m_oldestTime);
        m_liveMode = false;
        m_goingLive = false;
    }
}

void AgViewController::onStartPauseClick(bool run)
{
    const qint64 buffer = currentSystemConfig().getPlotLiveModeBuffer();
    {
        QMutexLocker lock(&m_mutex);
        if (m_agConfig.getImported()) {
            // Nothing comes in: the button only shows the newest stored data.
            m_scrollPosition = std::max<qint64>(0, m_newestTime - m_oldestTime);
            m_liveMode = false;
            m_goingLive = false;
            return;
        }
        if (mayGoLive()) {
            setLiveMode(run, buffer);
            return;
        }
    }
    emit setStartAcquisitionConfirmationText(
        tr("Are you sure you want to start acquisition for the current device?"), tr("Yes"),
        tr("No"));
    emit showStartAcquisitionConfirmation();
}

void AgViewController::onPlotValueSelect(bool selected, PlotValue value)
{
    if (value < PlotValueTP || value > PlotValueI)
        return;
    QMutexLocker lock(&m_mutex);
    m_plotValues[value - 1] = selected ? value : 0;
}

void AgViewController::onHorizontalScrollbarSliderPositionChanged(qlonglong position)
{
    QMutexLocker lock(&m_mutex);
    m_scrollPosition = position;
    m_liveMode = false;
    m_goingLive = false;
}

void AgViewController::onZoomChange(ZoomLevel level)
{
    if (!isZoomLevel(level))
        return;
    const qint64 buffer = currentSystemConfig().getPlotLiveModeBuffer();
    QMutexLocker lock(&m_mutex);
    changeZoomLevel(level, buffer);
}

void AgViewController::changeZoomLevel(ZoomLevel level, qint64 bufferMs)
{
    m_zoomLevel = level;
    // Samples of the old level must not reach the plot of the new one.
    releaseSampleBlock();
    emit resetPlot(PlotValue(m_plotValues[0]), PlotValue(m_plotValues[1]),
                   PlotValue(m_plotValues[2]), PlotValue(m_plotValues[3]),
                   visibleStart(bufferMs), static_cast<int>(spanMs()), m_zoomLevel);
}

void AgViewController::onMarkersOnOffClick(bool on)
{
    const SystemConfig config = currentSystemConfig();
    QMutexLocker lock(&m_mutex);
    if (!on) {
        m_markers.hide();
        return;
    }
    m_liveMode = false;
    m_goingLive = false;
    // A frozen view holds the limits of the moment it froze, and the current program may
    // have run on since: the view takes the stored data as the latest answer gave them.
    if (m_markers.knowsStoredData()) {
        m_oldestTime = m_markers.latestOldest();
        m_newestTime = m_markers.latestNewest();
        m_programs = m_markers.latestPrograms();
    }
    const AgViewMarkers::Placement placement = m_markers.markCurrentProgram(
        m_oldestTime, m_newestTime, m_zoomLevel, config.getRangeSettings());
    m_scrollPosition = std::max<qint64>(0, std::min(placement.centre, m_newestTime) - m_oldestTime);
    if (placement.level != m_zoomLevel)
        changeZoomLevel(placement.level, config.getPlotLiveModeBuffer());
}

void AgViewController::performZoomChangeScrollPersistence(ZoomLevel oldLevel, ZoomLevel newLevel)
{
    if (oldLevel == newLevel || !isZoomLevel(oldLevel) || !isZoomLevel(newLevel))
        return;
    QMutexLocker lock(&m_mutex);
    if (m_scrollPosition != -1)
        m_scrollPosition += zoomLevelToMs(oldLevel) / 2 - zoomLevelToMs(newLevel) / 2;
}

ZoomLevel AgViewController::getMarkersVisibilityZoomLevel(qlonglong markerA, qlonglong markerB)
{
    return AgViewMarkers::zoomFitLevel(markerB - markerA);
}

void AgViewController::onMarkersPositionChanged(qlonglong markerA, qlonglong markerB)
{
    QMutexLocker lock(&m_mutex);
    m_markers.move(markerA, markerB);
}

void AgViewController::onMarkerToggle(bool bothOn)
{
    QMutexLocker lock(&m_mutex);
    m_markers.setBothOn(bothOn);
}

void AgViewController::onGoToMarkerA()
{
    qint64 marker;
    {
        QMutexLocker lock(&m_mutex);
        marker = m_markers.markerA();
    }
    onGoToTime(marker);
}

void AgViewController::onGoToMarkerB()
{
    qint64 marker;
    {
        QMutexLocker lock(&m_mutex);
        marker = m_markers.markerB();
    }
    onGoToTime(marker);
}

void AgViewController::onStartAcquisitionOk()
{
    const qint64 buffer = currentSystemConfig().getPlotLiveModeBuffer();
    QString instrument;
    QString group;
    {
        QMutexLocker lock(&m_mutex);
        instrument = m_instrumentConfig.getName();
        group = m_agConfig.getName();
    }
    if (ASystem *system = ASystem::instance())
        system->startAcquisition(instrument, group);
    {
        QMutexLocker lock(&m_mutex);
        setLiveMode(true, buffer);
    }
    emit hideStartAcquisitionConfirmation();
}

void AgViewController::onStartAcquisitionCancel()
{
    emit hideStartAcquisitionConfirmation();
}

void AgViewController::onGoToTime(qlonglong time)
{
    bool clamped = false;
    {
        QMutexLocker lock(&m_mutex);
        if (m_activeScreen != ActiveScreenPlot && m_activeScreen != ActiveScreenTable)
            return;
        clamped = !goToTime(time);
    }
    if (clamped)
        showAlert(tr("Could not go to time outside the acquisition limits."));
}

bool AgViewController::goToTime(qint64 time)
{
    bool inside = true;
    if (time > m_newestTime) {
        time = m_newestTime;
        inside = false;
    }
    if (time < m_oldestTime) {
        time = m_oldestTime;
        inside = false;
    }
    m_scrollPosition = time - m_oldestTime;
    m_liveMode = false;
    m_goingLive = false;
    if (m_goToTimeView)
        QMetaObject::invokeMethod(m_goToTimeView, "onHide", Qt::QueuedConnection);
    return inside;
}

void AgViewController::onEpgClickSetMarkers(qlonglong start, qlonglong end)
{
    QMutexLocker lock(&m_mutex);
    m_markers.markProgram(start, end);
    m_liveMode = false;
    m_goingLive = false;
}

void AgViewController::onEpgDoubleClick(qlonglong start, qlonglong end)
{
    const SystemConfig config = currentSystemConfig();
    {
        QMutexLocker lock(&m_mutex);
        m_liveMode = false;
        m_goingLive = false;
        const ZoomLevel level = AgViewMarkers::levelShowing(start, end, config.getRangeSettings());
        if (level != m_zoomLevel)
            changeZoomLevel(level, config.getPlotLiveModeBuffer());
        m_markers.markProgram(start, end);
    }
    onGoToTime(start + (end - start) / 2);
}

void AgViewController::onActiveScreenChanged(ActiveScreen screen)
{
    QMutexLocker lock(&m_mutex);
    ZoomLevel level = m_zoomLevel;
    if (screen == ActiveScreenTable) {
        // A repeated switch must not save the table's own level as the plot's.
        if (m_activeScreen != ActiveScreenTable)
            m_savedPlotZoomLevel = m_zoomLevel;
        level = kTableZoomLevel;
    } else if (screen == ActiveScreenPlot) {
        level = m_savedPlotZoomLevel;
    }
    if (level != m_zoomLevel) {
        m_zoomLevel = level;
        releaseSampleBlock();
    }
    m_activeScreen = screen;
    m_markers.hide();
}
