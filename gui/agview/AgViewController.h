#pragma once

#include "ActiveScreen.h"
#include "AgViewMarkers.h"
#include "PlotUIData.h"

#include <AAgViewController.h>
#include <AgConfig.h>
#include <AgEvent.h>
#include <InstrumentConfig.h>
#include <KivTypes.h>
#include <Program.h>
#include <ProgramCalculationData.h>
#include <ViewUpdateTimer.h>

#include <QList>
#include <QMutex>
#include <QObject>
#include <QString>

#include <functional>
#include <vector>

class AAgView;
class AAudioGroup;
class AConfirmationView;
class AGenerateReportView;
class AGoToTimeView;
class AgDataVector;
class AgGetDataCommandReply;
class QWidget;

// Stands between one audiogroup and its windows. The audiogroup builds it and drives it
// from its controller thread (start, stop, pause, data replies, export progress); every
// 50 ms the GUI thread advances the time shown at the plot's right edge, asks the
// audiogroup's controller for data at most every 500 ms and hands the window a complete
// snapshot. One mutex guards the state; nothing towards the windows runs under it except
// queued emissions.
class AgViewController : public QObject, public AAgViewController
{
    Q_OBJECT
public:
    // Milliseconds of a clock that never jumps (daylight saving, midnight, clock changes).
    using Clock = std::function<qint64()>;
    // Asks the user for the export's target file; empty when cancelled.
    using FileChooser = std::function<QString(QWidget *parent)>;

    static constexpr int kInitFailed = 0x10200001;
    static constexpr int kUpdateIntervalMs = 50;
    static constexpr qint64 kRequestIntervalMs = 500;
    // The live clock may run this far ahead of the newest stored sample before the view
    // stops following it.
    static constexpr qint64 kLiveLeadLimitMs = 15000;
    // A live clock this far behind the newest sample jumps forward.
    static constexpr qint64 kLiveLagLimitMs = 5000;
    static constexpr ZoomLevel kTableZoomLevel = ZoomLevel1h;
    // Six hours, as the main window asks for a report.
    static constexpr qint64 kReportPeriodMs = 21600000;

    // A default clock is a monotonic one.
    explicit AgViewController(Clock clock = Clock());
    ~AgViewController() override;

    // On the audiogroup's thread: stores the values, prepares the timer, obtains the four
    // windows and wires them. kInitFailed when a window is missing or of another kind.
    int init(bool manualAcquisitionOn, const InstrumentConfig &instrumentConfig,
             const AgConfig &agConfig) override;
    void updateConfig(bool manualAcquisitionOn, const InstrumentConfig &instrumentConfig,
                      const AgConfig &agConfig) override;
    void start() override;
    void stop() override;
    // Returns once the timer has stopped.
    void stopUpdateTimer() override;
    // Returns once the window has dropped its table's database connection.
    void disposeTableView() override;
    void pause() override;
    void unpause() override;
    // Takes the reply over and deletes it.
    void setDataReply(AgGetDataCommandReply *reply) override;
    void showPleaseWait(const QString &text) override;
    void hidePleaseWait() override;
    void resetProgramData() override;
    void showExportProgress(const QString &text, bool flag, qint64 value, qint64 total) override;
    void hideExportProgress() override;

    // Replaces the export's file dialog (tests).
    void setFileChooser(FileChooser chooser);

