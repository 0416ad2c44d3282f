#include "SQLiteAgDataModel.h"

#include "AgDataVector.h"
#include "AgDbStatements.h"
#include "KivConstants.h"
#include "KivUtils.h"
#include "ORQLogging.h"
#include "SQLiteRows.h"
#include "SQLiteStatementReset.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QMutexLocker>
#include <QStringList>

#include <sqlite3.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <utility>

// The connection, its schema and statements, the transactions, the reads and the single-row
// writes. The insert path, the zoom levels and the program backups have files of their own.

using SQLiteRows::bindText;
using SQLiteRows::columnText;

namespace {

// Capacity hint limit of a range read: a view never needs more than about 512 rows.
constexpr double kMaxRangeReserve = 4096.0;

AgEvent toEvent(sqlite3_stmt *statement)
{
    return AgEvent(toTimecode(static_cast<qint64>(sqlite3_column_int64(statement, 2))),
                   sqlite3_column_int64(statement, 0), sqlite3_column_int64(statement, 1),
                   sqlite3_column_int64(statement, 3), sqlite3_column_int64(statement, 4),
                   sqlite3_column_int64(statement, 5));
}

// Column names of the tables this store creates, for telling its files from foreign ones.
const QStringList &levelColumns()
{
    static const QStringList columns = {
        QStringLiteral("timestamp"), QStringLiteral("timecode"), QStringLiteral("programId"),
        QStringLiteral("TP"),        QStringLiteral("TPMax"),    QStringLiteral("M100ms"),
        QStringLiteral("M400ms"),    QStringLiteral("MMax"),     QStringLiteral("S"),
        QStringLiteral("SMax"),      QStringLiteral("I"),        QStringLiteral("LRA"),
        QStringLiteral("Events"),    QStringLiteral("Flags")};
    return columns;
}

QStringList expectedColumns(const QString &table)
{
    const QString name = table.toLower();
    if (name.startsWith(QLatin1String("agdatazoomlevel"))) {
        for (int level = 0; level < kZoomLevelCount; ++level)
            if (name == agDataZoomLevelTableName(level).toLower())
                return levelColumns();
        return {};
    }
    if (name == QLatin1String("events"))
        return {QStringLiteral("timestamp"), QStringLiteral("startPgmTimestamp"),
                QStringLiteral("timecode"),  QStringLiteral("programId"),
                QStringLiteral("Events"),    QStringLiteral("Flags")};
    if (name == QLatin1String("config"))
        return {QStringLiteral("timestamp"), QStringLiteral("instrumentName"),
                QStringLiteral("agSourceName"), QStringLiteral("rawXml")};
    if (name == QLatin1String("version"))
        return {QStringLiteral("dbVersion"), QStringLiteral("creator"),
                QStringLiteral("creatorVersion")};
    return {};
}

void removeDbFiles(const QString &path)
{
    for (const char *suffix : {"", "-journal", "-wal", "-shm"})
        QFile::remove(path + QLatin1String(suffix));
}

// Every audiogroup's file lives in the one data folder: its removal is found by the first
// store that looks, told once and the folder made again once, not once per audiogroup.
struct DataFolderState
{
    QMutex mutex;
    // A removal was logged and the folder could not be made again since.
    bool goneLogged = false;
    std::function<void()> madeAgain;
};

DataFolderState &dataFolderState()
{
    static DataFolderState state;
    return state;
}

} // namespace

SQLiteAgDataModel::SQLiteAgDataModel(const InstrumentConfig &instrumentConfig,
                                     const AgConfig &agConfig, bool levelZeroOnly,
                                     const QString &targetPath)
    : AgDataModel(instrumentConfig, agConfig, levelZeroOnly, targetPath)
{
    for (LevelStatements &statements : m_levelStatements)
        statements.fill(nullptr);
    m_manager.init(instrumentConfig, agConfig, levelZeroOnly, targetPath);
}

SQLiteAgDataModel::~SQLiteAgDataModel()
{
    finalizeStatements();
}

// ---------------------------------------------------------------------------------------------
// Connection, schema and statements

int SQLiteAgDataModel::exec(const QString &sql)
{
    if (!db())
        return SQLITE_MISUSE;
    char *message = nullptr;
    const int rc = sqlite3_exec(db(), sql.toUtf8().constData(), nullptr, nullptr, &message);
    if (rc != SQLITE_OK)
        m_lastExecFailure = sqlite3_extended_errcode(db());
    if (rc != SQLITE_OK)
        KIV_LOG(2, "SQLiteAgDataModel[%s][%s] \"%s\" failed: %s (%d)\n",
                qPrintable(getInstrumentConfig().getName()), qPrintable(getAgConfig().getName()),
                qPrintable(sql.left(60)), message ? message : sqlite3_errstr(rc), rc);
    sqlite3_free(message);
    return rc;
}

