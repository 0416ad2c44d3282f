#pragma once

#include <Command.h>

#include <QString>

// The outcome of one manual report task.
class GenerateManualReportFinishCommandParameter : public CommandParameter
{
public:
    GenerateManualReportFinishCommandParameter(const QString &nameKey, bool converted, bool failed,
                                               const QString &message);
    ~GenerateManualReportFinishCommandParameter() override;

    QString getNameKey() const { return m_nameKey; }
    bool isConverted() const { return m_converted; }
    bool isFailed() const { return m_failed; }
    QString getMessage() const { return m_message; }

private:
    QString m_nameKey;
    bool m_converted;
    bool m_failed;
    QString m_message;
};
