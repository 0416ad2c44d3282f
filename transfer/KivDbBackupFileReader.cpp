#include "KivDbBackupFileReader.h"

#include "BackupItem.h"
#include "BackupModel.h"

#include <KivUtils.h>
#include <SystemConfig.h>
#include <SystemConfigXml.h>

#include <QBuffer>
#include <QHash>
#include <QFileInfo>
#include <QMutexLocker>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QVariant>

namespace {

const QString kNoInstrument = QStringLiteral("---");
// A backup being written holds its lock only for a commit; longer would hold up commands.
constexpr int kBusyTimeoutMs = 1000;

// The backups of one audiogroup mostly carry the same document, and reading one costs far
// more than the rest of the file: a scan reads each text once.
constexpr int kMaxCachedConfigs = 32;

SystemConfig parseConfig(QBuffer &buffer, const QString &xml,
                         QHash<QString, SystemConfig> &cache)
{
    const auto cached = cache.constFind(xml);
    if (cached != cache.constEnd())
        return cached.value();
    const SystemConfig config = loadSystemConfigFromInputDocument(&buffer);
    if (cache.size() >= kMaxCachedConfigs)
        cache.clear();
    cache.insert(xml, config);
    return config;
}

// The configuration row of the file: instrument, audiogroup and the document. A file
// without the table is named after itself under the device "---".
int readConfig(QSqlDatabase &db, const QString &path, QHash<QString, SystemConfig> &cache,
               SystemConfig &config, QString &instrumentName, QString &agSourceName)
{
    if (!db.tables(QSql::Tables).contains(QStringLiteral("config"))) {
        instrumentName = kNoInstrument;
        agSourceName = QFileInfo(path).fileName();
        InstrumentConfig instrument(instrumentName);
        instrument.setAgConfig(AgConfig(agSourceName));
        config.setInstruments({instrument});
        return KivDbBackupFileReader::Ok;
    }
    QSqlQuery query(db);
    if (!query.exec(
            QStringLiteral("SELECT instrumentName, agSourceName, rawXml FROM config LIMIT 1")))
        return KivDbBackupFileReader::ConfigQueryFailed;
    if (!query.isActive())
        return KivDbBackupFileReader::ConfigQueryInactive;
    if (!query.next())
        return KivDbBackupFileReader::NoConfig;
    instrumentName = query.value(0).toString();
    agSourceName = query.value(1).toString();
    const QString rawXml = query.value(2).toString();
    QByteArray bytes = rawXml.toUtf8();
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::ReadOnly))
        return KivDbBackupFileReader::ConfigNotReadable;
    config = parseConfig(buffer, rawXml, cache);
    return KivDbBackupFileReader::Ok;
}

int readOpenFile(QSqlDatabase &db, const QString &path, QHash<QString, SystemConfig> &cache,
                 BackupItem &record)
{
    if (!db.tables(QSql::Tables).contains(QStringLiteral("AgDataZoomLevel0")))
        return KivDbBackupFileReader::NoSampleTable;

    qint64 endTime = 0;
    qint64 startTime = 0;
    qint64 programId = 0;
    {
        QSqlQuery query(db);
        if (!query.exec(QStringLiteral("SELECT timestamp, startPgmTimestamp, programId FROM "
                                       "events ORDER BY timestamp DESC LIMIT 1")))
            return KivDbBackupFileReader::EventsQueryFailed;
        if (!query.isActive())
            return KivDbBackupFileReader::EventsQueryInactive;
        if (!query.next())
            return KivDbBackupFileReader::NoEvent;
        endTime = query.value(0).toLongLong();
        startTime = query.value(1).toLongLong();
        programId = query.value(2).toLongLong();
    }

    SystemConfig config;
    QString instrumentName;
    QString agSourceName;
    const int configResult =
        readConfig(db, path, cache, config, instrumentName, agSourceName);
    if (configResult != KivDbBackupFileReader::Ok)
        return configResult;
    if (!config.hasInstrument(instrumentName))
        return KivDbBackupFileReader::NoSuchInstrument;
    const InstrumentConfig instrument = config.getInstrument(instrumentName);
    if (!instrument.hasAgConfig(agSourceName))
        return KivDbBackupFileReader::NoSuchAudiogroup;
    const AgConfig agConfig = instrument.getAgConfig(agSourceName);

    record.setProgramId(programId);
    record.setStartTime(startTime);
    record.setEndTime(endTime);
    record.setFilePath(path);
    record.setInstrumentConfig(instrument);
    record.setAgConfig(agConfig);
    record.setName(
        getBackupDbFilePath(instrument.getName(), agConfig.getName(), programId, startTime));
    const QFileInfo info(path);
    // Not every file system keeps a birth time; the status change time comes closest.
    const QDateTime born = info.birthTime();
    record.setCreationTime(born.isValid() ? born : info.metadataChangeTime());
    return KivDbBackupFileReader::Ok;
}

} // namespace

KivDbBackupFileReader::KivDbBackupFileReader(BackupModel *model, QMutex *modelMutex)
    : m_model(model), m_modelMutex(modelMutex)
{
}

KivDbBackupFileReader::~KivDbBackupFileReader() = default;

int KivDbBackupFileReader::execute(const QString &absoluteFilePath)
{
    m_pending.push_back(absoluteFilePath);
    return 0;
}

void KivDbBackupFileReader::reset()
{
    m_pending.clear();
    m_configs.clear();
    QMutexLocker lock(m_modelMutex);
    m_model->clear();
}

int KivDbBackupFileReader::readNextFile()
{
    if (m_pending.empty())
        return 0;
    BackupItem record;
    const QString path = m_pending.front();
    m_pending.pop_front();
    const int result = readBackupFile(path, record);
    if (result == Ok) {
        QMutexLocker lock(m_modelMutex);
        m_model->insertSorted(record);
    }
    return result;
}

int KivDbBackupFileReader::readBackupFile(const QString &path, BackupItem &record)
{
    // A link could list (and later delete) something that lies outside the folder.
    const QFileInfo info(path);
    if (info.isSymLink() || !info.isFile())
        return CannotOpen;
    int result = CannotOpen;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), path);
        db.setConnectOptions(
            QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=%1").arg(kBusyTimeoutMs));
        db.setDatabaseName(path);
        if (db.open()) {
            result = readOpenFile(db, path, m_configs, record);
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(path);
    return result;
}
