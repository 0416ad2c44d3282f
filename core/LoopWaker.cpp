#include "LoopWaker.h"

#include <chrono>

void LoopWaker::wake()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_woken = true;
    }
    m_condition.notify_one();
}

void LoopWaker::waitFor(qint64 ms)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    if (ms > 0)
        m_condition.wait_for(lock, std::chrono::milliseconds(ms), [this] { return m_woken; });
    m_woken = false;
}
