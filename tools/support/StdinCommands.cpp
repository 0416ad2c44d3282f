#include "StdinCommands.h"

#include <cerrno>

#include <unistd.h>

namespace {

// A background job that reads its terminal is stopped by the shell.
bool inBackground()
{
    return ::isatty(STDIN_FILENO) && ::tcgetpgrp(STDIN_FILENO) != ::getpgrp();
}

} // namespace

StdinCommands::StdinCommands(QObject *parent)
    : QObject(parent), m_notifier(STDIN_FILENO, QSocketNotifier::Read)
{
    m_notifier.setEnabled(!inBackground());
    connect(&m_notifier, &QSocketNotifier::activated, this, &StdinCommands::onActivated);
}

StdinCommands::~StdinCommands() = default;

void StdinCommands::onActivated()
{
    if (inBackground()) {
        m_notifier.setEnabled(false);
        return;
    }
    char chunk[4096];
    const ssize_t n = ::read(STDIN_FILENO, chunk, sizeof chunk);
    if (n < 0 && (errno == EINTR || errno == EAGAIN))
        return;
    if (n <= 0) {
        // End of input (as from /dev/null): stop watching it.
        m_notifier.setEnabled(false);
        return;
    }
    m_pending.append(chunk, int(n));
    for (int end = m_pending.indexOf('\n'); end >= 0; end = m_pending.indexOf('\n')) {
        const QByteArray line = m_pending.left(end);
        m_pending.remove(0, end + 1);
        emit lineReceived(QString::fromUtf8(line));
    }
}
