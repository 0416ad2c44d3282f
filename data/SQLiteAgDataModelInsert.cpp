#include "SQLiteAgDataModel.h"

#include "AgDataVector.h"
#include "AgDbStatements.h"
#include "KivUtils.h"
#include "ORQLogging.h"
#include "SQLiteRows.h"

#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <utility>

// The sample-batch insert path: level-0 rows, the program events they carry and, through the
// zoom levels, the reduced rows, all in one transaction per batch.

namespace {

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

constexpr int kSampleColumns = 14;

// Binds the sample's fourteen columns from parameter `first` on.
int bindSample(sqlite3_stmt *statement, const AgData &sample, int first = 1)
{
    const double values[] = {sample.getTP(),     sample.getTPMax(), sample.getM100ms(),
                             sample.getM400ms(), sample.getMMax(),  sample.getS(),
                             sample.getSMax(),   sample.getI(),     sample.getLRA()};
    if (sqlite3_bind_int64(statement, first, sample.getTimestamp()) != SQLITE_OK ||
        sqlite3_bind_int64(statement, first + 1, sample.getTimecode()) != SQLITE_OK ||
        sqlite3_bind_int64(statement, first + 2, sample.getProgramId()) != SQLITE_OK)
        return -1;
    int index = first + 3;
    // SQLite would store a NaN as NULL: the file keeps the no-value marker instead.
    for (double value : values)
        if (sqlite3_bind_double(statement, index++, AgData::toStored(value)) != SQLITE_OK)
            return -1;
    if (sqlite3_bind_int64(statement, first + 12, sample.getEvents()) != SQLITE_OK ||
        sqlite3_bind_int64(statement, first + 13, sample.getFlags()) != SQLITE_OK)
        return -1;
    return 0;
}

} // namespace

int SQLiteAgDataModel::insertSampleRows(sqlite3_stmt *statement,
                                        std::vector<AgData>::const_iterator first,
                                        std::vector<AgData>::const_iterator last, qint64 bound,
                                        std::vector<AgData> *written, AgDataVector *given)
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
        written->push_back(row);
        if (given)
            given->append(row);
    }
    return 0;
}

sqlite3_stmt *SQLiteAgDataModel::rowsInsert(int kind, int level)
{
    sqlite3_stmt *&statement = m_levelStatements[kind][level];
    if (statement || !db())
        return statement;
    // The single-row insert with its row of parameters repeated.
    const QString single = AgDbSql::insertLevelRow().arg(agDataZoomLevelTableName(level));
    const int values = single.indexOf(QLatin1String("VALUES ")) + 7;
    const QString row = single.mid(values, single.lastIndexOf(QLatin1Char(')')) + 1 - values);
    QString sql = single.left(values) + row;
    const int rows = rowsPerInsert(kind);
    for (int i = 1; i < rows; ++i)
        sql += QLatin1String(", ") + row;
    // Without it every row goes in on its own, as before: slower, never wrong.
    if (prepare(sql + QLatin1Char(';'), &statement) != SQLITE_OK)
        statement = nullptr;
    return statement;
}

int SQLiteAgDataModel::insertLevelRows(int level, std::vector<AgData>::const_iterator first,
                                       std::vector<AgData>::const_iterator last, qint64 bound,
                                       std::vector<AgData> *written, AgDataVector *given)
{
    sqlite3_stmt *single = m_levelStatements[kInsert][level];
    if (!single || sqlite3_reset(single) != SQLITE_OK)
        return -1;
    // A run of rows goes in with one statement: SQLite opens the table, checks the
    // transaction and resets once for the run. While a file is copied in, runs of 64 rows, the
    // rows left over a few at a time; a statement of 64 rows takes some 80 KB, too much to
    // keep for the twenty rows of a logging batch, which go in eight at a time. The rest go
    // in four, two and one at a time.
    const int runRows = m_bulkWrites ? kRowsPerInsert : kRowsPerFewInsert;
    std::array<std::vector<AgData>::const_iterator, kRowsPerInsert> run;
    int held = 0;
    // Writes the held rows: runs of the largest statement that fits, the rest one by one.
    auto insertHeld = [&]() {
        int from = 0;
        for (int kind : {kInsertRows, kInsertFewRows, kInsertFourRows, kInsertTwoRows}) {
            const int rows = rowsPerInsert(kind);
            // Held rows come in runs of at most kRowsPerFewInsert unless bulk writes last.
            sqlite3_stmt *statement = held - from >= rows ? rowsInsert(kind, level) : nullptr;
            for (; statement && held - from >= rows; from += rows) {
                for (int i = 0; i < rows; ++i)
                    if (bindSample(statement, *run[size_t(from + i)], i * kSampleColumns + 1) !=
                        0) {
                        sqlite3_reset(statement);
                        return -1;
                    }
                const int rc = stepInsert(statement, false);
                if (rc != 0)
                    return rc;
                for (int i = from; i < from + rows; ++i) {
                    written->push_back(*run[size_t(i)]);
                    if (given)
                        given->append(*run[size_t(i)]);
                }
            }
        }
        for (; from < held; ++from) {
            const int rc = insertSampleRows(single, run[size_t(from)], run[size_t(from)] + 1,
                                            bound, written, given);
            if (rc != 0)
                return rc;
        }
        held = 0;
        return 0;
    };
    for (; first != last; ++first) {
        const qint64 timestamp = first->getTimestamp();
        if (!AgData::isStorableTimestamp(timestamp) || (bound > 0 && timestamp <= bound))
            continue;
        run[size_t(held++)] = first;
        if (held == runRows) {
            const int rc = insertHeld();
            if (rc != 0)
                return rc;
        }
    }
    return insertHeld();
}

