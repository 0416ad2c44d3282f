#pragma once

#include <Command.h>

#include <QString>

// Names the audiogroup whose violation or acquisition status is reset.
class AgStatusResetParameter : public CommandParameter
{
public:
    AgStatusResetParameter(const QString &instrumentName, const QString &agName);
    ~AgStatusResetParameter() override;

    QString getInstrumentName() const { return m_instrumentName; }
    QString getAgName() const { return m_agName; }

private:
    QString m_instrumentName;
    QString m_agName;
};