int SQLiteAgDataModel::execPrepared(sqlite3_stmt *statement, const QString &sql)
{
    if (!statement || !db())
        return exec(sql);
    const int step = sqlite3_step(statement);
    // As sqlite3_exec ends its statement: the reset leaves the step's code and message.
    const int reset = sqlite3_reset(statement);
    const int rc = reset != SQLITE_OK                          ? reset
                   : step == SQLITE_DONE || step == SQLITE_ROW ? SQLITE_OK
                                                               : step;
    if (rc != SQLITE_OK) {
        m_lastExecFailure = sqlite3_extended_errcode(db());
        KIV_LOG(2, "SQLiteAgDataModel[%s][%s] \"%s\" failed: %s (%d)\n",
                qPrintable(getInstrumentConfig().getName()), qPrintable(getAgConfig().getName()),
                qPrintable(sql.left(60)), sqlite3_errmsg(db()), rc);
    }
    return rc;
}

int SQLiteAgDataModel::prepare(const QString &sql, sqlite3_stmt **statement)
{
    *statement = nullptr;
    const QByteArray text = sql.toUtf8();
    const int rc = sqlite3_prepare_v2(db(), text.constData(), text.size(), statement, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_finalize(*statement);
        *statement = nullptr;
    }
    return rc;
}

void SQLiteAgDataModel::prepareStatements()
{
    const QString *levelTexts[] = {&AgDbSql::insertLevelRow(),    &AgDbSql::deleteLevelRange(),
                                   &AgDbSql::selectLevelRange(),  &AgDbSql::selectLevelNewest(),
                                   &AgDbSql::selectLevelOldest(), &AgDbSql::selectLevelCount()};
    auto prepareOne = [this](const QString &sql, sqlite3_stmt **statement) {
        if (prepare(sql, statement) != SQLITE_OK)
            KIV_LOG(2, "SQLiteAgDataModel[%s][%s] cannot prepare \"%s\": %s\n",
                    qPrintable(getInstrumentConfig().getName()),
                    qPrintable(getAgConfig().getName()), qPrintable(sql), sqlite3_errmsg(db()));
    };
    const int levels = isLevelZeroOnly() ? 1 : kZoomLevelCount;
    for (int level = 0; level < levels; ++level) {
        const QString table = agDataZoomLevelTableName(level);
        for (int kind = kInsert; kind <= kCount; ++kind)
            prepareOne(levelTexts[kind]->arg(table), &m_levelStatements[kind][level]);
    }
    prepareOne(AgDbSql::selectAllEvents(), &m_selectAllEvents);
    prepareOne(AgDbSql::selectEventsRange(), &m_selectEventsRange);
    prepareOne(AgDbSql::insertEvent(), &m_insertEvent);
    prepareOne(AgDbSql::deleteEventsRange(), &m_deleteEvents);
    prepareOne(AgDbSql::insertConfig(), &m_insertConfig);
    prepareOne(AgDbSql::selectLatestConfig(), &m_selectLatestConfig);
    prepareOne(AgDbSql::insertVersion(), &m_insertVersion);
    prepareOne(AgDbSql::selectVersionCount(), &m_selectVersionCount);
    // Parsed once, not at every batch.
    prepareOne(AgDbSql::beginTransaction(), &m_begin);
    prepareOne(AgDbSql::commitTransaction(), &m_commit);
}

void SQLiteAgDataModel::finalizeStatements()
{
    for (int level = 0; level < kZoomLevelCount; ++level)
        for (LevelStatements &statements : m_levelStatements) {
            sqlite3_finalize(statements[level]);
            statements[level] = nullptr;
        }
    for (sqlite3_stmt **statement :
         {&m_insertEvent, &m_deleteEvents, &m_selectAllEvents, &m_selectEventsRange,
          &m_insertConfig, &m_selectLatestConfig, &m_insertVersion, &m_selectVersionCount, &m_begin,
          &m_commit}) {
        sqlite3_finalize(*statement);
        *statement = nullptr;
    }
}

void SQLiteAgDataModel::releaseConnection()
{
    forgetRows();
    finalizeStatements();
    m_manager.close();
}

