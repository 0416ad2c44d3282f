#include "SystemController.h"

#include "AcquisitionCommands.h"

#include <ASplashScreen.h>
#include <ASystem.h>
#include <AcquisitionStatusUpdateParameter.h>
#include <AgViolationStatusUpdateParameter.h>
#include <AlertManager.h>
#include <BackupController.h>
#include <ClosingPleaseWaitDialog.h>
#include <Command.h>
#include <GenerateReportViewController.h>
#include <InstrumentManager.h>
#include <NUVNetworkAccessManager.h>
#include <ORQLogging.h>
#include <SMTPManager.h>
#include <SMTPTestController.h>
#include <SystemCommand.h>
#include <SystemConfigXml.h>
#include <SystemJanitor.h>
#include <SystemViewController.h>

#include <sqlite3.h>

#include <exception>

SystemController::SystemController(QObject *parent) : KivThread(parent), CommandQueue(kCapacity) {}

SystemController::~SystemController() = default;

QString SystemController::commandQueueName() const
{
    return QStringLiteral("SystemController");
}

int SystemController::prepare()
{
    // Fail harmlessly when the library is already initialised (the settings are then kept).
    sqlite3_config(SQLITE_CONFIG_MULTITHREAD);
    // Memory statistics would take one process-wide lock for every allocation of every
    // audiogroup thread; nothing reads them.
    sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0);
    return m_configController.init(ConfigController::kAddDeviceInterfaceHttp);
}

void SystemController::requestClose()
{
    QMutexLocker lock(&m_closeMutex);
    ASystem *system = ASystem::instance();
    if (system) {
        if (ASplashScreen *splash = system->getSplashScreen())
            emit splash->hideEvent();
        if (GenerateReportViewController *reports = system->getGenerateReportViewController())
            reports->stop();
        if (SystemViewController *view = system->getSystemViewController())
            view->stop();
    }
    m_closing = true;
    m_waker.wake();
}

void SystemController::loop()
{
    const int result = init();
    m_initResult = result;
    if (result == 0) {
        KIV_LOG(4, "SystemController initialization complete\n");
        m_state = StateRunning;
        KIV_LOG(4, "SystemController loop running\n");
    } else {
        KIV_LOG(1, "CRITICAL INIT FAILURE\n");
        // Nothing runs without instruments: stop what was started, so that the program
        // ends in order.
        beginClosing();
    }
    step();
    while (m_state != StateFinished) {
        m_waker.waitFor(msUntilNextStep());
        step();
    }
    KIV_LOG(4, "SystemController loop ended\n");
}

qint64 SystemController::msUntilNextStep() const
{
    if (m_state != StateRunning || m_closing)
        return kStepMs;
    if (m_configController.hasWork() || m_hijackPermissionManager.hasWork())
        return kStepMs;
    return kIdleStepMs;
}

int SystemController::init()
{
    ASystem *system = ASystem::instance();
    if (!system)
        return -1;

    // Nothing may be sent before the network thread's event loop runs. A quit during
    // start-up ends the wait too: a network thread that never came, or never got its loop
    // running, would otherwise keep the program from closing.
    for (;;) {
        NUVNetworkAccessManager *network = system->getNetworkAccessManager();
        if ((network && network->isStarted()) || m_closing.load())
            break;
        msleep(kNetworkPollMs);
    }

    ConfigLoadNotes notes;
    SystemConfig config = loadSystemConfigFromFile(systemConfigFileName(), &notes);
    if (notes.unreadable.isEmpty() && !notes.changes.isEmpty() && !notes.keptCopy.isEmpty()) {
        // The original is kept: from now on the file holds what the program uses, so the
        // next start has nothing to report and sets nothing aside again. A refused address
        // or port is the exception: it stays in the file as found, and is told again.
        if (saveSystemConfigToFile(config, systemConfigFileName()) != 0)
            KIV_LOG(2, "Repaired configuration not written; the next start repairs it again\n");
    }
    if (!config.getAutoStartLogging())
        config.setManualAcquisitionOn(false);

    auto *manager = new InstrumentManager();
    system->setInstrumentManager(manager);
    const int result = manager->init(config.getManualAcquisitionOn(), config.getInstruments());
    if (result != 0)
        return result;
    KIV_LOG(4, "InstrumentManager initialized\n");

    if (ASplashScreen *splash = system->getSplashScreen())
        emit splash->hideEvent();
    if (SystemViewController *view = system->getSystemViewController()) {
        // A quit during start-up has hidden the window already; it stays hidden.
        QMutexLocker lock(&m_closeMutex);
        if (!m_closing) {
            view->start();
            // Once, now that the window it explains is up.
            if (!notes.isEmpty())
                system->showAlert(notes.alertText());
        }
        view->updateSystemConfig(config);
    }
    KIV_LOG(4, "GUI initialized\n");

    system->setSystemConfig(config);
    if (InstrumentManager *current = system->getInstrumentManager())
        current->unpauseAll();
    KIV_LOG(4, "InstrumentManager async unpause\n");
    return 0;
}

