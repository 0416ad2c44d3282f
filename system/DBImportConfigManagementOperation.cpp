#include "DBImportConfigManagementOperation.h"

#include <AAudioGroup.h>
#include <ADBImportSource.h>
#include <ASystem.h>
#include <AgDataVector.h>
#include <ConfigNames.h>
#include <DBImportViewController.h>
#include <GetConfigResponse.h>
#include <InstrumentManager.h>
#include <KivConstants.h>
#include <KivUtils.h>
#include <ORQLogging.h>
#include <ReplyText.h>
#include <SystemConfig.h>
#include <SystemConfigXml.h>
#include <ZQExportParser.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QVariant>

namespace {

const char *const kConnectionName = "DBImportConfigManagementOperation";

DBImportViewController *importView()
{
    ASystem *system = ASystem::instance();
    return system ? system->getDBImportViewController() : nullptr;
}

// A file SQLite opens (an empty or foreign file too) but whose tables are none of a log.
QString unknownTablesReason(const QSqlDatabase &db)
{
    QSqlQuery probe(db);
    if (!probe.exec(QStringLiteral("SELECT count(*) FROM sqlite_master;")))
        return QStringLiteral("it is not a database (%1)").arg(probe.lastError().databaseText());
    return QStringLiteral("it holds no known log table (neither %1 with events nor Loudness)")
        .arg(agDataZoomLevelTableName(0));
}

QString queryFailure(const QSqlQuery &query)
{
    return QStringLiteral("its configuration table could not be read (%1)")
        .arg(query.lastError().databaseText());
}

} // namespace

DBImportConfigManagementOperation::DBImportConfigManagementOperation(int type, int id,
                                                                     const QString &filePath,
                                                                     bool nameSuffixFlag,
                                                                     const QString &nameSuffix)
    : AConfigManagementOperation(type, id), m_filePath(filePath),
      m_nameSuffixFlag(nameSuffixFlag), m_nameSuffix(nameSuffix)
{
}

DBImportConfigManagementOperation::~DBImportConfigManagementOperation()
{
    // The system closes during the copy: a half-filled audiogroup must not come back at the
    // next start as if it had been imported.
    if (m_step == StepImport && !isCompleted())
        dropUnfinishedImport();
    deleteXmlSamples();
}

void DBImportConfigManagementOperation::dropUnfinishedImport()
{
    ASystem *system = ASystem::instance();
    if (!system)
        return;
    SystemConfig config = system->getSystemConfig();
    removeFromConfig(config);
    publishAndSave(config);
    InstrumentManager *manager = instrumentManager();
    if (AAudioGroup *audioGroup =
            manager ? manager->findAudioGroup(m_instrumentName, m_audiogroupName) : nullptr)
        audioGroup->setDeleteImportedDbOnClose();
}

void DBImportConfigManagementOperation::removeFromConfig(SystemConfig &config) const
{
    config.removeAgConfig(m_instrumentName, m_audiogroupName);
    // An instrument the import brought goes with its only audiogroup.
    if (m_addedInstrument && config.hasInstrument(m_instrumentName) &&
        config.getInstrument(m_instrumentName).getAgConfigCount() == 0)
        config.removeInstrument(m_instrumentName);
}

void DBImportConfigManagementOperation::deleteXmlSamples()
{
    m_xmlSamples = XmlSampleList();
}

void DBImportConfigManagementOperation::setImportStatus(bool completed, bool failed,
                                                        const QString &message, qint64 value,
                                                        qint64 total)
{
    m_statusCompleted = completed;
    m_statusFailed = failed;
    m_statusMessage = message;
    m_progressValue = value;
    m_progressTotal = total;
}

void DBImportConfigManagementOperation::onCancel(int key)
{
    if (key == m_step)
        m_cancelRequested = true;
}

void DBImportConfigManagementOperation::showProgress(const QString &text, bool cancelVisible,
                                                     qint64 value, qint64 total)
{
    if (DBImportViewController *view = importView())
        view->updateProgress(m_step, text, cancelVisible, value, total);
}

void DBImportConfigManagementOperation::hideProgress()
{
    if (DBImportViewController *view = importView())
        view->hideProgress();
}

void DBImportConfigManagementOperation::step()
{
    switch (m_step) {
    case StepCreate:
        createAudiogroup();
        break;
    case StepImport:
        importSamples();
        break;
    case StepRemove:
        removeAudiogroup();
        break;
    default:
        break;
    }
}

void DBImportConfigManagementOperation::abort()
{
    if (InstrumentManager *manager = instrumentManager())
        manager->unpauseAll();
    hideProgress();
}

