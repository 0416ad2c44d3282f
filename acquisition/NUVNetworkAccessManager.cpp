#include "NUVNetworkAccessManager.h"

#include "MeterHttpClient.h"

#include <ORQLogging.h>

#include <QByteArray>
#include <QMetaObject>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

#include <memory>

struct NetworkLink::Job
{
    QNetworkRequest request;
    QByteArray body;
    PostedHook onPosted;
    QNetworkReply *reply = nullptr;
    bool done = false;
    // Nobody waits: the runner owns the job and tells onPosted also of a post not made.
    bool queued = false;
};

namespace {

QNetworkReply *postNow(MeterHttpClient *manager, const QNetworkRequest &request,
                       const QByteArray &body, const NetworkLink::PostedHook &onPosted)
{
    QNetworkReply *reply = manager->post(request, body);
    if (reply && onPosted)
        onPosted(reply);
    return reply;
}

// A queued job's post: onPosted hears of the reply, or of null when none was made.
void postAndTell(MeterHttpClient *manager, const QNetworkRequest &request,
                 const QByteArray &body, const NetworkLink::PostedHook &onPosted)
{
    QNetworkReply *reply = nullptr;
    try {
        reply = manager->post(request, body);
    } catch (const std::exception &e) {
        KIV_LOG(2, "NUVNetworkAccessManager post failed: %s\n", e.what());
    }
    // A hook that throws must not end the pass: the jobs behind it would never be posted.
    try {
        if (onPosted)
            onPosted(reply);
    } catch (const std::exception &e) {
        KIV_LOG(2, "NUVNetworkAccessManager post hook failed: %s\n", e.what());
    }
}

} // namespace

NetworkLink::NetworkLink() = default;

NetworkLink::~NetworkLink() = default;

bool NetworkLink::isStopped() const
{
    QMutexLocker lock(&m_mutex);
    return m_stopping || m_stopped;
}

QNetworkReply *NetworkLink::postBlocking(const QNetworkRequest &request, const QByteArray &body,
                                         const PostedHook &onPosted)
{
    QMutexLocker lock(&m_mutex);
    // Before the loop runs (or after it ended) nobody would ever take the job.
    if (m_stopping || m_stopped || !m_manager)
        return nullptr;
    if (QThread::currentThread() == m_thread) {
        // A blocking hand-over to one's own thread would never return.
        MeterHttpClient *manager = m_manager;
        lock.unlock();
        return postNow(manager, request, body, onPosted);
    }
    Job job;
    job.request = request;
    job.body = body;
    job.onPosted = onPosted;
    appendJob(&job);
    while (!job.done)
        m_jobDone.wait(&m_mutex);
    return job.reply;
}

bool NetworkLink::postQueued(const QNetworkRequest &request, const QByteArray &body,
                             const PostedHook &onPosted)
{
    // Made before the lock is taken: meters polled at the same moment meet here.
    std::unique_ptr<Job> job(new Job);
    job->request = request;
    job->body = body;
    job->onPosted = onPosted;
    job->queued = true;
    QMutexLocker lock(&m_mutex);
    if (m_stopping || m_stopped || !m_manager)
        return false;
    if (QThread::currentThread() == m_thread) {
        MeterHttpClient *manager = m_manager;
        lock.unlock();
        postAndTell(manager, request, body, onPosted);
        return true;
    }
    appendJob(job.release());
    return true;
}

void NetworkLink::releaseReply(QNetworkReply *reply)
{
    if (!reply)
        return;
    QMutexLocker lock(&m_mutex);
    if (m_stopped || !m_manager)
        return;
    if (QThread::currentThread() == m_thread && reply->isFinished()) {
        // Collected on this thread (every reply that comes): nothing is left to abort, and
        // no event needs to come back here for it.
        lock.unlock();
        stopWatching(reply);
        reply->deleteLater();
        return;
    }
    QMetaObject::invokeMethod(
        m_manager,
        [reply] {
            stopWatching(reply);
            reply->abort();
            reply->deleteLater();
        },
        Qt::QueuedConnection);
}

namespace {
const char kWatcherName[] = "kivReplyWatcher";
} // namespace

