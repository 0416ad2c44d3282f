#pragma once

#include "LoggingSwitchOperation.h"

// Switches the system's logging (ManualAcquisitionOn) on or off: types 4 (manual start),
// 5 (manual stop), 6 (auto start) and 7 (auto stop). Silent on success.
class AcquisitionStartStopConfigManagementOperation : public LoggingSwitchOperation
{
    Q_OBJECT
public:
    AcquisitionStartStopConfigManagementOperation(int type, int id);
    ~AcquisitionStartStopConfigManagementOperation() override;

    QString pleaseWaitText() const override;

protected:
    void changeSystemConfig() override;
};
