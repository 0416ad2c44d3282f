#pragma once

#include <QString>

// One row of a store's "config" table: the configuration document saved with the data.
class AgDbConfig
{
public:
    AgDbConfig() = default;
    AgDbConfig(qint64 timestamp, const QString &instrumentName, const QString &agSourceName,
               const QString &rawXml);
    AgDbConfig(const AgDbConfig &other) = default;
    AgDbConfig &operator=(const AgDbConfig &other) = default;
    virtual ~AgDbConfig();

    qint64 getTimestamp() const { return m_timestamp; }
    void setTimestamp(qint64 timestamp) { m_timestamp = timestamp; }
    QString getInstrumentName() const { return m_instrumentName; }
    void setInstrumentName(const QString &name) { m_instrumentName = name; }
    QString getAgSourceName() const { return m_agSourceName; }
    void setAgSourceName(const QString &name) { m_agSourceName = name; }
    QString getRawXml() const { return m_rawXml; }
    void setRawXml(const QString &rawXml) { m_rawXml = rawXml; }

private:
    qint64 m_timestamp = -1;
    QString m_instrumentName = QStringLiteral("");
    QString m_agSourceName = QStringLiteral("");
    QString m_rawXml = QStringLiteral("");
};
