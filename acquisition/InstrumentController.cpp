#include "InstrumentController.h"

#include "AcquisitionStatusUpdateParameter.h"
#include "Device.h"
#include "UpdateInstrumentConfigCommandParameter.h"

#include "core/ASystem.h"
#include "core/Command.h"

#include <ORQLogging.h>

#include <exception>

namespace {
constexpr int kQueueCapacity = 100;
constexpr int kLoopSleepMs = 10;
} // namespace

InstrumentController::InstrumentController(QObject *parent)
    : KivThread(parent), CommandQueue(kQueueCapacity)
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

bool InstrumentController::isFinished() const
{
    if (isRunning())
        return false;
    // A thread that never started has nothing left to finish.
    if (!QThread::isFinished())
        return true;
    const int state = m_loopState.load();
    return state == StateCreated || state == StateFinished;
}

void InstrumentController::resetHijackRequest()
{
    if (m_device)
        m_device->resetHijackRequest();
}

void InstrumentController::allowHijackRequest()
{
    if (m_device)
        m_device->allowHijackRequest();
}

void InstrumentController::loop()
{
    KIV_LOG(4, "Started running the InstrumentController[%s] thread\n", qUtf8Printable(m_name));
    step();
    while (m_loopState.load() != StateFinished) {
        msleep(kLoopSleepMs);
        step();
    }
    KIV_LOG(4, "InstrumentController[%s] loop ended\n", qUtf8Printable(m_name));
}

void InstrumentController::step()
{
    switch (m_loopState.load()) {
    case StateCreated:
        m_loopState = StateRunning;
        break;
    case StateRunning:
        if (m_stop.load()) {
            m_loopState = StateFinished;
            clearCommands();
        } else if (m_pause.load()) {
            m_loopState = StatePaused;
            clearCommands();
        } else {
            if (m_device && !m_instrumentConfig.areAllAgConfigsImported())
                m_device->step();
            try {
                processCommands();
            } catch (const std::exception &e) {
                KIV_LOG(2, "Exception when handling commands in InstrumentController[%s]: %s\n",
                        qUtf8Printable(m_name), e.what());
            }
        }
        break;
    case StatePaused:
        if (m_stop.load()) {
            m_loopState = StateFinished;
            clearCommands();
        } else if (!m_pause.load()) {
            m_loopState = StateRunning;
        }
        break;
    case StateFinished:
        break;
    default:
        KIV_LOG(2, "InstrumentController[%s] unknown state; closing controller\n",
                qUtf8Printable(m_name));
        m_loopState = StateFinished;
        clearCommands();
        break;
    }
}

int InstrumentController::publishAcquisitionStatus()
{
    ASystem *system = ASystem::instance();
    if (!system || !m_device)
        return -1;
    system->updateAcquisitionStatus(m_device->getAcquisitionStatus());
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
