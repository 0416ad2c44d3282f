#pragma once

#include <QString>

// Checks one configuration record. With fix = false the first problem stops the check
// and its message is given for the user; with fix = true every problem is replaced by a
// fixed value, the check goes on, and the result is false when anything was wrong.
// Built on the stack for one use: setConfig, validate, destroy.
class AConfigValidator
{
public:
    AConfigValidator() = default;
    virtual ~AConfigValidator();
    AConfigValidator(const AConfigValidator &) = delete;
    AConfigValidator &operator=(const AConfigValidator &) = delete;

    virtual bool validate(QString &message, bool fix) = 0;
};
