#include "DesktopOpener.h"

#include <QElapsedTimer>
#include <QFile>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>

extern char **environ;

void openOnDesktop(const QString &path, DesktopOpened told)
{
    const QByteArray target = QFile::encodeName(path);
    char opener[] = "xdg-open";
    char *argv[] = {opener, const_cast<char *>(target.constData()), nullptr};

    // The opener gets neither the program's blocked signals nor its standard input.
    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    const bool haveActions = posix_spawn_file_actions_init(&actions) == 0;
    const bool haveAttributes = posix_spawnattr_init(&attributes) == 0;
    sigset_t noSignals;
    sigemptyset(&noSignals);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    const bool prepared =
        haveActions && haveAttributes &&
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0) == 0 &&
        posix_spawnattr_setsigmask(&attributes, &noSignals) == 0 &&
        posix_spawnattr_setsigdefault(&attributes, &defaults) == 0 &&
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF) ==
            0;
    pid_t pid = -1;
    const int rc =
        prepared ? posix_spawnp(&pid, opener, &actions, &attributes, argv, environ) : ENOMEM;
    if (haveActions)
        posix_spawn_file_actions_destroy(&actions);
    if (haveAttributes)
        posix_spawnattr_destroy(&attributes);
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
