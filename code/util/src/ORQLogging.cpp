#include "ORQLogging.h"

#include <QMutexLocker>

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <iostream>
#include <poll.h>
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

void CORQDebugWriter::write(int, const std::string &text)
{
    // A stderr that nobody reads (a pipe left full) must not stop every thread that logs, the
    // GUI thread included: the entry is in the log file already, so here it is dropped.
    const char *data = text.data();
    size_t left = text.size();
    while (left > 0) {
        pollfd out{STDERR_FILENO, POLLOUT, 0};
        if (::poll(&out, 1, 0) != 1 || !(out.revents & POLLOUT))
            return;
        const ssize_t written = ::write(STDERR_FILENO, data, left);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return;
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
    for (CORQWriter *writer : m_writers)
        delete writer;
}

void CORQLogger::addWriter(CORQWriter *writer)
{
    QMutexLocker lock(&m_mutex);
    m_writers.push_back(writer);
}

void CORQLogger::log(int lvl, const std::string &text)
{
    if (lvl > getLevel())
        return;
    QMutexLocker lock(&m_mutex);
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

void CORQLogger::setLogLevel(int newLevel)
{
    log(0, "Set LogLevel to " + std::to_string(newLevel) + "\n");
    level.store(newLevel, std::memory_order_relaxed);
}

CORQExeLogging::CORQExeLogging(const char *logFilePath)
{
    if (gLogger.load(std::memory_order_acquire))
        return;
    auto *logger = new CORQLogger();
    // Emptied at every start; a stream that failed to open simply writes nothing.
    auto *file = new std::ofstream(logFilePath ? logFilePath : "", std::ios::out | std::ios::trunc);
    logger->addWriter(new CORQStreamWriter(file, true));
    logger->addWriter(new CORQDebugWriter());
    CORQLogger *expected = nullptr;
    if (!gLogger.compare_exchange_strong(expected, logger))
        delete logger;
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
    std::string buffer(32768, '\0');
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
