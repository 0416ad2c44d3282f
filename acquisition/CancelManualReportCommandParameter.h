#pragma once

#include <Command.h>

#include <QString>

// Cancels an audiogroup's queued manual report of that name.
class CancelManualReportCommandParameter : public CommandParameter
{
public:
    explicit CancelManualReportCommandParameter(const QString &nameKey);
    ~CancelManualReportCommandParameter() override;

    QString getNameKey() const { return m_nameKey; }

private:
    QString m_nameKey;
};
