#include "CrashDump.h"

#include "KivUtils.h"

#include <QByteArray>
#include <QFile>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <exception>
#include <execinfo.h>
#include <fcntl.h>
#include <unistd.h>

namespace {

// Everything the handlers need is prepared at installation time: no Qt or allocation
// may run inside a signal handler.
char gFolder[4096];
size_t gFolderLength = 0;
bool gInstalled = false;
char gAltStack[64 * 1024];

const int kSignals[] = {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT};

void appendText(char *buffer, size_t size, size_t &pos, const char *text)
{
    while (*text && pos + 1 < size)
        buffer[pos++] = *text++;
    buffer[pos] = '\0';
}

void appendUnsigned(char *buffer, size_t size, size_t &pos, unsigned long long value, int base)
{
    char digits[32];
    int n = 0;
    do {
        const int d = static_cast<int>(value % base);
        digits[n++] = static_cast<char>(d < 10 ? '0' + d : 'a' + d - 10);
        value /= base;
    } while (value != 0 && n < 32);
    while (n > 0 && pos + 1 < size)
        buffer[pos++] = digits[--n];
    buffer[pos] = '\0';
}

void writeAll(int fd, const char *data, size_t length)
{
    while (length > 0) {
        const ssize_t written = ::write(fd, data, length);
        if (written <= 0)
            return;
        data += written;
        length -= static_cast<size_t>(written);
    }
}

void writeText(int fd, const char *text) { writeAll(fd, text, std::strlen(text)); }

const char *signalName(int sig)
{
    switch (sig) {
    case SIGSEGV: return "SIGSEGV";
    case SIGBUS: return "SIGBUS";
    case SIGILL: return "SIGILL";
    case SIGFPE: return "SIGFPE";
    case SIGABRT: return "SIGABRT";
    default: return "signal";
    }
}

void crashSignalHandler(int sig, siginfo_t *info, void *)
{
    writeCrashDump(sig, info ? info->si_addr : nullptr, nullptr);
    // The handler was reset to the default: re-raising ends the process with the signal.
    std::signal(sig, SIG_DFL);
    raise(sig);
}

void terminateHandler()
{
    const char *reason = "std::terminate";
    if (std::exception_ptr current = std::current_exception()) {
        try {
            std::rethrow_exception(current);
        } catch (const std::exception &e) {
            static char text[512];
            std::snprintf(text, sizeof(text), "std::terminate: %s", e.what());
            reason = text;
        } catch (...) {
        }
    }
    writeCrashDump(SIGABRT, nullptr, reason);
    std::signal(SIGABRT, SIG_DFL);
    std::abort();
}

} // namespace

bool writeCrashDump(int signalNumber, const void *faultAddress, const char *reason)
{
    if (gFolderLength == 0)
        return false;
    const time_t now = time(nullptr);
    char path[sizeof(gFolder) + 64];
    size_t pos = 0;
    appendText(path, sizeof(path), pos, gFolder);
    appendText(path, sizeof(path), pos, "/CRASH_DUMP_");
    appendUnsigned(path, sizeof(path), pos, static_cast<unsigned long long>(now), 10);
    appendText(path, sizeof(path), pos, ".dmp");

    const int fd = ::open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;

    char line[256];
    pos = 0;
    appendText(line, sizeof(line), pos, "KIV crash dump\ntime: ");
    appendUnsigned(line, sizeof(line), pos, static_cast<unsigned long long>(now), 10);
    appendText(line, sizeof(line), pos, "\nsignal: ");
    appendUnsigned(line, sizeof(line), pos, static_cast<unsigned long long>(signalNumber), 10);
    appendText(line, sizeof(line), pos, " (");
    appendText(line, sizeof(line), pos, signalName(signalNumber));
    appendText(line, sizeof(line), pos, ")\nfault address: 0x");
    appendUnsigned(line, sizeof(line), pos, reinterpret_cast<unsigned long long>(faultAddress), 16);
    appendText(line, sizeof(line), pos, "\n");
    writeText(fd, line);
    if (reason) {
        writeText(fd, "reason: ");
        writeText(fd, reason);
        writeText(fd, "\n");
    }

    writeText(fd, "backtrace:\n");
    void *frames[128];
    const int count = backtrace(frames, 128);
    backtrace_symbols_fd(frames, count, fd);

    writeText(fd, "memory map:\n");
    const int maps = ::open("/proc/self/maps", O_RDONLY | O_CLOEXEC);
    if (maps >= 0) {
        char buffer[4096];
        ssize_t n;
        while ((n = ::read(maps, buffer, sizeof(buffer))) > 0)
            writeAll(fd, buffer, static_cast<size_t>(n));
        ::close(maps);
    }
    ::close(fd);
    return true;
}

void installCrashDumpHandlers()
{
    if (gInstalled)
        return;
    gInstalled = true;

    const QByteArray folder = QFile::encodeName(getDataFolderPath());
    if (!folder.isEmpty() && static_cast<size_t>(folder.size()) < sizeof(gFolder)) {
        std::memcpy(gFolder, folder.constData(), static_cast<size_t>(folder.size()));
        gFolder[folder.size()] = '\0';
        gFolderLength = static_cast<size_t>(folder.size());
    }

    // glibc loads the unwinder on the first backtrace call; that must not happen in a
    // signal handler.
    void *warmUp[4];
    backtrace(warmUp, 4);

    stack_t stack;
    std::memset(&stack, 0, sizeof(stack));
    stack.ss_sp = gAltStack;
    stack.ss_size = sizeof(gAltStack);
    sigaltstack(&stack, nullptr);

    struct sigaction action;
    std::memset(&action, 0, sizeof(action));
    action.sa_sigaction = crashSignalHandler;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK | SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    for (int sig : kSignals)
        sigaction(sig, &action, nullptr);

    std::set_terminate(terminateHandler);
}

void installThreadCrashStack()
{
    if (!gInstalled)
        return;
    thread_local char threadStack[64 * 1024];
    stack_t stack;
    std::memset(&stack, 0, sizeof(stack));
    stack.ss_sp = threadStack;
    stack.ss_size = sizeof(threadStack);
    sigaltstack(&stack, nullptr);
}
