#pragma once

#include "AConfigManagementOperation.h"

#include <QStringList>

class InstrumentConfig;

// The user denied a meter's hijack: logging goes off for the meter's logging audiogroups,
// so that the system stops competing for it, and the meter's device is released. Deny
// stage first, finish stage on the next cycle.
class HijackUncheckConfigManagementOperation : public AConfigManagementOperation
{
    Q_OBJECT
public:
    HijackUncheckConfigManagementOperation(int type, int id, const QString &instrumentName);
    ~HijackUncheckConfigManagementOperation() override;

    QString getInstrumentName() const { return m_instrumentName; }

protected:
    void changeSystemConfig() override;
    void step() override;
    void abort() override;

private:
    void denyStage();
    void finishStage();
    // Source names of the audiogroups that log, in source name order.
    static QStringList loggingAudiogroups(const InstrumentConfig &instrument);

    int m_stage = 0;
    QString m_instrumentName;
    bool m_changed = false;
};
