#include "AgViewController.h"

#include "AAgView.h"

#include <AAudioGroup.h>
#include <AConfirmationView.h>
#include <AGenerateReportView.h>
#include <AGoToTimeView.h>
#include <ASystem.h>
#include <AgDataVector.h>
#include <AgGetDataCommandReply.h>
#include <FileDialogs.h>
#include <GUIFactory.h>
#include <InstrumentManager.h>
#include <KivUtils.h>
#include <ORQLogging.h>
#include <ProgramRequest.h>
#include <SystemConfig.h>

#include <QElapsedTimer>
#include <QMultiMap>
#include <QMutexLocker>
#include <QThread>

#include <algorithm>
#include <exception>
#include <memory>
#include <utility>

namespace {

qint64 monotonicMs()
{
    static const QElapsedTimer clock = [] {
        QElapsedTimer started;
        started.start();
        return started;
    }();
    return clock.elapsed();
}

SystemConfig currentSystemConfig()
{
    ASystem *system = ASystem::instance();
    return system ? system->getSystemConfig() : SystemConfig();
}

void showAlert(const QString &text)
{
    if (ASystem *system = ASystem::instance())
        system->showAlert(text);
}

ZoomLevel firstRangeLevel()
{
    const QList<int> ranges = currentSystemConfig().getRangeSettings();
    return !ranges.isEmpty() && isZoomLevel(ranges.first()) ? ZoomLevel(ranges.first())
                                                            : ZoomLevel30s;
}

// The window of the type, as the interface the controller uses; a window of another kind is
// released.
template <typename Interface> Interface *obtainView(ViewType type)
{
    AView *view = GUIFactory::getInstance()->createViewFromWorkerThread(type);
    auto *converted = dynamic_cast<Interface *>(view);
    if (view && !converted)
        view->deleteLater();
    return converted;
}

} // namespace

AgViewController::AgViewController(Clock clock)
    : m_clock(clock ? std::move(clock) : Clock(monotonicMs)), m_zoomLevel(firstRangeLevel())
{
    m_requestClockStart = m_clock();
    m_liveStopwatchStart = m_requestClockStart;
    m_savedPlotZoomLevel = m_zoomLevel;
}

AgViewController::~AgViewController()
{
    // The windows may still have queued updates to deliver; they go on the GUI thread.
    for (AView *view : {static_cast<AView *>(m_view), static_cast<AView *>(m_goToTimeView),
                        static_cast<AView *>(m_confirmationView),
                        static_cast<AView *>(m_exportProgressView)}) {
        if (view)
            view->deleteLater();
    }
    delete m_sampleBlock;
    m_sampleBlock = nullptr;
}

int AgViewController::init(bool manualAcquisitionOn, const InstrumentConfig &instrumentConfig,
                           const AgConfig &agConfig)
{
    const QByteArray instrument = instrumentConfig.getName().toLocal8Bit();
    const QByteArray group = agConfig.getName().toLocal8Bit();
    try {
        updateConfig(manualAcquisitionOn, instrumentConfig, agConfig);
        m_timer.init(kUpdateIntervalMs, this, &AgViewController::onUpdateTimer);
        ViewType missing = kViewTypeAg;
        if ((m_view = obtainView<AAgView>(kViewTypeAg))) {
            missing = kViewTypeGoToTime;
            if ((m_goToTimeView = obtainView<AGoToTimeView>(kViewTypeGoToTime))) {
                missing = kViewTypeConfirmation;
                if ((m_confirmationView = obtainView<AConfirmationView>(kViewTypeConfirmation))) {
                    missing = kViewTypeGenerateReport;
                    m_exportProgressView =
                        obtainView<AGenerateReportView>(kViewTypeGenerateReport);
                }
            }
        }
        if (!m_exportProgressView) {
            KIV_LOG(2, "AgViewController[%s][%s] could not obtain window %d\n",
                    instrument.constData(), group.constData(), static_cast<int>(missing));
            return kInitFailed;
        }
        connectViews();
    } catch (const std::exception &e) {
        KIV_LOG(2, "AgViewController[%s][%s] init failed: %s\n", instrument.constData(),
                group.constData(), e.what());
        return kInitFailed;
    }
    return 0;
}

