#pragma once

#include "SMTPRequest.h"

#include <QElapsedTimer>
#include <QString>

#include <atomic>

// Carries one e-mail from its first send attempt to success or to its overall time-out.
// Used only on the worker thread that made it, which steps it every pass: each step makes
// at most one attempt, and attempts are retryInterval ms apart (counted from the end of the
// previous one). Times are taken from a monotonic clock, so a change of the wall clock
// neither ends a task early nor keeps it alive.
class SMTPTask
{
public:
    static const char *const kLogoPath;
    static const char *const kLogoContentId;

    SMTPTask(const SMTPRequest &request, qint64 overallTimeout, qint64 retryInterval);
    virtual ~SMTPTask();
    SMTPTask(const SMTPTask &) = delete;
    SMTPTask &operator=(const SMTPTask &) = delete;

    // Nothing once the task has finished.
    void step();
    bool isSucceeded() const { return m_succeeded; }
    bool isFailed() const { return m_failed; }
    bool isFinished() const { return m_succeeded || m_failed; }
    // Empty until the task has finished.
    QString getResultMessage() const { return m_resultMessage; }
    // Why the last attempt failed, in words for the user; empty when none failed.
    QString getFailureReason() const { return m_failureReason; }
    const SMTPRequest &getRequest() const { return m_request; }

    // One attempt: a fresh connection, AUTH when user and password are both set, the mail,
    // QUIT. False when the connection type is unknown or any step failed.
    bool perform();

    // The flag (the worker's stop flag) ends a running attempt early; it must outlive the
    // task.
    void setCancelFlag(const std::atomic<bool> *flag) { m_cancel = flag; }

private:
    SMTPRequest m_request;
    qint64 m_overallTimeout;
    qint64 m_retryInterval;
    bool m_started = false;
    bool m_succeeded = false;
    bool m_failed = false;
    QString m_resultMessage;
    QString m_failureReason;
    // Started at the first step; the other times are read from it.
    QElapsedTimer m_clock;
    // End of the last attempt, -1 before the first one.
    qint64 m_lastAttemptEnd = -1;
    const std::atomic<bool> *m_cancel = nullptr;
};
