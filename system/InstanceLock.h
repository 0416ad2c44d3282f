#pragma once

#include <QString>

// One program per data folder. Two programs on one folder would log in to the same meters
// in turn, each making the other's session invalid, and the second would empty the first's
// log.txt. The lock is an exclusive flock on a file in the folder: the kernel lets it go
// however the holder ends (SIGKILL, a crash, a power cut of a network share's client), so
// a lock left behind never blocks the next start.
class InstanceLock
{
public:
    InstanceLock() = default;
    InstanceLock(const InstanceLock &) = delete;
    InstanceLock &operator=(const InstanceLock &) = delete;
    // Lets the folder go.
    ~InstanceLock();

    enum Result {
        Acquired,
        HeldByAnother,
        // The lock file could not be made or opened (a folder that cannot be created or
        // written): the start goes on unlocked, as the log and the databases will report
        // the folder themselves.
        Unavailable
    };

    // Creates the folder when missing and takes its lock without waiting. Called again
    // after the folder was removed while held, it takes the lock on the new file.
    Result acquire(const QString &folder);

    // The lock file's path.
    QString path() const { return m_path; }
    // The process id the holder wrote into the lock file; 0 when it is not known.
    qint64 holderPid() const { return m_holderPid; }
    // Why the lock is Unavailable.
    QString problem() const { return m_problem; }

    static QString fileName();

private:
    int m_fd = -1;
    QString m_path;
    qint64 m_holderPid = 0;
    QString m_problem;
};
