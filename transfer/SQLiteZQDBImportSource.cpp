#include "SQLiteZQDBImportSource.h"
#include "SampleColumns.h"

#include <AgDataVector.h>
#include <ORQLogging.h>

#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QVariant>

#include <sqlite3.h>

#include <cmath>
#include <condition_variable>
#include <limits>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

const char *const SQLiteZQDBImportSource::kConnectionName = "SQLiteZQDBImportSource";

namespace {

QSqlDatabase connection()
{
    return QSqlDatabase::database(QLatin1String(SQLiteZQDBImportSource::kConnectionName), false);
}

// "major.minor", both unsigned decimal numbers; anything else is 1.0.
DbVersion parseVersion(const QString &text)
{
    const QStringList parts = text.split(QLatin1Char('.'));
    if (parts.size() != 2)
        return DbVersion();
    bool majorOk = false;
    bool minorOk = false;
    const uint major = parts.at(0).toUInt(&majorOk, 10);
    const uint minor = parts.at(1).toUInt(&minorOk, 10);
    if (!majorOk || !minorOk)
        return DbVersion();
    return DbVersion(major, minor);
}

// A column's value as Qt's SQLite driver hands it to a query.
QVariant driverValue(sqlite3_stmt *statement, int column)
{
    switch (sqlite3_column_type(statement, column)) {
    case SQLITE_INTEGER: return QVariant(qint64(sqlite3_column_int64(statement, column)));
    case SQLITE_FLOAT: return QVariant(sqlite3_column_double(statement, column));
    case SQLITE_NULL: return QVariant(QVariant::String);
    case SQLITE_BLOB:
        return QVariant(QByteArray(static_cast<const char *>(sqlite3_column_blob(statement, column)),
                                   sqlite3_column_bytes(statement, column)));
    default:
        return QVariant(QString(reinterpret_cast<const QChar *>(sqlite3_column_text16(statement, column)),
                                sqlite3_column_bytes16(statement, column) / int(sizeof(QChar))));
    }
}

// The conversions of a query's values, without a variant for the usual column types.
bool toInt64(sqlite3_stmt *statement, int column, qint64 *out)
{
    if (sqlite3_column_type(statement, column) == SQLITE_INTEGER) {
        *out = sqlite3_column_int64(statement, column);
        return true;
    }
    bool ok = false;
    *out = driverValue(statement, column).toLongLong(&ok);
    return ok;
}

bool toDouble(sqlite3_stmt *statement, int column, double *out)
{
    const int type = sqlite3_column_type(statement, column);
    if (type == SQLITE_FLOAT || type == SQLITE_INTEGER) {
        *out = sqlite3_column_double(statement, column);
        return true;
    }
    bool ok = false;
    *out = driverValue(statement, column).toDouble(&ok);
    return ok;
}

bool toSample(sqlite3_stmt *statement, const DbVersion &version, AgData *sample)
{
    const auto readInt = [statement](int column, qint64 *out) {
        return toInt64(statement, column, out);
    };
    const auto readDouble = [statement](int column, double *out) {
        return toDouble(statement, column, out);
    };
    if (!readSampleColumns(sample, readInt, readDouble))
        return false;
    qint64 integer = 0;
    if (!SQLiteZQDBImportSource::convertTimecode(driverValue(statement, 1), version, &integer))
        return false;
    sample->setTimecode(integer);
    return true;
}

} // namespace

SQLiteZQDBImportSource::SQLiteZQDBImportSource(const QString &filePath)
    : ADBImportSource(1, filePath)
{
}

SQLiteZQDBImportSource::~SQLiteZQDBImportSource()
{
    stopReader();
    finalizeSelect();
    if (m_open)
        removeDatabase(QLatin1String(kConnectionName));
}

int SQLiteZQDBImportSource::open()
{
    if (m_open)
        return 0;
    m_open = openReadOnlyDatabase(QLatin1String(kConnectionName), getFilePath());
    if (!m_open)
        return -1;
    readFileVersion();
    return 0;
}

void SQLiteZQDBImportSource::readFileVersion()
{
    m_fileVersion = DbVersion();
    QSqlQuery query(connection());
    if (query.prepare(QStringLiteral("SELECT dbVersion FROM Version LIMIT 1")) && query.exec() &&
        query.isActive() && query.next())
        m_fileVersion = parseVersion(query.value(0).toString());
}

qint64 SQLiteZQDBImportSource::readBound(const QString &sql, int *error)
{
    *error = -1;
    QSqlQuery query(connection());
    if (!query.exec(sql) || !query.isActive() || !query.next())
        return -1;
    bool ok = false;
    const qint64 value = query.value(0).toLongLong(&ok);
    if (!ok)
        return -1;
    *error = 0;
    return value;
}

qint64 SQLiteZQDBImportSource::getFirstTimestamp(int *error)
{
    return readBound(QStringLiteral("SELECT COALESCE(MIN(timestamp), 0) FROM Loudness;"), error);
}

qint64 SQLiteZQDBImportSource::getLastTimestamp(int *error)
{
    return readBound(QStringLiteral("SELECT COALESCE(MAX(timestamp), 0) FROM Loudness;"), error);
}

