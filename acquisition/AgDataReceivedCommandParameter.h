#pragma once

#include <Command.h>

#include <QString>

class AgDataVector;

// A batch of samples that a meter returned for one audiogroup. Owns the batch from
// construction on, so a refused command frees it too.
class AgDataReceivedCommandParameter : public CommandParameter
{
public:
    AgDataReceivedCommandParameter(const QString &instrumentName, AgDataVector *data);
    ~AgDataReceivedCommandParameter() override;
    AgDataReceivedCommandParameter(const AgDataReceivedCommandParameter &) = delete;
    AgDataReceivedCommandParameter &operator=(const AgDataReceivedCommandParameter &) = delete;

    QString getInstrumentName() const { return m_instrumentName; }
    // Still owned by the payload.
    AgDataVector *getData() const { return m_data; }

private:
    QString m_instrumentName;
    AgDataVector *m_data;
};
