#pragma once

#include "AcquisitionAg.h"

#include <InstrumentConfig.h>

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

// A meter's acquisition records, one per audiogroup of its configuration, kept in name
// order. Only the meter's controller thread touches it; readers get copies.
class AcquisitionAgManager
{
public:
    AcquisitionAgManager();
    virtual ~AcquisitionAgManager();
    AcquisitionAgManager(const AcquisitionAgManager &) = delete;
    AcquisitionAgManager &operator=(const AcquisitionAgManager &) = delete;

    // Stores both and syncs the records.
    void update(bool acquisitionFlag, const InstrumentConfig &instrumentConfig);
    // New audiogroups get a record; records of audiogroups no longer configured go.
    // Existing records keep their status and the configuration they were made with.
    void sync();

    // Some audiogroup holds a valid last time stamp and is not imported.
    bool hasReadyAudioGroups() const;
    // Name -> last time stamp text of every ready audiogroup.
    QMap<QString, QString> getLastTimestamps() const;
    // Names of the audiogroups without a valid last time stamp that are not imported.
    QStringList getWaitingAudioGroups() const;
    void invalidateTimestamps();
    void markConnected();

    // Answers for names without a record are ignored.
    void setTimestamp(const QString &name, int code, const AgTimestamp &timestamp);
    void onDataReplied(const QString &name, int code);
    void onStoreResult(const QString &name, int code, int storedSamples);
    void onFutureSamples(const QString &name, int count, qint64 newest);
    void onOldSamples(const QString &name, int count, qint64 from, qint64 to);
    void setClockAheadMs(const QString &name, qint64 ms);
    void setLastGap(const QString &name, qint64 from, qint64 to, qint64 missing);
    void setStopCause(const QString &name, const QString &cause);
    // For every audiogroup: a request to the meter failed (true) or it answered (false).
    void setUnreachable(bool unreachable);
    // A failed data reply counts for every audiogroup whose acquisition is active.
    void onDataReplyFailed(int code);

    bool isAcquisitionActive(const QString &name) const;
    void resetStatus();
    QList<AcquisitionAg> getStatusList() const;
    // The list is the status as it is now (in the order getStatusList gives), compared
    // without copying the records.
    bool hasStatus(const QList<AcquisitionAg> &list) const;

    bool getAcquisitionFlag() const { return m_acquisitionFlag; }
    InstrumentConfig getInstrumentConfig() const { return m_instrumentConfig; }

private:
    AcquisitionAg *find(const QString &name) const;

    bool m_acquisitionFlag = false;
    InstrumentConfig m_instrumentConfig;
    QMap<QString, AcquisitionAg *> m_records;
};
