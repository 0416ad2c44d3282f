#include "SQLiteAgDataModel.h"

#include "AgDataAverageComputer.h"
#include "AgDataVector.h"
#include "AgDbStatements.h"
#include "KivConstants.h"
#include "KivUtils.h"
#include "ORQLogging.h"

#include <QElapsedTimer>
#include <QFile>
#include <QStringList>

#include <sqlite3.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

enum LevelStatementKind { kInsert = 0, kDeleteRange, kSelectRange, kNewest, kOldest, kCount };

// The table view reads the same file through its own connection.
constexpr int kBusyTimeoutMs = 2000;
// Capacity hint limit of a range read: a view never needs more than about 512 rows.
constexpr double kMaxRangeReserve = 4096.0;

inline bool isLevel(int level)
{
    return level >= 0 && level < kZoomLevelCount;
}

// SQLite would store a NaN as NULL; it is stored as 0, as a failed conversion of a meter
// reply is.
inline double storable(double value)
{
    return std::isnan(value) ? 0.0 : value;
}

inline bool earlier(const AgData &a, const AgData &b)
{
    return a.getTimestamp() < b.getTimestamp();
}

inline bool isSortedUnique(const std::vector<AgData> &rows)
{
    return std::adjacent_find(rows.begin(), rows.end(), [](const AgData &a, const AgData &b) {
               return a.getTimestamp() >= b.getTimestamp();
           }) == rows.end();
}

// Rows in timestamp order, one per timestamp: the last of equals, as INSERT OR REPLACE leaves it.
std::vector<AgData> sortedUnique(const std::vector<AgData> &rows)
{
    std::vector<AgData> sorted(rows);
    std::stable_sort(sorted.begin(), sorted.end(), earlier);
    auto kept = sorted.begin();
    for (auto it = sorted.begin(); it != sorted.end(); ++it) {
        if (kept != sorted.begin() && (kept - 1)->getTimestamp() == it->getTimestamp())
            *(kept - 1) = *it;
        else
            *kept++ = *it;
    }
    sorted.erase(kept, sorted.end());
    return sorted;
}

template <typename Iterator> Iterator firstAtOrAfter(Iterator begin, Iterator end, qint64 timestamp)
{
    return std::lower_bound(begin, end, timestamp,
                            [](const AgData &row, qint64 t) { return row.getTimestamp() < t; });
}

// The largest zoom window plus a margin: the stretch of level-0 rows kept in memory.
inline qint64 recentRowsSpan()
{
    return zoomLevelToSampleIntervalMs(kZoomLevelCount - 1) + 2000;
}

AgData storedForm(const AgData &sample)
{
    AgData stored(sample);
    stored.setTP(storable(sample.getTP()));
    stored.setTPMax(storable(sample.getTPMax()));
    stored.setM100ms(storable(sample.getM100ms()));
    stored.setM400ms(storable(sample.getM400ms()));
    stored.setMMax(storable(sample.getMMax()));
    stored.setS(storable(sample.getS()));
    stored.setSMax(storable(sample.getSMax()));
    stored.setI(storable(sample.getI()));
    stored.setLRA(storable(sample.getLRA()));
    return stored;
}

inline qint64 floorDiv(qint64 a, qint64 b)
{
    const qint64 q = a / b;
    return (a % b != 0 && ((a < 0) != (b < 0))) ? q - 1 : q;
}

// Runs a bound insert and readies it for the next row: 0, the failed step's code or -1.
int stepInsert(sqlite3_stmt *statement, bool clearBindings)
{
    const int rc = sqlite3_step(statement);
    if (rc != SQLITE_DONE) {
        sqlite3_reset(statement);
        return rc;
    }
    if (clearBindings)
        sqlite3_clear_bindings(statement);
    return sqlite3_reset(statement) == SQLITE_OK ? 0 : -1;
}

// Resets a statement when leaving a scope, so no statement keeps a read snapshot open (which
// would hold back WAL checkpoints) or stays in an error state.
class ResetOnExit
{
public:
    explicit ResetOnExit(sqlite3_stmt *statement) : m_statement(statement) {}
    ResetOnExit(const ResetOnExit &) = delete;
    ResetOnExit &operator=(const ResetOnExit &) = delete;
    ~ResetOnExit()
    {
        if (m_statement)
            sqlite3_reset(m_statement);
    }

private:
    sqlite3_stmt *m_statement;
};

