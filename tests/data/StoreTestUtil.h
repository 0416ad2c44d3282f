#pragma once

#include <AgConfig.h>
#include <InstrumentConfig.h>
#include <KivUtils.h>

#include <QString>
#include <QStringList>

#include <sqlite3.h>

// The audiogroup the store tests write, and a second connection on a store file.
namespace StoreTest {

constexpr qint64 kT0 = 1700000000000;

inline const InstrumentConfig &instrument()
{
    static const InstrumentConfig config(QStringLiteral("Studio 1"));
    return config;
}

// Only a momentary value above -5 violates (the other values of the samples stay at 0 and
// below).
inline AgConfig agConfig()
{
    AgConfig config(QStringLiteral("Main"));
    config.setMUpperThreshold(-5.0);
    return config;
}

inline QString ownFile()
{
    return getAgDbFilePath(instrument().getName(), agConfig().getName());
}

// A second connection on a file, as the table view and the tools see it; a missing file is
// created.
class DbFile
{
public:
    explicit DbFile(const QString &path) { sqlite3_open(path.toUtf8().constData(), &m_db); }
    ~DbFile() { sqlite3_close_v2(m_db); }
    DbFile(const DbFile &) = delete;
    DbFile &operator=(const DbFile &) = delete;
    sqlite3 *handle() const { return m_db; }
    // One text per row, its columns joined by '|'.
    QStringList rows(const QString &sql) const { return query(sql, true); }
    // The first column of each row.
    QStringList column(const QString &sql) const { return query(sql, false); }
    QString value(const QString &sql) const { return rows(sql).value(0); }
    // The rows of a table keyed by time stamp, from..to, in time order.
    QStringList table(const QString &name, qint64 from = 0, qint64 to = kT0 * 2) const
    {
        return rows(QStringLiteral("SELECT * FROM %1 WHERE timestamp BETWEEN %2 AND %3 "
                                   "ORDER BY timestamp")
                        .arg(name)
                        .arg(from)
                        .arg(to));
    }

private:
    QStringList query(const QString &sql, bool allColumns) const
    {
        QStringList rows;
        sqlite3_stmt *st = nullptr;
        if (sqlite3_prepare_v2(m_db, sql.toUtf8().constData(), -1, &st, nullptr) != SQLITE_OK)
            return {QStringLiteral("error: ") + QString::fromUtf8(sqlite3_errmsg(m_db))};
        while (sqlite3_step(st) == SQLITE_ROW) {
            QStringList columns;
            const int count = allColumns ? sqlite3_column_count(st) : 1;
            for (int c = 0; c < count; ++c)
                columns << QString::fromUtf8(
                    reinterpret_cast<const char *>(sqlite3_column_text(st, c)));
            rows << columns.join(QLatin1Char('|'));
        }
        sqlite3_finalize(st);
        return rows;
    }

    sqlite3 *m_db = nullptr;
};

} // namespace StoreTest
