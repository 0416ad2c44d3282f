#include "System.h"

#include "AcquisitionCommands.h"

#include "HijackPermissionCommandParameter.h"
#include "ReplyHijackPermissionCommandParameter.h"

#include <ARequest.h>
#include <ASplashScreen.h>
#include <AcquisitionAg.h>
#include <AcquisitionStartCommandParameter.h>
#include <AddInstrumentCommandParameter.h>
#include <AgLoggingChangeParameter.h>
#include <AgStatusResetParameter.h>
#include <AGSettingsListModelItem.h>
#include <ActiveScreen.h>
#include <AgViolations.h>
#include <AddInstrumentDialog.h>
#include <ConfirmationDialog.h>
#include <Alert.h>
#include <BackupDeleteRequestCommandParameter.h>
#include <BackupManagerView.h>
#include <BackupModel.h>
#include <ClosingPleaseWaitDialog.h>
#include <Command.h>
#include <ConfigChangeCommandParameter.h>
#include <DBImportCancelCommandParameter.h>
#include <DBImportRequestCommandParameter.h>
#include <DBImportStatusReplyCommandParameter.h>
#include <DeviceNetworkInterfaceReply.h>
#include <GUIFactory.h>
#include <GenerateManualReportFinishCommandParameter.h>
#include <GenerateReportDialog.h>
#include <HijackPermissionRequest.h>
#include <GoToTimeDialog.h>
#include <HijackRequestView.h>
#include <QTAgView.h>
#include <QTSystemView.h>
#include <InstrumentDeviceNetworkInterfaceReply.h>
#include <InstrumentManager.h>
#include <KivConstants.h>
#include <KivTypes.h>
#include <KivUtils.h>
#include <NUVNetworkAccessManager.h>
#include <ORQLogging.h>
#include <PlotUIData.h>
#include <Program.h>
#include <RemoveAudiogroupCommandParameter.h>
#include <SettingsDialog.h>
#include <SMTPRequest.h>
#include <StartGenerateManualReportCommandParameter.h>
#include <SystemJanitor.h>
#include <SystemUIData.h>

#include <QApplication>
#include <QNetworkRequest>

#include <exception>

const char *const System::kMenuBarStyleSheet =
    "QMenuBar {background-color: white; font-size:14px; font-family: Verdana, regular;} "
    "QMenuBar::item {padding: 6px 7px 6px 7px; background:white;} "
    "QMenuBar::item:selected {background: rgba(218,218,218,255);}";

System::System()
    : m_systemController(nullptr), m_backupManagerViewController(nullptr),
      m_backupController(nullptr)
{
    registerViewCreators();
}

System::~System()
{
    delete m_instrumentManager.exchange(nullptr);
    delete m_networkManager;
    m_networkManager = nullptr;
    delete m_janitor;
    m_janitor = nullptr;
    delete m_logging;
    m_logging = nullptr;
    delete m_splashScreen;
    m_splashScreen = nullptr;
    delete m_closingDialog;
    m_closingDialog = nullptr;
}

int System::exitStatus() const
{
    return m_systemController.getInitResult() != 0 ? 1 : 0;
}

bool System::waitForWorkersStopped(int timeoutMs)
{
    return m_systemController.wait(static_cast<unsigned long>(timeoutMs));
}

void System::initLogging()
{
    const QByteArray path = getDataFolderFilePath(QStringLiteral("log.txt")).toLocal8Bit();
    m_logging = new ORQ::CORQExeLogging(path.constData());
    ORQ::setLogLevel(4);
    KIV_LOG(4, "%s\n", qUtf8Printable(KivConstants::buildString()));
}

void System::registerViewCreators()
{
    // Before any view controller asks the factory for its window.
    QTSystemView::registerCreator();
    AddInstrumentDialog::registerCreator();
    ConfirmationDialog::registerCreator();
    GoToTimeDialog::registerCreator();
    HijackRequestView::registerCreator();
    GenerateReportDialog::registerCreator();
    SettingsDialog::registerCreator();
    QTAgView::registerCreator();
    BackupManagerView::registerCreator();
}

