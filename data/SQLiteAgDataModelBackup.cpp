#include "SQLiteAgDataModel.h"

#include "AgDbStatements.h"
#include "KivConstants.h"
#include "KivUtils.h"
#include "ORQLogging.h"
#include "SQLiteRows.h"
#include "SQLiteStatementReset.h"

#include <QElapsedTimer>
#include <QFile>

#include <sqlite3.h>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

// Program backups: a program's rows, events and latest configuration copied into a file of its
// own under "log_backup", synced, and only then deleted from the audiogroup's file.

using SQLiteRows::bindText;

namespace {

// Level-0 rows are copied in spans of this length, so a long program is never read at once.
constexpr qint64 kBackupSpanMs = 300000;

// A backup file's entry in its folder must last like its content before the program leaves
// the audiogroup's file: SQLite syncs the file, not the folder that names it.
bool syncFolder(const QString &path)
{
#ifdef Q_OS_UNIX
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    return synced;
#else
    // NTFS journals its folder entries with the file's own flush.
    Q_UNUSED(path)
    return true;
#endif
}

} // namespace

// A program's backup file, open for one copy: its statements are finalized and the file closed
// on every path, an exception included.
class SQLiteAgDataModel::BackupFile
{
public:
    BackupFile(const SQLiteAgDataModel &model, sqlite3 *connection)
        : m_model(model), m_db(connection)
    {
    }
    BackupFile(const BackupFile &) = delete;
    BackupFile &operator=(const BackupFile &) = delete;
    ~BackupFile() { close(); }

    sqlite3 *handle() const { return m_db; }

    int exec(const QString &sql)
    {
        char *message = nullptr;
        const int rc = sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, &message);
        if (rc != SQLITE_OK)
            fail(sql, message ? message : sqlite3_errstr(rc), rc);
        sqlite3_free(message);
        return rc;
    }

    // Kept until the file is closed; null with the code in rc when it cannot be prepared.
    sqlite3_stmt *prepare(const QString &sql, int *rc)
    {
        m_statements.push_back(nullptr);
        const QByteArray text = sql.toUtf8();
        *rc =
            sqlite3_prepare_v2(m_db, text.constData(), text.size(), &m_statements.back(), nullptr);
        if (*rc != SQLITE_OK) {
            fail(sql, sqlite3_errmsg(m_db), *rc);
            return nullptr;
        }
        return m_statements.back();
    }

    // For a failed step: SQLite's message for the statement's text.
    int failed(sqlite3_stmt *statement, int rc)
    {
        fail(QString::fromUtf8(sqlite3_sql(statement)), sqlite3_errmsg(m_db), rc);
        return rc;
    }

    void rollback()
    {
        if (m_db && sqlite3_get_autocommit(m_db) == 0)
            exec(AgDbSql::rollbackTransaction());
    }

    int commit()
    {
        const int rc = exec(AgDbSql::commitTransaction());
        if (rc != SQLITE_OK)
            rollback();
        return rc;
    }

    int close()
    {
        if (!m_db)
            return SQLITE_OK;
        rollback();
        for (sqlite3_stmt *statement : m_statements)
            sqlite3_finalize(statement);
        m_statements.clear();
        const int rc = sqlite3_close(m_db);
        if (rc != SQLITE_OK) {
            fail(QStringLiteral("close"), sqlite3_errmsg(m_db), rc);
            sqlite3_close_v2(m_db);
        }
        m_db = nullptr;
        return rc;
    }

private:
    void fail(const QString &what, const char *message, int rc) const
    {
        KIV_LOG(2, "SQLiteAgDataModel[%s][%s] backup file: \"%s\" failed: %s (%d)\n",
                qPrintable(m_model.getInstrumentConfig().getName()),
                qPrintable(m_model.getAgConfig().getName()), qPrintable(what.left(60)), message,
                rc);
    }

    const SQLiteAgDataModel &m_model;
    sqlite3 *m_db;
    std::vector<sqlite3_stmt *> m_statements;
};