void AgViewController::connectViews()
{
    using Self = AgViewController;
    const Qt::ConnectionType queued = Qt::QueuedConnection;
    const Qt::ConnectionType direct = Qt::DirectConnection;
    AAgView *view = m_view;

    connect(this, &Self::show, view, &AView::onShow, queued);
    connect(this, &Self::hide, view, &AView::onHide, queued);
    connect(this, &Self::showPleaseWaitDialog, view, &AAgView::onShowPleaseWaitDialog, queued);
    connect(this, &Self::hidePleaseWaitDialog, view, &AAgView::onHidePleaseWaitDialog, queued);
    connect(this, &Self::updateUi, view, &AAgView::onUpdateUi, queued);
    connect(this, &Self::updateTableView, view, &AAgView::onUpdateTableView, queued);
    connect(this, &Self::resetPlot, view, &AAgView::onResetPlot, queued);
    connect(this, &Self::disposeTableViewModelConnection, view,
            &AAgView::onDisposeTableViewModelConnection, Qt::BlockingQueuedConnection);
    connect(this, &Self::showExportDialog, m_exportProgressView, &AView::onShow, queued);
    connect(this, &Self::updateExportDialog, m_exportProgressView,
            qOverload<const QString &, bool, qlonglong, qlonglong>(
                &AGenerateReportView::onUpdateUi),
            queued);
    connect(this, &Self::hideExportDialog, m_exportProgressView, &AView::onHide, queued);
    connect(this, &Self::showStartAcquisitionConfirmation, m_confirmationView, &AView::onShow,
            queued);
    connect(this, &Self::setStartAcquisitionConfirmationText, m_confirmationView,
            &AConfirmationView::onSetTextContent, queued);
    connect(this, &Self::hideStartAcquisitionConfirmation, m_confirmationView, &QWidget::hide,
            queued);

    connect(view, &AAgView::activeScreenChanged, this, &Self::onActiveScreenChanged, direct);
    connect(view, &AAgView::epgClickSetMarkers, this, &Self::onEpgClickSetMarkers, direct);
    connect(view, &AAgView::epgDoubleClick, this, &Self::onEpgDoubleClick, direct);
    // The concrete dialog declares the signal; the interface does not.
    if (!connect(m_goToTimeView, SIGNAL(GoToTime(qlonglong)), this, SLOT(onGoToTime(qlonglong)),
                 direct))
        KIV_LOG(2, "AgViewController: the go-to-time dialog sends no time\n");
    connect(view, &AView::viewHide, this, &Self::onViewHide, direct);
    connect(view, &AAgView::startPauseClick, this, &Self::onStartPauseClick, direct);
    connect(view, &AAgView::zoomChange, this, &Self::onZoomChange, direct);
    connect(view, &AAgView::plotValueSelect, this, &Self::onPlotValueSelect, direct);
    connect(view, &AAgView::horizontalScrollbarSliderPositionChanged, this,
            &Self::onHorizontalScrollbarSliderPositionChanged, direct);
    connect(view, &AAgView::tableViewScrollbarSliderPositionChanged, this,
            &Self::onHorizontalScrollbarSliderPositionChanged, direct);
    connect(view, &AAgView::showGoToTimeView, this, &Self::onShowGoToTimeDialog, direct);
    connect(view, &AAgView::markersOnOffClick, this, &Self::onMarkersOnOffClick, direct);
    connect(view, &AAgView::markersPositionChanged, this, &Self::onMarkersPositionChanged, direct);
    connect(view, &AAgView::markerToggle, this, &Self::onMarkerToggle, direct);
    connect(view, &AAgView::onGoToMarkerA, this, &Self::onGoToMarkerA, direct);
    connect(view, &AAgView::onGoToMarkerB, this, &Self::onGoToMarkerB, direct);
    connect(m_confirmationView, &AConfirmationView::OkButtonClick, this,
            &Self::onStartAcquisitionOk, direct);
    connect(m_confirmationView, &AConfirmationView::CancelButtonClick, this,
            &Self::onStartAcquisitionCancel, direct);
    connect(m_exportProgressView, &AGenerateReportView::CancelButtonClick, this,
            &Self::onExportCancelClick, direct);
    connect(view, &AView::menuShowReportsWindow, this, &Self::onMenuGenerateReport, direct);
    connect(view, &AView::menuExportLog, this, &Self::onMenuExportLog, direct);
    connect(view, &AView::menuQuitApplication, this, &Self::onMenuQuitApplication, direct);
    connect(view, &AView::menuShowAboutWindow, this, &Self::onMenuShowAboutWindow, direct);
    connect(view, &AView::menuShowSettingsWindow, this, &Self::onMenuShowSettingsWindow, direct);
    connect(view, &AView::menuShowDocumentationWindow, this,
            &Self::onMenuShowDocumentationWindow, direct);
}

void AgViewController::updateConfig(bool manualAcquisitionOn,
                                    const InstrumentConfig &instrumentConfig,
                                    const AgConfig &agConfig)
{
    QMutexLocker lock(&m_mutex);
    m_manualAcquisitionOn = manualAcquisitionOn;
    m_instrumentConfig = instrumentConfig;
    m_agConfig = agConfig;
    if (m_agConfig.getImported() || !mayGoLive()) {
        m_liveMode = false;
        m_goingLive = false;
    }
}

bool AgViewController::mayGoLive() const
{
    return m_manualAcquisitionOn && m_agConfig.getHasLoggingEnabled();
}

void AgViewController::start()
{
    QMutexLocker lock(&m_mutex);
    m_running = true;
    resetViewState();
    m_timer.start();
    emit show();
}

