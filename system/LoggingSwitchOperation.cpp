#include "LoggingSwitchOperation.h"

#include <ASystem.h>
#include <ConfirmationViewController.h>
#include <InstrumentManager.h>

LoggingSwitchOperation::LoggingSwitchOperation(int type, int id)
    : AConfigManagementOperation(type, id)
{
    setShowResult(false);
}

LoggingSwitchOperation::~LoggingSwitchOperation() = default;

void LoggingSwitchOperation::step()
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

void LoggingSwitchOperation::abort()
{
    if (InstrumentManager *manager = instrumentManager())
        manager->unpauseAll();
    ASystem *system = ASystem::instance();
    if (ConfirmationViewController *view =
            system ? system->getConfirmationViewController() : nullptr)
        emit view->hidePleaseWait();
}
