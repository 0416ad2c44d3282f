#include "AcquisitionStartStopConfigManagementOperation.h"

#include <ASystem.h>
#include <ConfirmationViewController.h>
#include <InstrumentManager.h>
#include <SystemConfig.h>

AcquisitionStartStopConfigManagementOperation::AcquisitionStartStopConfigManagementOperation(
    int type, int id)
    : AConfigManagementOperation(type, id)
{
    setShowResult(false);
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

void AcquisitionStartStopConfigManagementOperation::step()
{
    const QString text = pleaseWaitText();
    if (!text.isEmpty())
        showConfirmationPleaseWait(text);
    // The please-wait box is hidden by the controller's first idle cycle.
    if (applyConfigChange() == 0) {
        setCompleted(QString());
    } else {
        setFailed(QStringLiteral("Could not perform requested operation"));
        setShowResult(true);
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

void AcquisitionStartStopConfigManagementOperation::abort()
{
    if (InstrumentManager *manager = instrumentManager())
        manager->unpauseAll();
    ASystem *system = ASystem::instance();
    if (ConfirmationViewController *view =
            system ? system->getConfirmationViewController() : nullptr)
        emit view->hidePleaseWait();
}
