#include "ConfigController.h"

#include "AConfigManagementOperation.h"
#include "AcquisitionStartStopConfigManagementOperation.h"
#include "AddInstrumentConfigManagementOperation.h"
#include "AgAcquisitionConfigManagementOperation.h"
#include "ChangeConfigManagementOperation.h"
#include "DBImportConfigManagementOperation.h"
#include "DeleteAudiogroupConfigManagementOperation.h"
#include "HijackUncheckConfigManagementOperation.h"
#include "SettingsConfigManagementOperation.h"

#include <ASystem.h>
#include <AddInstrumentViewController.h>
#include <ConfirmationViewController.h>
#include <DBImportViewController.h>
#include <HttpDeviceAddNetworkInterface.h>
#include <SettingsViewController.h>

namespace {

AddInstrumentViewController *addInstrumentView()
{
    ASystem *system = ASystem::instance();
    return system ? system->getAddInstrumentViewController() : nullptr;
}

ConfirmationViewController *confirmationView()
{
    ASystem *system = ASystem::instance();
    return system ? system->getConfirmationViewController() : nullptr;
}

void hideAddInstrumentViews()
{
    if (AddInstrumentViewController *view = addInstrumentView()) {
        emit view->hide();
        emit view->hidePleaseWaitDialog();
    }
}

void hideConfirmationViews()
{
    if (ConfirmationViewController *view = confirmationView()) {
        emit view->hide();
        emit view->hidePleaseWait();
    }
}

void hideImportView()
{
    ASystem *system = ASystem::instance();
    if (DBImportViewController *view = system ? system->getDBImportViewController() : nullptr)
        view->hideProgress();
}

void stopSettingsView()
{
    ASystem *system = ASystem::instance();
    if (SettingsViewController *view = system ? system->getSettingsViewController() : nullptr)
        view->stop();
}

} // namespace

ConfigController::ConfigController() = default;

ConfigController::~ConfigController()
{
    delete m_addDeviceInterface;
    m_addDeviceInterface = nullptr;
    for (AConfigManagementOperation *operation : qAsConst(m_operations))
        dispose(operation);
    m_operations.clear();
    m_operationCount = 0;
}

int ConfigController::init(int interfaceType)
{
    m_interfaceType = interfaceType;
    if (interfaceType != kAddDeviceInterfaceHttp)
        return -1;
    delete m_addDeviceInterface;
    m_addDeviceInterface = new HttpDeviceAddNetworkInterface();
    return 0;
}

void ConfigController::dispose(AConfigManagementOperation *operation)
{
    if (!operation)
        return;
    operation->disconnect();
    delete operation;
}

bool ConfigController::queueOperation(int type, const OperationFactory &create)
{
    if (hasOperationOfType(type))
        return false;
    return insertOperation(type, create);
}

bool ConfigController::insertOperation(int type, const OperationFactory &create)
{
    if (!create)
        return false;
    m_idCounter = (m_idCounter + 1) % kIdModulus + 1;
    AConfigManagementOperation *operation = create(type, m_idCounter);
    if (!operation)
        return false;
    if (type == AddInstrument)
        connect(operation, &AConfigManagementOperation::networkRequest, this,
                &ConfigController::onNetworkRequest, Qt::DirectConnection);
    m_operations.prepend(operation);
    m_operationCount = m_operations.size();
    return true;
}

bool ConfigController::hasOperationOfType(int type) const
{
    for (const AConfigManagementOperation *operation : m_operations) {
        if (operation && operation->getType() == type)
            return true;
    }
    return false;
}

AConfigManagementOperation *ConfigController::runningOperation() const
{
    return m_operations.isEmpty() ? nullptr : m_operations.last();
}

QList<int> ConfigController::queuedTypes() const
{
    QList<int> types;
    for (const AConfigManagementOperation *operation : m_operations)
        types.append(operation ? operation->getType() : -1);
    return types;
}

void ConfigController::requestAddInstrument()
{
    queueOperation(AddInstrument, [](int type, int id) {
        return new AddInstrumentConfigManagementOperation(type, id);
    });
}

void ConfigController::requestDeleteAudiogroups(const QMultiMap<QString, QString> &selection)
{
    queueOperation(DeleteAudiogroups, [&selection](int type, int id) {
        return new DeleteAudiogroupConfigManagementOperation(type, id, selection);
    });
}

void ConfigController::requestChangeConfig(const InstrumentConfig &config)
{
    queueOperation(ChangeConfig, [&config](int type, int id) {
        return new ChangeConfigManagementOperation(type, id, config);
    });
}

void ConfigController::requestSettings()
{
    queueOperation(
        Settings, [](int type, int id) { return new SettingsConfigManagementOperation(type, id); });
}

void ConfigController::requestStartManualAcquisition()
{
    queueOperation(StartManualAcquisition, [](int type, int id) {
        return new AcquisitionStartStopConfigManagementOperation(type, id);
    });
}

void ConfigController::requestStopManualAcquisition()
{
    queueOperation(StopManualAcquisition, [](int type, int id) {
        return new AcquisitionStartStopConfigManagementOperation(type, id);
    });
}

void ConfigController::requestStartAutoAcquisition()
{
    queueOperation(StartAutoAcquisition, [](int type, int id) {
        return new AcquisitionStartStopConfigManagementOperation(type, id);
    });
}

