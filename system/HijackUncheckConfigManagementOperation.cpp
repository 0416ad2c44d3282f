#include "HijackUncheckConfigManagementOperation.h"

#include <ASystem.h>
#include <ConfirmationViewController.h>
#include <InstrumentManager.h>
#include <SystemConfig.h>

HijackUncheckConfigManagementOperation::HijackUncheckConfigManagementOperation(
    int type, int id, const QString &instrumentName)
    : AConfigManagementOperation(type, id), m_instrumentName(instrumentName)
{
}

HijackUncheckConfigManagementOperation::~HijackUncheckConfigManagementOperation() = default;

QStringList
HijackUncheckConfigManagementOperation::loggingAudiogroups(const InstrumentConfig &instrument)
{
    QStringList names;
    const QList<AgConfig> agConfigs = instrument.getAgConfigs();
    for (const AgConfig &agConfig : agConfigs) {
        if (!agConfig.getImported() && agConfig.getHasLoggingEnabled())
            names.append(agConfig.getName());
    }
    return names;
}

void HijackUncheckConfigManagementOperation::step()
{
    switch (m_stage) {
    case 0:
        denyStage();
        break;
    case 1:
        finishStage();
        break;
    default:
        break;
    }
}

void HijackUncheckConfigManagementOperation::denyStage()
{
    m_changed = false;
    ASystem *system = ASystem::instance();
    const SystemConfig current = system ? system->getSystemConfig() : SystemConfig();
    if (!current.hasInstrument(m_instrumentName)) {
        setMessage(QStringLiteral("Hijack deny failed: could not find instrument"));
    } else {
        const QStringList names = loggingAudiogroups(current.getInstrument(m_instrumentName));
        if (names.isEmpty()) {
            setMessage(QStringLiteral("Hijack deny failed: no acquisition on audiogroups found"));
        } else {
            showConfirmationPleaseWait(QStringLiteral("Please wait; processing"));
            if (applyConfigChange() != 0) {
                // The please-wait box stays until the controller hides the views at the end.
                setMessage(QStringLiteral("Hijack deny failed: could not change config"));
            } else {
                if (ConfirmationViewController *view =
                        system ? system->getConfirmationViewController() : nullptr)
                    emit view->hidePleaseWait();
                setMessage(QStringLiteral("Hijack deny successfull; audiogroups %1 acquisition "
                                          "has been set to off")
                               .arg(names.join(QStringLiteral(", "))));
                m_changed = true;
            }
        }
    }
    m_stage = 1;
}

void HijackUncheckConfigManagementOperation::finishStage()
{
    // Denied or not: the device must not wait for an answer any longer, and without an
    // allow it does not take the meter over.
    if (InstrumentManager *manager = instrumentManager())
        manager->resetHijackRequest(m_instrumentName);
    const QString message = getMessage();
    if (m_changed)
        setCompleted(message);
    else
        setFailed(message);
}

void HijackUncheckConfigManagementOperation::changeSystemConfig()
{
    ASystem *system = ASystem::instance();
    if (!system)
        return;
    SystemConfig current = system->getSystemConfig();
    if (current.hasInstrument(m_instrumentName)) {
        InstrumentConfig instrument = current.getInstrument(m_instrumentName);
        QList<AgConfig> agConfigs = instrument.getAgConfigs();
        for (AgConfig &agConfig : agConfigs) {
            if (!agConfig.getImported() && agConfig.getHasLoggingEnabled())
                agConfig.setHasLoggingEnabled(false);
        }
        instrument.setAgConfigs(agConfigs);
        QList<InstrumentConfig> instruments = current.getInstruments();
        for (InstrumentConfig &held : instruments) {
            if (held.getName() == m_instrumentName)
                held = instrument;
        }
        current.setInstruments(instruments);
    }
    publishAndSave(current);
}

void HijackUncheckConfigManagementOperation::abort() {}