void DBImportConfigManagementOperation::createAudiogroup()
{
    showProgress(QStringLiteral("Please wait; reading DB file and creating Audiogroup"), false, -1,
                 0);
    ASystem *system = ASystem::instance();
    InstrumentManager *manager = instrumentManager();
    const SystemConfig current = system ? system->getSystemConfig() : SystemConfig();
    QString failure;
    if (!readImportInfo()) {
        // What the log knows, for the user: which file, and why it was refused.
        failure = QStringLiteral("Operation failed; could not read import info\n%1: %2")
                      .arg(QDir::toNativeSeparators(m_filePath), m_readFailure);
    } else if (m_sourceType == SourceUnknown) {
        failure = QStringLiteral("Operation failed; incompatible import file");
    } else if (manager && manager->findAudioGroup(m_instrumentName, m_audiogroupName)) {
        failure = QStringLiteral("Operation failed; audiogroup already exists. Please remove the "
                                 "audiogroup, delete the DB file and try again");
    } else if (QFile::exists(getAgDbFilePath(m_instrumentName, m_audiogroupName)) ||
               agDbFileCollides(current, m_instrumentName, m_audiogroupName)) {
        // Another audiogroup whose names sanitise alike would share the file, and its data
        // would go with a failed import.
        failure = QStringLiteral("Operation failed; KIV db file %1 already exists")
                      .arg(getAgDbFilePath(m_instrumentName, m_audiogroupName));
    } else if (current.getAgConfigCount() + 1 > KivConstants::kMaxAudiogroupCount) {
        failure = QStringLiteral("Could not import audiogroup. The maximum supported audiogroup "
                                 "number has been reached.");
    } else if (applyConfigChange() != 0 || !manager ||
               !manager->findAudioGroup(m_instrumentName, m_audiogroupName)) {
        failure = QStringLiteral("Operation failed; audiogroup was not created");
    }
    if (!failure.isEmpty()) {
        deleteXmlSamples();
        setFailed(failure);
        return;
    }
    m_step = StepImport;
}

void DBImportConfigManagementOperation::importSamples()
{
    showProgress(QStringLiteral("Please wait; importing DB file"), true, m_progressValue,
                 m_progressTotal);
    if (!m_importStarted) {
        if (m_cancelRequested) {
            m_step = StepRemove;
            return;
        }
        InstrumentManager *manager = instrumentManager();
        AAudioGroup *audioGroup =
            manager ? manager->findAudioGroup(m_instrumentName, m_audiogroupName) : nullptr;
        if (!audioGroup) {
            m_statusFailed = true;
        } else if (m_sourceType == SourceKivDb || m_sourceType == SourceMeterDb) {
            if (audioGroup->importDb(getId(), m_sourceType, m_filePath) == 0)
                m_importStarted = true;
        } else if (m_sourceType == SourceMeterXml) {
            const XmlSampleList samples = m_xmlSamples;
            deleteXmlSamples();
            if (audioGroup->importXml(getId(), samples, m_sourceType) == 0)
                m_importStarted = true;
            else
                m_statusFailed = true;
        } else {
            m_statusFailed = true;
        }
        m_statusTimer.start();
        // A hand-over that failed for good ends like a failed import.
        if (!m_importStarted && m_statusFailed)
            m_step = StepRemove;
        return;
    }
    if (m_statusFailed || m_cancelRequested) {
        m_step = StepRemove;
        return;
    }
    if (m_statusCompleted) {
        setCompleted(QStringLiteral("Audiogroup %1 %2 imported successfully")
                         .arg(m_instrumentName, m_audiogroupName));
        return;
    }
    if (!m_statusTimer.isValid() || m_statusTimer.elapsed() >= kStatusPollMs) {
        InstrumentManager *manager = instrumentManager();
        if (AAudioGroup *audioGroup =
                manager ? manager->findAudioGroup(m_instrumentName, m_audiogroupName) : nullptr)
            audioGroup->requestImportStatus(getId());
        m_statusTimer.restart();
    }
}

void DBImportConfigManagementOperation::removeAudiogroup()
{
    const bool cancelled = m_cancelRequested && !m_statusFailed;
    showProgress(cancelled ? QStringLiteral("Please wait; reverting import operation")
                           : QStringLiteral("Please wait; recovering from import failure"),
                 false, -1, 0);
    const int result = applyConfigChange();
    deleteXmlSamples();
    if (!cancelled) {
        if (result == 0)
            setFailed(QStringLiteral("Import operation failed: %1. Audiogroup and database "
                                     "disposed successfully")
                          .arg(m_statusMessage));
        else
            setFailed(QStringLiteral("Import operation failed: %1. Audiogroup or database could "
                                     "not be removed")
                          .arg(m_statusMessage));
    } else if (result == 0) {
        setShowResult(false);
        setCompleted(QString());
    } else {
        setFailed(QStringLiteral("Import cancel operation failed; the audiogroup or database "
                                 "file could not be deleted"));
    }
    hideProgress();
}