bool SQLiteZQDBImportSource::convertTimecode(const QVariant &value, const DbVersion &version,
                                             qint64 *out)
{
    if (value.isNull()) {
        KIV_LOG(2, "Invalid value type in timecode column\n");
        return false;
    }
    const int type = value.userType();
    if (type == QMetaType::Int || type == QMetaType::LongLong || type == QMetaType::UInt ||
        type == QMetaType::ULongLong) {
        bool ok = false;
        *out = value.toLongLong(&ok);
        return ok;
    }
    if (type == QMetaType::Double || type == QMetaType::Float) {
        if (!(version < DbVersion(1, 1))) {
            KIV_LOG(2, "Invalid double value in ZQ DB file version >= 1.1\n");
            return false;
        }
        bool ok = false;
        const double x = value.toDouble(&ok);
        // Out of the 64-bit range the truncation would be undefined: refuse the row.
        constexpr double kLimit = 9.2e18;
        if (!ok || !std::isfinite(x) || std::fabs(x) > kLimit)
            return false;
        // The old meters stored the frame count doubled in a float column.
        *out = 2 * static_cast<qint64>(std::trunc(x / 2.0));
        return true;
    }
    KIV_LOG(2, "Invalid value type in timecode column\n");
    return false;
}

int SQLiteZQDBImportSource::prepareSelect()
{
    if (m_select)
        return sqlite3_reset(m_select) == SQLITE_OK ? 0 : -1;
    const QVariant handle = connection().driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return -1;
    sqlite3 *db = *static_cast<sqlite3 *const *>(handle.constData());
    if (!db)
        return -1;
    // Straight from the connection: a query's cached variants would cost more than the rows'
    // own reading.
    static const char sql[] = "SELECT timestamp, timecode, programId, TP, TPMax, M100ms, M400ms, "
                              "MMax, S, SMax, I, LRA, Events, Flags FROM Loudness WHERE "
                              "timestamp >= ? AND timestamp <= ? ORDER BY timestamp ASC;";
    if (sqlite3_prepare_v2(db, sql, -1, &m_select, nullptr) != SQLITE_OK) {
        finalizeSelect();
        return -1;
    }
    return 0;
}

void SQLiteZQDBImportSource::finalizeSelect()
{
    sqlite3_finalize(m_select);
    m_select = nullptr;
}

// One thread for the whole import: a thread started for each slice cost more than the
// reading it saved.
struct SQLiteZQDBImportSource::Reader
{
    std::thread thread;
    std::mutex mutex;
    std::condition_variable changed;
    qint64 from = 0;
    qint64 to = 0;
    bool pending = false; // asked for and not yet taken
    bool ready = false;
    bool stop = false;
    Ahead result;
};

void SQLiteZQDBImportSource::waitForAhead()
{
    Reader *reader = m_reader.get();
    if (!reader || !reader->pending)
        return;
    std::unique_lock<std::mutex> lock(reader->mutex);
    reader->changed.wait(lock, [reader]() { return reader->ready; });
    m_held = std::move(reader->result);
    reader->pending = false;
    reader->ready = false;
}

void SQLiteZQDBImportSource::stopReader()
{
    waitForAhead();
    if (!m_reader)
        return;
    {
        std::lock_guard<std::mutex> lock(m_reader->mutex);
        m_reader->stop = true;
    }
    m_reader->changed.notify_all();
    m_reader->thread.join();
    m_reader.reset();
}

void SQLiteZQDBImportSource::readAhead(qint64 from, qint64 to)
{
    waitForAhead();
    // A slice stored again after a failed commit keeps the next one read once.
    if (!m_open || (m_held.to > 0 && m_held.from == from && m_held.to == to))
        return;
    m_held = Ahead();
    if (!m_reader) {
        m_reader = std::make_unique<Reader>();
        Reader *reader = m_reader.get();
        try {
            reader->thread = std::thread([this, reader]() {
                std::unique_lock<std::mutex> lock(reader->mutex);
                for (;;) {
                    reader->changed.wait(lock, [reader]() {
                        return reader->stop || (reader->pending && !reader->ready);
                    });
                    if (reader->stop)
                        return;
                    Ahead ahead;
                    ahead.from = reader->from;
                    ahead.to = reader->to;
                    lock.unlock();
                    try {
                        ahead.samples.reset(readRows(ahead.from, ahead.to, &ahead.error));
                    } catch (...) {
                        // Held as not read: the slice is read again where its failure is handled.
                        ahead = Ahead();
                    }
                    lock.lock();
                    reader->result = std::move(ahead);
                    reader->ready = true;
                    reader->changed.notify_all();
                }
            });
        } catch (const std::system_error &) {
            // No thread to spare: every slice is read when it is asked for, as before.
            m_reader.reset();
            return;
        }
    }
    {
        std::lock_guard<std::mutex> lock(m_reader->mutex);
        m_reader->from = from;
        m_reader->to = to;
        m_reader->pending = true;
        m_reader->ready = false;
    }
    m_reader->changed.notify_all();
}

AgDataVector *SQLiteZQDBImportSource::readData(qint64 from, qint64 to, int *error)
{
    waitForAhead();
    if (m_held.to > 0 && m_held.from == from && m_held.to == to) {
        *error = m_held.error;
        AgDataVector *samples = m_held.samples.release();
        m_held = Ahead();
        return samples;
    }
    return readRows(from, to, error);
}

AgDataVector *SQLiteZQDBImportSource::readRows(qint64 from, qint64 to, int *error)
{
    *error = -1;
    if (!m_open || prepareSelect() != 0)
        return nullptr;
    sqlite3_stmt *select = m_select;
    if (sqlite3_bind_int64(select, 1, from) != SQLITE_OK ||
        sqlite3_bind_int64(select, 2, to) != SQLITE_OK)
        return nullptr;
    auto samples = std::make_unique<AgDataVector>();
    int rc = SQLITE_ROW;
    while ((rc = sqlite3_step(select)) == SQLITE_ROW) {
        AgData sample;
        if (!toSample(select, m_fileVersion, &sample)) {
            sqlite3_reset(select);
            return nullptr;
        }
        samples->append(sample);
    }
    // A read that stops on a damaged page ends with an error, not with the last row.
    sqlite3_reset(select);
    if (rc != SQLITE_DONE)
        return nullptr;
    *error = 0;
    return samples.release();
}
