#pragma once

#include "SystemUIData.h"

#include <QMutex>

// The main window's state behind one mutex: the system control thread writes status
// answers into it, the GUI thread takes whole copies. Every operation holds the lock for
// its whole duration, so a copy never shows half of an update.
class SyncSystemUIData
{
public:
    SyncSystemUIData();
    SyncSystemUIData(const SyncSystemUIData &) = delete;
    SyncSystemUIData &operator=(const SyncSystemUIData &) = delete;
    virtual ~SyncSystemUIData();

    void setSystemConfig(SystemConfig config);
    void setAgViolations(const QString &instrumentName, const QString &agName,
                         const AgViolations &violations);
    void setAcquisitionStatus(const QList<AcquisitionAg> &status);

    SystemUIData getSystemUIData() const;

private:
    mutable QMutex m_mutex;
    SystemUIData m_data;
};
