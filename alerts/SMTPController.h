#pragma once

#include <KivThread.h>

#include <atomic>

// Base of the e-mail worker threads: a loop of passes until its stop flag is set.
class SMTPController : public KivThread
{
    Q_OBJECT
public:
    explicit SMTPController(int passMs);
    ~SMTPController() override;

    void stop();
    // The thread is not running and its loop is not entered (also when never started).
    bool isStopped() const;

protected:
    void loop() override;
    // One pass of the worker.
    virtual void step();

private:
    const int m_passMs;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_inLoop{false};
};
