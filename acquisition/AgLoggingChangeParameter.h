#pragma once

#include <Command.h>

#include <QString>

// Names the audiogroup whose logging is switched on or off.
class AgLoggingChangeParameter : public CommandParameter
{
public:
    AgLoggingChangeParameter(const QString &instrumentName, const QString &agName);
    ~AgLoggingChangeParameter() override;

    QString getInstrumentName() const { return m_instrumentName; }
    QString getAgName() const { return m_agName; }

private:
    QString m_instrumentName;
    QString m_agName;
};