void SQLiteAgDataModel::logOpenFailure(int code, const QString &what)
{
    if (code == m_loggedOpenFailure)
        return;
    m_loggedOpenFailure = code;
    KIV_LOG(2, "SQLiteAgDataModel[%s][%s] cannot use the database %s: %s (%d)\n",
            qPrintable(getInstrumentConfig().getName()), qPrintable(getAgConfig().getName()),
            qPrintable(m_manager.getFileName()), qPrintable(what), code);
}

void SQLiteAgDataModel::noteWriteFailure(int code)
{
    // A full disk or a busy reader passes by itself; these need a new connection.
    switch (code & 0xff) {
    case SQLITE_READONLY:
    case SQLITE_CANTOPEN:
    case SQLITE_IOERR:
    case SQLITE_PERM:
    case SQLITE_NOTADB:
        logOpenFailure(code & 0xff, QStringLiteral("cannot write it (%1); it is opened again "
                                                   "every %2 s until it can be written")
                                        .arg(QString::fromUtf8(sqlite3_errstr(code)))
                                        .arg(kReopenPacingMs / 1000));
        reopenLater();
        break;
    default:
        break;
    }
}

int SQLiteAgDataModel::keepFileInPlace(bool paced)
{
    if (!m_manager.hasMoved())
        return 0;
    if (paced && getReopenPacingMs() > 0 && m_restoreFailed.isValid() &&
        !m_restoreFailed.hasExpired(getReopenPacingMs()))
        return -1;
    const QString path = m_manager.getFileName();
    QString problem;
    if (restoreFile(path, &problem) != 0) {
        m_restoreFailed.start();
        if (problem != m_loggedRestoreFailure)
            KIV_LOG(2,
                    "SQLiteAgDataModel[%s][%s] cannot make the database %s again: %s; samples "
                    "are not stored until it can be, tried again every %d s\n",
                    qPrintable(getInstrumentConfig().getName()),
                    qPrintable(getAgConfig().getName()), qPrintable(path), qPrintable(problem),
                    int(getReopenPacingMs() / 1000));
        m_loggedRestoreFailure = problem;
        return -1;
    }
    m_restoreFailed.invalidate();
    m_loggedRestoreFailure.clear();
    m_movedLogged = false;
    int err = 0;
    const int samples = db() ? readCount(0, &err) : -1;
    KIV_LOG(4,
            "SQLiteAgDataModel[%s][%s] the database %s, removed or replaced while in use, is "
            "back with its %d samples\n",
            qPrintable(getInstrumentConfig().getName()), qPrintable(getAgConfig().getName()),
            qPrintable(path), samples);
    return db() ? 0 : -1;
}

void SQLiteAgDataModel::setFolderMadeAgainHook(std::function<void()> hook)
{
    DataFolderState &state = dataFolderState();
    QMutexLocker lock(&state.mutex);
    state.madeAgain = std::move(hook);
}