QObject *NetworkLink::watcher(QNetworkReply *reply)
{
    QObject *existing =
        reply->findChild<QObject *>(QLatin1String(kWatcherName), Qt::FindDirectChildrenOnly);
    if (existing)
        return existing;
    auto *created = new QObject(reply);
    created->setObjectName(QLatin1String(kWatcherName));
    return created;
}

void NetworkLink::stopWatching(QNetworkReply *reply)
{
    delete reply->findChild<QObject *>(QLatin1String(kWatcherName), Qt::FindDirectChildrenOnly);
}

void NetworkLink::appendJob(Job *job)
{
    // Under m_mutex. A pass that is due takes every job queued before it ends: meters
    // polled at the same moment cost the network thread one event, not one each.
    const bool passDue = !m_jobs.isEmpty();
    m_jobs.append(job);
    if (!passDue)
        schedule();
}

void NetworkLink::schedule()
{
    // Under m_mutex, with the manager attached.
    std::weak_ptr<NetworkLink> weak = weak_from_this();
    QMetaObject::invokeMethod(
        m_manager,
        [weak] {
            if (std::shared_ptr<NetworkLink> self = weak.lock())
                self->runJobs();
        },
        Qt::QueuedConnection);
}

bool NetworkLink::attach(MeterHttpClient *manager, QThread *thread)
{
    QMutexLocker lock(&m_mutex);
    if (m_stopping)
        return false;
    m_manager = manager;
    m_thread = thread;
    return true;
}

void NetworkLink::runJobs()
{
    QMutexLocker lock(&m_mutex);
    while (!m_jobs.isEmpty()) {
        Job *job = m_jobs.takeFirst();
        MeterHttpClient *manager = m_manager;
        // The hook takes the interface's lock; never hold ours meanwhile.
        lock.unlock();
        if (job->queued) {
            postAndTell(manager, job->request, job->body, job->onPosted);
            delete job;
            lock.relock();
            continue;
        }
        QNetworkReply *reply = nullptr;
        try {
            reply = postNow(manager, job->request, job->body, job->onPosted);
        } catch (const std::exception &e) {
            KIV_LOG(2, "NUVNetworkAccessManager post failed: %s\n", e.what());
        }
        lock.relock();
        job->reply = reply;
        job->done = true;
        m_jobDone.wakeAll();
    }
}

void NetworkLink::requestStop()
{
    QMutexLocker lock(&m_mutex);
    m_stopping = true;
    if (m_manager) {
        QThread *thread = m_thread;
        QMetaObject::invokeMethod(
            m_manager, [thread] { thread->exit(0); }, Qt::QueuedConnection);
    }
}

void NetworkLink::detach()
{
    QList<Job *> unposted;
    {
        QMutexLocker lock(&m_mutex);
        m_stopped = true;
        m_manager = nullptr;
        // Waiters whose post never ran get null.
        for (Job *job : qAsConst(m_jobs)) {
            if (job->queued) {
                unposted.append(job);
                continue;
            }
            job->reply = nullptr;
            job->done = true;
        }
        m_jobs.clear();
        m_jobDone.wakeAll();
    }
    // The hooks take their interface's lock; never under ours.
    for (Job *job : qAsConst(unposted)) {
        if (job->onPosted)
            job->onPosted(nullptr);
        delete job;
    }
}

NUVNetworkAccessManager::NUVNetworkAccessManager(QObject *parent)
    : KivThread(parent), m_link(std::make_shared<NetworkLink>())
{
}

NUVNetworkAccessManager::~NUVNetworkAccessManager()
{
    stop();
    wait();
    // A thread that never ran still has to answer its waiters.
    m_link->detach();
}

QNetworkReply *NUVNetworkAccessManager::postBlocking(const QNetworkRequest &request,
                                                     const QByteArray &body,
                                                     const NetworkLink::PostedHook &onPosted)
{
    return m_link->postBlocking(request, body, onPosted);
}

void NUVNetworkAccessManager::stop()
{
    m_link->requestStop();
}

void NUVNetworkAccessManager::loop()
{
    // The client and every reply it makes belong to this thread from birth to deletion.
    auto *manager = new MeterHttpClient();
    if (m_link->attach(manager, this)) {
        QTimer::singleShot(5, manager, [this] { m_started = true; });
        exec();
    }
    m_started = false;
    m_link->detach();
    // Replies still running are the client's children and go with it.
    delete manager;
}
