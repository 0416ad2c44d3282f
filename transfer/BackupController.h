#pragma once

#include <CommandQueue.h>
#include <KivThread.h>

#include <QString>

#include <atomic>

// The thread that lists and deletes the backup database files.
class BackupController : public KivThread, public CommandQueue
{
    Q_OBJECT
public:
    static constexpr int kCapacity = 50;
    static constexpr int kPassMs = 10;

    explicit BackupController(QObject *parent);
    ~BackupController() override;

    // Before the thread starts: the folder to scan ("log_backup" in the data folder).
    int initBackupFolder();
    QString getBackupFolder() const { return m_backupFolder; }

    void stop();
    // The thread is not running and its loop is not entered (also when never started).
    bool isStopped() const;

protected:
    void loop() override;
    int handleCommand(Command *command) override;
    bool acceptsCommands() override { return true; }
    QString commandQueueName() const override;

private:
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_inLoop{false};
    QString m_backupFolder;
};
