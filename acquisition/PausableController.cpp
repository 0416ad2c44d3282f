#include "PausableController.h"

#include <ORQLogging.h>

#include <algorithm>
#include <exception>

PausableController::PausableController(int queueCapacity, QObject *parent)
    : KivThread(parent), CommandQueue(queueCapacity)
{
}

void PausableController::stop()
{
    m_stop = true;
    wake();
}

void PausableController::pause()
{
    m_pause = true;
    wake();
}

void PausableController::unpause()
{
    m_pause = false;
    wake();
}

void PausableController::wake()
{
    m_waker.wake();
}

qint64 PausableController::sleepBeforeNextRound() const
{
    switch (m_loopState.load()) {
    case StateRunning: {
        // A flag set meanwhile has woken the thread already.
        const qint64 due = msUntilNextDuty();
        if (due < 0)
            return kMaxIdleSleepMs;
        if (due == 0)
            return kLoopSleepMs;
        return std::min(due, kMaxIdleSleepMs);
    }
    case StatePaused:
        // Only a flag or a command (to be dropped) changes anything.
        return kMaxIdleSleepMs;
    default:
        return kLoopSleepMs;
    }
}

bool PausableController::isFinished() const
{
    if (isRunning())
        return false;
    // A thread that never started has nothing left to finish.
    if (!QThread::isFinished())
        return true;
    const int state = m_loopState.load();
    return state == StateCreated || state == StateFinished;
}

bool PausableController::acceptsCommands()
{
    // The flags, not the loop state: between unpause() and the thread's next round the
    // state still says paused, and a command refused then would be lost.
    return !m_stop.load() && !m_pause.load() && m_loopState.load() != StateFinished;
}

void PausableController::loop()
{
    KIV_LOG(4, "Started running the %s thread\n", qUtf8Printable(commandQueueName()));
    step();
    while (m_loopState.load() != StateFinished) {
        m_waker.waitFor(sleepBeforeNextRound());
        step();
    }
    onLoopEnded();
    KIV_LOG(4, "%s loop ended\n", qUtf8Printable(commandQueueName()));
}

void PausableController::runCommands()
{
    try {
        processCommands();
    } catch (const std::exception &e) {
        KIV_LOG(2, "Exception when handling commands in %s: %s\n",
                qUtf8Printable(commandQueueName()), e.what());
    }
}

void PausableController::finishLoop()
{
    m_loopState = StateFinished;
    clearCommands();
    onStopped();
}

void PausableController::step()
{
    switch (m_loopState.load()) {
    case StateCreated:
        m_loopState = StateRunning;
        break;
    case StateRunning:
        if (m_stop.load()) {
            finishLoop();
        } else if (m_pause.load()) {
            m_loopState = StatePaused;
            // Not a plain clear: a command taken after an unpause in the meantime stays.
            clearCommandsIfRefusing();
        } else {
            workingCycle();
        }
        break;
    case StatePaused:
        if (m_stop.load())
            finishLoop();
        else if (!m_pause.load()) {
            m_loopState = StateRunning;
            onResumed();
        }
        else if (queuedCount() > 0)
            clearCommandsIfRefusing(); // taken during an unpause the thread never saw
        break;
    case StateFinished:
        break;
    default:
        KIV_LOG(2, "%s unknown state; closing controller\n", qUtf8Printable(commandQueueName()));
        m_loopState = StateFinished;
        clearCommands();
        break;
    }
}
