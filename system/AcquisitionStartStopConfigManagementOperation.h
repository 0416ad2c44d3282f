#pragma once

#include "AConfigManagementOperation.h"

// Switches the system's logging (ManualAcquisitionOn) on or off: types 4 (manual start),
// 5 (manual stop), 6 (auto start) and 7 (auto stop). Silent on success.
class AcquisitionStartStopConfigManagementOperation : public AConfigManagementOperation
{
    Q_OBJECT
public:
    AcquisitionStartStopConfigManagementOperation(int type, int id);
    ~AcquisitionStartStopConfigManagementOperation() override;

    // The please-wait text of the type; empty for any other type.
    QString pleaseWaitText() const;

protected:
    void changeSystemConfig() override;
    void step() override;
    void abort() override;
};
