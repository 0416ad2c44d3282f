#include "DeleteAudiogroupConfigManagementOperation.h"

#include <ASystem.h>
#include <ConfirmationViewController.h>
#include <InstrumentManager.h>
#include <SystemConfig.h>

namespace {

ConfirmationViewController *confirmationView()
{
    ASystem *system = ASystem::instance();
    return system ? system->getConfirmationViewController() : nullptr;
}

void hideConfirmation()
{
    if (ConfirmationViewController *view = confirmationView()) {
        emit view->hide();
        emit view->hidePleaseWait();
    }
}

} // namespace

DeleteAudiogroupConfigManagementOperation::DeleteAudiogroupConfigManagementOperation(
    int type, int id, const QMultiMap<QString, QString> &selection)
    : AConfigManagementOperation(type, id), m_selection(selection)
{
}

DeleteAudiogroupConfigManagementOperation::~DeleteAudiogroupConfigManagementOperation() = default;

void DeleteAudiogroupConfigManagementOperation::onConfirm()
{
    m_confirmed = true;
}

void DeleteAudiogroupConfigManagementOperation::onRefuse()
{
    m_refused = true;
    setShowResult(false);
}

void DeleteAudiogroupConfigManagementOperation::step()
{
    ConfirmationViewController *view = confirmationView();
    if (m_state == StateAsking) {
        if (view)
            view->showDeleteConfirmation();
        if (m_confirmed) {
            if (view) {
                emit view->hide();
                emit view->showPleaseWait(QStringLiteral("Deleting the selected audiogroups..."));
            }
            m_state = StateDeleting;
        } else if (m_refused) {
            hideConfirmation();
            setShowResult(false);
            setCompleted(QString());
        }
    } else if (m_state == StateDeleting) {
        if (applyConfigChange() == 0)
            setCompleted(QStringLiteral("Successfully deleted audiogroups"));
        else
            setFailed(QStringLiteral("Could not remove the instrument from configuration"));
        hideConfirmation();
    }
}

void DeleteAudiogroupConfigManagementOperation::changeSystemConfig()
{
    ASystem *system = ASystem::instance();
    if (!system)
        return;
    SystemConfig current = system->getSystemConfig();
    for (auto it = m_selection.cbegin(); it != m_selection.cend(); ++it) {
        current.removeAgConfig(it.key(), it.value());
        if (current.hasInstrument(it.key()) &&
            current.getInstrument(it.key()).getAgConfigCount() == 0)
            current.removeInstrument(it.key());
    }
    publishAndSave(current);
}

void DeleteAudiogroupConfigManagementOperation::abort()
{
    if (InstrumentManager *manager = instrumentManager())
        manager->unpauseAll();
    hideConfirmation();
}
