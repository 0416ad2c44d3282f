#include "HtmlToPdf.h"

#include "ChildSpawn.h"
#include "ORQLogging.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>
#include <vector>

extern char **environ;

namespace {

// Enough for the converter's one-line reason; more is read and dropped.
constexpr int kErrorTextCap = 4096;

} // namespace

const char *const HtmlToPdf::kConverterName = "KivHtml2Pdf.exe";

HtmlToPdf::HtmlToPdf() = default;

HtmlToPdf::HtmlToPdf(const QString &programPath) : m_programPath(programPath) {}

HtmlToPdf::HtmlToPdf(HtmlToPdf &&other) noexcept
{
    swap(other);
}

HtmlToPdf &HtmlToPdf::operator=(HtmlToPdf &&other) noexcept
{
    // The converter this object held goes with `taken`.
    HtmlToPdf taken(std::move(other));
    swap(taken);
    return *this;
}

void HtmlToPdf::swap(HtmlToPdf &other) noexcept
{
    std::swap(m_programPath, other.m_programPath);
    std::swap(m_started, other.m_started);
    std::swap(m_pid, other.m_pid);
    std::swap(m_ended, other.m_ended);
    std::swap(m_exitCode, other.m_exitCode);
    std::swap(m_errorFd, other.m_errorFd);
    std::swap(m_errorText, other.m_errorText);
}

HtmlToPdf::~HtmlToPdf()
{
    terminate();
    closeErrorPipe();
}

QString HtmlToPdf::defaultProgramPath()
{
    return QDir::cleanPath(QCoreApplication::applicationDirPath() + QDir::separator() +
                           QLatin1String(kConverterName));
}

bool HtmlToPdf::start(const QString &xmlPath, const QString &xslPath, const QString &tmpPath,
                      const QString &pdfPath)
{
    if (m_started)
        return false;
    const QString program = m_programPath.isEmpty() ? defaultProgramPath() : m_programPath;
    const QByteArray programBytes = QFile::encodeName(program);
    const std::vector<QByteArray> arguments = {
        programBytes,           QByteArrayLiteral("--input"), QFile::encodeName(xmlPath),
        QFile::encodeName(xslPath), QByteArrayLiteral("--output"), QFile::encodeName(tmpPath),
        QFile::encodeName(pdfPath)};
    std::vector<char *> argv;
    for (const QByteArray &argument : arguments)
        argv.push_back(const_cast<char *>(argument.constData()));
    argv.push_back(nullptr);

    int errorPipe[2] = {-1, -1};
    if (pipe2(errorPipe, O_CLOEXEC) != 0) {
        KIV_LOG(2, "HtmlToPdf: no pipe for the converter's messages: %s\n", std::strerror(errno));
        return false;
    }
    SpawnActions actions;
    SpawnAttributes attributes;
    const bool prepared =
        prepareQuietChild(actions, attributes) &&
        posix_spawn_file_actions_addopen(actions.get(), 1, "/dev/null", O_WRONLY, 0) == 0 &&
        posix_spawn_file_actions_adddup2(actions.get(), errorPipe[1], 2) == 0;
    pid_t pid = -1;
    const int rc = prepared ? posix_spawn(&pid, programBytes.constData(), actions.get(),
                                          attributes.get(), argv.data(), environ)
                            : ENOMEM;
    close(errorPipe[1]);
    if (rc != 0) {
        close(errorPipe[0]);
        KIV_LOG(2, "HtmlToPdf: cannot start %s: %s\n", programBytes.constData(),
                std::strerror(rc));
        return false;
    }
    fcntl(errorPipe[0], F_SETFL, fcntl(errorPipe[0], F_GETFL) | O_NONBLOCK);
    m_errorFd = errorPipe[0];
    m_pid = pid;
    m_started = true;
    m_ended = false;
    m_exitCode = kUnknown;
    return true;
}

void HtmlToPdf::poll()
{
    if (!m_started || m_ended)
        return;
    readErrors();
    int status = 0;
    const pid_t reaped = waitpid(m_pid, &status, WNOHANG);
    if (reaped == 0 || (reaped < 0 && errno == EINTR))
        return;
    if (reaped < 0) {
        // Someone else reaped it: it has ended, with a code nobody can tell.
        m_ended = true;
        m_exitCode = kUnknown;
        m_pid = -1;
        closeErrorPipe();
        return;
    }
    settle(status);
}

void HtmlToPdf::settle(int status)
{
    m_ended = true;
    m_pid = -1;
    if (WIFEXITED(status))
        m_exitCode = WEXITSTATUS(status);
    else if (WIFSIGNALED(status))
        m_exitCode = 128 + WTERMSIG(status);
    else
        m_exitCode = kUnknown;
    readErrors();
    closeErrorPipe();
    if (m_exitCode != 0)
        KIV_LOG(2, "HtmlToPdf: the converter ended with %d: %s\n", m_exitCode,
                m_errorText.trimmed().constData());
}

void HtmlToPdf::readErrors()
{
    if (m_errorFd < 0)
        return;
    char buffer[1024];
    for (;;) {
        const ssize_t got = read(m_errorFd, buffer, sizeof buffer);
        if (got > 0) {
            const int room = kErrorTextCap - m_errorText.size();
            if (room > 0)
                m_errorText.append(buffer, static_cast<int>(std::min<ssize_t>(got, room)));
            continue;
        }
        if (got < 0 && errno == EINTR)
            continue;
        // Nothing more for now (EAGAIN), or the converter closed its side.
        if (got == 0)
            closeErrorPipe();
        return;
    }
}

void HtmlToPdf::closeErrorPipe()
{
    if (m_errorFd >= 0) {
        close(m_errorFd);
        m_errorFd = -1;
    }
}

bool HtmlToPdf::isFinished()
{
    poll();
    return m_started && m_ended;
}

int HtmlToPdf::getExitCode()
{
    poll();
    return m_exitCode;
}

bool HtmlToPdf::terminate()
{
    poll();
    if (!m_started || m_ended || m_pid <= 0)
        return false;
    kill(m_pid, SIGKILL);
    int status = 0;
    pid_t reaped;
    do {
        reaped = waitpid(m_pid, &status, 0);
    } while (reaped < 0 && errno == EINTR);
    m_ended = true;
    m_pid = -1;
    m_exitCode = kTerminated;
    closeErrorPipe();
    return true;
}
