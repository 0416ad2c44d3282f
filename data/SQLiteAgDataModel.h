#pragma once

#include "AgDataModel.h"
#include "KivTypes.h"
#include "SQLiteDatabaseManager.h"

#include <array>
#include <deque>
#include <functional>
#include <memory>

class AgDataAverageComputer;
struct sqlite3;
struct sqlite3_stmt;

// A batch that begins more than this after the newest stored sample is stored with the gap
// code (AgStoreResult.h).
constexpr qint64 kStoreMaxGapMs = 500;
// A backup run ends after the program during which it reached this time.
constexpr qint64 kBackupBudgetMs = 120000;

// The audiogroup store over one SQLite file: sixteen zoom-level tables (level 0 only for an
// export target), the events, the saved configurations and the Version row.
//
// The audiogroup's own file runs in WAL mode with synchronous NORMAL: a commit is durable
// against the process being killed at any moment, readers on other connections (the table
// view) never block the writer, and a commit costs no fsync. Power loss may drop the last
// commits (never the file's integrity); the meters deliver them again from the newest stored
// timestamp.
//
// One class over four files: SQLiteAgDataModel.cpp (connection, schema, reads, single rows),
// SQLiteAgDataModelInsert.cpp (the sample-batch insert path), SQLiteAgDataModelZoom.cpp (the
// zoom levels) and SQLiteAgDataModelBackup.cpp (program backups).
class SQLiteAgDataModel : public AgDataModel
{
public:
    SQLiteAgDataModel(const InstrumentConfig &instrumentConfig, const AgConfig &agConfig,
                      bool levelZeroOnly, const QString &targetPath);
    ~SQLiteAgDataModel() override;

    void closeDatabase() override;
    AgStoreResult storeData(AgDataVector *batch, bool deriveEvents) override;
    void storeEvents(const std::vector<AgEvent> &events, int *err) override;
    void storeConfig(const AgDbConfig &row, int *err) override;
    void storeVersion(int *err) override;
    void backupProgramData(const std::vector<Program> &programs, int *err) override;
    int buildZoomLevels(const std::vector<AgData> &samples,
                        QMap<int, std::vector<AgData>> *out) override;
    int storeProgramEvents(std::vector<AgData> *samples, std::vector<AgEvent> *out) override;
    int storeZoomLevel(int level, qint64 from, qint64 to, std::vector<AgData> *out) override;
    qint64 readMaxTimestamp(int level, int *err, bool fromCache) override;
    qint64 readMinTimestamp(int level, int *err, bool fromCache) override;
    std::vector<AgEvent> readEvents(qint64 from, qint64 to, int *err, bool fromCache) override;
    std::vector<AgEvent> readAllEvents(int *err, bool fromCache) override;
    AgData readLastData(int level, int *err) override;
    std::vector<AgData> readRecentData(int level, int *err, bool fromCache) override;
    AgDataVector *readData(int level, qint64 from, qint64 to, int *err) override;
    AgDbConfig readLatestConfig(int *err) override;
    Program readProgram(int mode, qint64 time, int *err) override;
    std::vector<Program> readPrograms(int *err) override;
    int readCount(int level, int *err) override;
    int readVersionCount(int *err) override;
    int openDatabase() override;
    int checkDatabase() override;
    int applyConfigs(const InstrumentConfig &instrumentConfig, const AgConfig &agConfig) override;

    // The file this model uses (or would use) now.
    QString getFileName() const { return m_manager.getFileName(); }
    void setBulkWrites(bool bulk) override;
    // Time after which a backup run leaves the remaining programs for the next one.
    void setBackupBudgetMs(qint64 budgetMs) { m_backupBudgetMs = budgetMs; }
    // Called by the store that makes the data folder again after it was removed while in use,
    // on that store's thread, before any store puts its file back: what else lived in the
    // folder is for the program to make again. An empty function removes it.
    static void setFolderMadeAgainHook(std::function<void()> hook);

private:
    using LevelStatements = std::array<sqlite3_stmt *, kZoomLevelCount>;
    // kInsertRows, kInsertFewRows, kInsertFourRows and kInsertTwoRows, prepared when first
    // used, insert 64, 8, 4 and 2 rows at once (rowsPerInsert); kInsertRows only while bulk
    // writes last.
    enum LevelStatementKind {
        kInsert = 0,
        kDeleteRange,
        kSelectRange,
        kNewest,
        kOldest,
        kCount,
        kInsertRows,
        kInsertFewRows,
        kInsertFourRows,
        kInsertTwoRows
    };
    static constexpr int kRowsPerInsert = 64;
    static constexpr int kRowsPerFewInsert = 8;
    static constexpr int rowsPerInsert(int kind)
    {
        return kind == kInsertRows       ? kRowsPerInsert
               : kind == kInsertFewRows  ? kRowsPerFewInsert
               : kind == kInsertFourRows ? 4
                                         : 2;
    }
    // The table view reads the same file through its own connection.
    static constexpr int kBusyTimeoutMs = 2000;

    // The windows of a level that a batch spanning [from, to] completes: the one after the
    // level's newest row when the batch begins later (next, 0 when none), then the aligned
    // windows of [alignedStart, alignedEnd).
    struct ZoomWindows
    {
        int level = 0;
        qint64 width = 0;
        qint64 lastRow = 0;
        qint64 next = 0;
        qint64 alignedStart = 0;
        qint64 alignedEnd = 0;
        bool isEmpty() const { return next <= 0 && alignedEnd <= alignedStart; }
    };

