#pragma once

#include <AgViolations.h>
#include <Command.h>

#include <QString>

// An audiogroup's violation counters for the main window.
class AgViolationStatusUpdateParameter : public CommandParameter
{
public:
    AgViolationStatusUpdateParameter(const QString &instrumentName, const QString &agName,
                                     const AgViolations &violations);
    ~AgViolationStatusUpdateParameter() override;

    QString getInstrumentName() const { return m_instrumentName; }
    QString getAgName() const { return m_agName; }
    AgViolations getViolations() const { return m_violations; }

private:
    QString m_instrumentName;
    QString m_agName;
    AgViolations m_violations;
};
