#pragma once

#include "SMTPRequest.h"

#include <QMutex>

#include <vector>

// The test e-mail's queue: it takes a vector only while empty and hands out the newest
// request first. Thread-safe.
class SyncSMTPRequestQueue
{
public:
    SyncSMTPRequestQueue();
    virtual ~SyncSMTPRequestQueue();
    SyncSMTPRequestQueue(const SyncSMTPRequestQueue &) = delete;
    SyncSMTPRequestQueue &operator=(const SyncSMTPRequestQueue &) = delete;

    // result 0 when the queue was empty and took them all, else -1 and none is taken.
    void queueRequests(std::vector<SMTPRequest> requests, int &result);
    virtual bool hasRequests() const;
    // result 0 with the newest request, -1 and a default request when none waits.
    SMTPRequest takeRequest(int &result);

private:
    mutable QMutex m_queueMutex;
    std::vector<SMTPRequest> m_requests;
};
