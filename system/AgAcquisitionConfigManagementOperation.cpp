#include "AgAcquisitionConfigManagementOperation.h"

#include <ASystem.h>
#include <SystemConfig.h>

AgAcquisitionConfigManagementOperation::AgAcquisitionConfigManagementOperation(int type, int id)
    : LoggingSwitchOperation(type, id)
{
}

AgAcquisitionConfigManagementOperation::AgAcquisitionConfigManagementOperation(
    int type, int id, const QString &instrument, const QString &audiogroup)
    : LoggingSwitchOperation(type, id), m_instrument(instrument), m_audiogroup(audiogroup)
{
}

AgAcquisitionConfigManagementOperation::~AgAcquisitionConfigManagementOperation() = default;

QString AgAcquisitionConfigManagementOperation::pleaseWaitText() const
{
    switch (getType()) {
    case 8:
    case 9:
        return QStringLiteral("Updating audiogroup logging list...");
    case 10:
        return QStringLiteral("Starting logging for %1 %2...").arg(m_instrument, m_audiogroup);
    default:
        return QString();
    }
}

void AgAcquisitionConfigManagementOperation::changeSystemConfig()
{
    ASystem *system = ASystem::instance();
    if (!system)
        return;
    SystemConfig current = system->getSystemConfig();
    const bool enable = getType() != 9;
    QList<InstrumentConfig> instruments = current.getInstruments();
    for (InstrumentConfig &instrument : instruments) {
        if (instrument.getName() != m_instrument)
            continue;
        QList<AgConfig> agConfigs = instrument.getAgConfigs();
        for (AgConfig &agConfig : agConfigs) {
            if (agConfig.getName() == m_audiogroup)
                agConfig.setHasLoggingEnabled(enable);
        }
        instrument.setAgConfigs(agConfigs);
    }
    current.setInstruments(instruments);
    if (getType() == 10)
        current.setManualAcquisitionOn(true);
    publishAndSave(current);
}
