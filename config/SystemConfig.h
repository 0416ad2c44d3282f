#pragma once

#include "AlertContactConfig.h"
#include "InstrumentConfig.h"
#include "ReportConfig.h"
#include "SMTPConfig.h"

#include <QList>
#include <QMap>
#include <QMetaType>
#include <QObject>
#include <QString>

class XMLTag;

// The whole configuration, a value type copied between threads. The invokable get/set
// pairs are the system elements of "_config.xml", in declaration order; everything else
// (instruments, contacts, SMTP, report settings) is reached through plain members, which
// must stay non-invokable so that the reflective writer does not see them.
class SystemConfig : public QObject
{
    Q_OBJECT
public:
    SystemConfig();
    SystemConfig(const SystemConfig &other);
    SystemConfig &operator=(const SystemConfig &other);
    ~SystemConfig() override;

    Q_INVOKABLE void setConfigVersion(const QString &v) { m_configVersion = v; }
    Q_INVOKABLE QString getConfigVersion() const { return m_configVersion; }
    Q_INVOKABLE void setStartWithOS(bool v) { m_startWithOS = v; }
    Q_INVOKABLE bool getStartWithOS() const { return m_startWithOS; }
    Q_INVOKABLE void setAutoStartLogging(bool v) { m_autoStartLogging = v; }
    Q_INVOKABLE bool getAutoStartLogging() const { return m_autoStartLogging; }
    Q_INVOKABLE void setAcquisitionTimeout(int v) { m_acquisitionTimeout = v; }
    Q_INVOKABLE int getAcquisitionTimeout() const { return m_acquisitionTimeout; }
    Q_INVOKABLE void setBackupCheckTimeout(int v) { m_backupCheckTimeout = v; }
    Q_INVOKABLE int getBackupCheckTimeout() const { return m_backupCheckTimeout; }
    Q_INVOKABLE void setPlotLiveModeBuffer(int v) { m_plotLiveModeBuffer = v; }
    Q_INVOKABLE int getPlotLiveModeBuffer() const { return m_plotLiveModeBuffer; }
    Q_INVOKABLE void setNetworkRequestTimeout(int v) { m_networkRequestTimeout = v; }
    Q_INVOKABLE int getNetworkRequestTimeout() const { return m_networkRequestTimeout; }
    Q_INVOKABLE void setManualAcquisitionOn(bool v) { m_manualAcquisitionOn = v; }
    Q_INVOKABLE bool getManualAcquisitionOn() const { return m_manualAcquisitionOn; }
    Q_INVOKABLE void setAlertsEnabled(bool v) { m_alertsEnabled = v; }
    Q_INVOKABLE bool getAlertsEnabled() const { return m_alertsEnabled; }
    Q_INVOKABLE void setCheckIAtProgramEndOnly(bool v) { m_checkIAtProgramEndOnly = v; }
    Q_INVOKABLE bool getCheckIAtProgramEndOnly() const { return m_checkIAtProgramEndOnly; }
    Q_INVOKABLE void setHideProgramId(bool v) { m_hideProgramId = v; }
    Q_INVOKABLE bool getHideProgramId() const { return m_hideProgramId; }
    // The zoom buttons' levels of a fresh configuration, of a file that lists fewer than
    // seven and of a fresh graph settings page.
    static QList<int> defaultRangeSettings();
    // Pads the list with 0 to at least seven entries (one per zoom button).
    Q_INVOKABLE void setRangeSettings(const QList<int> &settings);
    Q_INVOKABLE QList<int> getRangeSettings() const { return m_rangeSettings; }

    SMTPConfig getSMTPConfig() const { return m_smtpConfig; }
    void setSMTPConfig(const SMTPConfig &config) { m_smtpConfig = config; }
    ReportConfig getReportConfig() const { return m_reportConfig; }
    void setReportConfig(const ReportConfig &config) { m_reportConfig = config; }

    // Instruments, keyed and ordered by Name.
    QList<InstrumentConfig> getInstruments() const { return m_instruments.values(); }
    void setInstruments(const QList<InstrumentConfig> &instruments);
    bool hasInstrument(const QString &name) const { return m_instruments.contains(name); }
    InstrumentConfig getInstrument(const QString &name) const;
    void removeInstrument(const QString &name) { m_instruments.remove(name); }
    bool hasInstrumentWithIp(const QString &ipAdr) const;
    InstrumentConfig getInstrumentByIp(const QString &ipAdr) const;
    // A new Name is inserted; for a held Name the given instrument fields win and the
    // stored audiogroups are copied over the given ones.
    void addOrUpdateInstrument(const InstrumentConfig &instrument);
    // Merges meter reports into held instruments; never adds one.
    void updateInstruments(const QList<InstrumentConfig> &reports);

    bool hasAgConfig(const QString &instrumentName, const QString &sourceName) const;
    AgConfig getAgConfig(const QString &instrumentName, const QString &sourceName) const;
    void removeAgConfig(const QString &instrumentName, const QString &sourceName);
    int getAgConfigCount() const;

    // Alert contacts, in the order added, keyed by Name.
    QList<AlertContactConfig> getAlertContacts() const { return m_alertContacts; }
    void setAlertContacts(const QList<AlertContactConfig> &contacts);
    bool hasAlertContact(const QString &name) const;
    void addOrUpdateAlertContact(const AlertContactConfig &contact);
    void removeAlertContact(const QString &name);

private:
    QString m_configVersion;
    bool m_startWithOS = false;
    bool m_autoStartLogging = true;
    bool m_manualAcquisitionOn = true;
    bool m_alertsEnabled = false;
    bool m_checkIAtProgramEndOnly = true;
    bool m_hideProgramId = false;
    QList<int> m_rangeSettings;
    int m_acquisitionTimeout = 2000;
    int m_backupCheckTimeout = 600000;
    int m_plotLiveModeBuffer = 2000;
    int m_networkRequestTimeout = 30000;
    ReportConfig m_reportConfig;
    SMTPConfig m_smtpConfig;
    QList<AlertContactConfig> m_alertContacts;
    QMap<QString, InstrumentConfig> m_instruments;
};

Q_DECLARE_METATYPE(SystemConfig)