void System::registerMetaTypes()
{
    // The types that travel through queued connections between threads.
    qRegisterMetaType<QNetworkRequest>("QNetworkRequest");
    qRegisterMetaType<ZoomLevel>("ZoomLevel");
    qRegisterMetaType<PlotValue>("PlotValue");
    qRegisterMetaType<SystemUIData>("SystemUIData");
    qRegisterMetaType<ARequest::CommandType>("ARequest::CommandType");
    qRegisterMetaType<SystemConfig>("SystemConfig");
    qRegisterMetaType<InstrumentConfig>("InstrumentConfig");
    qRegisterMetaType<AgConfig>("AgConfig");
    qRegisterMetaType<AcquisitionAg>("AcquisitionAg");
    qRegisterMetaType<AgViolations>("AgViolations");
    qRegisterMetaType<QList<AcquisitionAg>>("QList<AcquisitionAg>");
    qRegisterMetaType<Program>("Program");
    qRegisterMetaType<PlotUIData>("PlotUIData");
    qRegisterMetaType<ActiveScreen>("ActiveScreen");
    qRegisterMetaType<QList<AlertContactConfig>>("QList<AlertContactConfig>");
    qRegisterMetaType<SMTPConfig>("SMTPConfig");
    qRegisterMetaType<ReportConfig>("ReportConfig");
    qRegisterMetaType<HijackPermissionRequest>("HijackPermissionRequest");
    qRegisterMetaType<QList<int>>("QList<int>");
    qRegisterMetaType<AGSettingsListModelItem>("AGSettingsListModelItem");
    qRegisterMetaType<QList<AGSettingsListModelItem>>("QList<AGSettingsListModelItem>");
    qRegisterMetaType<BackupModel>("BackupModel");
}

int System::start()
{
    // The folder first, so that the log of a first start has a place to go.
    const bool folderCreated = createDataFolder();
    initLogging();
    registerMetaTypes();
    AcquisitionCommands::installAgServices();
    if (auto *app = qobject_cast<QApplication *>(QCoreApplication::instance()))
        app->setStyleSheet(QString::fromLatin1(kMenuBarStyleSheet));

    m_splashScreen = GUIFactory::getInstance()->createSplashScreen();
    if (m_splashScreen)
        emit m_splashScreen->showEvent();
    m_closingDialog = new ClosingPleaseWaitDialog(nullptr);
    m_closingDialog->connectSignals(&m_systemController);

    try {
        if (!folderCreated)
            KIV_LOG(4, "Cannot create application directory! \n");
        m_networkManager = new NUVNetworkAccessManager(nullptr);
        m_networkManager->startThread();
        m_janitor = new SystemJanitor(nullptr);
        m_janitor->startThread();
        m_alertManager.startThread();
        m_smtpManager.startControllers();
        m_smtpTestController.startThread();

        m_systemViewController.init();
        m_addInstrumentViewController.init();
        m_confirmationViewController.init();
        if (m_settingsViewController.init() != 0)
            KIV_LOG(2, "The settings window could not be made; settings cannot be edited\n");
        if (m_generateReportViewController.init() != 0)
            KIV_LOG(2, "The report dialog could not be made; reports cannot be shown\n");
        m_dbImportViewController.init();

        m_systemController.prepare();
        m_systemController.startThread();

        if (m_backupManagerViewController.init() != 0)
            KIV_LOG(2, "The backup manager window could not be made; backups cannot be shown\n");
        m_hijackRequestViewController.init();
        m_backupController.initBackupFolder();
        m_backupController.startThread();
    } catch (const std::exception &e) {
        // The threads not started yet stay unstarted.
        KIV_LOG(2, "Exception during system start: %s\n", e.what());
    }
    return 0;
}

void System::close()
{
    m_settingsViewController.stopUpdateTimer();
    m_systemViewController.stopUpdateTimer();
    m_systemController.requestClose();
}

void System::showAboutWindow()
{
    if (m_splashScreen)
        emit m_splashScreen->showEvent();
}

void System::showAlert(const QString &text)
{
    m_systemViewController.showAlertMessage(text);
}

SystemConfig System::getSystemConfig()
{
    return m_configSync.getSystemConfig();
}

void System::setSystemConfig(const SystemConfig &config)
{
    applySystemConfig(config, false);
}