    bool isRunning() const;
    bool isPaused() const;
    bool isUpdateTimerActive() const { return m_timer.isActive(); }
    int updateTimerInterval() const { return m_timer.interval(); }
    AAgView *getView() const { return m_view; }
    AConfirmationView *getStartAcquisitionConfirmationView() const { return m_confirmationView; }
    AGoToTimeView *getGoToTimeView() const { return m_goToTimeView; }
    AGenerateReportView *getExportProgressView() const { return m_exportProgressView; }

signals:
    void show();
    void hide();
    void showPleaseWaitDialog(const QString &text);
    void hidePleaseWaitDialog();
    void showExportDialog();
    void updateExportDialog(const QString &text, bool flag, qlonglong value, qlonglong total);
    void hideExportDialog();
    void showStartAcquisitionConfirmation();
    void setStartAcquisitionConfirmationText(const QString &message, const QString &okText,
                                             const QString &cancelText);
    void hideStartAcquisitionConfirmation();
    void updateUi(const PlotUIData &data);
    void updateTableView(const PlotUIData &data, bool frozen = true);
    void resetPlot(PlotValue plotValue1, PlotValue plotValue2, PlotValue plotValue3,
                   PlotValue plotValue4, qlonglong visibleStart, int spanMs, ZoomLevel level);
    void disposeTableViewModelConnection();

public slots:
    void onUpdateTimer();
    void onStartPauseClick(bool run);
    void onPlotValueSelect(bool selected, PlotValue value);
    void onHorizontalScrollbarSliderPositionChanged(qlonglong position);
    void onZoomChange(ZoomLevel level);
    void onMarkersOnOffClick(bool on);
    // Keeps the shown span's centre where it was; no connection uses it.
    void performZoomChangeScrollPersistence(ZoomLevel oldLevel, ZoomLevel newLevel);
    ZoomLevel getMarkersVisibilityZoomLevel(qlonglong markerA, qlonglong markerB);
    void onMarkersPositionChanged(qlonglong markerA, qlonglong markerB);
    void onMarkerToggle(bool bothOn);
    void onGoToMarkerA();
    void onGoToMarkerB();
    void onStartAcquisitionOk();
    void onStartAcquisitionCancel();
    void onExportCancelClick();
    void onViewHide();
    void onShowGoToTimeDialog();
    void onGoToTime(qlonglong time);
    void onEpgClickSetMarkers(qlonglong start, qlonglong end);
    void onEpgDoubleClick(qlonglong start, qlonglong end);
    void onMenuGenerateReport();
    void onMenuExportLog();
    void onMenuQuitApplication();
    void onMenuShowAboutWindow();
    void onMenuShowSettingsWindow();
    void onMenuShowDocumentationWindow();
    void onActiveScreenChanged(ActiveScreen screen);

private:
    struct DataRequest
    {
        ZoomLevel zoomLevel;
        qint64 from;
        qint64 to;
        int programType;
        qint64 time;
        qint64 markerStart;
        qint64 markerEnd;
        qint64 lastTime;
    };

    void connectViews();
    // The rest run with m_mutex held.
    qint64 spanMs() const;
    qint64 visibleStart(qint64 bufferMs) const;
    void advanceClock();
    bool prepareRequest(qint64 bufferMs, DataRequest *request);
    PlotUIData takeSnapshot(qint64 bufferMs, bool hideProgramId);
    void setLiveMode(bool on, qint64 bufferMs);
    // Clamps the time into the stored limits and centres the view on it; false when the
    // time had to be clamped.
    bool goToTime(qint64 time);
    void changeZoomLevel(ZoomLevel level, qint64 bufferMs);
    void resetViewState();
    void releaseSampleBlock();
    bool mayGoLive() const;
    // Without the lock.
    AAudioGroup *findAudioGroup() const;
    void post(const DataRequest &request) const;

    AAgView *m_view = nullptr;
    AConfirmationView *m_confirmationView = nullptr;
    AGoToTimeView *m_goToTimeView = nullptr;
    AGenerateReportView *m_exportProgressView = nullptr;

    mutable QMutex m_mutex;
    bool m_manualAcquisitionOn = false;
    InstrumentConfig m_instrumentConfig;
    AgConfig m_agConfig;
    ViewUpdateTimer m_timer;
    const Clock m_clock;
    qint64 m_requestClockStart = 0;
    bool m_running = false;
    bool m_paused = true;
    bool m_liveMode = false;
    bool m_goingLive = false;
    ZoomLevel m_zoomLevel = ZoomLevel30s;
    Program m_requestedProgram;
    ProgramCalculationData m_requestedProgramData;
    std::vector<AgEvent> m_events;
    std::vector<Program> m_programs;
    AgViewMarkers m_markers;
    // Slot v - 1 holds v when that curve is selected, else 0.
    int m_plotValues[4] = {PlotValueTP, 0, 0, PlotValueI};
    qint64 m_liveClock = 0;
    qint64 m_liveStopwatchStart = 0;
    qint64 m_scrollPosition = -1;
    qint64 m_oldestTime = 0;
    qint64 m_newestTime = 0;
    AgDataVector *m_sampleBlock = nullptr;
    ActiveScreen m_activeScreen = ActiveScreenPlot;
    ZoomLevel m_savedPlotZoomLevel = ZoomLevel30s;
    FileChooser m_fileChooser;
};
