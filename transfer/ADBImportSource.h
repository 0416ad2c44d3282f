#pragma once

#include <AgEvent.h>

#include <QString>
#include <QtGlobal>

#include <vector>

class AgDataVector;

// Where an import reads its samples from: the program's own database files, a meter's
// database file or the samples of a meter's XML export, all read by time window. The
// manager calls the non-virtual wrappers, which read only once open() has succeeded.
class ADBImportSource
{
public:
    ADBImportSource(int sourceType, const QString &filePath);
    virtual ~ADBImportSource();
    ADBImportSource(const ADBImportSource &) = delete;
    ADBImportSource &operator=(const ADBImportSource &) = delete;

    // Opens an existing SQLite file read-only on the named connection; a missing file is
    // never created. False (and the connection removed again) when it cannot be opened.
    static bool openReadOnlyDatabase(const QString &connectionName, const QString &path);
    // Closes the connection and removes it from Qt's registry.
    static void removeDatabase(const QString &connectionName);

    int getSourceType() const { return m_sourceType; }
    QString getFilePath() const { return m_filePath; }
    bool isOpened() const { return m_opened; }

    // 0 when the source could be opened.
    int openSource();
    // The samples with from <= time stamp <= to; the caller owns the vector. Null with
    // error -1 on failure or before the source is open.
    AgDataVector *read(qint64 from, qint64 to, int *error);
    std::vector<AgEvent> readEventRows(qint64 from, qint64 to, int *error);
    // The samples of [from, to] are likely asked for next: a source may read them meanwhile.
    virtual void readAhead(qint64, qint64) {}
    qint64 firstTimestamp(int *error);
    qint64 lastTimestamp(int *error);

protected:
    virtual int open() = 0;
    virtual AgDataVector *readData(qint64 from, qint64 to, int *error) = 0;
    // Only a source with an events table has events to give.
    virtual std::vector<AgEvent> readEvents(qint64 from, qint64 to, int *error);
    virtual qint64 getFirstTimestamp(int *error) = 0;
    virtual qint64 getLastTimestamp(int *error) = 0;

private:
    int m_sourceType;
    QString m_filePath;
    bool m_opened = false;
};
