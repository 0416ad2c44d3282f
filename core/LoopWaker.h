#pragma once

#include <QtGlobal>

#include <condition_variable>
#include <mutex>

// What a worker loop sleeps on between rounds: the thread waits until another thread wakes
// it (a command, a stop) or its next duty is due. A wake that comes while the thread is busy
// is kept for its next wait, so none is lost.
class LoopWaker
{
public:
    // Any thread.
    void wake();
    // The loop's thread: returns when woken or after ms; takes the wake.
    void waitFor(qint64 ms);

private:
    std::mutex m_mutex;
    std::condition_variable m_condition;
    bool m_woken = false;
};