void AgViewController::stop()
{
    QMutexLocker lock(&m_mutex);
    m_running = false;
    m_markers.hide();
    m_liveMode = false;
    m_goingLive = false;
    m_timer.stop();
    emit hide();
}

void AgViewController::stopUpdateTimer()
{
    if (m_timer.isActive())
        m_timer.stopAndWait();
}

void AgViewController::disposeTableView()
{
    if (!m_view)
        return;
    // A blocking-queued emission on the window's own thread would wait for itself.
    if (QThread::currentThread() == m_view->thread())
        m_view->onDisposeTableViewModelConnection();
    else
        emit disposeTableViewModelConnection();
}

void AgViewController::pause()
{
    QMutexLocker lock(&m_mutex);
    m_paused = true;
}

void AgViewController::unpause()
{
    QMutexLocker lock(&m_mutex);
    m_paused = false;
    // The live clock stood still while paused; it must not make up for that time.
    m_liveStopwatchStart = m_clock();
}

void AgViewController::showPleaseWait(const QString &text)
{
    emit showPleaseWaitDialog(text);
}

void AgViewController::hidePleaseWait()
{
    emit hidePleaseWaitDialog();
}

void AgViewController::resetProgramData()
{
    QMutexLocker lock(&m_mutex);
    m_liveMode = false;
    m_markers.hide();
    m_requestedProgram = Program();
    m_requestedProgramData = ProgramCalculationData();
    resetViewState();
}

void AgViewController::showExportProgress(const QString &text, bool flag, qint64 value,
                                          qint64 total)
{
    emit updateExportDialog(text, flag, value, total);
    emit showExportDialog();
}

void AgViewController::hideExportProgress()
{
    emit hideExportDialog();
}

void AgViewController::setFileChooser(FileChooser chooser)
{
    m_fileChooser = std::move(chooser);
}

bool AgViewController::isRunning() const
{
    QMutexLocker lock(&m_mutex);
    return m_running;
}

bool AgViewController::isPaused() const
{
    QMutexLocker lock(&m_mutex);
    return m_paused;
}

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

AAudioGroup *AgViewController::findAudioGroup() const
{
    QString instrument;
    QString group;
    {
        QMutexLocker lock(&m_mutex);
        instrument = m_instrumentConfig.getName();
        group = m_agConfig.getName();
    }
    ASystem *system = ASystem::instance();
    InstrumentManager *manager = system ? system->getInstrumentManager() : nullptr;
    return manager ? manager->findAudioGroup(instrument, group) : nullptr;
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

void AgViewController::onExportCancelClick()
{
    if (AAudioGroup *audioGroup = findAudioGroup())
        audioGroup->cancelExport();
}

void AgViewController::onViewHide()
{
    QMutexLocker lock(&m_mutex);
    m_running = false;
    m_markers.hide();
    m_liveMode = false;
    m_goingLive = false;
    resetViewState();
    m_timer.stop();
    emit hide();
}

void AgViewController::onShowGoToTimeDialog()
{
    if (m_goToTimeView)
        m_goToTimeView->showAndFocus();
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

void AgViewController::onMenuGenerateReport()
{
    QMultiMap<QString, QString> selection;
    {
        QMutexLocker lock(&m_mutex);
        selection.insert(m_instrumentConfig.getName(), m_agConfig.getName());
    }
    if (ASystem *system = ASystem::instance())
        system->startGenerateManualReport(selection, kReportPeriodMs);
}

void AgViewController::onMenuExportLog()
{
    // Not under the lock: the dialog runs an event loop in which the update step goes on.
    const QString target =
        m_fileChooser ? m_fileChooser(m_view)
                      : FileDialogs::chooseFileToSave(m_view, tr("Save as"), getDocumentsLocation(),
                                                      tr("KIV db (*.db)"));
    if (target.isEmpty())
        return;
    AAudioGroup *audioGroup = findAudioGroup();
    if (!audioGroup)
        return;
    // Anywhere in the data folder the copy could replace a live database or a backup.
    if (isInDataFolderTree(target)) {
        showAlert(tr("Export operation is not allowed to KIV's data folder. Please try again and "
                     "select a different target folder."));
        return;
    }
    audioGroup->exportDb(target);
}

void AgViewController::onMenuQuitApplication()
{
    if (ASystem *system = ASystem::instance())
        system->close();
}

void AgViewController::onMenuShowAboutWindow()
{
    if (ASystem *system = ASystem::instance())
        system->showAboutWindow();
}

void AgViewController::onMenuShowSettingsWindow()
{
    if (ASystem *system = ASystem::instance())
        system->openSettings();
}

void AgViewController::onMenuShowDocumentationWindow()
{
    openDocumentation(
        [missing = tr("The documentation file has been removed or is missing")](bool opened) {
            if (!opened)
                showAlert(missing);
        });
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
