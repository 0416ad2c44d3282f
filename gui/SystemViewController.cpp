#include "SystemViewController.h"

#include "ASystemView.h"
#include "GUIFactory.h"

#include <AAudioGroup.h>
#include <ASystem.h>
#include <InstrumentManager.h>
#include <KivConstants.h>
#include <KivUtils.h>
#include <ORQLogging.h>

#include <algorithm>
#include <exception>
#include <limits>

SystemViewController::SystemViewController()
    : m_lastRefreshMs(std::numeric_limits<qint64>::min() / 2)
{
}

SystemViewController::~SystemViewController()
{
    delete m_view;
    m_view = nullptr;
}

int SystemViewController::init()
{
    try {
        m_timer.init(kUpdateIntervalMs, this, &SystemViewController::onUpdateTimer);
        m_view = GUIFactory::getInstance()->createViewAs<ASystemView>(kViewTypeSystem);
        if (!m_view)
            return -1;
        connectView();
    } catch (const std::exception &e) {
        KIV_LOG(2, "SystemViewController: init failed: %s\n", e.what());
        return -1;
    }
    return 0;
}

void SystemViewController::connectView()
{
    ASystemView *view = m_view;
    using Self = SystemViewController;
    connect(this, &Self::show, view, &AView::onShow, Qt::QueuedConnection);
    connect(this, &Self::hide, view, &AView::onHide, Qt::QueuedConnection);
    connect(this, &Self::update, view, qOverload<const SystemUIData &>(&ASystemView::update),
            Qt::QueuedConnection);
    connect(this, &Self::showAlert, view, &ASystemView::onShowAlert, Qt::QueuedConnection);

    const Qt::ConnectionType direct = Qt::DirectConnection;
    connect(view, &ASystemView::showAgView, this, &Self::onShowAgView, direct);
    connect(view, &ASystemView::menuShowManageBackupsWindow, this,
            &Self::onMenuShowManageBackupsWindow, direct);
    connect(view, &AView::viewHide, this, &Self::onViewHide, direct);
    connect(view, &ASystemView::addButtonClick, this, &Self::onAddButtonClick, direct);
    connect(view, &ASystemView::deleteButtonClick, this, &Self::onDeleteButtonClick, direct);
    connect(view, &ASystemView::startStopButtonClick, this, &Self::onStartStopButtonClick, direct);
    connect(view, &ASystemView::autoButtonClick, this, &Self::onAutoButtonClick, direct);
    connect(view, &ASystemView::onResetAgViolationStatus, this,
            &Self::onResetAgViolationStatusClick, direct);
    connect(view, &ASystemView::onResetAgAcquisitionStatus, this,
            &Self::onResetAgAcquisitionStatusClick, direct);
    connect(view, qOverload<const QMultiMap<QString, QString> &>(&ASystemView::menuShowReportsWindow),
            this, &Self::onMenuGenerateReport, direct);
    connect(view, &AView::menuQuitApplication, this, &Self::onMenuQuitApplication, direct);
    connect(view, &AView::menuShowAboutWindow, this, &Self::onMenuShowAboutWindow, direct);
    connect(view, &AView::menuShowSettingsWindow, this, &Self::onMenuShowSettingsWindow, direct);
    connect(view, &AView::menuShowDocumentationWindow, this, &Self::onMenuShowDocumentationWindow,
            direct);
}

void SystemViewController::start()
{
    m_displayOn = true;
    m_timer.post([this] { scheduleRefresh(monotonicMSecs()); });
    emit show();
}

void SystemViewController::stop()
{
    m_displayOn = false;
    m_timer.stop();
    emit hide();
}

void SystemViewController::stopUpdateTimer()
{
    m_displayOn = false;
    m_timer.stopAndWait();
}

void SystemViewController::updateSystemConfig(SystemConfig config)
{
    if (m_data.setSystemConfig(std::move(config)))
        wakeDisplay();
}

void SystemViewController::updateAcquisitionStatus(const QList<AcquisitionAg> &status)
{
    if (m_data.setAcquisitionStatus(status))
        wakeDisplay();
}

void SystemViewController::updateAgViolationStatus(const QString &instrumentName,
                                                   const QString &agName,
                                                   const AgViolations &violations)
{
    if (m_data.setAgViolations(instrumentName, agName, violations))
        wakeDisplay();
}

void SystemViewController::wakeDisplay()
{
    m_timer.post([this] { scheduleRefresh(monotonicMSecs()); });
}

