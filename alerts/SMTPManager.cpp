#include "SMTPManager.h"

#include "SMTPDefaultController.h"

SMTPManager::SMTPManager()
    : m_overallTimeout(SMTPDefaultController::kOverallTimeoutMs),
      m_retryInterval(SMTPDefaultController::kRetryIntervalMs)
{
}

// All are asked first, so their last passes end together.
SMTPManager::~SMTPManager()
{
    stopControllers();
}

int SMTPManager::startControllers()
{
    for (const auto &controller : m_controllers) {
        if (controller->startThread() != 0)
            return -1;
    }
    while (m_controllers.size() < static_cast<size_t>(kControllerCount)) {
        {
            QMutexLocker lock(&m_controllersMutex);
            m_controllers.push_back(std::make_unique<SMTPDefaultController>());
        }
        m_controllers.back()->setTaskTimeouts(m_overallTimeout, m_retryInterval);
        if (m_controllers.back()->startThread() != 0)
            return -1;
    }
    return 0;
}

void SMTPManager::setTaskTimeouts(qint64 overallTimeout, qint64 retryInterval)
{
    m_overallTimeout = overallTimeout;
    m_retryInterval = retryInterval;
    for (const auto &controller : m_controllers)
        controller->setTaskTimeouts(overallTimeout, retryInterval);
}

void SMTPManager::stopControllers()
{
    for (const auto &controller : m_controllers)
        controller->stop();
}

bool SMTPManager::areControllersStopped() const
{
    for (const auto &controller : m_controllers) {
        if (!controller->isStopped())
            return false;
    }
    return true;
}

void SMTPManager::queueRequests(std::vector<SMTPRequest> requests, int &result)
{
    QMutexLocker lock(&m_queueMutex);
    if (m_queue.size() + requests.size() >= static_cast<size_t>(kQueueLimit)) {
        result = -1;
        return;
    }
    for (SMTPRequest &request : requests)
        m_queue.push_back(std::move(request));
    result = 0;
    lock.unlock();
    // Idle workers sleep until a request comes.
    QMutexLocker controllersLock(&m_controllersMutex);
    for (const std::unique_ptr<SMTPDefaultController> &controller : m_controllers)
        controller->wake();
}

SMTPRequest SMTPManager::takeRequest(int &result)
{
    QMutexLocker lock(&m_queueMutex);
    if (m_queue.empty()) {
        result = -1;
        return SMTPRequest();
    }
    SMTPRequest request = std::move(m_queue.front());
    m_queue.pop_front();
    result = 0;
    return request;
}