int SQLiteAgDataModel::restoreFile(const QString &path, QString *problem)
{
    const QFileInfo info(path);
    const QString folder = info.absolutePath();
    // Made first, so that the log file, gone with the folder, is made again by the next entry.
    bool folderMade = false;
    {
        DataFolderState &state = dataFolderState();
        QMutexLocker lock(&state.mutex);
        const bool folderGone = !QFileInfo::exists(folder);
        folderMade = QDir().mkpath(folder);
        if (folderGone && !state.goneLogged)
            KIV_LOG(2, "SQLiteAgDataModel[%s][%s] the folder %s was removed while in use%s\n",
                    qPrintable(getInstrumentConfig().getName()),
                    qPrintable(getAgConfig().getName()), qPrintable(folder),
                    folderMade ? "; it is made again" : "");
        state.goneLogged = !folderMade && (folderGone || state.goneLogged);
        if (folderGone && folderMade && state.madeAgain)
            state.madeAgain();
    }
    if (!m_movedLogged) {
        m_movedLogged = true;
        KIV_LOG(2,
                "SQLiteAgDataModel[%s][%s] the database %s was removed or replaced while in use; "
                "it is made again with everything stored in it\n",
                qPrintable(getInstrumentConfig().getName()), qPrintable(getAgConfig().getName()),
                qPrintable(path));
    }
    if (!folderMade) {
        *problem = QStringLiteral("the folder %1 cannot be made").arg(folder);
        return -1;
    }
    // The copy is complete before it takes the file's place, and the connection on what was
    // stored stays until then: a failure at any step loses nothing.
    const QString copy = path + QStringLiteral(".restoring");
    removeDbFiles(copy);
    if (m_manager.copyTo(copy, problem) != SQLITE_OK) {
        removeDbFiles(copy);
        return -1;
    }
    if (QFileInfo::exists(path) || QFileInfo(path).isSymLink()) {
        // Whatever took its place is the user's: kept beside, never overwritten.
        if (!QFileInfo(path).isFile()) {
            removeDbFiles(copy);
            *problem = QStringLiteral("something that is not a file stands in its place");
            return -1;
        }
        const QString stamped =
            path + QLatin1Char('.') +
            QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
        QString aside = stamped + QStringLiteral(".found");
        for (int count = 2; QFileInfo::exists(aside); ++count)
            aside = stamped + QStringLiteral("-%1.found").arg(count);
        if (!QFile::rename(path, aside)) {
            removeDbFiles(copy);
            *problem = QStringLiteral("the file found in its place cannot be moved aside");
            return -1;
        }
        KIV_LOG(2, "SQLiteAgDataModel[%s][%s] the file found in place of %s is kept as %s\n",
                qPrintable(getInstrumentConfig().getName()), qPrintable(getAgConfig().getName()),
                qPrintable(path), qPrintable(aside));
    }
    if (std::rename(QFile::encodeName(copy).constData(), QFile::encodeName(path).constData()) !=
        0) {
        removeDbFiles(copy);
        *problem = QStringLiteral("the copy cannot be renamed (%1)")
                       .arg(QString::fromLocal8Bit(std::strerror(errno)));
        return -1;
    }
    // The journal files at the path are those of the removed file: they go, and the closing
    // connection must not remove the new file's by name later.
    m_manager.keepJournalFilesAtClose();
    releaseConnection();
    for (const char *suffix : {"-wal", "-shm"})
        QFile::remove(path + QLatin1String(suffix));
    if (openDatabase() != SQLITE_OK) {
        // The file holds everything; the lazy open takes it up at its pace.
        reopenLater();
        *problem = QStringLiteral("the copy cannot be opened");
        return -1;
    }
    return 0;
}

int SQLiteAgDataModel::checkSchema()
{
    // A file in the audiogroup's place that is not one of ours is reported and left untouched:
    // nothing may be written to it before this check.
    sqlite3_stmt *statement = nullptr;
    int rc =
        prepare(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table';"), &statement);
    if (rc != SQLITE_OK) {
        logOpenFailure(rc, QStringLiteral("not a readable SQLite database; the file is left "
                                          "as it is (%1)")
                               .arg(QString::fromUtf8(sqlite3_errmsg(db()))));
        return rc;
    }
    QStringList tables;
    while ((rc = sqlite3_step(statement)) == SQLITE_ROW)
        tables << columnText(statement, 0);
    sqlite3_finalize(statement);
    if (rc != SQLITE_DONE) {
        logOpenFailure(rc, QStringLiteral("its tables cannot be read (%1)")
                               .arg(QString::fromUtf8(sqlite3_errstr(rc))));
        return rc;
    }
    if (tables.isEmpty())
        return SQLITE_OK;

    auto foreign = [this](const QString &why) {
        logOpenFailure(
            SQLITE_NOTADB,
            QStringLiteral("not an audiogroup database (%1); the file is left as it is").arg(why));
        return SQLITE_NOTADB;
    };
    const QString levelZero = agDataZoomLevelTableName(0);
    if (!tables.contains(levelZero, Qt::CaseInsensitive))
        return foreign(QStringLiteral("no table %1").arg(levelZero));
    for (const QString &table : tables) {
        const QStringList expected = expectedColumns(table);
        if (expected.isEmpty())
            continue;
        QStringList columns;
        rc = prepare(QStringLiteral("PRAGMA table_info(\"%1\");").arg(table), &statement);
        if (rc != SQLITE_OK)
            return foreign(QStringLiteral("table %1 unreadable").arg(table));
        while (sqlite3_step(statement) == SQLITE_ROW)
            columns << columnText(statement, 1);
        sqlite3_finalize(statement);
        if (columns.join(QLatin1Char(','))
                .compare(expected.join(QLatin1Char(',')), Qt::CaseInsensitive) != 0)
            return foreign(QStringLiteral("table %1 has the columns %2")
                               .arg(table, columns.join(QStringLiteral(", "))));
    }
    return SQLITE_OK;
}

void SQLiteAgDataModel::configureJournal()
{
    // The audiogroup's own file: WAL keeps every commit through a killed process, lets the
    // table view read while this connection writes, and commits without an fsync.
    sqlite3_stmt *statement = nullptr;
    QString mode;
    if (prepare(QStringLiteral("PRAGMA journal_mode=WAL;"), &statement) == SQLITE_OK &&
        sqlite3_step(statement) == SQLITE_ROW)
        mode = columnText(statement, 0);
    sqlite3_finalize(statement);
    if (mode.compare(QLatin1String("wal"), Qt::CaseInsensitive) != 0) {
        // The rollback journal with its default full synchronisation stays just as safe.
        KIV_LOG(3,
                "SQLiteAgDataModel[%s][%s] WAL journal not available (%s); keeping the "
                "rollback journal\n",
                qPrintable(getInstrumentConfig().getName()), qPrintable(getAgConfig().getName()),
                qPrintable(mode));
        return;
    }
    exec(QStringLiteral("PRAGMA synchronous=NORMAL;"));
    // A checkpoint at about 1 MB of journal, and each one empties the file: otherwise the
    // journal keeps its largest size (4 MB by default) for as long as the file is open.
    // Not cut back to a size of its own either: frames straddle file blocks, and writing
    // them again over blocks the system has dropped from its cache reads every block back
    // from the disk first (about ten reads a batch), while appending to an empty file
    // reads nothing.
    exec(QStringLiteral("PRAGMA wal_autocheckpoint=256;"));
    exec(QStringLiteral("PRAGMA journal_size_limit=0;"));
    if (m_bulkWrites)
        configureBulkJournal();
}

void SQLiteAgDataModel::configureBulkJournal()
{
    // While a whole file is copied in: a checkpoint at about 64 MB of journal instead of
    // 1 MB, so that a 72-hour import waits for the disk some twenty times instead of a
    // thousand, and the journal kept at its size, its blocks still cached, instead of grown
    // again from nothing after each checkpoint.
    exec(QStringLiteral("PRAGMA wal_autocheckpoint=16384;"));
    exec(QStringLiteral("PRAGMA journal_size_limit=-1;"));
}

void SQLiteAgDataModel::setBulkWrites(bool bulk)
{
    if (bulk == m_bulkWrites)
        return;
    m_bulkWrites = bulk;
    if (!db())
        return;
    if (bulk) {
        configureBulkJournal();
    } else {
        releaseRowsInserts();
        exec(QStringLiteral("PRAGMA wal_autocheckpoint=256;"));
        exec(QStringLiteral("PRAGMA journal_size_limit=0;"));
        exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE);"));
    }
}

