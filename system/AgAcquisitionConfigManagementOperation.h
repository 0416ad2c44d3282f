#pragma once

#include "LoggingSwitchOperation.h"

// Switches one audiogroup's logging (HasLoggingEnabled): types 8 (on), 9 (off) and 10 (on,
// with the system's logging, from the audiogroup window). Silent on success.
class AgAcquisitionConfigManagementOperation : public LoggingSwitchOperation
{
    Q_OBJECT
public:
    AgAcquisitionConfigManagementOperation(int type, int id);
    AgAcquisitionConfigManagementOperation(int type, int id, const QString &instrument,
                                           const QString &audiogroup);
    ~AgAcquisitionConfigManagementOperation() override;

    QString pleaseWaitText() const override;
    QString getInstrument() const { return m_instrument; }
    QString getAudiogroup() const { return m_audiogroup; }

protected:
    void changeSystemConfig() override;

private:
    QString m_instrument;
    QString m_audiogroup;
};