void System::postSystemConfig(const SystemConfig &config)
{
    applySystemConfig(config, true);
}

void System::applySystemConfig(const SystemConfig &config, bool onInstrumentThreads)
{
    m_configSync.setSystemConfig(config);
    const SystemConfig stored = m_configSync.getSystemConfig();
    m_systemViewController.updateSystemConfig(stored);
    if (InstrumentManager *manager = m_instrumentManager.load()) {
        if (onInstrumentThreads)
            manager->postInstrumentConfigs(stored.getInstruments(),
                                           stored.getManualAcquisitionOn());
        else
            manager->applyInstrumentConfigs(stored.getInstruments(),
                                            stored.getManualAcquisitionOn());
    }
    m_alertManager.setSystemConfig(m_configSync.getSystemConfig());
}

void System::addAlert(const Alert &alert)
{
    m_alertManager.addAlert(alert);
}

void System::queueEmails(const std::vector<SMTPRequest> &requests, int &result)
{
    m_smtpManager.queueRequests(requests, result);
}

SMTPRequest System::takeNextSmtpRequest(int &result)
{
    return m_smtpManager.takeRequest(result);
}

void System::setInstrumentManager(InstrumentManager *manager)
{
    InstrumentManager *previous = m_instrumentManager.exchange(manager);
    if (previous != manager)
        delete previous;
}

int System::post(SystemCommand::Type type, CommandParameter *parameter)
{
    return m_systemController.enqueue(new Command(type, parameter));
}

int System::onInstrumentReply(InstrumentDeviceNetworkInterfaceReply *reply)
{
    return post(SystemCommand::InstrumentReply, reply);
}

int System::changeInstrumentConfig(const InstrumentConfig &config)
{
    return post(SystemCommand::ChangeInstrumentConfig, new ConfigChangeCommandParameter(config));
}

int System::onAddDeviceReply(int requestId, int networkError, QString *replyData)
{
    return post(SystemCommand::AddDeviceReply,
                new DeviceNetworkInterfaceReply(requestId, networkError, replyData));
}

int System::startAddInstrument()
{
    return post(SystemCommand::StartAddInstrument);
}

int System::submitAddInstrument(const QString &address, const QString &password)
{
    return post(SystemCommand::SubmitAddInstrument,
                new AddInstrumentCommandParameter(address, password));
}

int System::cancelAddInstrument()
{
    return post(SystemCommand::CancelAddInstrument);
}

int System::removeAudiogroups(const QMultiMap<QString, QString> &selection)
{
    return post(SystemCommand::RemoveAudiogroups, new RemoveAudiogroupCommandParameter(selection));
}

int System::openSettings()
{
    return post(SystemCommand::OpenSettings);
}
int System::cancelSettings()
{
    return post(SystemCommand::CancelSettings);
}
int System::saveSettings()
{
    return post(SystemCommand::SaveSettings);
}
int System::confirmDeleteAudiogroups()
{
    return post(SystemCommand::ConfirmDeleteAudiogroups);
}
int System::cancelDeleteAudiogroups()
{
    return post(SystemCommand::CancelDeleteAudiogroups);
}
int System::startManualAcquisition()
{
    return post(SystemCommand::StartManualAcquisition);
}
int System::stopManualAcquisition()
{
    return post(SystemCommand::StopManualAcquisition);
}
int System::startAutoAcquisition()
{
    return post(SystemCommand::StartAutoAcquisition);
}
int System::stopAutoAcquisition()
{
    return post(SystemCommand::StopAutoAcquisition);
}

int System::enableAgLogging(const QString &instrumentName, const QString &agName)
{
    return post(SystemCommand::EnableAgLogging,
                new AgLoggingChangeParameter(instrumentName, agName));
}

int System::disableAgLogging(const QString &instrumentName, const QString &agName)
{
    return post(SystemCommand::DisableAgLogging,
                new AgLoggingChangeParameter(instrumentName, agName));
}

int System::requestStatusRefresh()
{
    // Nothing to ask for: every meter and audiogroup controller publishes its status at the
    // end of the round that changed it (the publication cannot fail while this object
    // exists). Posting the request would wake the system controller twice a second, and it
    // would wake nobody else.
    return 0;
}