void SQLiteAgDataModel::releaseRowsInserts()
{
    // The smaller statements (together some 24 KB a level that takes their rows in a batch)
    // serve logging too.
    for (sqlite3_stmt *&statement : m_levelStatements[kInsertRows])
        if (statement) {
            sqlite3_finalize(statement);
            statement = nullptr;
        }
}

AgStoreResult SQLiteAgDataModel::storeData(AgDataVector *batch, bool deriveEvents)
{
    if (!batch)
        return AgStoreResult(-1);
    // Samples written into a removed file would be stored in name only.
    if (!batch->isEmpty() && keepFileInPlace(true) != 0)
        return AgStoreResult(kStoreFailedCode);
    int readErr = 0;
    const qint64 lastStored = readMaxTimestamp(0, &readErr, true);
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
    const bool afterGap =
        lastStored != 0 && refused < batch->size() && first - lastStored > kStoreMaxGapMs;

    std::vector<AgData> accepted;
    accepted.reserve(static_cast<size_t>(batch->size()));
    AgDataVector newSamples(batch->getName(), batch->getZoomLevel());
    newSamples.reserve(batch->size());
    std::vector<AgEvent> events;
    events.reserve(static_cast<size_t>(batch->size() / 4));
    QMap<int, std::vector<AgData>> levels;

    if (!batch->isEmpty()) {
        m_lastExecFailure = SQLITE_OK;
        if (readErr != 0)
            return AgStoreResult(kStoreFailedCode);
        auto failed = [&](const char *step) {
            // A batch with nothing new is no error: the meter sent samples already stored.
            // The same text for every batch, so that a failure that stays is counted.
            if (step)
                KIV_LOG(2, "SQLiteAgDataModel[%s][%s] batch not stored: %s failed (%s)\n",
                        qPrintable(getInstrumentConfig().getName()),
                        qPrintable(getAgConfig().getName()), step,
                        db() ? sqlite3_errmsg(db()) : "no database");
            const int code = db() ? sqlite3_extended_errcode(db()) : SQLITE_OK;
            rollback();
            noteWriteFailure(step ? code : m_lastExecFailure);
            return AgStoreResult(kStoreFailedCode);
        };
        if (execPrepared(m_begin, AgDbSql::beginTransaction()) != SQLITE_OK)
            return failed(nullptr); // logged by execPrepared
        if (insertLevelRows(0, batch->begin(), batch->end(), lastStored, &accepted,
                            &newSamples) != 0)
            return failed("the sample insert");
        if (accepted.empty())
            return failed(nullptr);
        if (deriveEvents && storeProgramEvents(&accepted, &events) != 0)
            return failed("the event rows");
        if (!isLevelZeroOnly() && buildZoomLevels(accepted, &levels) != 0)
            return failed("the zoom levels");
        if (!commit()) {
            noteWriteFailure(m_lastExecFailure);
            return AgStoreResult(kStoreFailedCode);
        }
    }

    // The cache mirrors the file only after the commit.
    if (!isLevelZeroOnly())
        rememberRows(SQLiteRows::isSortedUnique(accepted) ? accepted
                                                          : SQLiteRows::sortedUnique(accepted),
                     lastStored);
    AgCache &cache = getCache();
    cache.addData(0, accepted);
    if (deriveEvents)
        cache.addEvents(events);
    if (!isLevelZeroOnly())
        for (auto it = levels.constBegin(); it != levels.constEnd(); ++it)
            cache.addData(it.key(), it.value());
    return AgStoreResult(afterGap ? kStoreGapCode : 0, std::move(newSamples));
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
                     [](const AgData *a, const AgData *b) { return SQLiteRows::earlier(*a, *b); });
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
