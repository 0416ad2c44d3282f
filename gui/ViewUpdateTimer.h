#pragma once

#include <QObject>
#include <QTimer>

#include <utility>

// The refresh timer of a view controller. The timer lives on the GUI thread and runs the
// controller's update slot there (direct connection), whatever thread the controller
// object belongs to; start and stop may be called from any thread.
class ViewUpdateTimer : public QObject
{
    Q_OBJECT
public:
    explicit ViewUpdateTimer(QObject *parent = nullptr);
    ~ViewUpdateTimer() override;

    // Moves the timer to the GUI thread, sets its interval and connects its timeout to the
    // update slot. Call once, from the thread the timer currently belongs to.
    template <typename Receiver, typename Slot>
    void init(int intervalMs, const Receiver *receiver, Slot slot)
    {
        prepare(intervalMs);
        connect(&m_timer, &QTimer::timeout, receiver, slot, Qt::DirectConnection);
    }

    // Queued to the timer's thread: the timer starts (stops) when the GUI thread next runs
    // its event loop.
    void start();
    void stop();
    // Returns once the timer has stopped: directly on the GUI thread, else through a
    // blocking-queued signal, which needs the GUI thread to run its event loop.
    void stopAndWait();

    // Timer thread only: one timeout after ms, in place of any armed before.
    void startOnce(int ms);
    // Timer thread only: ms until the armed timeout; -1 when none is armed.
    int remainingTime() const { return m_timer.remainingTime(); }
    // Any thread: fn runs on the timer's thread, queued.
    template <typename Fn> void post(Fn fn)
    {
        QMetaObject::invokeMethod(&m_timer, std::move(fn), Qt::QueuedConnection);
    }

    bool isActive() const { return m_timer.isActive(); }
    int interval() const { return m_timer.interval(); }

signals:
    void killUpdateTimer();

private:
    void prepare(int intervalMs);

    QTimer m_timer; // no parent, so that it can move to the GUI thread on its own
};