void ConfigController::requestStopAutoAcquisition()
{
    queueOperation(StopAutoAcquisition, [](int type, int id) {
        return new AcquisitionStartStopConfigManagementOperation(type, id);
    });
}

void ConfigController::requestEnableAgLogging(const QString &instrument, const QString &audiogroup)
{
    queueOperation(EnableAgLogging, [&](int type, int id) {
        return new AgAcquisitionConfigManagementOperation(type, id, instrument, audiogroup);
    });
}

void ConfigController::requestDisableAgLogging(const QString &instrument, const QString &audiogroup)
{
    queueOperation(DisableAgLogging, [&](int type, int id) {
        return new AgAcquisitionConfigManagementOperation(type, id, instrument, audiogroup);
    });
}

void ConfigController::requestStartAgAcquisition(const QString &instrument,
                                                 const QString &audiogroup)
{
    queueOperation(StartAgAcquisition, [&](int type, int id) {
        return new AgAcquisitionConfigManagementOperation(type, id, instrument, audiogroup);
    });
}

void ConfigController::requestDBImport(const QString &filePath, bool nameSuffixFlag,
                                       const QString &nameSuffix)
{
    queueOperation(DBImport, [&](int type, int id) {
        return new DBImportConfigManagementOperation(type, id, filePath, nameSuffixFlag,
                                                     nameSuffix);
    });
}

void ConfigController::requestHijackUncheck(const QString &instrumentName)
{
    // One per meter rather than one in all: a refused uncheck would leave that meter's
    // device waiting for an answer for ever.
    for (const AConfigManagementOperation *operation : qAsConst(m_operations)) {
        auto *uncheck = dynamic_cast<const HijackUncheckConfigManagementOperation *>(operation);
        if (uncheck && uncheck->getInstrumentName() == instrumentName)
            return;
    }
    insertOperation(HijackUncheck, [&instrumentName](int type, int id) {
        return new HijackUncheckConfigManagementOperation(type, id, instrumentName);
    });
}

void ConfigController::submitAddInstrument(const QString &address, const QString &password)
{
    auto *operation = dynamic_cast<AddInstrumentConfigManagementOperation *>(runningOperation());
    if (!operation) {
        hideAddInstrumentViews();
        return;
    }
    operation->submit(address, password);
}

void ConfigController::cancelAddInstrument()
{
    auto *operation = dynamic_cast<AddInstrumentConfigManagementOperation *>(runningOperation());
    if (!operation) {
        hideAddInstrumentViews();
        return;
    }
    operation->cancel();
}

void ConfigController::confirmOperation()
{
    if (AConfigManagementOperation *operation = runningOperation())
        operation->onConfirm();
    else
        hideConfirmationViews();
}

void ConfigController::refuseOperation()
{
    if (AConfigManagementOperation *operation = runningOperation())
        operation->onRefuse();
    else
        hideConfirmationViews();
}

void ConfigController::saveSettings()
{
    // Only a running settings operation takes the dialog's Save; without one the dialog
    // just closes.
    if (auto *operation = dynamic_cast<SettingsConfigManagementOperation *>(runningOperation()))
        operation->requestSave();
    else
        stopSettingsView();
}

void ConfigController::cancelSettings()
{
    if (auto *operation = dynamic_cast<SettingsConfigManagementOperation *>(runningOperation()))
        operation->requestCancel();
    else
        stopSettingsView();
}

void ConfigController::cancelDBImport(int requestId)
{
    // Only a running import operation takes the cancel; without one its view closes.
    if (auto *operation = dynamic_cast<DBImportConfigManagementOperation *>(runningOperation()))
        operation->onCancel(requestId);
    else
        hideImportView();
}

void ConfigController::setDBImportStatus(bool completed, bool failed, const QString &message,
                                         qint64 progress, qint64 total)
{
    if (auto *operation = dynamic_cast<DBImportConfigManagementOperation *>(runningOperation()))
        operation->setImportStatus(completed, failed, message, progress, total);
    else
        hideImportView();
}

void ConfigController::onNetworkReply(int networkError, int kind, const QString *text)
{
    if (AConfigManagementOperation *operation = runningOperation())
        operation->onNetworkReply(networkError, kind, text);
}

void ConfigController::onNetworkRequest(ARequest::CommandType kind, ARequest *request,
                                        const QString &host, const QString &port)
{
    if (m_addDeviceInterface)
        m_addDeviceInterface->send(kind, request, host, port);
}

void ConfigController::tick()
{
    AConfigManagementOperation *operation = runningOperation();
    if (!operation) {
        // Dialogs an ended operation showed close at the latest here; hidden once, not at
        // every idle cycle.
        if (m_viewsMayShow) {
            hideConfigOperationViews();
            m_viewsMayShow = false;
        }
        return;
    }
    m_viewsMayShow = true;
    operation->run();
    if (operation->isFinished()) {
        m_operations.removeLast();
        m_operationCount = m_operations.size();
        dispose(operation);
    }
}

void ConfigController::hideConfigOperationViews()
{
    hideAddInstrumentViews();
    hideConfirmationViews();
    hideImportView();
}

void ConfigController::clear()
{
    if (AddInstrumentViewController *view = addInstrumentView())
        emit view->hide();
    for (AConfigManagementOperation *operation : qAsConst(m_operations))
        dispose(operation);
    m_operations.clear();
    m_operationCount = 0;
}