int SQLiteAgDataModel::openDatabase()
{
    int rc = m_manager.open();
    if (rc != SQLITE_OK) {
        logOpenFailure(rc, QString::fromUtf8(sqlite3_errstr(rc)));
        return rc;
    }
    sqlite3_busy_timeout(db(), kBusyTimeoutMs);
    if ((rc = checkSchema()) != SQLITE_OK) {
        releaseConnection();
        return rc;
    }
    // SQLite's default page cache (about 2 MB) keeps every page the file ever wrote until it
    // is full, twenty times over while logging; a batch touches a few dozen pages, an import
    // slice a few hundred.
    exec(QStringLiteral("PRAGMA cache_size=-1024;"));
    // Opened through the UTF-16 interface, a new file would take UTF-16 as its text encoding;
    // the format keeps its texts in UTF-8. Only a file without tables takes the setting.
    exec(QStringLiteral("PRAGMA encoding = 'UTF-8';"));
    if (!isLevelZeroOnly())
        configureJournal();
    const QString creates[] = {AgDbSql::createLevelTable().arg(agDataZoomLevelTableName(0)),
                               AgDbSql::createEventsTable(), AgDbSql::createConfigTable(),
                               AgDbSql::createVersionTable()};
    for (const QString &create : creates) {
        if ((rc = exec(create)) != SQLITE_OK) {
            logOpenFailure(rc, QStringLiteral("cannot create its tables (%1)")
                                   .arg(QString::fromUtf8(sqlite3_errstr(rc))));
            releaseConnection();
            return rc;
        }
    }
    if (!isLevelZeroOnly())
        for (int level = 1; level < kZoomLevelCount; ++level)
            exec(AgDbSql::createLevelTable().arg(agDataZoomLevelTableName(level)));
    prepareStatements();
    ensureVersionRow();
    // A file opened read-only is not usable again yet: its first write says so.
    if (sqlite3_db_readonly(db(), "main") != 1) {
        if (m_loggedOpenFailure != 0)
            KIV_LOG(4, "SQLiteAgDataModel[%s][%s] the database %s can be used again\n",
                    qPrintable(getInstrumentConfig().getName()),
                    qPrintable(getAgConfig().getName()), qPrintable(m_manager.getFileName()));
        m_loggedOpenFailure = 0;
    }
    return SQLITE_OK;
}

