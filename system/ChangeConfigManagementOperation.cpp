#include "ChangeConfigManagementOperation.h"

#include <ASystem.h>
#include <ORQLogging.h>
#include <SystemConfig.h>
#include <SystemConfigXml.h>

#include <algorithm>

ChangeConfigManagementOperation::ChangeConfigManagementOperation(
    int type, int id, const InstrumentConfig &deviceConfig)
    : AConfigManagementOperation(type, id), m_deviceConfig(deviceConfig)
{
    setShowResult(false);
}

ChangeConfigManagementOperation::~ChangeConfigManagementOperation() = default;

bool ChangeConfigManagementOperation::hasSameName(const InstrumentConfig &a,
                                                  const InstrumentConfig &b)
{
    return a.getName() == b.getName();
}

void ChangeConfigManagementOperation::step()
{
    ASystem *system = ASystem::instance();
    if (!system) {
        setFailed(QString());
        return;
    }
    SystemConfig current = system->getSystemConfig();
    QList<InstrumentConfig> instruments = current.getInstruments();
    auto found = std::find_if(instruments.begin(), instruments.end(),
                              [this](const InstrumentConfig &instrument) {
                                  return hasSameName(instrument, m_deviceConfig);
                              });
    if (found == instruments.end()) {
        // Deleted meanwhile: nothing to merge into.
        setFailed(QString());
        return;
    }
    found->update(m_deviceConfig);
    current.updateInstruments(instruments);
    // Nothing is paused: the instruments take it from their queues.
    system->postSystemConfig(current);
    if (saveSystemConfigToFile(current, systemConfigFileName()) != 0)
        KIV_LOG(1, "Could not save SystemConfig.\n");
    setCompleted(QString());
}

void ChangeConfigManagementOperation::changeSystemConfig() {}

void ChangeConfigManagementOperation::abort() {}
