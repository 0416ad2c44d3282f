#include "AcquisitionCommands.h"

#include <AAudioGroup.h>
#include <AInstrument.h>
#include <ASystem.h>
#include <AgServiceFactories.h>
#include <AgStatusResetParameter.h>
#include <AgViewController.h>
#include <Command.h>
#include <DBExportManager.h>
#include <DBImportManager.h>
#include <InstrumentDeviceNetworkInterfaceReply.h>
#include <InstrumentManager.h>
#include <ReportTaskQueue.h>

namespace {

InstrumentManager *instrumentManager()
{
    ASystem *system = ASystem::instance();
    return system ? system->getInstrumentManager() : nullptr;
}

} // namespace

namespace AcquisitionCommands {

int routeInstrumentReply(Command *command)
{
    auto *reply = command->parameterAs<InstrumentDeviceNetworkInterfaceReply>();
    InstrumentManager *manager = instrumentManager();
    AInstrument *instrument =
        (reply && manager) ? manager->findInstrument(reply->getInstrumentId()) : nullptr;
    if (!instrument)
        return -1; // the body is freed with the command
    // The forwarded payload takes the body over, so it is freed exactly once.
    auto *forwarded = new DeviceNetworkInterfaceReply(
        reply->getRequestId(), reply->getNetworkError(), nullptr);
    reply->passReplyTo(*forwarded);
    forwarded->setHttpStatus(reply->getHttpStatus());
    instrument->postDeviceReply(forwarded);
    return 0;
}

int resetViolationStatus(Command *command)
{
    auto *parameter = command->parameterAs<AgStatusResetParameter>();
    InstrumentManager *manager = instrumentManager();
    AAudioGroup *audioGroup =
        (parameter && manager)
            ? manager->findAudioGroup(parameter->getInstrumentName(), parameter->getAgName())
            : nullptr;
    if (!audioGroup)
        return -1;
    audioGroup->resetViolationStatus();
    return 0;
}

int resetAcquisitionStatus(Command *command)
{
    auto *parameter = command->parameterAs<AgStatusResetParameter>();
    InstrumentManager *manager = instrumentManager();
    AInstrument *instrument =
        (parameter && manager) ? manager->findInstrument(parameter->getInstrumentName()) : nullptr;
    if (!instrument)
        return -1;
    instrument->resetAcquisitionStatus();
    return 0;
}

void installAgServices()
{
    AgServiceFactories factories;
    factories.viewController = [] { return new AgViewController(); };
    factories.reportTasks = [] { return new ReportTaskQueue(); };
    factories.importManager = [] { return new DBImportManager(); };
    factories.exportManager = [] { return new DBExportManager(); };
    AgServiceFactories::install(factories);
}

} // namespace AcquisitionCommands
