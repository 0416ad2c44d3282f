#pragma once

#include "AgData.h"

#include <QString>

#include <vector>

struct sqlite3_stmt;

// Row helpers shared by the parts of the SQLite audiogroup store.
namespace SQLiteRows {

inline bool earlier(const AgData &a, const AgData &b)
{
    return a.getTimestamp() < b.getTimestamp();
}

bool isSortedUnique(const std::vector<AgData> &rows);
// Rows in timestamp order, one per timestamp: the last of equals, as INSERT OR REPLACE leaves it.
std::vector<AgData> sortedUnique(const std::vector<AgData> &rows);

int bindText(sqlite3_stmt *statement, int index, const QString &text);
QString columnText(sqlite3_stmt *statement, int column);

} // namespace SQLiteRows