void SQLiteAgDataModel::ensureVersionRow()
{
    int err = 0;
    const int count = readVersionCount(&err);
    if (err != 0)
        return;
    if (count != 1)
        storeVersion(&err);
}

int SQLiteAgDataModel::checkDatabase()
{
    return 0;
}

int SQLiteAgDataModel::applyConfigs(const InstrumentConfig &instrumentConfig,
                                    const AgConfig &agConfig)
{
    m_manager.updateConfigs(instrumentConfig, agConfig);
    return 0;
}

void SQLiteAgDataModel::closeDatabase()
{
    // What was stored after a removal lives only in the open connection: it is put back in
    // place before the connection goes.
    keepFileInPlace(false);
    releaseConnection();
}

// ---------------------------------------------------------------------------------------------
// Transactions

void SQLiteAgDataModel::rollback()
{
    // Quiet when SQLite has already ended the transaction itself.
    if (db() && sqlite3_get_autocommit(db()) == 0)
        exec(AgDbSql::rollbackTransaction());
}

bool SQLiteAgDataModel::commit()
{
    if (execPrepared(m_commit, AgDbSql::commitTransaction()) == SQLITE_OK)
        return true;
    // A failed commit (a busy reader, a full disk) would otherwise leave the connection inside
    // the transaction and every later batch would fail to begin its own.
    rollback();
    return false;
}

// ---------------------------------------------------------------------------------------------
// Reads

AgData SQLiteAgDataModel::toSample(sqlite3_stmt *statement) const
{
    AgData sample;
    sample.setEmpty(false);
    sample.setTimestamp(sqlite3_column_int64(statement, 0));
    sample.setTimecode(toTimecode(static_cast<qint64>(sqlite3_column_int64(statement, 1))));
    sample.setProgramId(sqlite3_column_int64(statement, 2));
    sample.setTP(AgData::fromStored(sqlite3_column_double(statement, 3)));
    sample.setTPMax(AgData::fromStored(sqlite3_column_double(statement, 4)));
    sample.setM100ms(AgData::fromStored(sqlite3_column_double(statement, 5)));
    sample.setM400ms(AgData::fromStored(sqlite3_column_double(statement, 6)));
    sample.setMMax(AgData::fromStored(sqlite3_column_double(statement, 7)));
    sample.setS(AgData::fromStored(sqlite3_column_double(statement, 8)));
    sample.setSMax(AgData::fromStored(sqlite3_column_double(statement, 9)));
    sample.setI(AgData::fromStored(sqlite3_column_double(statement, 10)));
    sample.setLRA(AgData::fromStored(sqlite3_column_double(statement, 11)));
    sample.setEvents(sqlite3_column_int64(statement, 12));
    sample.setFlags(sqlite3_column_int64(statement, 13));
    return sample;
}

int SQLiteAgDataModel::readLevelZeroRows(qint64 from, qint64 to, std::vector<AgData> *rows)
{
    sqlite3_stmt *select = m_levelStatements[kSelectRange][0];
    if (!select || sqlite3_reset(select) != SQLITE_OK)
        return -1;
    SQLiteStatementReset reset(select);
    if (sqlite3_bind_int64(select, 1, from) != SQLITE_OK ||
        sqlite3_bind_int64(select, 2, to) != SQLITE_OK)
        return -1;
    const QString sourceName = getAgConfig().getName();
    int rc;
    while ((rc = sqlite3_step(select)) == SQLITE_ROW) {
        rows->push_back(toSample(select));
        rows->back().setSourceName(sourceName);
    }
    return rc == SQLITE_DONE ? 0 : -1;
}

