#pragma once

#include <QString>
#include <QStringList>

// Backup files under "log_backup", written by the store's own backup code.
namespace BackupFixtures {

constexpr qint64 kT0 = 1700000000000;

struct Audiogroup
{
    QString instrument;
    QString source;
    // The audiogroup saved its configuration, so the backups carry a "config" table.
    bool withConfig = true;
};

// Logs programs + 1 programs of programMs (a sample every stepMs, ids from firstProgramId,
// the first starting at start) into the audiogroup's own file, then backs up all but the
// newest, as the audiogroup controller would. The audiogroup's own file is removed again.
// Returns the backup files, oldest program first; empty on any failure.
QStringList writeBackups(const Audiogroup &audiogroup, int programs, qint64 firstProgramId,
                         qint64 start = kT0, qint64 programMs = 60000, qint64 stepMs = 1000);

// The level-0 rows of a file, one text a row, in time order.
QStringList sampleRows(const QString &path);

} // namespace BackupFixtures
