#pragma once

#include "ActiveScreen.h"
#include "PlotUIData.h"

#include <AView.h>
#include <KivTypes.h>
#include <Program.h>

// The audiogroup window as its controller sees it: the signals are the user's actions, the
// slots the updates the controller sends (queued; the table connection's disposal
// blocking-queued from a worker thread).
class AAgView : public AView
{
    Q_OBJECT
public:
    AAgView(ViewType type, QWidget *parent);
    ~AAgView() override;

signals:
    void zoomChange(ZoomLevel level);
    // true asks for live mode.
    void startPauseClick(bool run);
    void plotValueSelect(bool selected, PlotValue value);
    // New scroll positions (ms of the shown span's centre after the oldest time).
    void horizontalScrollbarSliderPositionChanged(qlonglong position);
    void tableViewScrollbarSliderPositionChanged(qlonglong position);
    void showGoToTimeView();
    void markersOnOffClick(bool on);
    // Marker A and marker B after a drag, ms since the epoch.
    void markersPositionChanged(qlonglong markerA, qlonglong markerB);
    // A program of the program bar, its start and end.
    void epgClickSetMarkers(qlonglong start, qlonglong end);
    void epgDoubleClick(qlonglong start, qlonglong end);
    // true when both markers are switched on.
    void markerToggle(bool bothOn);
    void onGoToMarkerA();
    void onGoToMarkerB();
    void activeScreenChanged(ActiveScreen screen);
    // For the program bar; the controller does not connect it.
    void updateEpgData(const PlotUIData &data);

public slots:
    // Shows the window inside the screen's available area.
    void onShow() override;
    // Drops the table page's database connection before the audiogroup's file is closed.
    virtual void onDisposeTableViewModelConnection() = 0;
    // The plot page's snapshot; the window takes its sample block (takeSampleBlock).
    virtual void onUpdateUi(const PlotUIData &data) = 0;
    // The table page's snapshot; frozen is true out of live mode.
    virtual void onUpdateTableView(const PlotUIData &data, bool frozen = true) = 0;
    // The zoom level changed: the selected curves, the new left edge and span, the level.
    virtual void onResetPlot(PlotValue plotValue1, PlotValue plotValue2, PlotValue plotValue3,
                             PlotValue plotValue4, qlonglong visibleStart, int spanMs,
                             ZoomLevel level) = 0;
    virtual void onShowPleaseWaitDialog(const QString &text) = 0;
    virtual void onHidePleaseWaitDialog() = 0;
    // A program of the bar was clicked; a valid one is answered with epgClickSetMarkers.
    virtual void onEpgProgramClicked(const Program &program) = 0;
};
