#include "AgViewMarkers.h"

#include <KivUtils.h>

#include <algorithm>

void AgViewMarkers::forgetStoredData()
{
    m_current = Program();
    m_oldest = 0;
    m_newest = 0;
    m_programs.clear();
}

void AgViewMarkers::move(qint64 markerA, qint64 markerB)
{
    // Too close or reversed: the markers snap back with the next snapshot.
    if (markerB - markerA < kMinGapMs)
        return;
    m_markerA = markerA;
    m_markerB = markerB;
}

void AgViewMarkers::markProgram(qint64 start, qint64 end)
{
    m_markerA = start;
    m_markerB = end;
    m_shown = true;
}

void AgViewMarkers::noteStoredData(const Program &current, qint64 oldest, qint64 newest,
                                   std::vector<Program> programs)
{
    m_current = current;
    m_oldest = oldest;
    m_newest = newest;
    m_programs = std::move(programs);
}

AgViewMarkers::Placement AgViewMarkers::markCurrentProgram(qint64 oldest, qint64 newest,
                                                           ZoomLevel shown,
                                                           const QList<int> &rangeSettings)
{
    qint64 start = m_current.getStart();
    qint64 end = m_current.getEnd();
    if (start == -1 || end == -1) {
        // No program runs: the markers span everything stored.
        start = oldest;
        end = newest;
    }
    markProgram(start, end);
    const ZoomLevel fit = levelShowing(start, end, rangeSettings);
    // Never zooms in here.
    return Placement{start + (end - start) / 2, std::max(fit, shown)};
}

ZoomLevel AgViewMarkers::levelShowing(qint64 start, qint64 end, const QList<int> &rangeSettings)
{
    return nearestRangeLevel(zoomFitLevel(end - start), rangeSettings);
}

ZoomLevel AgViewMarkers::zoomFitLevel(qint64 spanMs)
{
    for (int level = 0; level < kZoomLevelCount - 1; ++level) {
        if (spanMs <= zoomLevelToMs(level))
            return ZoomLevel(level);
    }
    return ZoomLevel72h;
}

ZoomLevel AgViewMarkers::nearestRangeLevel(int level, const QList<int> &rangeSettings)
{
    int nearest = -1;
    int largest = -1;
    for (int button : rangeSettings) {
        if (!isZoomLevel(button))
            continue;
        largest = std::max(largest, button);
        if (button >= level && (nearest == -1 || button < nearest))
            nearest = button;
    }
    if (nearest != -1)
        return ZoomLevel(nearest);
    return largest != -1 ? ZoomLevel(largest) : ZoomLevel30s;
}
