#pragma once

#include "AConfigManagementOperation.h"

#include <InstrumentConfig.h>

// Takes over what a meter reported about itself (identification and the device fields of
// its audiogroups) while logging runs: nothing is paused, the running instruments get the
// merged configuration through their queues. Silent; ends in its first cycle.
class ChangeConfigManagementOperation : public AConfigManagementOperation
{
    Q_OBJECT
public:
    ChangeConfigManagementOperation(int type, int id, const InstrumentConfig &deviceConfig);
    ~ChangeConfigManagementOperation() override;

    static bool hasSameName(const InstrumentConfig &a, const InstrumentConfig &b);
    InstrumentConfig getDeviceConfig() const { return m_deviceConfig; }

protected:
    void changeSystemConfig() override;
    void step() override;
    void abort() override;

private:
    InstrumentConfig m_deviceConfig;
};
