#include "SMTPController.h"

#include "SMTPTask.h"

#include <ORQLogging.h>

#include <exception>

SMTPController::SMTPController(qint64 overallTimeout, qint64 retryInterval)
    : KivThread(nullptr), m_overallTimeout(overallTimeout), m_retryInterval(retryInterval)
{
}

// A task left unfinished at the stop is dropped with the worker.
SMTPController::~SMTPController() = default;

void SMTPController::stop()
{
    m_stop = true;
    m_waker.wake();
}

bool SMTPController::isStopped() const
{
    return !isRunning() && !m_inLoop;
}

void SMTPController::setTaskTimeouts(qint64 overallTimeout, qint64 retryInterval)
{
    m_overallTimeout = overallTimeout;
    m_retryInterval = retryInterval;
}

void SMTPController::holdTask(const SMTPRequest &request)
{
    holdTask(request, m_overallTimeout);
}

void SMTPController::taskFinished(const SMTPTask &) {}

void SMTPController::holdTask(const SMTPRequest &request, qint64 overallTimeout)
{
    m_task = std::make_unique<SMTPTask>(request, overallTimeout, m_retryInterval);
    // A stop ends an attempt that waits on a slow or silent server.
    m_task->setCancelFlag(&m_stop);
}

void SMTPController::loop()
{
    m_inLoop = true;
    while (!m_stop) {
        try {
            pass();
        } catch (const std::exception &e) {
            KIV_LOG(2, "Exception in SMTP controller: %s\n", e.what());
            m_task.reset();
        }
        m_waker.waitFor(m_task ? kPassMs : kIdlePassMs);
    }
    m_inLoop = false;
}

void SMTPController::pass()
{
    if (m_task && !m_task->isFinished()) {
        m_task->step();
        return;
    }
    if (m_task) {
        KIV_LOG(4, "%s\n", qUtf8Printable(m_task->getResultMessage()));
        taskFinished(*m_task);
        m_task.reset();
    }
    takeNextRequest();
}
