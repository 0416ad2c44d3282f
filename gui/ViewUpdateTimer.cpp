#include "ViewUpdateTimer.h"

#include <QCoreApplication>
#include <QThread>

ViewUpdateTimer::ViewUpdateTimer(QObject *parent) : QObject(parent) {}

ViewUpdateTimer::~ViewUpdateTimer() = default;

void ViewUpdateTimer::prepare(int intervalMs)
{
    if (QCoreApplication *app = QCoreApplication::instance())
        m_timer.moveToThread(app->thread());
    m_timer.setInterval(intervalMs);
    connect(this, &ViewUpdateTimer::killUpdateTimer, &m_timer, &QTimer::stop,
            static_cast<Qt::ConnectionType>(Qt::BlockingQueuedConnection | Qt::UniqueConnection));
}

void ViewUpdateTimer::start()
{
    QMetaObject::invokeMethod(&m_timer, "start", Qt::QueuedConnection);
}

void ViewUpdateTimer::stop()
{
    QMetaObject::invokeMethod(&m_timer, "stop", Qt::QueuedConnection);
}

void ViewUpdateTimer::startOnce(int ms)
{
    // A light turns when its bound passes, not a twentieth of the wait later.
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setSingleShot(true);
    m_timer.start(ms);
}

void ViewUpdateTimer::stopAndWait()
{
    // A blocking-queued emission from the timer's own thread would wait for itself.
    if (QThread::currentThread() == m_timer.thread())
        m_timer.stop();
    else
        emit killUpdateTimer();
}