void DBImportConfigManagementOperation::changeSystemConfig()
{
    if (m_step == StepImport)
        return;
    ASystem *system = ASystem::instance();
    if (!system)
        return;
    SystemConfig config = system->getSystemConfig();
    if (m_step == StepCreate) {
        if (!config.hasInstrument(m_instrumentConfig.getName())) {
            m_addedInstrument = true;
            QList<InstrumentConfig> instruments = config.getInstruments();
            instruments.append(m_instrumentConfig);
            config.setInstruments(instruments);
        } else {
            InstrumentConfig existing = config.getInstrument(m_instrumentConfig.getName());
            for (const AgConfig &agConfig : m_instrumentConfig.getAgConfigs()) {
                if (!existing.hasAgConfig(agConfig.getName()))
                    existing.setAgConfig(agConfig);
            }
            QList<InstrumentConfig> instruments = config.getInstruments();
            for (InstrumentConfig &instrument : instruments) {
                if (instrument.getName() == existing.getName())
                    instrument = existing;
            }
            config.setInstruments(instruments);
        }
    } else if (m_step == StepRemove) {
        removeFromConfig(config);
    }
    publishAndSave(config);
}

bool DBImportConfigManagementOperation::refuseImportInfo(const QString &reason)
{
    m_readFailure = reason;
    KIV_LOG(2, "Import: %s: %s\n", qUtf8Printable(m_filePath), qUtf8Printable(reason));
    return false;
}

bool DBImportConfigManagementOperation::readImportInfo()
{
    m_sourceType = SourceUnknown;
    m_readFailure.clear();
    // Case-sensitive: "export.XML" is read as a database file.
    if (m_filePath.endsWith(QLatin1String(".xml")))
        return readXmlExport();

    const QString connectionName = QLatin1String(kConnectionName);
    if (!ADBImportSource::openReadOnlyDatabase(connectionName, m_filePath))
        return refuseImportInfo(QFileInfo(m_filePath).isFile()
                                    ? QStringLiteral("it could not be opened as a database")
                                    : QStringLiteral("there is no such file"));
    bool read = false;
    {
        const QSqlDatabase db = QSqlDatabase::database(connectionName, false);
        const QStringList tables = db.tables();
        const bool hasConfig = tables.contains(QStringLiteral("config"));
        if (tables.contains(agDataZoomLevelTableName(0)) &&
            tables.contains(QStringLiteral("events")))
            read = readKivDb(hasConfig, connectionName);
        else if (tables.contains(QStringLiteral("Loudness")))
            read = readMeterDb(hasConfig, connectionName);
        else
            refuseImportInfo(unknownTablesReason(db));
    }
    ADBImportSource::removeDatabase(connectionName);
    if (!read)
        return m_readFailure.isEmpty()
                   ? refuseImportInfo(QStringLiteral("its content could not be read"))
                   : false;
    // The names key the configuration file and name the new database file.
    QString message;
    if (!checkConfigKeyName(m_instrumentName, QStringLiteral("Instrument"), &message) ||
        !checkConfigKeyName(m_audiogroupName, QStringLiteral("Audiogroup"), &message)) {
        m_sourceType = SourceUnknown;
        return refuseImportInfo(message);
    }
    return true;
}

void DBImportConfigManagementOperation::takeAgConfig(AgConfig agConfig, bool keepLoggingFlag)
{
    agConfig.setName(m_audiogroupName);
    agConfig.setImported(true);
    if (!keepLoggingFlag)
        agConfig.setHasLoggingEnabled(false);
    m_instrumentConfig.setAgConfigs({agConfig});
}

void DBImportConfigManagementOperation::useDefaultConfiguration()
{
    m_instrumentName = QStringLiteral("Imported");
    m_audiogroupName = QFileInfo(m_filePath).fileName() + QStringLiteral("_i");
    m_instrumentConfig = InstrumentConfig();
    m_instrumentConfig.setName(m_instrumentName);
    takeAgConfig(AgConfig(), false);
}