void SQLiteAgDataModel::backupProgramData(const std::vector<Program> &programs, int *err)
{
    QElapsedTimer timer;
    timer.start();
    const QByteArray instrument = getInstrumentConfig().getName().toLocal8Bit();
    const QByteArray source = getAgConfig().getName().toLocal8Bit();
    KIV_LOG(4, "SQLiteAgDataModel[%s][%s] started backing up %d programs\n", instrument.constData(),
            source.constData(), int(programs.size()));
    int code = 0;
    for (const Program &program : programs) {
        const qint64 id = program.getProgramId();
        const qint64 start = program.getStart();
        const qint64 end = program.getEnd();
        KIV_LOG(4,
                "SQLiteAgDataModel[%s][%s] started backing up program(pgmId, start, stop): %lld, "
                "%lld, %lld\n",
                instrument.constData(), source.constData(), id, start, end);
        // The program leaves this file only once its backup file is complete and on disk.
        code = backupProgram(program);
        if (code == 0)
            code = deleteProgramData(program);
        if (code != 0) {
            KIV_LOG(4,
                    "SQLiteAgDataModel[%s][%s] program(pgmId, start, stop): %lld, %lld, %lld "
                    "backup fail\n",
                    instrument.constData(), source.constData(), id, start, end);
            break;
        }
        KIV_LOG(4,
                "SQLiteAgDataModel[%s][%s] program(pgmId, start, stop): %lld, %lld, %lld backup "
                "ok\n",
                instrument.constData(), source.constData(), id, start, end);
        if (timer.elapsed() >= m_backupBudgetMs) {
            KIV_LOG(4,
                    "SQLiteAgDataModel[%s][%s] backup process took too long; canceling the rest "
                    "of the pending programs\n",
                    instrument.constData(), source.constData());
            break;
        }
    }
    *err = code;
}

int SQLiteAgDataModel::backupProgram(const Program &program)
{
    const QByteArray instrument = getInstrumentConfig().getName().toLocal8Bit();
    const QByteArray source = getAgConfig().getName().toLocal8Bit();
    int code = 0;
    BackupFile backup(*this, m_manager.openBackupDb(program, &code));
    if (!backup.handle() || code != SQLITE_OK) {
        KIV_LOG(2, "SQLiteAgDataModel[%s][%s] cannot open the backup file in %s: %s (%d)\n",
                instrument.constData(), source.constData(), qPrintable(getLogBackupFolderPath()),
                code == -1 ? "the folder cannot be created" : sqlite3_errstr(code), code);
        return -1;
    }
    KIV_LOG(4, "SQLiteAgDataModel[%s][%s] backup DB created ok\n", instrument.constData(),
            source.constData());
    if ((code = createBackupTables(backup)) != 0)
        return code;
    KIV_LOG(4, "SQLiteAgDataModel[%s][%s] backup DB tables created ok\n", instrument.constData(),
            source.constData());
    if ((code = copyProgramRows(backup, program)) != 0)
        return code;
    KIV_LOG(4, "SQLiteAgDataModel[%s][%s] backup ag data inserted ok\n", instrument.constData(),
            source.constData());
    if ((code = copyProgramEvents(backup, program)) != 0)
        return code;
    KIV_LOG(4, "SQLiteAgDataModel[%s][%s] backup events inserted ok\n", instrument.constData(),
            source.constData());
    if (copyLatestConfig(backup) == 0) {
        KIV_LOG(4, "SQLiteAgDataModel[%s][%s] backup config inserted ok\n", instrument.constData(),
                source.constData());
    } else {
        KIV_LOG(4, "SQLiteAgDataModel[%s][%s] could not backup the config\n",
                instrument.constData(), source.constData());
        // The backup manager skips a file whose config table is empty, but lists one without
        // the table under its file name.
        sqlite3_stmt *count = nullptr;
        int rc = 0;
        if ((count = backup.prepare(QStringLiteral("SELECT COUNT(*) FROM config;"), &rc)) &&
            sqlite3_step(count) == SQLITE_ROW && sqlite3_column_int(count, 0) == 0) {
            sqlite3_reset(count);
            backup.exec(QStringLiteral("DROP TABLE config;"));
        }
    }
    if ((code = backup.close()) != SQLITE_OK)
        return code;
    if (!syncFolder(getLogBackupFolderPath()) || !syncFolder(getDataFolderPath()))
        KIV_LOG(3, "SQLiteAgDataModel[%s][%s] cannot sync the folder of the backup files\n",
                instrument.constData(), source.constData());
    KIV_LOG(4, "SQLiteAgDataModel[%s][%s] backup DB closed ok\n", instrument.constData(),
            source.constData());
    return 0;
}

