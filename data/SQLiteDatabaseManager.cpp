#include "SQLiteDatabaseManager.h"

#include "KivUtils.h"
#include "Program.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

SQLiteDatabaseManager::SQLiteDatabaseManager() = default;

SQLiteDatabaseManager::~SQLiteDatabaseManager()
{
    // Deferred close: statements an owner failed to finalize must not leak the file.
    if (m_connection)
        sqlite3_close_v2(m_connection);
}

void SQLiteDatabaseManager::init(const InstrumentConfig &instrumentConfig, const AgConfig &agConfig,
                                 bool levelZeroOnly, const QString &targetPath)
{
    m_instrumentConfig = instrumentConfig;
    m_agConfig = agConfig;
    m_levelZeroOnly = levelZeroOnly;
    m_targetPath = targetPath;
}

void SQLiteDatabaseManager::updateConfigs(const InstrumentConfig &instrumentConfig,
                                          const AgConfig &agConfig)
{
    m_instrumentConfig = instrumentConfig;
    m_agConfig = agConfig;
}

QString SQLiteDatabaseManager::getFileName() const
{
    if (m_levelZeroOnly)
        return m_targetPath;
    return getAgDbFilePath(m_instrumentConfig.getName(), m_agConfig.getName());
}

int SQLiteDatabaseManager::open()
{
    if (m_connection)
        return 0;
    const QString fileName = getFileName();
    alignSideFiles(fileName);
    sqlite3 *connection = nullptr;
    const int rc = sqlite3_open16(fileName.utf16(), &connection);
    if (rc != SQLITE_OK) {
        if (connection)
            sqlite3_close(connection);
        return rc;
    }
    m_connection = connection;
    return 0;
}

void SQLiteDatabaseManager::alignSideFiles(const QString &fileName)
{
    // The journal files follow the database's permissions: made while the file was
    // read-only they stay read-only after the user repaired the file, and the repaired
    // file would still open read-only. A file still read-only keeps them as they are, so
    // that it can at least be read.
    const QFileInfo database(fileName);
    if (!database.exists() || !database.isWritable())
        return;
    const QFileDevice::Permissions permissions = database.permissions();
    for (const char *suffix : {"-wal", "-shm", "-journal"}) {
        const QString side = fileName + QLatin1String(suffix);
        QFileInfo info(side);
        if (info.exists() && info.isFile() && info.permissions() != permissions)
            QFile::setPermissions(side, permissions);
    }
}

int SQLiteDatabaseManager::close()
{
    if (!m_connection)
        return 0;
    const int rc = sqlite3_close(m_connection);
    if (rc == SQLITE_OK)
        m_connection = nullptr;
    return rc;
}

bool SQLiteDatabaseManager::hasMoved() const
{
    int moved = 0;
    return m_connection &&
           sqlite3_file_control(m_connection, "main", SQLITE_FCNTL_HAS_MOVED, &moved) ==
               SQLITE_OK &&
           moved != 0;
}

int SQLiteDatabaseManager::copyTo(const QString &path, QString *problem) const
{
    if (!m_connection)
        return SQLITE_MISUSE;
    sqlite3 *target = nullptr;
    int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &target,
                             SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (rc == SQLITE_OK) {
        // The connection reads its file together with its journal: the copy holds every
        // commit, also those not yet moved into the file.
        sqlite3_backup *backup = sqlite3_backup_init(target, "main", m_connection, "main");
        if (!backup) {
            rc = sqlite3_errcode(target);
        } else {
            rc = sqlite3_backup_step(backup, -1);
            const int finished = sqlite3_backup_finish(backup);
            rc = rc == SQLITE_DONE ? finished : rc;
        }
    }
    if (rc != SQLITE_OK && problem)
        *problem = QString::fromUtf8(target ? sqlite3_errmsg(target) : sqlite3_errstr(rc));
    if (sqlite3_close(target) != SQLITE_OK && rc == SQLITE_OK) {
        rc = SQLITE_IOERR;
        if (problem)
            *problem = QStringLiteral("the copy cannot be closed");
    }
    return rc;
}

void SQLiteDatabaseManager::keepJournalFilesAtClose()
{
    int persist = 1;
    if (m_connection)
        sqlite3_file_control(m_connection, "main", SQLITE_FCNTL_PERSIST_WAL, &persist);
}

sqlite3 *SQLiteDatabaseManager::openBackupDb(const Program &program, int *err) const
{
    int ignored = 0;
    int &code = err ? *err : ignored;
    if (!QDir().mkpath(getLogBackupFolderPath())) {
        code = -1;
        return nullptr;
    }
    const QString path = getBackupDbFilePath(m_instrumentConfig.getName(), m_agConfig.getName(),
                                             program.getProgramId(), program.getStart());
    sqlite3 *connection = nullptr;
    code = sqlite3_open16(path.utf16(), &connection);
    if (code != SQLITE_OK) {
        if (connection)
            sqlite3_close(connection);
        return nullptr;
    }
    return connection;
}
