#include "SQLiteZQDBImportSource.h"

#include "SQLiteKIVDBImportSource.h"

#include <AgDataVector.h>
#include <ORQLogging.h>

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QVariant>

#include <cmath>
#include <limits>

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

} // namespace

SQLiteZQDBImportSource::SQLiteZQDBImportSource(const QString &filePath)
    : ADBImportSource(1, filePath)
{
}

SQLiteZQDBImportSource::~SQLiteZQDBImportSource()
{
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

AgDataVector *SQLiteZQDBImportSource::readData(qint64 from, qint64 to, int *error)
{
    *error = -1;
    QSqlQuery query(connection());
    query.setForwardOnly(true);
    if (!query.prepare(QStringLiteral("SELECT timestamp, timecode, programId, TP, TPMax, M100ms, "
                                      "M400ms, MMax, S, SMax, I, LRA, Events, Flags FROM Loudness "
                                      "WHERE timestamp >= :from AND timestamp <= :to ORDER BY "
                                      "timestamp ASC;")))
        return nullptr;
    query.bindValue(QStringLiteral(":from"), from);
    query.bindValue(QStringLiteral(":to"), to);
    if (!query.exec())
        return nullptr;
    auto *samples = new AgDataVector();
    const bool wide = SQLiteKIVDBImportSource::hasSampleColumns(query);
    while (query.next()) {
        AgData sample;
        qint64 timecode = 0;
        if (!wide || !SQLiteKIVDBImportSource::convertSampleColumns(query, &sample, true) ||
            !convertTimecode(query.value(1), m_fileVersion, &timecode)) {
            delete samples;
            return nullptr;
        }
        sample.setTimecode(timecode);
        samples->append(sample);
    }
    if (query.lastError().isValid()) {
        delete samples;
        return nullptr;
    }
    *error = 0;
    return samples;
}
