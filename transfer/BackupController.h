#pragma once

#include "BackupModel.h"
#include "DeleteFileAction.h"

#include <CommandQueue.h>
#include <KivThread.h>
#include <LoopWaker.h>

#include <QMutex>
#include <QString>

#include <atomic>
#include <memory>

class ABackupManagerViewController;
class KivDbBackupFileReader;

// The thread that lists and deletes the backup database files. A scan walks "log_backup"
// and then reads one file per pass, so commands are served between two files while a large
// folder is read; the window's controller pulls copies of the list.
class BackupController : public KivThread, public CommandQueue
{
    Q_OBJECT
public:
    enum CommandType { CmdShowManager = 0, CmdRefresh = 1, CmdDelete = 2 };
    static constexpr int kCapacity = 50;
    // The longest sleep between passes while no file waits to be read; a command or the
    // stop wakes the thread at once.
    static constexpr int kPassMs = 60000;

    explicit BackupController(QObject *parent);
    ~BackupController() override;

    // Before the thread starts: the folder to scan ("log_backup" in the data folder).
    int initBackupFolder();
    QString getBackupFolder() const { return m_backupFolder; }

    // Any thread: hides the window and ends the loop at its next pass; commands queued then
    // or later are deleted unexecuted.
    void stop();
    // The thread is not running and its loop is not entered (also when never started).
    bool isStopped() const;

    // Any thread: a copy taken under the list's mutex.
    BackupModel getModel() const;
    // Takes the records of these files out of the list.
    void removeItems(const QList<BackupItem> &items);

protected:
    void loop() override;
    int handleCommand(Command *command) override;
    bool acceptsCommands() override { return !m_stop; }
    QString commandQueueName() const override;
    void onCommandQueued(int) override { m_waker.wake(); }

private:
    // One pass: the commands, a scan when one was asked for, one file of the scan.
    void step();
    // Empties the list and the files still to read, then collects the folder's files.
    int startScan();
    int deleteBackups(Command *command);
    // The record's file is the one the list holds under that name.
    bool isListed(const BackupItem &item) const;
    static ABackupManagerViewController *viewController();
    static void showAlert(const QString &text);

    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_inLoop{false};
    bool m_rescanRequested = false;
    BackupModel m_model;
    mutable QMutex m_modelMutex;
    QString m_backupFolder;
    std::unique_ptr<KivDbBackupFileReader> m_reader;
    DeleteFileAction m_deleteAction;
    LoopWaker m_waker;
};
