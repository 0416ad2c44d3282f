#include "ORQLogging.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>
#include <poll.h>
#include <pthread.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <system_error>
#include <thread>
#include <unistd.h>

namespace ORQ {

std::atomic<CORQLogger *> gLogger{nullptr};

CORQWriter::~CORQWriter() = default;

CORQStreamWriter::CORQStreamWriter(std::ostream *stream, bool owns) : m_stream(stream), m_owns(owns)
{
}

CORQStreamWriter::~CORQStreamWriter()
{
    if (m_owns)
        delete m_stream;
}

void CORQStreamWriter::write(int, const std::string &text)
{
    if (!m_stream)
        return;
    // A failed write (a full disk) marks the stream bad; without clearing it the log would
    // stay silent for the rest of the run after the disk has room again.
    if (!*m_stream)
        m_stream->clear();
    *m_stream << text;
    m_stream->flush();
}

CORQFileWriter::CORQFileWriter(const std::string &path, std::uint64_t limitBytes, int keptTurns,
                               int maxLevel, bool emptyAtStart)
    : m_path(path), m_limit(limitBytes), m_keptTurns(std::max(1, keptTurns)), m_maxLevel(maxLevel)
{
    if (emptyAtStart) {
        m_stream.open(m_path, std::ios::out | std::ios::trunc);
        m_lastOpenAttempt = std::chrono::steady_clock::now();
    } else {
        // Opened, and its size taken, by the first entry.
        m_lastOpenAttempt = std::chrono::steady_clock::now() - std::chrono::hours(1);
        ensureOpen();
    }
}

CORQFileWriter::~CORQFileWriter() = default;

bool CORQFileWriter::ensureOpen()
{
    if (m_stream.is_open())
        return true;
    const auto now = std::chrono::steady_clock::now();
    if (now - m_lastOpenAttempt < std::chrono::seconds(1))
        return false;
    m_lastOpenAttempt = now;
    m_stream.clear();
    m_stream.open(m_path, std::ios::out | std::ios::app);
    if (!m_stream.is_open())
        return false;
    m_stream.seekp(0, std::ios::end);
    const std::streamoff size = m_stream.tellp();
    m_size = size > 0 ? static_cast<std::uint64_t>(size) : 0;
    return true;
}

void CORQFileWriter::rotate()
{
    m_stream.close();
    // rename replaces the oldest turn kept. Should it fail, the file is emptied all the same:
    // the bound matters more than the entries of the old file.
    for (int turn = m_keptTurns - 1; turn >= 1; --turn)
        std::rename((m_path + '.' + std::to_string(turn)).c_str(),
                    (m_path + '.' + std::to_string(turn + 1)).c_str());
    std::rename(m_path.c_str(), (m_path + ".1").c_str());
    m_stream.clear();
    m_stream.open(m_path, std::ios::out | std::ios::trunc);
    m_lastOpenAttempt = std::chrono::steady_clock::now();
    m_size = 0;
}

void CORQFileWriter::write(int level, const std::string &text)
{
    if (level > m_maxLevel)
        return;
    // The file, or the folder with it, was removed under the running program: entries would
    // go into the removed file. It is made again as soon as its folder is there.
    if (m_stream.is_open() && ::access(m_path.c_str(), F_OK) != 0) {
        m_stream.close();
        m_lastOpenAttempt = {};
    }
    if (m_size > 0 && m_size + text.size() > m_limit)
        rotate();
    if (!ensureOpen())
        return;
    // A failed write (a full disk) marks the stream bad; cleared, the next entry is tried
    // again once there is room. Counted all the same: at worst the file turns over early.
    if (!m_stream)
        m_stream.clear();
    m_stream << text;
    m_stream.flush();
    m_size += text.size();
}

namespace {

// Blocks SIGPIPE on this thread while stderr is written and takes back the one a write
// raised, so that a reader of stderr that went away does not end the program.
class SigpipeGuard
{
public:
    SigpipeGuard()
    {
        sigemptyset(&m_pipe);
        sigaddset(&m_pipe, SIGPIPE);
        sigset_t pending;
        sigemptyset(&pending);
        m_wasPending = sigpending(&pending) == 0 && sigismember(&pending, SIGPIPE) == 1;
        m_blocked = pthread_sigmask(SIG_BLOCK, &m_pipe, &m_old) == 0;
    }
    ~SigpipeGuard()
    {
        if (m_blocked)
            pthread_sigmask(SIG_SETMASK, &m_old, nullptr);
    }
    SigpipeGuard(const SigpipeGuard &) = delete;
    SigpipeGuard &operator=(const SigpipeGuard &) = delete;