int SQLiteAgDataModel::createBackupTables(BackupFile &backup)
{
    sqlite3_busy_timeout(backup.handle(), kBusyTimeoutMs);
    // Every commit reaches the disk before the program is deleted from the audiogroup's file.
    // A new file keeps its texts in UTF-8, as the audiogroup's file does.
    const QString statements[] = {QStringLiteral("PRAGMA synchronous=FULL;"),
                                  QStringLiteral("PRAGMA encoding = 'UTF-8';"),
                                  AgDbSql::createLevelTable().arg(agDataZoomLevelTableName(0)),
                                  AgDbSql::createEventsTable(),
                                  AgDbSql::createConfigTable(),
                                  AgDbSql::createVersionTable()};
    for (const QString &sql : statements)
        if (const int rc = backup.exec(sql))
            return rc;

    // The Version row; the copy goes on without it.
    int rc = 0;
    sqlite3_stmt *count = backup.prepare(AgDbSql::selectVersionCount(), &rc);
    if (!count || sqlite3_step(count) != SQLITE_ROW)
        return 0;
    const int rows = sqlite3_column_int(count, 0);
    sqlite3_reset(count);
    if (rows == 1)
        return 0;
    sqlite3_stmt *insert = backup.prepare(AgDbSql::insertVersion(), &rc);
    if (!insert || backup.exec(AgDbSql::beginTransaction()) != SQLITE_OK)
        return 0;
    if (bindText(insert, 1, AgDbSql::dbVersionText()) != SQLITE_OK ||
        bindText(insert, 2, AgDbSql::creatorText()) != SQLITE_OK ||
        bindText(insert, 3, KivConstants::buildString()) != SQLITE_OK ||
        sqlite3_step(insert) != SQLITE_DONE) {
        backup.failed(insert, sqlite3_errcode(backup.handle()));
        sqlite3_reset(insert);
        backup.rollback();
        return 0;
    }
    sqlite3_reset(insert);
    backup.commit();
    return 0;
}

int SQLiteAgDataModel::copyProgramRows(BackupFile &backup, const Program &program)
{
    int rc = 0;
    sqlite3_stmt *insert =
        backup.prepare(AgDbSql::insertLevelRow().arg(agDataZoomLevelTableName(0)), &rc);
    if (!insert)
        return rc;
    if ((rc = backup.exec(AgDbSql::beginTransaction())) != SQLITE_OK)
        return rc;
    std::vector<AgData> rows;
    std::vector<AgData> written;
    const qint64 end = program.getEnd();
    for (qint64 from = program.getStart(); from <= end;) {
        const qint64 to = end - from > kBackupSpanMs ? from + kBackupSpanMs : end;
        rows.clear();
        written.clear();
        // A read that ends early must not pass for the whole program: this one checks
        // that it reached the last row.
        if (readLevelZeroRows(from, to, &rows) != 0) {
            KIV_LOG(2, "SQLiteAgDataModel[%s][%s] cannot read the rows to back up: %s\n",
                    qPrintable(getInstrumentConfig().getName()),
                    qPrintable(getAgConfig().getName()), sqlite3_errmsg(db()));
            backup.rollback();
            return -1;
        }
        rc = insertSampleRows(insert, rows.begin(), rows.end(), from - 1, &written);
        if (rc != 0) {
            backup.failed(insert, rc);
            backup.rollback();
            return rc;
        }
        if (to >= end)
            break;
        from = to + 1;
    }
    return backup.commit();
}

