#pragma once

#include <KivThread.h>

#include <atomic>

// The network thread: an event loop that owns the process's network access.
class NUVNetworkAccessManager : public KivThread
{
    Q_OBJECT
public:
    explicit NUVNetworkAccessManager(QObject *parent);
    ~NUVNetworkAccessManager() override;

    // True once the event loop runs.
    bool isStarted() const { return m_started; }
    // Any thread: drops the connections and ends the event loop.
    void stop();

public slots:
    void onExecStart();

protected:
    void loop() override;

private:
    std::atomic<bool> m_started{false};
};
