#pragma once

#include "ADBImportSource.h"

#include <DbVersion.h>

#include <memory>

class QVariant;
struct sqlite3_stmt;

// Reads the "Loudness" table of a meter's own log database. Files below version 1.1 may
// store the timecode as a floating-point number.
class SQLiteZQDBImportSource : public ADBImportSource
{
public:
    static const char *const kConnectionName;

    explicit SQLiteZQDBImportSource(const QString &filePath);
    ~SQLiteZQDBImportSource() override;

    DbVersion getFileVersion() const { return m_fileVersion; }
    // The stored timecode as the program keeps it; false when the row must be refused.
    static bool convertTimecode(const QVariant &value, const DbVersion &version, qint64 *out);

protected:
    int open() override;
    AgDataVector *readData(qint64 from, qint64 to, int *error) override;
    void readAhead(qint64 from, qint64 to) override;
    qint64 getFirstTimestamp(int *error) override;
    qint64 getLastTimestamp(int *error) override;

private:
    qint64 readBound(const QString &sql, int *error);
    void readFileVersion();
    // The slice select, prepared once on the connection's own handle: 0 or -1.
    int prepareSelect();
    void finalizeSelect();
    AgDataVector *readRows(qint64 from, qint64 to, int *error);

    // A slice read on a thread of its own while the previous one is stored; the connection
    // is used by one thread at a time, this one only after the read has ended.
    struct Ahead
    {
        qint64 from = 0;
        qint64 to = 0;
        int error = -1;
        std::unique_ptr<AgDataVector> samples;
    };
    struct Reader;
    // Waits for a slice asked for ahead; it is then held.
    void waitForAhead();
    void stopReader();
    std::unique_ptr<Reader> m_reader;
    Ahead m_held;

    bool m_open = false;
    sqlite3_stmt *m_select = nullptr;
    DbVersion m_fileVersion;
};