int SQLiteAgDataModel::copyProgramEvents(BackupFile &backup, const Program &program)
{
    int rc = 0;
    sqlite3_stmt *insert = backup.prepare(AgDbSql::insertEvent(), &rc);
    if (!insert)
        return rc;
    if ((rc = backup.exec(AgDbSql::beginTransaction())) != SQLITE_OK)
        return rc;
    for (const AgEvent &event : getCache().getAllEvents()) {
        // The program's own rows, and whatever else the delete of its span will take.
        const bool own = event.getStartPgmTimestamp() == program.getStart() &&
                         event.getProgramId() == program.getProgramId();
        const bool inSpan =
            event.getTimestamp() >= program.getStart() && event.getTimestamp() <= program.getEnd();
        if (!own && !inSpan)
            continue;
        const qint64 values[] = {event.getTimestamp(), event.getStartPgmTimestamp(),
                                 event.getTimecode(),  event.getProgramId(),
                                 event.getEvents(),    event.getFlags()};
        for (int i = 0; i < 6 && rc == SQLITE_OK; ++i)
            rc = sqlite3_bind_int64(insert, i + 1, values[i]);
        if (rc == SQLITE_OK && (rc = sqlite3_step(insert)) == SQLITE_DONE)
            rc = SQLITE_OK;
        sqlite3_clear_bindings(insert);
        sqlite3_reset(insert);
        if (rc != SQLITE_OK) {
            backup.failed(insert, rc);
            backup.rollback();
            return rc;
        }
    }
    return backup.commit();
}

int SQLiteAgDataModel::copyLatestConfig(BackupFile &backup)
{
    int err = 0;
    const AgDbConfig config = readLatestConfig(&err);
    if (err != 0)
        return err;
    int rc = 0;
    sqlite3_stmt *insert = backup.prepare(AgDbSql::insertConfig(), &rc);
    if (!insert)
        return rc;
    if ((rc = backup.exec(AgDbSql::beginTransaction())) != SQLITE_OK)
        return rc;
    if ((rc = sqlite3_bind_int64(insert, 1, config.getTimestamp())) != SQLITE_OK ||
        (rc = bindText(insert, 2, config.getInstrumentName())) != SQLITE_OK ||
        (rc = bindText(insert, 3, config.getAgSourceName())) != SQLITE_OK ||
        (rc = bindText(insert, 4, config.getRawXml())) != SQLITE_OK ||
        (rc = sqlite3_step(insert)) != SQLITE_DONE) {
        backup.failed(insert, rc);
        sqlite3_reset(insert);
        backup.rollback();
        return rc;
    }
    sqlite3_reset(insert);
    return backup.commit();
}

int SQLiteAgDataModel::deleteProgramData(const Program &program)
{
    if (exec(AgDbSql::beginTransaction()) != SQLITE_OK)
        return -1;
    // Whatever leaves before the commit, an exception included, rolls back: the connection
    // must not stay inside this transaction.
    struct RollbackOnExit
    {
        SQLiteAgDataModel *model;
        ~RollbackOnExit() { model->rollback(); }
    } rollbackOnExit{this};
    auto remove = [&](sqlite3_stmt *statement) {
        if (!statement || sqlite3_reset(statement) != SQLITE_OK)
            return false;
        SQLiteStatementReset reset(statement);
        const bool removed = sqlite3_bind_int64(statement, 1, program.getStart()) == SQLITE_OK &&
                             sqlite3_bind_int64(statement, 2, program.getEnd()) == SQLITE_OK &&
                             sqlite3_step(statement) == SQLITE_DONE;
        sqlite3_clear_bindings(statement);
        return removed;
    };
    const int levels = isLevelZeroOnly() ? 1 : kZoomLevelCount;
    bool removed = true;
    for (int level = 0; level < levels && removed; ++level)
        removed = remove(m_levelStatements[kDeleteRange][level]);
    if (!removed || !remove(m_deleteEvents)) {
        KIV_LOG(2, "SQLiteAgDataModel[%s][%s] cannot delete a backed up program: %s\n",
                qPrintable(getInstrumentConfig().getName()), qPrintable(getAgConfig().getName()),
                sqlite3_errmsg(db()));
        return -1;
    }
    if (!commit())
        return -1;

    forgetRows();
    QMap<int, qint64> oldest;
    for (int level = 0; level < levels; ++level) {
        int err = 0;
        const qint64 timestamp = readMinTimestamp(level, &err, false);
        if (err == 0)
            oldest.insert(level, timestamp);
    }
    getCache().removeProgram(program, oldest);
    return 0;
}
