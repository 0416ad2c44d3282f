#include "InstrumentController.h"

#include "AcquisitionStatusUpdateParameter.h"
#include "Device.h"
#include "UpdateInstrumentConfigCommandParameter.h"

#include "core/ASystem.h"
#include "core/Command.h"

#include <ORQLogging.h>

namespace {
constexpr int kQueueCapacity = 100;
} // namespace

InstrumentController::InstrumentController(QObject *parent)
    : PausableController(kQueueCapacity, parent)
{
}

InstrumentController::~InstrumentController()
{
    // Commands may refer to the device; drop them first.
    clearCommands();
    delete m_device;
}

QString InstrumentController::getName() const
{
    return m_name;
}

QString InstrumentController::commandQueueName() const
{
    return QStringLiteral("InstrumentController[%1]").arg(m_name);
}

int InstrumentController::init(bool acquisitionFlag, const InstrumentConfig &config)
{
    m_acquisitionFlag = acquisitionFlag;
    m_instrumentConfig = config;
    m_name = config.getName();
    delete m_device;
    m_device = createDevice(1, acquisitionFlag, config);
    return m_device ? 0 : -1;
}

void InstrumentController::applyConfig(bool acquisitionFlag, const InstrumentConfig &config)
{
    m_acquisitionFlag = acquisitionFlag;
    m_instrumentConfig = config;
    if (m_device)
        m_device->updateConfig(acquisitionFlag, config);
}

void InstrumentController::resetHijackRequest()
{
    if (m_device)
        m_device->resetHijackRequest();
    wake();
}

void InstrumentController::allowHijackRequest()
{
    if (m_device)
        m_device->allowHijackRequest();
    wake();
}

void InstrumentController::workingCycle()
{
    if (m_device && !m_instrumentConfig.areAllAgConfigsImported())
        m_device->step();
    runCommands();
    // Published by the round that changed it: waiting for the display's next request
    // cost this thread and the system controller a wake-up each.
    if (m_device &&
        (m_statusUnpublished.load() || !m_device->hasAcquisitionStatus(m_publishedStatus)))
        publishAcquisitionStatus();
}

qint64 InstrumentController::msUntilNextDuty() const
{
    if (!m_device || m_instrumentConfig.areAllAgConfigsImported())
        return -1;
    return m_device->msUntilNextStep();
}

void InstrumentController::onResumed()
{
    if (m_device)
        m_device->onResumed();
}

void InstrumentController::onCommandQueued(int commandType)
{
    // The device is made before the thread starts and lives as long as the controller.
    if (commandType == CmdStoreResult && m_device && !m_device->takeStoreResult())
        return;
    wake();
}

int InstrumentController::publishAcquisitionStatus()
{
    ASystem *system = ASystem::instance();
    if (!system || !m_device)
        return -1;
    m_publishedStatus = m_device->getAcquisitionStatus();
    m_statusUnpublished = false;
    system->updateAcquisitionStatus(m_publishedStatus);
    return 0;
}

int InstrumentController::handleCommand(Command *command)
{
    if (!command)
        return 0;
    int result = 0;
    switch (command->getType()) {
    case CmdDeviceReply:
        result = m_device ? m_device->onRawDataReceived(command) : -1;
        break;
    case CmdTimestampReply: {
        auto *reply = dynamic_cast<AgCommandReply *>(command);
        result = (reply && m_device) ? m_device->onTimestampReply(reply) : -1;
        break;
    }
    case CmdStoreResult: {
        auto *reply = dynamic_cast<AgCommandReply *>(command);
        result = (reply && m_device) ? m_device->onStoreResult(reply) : -1;
        break;
    }
    case CmdPublishStatus:
        result = publishAcquisitionStatus();
        break;
    case CmdResetStatus:
        if (m_device)
            m_device->resetAcquisitionStatus();
        result = publishAcquisitionStatus();
        break;
    case CmdUpdateConfig: {
        auto *parameter = command->parameterAs<UpdateInstrumentConfigCommandParameter>();
        if (parameter)
            applyConfig(parameter->getAcquisitionFlag(), parameter->getInstrumentConfig());
        else
            result = -1;
        break;
    }
    default:
        KIV_LOG(2, "Unknown command type in InstrumentController[%s]: %d\n", qUtf8Printable(m_name),
                command->getType());
        return 0;
    }
    if (result != 0)
        KIV_LOG(2, "InstrumentController[%s]command[%d] failed: %d\n", qUtf8Printable(m_name),
                command->getType(), result);
    return 0;
}
