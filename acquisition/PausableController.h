#pragma once

#include "core/CommandQueue.h"
#include "core/KivThread.h"
#include "core/LoopWaker.h"

#include <algorithm>
#include <atomic>

// A worker thread with its own command queue, steered by flags: pausing drops what was
// queued, and the stop flag wins over the pause flag. Built paused; takes commands from the
// moment it is unpaused, so that what is posted right after unpausing is not lost while the
// thread has yet to notice.
// Between rounds the thread sleeps until there is work: a command, a flag, or the next duty
// the subclass reports (msUntilNextDuty). A busy controller still runs a round every 10 ms.
class PausableController : public KivThread, public CommandQueue
{
    Q_OBJECT
public:
    enum LoopState { StateCreated = 0, StateRunning = 1, StatePaused = 2, StateFinished = 3 };

    // The regular pace of a controller with work in every round.
    static constexpr qint64 kLoopSleepMs = 10;
    // The longest sleep without a command or a flag: state that other threads change without
    // waking (a configuration read every so often) is seen this late at most.
    static constexpr qint64 kMaxIdleSleepMs = 5000;

    void stop();
    void pause();
    void unpause();
    // The thread runs its next round now instead of at its next duty; any thread.
    void wake();
    bool isFinished() const;
    bool isPaused() const { return m_loopState.load() == StatePaused; }
    int getLoopState() const { return m_loopState.load(); }

    // One round of the loop.
    void step();
    // How long the thread sleeps after this round unless woken (ms).
    qint64 sleepBeforeNextRound() const;

protected:
    PausableController(int queueCapacity, QObject *parent);

    void loop() override;
    bool acceptsCommands() override;

    // One round while running and neither paused nor stopped.
    virtual void workingCycle() = 0;
    // On the thread, as the loop runs again after a pause (commands taken meanwhile were
    // dropped).
    virtual void onResumed() {}
    // Once, when the stop flag ends the loop; the queue is already empty.
    virtual void onStopped() {}
    // On the thread, after the last round.
    virtual void onLoopEnded() {}
    // processCommands(), with a log line for whatever it throws.
    void runCommands();
    // When the next working round is due without a command or a flag, asked after each
    // round: -1 not before one, 0 at the regular pace, n in n ms. The default keeps the
    // regular pace.
    virtual qint64 msUntilNextDuty() const { return 0; }
    void onCommandQueued(int) override { wake(); }
    // The sooner of two such due times.
    static qint64 soonerDuty(qint64 a, qint64 b) { return a < 0 ? b : b < 0 ? a : std::min(a, b); }

private:
    void finishLoop();

    std::atomic<int> m_loopState{StatePaused};
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_pause{true};
    LoopWaker m_waker;
};