    // After a write that failed with EPIPE.
    void takeRaised()
    {
        if (!m_blocked || m_wasPending)
            return;
        const timespec none{0, 0};
        while (sigtimedwait(&m_pipe, nullptr, &none) < 0 && errno == EINTR) {
        }
    }

private:
    sigset_t m_pipe;
    sigset_t m_old;
    bool m_wasPending = false;
    bool m_blocked = false;
};

} // namespace

CORQDebugWriter::CORQDebugWriter()
{
    struct stat info{};
    if (::fstat(STDERR_FILENO, &info) != 0)
        return;
    if (S_ISSOCK(info.st_mode)) {
        m_target = Target::Socket;
    } else if (S_ISFIFO(info.st_mode) || S_ISCHR(info.st_mode)) {
        // A pipe or a terminal can hold a writer up for good.
        m_pipe = S_ISFIFO(info.st_mode);
        m_fd = ::open("/proc/self/fd/2", O_WRONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
        m_target = m_fd >= 0 ? Target::Own : Target::Polled;
    } else {
        // A file takes everything without waiting for anyone.
        m_target = Target::Plain;
    }
}

CORQDebugWriter::~CORQDebugWriter()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

void CORQDebugWriter::write(int, const std::string &text)
{
    if (m_target == Target::None)
        return;
    std::optional<SigpipeGuard> guard;
    if (m_pipe)
        guard.emplace();
    const char *data = text.data();
    size_t left = text.size();
    while (left > 0) {
        ssize_t written = -1;
        switch (m_target) {
        case Target::Own:
            written = ::write(m_fd, data, left);
            break;
        case Target::Socket:
            written = ::send(STDERR_FILENO, data, left, MSG_DONTWAIT | MSG_NOSIGNAL);
            break;
        case Target::Plain:
            written = ::write(STDERR_FILENO, data, left);
            break;
        case Target::Polled: {
            // Without a descriptor of our own: a pipe that polls writable has room for
            // PIPE_BUF bytes, so a write of no more does not wait.
            pollfd out{STDERR_FILENO, POLLOUT, 0};
            if (::poll(&out, 1, 0) != 1 || (out.revents & (POLLERR | POLLHUP)) ||
                !(out.revents & POLLOUT))
                return;
            written = ::write(STDERR_FILENO, data, std::min(left, size_t(PIPE_BUF)));
            break;
        }
        case Target::None:
            return;
        }
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            // EAGAIN: nobody reads, the rest is dropped.
            if (written < 0 && errno == EPIPE && guard)
                guard->takeRaised();
            return;
        }
        data += written;
        left -= static_cast<size_t>(written);
    }
}

CORQSingleLogging::~CORQSingleLogging() = default;

const char *levelPrefix(int level)
{
    static const char *const prefixes[] = {"", "FATAL:", "E:", "W:", "", "", "", ""};
    const char *levelString = (level >= 0 && level <= 7) ? prefixes[level] : nullptr;
    ORQ_ASSERT_AT(levelString != 0, "..\\..\\..\\code\\util\\src\\ORQLogging", 189);
    return levelString;
}

CORQLogger::CORQLogger() = default;

CORQLogger::~CORQLogger()
{
    m_mutex.lock();
    writePending();
    m_mutex.unlock();
    for (CORQWriter *writer : m_writers)
        delete writer;
}

void CORQLogger::addWriter(CORQWriter *writer)
{
    m_mutex.lock();
    m_writers.push_back(writer);
    unlockAndDrain();
}

void CORQLogger::log(int lvl, const std::string &text)
{
    if (lvl > getLevel())
        return;
    // Checks the level before anything is counted: a bad level must fail as it did.
    levelPrefix(lvl);
    // Errors, fatal lines and the level-0 markers are written before this returns, as the
    // last words of a thread that may be about to end the process. The wait is bounded: the
    // holder may be this very thread, or a write that hangs.
    const bool waits = lvl <= 2 || m_pendingCount.load(std::memory_order_relaxed) >= kMaxPending;
    if (waits ? m_mutex.tryLock(kWaitMs) : m_mutex.tryLock()) {
        try {
            writePending();
            admit(lvl, text);
        } catch (...) {
            unlockAndDrain();
            throw;
        }
        unlockAndDrain();
        return;
    }
    // The holder writes it before it lets go (or whoever takes the lock next).
    auto *entry = new Pending{lvl, text, m_pending.load(std::memory_order_relaxed)};
    m_pendingCount.fetch_add(1, std::memory_order_relaxed);
    while (!m_pending.compare_exchange_weak(entry->next, entry)) {
    }
    // The holder may have looked for entries just before this one came and be letting go:
    // either it sees this entry after its unlock or this thread sees the lock free (the
    // fences pair with the one in unlockAndDrain).
    std::atomic_thread_fence(std::memory_order_seq_cst);
    if (m_mutex.tryLock())
        unlockAndDrain();
}

void CORQLogger::admit(int lvl, const std::string &text)
{
    // Failures (fatal, error, warning) that repeat are counted rather than written each
    // time; level 0 and information pass as they come.
    if (lvl == 0 || lvl > 3) {
        for (const CORQRepeatFilter::Entry &entry : m_repeats.takeQuiet())
            writeEntry(entry.level, entry.text);
        writeEntry(lvl, text);
        return;
    }
    for (const CORQRepeatFilter::Entry &entry : m_repeats.admit(lvl, text))
        writeEntry(entry.level, entry.text);
}

void CORQLogger::writePending()
{
    Pending *newest = m_pending.exchange(nullptr);
    // Oldest first, as they came.
    Pending *oldest = nullptr;
    while (newest) {
        m_pendingCount.fetch_sub(1, std::memory_order_relaxed);
        Pending *next = newest->next;
        newest->next = oldest;
        oldest = newest;
        newest = next;
    }
    while (oldest) {
        std::unique_ptr<Pending> entry(oldest);
        oldest = oldest->next;
        // Another thread's entry: what fails to be written is dropped, as a writer drops
        // what it cannot write, and the rest still go.
        try {
            admit(entry->level, entry->text);
        } catch (...) {
        }
    }
}

void CORQLogger::unlockAndDrain()
{
    // An entry left after the last look, while this thread still held the lock, would
    // otherwise wait for the next one who logs.
    for (;;) {
        m_mutex.unlock();
        std::atomic_thread_fence(std::memory_order_seq_cst);
        if (!m_pending.load() || !m_mutex.tryLock())
            return;
        writePending();
    }
}

void CORQLogger::flushRepeats()
{
    // Bounded: an end must not wait behind a writer that hangs.
    if (!m_mutex.tryLock(1000))
        return;
    // The process may end right after: what other threads left meanwhile is written now,
    // and a repeat among it is not kept back for a count that never comes.
    do {
        writePending();
        for (const CORQRepeatFilter::Entry &entry : m_repeats.takeAll())
            writeEntry(entry.level, entry.text);
        m_mutex.unlock();
        std::atomic_thread_fence(std::memory_order_seq_cst);
    } while (m_pending.load() && m_mutex.tryLock());
}

void CORQLogger::closeQuietRepeats()
{
    m_mutex.lock();
    writePending();
    for (const CORQRepeatFilter::Entry &entry : m_repeats.takeQuiet())
        writeEntry(entry.level, entry.text);
    unlockAndDrain();
}

void CORQLogger::writeEntry(int lvl, const std::string &text)
{
    const char *prefix = levelPrefix(lvl);

    // The fixed 24-character ctime layout; ctime_r does not depend on the locale.
    char timeText[32];
    std::time_t now = std::time(nullptr);
    if (!ctime_r(&now, timeText))
        timeText[0] = '\0';
    timeText[24] = '\0';

    std::string entry;
    entry.reserve(text.size() + 40);
    entry += prefix;
    entry += '\n';
    entry += timeText;
    entry += "\n: ";
    entry += text;
    for (CORQWriter *writer : m_writers)
        writer->write(lvl, entry);
}

void CORQLogger::setRepeatClock(const CORQRepeatFilter::Clock &clock)
{
    m_mutex.lock();
    writePending();
    m_repeats = CORQRepeatFilter(clock);
    unlockAndDrain();
}

void CORQLogger::setLogLevel(int newLevel)
{
    log(0, "Set LogLevel to " + std::to_string(newLevel) + "\n");
    level.store(newLevel, std::memory_order_relaxed);
}

std::string CORQExeLogging::errorLogPath(const std::string &logFilePath)
{
    const std::size_t slash = logFilePath.find_last_of('/');
    const std::size_t nameAt = slash == std::string::npos ? 0 : slash + 1;
    std::size_t dot = logFilePath.find_last_of('.');
    if (dot == std::string::npos || dot <= nameAt)
        dot = logFilePath.size();
    return logFilePath.substr(0, dot) + "_errors" + logFilePath.substr(dot);
}

CORQExeLogging::CORQExeLogging(const char *logFilePath)
{
    if (gLogger.load(std::memory_order_acquire))
        return;
    const std::string path = logFilePath ? logFilePath : "";
    auto *logger = new CORQLogger();
    // Emptied at every start, then bounded.
    logger->addWriter(new CORQFileWriter(path));
    // Errors and warnings outlive the per-batch entries and the restarts; the level-0 line
    // of each start marks where a run begins.
    logger->addWriter(
        new CORQFileWriter(errorLogPath(path), kErrorLimitBytes, kErrorKeptTurns, 3, false));
    logger->addWriter(new CORQDebugWriter());
    CORQLogger *expected = nullptr;
    if (!gLogger.compare_exchange_strong(expected, logger)) {
        delete logger;
        return;
    }
    // The logger is never destroyed; a normal exit still writes the repeats it counted.
    std::atexit([] {
        if (CORQLogger *logger = gLogger.load(std::memory_order_acquire))
            logger->flushRepeats();
    });
    // Repeats that stopped are told a minute later even when nothing else is logged. Like
    // the logger, the thread lasts as long as the process; it holds nothing that an exit
    // destroys.
    try {
        std::thread([logger] {
            pthread_setname_np(pthread_self(), "ORQ repeats");
            for (;;) {
                std::this_thread::sleep_for(std::chrono::milliseconds(kQuietCheckMs));
                logger->closeQuietRepeats();
            }
        }).detach();
    } catch (const std::system_error &) {
        // Without a thread the next entry still writes them.
    }
}

void log(int level, const std::string &text)
{
    if (CORQLogger *logger = gLogger.load(std::memory_order_acquire))
        logger->log(level, text);
}

void setLogLevel(int level)
{
    if (CORQLogger *logger = gLogger.load(std::memory_order_acquire))
        logger->setLogLevel(level);
}

std::string formatStringV(const char *format, va_list args)
{
    // Most entries fit on the stack: no large buffer to allocate and clear for each.
    char small[1024];
    va_list first;
    va_copy(first, args);
    const int length = std::vsnprintf(small, sizeof small, format, first);
    va_end(first);
    if (length < 0)
        return std::string(format ? format : "");
    if (static_cast<size_t>(length) < sizeof small)
        return std::string(small, static_cast<size_t>(length));
    std::string buffer(static_cast<size_t>(length) + 1, '\0');
    for (;;) {
        va_list attempt;
        va_copy(attempt, args);
        int written = std::vsnprintf(&buffer[0], buffer.size(), format, attempt);
        va_end(attempt);
        if (written < 0) {
            // Here a negative result is an encoding error, never a short buffer: growing
            // would only fill gigabytes. The format itself still says what was meant.
            return std::string(format ? format : "");
        }
        if (static_cast<size_t>(written) >= buffer.size()) {
            buffer.resize(static_cast<size_t>(written) + 1);
            continue;
        }
        buffer.resize(static_cast<size_t>(written));
        return buffer;
    }
}

std::string formatString(const char *format, ...)
{
    va_list args;
    va_start(args, format);
    std::string text = formatStringV(format, args);
    va_end(args);
    return text;
}

} // namespace ORQ