    sqlite3 *db() const { return m_manager.getHandle(); }
    int exec(const QString &sql);
    // Runs a statement kept prepared as exec would run its text (the same failure log); the
    // text itself when the statement could not be prepared.
    int execPrepared(sqlite3_stmt *statement, const QString &sql);
    int prepare(const QString &sql, sqlite3_stmt **statement);
    void prepareStatements();
    void finalizeStatements();
    void releaseConnection();
    int checkSchema();
    void configureJournal();
    void configureBulkJournal();
    void ensureVersionRow();
    void logOpenFailure(int code, const QString &what);
    // After a failed write: a failure only a new connection gets over is logged and the
    // file opened again later.
    void noteWriteFailure(int code);
    // The file at the path is the one the connection has open: a file removed or replaced
    // under the program (WAL writes go on into it in silence) is made again there with
    // everything the connection holds. 0 when in place; -1 while it cannot be made again,
    // tried again after the reopen pace when paced.
    int keepFileInPlace(bool paced);
    int restoreFile(const QString &path, QString *problem);
    void rollback();
    bool commit();
    // Writes one row in a transaction of its own; bind answers whether every value took.
    void storeSingleRow(sqlite3_stmt *insert, int *err,
                        const std::function<bool(sqlite3_stmt *)> &bind);
    // The one value that a level statement of that kind selects; -1 with *err -1 on failure.
    qint64 readLevelValue(int kind, int level, int *err);

    // Writes the rows newer than bound (all rows after 0 when bound is 0 or less); each written
    // row, as stored, is appended to written, and as given to given when that is not null.
    // 0, -1 or the failed step's code.
    int insertSampleRows(sqlite3_stmt *statement, std::vector<AgData>::const_iterator first,
                         std::vector<AgData>::const_iterator last, qint64 bound,
                         std::vector<AgData> *written, AgDataVector *given = nullptr);
    // The same into a level's table of this file, several rows a statement.
    int insertLevelRows(int level, std::vector<AgData>::const_iterator first,
                        std::vector<AgData>::const_iterator last, qint64 bound,
                        std::vector<AgData> *written, AgDataVector *given = nullptr);
    sqlite3_stmt *rowsInsert(int kind, int level);
    void releaseRowsInserts();
    int insertEventRow(const AgEvent &event, std::vector<AgEvent> *written);
    // Level-0 rows of [from, to] appended to rows; 0 or -1.
    int readLevelZeroRows(qint64 from, qint64 to, std::vector<AgData> *rows);
    AgData toSample(sqlite3_stmt *statement) const;
    // Steps a bound event select to its end: 0, or -1 with no events when a step fails.
    int readEventRows(sqlite3_stmt *select, std::vector<AgEvent> *events);
    enum ReadKind { kSampleRows = 0, kEventRows };
    void logReadFailure(ReadKind kind, int code);
    int zoomWindows(int level, qint64 from, qint64 to, ZoomWindows *windows);
    // The level-0 rows that the windows need, in one ascending list: rows up to lastStored
    // from the file (or the recent rows), newer ones from the batch being stored.
    int readWindowRows(const std::vector<ZoomWindows> &windows,
                       const std::vector<AgData> &batchRows, qint64 lastStored,
                       std::vector<AgData> *rows);
    int appendCommittedRows(qint64 from, qint64 to, qint64 lastStored, std::vector<AgData> *rows);
    void rememberRows(const std::vector<AgData> &batchRows, qint64 lastStored);
    void forgetRows();
    // Whether each row violates a threshold, judged once for all levels.
    std::vector<char> violations(const std::vector<AgData> &rows) const;
    // shared, made on first use when null, serves every level of a batch.
    int writeZoomLevel(const ZoomWindows &windows, const std::vector<AgData> &levelZero,
                       const std::vector<char> &violating, std::vector<AgData> *out,
                       std::unique_ptr<AgDataAverageComputer> *shared);

    // Program backups: the copy into the program's own file, then the delete from this one.
    class BackupFile;
    int backupProgram(const Program &program);
    int createBackupTables(BackupFile &backup);
    int copyProgramRows(BackupFile &backup, const Program &program);
    int copyProgramEvents(BackupFile &backup, const Program &program);
    int copyLatestConfig(BackupFile &backup);
    int deleteProgramData(const Program &program);

    std::array<LevelStatements, kInsertTwoRows + 1> m_levelStatements{};
    sqlite3_stmt *m_insertEvent = nullptr;
    sqlite3_stmt *m_deleteEvents = nullptr;
    sqlite3_stmt *m_selectAllEvents = nullptr;
    sqlite3_stmt *m_selectEventsRange = nullptr;
    sqlite3_stmt *m_insertConfig = nullptr;
    sqlite3_stmt *m_selectLatestConfig = nullptr;
    sqlite3_stmt *m_insertVersion = nullptr;
    sqlite3_stmt *m_selectVersionCount = nullptr;
    sqlite3_stmt *m_begin = nullptr;
    sqlite3_stmt *m_commit = nullptr;
    SQLiteDatabaseManager m_manager;
    // Committed level-0 rows of the newest stretch: every row of the file with a timestamp from
    // m_recentRowsFrom up to the newest, so a completing zoom window (up to 506 s) does not read
    // its rows back at every batch. Whatever deletes level-0 rows must call forgetRows().
    std::deque<AgData> m_recentRows;
    qint64 m_recentRowsFrom = 0;
    bool m_recentRowsValid = false;
    // The last open failure that was logged, so a file that stays broken is logged once.
    int m_loggedOpenFailure = 0;
    // The extended code of the last statement run by exec that failed.
    int m_lastExecFailure = 0;
    std::array<int, 2> m_loggedReadFailure{};
    // Since the last failed attempt to make a moved file again; invalid while none failed.
    QElapsedTimer m_restoreFailed;
    bool m_movedLogged = false;
    QString m_loggedRestoreFailure;
    qint64 m_backupBudgetMs = kBackupBudgetMs;
    bool m_bulkWrites = false;
};