void SystemController::step()
{
    switch (m_state) {
    case StateCreated:
        m_state = StateRunning;
        break;
    case StateRunning:
        if (m_closing) {
            beginClosing();
            break;
        }
        try {
            processCommands();
        } catch (const std::exception &e) {
            KIV_LOG(2, "Exception when handling commands in SystemController: %s\n", e.what());
        }
        m_configController.tick();
        m_hijackPermissionManager.step();
        break;
    case StateStopping:
        stepStopping();
        break;
    case StateFinished:
        break;
    default:
        KIV_LOG(2, "SystemController unknown state; CLOSING\n");
        beginClosing();
        break;
    }
}

void SystemController::beginClosing()
{
    m_state = StateStopping;
    clearCommands();
    m_configController.clear();
    ASystem *system = ASystem::instance();
    if (!system)
        return;
    // The network thread stops only once the instruments have finished (stepStopping):
    // a controller could otherwise wait forever on a post that nobody runs.
    if (SystemJanitor *janitor = system->getSystemJanitor())
        janitor->stopJanitor();
    if (InstrumentManager *manager = system->getInstrumentManager())
        manager->stopAll();
    if (AlertManager *alerts = system->getAlertManager())
        alerts->stop();
    if (SMTPManager *smtp = system->getSMTPManager())
        smtp->stopControllers();
    if (SMTPTestController *smtpTest = system->getSMTPTestController())
        smtpTest->stop();
    if (BackupController *backup = system->getBackupController())
        backup->stop();
}

void SystemController::stepStopping()
{
    ASystem *system = ASystem::instance();
    if (!system) {
        m_state = StateFinished;
        return;
    }
    // Shown once: every show would restart its force-close count.
    if (!m_closingDialogShown) {
        if (ClosingPleaseWaitDialog *dialog = system->getClosingDialog())
            dialog->requestShow();
        m_closingDialogShown = true;
    }

    InstrumentManager *manager = system->getInstrumentManager();
    SystemJanitor *janitor = system->getSystemJanitor();
    NUVNetworkAccessManager *network = system->getNetworkAccessManager();
    const bool instrumentsFinished = !manager || manager->areAllFinished();
    const bool janitorFinished = !janitor || !janitor->isRunning();
    if (!m_networkStopRequested && instrumentsFinished && janitorFinished) {
        if (network)
            network->stop();
        m_networkStopRequested = true;
    }
    const bool networkFinished = m_networkStopRequested && (!network || !network->isRunning());

    AlertManager *alerts = system->getAlertManager();
    SMTPManager *smtp = system->getSMTPManager();
    SMTPTestController *smtpTest = system->getSMTPTestController();
    BackupController *backup = system->getBackupController();
    if (instrumentsFinished && networkFinished && janitorFinished &&
        (!alerts || alerts->isStopped()) && (!smtp || smtp->areControllersStopped()) &&
        (!smtpTest || smtpTest->isStopped()) && (!backup || backup->isStopped()))
        m_state = StateFinished;
}

int SystemController::handleCommand(Command *command)
{
    if (!command)
        return 0;
    const int type = command->getType();
    try {
        if (!SystemCommand::isKnown(type)) {
            KIV_LOG(2, "Unknown command type in SystemController: %d\n", type);
            return 0;
        }
        const int result = m_interceptor ? m_interceptor(command) : dispatchCommand(command);
        if (result != 0)
            KIV_LOG(2, "SystemController command[%d] failed: %d\n", type, result);
    } catch (const std::exception &e) {
        KIV_LOG(2, "SystemController handle command exception: %s\n", e.what());
    }
    return 0;
}

void SystemController::setCommandInterceptor(CommandInterceptor interceptor)
{
    m_interceptor = std::move(interceptor);
}

int SystemController::dispatchCommand(Command *command)
{
    ASystem *system = ASystem::instance();
    switch (command->getType()) {
    case SystemCommand::InstrumentReply:
        return AcquisitionCommands::routeInstrumentReply(command);
    case SystemCommand::RequestStatusRefresh:
        if (system && system->getInstrumentManager())
            system->getInstrumentManager()->requestStatusUpdates();
        return 0;
    case SystemCommand::UpdateAcquisitionStatus: {
        auto *parameter = command->parameterAs<AcquisitionStatusUpdateParameter>();
        if (!parameter)
            return -1;
        if (SystemViewController *view = system ? system->getSystemViewController() : nullptr)
            view->updateAcquisitionStatus(parameter->getStatusList());
        return 0;
    }
    case SystemCommand::UpdateAgViolationStatus: {
        auto *parameter = command->parameterAs<AgViolationStatusUpdateParameter>();
        if (!parameter)
            return -1;
        if (SystemViewController *view = system ? system->getSystemViewController() : nullptr)
            view->updateAgViolationStatus(parameter->getInstrumentName(), parameter->getAgName(),
                                          parameter->getViolations());
        return 0;
    }
    case SystemCommand::ResetAgViolationStatus:
        return AcquisitionCommands::resetViolationStatus(command);
    case SystemCommand::ResetAgAcquisitionStatus:
        return AcquisitionCommands::resetAcquisitionStatus(command);
    default:
        return dispatchConfigCommand(command);
    }
}
