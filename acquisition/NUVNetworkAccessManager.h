#pragma once

#include "core/KivThread.h"

#include <QList>
#include <QMutex>
#include <QWaitCondition>

#include <atomic>
#include <functional>
#include <memory>

class QByteArray;
class MeterHttpClient;
class QNetworkReply;
class QNetworkRequest;

// The door to the network thread, shared by the thread object and every interface that
// holds a reply, so that a reply can still be released after the thread object is gone.
// Every reply lives, finishes, is aborted and is deleted on the network thread.
class NetworkLink : public std::enable_shared_from_this<NetworkLink>
{
public:
    // Runs on the network thread right after the post, before the event loop can deliver
    // any signal of the reply: connect to it here and no finished() is missed.
    using PostedHook = std::function<void(QNetworkReply *)>;

    NetworkLink();
    ~NetworkLink();
    NetworkLink(const NetworkLink &) = delete;
    NetworkLink &operator=(const NetworkLink &) = delete;

    // Posts on the network thread and waits until the post has been made. Null while the
    // thread's loop does not run: before it started, once it was told to stop (also for a
    // caller that was waiting at that moment).
    QNetworkReply *postBlocking(const QNetworkRequest &request, const QByteArray &body,
                                const PostedHook &onPosted = PostedHook());
    // Posts on the network thread without waiting for it: onPosted runs there with the
    // reply, or with null when no post was made (the thread stopped first, or the post
    // threw). False, and nothing queued, while the thread's loop does not run.
    bool postQueued(const QNetworkRequest &request, const QByteArray &body,
                    const PostedHook &onPosted);
    // Stops watching, aborts and deletes the reply on the network thread; any thread.
    // Nothing happens once the thread has stopped (its client took the reply with it).
    void releaseReply(QNetworkReply *reply);
    // Network thread. The context of every connection made to a reply's signals: ending it
    // ends them all and nothing else.
    static QObject *watcher(QNetworkReply *reply);
    static void stopWatching(QNetworkReply *reply);
    bool isStopped() const;

private:
    friend class NUVNetworkAccessManager;
    struct Job;

    // Network thread.
    bool attach(MeterHttpClient *manager, QThread *thread);
    void runJobs();
    void detach();
    // Any thread.
    void requestStop();
    void appendJob(Job *job);
    void schedule();

    mutable QMutex m_mutex;
    QWaitCondition m_jobDone;
    QList<Job *> m_jobs;
    MeterHttpClient *m_manager = nullptr;
    QThread *m_thread = nullptr;
    bool m_stopping = false;
    bool m_stopped = false;
};

// The one thread that talks HTTP to the meters. Its event loop owns the process's HTTP
// client and every socket to a meter; controller threads post through the link.
class NUVNetworkAccessManager : public KivThread
{
    Q_OBJECT
public:
    explicit NUVNetworkAccessManager(QObject *parent = nullptr);
    // Stops the thread and waits for it.
    ~NUVNetworkAccessManager() override;

    // True once the event loop runs.
    bool isStarted() const { return m_started.load(); }
    // Never call from the network thread's own signal handlers expecting a queued post:
    // there the post is made at once.
    QNetworkReply *postBlocking(const QNetworkRequest &request, const QByteArray &body,
                                const NetworkLink::PostedHook &onPosted = {});
    // Ends the event loop; later posts return null. Any thread.
    void stop();
    std::shared_ptr<NetworkLink> link() const { return m_link; }

protected:
    void loop() override;

private:
    std::shared_ptr<NetworkLink> m_link;
    std::atomic<bool> m_started{false};
};
