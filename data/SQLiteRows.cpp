#include "SQLiteRows.h"

#include <QByteArray>

#include <sqlite3.h>

#include <algorithm>

namespace SQLiteRows {

bool isSortedUnique(const std::vector<AgData> &rows)
{
    return std::adjacent_find(rows.begin(), rows.end(), [](const AgData &a, const AgData &b) {
               return a.getTimestamp() >= b.getTimestamp();
           }) == rows.end();
}

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

} // namespace SQLiteRows
