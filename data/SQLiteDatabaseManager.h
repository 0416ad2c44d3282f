#pragma once

#include "AgConfig.h"
#include "InstrumentConfig.h"

#include <QString>

class Program;
struct sqlite3;

// Names and opens an audiogroup's database file and its program backup files; owns the
// file's connection.
class SQLiteDatabaseManager
{
public:
    SQLiteDatabaseManager();
    SQLiteDatabaseManager(const SQLiteDatabaseManager &) = delete;
    SQLiteDatabaseManager &operator=(const SQLiteDatabaseManager &) = delete;
    virtual ~SQLiteDatabaseManager();

    void init(const InstrumentConfig &instrumentConfig, const AgConfig &agConfig,
              bool levelZeroOnly, const QString &targetPath);
    void updateConfigs(const InstrumentConfig &instrumentConfig, const AgConfig &agConfig);

    // targetPath for a level-0-only file, else the audiogroup's file in the data folder
    // named from the current configs.
    QString getFileName() const;
    // Opens (creating when missing); 0, or SQLite's code with no connection kept.
    int open();
    // SQLite's code; the connection stays when it could not be closed.
    int close();
    // Gives the journal files beside the database the database's own permissions.
    static void alignSideFiles(const QString &fileName);
    sqlite3 *getHandle() const { return m_connection; }
    // Whether the file at the path is no longer the one the connection has open (removed,
    // renamed or replaced under the running program); false without a connection.
    bool hasMoved() const;
    // Copies everything the connection holds, the journal's content too, into a new file at
    // path (an existing one is replaced); 0 or SQLite's code with *problem saying why.
    int copyTo(const QString &path, QString *problem) const;
    // The next close leaves the journal files at the path alone: after the file moved they
    // may already belong to the new file there.
    void keepJournalFilesAtClose();
    // A new connection to the program's backup file under "log_backup", which the caller
    // closes; null with err set when the folder or the file cannot be opened.
    sqlite3 *openBackupDb(const Program &program, int *err) const;

private:
    InstrumentConfig m_instrumentConfig;
    AgConfig m_agConfig;
    sqlite3 *m_connection = nullptr;
    bool m_levelZeroOnly = false;
    QString m_targetPath;
};
