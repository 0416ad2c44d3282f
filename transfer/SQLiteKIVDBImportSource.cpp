#include "SQLiteKIVDBImportSource.h"
#include "SampleColumns.h"

#include <AgDataVector.h>
#include <KivUtils.h>

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QVariant>

const char *const SQLiteKIVDBImportSource::kConnectionName = "SQLiteKIVDBImportSource";

namespace {

QSqlDatabase connection()
{
    return QSqlDatabase::database(QLatin1String(SQLiteKIVDBImportSource::kConnectionName), false);
}

bool toInt64(const QVariant &value, qint64 *out)
{
    bool ok = false;
    *out = value.toLongLong(&ok);
    return ok;
}

bool toDouble(const QVariant &value, double *out)
{
    bool ok = false;
    *out = value.toDouble(&ok);
    return ok;
}

} // namespace

SQLiteKIVDBImportSource::SQLiteKIVDBImportSource(const QString &filePath)
    : ADBImportSource(0, filePath)
{
}

SQLiteKIVDBImportSource::~SQLiteKIVDBImportSource()
{
    if (m_open)
        removeDatabase(QLatin1String(kConnectionName));
}

int SQLiteKIVDBImportSource::open()
{
    if (m_open)
        return 0;
    m_open = openReadOnlyDatabase(QLatin1String(kConnectionName), getFilePath());
    return m_open ? 0 : -1;
}

qint64 SQLiteKIVDBImportSource::readBound(const QString &sql, int *error)
{
    *error = -1;
    QSqlQuery query(connection());
    if (!query.exec(sql) || !query.isActive() || !query.next())
        return -1;
    qint64 value = 0;
    if (!toInt64(query.value(0), &value))
        return -1;
    *error = 0;
    return value;
}

qint64 SQLiteKIVDBImportSource::getFirstTimestamp(int *error)
{
    return readBound(QStringLiteral("SELECT COALESCE(MIN(timestamp), 0) FROM %1;")
                         .arg(agDataZoomLevelTableName(0)),
                     error);
}

qint64 SQLiteKIVDBImportSource::getLastTimestamp(int *error)
{
    return readBound(QStringLiteral("SELECT COALESCE(MAX(timestamp), 0) FROM %1;")
                         .arg(agDataZoomLevelTableName(0)),
                     error);
}

bool SQLiteKIVDBImportSource::hasSampleColumns(const QSqlQuery &query)
{
    return query.record().count() >= 14;
}

bool SQLiteKIVDBImportSource::convertSampleColumns(const QSqlQuery &query, AgData *sample,
                                                   bool widthChecked)
{
    if (!widthChecked && !hasSampleColumns(query))
        return false;
    const auto readInt = [&query](int column, qint64 *out) {
        return toInt64(query.value(column), out);
    };
    const auto readDouble = [&query](int column, double *out) {
        return toDouble(query.value(column), out);
    };
    return readSampleColumns(sample, readInt, readDouble);
}

AgDataVector *SQLiteKIVDBImportSource::readData(qint64 from, qint64 to, int *error)
{
    *error = -1;
    QSqlQuery query(connection());
    query.setForwardOnly(true);
    if (!query.prepare(QStringLiteral("SELECT timestamp, timecode, programId, TP, TPMax, M100ms, "
                                      "M400ms, MMax, S, SMax, I, LRA, Events, Flags FROM %1 "
                                      "WHERE timestamp >= :from AND timestamp <= :to ORDER BY "
                                      "timestamp ASC;")
                           .arg(agDataZoomLevelTableName(0))))
        return nullptr;
    query.bindValue(QStringLiteral(":from"), from);
    query.bindValue(QStringLiteral(":to"), to);
    if (!query.exec())
        return nullptr;
    auto *samples = new AgDataVector();
    const bool wide = hasSampleColumns(query);
    while (query.next()) {
        AgData sample;
        qint64 timecode = 0;
        if (!wide || !convertSampleColumns(query, &sample, true) ||
            !toInt64(query.value(1), &timecode)) {
            delete samples;
            return nullptr;
        }
        sample.setTimecode(timecode);
        samples->append(sample);
    }
    // A read that stops on a damaged page ends the loop like the last row does.
    if (query.lastError().isValid()) {
        delete samples;
        return nullptr;
    }
    *error = 0;
    return samples;
}

std::vector<AgEvent> SQLiteKIVDBImportSource::readEvents(qint64 from, qint64 to, int *error)
{
    *error = -1;
    std::vector<AgEvent> events;
    QSqlQuery query(connection());
    query.setForwardOnly(true);
    if (!query.prepare(QStringLiteral(
            "SELECT timestamp, startPgmTimestamp, timecode, programId, Events, Flags FROM events "
            "WHERE timestamp >= :from AND timestamp <= :to ORDER BY timestamp ASC;")))
        return {};
    query.bindValue(QStringLiteral(":from"), from);
    query.bindValue(QStringLiteral(":to"), to);
    if (!query.exec())
        return {};
    while (query.next()) {
        if (query.record().count() < 6)
            return {};
        qint64 values[6];
        for (int column = 0; column < 6; ++column) {
            if (!toInt64(query.value(column), &values[column]))
                return {};
        }
        AgEvent event(values[2], values[0], values[1], values[3], values[4], values[5]);
        event.setEmpty(false);
        events.push_back(event);
    }
    if (query.lastError().isValid())
        return {};
    *error = 0;
    return events;
}
