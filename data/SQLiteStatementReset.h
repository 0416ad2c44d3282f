#pragma once

#include <sqlite3.h>

// Resets a statement when leaving a scope, so no statement keeps a read snapshot open (which
// would hold back WAL checkpoints) or stays in an error state.
class SQLiteStatementReset
{
public:
    explicit SQLiteStatementReset(sqlite3_stmt *statement) : m_statement(statement) {}
    SQLiteStatementReset(const SQLiteStatementReset &) = delete;
    SQLiteStatementReset &operator=(const SQLiteStatementReset &) = delete;
    ~SQLiteStatementReset() { sqlite3_reset(m_statement); }

private:
    sqlite3_stmt *m_statement;
};