void SystemViewController::scheduleRefresh(qint64 atMs)
{
    if (!m_displayOn.load() || atMs == StatusLight::kNever)
        return;
    const qint64 now = monotonicMSecs();
    const qint64 at = std::max(atMs, m_lastRefreshMs + kUpdateIntervalMs);
    const int armed = m_timer.remainingTime();
    if (armed >= 0 && now + armed <= at)
        return;
    // A day at most: a clock so far ahead only needs a look now and then.
    constexpr qint64 kLongestWaitMs = 24 * 3600 * 1000;
    m_timer.startOnce(int(std::clamp<qint64>(at - now, 0, kLongestWaitMs)));
}

void SystemViewController::showAlertMessage(const QString &text)
{
    emit showAlert(text);
}

SystemUIData SystemViewController::getSystemUIData() const
{
    return m_data.getSystemUIData();
}

void SystemViewController::onUpdateTimer()
{
    qint64 wakeAt = StatusLight::kNever;
    const SystemUIData state = m_data.takeForSleepingDisplay(&wakeAt);
    m_lastRefreshMs = monotonicMSecs();
    emit update(state);
    if (ASystem *system = ASystem::instance())
        system->requestStatusRefresh();
    scheduleRefresh(wakeAt);
}

void SystemViewController::onShowAgView(const QString &instrumentName, const QString &agName)
{
    ASystem *system = ASystem::instance();
    InstrumentManager *manager = system ? system->getInstrumentManager() : nullptr;
    if (AAudioGroup *group = manager ? manager->findAudioGroup(instrumentName, agName) : nullptr)
        group->showView();
}

void SystemViewController::onMenuShowManageBackupsWindow()
{
    if (ASystem *system = ASystem::instance())
        system->showBackupManager();
}

void SystemViewController::onViewHide()
{
    m_displayOn = false;
    m_timer.stop();
    if (ASystem *system = ASystem::instance())
        system->close();
}

void SystemViewController::onAddButtonClick()
{
    ASystem *system = ASystem::instance();
    if (!system)
        return;
    if (system->getSystemConfig().getAgConfigCount() >= KivConstants::kMaxAudiogroupCount) {
        system->showAlert(tr("You cannot add a new device because the maximum allowed limit has "
                             "been reached."));
        return;
    }
    system->startAddInstrument();
}

void SystemViewController::onDeleteButtonClick(const QMultiMap<QString, QString> &selection)
{
    if (ASystem *system = ASystem::instance())
        system->removeAudiogroups(selection);
}

void SystemViewController::onStartStopButtonClick(bool start)
{
    ASystem *system = ASystem::instance();
    if (!system)
        return;
    if (start)
        system->startManualAcquisition();
    else
        system->stopManualAcquisition();
}

void SystemViewController::onAutoButtonClick(bool on)
{
    ASystem *system = ASystem::instance();
    if (!system)
        return;
    if (on)
        system->startAutoAcquisition();
    else
        system->stopAutoAcquisition();
}

void SystemViewController::onResetAgViolationStatusClick(const QString &instrumentName,
                                                         const QString &agName)
{
    if (ASystem *system = ASystem::instance())
        system->resetAgViolationStatus(instrumentName, agName);
}

void SystemViewController::onResetAgAcquisitionStatusClick(const QString &instrumentName,
                                                           const QString &agName)
{
    if (ASystem *system = ASystem::instance())
        system->resetAgAcquisitionStatus(instrumentName, agName);
}

void SystemViewController::onMenuGenerateReport(const QMultiMap<QString, QString> &selection)
{
    if (ASystem *system = ASystem::instance())
        system->startGenerateManualReport(selection, kReportPeriodMs);
}

void SystemViewController::onMenuQuitApplication()
{
    if (ASystem *system = ASystem::instance())
        system->close();
}

void SystemViewController::onMenuShowAboutWindow()
{
    if (ASystem *system = ASystem::instance())
        system->showAboutWindow();
}

void SystemViewController::onMenuShowSettingsWindow()
{
    if (ASystem *system = ASystem::instance())
        system->openSettings();
}

void SystemViewController::onMenuShowDocumentationWindow()
{
    // Told from the opener's own thread when the viewer fails; the alert is queued to the
    // window.
    openDocumentation([missing = tr("The documentation file has been removed or is missing")](
                          bool opened) {
        if (ASystem *system = ASystem::instance(); system && !opened)
            system->showAlert(missing);
    });
}
