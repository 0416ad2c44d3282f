#pragma once

#include "core/CommandQueue.h"
#include "core/KivThread.h"

#include <atomic>

// A worker thread with its own command queue, stepped every 10 ms and steered by flags:
// pausing drops what was queued, and the stop flag wins over the pause flag. Built paused;
// takes commands from the moment it is unpaused, so that what is posted right after
// unpausing is not lost while the thread has yet to notice.
class PausableController : public KivThread, public CommandQueue
{
    Q_OBJECT
public:
    enum LoopState { StateCreated = 0, StateRunning = 1, StatePaused = 2, StateFinished = 3 };

    void stop() { m_stop = true; }
    void pause() { m_pause = true; }
    void unpause() { m_pause = false; }
    bool isFinished() const;
    bool isPaused() const { return m_loopState.load() == StatePaused; }
    int getLoopState() const { return m_loopState.load(); }

    // One round of the loop; the thread calls it every 10 ms.
    void step();

protected:
    PausableController(int queueCapacity, QObject *parent);

    void loop() override;
    bool acceptsCommands() override;

    // One round while running and neither paused nor stopped.
    virtual void workingCycle() = 0;
    // Once, when the stop flag ends the loop; the queue is already empty.
    virtual void onStopped() {}
    // On the thread, after the last round.
    virtual void onLoopEnded() {}
    // processCommands(), with a log line for whatever it throws.
    void runCommands();

private:
    void finishLoop();

    std::atomic<int> m_loopState{StatePaused};
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_pause{true};
};
