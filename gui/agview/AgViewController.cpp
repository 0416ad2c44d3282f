#include "AgViewController.h"

#include "AAgView.h"
#include "AgViewSystem.h"

#include <AAudioGroup.h>
#include <AConfirmationView.h>
#include <AGenerateReportView.h>
#include <AGoToTimeView.h>
#include <ASystem.h>
#include <AgDataVector.h>
#include <FileDialogs.h>
#include <GUIFactory.h>
#include <InstrumentManager.h>
#include <KivUtils.h>
#include <ORQLogging.h>
#include <SystemConfig.h>

#include <QElapsedTimer>
#include <QMultiMap>
#include <QMutexLocker>
#include <QThread>

#include <exception>
#include <utility>

namespace AgViewSystem {

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

} // namespace AgViewSystem

using AgViewSystem::currentSystemConfig;
using AgViewSystem::showAlert;

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
    if (!openDocumentation())
        showAlert(tr("The documentation file has been removed or is missing"));
}
