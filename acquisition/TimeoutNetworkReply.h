#pragma once

#include <QElapsedTimer>

#include <memory>

class NetworkLink;
class QNetworkReply;

// A reply in flight with its allowed duration. Deleting the watcher releases the reply on
// the network thread; the reply itself is never touched here.
class TimeoutNetworkReply
{
public:
    TimeoutNetworkReply(QNetworkReply *reply, int timeoutMs, std::shared_ptr<NetworkLink> link);
    ~TimeoutNetworkReply();
    TimeoutNetworkReply(const TimeoutNetworkReply &) = delete;
    TimeoutNetworkReply &operator=(const TimeoutNetworkReply &) = delete;

    QNetworkReply *getReply() const { return m_reply; }
    int getTimeoutMs() const { return m_timeoutMs; }
    bool isTimedOut() const { return m_clock.elapsed() > m_timeoutMs; }
    qint64 msUntilTimedOut() const { return qMax<qint64>(0, m_timeoutMs + 1 - m_clock.elapsed()); }

private:
    QNetworkReply *m_reply;
    int m_timeoutMs;
    QElapsedTimer m_clock;
    std::shared_ptr<NetworkLink> m_link;
};