int bindSample(sqlite3_stmt *statement, const AgData &sample)
{
    const double values[] = {sample.getTP(),     sample.getTPMax(), sample.getM100ms(),
                             sample.getM400ms(), sample.getMMax(),  sample.getS(),
                             sample.getSMax(),   sample.getI(),     sample.getLRA()};
    if (sqlite3_bind_int64(statement, 1, sample.getTimestamp()) != SQLITE_OK ||
        sqlite3_bind_int64(statement, 2, sample.getTimecode()) != SQLITE_OK ||
        sqlite3_bind_int64(statement, 3, sample.getProgramId()) != SQLITE_OK)
        return -1;
    int index = 4;
    for (double value : values)
        if (sqlite3_bind_double(statement, index++, storable(value)) != SQLITE_OK)
            return -1;
    if (sqlite3_bind_int64(statement, 13, sample.getEvents()) != SQLITE_OK ||
        sqlite3_bind_int64(statement, 14, sample.getFlags()) != SQLITE_OK)
        return -1;
    return 0;
}

int bindText(sqlite3_stmt *statement, int index, const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    return sqlite3_bind_text(statement, index, utf8.constData(), utf8.size(), SQLITE_TRANSIENT);
}

QString columnText(sqlite3_stmt *statement, int column)
{
    const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(statement, column));
    return text ? QString::fromUtf8(text, sqlite3_column_bytes(statement, column)) : QString();
}

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
        KIV_LOG(2, "SQLiteAgDataModel[%s][%s] \"%s\" failed: %s (%d)\n",
                qPrintable(getInstrumentConfig().getName()), qPrintable(getAgConfig().getName()),
                qPrintable(sql.left(60)), message ? message : sqlite3_errstr(rc), rc);
    sqlite3_free(message);
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
          &m_insertConfig, &m_selectLatestConfig, &m_insertVersion, &m_selectVersionCount}) {
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
    m_loggedOpenFailure = 0;
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
    if (exec(AgDbSql::commitTransaction()) == SQLITE_OK)
        return true;
    // A failed commit (a busy reader, a full disk) would otherwise leave the connection inside
    // the transaction and every later batch would fail to begin its own.
    rollback();
    return false;
}

// ---------------------------------------------------------------------------------------------
// Sample batches

int SQLiteAgDataModel::insertSampleRows(sqlite3_stmt *statement,
                                        std::vector<AgData>::const_iterator first,
                                        std::vector<AgData>::const_iterator last, qint64 bound,
                                        std::vector<AgData> *written)
{
    for (; first != last; ++first) {
        const AgData &row = *first;
        const qint64 timestamp = row.getTimestamp();
        if (!AgData::isStorableTimestamp(timestamp) || (bound > 0 && timestamp <= bound))
            continue;
        if (bindSample(statement, row) != 0) {
            sqlite3_reset(statement);
            return -1;
        }
        // All fourteen parameters are bound again for the next row: no need to clear them.
        const int rc = stepInsert(statement, false);
        if (rc != 0)
            return rc;
        written->push_back(storedForm(row));
    }
    return 0;
}

