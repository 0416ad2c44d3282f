#pragma once

#include <KivThread.h>
#include <LoopWaker.h>

#include <atomic>
#include <memory>

class SMTPRequest;
class SMTPTask;

// Base of the e-mail worker threads. Each pass steps the held task until it has finished,
// logs its result and drops it, or takes the next request when idle. A pass every kPassMs
// while a task is held; an idle worker sleeps until woken (a request queued, a stop), at
// most kIdlePassMs.
class SMTPController : public KivThread
{
    Q_OBJECT
public:
    static constexpr int kPassMs = 500;
    static constexpr int kIdlePassMs = 60000;

    // The time-outs of the tasks this worker makes (ms).
    SMTPController(qint64 overallTimeout, qint64 retryInterval);
    ~SMTPController() override;

    void stop();
    // The next pass runs now; any thread.
    void wake() { m_waker.wake(); }
    // The thread is not running and its loop is not entered (also when never started).
    bool isStopped() const;

    // For the tasks made from now on; a test shortens them before the thread starts.
    void setTaskTimeouts(qint64 overallTimeout, qint64 retryInterval);
    qint64 getOverallTimeout() const { return m_overallTimeout; }
    qint64 getRetryInterval() const { return m_retryInterval; }

protected:
    void loop() override;
    // Takes the next request, if one waits, and holds a task for it (holdTask).
    virtual void takeNextRequest() = 0;
    // Replaces the held task by a new one for the request, with the worker's time-outs or a
    // shorter overall one.
    void holdTask(const SMTPRequest &request);
    void holdTask(const SMTPRequest &request, qint64 overallTimeout);
    // The held task has finished (and is logged); called on the worker thread before it is
    // dropped.
    virtual void taskFinished(const SMTPTask &task);

private:
    void pass();

    std::atomic<qint64> m_overallTimeout;
    std::atomic<qint64> m_retryInterval;
    std::unique_ptr<SMTPTask> m_task;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_inLoop{false};
    LoopWaker m_waker;
};
