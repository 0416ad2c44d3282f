#pragma once

#include <AFileAction.h>
#include <SystemConfig.h>

#include <QHash>
#include <QString>

#include <deque>

class BackupItem;
class BackupModel;
class QMutex;

// Turns the files found under "log_backup" into backup records, one file per call of
// readNextFile, so that its thread stays free for commands while a large folder is read.
// The walk hands it every file path (execute); the records go into the controller's
// model under the model's mutex.
class KivDbBackupFileReader : public AFileAction
{
public:
    // What readBackupFile found; a file that gives anything but Ok is not listed.
    enum ReadResult {
        Ok = 0,
        CannotOpen = -1, // also a symbolic link or no regular file
        NoSampleTable = -2,
        EventsQueryFailed = -3,
        EventsQueryInactive = -4,
        NoEvent = -5,
        ConfigQueryFailed = -8,
        ConfigQueryInactive = -9,
        NoConfig = -10, // the table is there but empty
        ConfigNotReadable = -11,
        NoSuchInstrument = -12,
        NoSuchAudiogroup = -13,
    };

    // The model and its mutex belong to the caller and outlive the reader.
    KivDbBackupFileReader(BackupModel *model, QMutex *modelMutex);
    ~KivDbBackupFileReader() override;

    // Takes the path for a later read; always 0.
    int execute(const QString &absoluteFilePath) override;
    // Forgets the pending paths, then empties the model.
    void reset() override;

    // Reads the oldest pending file (it is not tried again, whatever the result) and lists
    // its record; 0 also when nothing was pending.
    int readNextFile();
    bool hasPendingFiles() const { return !m_pending.empty(); }
    int pendingCount() const { return static_cast<int>(m_pending.size()); }

    // Fills the record from the backup file at path; opens it read-only, so a file removed
    // meanwhile is not made again.
    int readBackupFile(const QString &path, BackupItem &record);

private:
    std::deque<QString> m_pending;
    // Configuration documents read in this scan, by their text.
    QHash<QString, SystemConfig> m_configs;
    BackupModel *m_model;
    QMutex *m_modelMutex;
};
