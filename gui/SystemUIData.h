#pragma once

#include <AcquisitionAg.h>
#include <AgViolations.h>
#include <SystemConfig.h>

#include <QList>
#include <QMap>
#include <QMetaType>
#include <QString>

// What the main window shows: the configuration, and per audiogroup its acquisition
// status and violation counters. A value handed from the control side to the window.
class SystemUIData
{
public:
    SystemUIData();
    SystemUIData(const SystemUIData &other) = default;
    SystemUIData &operator=(const SystemUIData &other) = default;
    virtual ~SystemUIData();

    SystemConfig getSystemConfig() const { return m_config; }
    void setSystemConfig(const SystemConfig &config) { m_config = config; }

    // Stored under the record's instrument and source name.
    void setAcquisitionStatus(const QList<AcquisitionAg> &status);
    bool hasAcquisitionStatus(const QString &instrumentName, const QString &agName) const;
    AcquisitionAg getAcquisitionStatus(const QString &instrumentName, const QString &agName) const;

    void setViolations(const QString &instrumentName, const QString &agName,
                       const AgViolations &violations);
    bool hasViolations(const QString &instrumentName, const QString &agName) const;
    AgViolations getViolations(const QString &instrumentName, const QString &agName) const;

private:
    SystemConfig m_config;
    QMap<QString, QMap<QString, AcquisitionAg>> m_acquisition;
    QMap<QString, QMap<QString, AgViolations>> m_violations;
};

Q_DECLARE_METATYPE(SystemUIData)
