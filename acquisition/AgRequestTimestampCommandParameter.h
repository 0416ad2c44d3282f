#pragma once

#include <Command.h>

#include <QString>

// Asks an audiogroup controller for its newest stored time stamp on behalf of the named
// instrument.
class AgRequestTimestampCommandParameter : public CommandParameter
{
public:
    explicit AgRequestTimestampCommandParameter(const QString &instrumentName);
    ~AgRequestTimestampCommandParameter() override;

    QString getInstrumentName() const { return m_instrumentName; }

private:
    QString m_instrumentName;
};
