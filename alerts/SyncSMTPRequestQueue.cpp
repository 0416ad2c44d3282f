#include "SyncSMTPRequestQueue.h"

SyncSMTPRequestQueue::SyncSMTPRequestQueue() = default;

SyncSMTPRequestQueue::~SyncSMTPRequestQueue() = default;

void SyncSMTPRequestQueue::queueRequests(std::vector<SMTPRequest> requests, int &result)
{
    QMutexLocker lock(&m_queueMutex);
    if (!m_requests.empty()) {
        result = -1;
        return;
    }
    m_requests = std::move(requests);
    result = 0;
}

bool SyncSMTPRequestQueue::hasRequests() const
{
    QMutexLocker lock(&m_queueMutex);
    return !m_requests.empty();
}

SMTPRequest SyncSMTPRequestQueue::takeRequest(int &result)
{
    QMutexLocker lock(&m_queueMutex);
    if (m_requests.empty()) {
        result = -1;
        return SMTPRequest();
    }
    SMTPRequest request = m_requests.back();
    m_requests.pop_back();
    result = 0;
    return request;
}