AgDataVector *SQLiteAgDataModel::readData(int level, qint64 from, qint64 to, int *err)
{
    int ignored = 0;
    int &code = err ? *err : ignored;
    sqlite3_stmt *select = isZoomLevel(level) ? m_levelStatements[kSelectRange][level] : nullptr;
    if (!select || sqlite3_reset(select) != SQLITE_OK) {
        code = -1;
        return nullptr;
    }
    SQLiteStatementReset reset(select);
    if (sqlite3_bind_int64(select, 1, from) != SQLITE_OK ||
        sqlite3_bind_int64(select, 2, to) != SQLITE_OK) {
        code = -1;
        return nullptr;
    }
    const QString sourceName = getAgConfig().getName();
    auto rows = std::make_unique<AgDataVector>(sourceName, level);
    // Only a hint: a reversed or very wide range must not reserve without bound.
    const double expected = (double(to) - double(from)) / zoomLevelToSampleIntervalMs(level);
    rows->reserve(static_cast<int>(std::min(std::max(expected, 0.0), kMaxRangeReserve)));
    int rc;
    while ((rc = sqlite3_step(select)) == SQLITE_ROW) {
        AgData sample = toSample(select);
        sample.setSourceName(sourceName);
        rows->append(sample);
    }
    // A read that ends early (a damaged page) must not pass for the whole range: program
    // loudness and the views would take the missing rows for silence.
    if (rc != SQLITE_DONE) {
        logReadFailure(kSampleRows, rc);
        code = -1;
        return nullptr;
    }
    m_loggedReadFailure[kSampleRows] = 0;
    code = 0;
    return rows.release();
}

qint64 SQLiteAgDataModel::readMaxTimestamp(int level, int *err, bool fromCache)
{
    if (fromCache) {
        *err = 0;
        return getCache().getMaxTimestamp(level);
    }
    return readLevelValue(kNewest, level, err);
}

qint64 SQLiteAgDataModel::readMinTimestamp(int level, int *err, bool fromCache)
{
    if (fromCache) {
        *err = 0;
        return getCache().getMinTimestamp(level);
    }
    return readLevelValue(kOldest, level, err);
}

int SQLiteAgDataModel::readCount(int level, int *err)
{
    return static_cast<int>(readLevelValue(kCount, level, err));
}

qint64 SQLiteAgDataModel::readLevelValue(int kind, int level, int *err)
{
    sqlite3_stmt *select = isZoomLevel(level) ? m_levelStatements[kind][level] : nullptr;
    if (!select || sqlite3_reset(select) != SQLITE_OK || sqlite3_step(select) != SQLITE_ROW) {
        if (select)
            sqlite3_reset(select);
        *err = -1;
        return -1;
    }
    const qint64 value = sqlite3_column_int64(select, 0);
    sqlite3_reset(select);
    *err = 0;
    return value;
}

std::vector<AgData> SQLiteAgDataModel::readRecentData(int level, int *err, bool fromCache)
{
    if (fromCache) {
        *err = 0;
        return getCache().getRecentData(level);
    }
    const qint64 newest = readMaxTimestamp(level, err, false);
    if (*err != 0)
        return {};
    AgDataVector *rows = readData(level, AgCache::recentSpanStart(level, newest), newest, err);
    if (!rows) {
        *err = -1;
        return {};
    }
    std::vector<AgData> recent(rows->begin(), rows->end());
    delete rows;
    return recent;
}

AgData SQLiteAgDataModel::readLastData(int level, int *err)
{
    *err = 0;
    return getCache().getLastData(level);
}

Program SQLiteAgDataModel::readProgram(int mode, qint64 time, int *err)
{
    *err = 0;
    return getCache().getProgram(mode, time);
}

std::vector<Program> SQLiteAgDataModel::readPrograms(int *err)
{
    *err = 0;
    return getCache().getPrograms();
}

void SQLiteAgDataModel::logReadFailure(ReadKind kind, int code)
{
    // A file that stays damaged is logged once, not at every retry of the lazy open.
    if (m_loggedReadFailure[kind] == code)
        return;
    m_loggedReadFailure[kind] = code;
    const char *what = kind == kEventRows ? "events" : "samples";
    KIV_LOG(2, "SQLiteAgDataModel[%s][%s] reading the %s failed: %s (%d)\n",
            qPrintable(getInstrumentConfig().getName()), qPrintable(getAgConfig().getName()), what,
            db() ? sqlite3_errmsg(db()) : sqlite3_errstr(code), code);
}

int SQLiteAgDataModel::readEventRows(sqlite3_stmt *select, std::vector<AgEvent> *events)
{
    int rc;
    while ((rc = sqlite3_step(select)) == SQLITE_ROW)
        events->push_back(toEvent(select));
    if (rc == SQLITE_DONE) {
        m_loggedReadFailure[kEventRows] = 0;
        return 0;
    }
    // Half the events would hide programs, and a backup would delete event rows it never
    // copied.
    logReadFailure(kEventRows, rc);
    events->clear();
    return -1;
}

