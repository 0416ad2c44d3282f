#pragma once

#include "ADBImportSource.h"

class AgData;
class QSqlQuery;

// Reads a database file the program wrote itself (an audiogroup database, an export or a
// backup): the level-0 samples and the events table.
class SQLiteKIVDBImportSource : public ADBImportSource
{
public:
    static const char *const kConnectionName;

    explicit SQLiteKIVDBImportSource(const QString &filePath);
    ~SQLiteKIVDBImportSource() override;

    // Columns 0 and 2 to 13 of a sample row (timestamp, programId, TP ... Flags) into the
    // sample; false at the first value that does not convert. The timecode (column 1) is
    // left to the caller. widthChecked: the caller has seen the query's record hold at
    // least 14 columns (the same for every row: asking for the record builds it anew).
    static bool convertSampleColumns(const QSqlQuery &query, AgData *sample,
                                     bool widthChecked = false);
    static bool hasSampleColumns(const QSqlQuery &query);

protected:
    int open() override;
    AgDataVector *readData(qint64 from, qint64 to, int *error) override;
    std::vector<AgEvent> readEvents(qint64 from, qint64 to, int *error) override;
    qint64 getFirstTimestamp(int *error) override;
    qint64 getLastTimestamp(int *error) override;

private:
    qint64 readBound(const QString &sql, int *error);

    bool m_open = false;
};