void SQLiteAgDataModel::storeData(AgDataVector *batch, bool deriveEvents, int *err)
{
    int ignored = 0;
    int &code = err ? *err : ignored;
    if (!batch) {
        code = -1;
        return;
    }
    int unused = 0;
    int gap = 0;
    const qint64 newest = readMaxTimestamp(0, &unused, true);
    qint64 first = std::numeric_limits<qint64>::max();
    int refused = 0;
    qint64 firstRefused = 0;
    for (const AgData &sample : *batch) {
        const qint64 timestamp = sample.getTimestamp();
        if (AgData::isStorableTimestamp(timestamp))
            first = std::min(first, timestamp);
        else if (refused++ == 0)
            firstRefused = timestamp;
    }
    if (refused > 0)
        KIV_LOG(2,
                "SQLiteAgDataModel[%s][%s] %d samples not stored: time stamp out of range "
                "(first %lld)\n",
                qPrintable(getInstrumentConfig().getName()), qPrintable(getAgConfig().getName()),
                refused, static_cast<long long>(firstRefused));
    if (newest != 0 && refused < batch->size() && first - newest > kStoreMaxGapMs)
        gap = kStoreGapCode;

    std::vector<AgData> accepted;
    accepted.reserve(static_cast<size_t>(batch->size()));
    std::vector<AgEvent> events;
    events.reserve(static_cast<size_t>(batch->size() / 4));
    QMap<int, std::vector<AgData>> levels;

    if (!batch->isEmpty()) {
        int readErr = 0;
        const qint64 lastStored = readMaxTimestamp(0, &readErr, true);
        if (readErr != 0) {
            code = kStoreFailedCode;
            return;
        }
        auto failed = [&](const char *step) {
            // A batch with nothing new is no error: the meter sent samples already stored.
            if (step)
                KIV_LOG(2,
                        "SQLiteAgDataModel[%s][%s] batch of %d samples not stored: %s failed "
                        "(%s)\n",
                        qPrintable(getInstrumentConfig().getName()),
                        qPrintable(getAgConfig().getName()), batch->size(), step,
                        db() ? sqlite3_errmsg(db()) : "no database");
            rollback();
            code = kStoreFailedCode;
        };
        if (exec(AgDbSql::beginTransaction()) != SQLITE_OK)
            return failed(nullptr); // logged by exec
        sqlite3_stmt *insert = m_levelStatements[kInsert][0];
        if (!insert || sqlite3_reset(insert) != SQLITE_OK)
            return failed("the sample insert");
        if (insertSampleRows(insert, batch->begin(), batch->end(), lastStored, &accepted) != 0)
            return failed("the sample insert");
        if (accepted.empty())
            return failed(nullptr);
        if (deriveEvents && storeProgramEvents(&accepted, &events) != 0)
            return failed("the event rows");
        if (!isLevelZeroOnly() && buildZoomLevels(accepted, &levels) != 0)
            return failed("the zoom levels");
        if (!commit()) {
            code = kStoreFailedCode;
            return;
        }
    }

    // The cache mirrors the file only after the commit.
    if (!isLevelZeroOnly())
        rememberRows(isSortedUnique(accepted) ? accepted : sortedUnique(accepted), newest);
    AgCache &cache = getCache();
    cache.addData(0, accepted);
    if (deriveEvents)
        cache.addEvents(events);
    if (!isLevelZeroOnly())
        for (auto it = levels.constBegin(); it != levels.constEnd(); ++it)
            cache.addData(it.key(), it.value());
    code = gap;
}

int SQLiteAgDataModel::insertEventRow(const AgEvent &event, std::vector<AgEvent> *written)
{
    sqlite3_stmt *statement = m_insertEvent;
    if (!statement)
        return -1;
    if (sqlite3_bind_int64(statement, 1, event.getTimestamp()) != SQLITE_OK ||
        sqlite3_bind_int64(statement, 2, event.getStartPgmTimestamp()) != SQLITE_OK ||
        sqlite3_bind_int64(statement, 3, event.getTimecode()) != SQLITE_OK ||
        sqlite3_bind_int64(statement, 4, event.getProgramId()) != SQLITE_OK ||
        sqlite3_bind_int64(statement, 5, event.getEvents()) != SQLITE_OK ||
        sqlite3_bind_int64(statement, 6, event.getFlags()) != SQLITE_OK) {
        sqlite3_reset(statement);
        return -1;
    }
    const int rc = stepInsert(statement, true);
    if (rc != 0)
        return rc;
    written->push_back(event);
    return 0;
}

int SQLiteAgDataModel::storeProgramEvents(std::vector<AgData> *samples, std::vector<AgEvent> *out)
{
    if (!samples || samples->empty())
        return 0;
    if (!m_insertEvent)
        return -1;
    int err = 0;
    const qint64 newest = readMaxTimestamp(0, &err, true);
    if (err != 0)
        return err;
    const Program current = readProgram(0, newest, &err);
    if (err != 0)
        return err;
    AgData previous = readLastData(0, &err);
    if (err != 0)
        return err;
    qint64 currentStart = current.getStart();
    qint64 currentId = current.getProgramId();

    std::vector<const AgData *> sorted;
    sorted.reserve(samples->size());
    for (const AgData &sample : *samples)
        sorted.push_back(&sample);
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const AgData *a, const AgData *b) { return earlier(*a, *b); });
    sqlite3_reset(m_insertEvent);
    auto eventOf = [](const AgData &sample, qint64 start, qint64 word) {
        return AgEvent(sample.getTimecode(), sample.getTimestamp(), start, sample.getProgramId(),
                       word, sample.getFlags());
    };
    for (const AgData *next : sorted) {
        const AgData &sample = *next;
        int rc = 0;
        if (sample.getProgramId() != currentId) {
            if (!previous.isEmpty() && currentStart != -1) {
                qint64 word = previous.getEvents();
                if (word == 0)
                    word = (sample.getEvents() & 4) != 0 ? 0 : 2;
                rc = insertEventRow(eventOf(previous, currentStart, word), out);
            }
            currentStart = sample.getTimestamp();
            currentId = sample.getProgramId();
            if (rc == 0)
                rc = insertEventRow(eventOf(sample, currentStart, sample.getEvents()), out);
        } else if (sample.getEvents() != 0) {
            rc = insertEventRow(eventOf(sample, currentStart, sample.getEvents()), out);
        }
        if (rc != 0)
            return -1;
        previous = sample;
    }
    return 0;
}

