#pragma once

#include <AgConfig.h>
#include <InstrumentConfig.h>

#include <QDateTime>
#include <QHash>
#include <QObject>
#include <QString>

// One backup database file under "log_backup". A QObject used as a value: copies take
// every field but not the parent. Records are ordered and identified by their name, the
// path under which the store writes the backup of that program of that audiogroup.
class BackupItem : public QObject
{
    Q_OBJECT
public:
    BackupItem();
    BackupItem(const BackupItem &other);
    BackupItem &operator=(const BackupItem &other);
    ~BackupItem() override;

    QString getName() const { return m_name; }
    void setName(const QString &name) { m_name = name; }
    qint64 getProgramId() const { return m_programId; }
    void setProgramId(qint64 programId) { m_programId = programId; }
    // Where the scan found the file; need not agree with the name.
    QString getFilePath() const { return m_filePath; }
    void setFilePath(const QString &path) { m_filePath = path; }
    QDateTime getCreationTime() const { return m_creationTime; }
    // Stored in UTC.
    void setCreationTime(const QDateTime &time) { m_creationTime = time.toUTC(); }
    InstrumentConfig getInstrumentConfig() const { return m_instrumentConfig; }
    void setInstrumentConfig(const InstrumentConfig &config) { m_instrumentConfig = config; }
    AgConfig getAgConfig() const { return m_agConfig; }
    void setAgConfig(const AgConfig &config) { m_agConfig = config; }
    // Program start and newest event, ms since the epoch (UTC).
    qint64 getStartTime() const { return m_startTime; }
    void setStartTime(qint64 ms) { m_startTime = ms; }
    qint64 getEndTime() const { return m_endTime; }
    void setEndTime(qint64 ms) { m_endTime = ms; }

    bool operator<(const BackupItem &other) const { return m_name < other.m_name; }
    bool operator==(const BackupItem &other) const { return m_name == other.m_name; }
    bool operator!=(const BackupItem &other) const { return !(*this == other); }

private:
    QString m_name;
    qint64 m_programId = 0;
    QString m_filePath;
    QDateTime m_creationTime;
    InstrumentConfig m_instrumentConfig;
    AgConfig m_agConfig;
    qint64 m_startTime = 0;
    qint64 m_endTime = 0;
};

// Equal names hold equal program ids, so equal records hash alike.
uint qHash(const BackupItem &item, uint seed = 0);
