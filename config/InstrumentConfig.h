#pragma once

#include "AgConfig.h"

#include <QList>
#include <QMap>
#include <QMetaType>
#include <QObject>
#include <QString>

class XMLTag;
class ConfigQuery;

// One meter: the user's address, port and password, what the meter reports about
// itself, and its audiogroups keyed by SourceName. The invokable get/set pairs are the XML
// elements of an "Instrument", in declaration order.
class InstrumentConfig : public QObject
{
    Q_OBJECT
public:
    InstrumentConfig();
    explicit InstrumentConfig(const QString &name);
    InstrumentConfig(const InstrumentConfig &other);
    InstrumentConfig &operator=(const InstrumentConfig &other);
    ~InstrumentConfig() override;

    QString getName() const { return m_name; }
    void setName(const QString &name) { m_name = name; }

    Q_INVOKABLE void setIpAdr(const QString &v) { m_ipAdr = v; }
    Q_INVOKABLE QString getIpAdr() const { return m_ipAdr; }
    Q_INVOKABLE void setPort(const QString &v) { m_port = v; }
    Q_INVOKABLE QString getPort() const { return m_port; }
    Q_INVOKABLE void setPass(const QString &v) { m_pass = v; }
    Q_INVOKABLE QString getPass() const { return m_pass; }
    Q_INVOKABLE QString getManufacturer() const { return m_manufacturer; }
    Q_INVOKABLE void setManufacturer(const QString &v) { m_manufacturer = v; }
    Q_INVOKABLE QString getModelNumber() const { return m_modelNumber; }
    Q_INVOKABLE void setModelNumber(const QString &v) { m_modelNumber = v; }
    Q_INVOKABLE QString getHardwareId() const { return m_hardwareId; }
    Q_INVOKABLE void setHardwareId(const QString &v) { m_hardwareId = v; }
    Q_INVOKABLE QString getSerialNumber() const { return m_serialNumber; }
    Q_INVOKABLE void setSerialNumber(const QString &v) { m_serialNumber = v; }
    Q_INVOKABLE QString getSoftwareVersion() const { return m_softwareVersion; }
    Q_INVOKABLE void setSoftwareVersion(const QString &v) { m_softwareVersion = v; }
    Q_INVOKABLE QString getPresetName() const { return m_presetName; }
    Q_INVOKABLE void setPresetName(const QString &v) { m_presetName = v; }
    Q_INVOKABLE QString getConfigurationID() const { return m_configurationID; }
    Q_INVOKABLE void setConfigurationID(const QString &v) { m_configurationID = v; }
    Q_INVOKABLE QString getLastConfigurationChange() const { return m_lastConfigurationChange; }
    Q_INVOKABLE void setLastConfigurationChange(const QString &v) { m_lastConfigurationChange = v; }
    Q_INVOKABLE QString getTimeReference() const { return m_timeReference; }
    Q_INVOKABLE void setTimeReference(const QString &v) { m_timeReference = v; }

    // What the validators refused when the configuration was loaded (the address or the
    // port, with the value found), empty when nothing. Never written to the file: the
    // instrument does not log until its settings are saved with valid values. Until then
    // the file keeps the refused values as found, not the stand-ins used meanwhile.
    QString getRefusedAtLoad() const { return m_refusedAtLoad; }
    void setRefusedAtLoad(const QString &text);
    void keepRefusedValue(const QString &field, const QString &value);
    bool isValueRefused(const QString &field) const { return m_refusedValues.contains(field); }

    QList<AgConfig> getAgConfigs() const { return m_agConfigs.values(); }
    void setAgConfigs(const QList<AgConfig> &configs);
    bool hasAgConfig(const QString &sourceName) const { return m_agConfigs.contains(sourceName); }
    AgConfig getAgConfig(const QString &sourceName) const;
    void setAgConfig(const AgConfig &config);
    void removeAgConfig(const QString &sourceName) { m_agConfigs.remove(sourceName); }
    int getAgConfigCount() const { return m_agConfigs.size(); }

    // Takes what the meter reported about itself and its audiogroups; keeps the user's
    // address, port, password, the audiogroup set and the audiogroups' own settings.
    void update(const InstrumentConfig &report);

    bool areAllAgConfigsImported() const;
    bool hasImportedStateMismatch(const InstrumentConfig &other) const;
    QString getImportedStateMismatchAg(const InstrumentConfig &other) const;

    void toXml(XMLTag &parent) const;
    static InstrumentConfig fromXml(const QString &name, ConfigQuery &query);

private:
    bool findImportedStateMismatch(const InstrumentConfig &other, QString *sourceName) const;

    struct NoStamp {};
    explicit InstrumentConfig(NoStamp);

    QString m_ipAdr;
    QString m_port;
    QString m_pass;
    QString m_name;
    QString m_manufacturer;
    QString m_modelNumber;
    QString m_hardwareId;
    QString m_serialNumber;
    QString m_softwareVersion;
    QString m_presetName;
    QString m_lastConfigurationChange;
    QString m_configurationID;
    QString m_timeReference;
    QString m_refusedAtLoad;
    QMap<QString, QString> m_refusedValues;
    QMap<QString, AgConfig> m_agConfigs;
};

Q_DECLARE_METATYPE(InstrumentConfig)