bool DBImportConfigManagementOperation::readKivDb(bool hasConfigTable,
                                                  const QString &connectionName)
{
    if (!hasConfigTable) {
        useDefaultConfiguration();
        m_sourceType = SourceKivDb;
        return true;
    }
    QSqlQuery query(QSqlDatabase::database(connectionName, false));
    if (!query.exec(QStringLiteral("SELECT timestamp, instrumentName, agSourceName, rawXml FROM "
                                   "config ORDER BY timestamp DESC LIMIT 1;")))
        return refuseImportInfo(queryFailure(query));
    if (!query.next()) {
        // The store makes the table with the file; an audiogroup whose configuration never
        // changed (and its backups) leaves it empty.
        if (query.lastError().isValid())
            return refuseImportInfo(queryFailure(query));
        useDefaultConfiguration();
        m_sourceType = SourceKivDb;
        return true;
    }
    bool ok = false;
    query.value(0).toLongLong(&ok);
    if (!ok)
        return refuseImportInfo(QStringLiteral("its stored configuration has no valid time"));
    const QString instrumentName = query.value(1).toString();
    const QString sourceName = query.value(2).toString();
    QByteArray rawXml = query.value(3).toString().toUtf8();
    QBuffer buffer(&rawXml);
    if (!buffer.open(QIODevice::ReadOnly))
        return refuseImportInfo(QStringLiteral("its stored configuration could not be read"));
    const SystemConfig stored = loadSystemConfigFromInputDocument(&buffer);
    if (!stored.hasAgConfig(instrumentName, sourceName))
        return refuseImportInfo(
            QStringLiteral("its stored configuration holds no audiogroup %1 of %2")
                .arg(sourceName, instrumentName));
    m_instrumentConfig = stored.getInstrument(instrumentName);
    m_instrumentName = instrumentName;
    m_audiogroupName = sourceName;
    if (m_nameSuffixFlag)
        m_audiogroupName += QStringLiteral("_%1").arg(m_nameSuffix);
    m_audiogroupName += QStringLiteral("_i");
    takeAgConfig(m_instrumentConfig.getAgConfig(sourceName), false);
    m_sourceType = SourceKivDb;
    return true;
}

bool DBImportConfigManagementOperation::readMeterDb(bool hasConfigTable,
                                                    const QString &connectionName)
{
    if (!hasConfigTable) {
        useDefaultConfiguration();
        m_sourceType = SourceMeterDb;
        return true;
    }
    QSqlQuery query(QSqlDatabase::database(connectionName, false));
    if (!query.exec(QStringLiteral("SELECT name, config FROM config LIMIT 1;")))
        return refuseImportInfo(queryFailure(query));
    if (!query.next()) {
        if (query.lastError().isValid())
            return refuseImportInfo(queryFailure(query));
        useDefaultConfiguration();
        m_sourceType = SourceMeterDb;
        return true;
    }
    const QString sourceName = query.value(0).toString();
    // Behind the program's XML declaration; one the text brings itself would be a second.
    const QString document = replyDocumentText(query.value(1).toString());
    GetConfigResponse reply;
    reply.parse(document);
    const InstrumentConfig instrument = reply.getInstrumentConfig();
    if (instrument.getName().isEmpty() || sourceName.isEmpty() ||
        !instrument.hasAgConfig(sourceName))
        return refuseImportInfo(
            QStringLiteral("its stored configuration holds no audiogroup %1").arg(sourceName));
    m_instrumentConfig = instrument;
    m_instrumentName = instrument.getName();
    m_audiogroupName = sourceName + QStringLiteral("_i");
    takeAgConfig(instrument.getAgConfig(sourceName), false);
    m_sourceType = SourceMeterDb;
    return true;
}

bool DBImportConfigManagementOperation::readXmlExport()
{
    QFile file(m_filePath);
    if (!file.exists())
        return refuseImportInfo(QStringLiteral("there is no such file"));
    if (!file.open(QIODevice::ReadOnly))
        return refuseImportInfo(
            QStringLiteral("it could not be opened (%1)").arg(file.errorString()));
    // Read as a stream: only where the samples lie is kept, the audiogroup reads them again.
    ZQExportParser parser;
    parser.parseFile(&file);
    file.close();
    if (!parser.isValid())
        return refuseImportInfo(
            parser.getErrorText().isEmpty()
                ? QStringLiteral("it holds no meter export of a named instrument with an "
                                 "audiogroup")
                : QStringLiteral("it is not a well-formed XML export (%1)")
                      .arg(parser.getErrorText()));
    InstrumentConfig instrument = parser.getInstrumentConfig();
    if (instrument.getAgConfigCount() != 1) {
        KIV_LOG(5, "XML export file does not contain exactly 1 audiogroup\n");
        return refuseImportInfo(QStringLiteral("it holds %1 audiogroups instead of exactly 1")
                                    .arg(instrument.getAgConfigCount()));
    }
    const AgConfig agConfig = instrument.getAgConfigs().first();
    m_instrumentConfig = instrument;
    m_instrumentName = instrument.getName();
    deleteXmlSamples();
    m_xmlSamples = parser.getSampleList(agConfig.getName());
    m_xmlSamples.filePath = m_filePath;
    m_audiogroupName = agConfig.getName() + QStringLiteral("_i");
    takeAgConfig(agConfig, true);
    m_sourceType = SourceMeterXml;
    return true;
}
