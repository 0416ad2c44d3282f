#include "AcquisitionStartStopConfigManagementOperation.h"

#include <ASystem.h>
#include <SystemConfig.h>

AcquisitionStartStopConfigManagementOperation::AcquisitionStartStopConfigManagementOperation(
    int type, int id)
    : LoggingSwitchOperation(type, id)
{
}

AcquisitionStartStopConfigManagementOperation::~AcquisitionStartStopConfigManagementOperation() =
    default;

QString AcquisitionStartStopConfigManagementOperation::pleaseWaitText() const
{
    switch (getType()) {
    case 4:
        return QStringLiteral("Starting logging manual mode...");
    case 5:
        return QStringLiteral("Stopping logging manual mode...");
    case 6:
        return QStringLiteral("Starting logging auto mode...");
    case 7:
        return QStringLiteral("Stopping logging auto mode...");
    default:
        return QString();
    }
}

void AcquisitionStartStopConfigManagementOperation::changeSystemConfig()
{
    ASystem *system = ASystem::instance();
    if (!system)
        return;
    SystemConfig current = system->getSystemConfig();
    // Only a manual start switches logging on; the other three switch it off.
    current.setManualAcquisitionOn(getType() == 4);
    publishAndSave(current);
}
