#include "DesktopOpener.h"

#include "ChildSpawn.h"

#include <QElapsedTimer>
#include <QFile>

#include <cerrno>
#include <sys/wait.h>
#include <thread>

extern char **environ;

void openOnDesktop(const QString &path, DesktopOpened told)
{
    const QByteArray target = QFile::encodeName(path);
    char opener[] = "xdg-open";
    char *argv[] = {opener, const_cast<char *>(target.constData()), nullptr};

    SpawnActions actions;
    SpawnAttributes attributes;
    pid_t pid = -1;
    const int rc = prepareQuietChild(actions, attributes)
                       ? posix_spawnp(&pid, opener, actions.get(), attributes.get(), argv, environ)
                       : ENOMEM;
    if (rc != 0) {
        told(false);
        return;
    }
    // Waiting is the watcher's alone, so neither the caller's thread nor its loop is held.
    std::thread([pid, told = std::move(told)] {
        QElapsedTimer running;
        running.start();
        int status = 0;
        pid_t reaped = -1;
        do {
            reaped = waitpid(pid, &status, 0);
        } while (reaped < 0 && errno == EINTR);
        // Reaped elsewhere: its status is unknown, and nothing is said against it.
        const bool opened = reaped != pid || (WIFEXITED(status) && WEXITSTATUS(status) == 0) ||
                            running.elapsed() > kDesktopOpenerVerdictMs;
        told(opened);
    }).detach();
}