// Straight into the display's guarded state: each meter and audiogroup publishes from its
// own thread when its status changed, and a hop through the system controller would cost
// that thread a wake-up each time for nothing but a copy under the same lock.
int System::updateAcquisitionStatus(const QList<AcquisitionAg> &status)
{
    m_systemViewController.updateAcquisitionStatus(status);
    return 0;
}

int System::updateAgViolationStatus(const AgViolations &violations, const QString &instrumentName,
                                    const QString &agName)
{
    m_systemViewController.updateAgViolationStatus(instrumentName, agName, violations);
    return 0;
}

int System::resetAgViolationStatus(const QString &instrumentName, const QString &agName)
{
    return post(SystemCommand::ResetAgViolationStatus,
                new AgStatusResetParameter(instrumentName, agName));
}

int System::resetAgAcquisitionStatus(const QString &instrumentName, const QString &agName)
{
    return post(SystemCommand::ResetAgAcquisitionStatus,
                new AgStatusResetParameter(instrumentName, agName));
}

int System::startAcquisition(const QString &instrumentName, const QString &agName)
{
    return post(SystemCommand::StartAcquisition,
                new AcquisitionStartCommandParameter(instrumentName, agName));
}

int System::startGenerateManualReport(const QMultiMap<QString, QString> &reports, qint64 durationMs)
{
    return post(SystemCommand::StartGenerateManualReport,
                new StartGenerateManualReportCommandParameter(reports, durationMs));
}

int System::onManualReportFinished(const QString &nameKey, bool converted, bool failed,
                                   const QString &message)
{
    return post(SystemCommand::ManualReportFinished, new GenerateManualReportFinishCommandParameter(
                                                         nameKey, converted, failed, message));
}

int System::requestDbImport(const QString &filePath, bool nameSuffixFlag, const QString &nameSuffix)
{
    return post(SystemCommand::RequestDbImport,
                new DBImportRequestCommandParameter(filePath, nameSuffixFlag, nameSuffix));
}

int System::cancelDbImport(int cancelKey)
{
    return post(SystemCommand::CancelDbImport, new DBImportCancelCommandParameter(cancelKey));
}

int System::replyDbImportStatus(bool completed, bool failed, const QString &message,
                                qint64 progress, qint64 total)
{
    return post(
        SystemCommand::ReplyDbImportStatus,
        new DBImportStatusReplyCommandParameter(completed, failed, message, progress, total));
}

int System::requestHijackPermission(const QString &instrumentName)
{
    return post(SystemCommand::RequestHijackPermission,
                new HijackPermissionCommandParameter(instrumentName));
}

int System::allowHijack(const QString &instrumentName, const QString &requestId)
{
    return post(SystemCommand::AllowHijack,
                new ReplyHijackPermissionCommandParameter(instrumentName, requestId));
}

int System::denyHijack(const QString &instrumentName, const QString &requestId)
{
    return post(SystemCommand::DenyHijack,
                new ReplyHijackPermissionCommandParameter(instrumentName, requestId));
}

int System::showBackupManager()
{
    return m_backupController.enqueue(new Command(BackupController::CmdShowManager));
}

int System::refreshBackups()
{
    return m_backupController.enqueue(new Command(BackupController::CmdRefresh));
}

int System::deleteBackups(const QList<BackupItem> &items)
{
    return m_backupController.enqueue(
        new Command(BackupController::CmdDelete, new BackupDeleteRequestCommandParameter(items)));
}

AddInstrumentViewController *System::getAddInstrumentViewController()
{
    return &m_addInstrumentViewController;
}

ConfirmationViewController *System::getConfirmationViewController()
{
    return &m_confirmationViewController;
}

SettingsViewController *System::getSettingsViewController()
{
    return &m_settingsViewController;
}

GenerateReportViewController *System::getGenerateReportViewController()
{
    return &m_generateReportViewController;
}

DBImportViewController *System::getDBImportViewController()
{
    return &m_dbImportViewController;
}

ABackupManagerViewController *System::getBackupManagerViewController()
{
    return &m_backupManagerViewController;
}

HijackRequestViewController *System::getHijackRequestViewController()
{
    return &m_hijackRequestViewController;
}