// ---------------------------------------------------------------------------------------------
// Zoom levels

int SQLiteAgDataModel::zoomWindows(int level, qint64 from, qint64 to, ZoomWindows *windows)
{
    *windows = ZoomWindows();
    windows->level = level;
    if (level < 1 || level >= kZoomLevelCount)
        return -1;
    const qint64 width = zoomLevelToSampleIntervalMs(level);
    if (width <= 0)
        return -1;
    windows->width = width;
    int err = 0;
    const qint64 lastRow = readMaxTimestamp(level, &err, true);
    if (err != 0)
        return err;
    windows->lastRow = lastRow;
    // Windows before the epoch never hold a storable row.
    if (from <= 0 || to <= 0)
        return 0;
    qint64 start = floorDiv(from, width) * width;
    if (lastRow <= 0) {
        // A level without rows has had no complete window yet, so its first window is the one
        // holding the newest stored sample; starting from this batch alone would lose it
        // whenever its end falls between two batches.
        const qint64 lastStored = readMaxTimestamp(0, &err, true);
        if (err != 0)
            return err;
        if (lastStored > 0 && lastStored < from)
            start = floorDiv(lastStored, width) * width;
    } else {
        // Windows up to the level's newest row are never built again; the one after it is
        // built even when the batch begins later.
        const qint64 next = lastRow + width;
        if (next > start)
            start = next;
        else if (next < start)
            windows->next = next;
    }
    // Only complete windows: the one holding `to` waits for a later batch. Windows without
    // level-0 rows give no row, so only the windows that hold rows are listed.
    if (to < start)
        return 0;
    const qint64 count = floorDiv(to - start, width);
    if (count <= 0)
        return 0;
    windows->alignedStart = start;
    windows->alignedEnd = start + count * width;
    return 0;
}

int SQLiteAgDataModel::readWindowRows(const std::vector<ZoomWindows> &windows,
                                      const std::vector<AgData> &batchRows, qint64 lastStored,
                                      std::vector<AgData> *rows)
{
    // One stretch of rows for all levels, not one read per window: each level-0 row is
    // gathered once per batch.
    std::vector<std::pair<qint64, qint64>> spans;
    for (const ZoomWindows &level : windows) {
        if (level.next > 0)
            spans.emplace_back(level.next, level.next + level.width - 1);
        if (level.alignedEnd > level.alignedStart)
            spans.emplace_back(level.alignedStart, level.alignedEnd - 1);
    }
    std::sort(spans.begin(), spans.end());
    for (size_t i = 0; i < spans.size();) {
        const qint64 from = spans[i].first;
        qint64 to = spans[i].second;
        for (++i; i < spans.size() && spans[i].first <= to + 1; ++i)
            to = std::max(to, spans[i].second);
        if (from <= lastStored &&
            appendCommittedRows(from, std::min(to, lastStored), lastStored, rows) != 0)
            return -1;
        if (to > lastStored) {
            auto begin =
                firstAtOrAfter(batchRows.begin(), batchRows.end(), std::max(from, lastStored + 1));
            rows->insert(rows->end(), begin, firstAtOrAfter(begin, batchRows.end(), to + 1));
        }
    }
    return 0;
}

