#include "System.h"

#include "AcquisitionCommands.h"

#include "HijackPermissionCommandParameter.h"
#include "HijackPermissionRequest.h"
#include "ReplyHijackPermissionCommandParameter.h"

#include <ARequest.h>
#include <ASplashScreen.h>
#include <AcquisitionAg.h>
#include <AcquisitionStartCommandParameter.h>
#include <AcquisitionStatusUpdateParameter.h>
#include <AddInstrumentCommandParameter.h>
#include <AgLoggingChangeParameter.h>
#include <AgStatusResetParameter.h>
#include <AgViolationStatusUpdateParameter.h>
#include <AgViolations.h>
#include <Alert.h>
#include <BackupDeleteRequestCommandParameter.h>
#include <ClosingPleaseWaitDialog.h>
#include <Command.h>
#include <ConfigChangeCommandParameter.h>
#include <DBImportCancelCommandParameter.h>
#include <DBImportRequestCommandParameter.h>
#include <DBImportStatusReplyCommandParameter.h>
#include <DeviceNetworkInterfaceReply.h>
#include <GUIFactory.h>
#include <GenerateManualReportFinishCommandParameter.h>
#include <HijackRequestView.h>
#include <InstrumentDeviceNetworkInterfaceReply.h>
#include <InstrumentManager.h>
#include <KivConstants.h>
#include <KivTypes.h>
#include <KivUtils.h>
#include <NUVNetworkAccessManager.h>
#include <ORQLogging.h>
#include <Program.h>
#include <RemoveAudiogroupCommandParameter.h>
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
    HijackRequestView::registerCreator();
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
    qRegisterMetaType<QList<AlertContactConfig>>("QList<AlertContactConfig>");
    qRegisterMetaType<SMTPConfig>("SMTPConfig");
    qRegisterMetaType<ReportConfig>("ReportConfig");
    qRegisterMetaType<HijackPermissionRequest>("HijackPermissionRequest");
    qRegisterMetaType<QList<int>>("QList<int>");
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
        m_settingsViewController.init();
        m_generateReportViewController.init();
        m_dbImportViewController.init();

        m_systemController.prepare();
        m_systemController.startThread();

        m_backupManagerViewController.init();
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

int System::post(int type, CommandParameter *parameter)
{
    return m_systemController.enqueue(new Command(type, parameter));
}

int System::onInstrumentReply(InstrumentDeviceNetworkInterfaceReply *reply)
{
    return post(0, reply);
}

int System::changeInstrumentConfig(const InstrumentConfig &config)
{
    return post(1, new ConfigChangeCommandParameter(config));
}

int System::onAddDeviceReply(int requestId, int networkError, QString *replyData)
{
    return post(2, new DeviceNetworkInterfaceReply(requestId, networkError, replyData));
}

int System::startAddInstrument()
{
    return post(3);
}

int System::submitAddInstrument(const QString &address, const QString &password)
{
    return post(4, new AddInstrumentCommandParameter(address, password));
}

int System::cancelAddInstrument()
{
    return post(5);
}

int System::removeAudiogroups(const QMultiMap<QString, QString> &selection)
{
    return post(6, new RemoveAudiogroupCommandParameter(selection));
}

int System::openSettings()
{
    return post(9);
}
int System::cancelSettings()
{
    return post(10);
}
int System::saveSettings()
{
    return post(11);
}
int System::confirmDeleteAudiogroups()
{
    return post(12);
}
int System::cancelDeleteAudiogroups()
{
    return post(13);
}
int System::startManualAcquisition()
{
    return post(14);
}
int System::stopManualAcquisition()
{
    return post(15);
}
int System::startAutoAcquisition()
{
    return post(16);
}
int System::stopAutoAcquisition()
{
    return post(17);
}

int System::enableAgLogging(const QString &instrumentName, const QString &agName)
{
    return post(18, new AgLoggingChangeParameter(instrumentName, agName));
}

int System::disableAgLogging(const QString &instrumentName, const QString &agName)
{
    return post(19, new AgLoggingChangeParameter(instrumentName, agName));
}

int System::requestStatusRefresh()
{
    return post(20);
}

int System::updateAcquisitionStatus(const QList<AcquisitionAg> &status)
{
    return post(21, new AcquisitionStatusUpdateParameter(status));
}

int System::updateAgViolationStatus(const AgViolations &violations, const QString &instrumentName,
                                    const QString &agName)
{
    return post(22, new AgViolationStatusUpdateParameter(instrumentName, agName, violations));
}

int System::resetAgViolationStatus(const QString &instrumentName, const QString &agName)
{
    return post(23, new AgStatusResetParameter(instrumentName, agName));
}

int System::resetAgAcquisitionStatus(const QString &instrumentName, const QString &agName)
{
    return post(24, new AgStatusResetParameter(instrumentName, agName));
}

int System::startAcquisition(const QString &instrumentName, const QString &agName)
{
    return post(25, new AcquisitionStartCommandParameter(instrumentName, agName));
}

int System::startGenerateManualReport(const QMultiMap<QString, QString> &reports, qint64 durationMs)
{
    return post(26, new StartGenerateManualReportCommandParameter(reports, durationMs));
}

int System::onManualReportFinished(const QString &nameKey, bool converted, bool failed,
                                   const QString &message)
{
    return post(
        27, new GenerateManualReportFinishCommandParameter(nameKey, converted, failed, message));
}

int System::requestDbImport(const QString &filePath, bool nameSuffixFlag, const QString &nameSuffix)
{
    return post(28, new DBImportRequestCommandParameter(filePath, nameSuffixFlag, nameSuffix));
}

int System::cancelDbImport(int cancelKey)
{
    return post(29, new DBImportCancelCommandParameter(cancelKey));
}

int System::replyDbImportStatus(bool completed, bool failed, const QString &message,
                                qint64 progress, qint64 total)
{
    return post(
        30, new DBImportStatusReplyCommandParameter(completed, failed, message, progress, total));
}

int System::requestHijackPermission(const QString &instrumentName)
{
    return post(31, new HijackPermissionCommandParameter(instrumentName));
}

int System::allowHijack(const QString &instrumentName, const QString &requestId)
{
    return post(32, new ReplyHijackPermissionCommandParameter(instrumentName, requestId));
}

int System::denyHijack(const QString &instrumentName, const QString &requestId)
{
    return post(33, new ReplyHijackPermissionCommandParameter(instrumentName, requestId));
}

int System::showBackupManager()
{
    return m_backupController.enqueue(new Command(0));
}

int System::refreshBackups()
{
    return m_backupController.enqueue(new Command(1));
}

int System::deleteBackups(const QList<BackupItem> &items)
{
    return m_backupController.enqueue(
        new Command(2, new BackupDeleteRequestCommandParameter(items)));
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

BackupManagerViewController *System::getBackupManagerViewController()
{
    return &m_backupManagerViewController;
}

HijackRequestViewController *System::getHijackRequestViewController()
{
    return &m_hijackRequestViewController;
}
