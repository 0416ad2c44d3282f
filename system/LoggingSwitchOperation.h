#pragma once

#include "AConfigManagementOperation.h"

// An operation that switches logging on or off: one step shows its please-wait text and
// applies the change. Silent on success; a failure is shown.
class LoggingSwitchOperation : public AConfigManagementOperation
{
    Q_OBJECT
public:
    LoggingSwitchOperation(int type, int id);
    ~LoggingSwitchOperation() override;

    // The please-wait text of the type; empty for any other type.
    virtual QString pleaseWaitText() const = 0;

protected:
    void step() override;
    void abort() override;
};