int SQLiteAgDataModel::appendCommittedRows(qint64 from, qint64 to, qint64 lastStored,
                                           std::vector<AgData> *rows)
{
    if (!m_recentRowsValid || from < m_recentRowsFrom) {
        if (lastStored == std::numeric_limits<qint64>::max() ||
            from < lastStored - recentRowsSpan())
            return readLevelZeroRows(from, to, rows);
        // Extend the remembered stretch back to `from`.
        std::vector<AgData> older;
        if (readLevelZeroRows(from, m_recentRowsValid ? m_recentRowsFrom - 1 : lastStored,
                              &older) != 0)
            return -1;
        m_recentRows.insert(m_recentRows.begin(), older.begin(), older.end());
        m_recentRowsFrom = from;
        m_recentRowsValid = true;
    }
    auto begin = firstAtOrAfter(m_recentRows.begin(), m_recentRows.end(), from);
    rows->insert(rows->end(), begin, firstAtOrAfter(begin, m_recentRows.end(), to + 1));
    return 0;
}

void SQLiteAgDataModel::rememberRows(const std::vector<AgData> &batchRows, qint64 lastStored)
{
    if (batchRows.empty())
        return;
    if (!m_recentRowsValid) {
        // Only an empty level 0 is known completely without reading it.
        if (lastStored != 0)
            return;
        m_recentRowsValid = true;
        m_recentRowsFrom = std::numeric_limits<qint64>::min();
    }
    // Every stored row is newer than lastStored, so appending keeps the order.
    m_recentRows.insert(m_recentRows.end(), batchRows.begin(), batchRows.end());
    const qint64 keepFrom = m_recentRows.back().getTimestamp() - recentRowsSpan();
    while (!m_recentRows.empty() && m_recentRows.front().getTimestamp() < keepFrom)
        m_recentRows.pop_front();
    m_recentRowsFrom = std::max(m_recentRowsFrom, keepFrom);
}

void SQLiteAgDataModel::forgetRows()
{
    m_recentRows.clear();
    m_recentRowsValid = false;
    m_recentRowsFrom = 0;
}

int SQLiteAgDataModel::writeZoomLevel(const ZoomWindows &windows,
                                      const std::vector<AgData> &levelZero,
                                      const std::vector<char> &violating, std::vector<AgData> *out)
{
    if (windows.isEmpty())
        return 0;
    sqlite3_stmt *insert = m_levelStatements[kInsert][windows.level];
    if (!insert || sqlite3_reset(insert) != SQLITE_OK)
        return -1;
    using Iterator = std::vector<AgData>::const_iterator;
    const QString sourceName = getAgConfig().getName();
    const qint64 width = windows.width;
    std::vector<AgData> built;
    auto reduce = [&](qint64 windowStart, Iterator begin, Iterator end) {
        if (begin == end)
            return;
        // A window keeps its first sample unless one violates a threshold: the other samples
        // cannot change its representative, so only those two kinds are fed.
        AgDataAverageComputer computer(getAgConfig(), windowStart);
        computer.addSample(*begin);
        for (Iterator row = begin + 1; row != end; ++row)
            if (violating[size_t(row - levelZero.begin())])
                computer.addSample(*row);
        if (computer.isEmpty())
            return;
        AgData kept = computer.getResult();
        kept.setTimestamp(windowStart);
        kept.setSourceName(sourceName);
        built.push_back(kept);
    };
    if (windows.next > 0) {
        const Iterator begin = firstAtOrAfter(levelZero.begin(), levelZero.end(), windows.next);
        reduce(windows.next, begin, firstAtOrAfter(begin, levelZero.end(), windows.next + width));
    }
    if (windows.alignedEnd > windows.alignedStart) {
        Iterator row = firstAtOrAfter(levelZero.begin(), levelZero.end(), windows.alignedStart);
        const Iterator end = firstAtOrAfter(row, levelZero.end(), windows.alignedEnd);
        while (row != end) {
            const qint64 windowStart =
                windows.alignedStart +
                floorDiv(row->getTimestamp() - windows.alignedStart, width) * width;
            const Iterator windowEnd = firstAtOrAfter(row, end, windowStart + width);
            reduce(windowStart, row, windowEnd);
            row = windowEnd;
        }
    }
    return insertSampleRows(insert, built.begin(), built.end(), windows.lastRow, out) == 0 ? 0 : -1;
}

