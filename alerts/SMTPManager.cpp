#include "SMTPManager.h"

#include "SMTPDefaultController.h"

SMTPManager::SMTPManager() = default;

SMTPManager::~SMTPManager() = default;

int SMTPManager::startControllers()
{
    int result = 0;
    if (m_controllers.empty()) {
        for (int i = 0; i < kControllerCount; ++i)
            m_controllers.push_back(std::make_unique<SMTPDefaultController>());
    }
    for (const auto &controller : m_controllers) {
        if (controller->startThread() != 0)
            result = -1;
    }
    return result;
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