std::vector<AgEvent> SQLiteAgDataModel::readAllEvents(int *err, bool fromCache)
{
    if (fromCache) {
        *err = 0;
        return getCache().getAllEvents();
    }
    std::vector<AgEvent> events;
    sqlite3_stmt *select = m_selectAllEvents;
    if (!select || sqlite3_reset(select) != SQLITE_OK) {
        *err = -1;
        return events;
    }
    SQLiteStatementReset reset(select);
    *err = readEventRows(select, &events);
    return events;
}

std::vector<AgEvent> SQLiteAgDataModel::readEvents(qint64 from, qint64 to, int *err, bool fromCache)
{
    if (fromCache) {
        *err = 0;
        return getCache().getEvents(from, to);
    }
    std::vector<AgEvent> events;
    sqlite3_stmt *select = m_selectEventsRange;
    if (!select || sqlite3_reset(select) != SQLITE_OK) {
        *err = -1;
        return events;
    }
    SQLiteStatementReset reset(select);
    if (sqlite3_bind_int64(select, 1, from) != SQLITE_OK ||
        sqlite3_bind_int64(select, 2, to) != SQLITE_OK) {
        *err = -1;
        return events;
    }
    *err = readEventRows(select, &events);
    return events;
}

AgDbConfig SQLiteAgDataModel::readLatestConfig(int *err)
{
    sqlite3_stmt *select = m_selectLatestConfig;
    if (!select || sqlite3_reset(select) != SQLITE_OK) {
        *err = -1;
        return AgDbConfig();
    }
    SQLiteStatementReset reset(select);
    if (sqlite3_step(select) != SQLITE_ROW) {
        *err = -1;
        return AgDbConfig();
    }
    *err = 0;
    return AgDbConfig(sqlite3_column_int64(select, 0), columnText(select, 1), columnText(select, 2),
                      columnText(select, 3));
}

int SQLiteAgDataModel::readVersionCount(int *err)
{
    sqlite3_stmt *select = m_selectVersionCount;
    if (!select || sqlite3_reset(select) != SQLITE_OK) {
        *err = -1;
        return -1;
    }
    SQLiteStatementReset reset(select);
    if (sqlite3_step(select) != SQLITE_ROW) {
        *err = -1;
        return -1;
    }
    *err = 0;
    return sqlite3_column_int(select, 0);
}

// ---------------------------------------------------------------------------------------------
// Events, configuration and version rows

void SQLiteAgDataModel::storeEvents(const std::vector<AgEvent> &events, int *err)
{
    *err = -1;
    if (events.empty()) {
        getCache().addEvents({});
        *err = 0;
        return;
    }
    if (exec(AgDbSql::beginTransaction()) != SQLITE_OK || !m_insertEvent ||
        sqlite3_reset(m_insertEvent) != SQLITE_OK)
        return rollback();
    std::vector<AgEvent> written;
    written.reserve(events.size());
    for (const AgEvent &event : events)
        if (insertEventRow(event, &written) != 0)
            return rollback();
    if (!commit())
        return;
    getCache().addEvents(written);
    *err = 0;
}

void SQLiteAgDataModel::storeConfig(const AgDbConfig &row, int *err)
{
    storeSingleRow(m_insertConfig, err, [&row](sqlite3_stmt *insert) {
        return sqlite3_bind_int64(insert, 1, row.getTimestamp()) == SQLITE_OK &&
               bindText(insert, 2, row.getInstrumentName()) == SQLITE_OK &&
               bindText(insert, 3, row.getAgSourceName()) == SQLITE_OK &&
               bindText(insert, 4, row.getRawXml()) == SQLITE_OK;
    });
}

void SQLiteAgDataModel::storeVersion(int *err)
{
    storeSingleRow(m_insertVersion, err, [](sqlite3_stmt *insert) {
        return bindText(insert, 1, AgDbSql::dbVersionText()) == SQLITE_OK &&
               bindText(insert, 2, AgDbSql::creatorText()) == SQLITE_OK &&
               bindText(insert, 3, KivConstants::buildString()) == SQLITE_OK;
    });
}

void SQLiteAgDataModel::storeSingleRow(sqlite3_stmt *insert, int *err,
                                       const std::function<bool(sqlite3_stmt *)> &bind)
{
    *err = -1;
    if (exec(AgDbSql::beginTransaction()) != SQLITE_OK || !insert ||
        sqlite3_reset(insert) != SQLITE_OK)
        return rollback();
    SQLiteStatementReset reset(insert);
    if (!bind(insert) || sqlite3_step(insert) != SQLITE_DONE)
        return rollback();
    sqlite3_clear_bindings(insert);
    if (sqlite3_reset(insert) != SQLITE_OK)
        return rollback();
    if (commit())
        *err = 0;
}