int SQLiteAgDataModel::buildZoomLevels(const std::vector<AgData> &samples,
                                       QMap<int, std::vector<AgData>> *out)
{
    if (samples.empty())
        return 0;
    qint64 first = samples.front().getTimestamp();
    qint64 last = first;
    for (const AgData &sample : samples) {
        first = std::min(first, sample.getTimestamp());
        last = std::max(last, sample.getTimestamp());
    }
    if (first <= 0 || last <= 0 || first == last)
        return 0;
    std::vector<ZoomWindows> windows(kZoomLevelCount - 1);
    for (int level = 1; level < kZoomLevelCount; ++level)
        if (zoomWindows(level, first, last, &windows[level - 1]) != 0)
            return -1;
    int err = 0;
    const qint64 lastStored = readMaxTimestamp(0, &err, true);
    if (err != 0)
        return -1;
    std::vector<AgData> reordered;
    const bool inOrder = isSortedUnique(samples);
    if (!inOrder)
        reordered = sortedUnique(samples);
    std::vector<AgData> levelZero;
    if (readWindowRows(windows, inOrder ? samples : reordered, lastStored, &levelZero) != 0)
        return -1;
    const std::vector<char> violating = violations(levelZero);
    for (const ZoomWindows &level : windows) {
        std::vector<AgData> rows;
        if (writeZoomLevel(level, levelZero, violating, &rows) != 0)
            return -1;
        out->insert(level.level, rows);
    }
    return 0;
}

int SQLiteAgDataModel::storeZoomLevel(int level, qint64 from, qint64 to, std::vector<AgData> *out)
{
    ZoomWindows windows;
    const int rc = zoomWindows(level, from, to, &windows);
    if (rc != 0)
        return rc;
    if (windows.isEmpty())
        return 0;
    // Outside the insert path every row comes from the file.
    std::vector<AgData> levelZero;
    if (readWindowRows({windows}, {}, std::numeric_limits<qint64>::max(), &levelZero) != 0)
        return -1;
    return writeZoomLevel(windows, levelZero, violations(levelZero), out);
}

// ---------------------------------------------------------------------------------------------
// Reads

std::vector<char> SQLiteAgDataModel::violations(const std::vector<AgData> &rows) const
{
    std::vector<char> violating;
    violating.reserve(rows.size());
    for (const AgData &row : rows)
        violating.push_back(row.hasViolation(getAgConfig()) ? 1 : 0);
    return violating;
}

AgData SQLiteAgDataModel::toSample(sqlite3_stmt *statement) const
{
    AgData sample;
    sample.setEmpty(false);
    sample.setTimestamp(sqlite3_column_int64(statement, 0));
    sample.setTimecode(toTimecode(static_cast<qint64>(sqlite3_column_int64(statement, 1))));
    sample.setProgramId(sqlite3_column_int64(statement, 2));
    sample.setTP(sqlite3_column_double(statement, 3));
    sample.setTPMax(sqlite3_column_double(statement, 4));
    sample.setM100ms(sqlite3_column_double(statement, 5));
    sample.setM400ms(sqlite3_column_double(statement, 6));
    sample.setMMax(sqlite3_column_double(statement, 7));
    sample.setS(sqlite3_column_double(statement, 8));
    sample.setSMax(sqlite3_column_double(statement, 9));
    sample.setI(sqlite3_column_double(statement, 10));
    sample.setLRA(sqlite3_column_double(statement, 11));
    sample.setEvents(sqlite3_column_int64(statement, 12));
    sample.setFlags(sqlite3_column_int64(statement, 13));
    return sample;
}

int SQLiteAgDataModel::readLevelZeroRows(qint64 from, qint64 to, std::vector<AgData> *rows)
{
    sqlite3_stmt *select = m_levelStatements[kSelectRange][0];
    if (!select || sqlite3_reset(select) != SQLITE_OK)
        return -1;
    ResetOnExit reset(select);
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
    sqlite3_stmt *select = isLevel(level) ? m_levelStatements[kSelectRange][level] : nullptr;
    if (!select || sqlite3_reset(select) != SQLITE_OK) {
        code = -1;
        return nullptr;
    }
    ResetOnExit reset(select);
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
    sqlite3_stmt *select = isLevel(level) ? m_levelStatements[kind][level] : nullptr;
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
    ResetOnExit reset(select);
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
    ResetOnExit reset(select);
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
    ResetOnExit reset(select);
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
    ResetOnExit reset(select);
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
    ResetOnExit reset(insert);
    if (!bind(insert) || sqlite3_step(insert) != SQLITE_DONE)
        return rollback();
    sqlite3_clear_bindings(insert);
    if (sqlite3_reset(insert) != SQLITE_OK)
        return rollback();
    if (commit())
        *err = 0;
}

// ---------------------------------------------------------------------------------------------
// Program backups

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
        ResetOnExit reset(statement);
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
