#include "SettingsConfigManagementOperation.h"

#include <ASystem.h>
#include <ConfigValidators.h>
#include <InstrumentManager.h>
#include <ORQLogging.h>
#include <SettingsViewController.h>
#include <SystemConfig.h>
#include <SystemConfigXml.h>

namespace {

SettingsViewController *settingsView()
{
    ASystem *system = ASystem::instance();
    return system ? system->getSettingsViewController() : nullptr;
}

void showAlert(const QString &text)
{
    if (ASystem *system = ASystem::instance())
        system->showAlert(text);
}

} // namespace

SettingsConfigManagementOperation::SettingsConfigManagementOperation(int type, int id)
    : AConfigManagementOperation(type, id)
{
}

SettingsConfigManagementOperation::~SettingsConfigManagementOperation() = default;

void SettingsConfigManagementOperation::requestSave()
{
    m_saveRequested = true;
}

void SettingsConfigManagementOperation::requestCancel()
{
    m_cancelRequested = true;
    setShowResult(false);
}

void SettingsConfigManagementOperation::step()
{
    switch (m_state) {
    case StateEditing:
        stepEditing();
        break;
    case StateSaving:
        stepSaving();
        break;
    case StateBackToEditing:
        backToEditing();
        break;
    default:
        break;
    }
}

void SettingsConfigManagementOperation::stepEditing()
{
    SettingsViewController *view = settingsView();
    // Does nothing while the dialog is shown, so the user's edits survive.
    if (view)
        view->start();
    if (m_saveRequested) {
        // Taken now, so that a Save that arrives while this one is handled is not lost.
        m_saveRequested = false;
        if (view)
            view->showPleaseWait(QStringLiteral("Saving Settings..."));
        m_state = StateSaving;
    } else if (m_cancelRequested) {
        if (view) {
            view->stop();
            view->hidePleaseWait();
        }
        setCompleted(QString());
        setShowResult(false);
        m_state = StateClosed;
    }
}

void SettingsConfigManagementOperation::stepSaving()
{
    SettingsViewController *view = settingsView();
    if (!view) {
        // Nothing was edited: a default configuration must never replace the current one.
        setFailed(QStringLiteral("Could not save the settings change."));
        return;
    }
    SystemConfig edited = view->getSystemConfig();
    SystemConfigValidator validator;
    validator.setConfig(&edited);
    QString message;
    if (!validator.validate(message, false)) {
        setMessage(message);
        showAlert(message);
        m_state = StateBackToEditing;
    } else {
        // A refused address or port is settled once the user has entered another one that
        // the validators accept, each of them that was refused; the guess made at load is
        // not taken as the user's answer.
        ASystem *system = ASystem::instance();
        const SystemConfig current = system ? system->getSystemConfig() : SystemConfig();
        QList<InstrumentConfig> instruments = edited.getInstruments();
        for (InstrumentConfig &instrument : instruments) {
            const InstrumentConfig loaded = current.getInstrument(instrument.getName());
            const bool ipSettled = !loaded.isValueRefused(QStringLiteral("IpAdr")) ||
                                   instrument.getIpAdr() != loaded.getIpAdr();
            const bool portSettled = !loaded.isValueRefused(QStringLiteral("Port")) ||
                                     instrument.getPort() != loaded.getPort();
            if (ipSettled && portSettled)
                instrument.setRefusedAtLoad(QString());
        }
        edited.setInstruments(instruments);
        m_validated = edited;
        m_writeFailed = false;
        if (applyConfigChange() == 0 && !m_writeFailed) {
            setCompleted(QStringLiteral("Settings changed successfully."));
            view->stop();
            m_state = StateClosed;
        } else {
            // Not applied (or not kept): the dialog stays open with the edits, so that the
            // user may save again or cancel, and is told at once.
            const QString failure = QStringLiteral("Could not save the settings change.");
            setMessage(failure);
            showAlert(failure);
            m_state = StateBackToEditing;
        }
    }
    view->hidePleaseWait();
}

void SettingsConfigManagementOperation::backToEditing()
{
    // A Save or Cancel that arrived meanwhile stays for the next editing cycle.
    restart();
    m_state = StateEditing;
}

void SettingsConfigManagementOperation::changeSystemConfig()
{
    // The file first: settings that would be gone at the next start are not applied.
    if (saveSystemConfigToFile(m_validated, systemConfigFileName()) != 0) {
        KIV_LOG(1, "Could not save SystemConfig.\n");
        m_writeFailed = true;
        return;
    }
    if (ASystem *system = ASystem::instance())
        system->setSystemConfig(m_validated);
}

void SettingsConfigManagementOperation::abort()
{
    if (InstrumentManager *manager = instrumentManager())
        manager->unpauseAll();
    if (SettingsViewController *view = settingsView())
        view->stop();
}
