#pragma once

#include <Command.h>

// Cancels the import operation with that key.
class DBImportCancelCommandParameter : public CommandParameter
{
public:
    explicit DBImportCancelCommandParameter(int cancelKey);
    ~DBImportCancelCommandParameter() override;

    int getCancelKey() const { return m_cancelKey; }

private:
    int m_cancelKey;
};
