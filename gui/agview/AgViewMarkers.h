#pragma once

#include <KivTypes.h>
#include <Program.h>

#include <QList>

#include <vector>

// The plot's A and B markers: whether they are shown, where they stand, and the centre and
// zoom level that bring a marked span into view. It also keeps the stored data as the
// latest answer gave them, because a frozen view holds the limits of the moment it froze
// while MARKS marks the current program as it stands now. Not guarded: the view controller
// calls it under its own lock.
class AgViewMarkers
{
public:
    // Markers closer than this are not kept.
    static constexpr qint64 kMinGapMs = 3000;

    // Where a newly marked span wants the view: the time to centre on and the level.
    struct Placement
    {
        qint64 centre;
        ZoomLevel level;
    };

    bool isShown() const { return m_shown; }
    bool areBothOn() const { return m_bothOn; }
    qint64 markerA() const { return m_markerA; }
    qint64 markerB() const { return m_markerB; }

    void hide() { m_shown = false; }
    void setBothOn(bool on) { m_bothOn = on; }
    // A dragged pair; ignored when B lies less than kMinGapMs after A.
    void move(qint64 markerA, qint64 markerB);
    // Shows the markers on a program of the bar.
    void markProgram(qint64 start, qint64 end);

    // Every accepted answer, live or frozen.
    void noteStoredData(const Program &current, qint64 oldest, qint64 newest,
                        std::vector<Program> programs);
    // The stored data went (a backup, a new window): none is known until the next answer.
    void forgetStoredData();
    bool knowsStoredData() const { return m_oldest > 0 && m_newest > 0; }
    qint64 latestOldest() const { return m_oldest; }
    qint64 latestNewest() const { return m_newest; }
    const std::vector<Program> &latestPrograms() const { return m_programs; }

    // MARKS: shows the markers on the current program as the latest answer gave it, or on
    // all of [oldest, newest] while no program runs. Centred on the marked span, at the
    // level that shows it, never a smaller one than the level shown.
    Placement markCurrentProgram(qint64 oldest, qint64 newest, ZoomLevel shown,
                                 const QList<int> &rangeSettings);
    // The range button that shows the span [start, end] whole, or the largest one.
    static ZoomLevel levelShowing(qint64 start, qint64 end, const QList<int> &rangeSettings);

    // The first level whose span holds the given one; the last level beyond them all.
    static ZoomLevel zoomFitLevel(qint64 spanMs);
    // The smallest range button at or above the level; the largest when none is; level 0
    // without buttons.
    static ZoomLevel nearestRangeLevel(int level, const QList<int> &rangeSettings);

private:
    bool m_shown = false;
    bool m_bothOn = false;
    qint64 m_markerA = -1;
    qint64 m_markerB = -1;
    Program m_current;
    qint64 m_oldest = 0;
    qint64 m_newest = 0;
    std::vector<Program> m_programs;
};
