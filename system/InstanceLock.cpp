#include "InstanceLock.h"

#include <QByteArray>
#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

InstanceLock::~InstanceLock()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

QString InstanceLock::fileName()
{
    return QStringLiteral("kiv.lock");
}

InstanceLock::Result InstanceLock::acquire(const QString &folder)
{
    m_path = QDir(folder).filePath(fileName());
    m_holderPid = 0;
    if (!QDir().mkpath(folder)) {
        m_problem = QStringLiteral("the folder cannot be created");
        return Unavailable;
    }
    const QByteArray path = QFile::encodeName(m_path);
    // Close-on-exec: a converter or mail helper started by the program must not inherit the
    // lock and hold the folder after the program has ended.
    bool writable = true;
    int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0 && (errno == EACCES || errno == EROFS)) {
        // A lock file left by another user, or a read-only share: flock needs no write access.
        writable = false;
        fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    }
    if (fd < 0) {
        m_problem = QString::fromLocal8Bit(std::strerror(errno));
        return Unavailable;
    }
    int locked;
    do {
        locked = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (locked != 0 && errno == EINTR);
    if (locked != 0) {
        const int error = errno;
        if (error == EWOULDBLOCK) {
            char text[32] = {};
            const ssize_t n = ::pread(fd, text, sizeof(text) - 1, 0);
            if (n > 0)
                m_holderPid = QByteArray(text, static_cast<int>(n)).trimmed().toLongLong();
            ::close(fd);
            return HeldByAnother;
        }
        ::close(fd);
        m_problem = QString::fromLocal8Bit(std::strerror(error));
        return Unavailable;
    }
    // Taken again after the folder was removed: the old lock is on the removed file.
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = fd;
    if (writable) {
        // Only for the message of a refused start; the lock itself is the flock.
        const QByteArray pid = QByteArray::number(static_cast<qint64>(::getpid())) + '\n';
        if (::ftruncate(fd, 0) == 0)
            (void)!::pwrite(fd, pid.constData(), static_cast<size_t>(pid.size()), 0);
    }
    return Acquired;
}
