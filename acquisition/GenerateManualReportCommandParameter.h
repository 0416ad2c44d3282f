#pragma once

#include <Command.h>

#include <QString>

// Asks an audiogroup controller for a manual report over the last duration ms.
class GenerateManualReportCommandParameter : public CommandParameter
{
public:
    GenerateManualReportCommandParameter(const QString &nameKey, qint64 duration);
    ~GenerateManualReportCommandParameter() override;

    QString getNameKey() const { return m_nameKey; }
    qint64 getDuration() const { return m_duration; }

private:
    QString m_nameKey;
    qint64 m_duration;
};
