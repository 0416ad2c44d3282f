#pragma once

#include "ORQException.h"
#include "ORQRepeatFilter.h"

#include <QMutex>

#include <atomic>
#include <chrono>
#include <cstdarg>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

namespace ORQ {

class CORQWriter
{
public:
    virtual ~CORQWriter();
    virtual void write(int level, const std::string &text) = 0;
};

// Writes every entry into a stream and flushes it, so the file is complete when the
// process is terminated.
class CORQStreamWriter : public CORQWriter
{
public:
    CORQStreamWriter(std::ostream *stream, bool owns);
    ~CORQStreamWriter() override;
    void write(int level, const std::string &text) override;

private:
    std::ostream *m_stream;
    bool m_owns;
};

// The log file, bounded: an entry that would take it past the limit first moves it to
// "<path>.1" (older turns move on to "<path>.2" and so on, the oldest one kept is replaced)
// and starts it anew, so a program that runs for months keeps at most (kept + 1) times the
// limit. Flushed after every entry, like the stream writer. A file that could not be opened
// is tried again now and then: entries are lost meanwhile, nothing waits.
class CORQFileWriter : public CORQWriter
{
public:
    static constexpr std::uint64_t kDefaultLimitBytes = 10 * 1024 * 1024;

    // Takes the entries up to `maxLevel`. `emptyAtStart`: emptied, as every start does to
    // log.txt; otherwise the entries of earlier runs stay and the file goes on after them.
    explicit CORQFileWriter(const std::string &path, std::uint64_t limitBytes = kDefaultLimitBytes,
                            int keptTurns = 1, int maxLevel = 7, bool emptyAtStart = true);
    ~CORQFileWriter() override;
    void write(int level, const std::string &text) override;

private:
    void rotate();
    bool ensureOpen();

    std::string m_path;
    std::uint64_t m_limit;
    int m_keptTurns;
    int m_maxLevel;
    std::uint64_t m_size = 0;
    std::ofstream m_stream;
    std::chrono::steady_clock::time_point m_lastOpenAttempt;
};

// The debugger output of this platform: standard error. It never waits: a stderr that
// nobody reads gets what fits and loses the rest, and a reader that went away ends
// nothing (no SIGPIPE). The log file keeps every entry whole.
class CORQDebugWriter : public CORQWriter
{
public:
    CORQDebugWriter();
    ~CORQDebugWriter() override;
    CORQDebugWriter(const CORQDebugWriter &) = delete;
    CORQDebugWriter &operator=(const CORQDebugWriter &) = delete;
    void write(int level, const std::string &text) override;

private:
    enum class Target { None, Own, Socket, Plain, Polled };
    Target m_target = Target::None;
    // stderr opened again without blocking, so that stderr's own flags (shared with the
    // shell and other processes) stay untouched; -1 when not used.
    int m_fd = -1;
    // Only a pipe raises SIGPIPE: the signal mask is set around writes to a pipe alone.
    bool m_pipe = false;
};

// The process-wide logger. Created by the first CORQExeLogging and never destroyed.
class CORQLogger
{
public:
    CORQLogger();
    virtual ~CORQLogger();

    void log(int level, const std::string &text);
    void setLogLevel(int level);
    int getLevel() const { return level.load(std::memory_order_relaxed); }
    void addWriter(CORQWriter *writer);
    // Tests step the clock that decides when a repeated entry is written again.
    void setRepeatClock(const CORQRepeatFilter::Clock &clock);
    // Writes the repeats counted but not yet written; at the end of the process.
    void flushRepeats();
    // Writes the closing entries of repeats that stopped a minute ago, also when nothing else
    // is logged; the set-up calls it every few seconds.
    void closeQuietRepeats();

    // Threshold; call sites read it before they format anything.
    std::atomic<int> level{1};

private:
    struct Pending
    {
        int level;
        std::string text;
        Pending *next;
    };

    // Under m_mutex.
    void admit(int level, const std::string &text);
    void writeEntry(int level, const std::string &text);
    // Under m_mutex: writes what other threads left while the lock was held.
    void writePending();
    // Unlocks, then takes over what was left meanwhile, as long as nobody else holds it.
    void unlockAndDrain();

    QMutex m_mutex;
    std::vector<CORQWriter *> m_writers;
    CORQRepeatFilter m_repeats;
    // Entries of threads that found the lock taken, newest first: the holder writes them
    // before it lets go, so that twenty threads logging at one moment do not each sleep
    // and wake on the lock.
    std::atomic<Pending *> m_pending{nullptr};
    // Behind a write that hangs, threads wait for the lock (a second at most each time)
    // rather than pile their entries up in memory at full speed.
    static constexpr int kMaxPending = 10000;
    static constexpr int kWaitMs = 1000;
    std::atomic<int> m_pendingCount{0};
};

// The one global logger; null before the set-up.
extern std::atomic<CORQLogger *> gLogger;

class CORQSingleLogging
{
public:
    virtual ~CORQSingleLogging();
};

// Set-up object: creates the logger with a file writer, a second file writer that keeps
// only errors and warnings (and level 0) for days, and a debug writer. A second set-up
// leaves the existing logger alone.
class CORQExeLogging : public CORQSingleLogging
{
public:
    // The error file: 4 MB a turn, itself and four older turns, so at most 20 MB and at
    // least the last 16 MB of errors and warnings. The repeat filter writes a text at most
    // once a minute: 20 audiogroups failing all the time log about 3 MB a day, five days in
    // 16 MB, while log.txt, full of the per-batch entries, turns over within hours.
    static constexpr std::uint64_t kErrorLimitBytes = 4 * 1024 * 1024;
    static constexpr int kErrorKeptTurns = 4;
    // How often repeats that stopped are looked for.
    static constexpr int kQuietCheckMs = 5000;

    explicit CORQExeLogging(const char *logFilePath);

    // "log_errors.txt" beside "log.txt": the path's name, less its extension, "_errors" and
    // the extension.
    static std::string errorLogPath(const std::string &logFilePath);
};

// Threshold of the global logger, -1 when there is none (nothing is then written).
inline int logLevel()
{
    CORQLogger *logger = gLogger.load(std::memory_order_acquire);
    return logger ? logger->getLevel() : -1;
}

void log(int level, const std::string &text);
void setLogLevel(int level);

// printf-style formatting into a string of any length.
std::string formatString(const char *format, ...) __attribute__((format(printf, 1, 2)));
std::string formatStringV(const char *format, va_list args);

// The entry's prefix for a level; throws ORQAssertException outside 0..7.
const char *levelPrefix(int level);

} // namespace ORQ

// Tests the threshold first, so suppressed lines cost one comparison.
#define KIV_LOG(lvl, ...)                                                                          \
    do {                                                                                           \
        if (ORQ::logLevel() >= (lvl))                                                              \
            ORQ::log((lvl), ORQ::formatString(__VA_ARGS__));                                       \
    } while (0)
