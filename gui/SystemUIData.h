#pragma once

#include <AcquisitionAg.h>
#include <AgViolations.h>
#include <SystemConfig.h>

#include <QList>
#include <QMap>
#include <QMetaType>
#include <QString>

// Everything the main window shows, as one value copied between threads: the configuration
// as last applied and, per audiogroup (instrument name, then source name), the latest
// acquisition status and violation counters. Records are only added or replaced: an
// audiogroup that leaves the configuration keeps its last ones, and readers start from the
// configuration, so they are simply not shown.
class SystemUIData
{
public:
    SystemUIData();
    // Copies carry the violation counters only, not the sample a record still holds.
    SystemUIData(const SystemUIData &other);
    SystemUIData &operator=(const SystemUIData &other);
    virtual ~SystemUIData();

    void setSystemConfig(SystemConfig config);
    SystemConfig getSystemConfig() const;
    // Changes with every setSystemConfig, unique across all instances: a reader that has
    // shown this revision has shown this configuration. 0 before the first.
    quint64 getConfigRevision() const { return m_configRevision; }

    // Each record under its instrument and source name; of two records for one audiogroup
    // the later one stays.
    void setAcquisitionStatus(const QList<AcquisitionAg> &status);
    void setAgViolations(const QString &instrumentName, const QString &agName,
                         const AgViolations &violations);

    // A not-connected record whose times are now when the audiogroup has none.
    AcquisitionAg getAcquisitionAg(const QString &instrumentName, const QString &agName) const;
    // The record itself, valid while this value lives; null when there is none.
    const AcquisitionAg *findAcquisitionAg(const QString &instrumentName,
                                           const QString &agName) const;
    // Zero counters when the audiogroup has none.
    AgViolations getAgViolations(const QString &instrumentName, const QString &agName) const;

private:
    void copyFrom(const SystemUIData &other);

    SystemConfig m_systemConfig;
    quint64 m_configRevision = 0;
    QMap<QString, QMap<QString, AcquisitionAg>> m_acquisition;
    QMap<QString, QMap<QString, AgViolations>> m_violations;
    // A copy's records hold counters only: copies of it may share them.
    bool m_countersOnly = false;
};

Q_DECLARE_METATYPE(SystemUIData)
