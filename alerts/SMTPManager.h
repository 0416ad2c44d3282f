#pragma once

#include "SMTPRequest.h"

#include <QMutex>
#include <QtGlobal>

#include <deque>
#include <memory>
#include <vector>

class SMTPDefaultController;

// The shared queue of alert e-mails and the pool of workers that send them.
class SMTPManager
{
public:
    static constexpr int kControllerCount = 5;
    static constexpr int kQueueLimit = 200;

    SMTPManager();
    virtual ~SMTPManager();
    SMTPManager(const SMTPManager &) = delete;
    SMTPManager &operator=(const SMTPManager &) = delete;

    // Creates and starts the workers one by one; -1 as soon as one fails to start (those made
    // so far stay), else 0. Called again, it starts the ones it has.
    int startControllers();
    void stopControllers();
    bool areControllersStopped() const;
    // The time-outs of the workers' tasks; a test shortens them before starting them.
    void setTaskTimeouts(qint64 overallTimeout, qint64 retryInterval);

    // All or none: result 0 when queued + given stays below the limit, else -1.
    void queueRequests(std::vector<SMTPRequest> requests, int &result);
    // result 0 with the oldest request, -1 and a default request when none waits.
    SMTPRequest takeRequest(int &result);

private:
    mutable QMutex m_queueMutex;
    std::deque<SMTPRequest> m_queue;
    // Added to on the starting thread while another may be queueing.
    QMutex m_controllersMutex;
    std::vector<std::unique_ptr<SMTPDefaultController>> m_controllers;
    qint64 m_overallTimeout;
    qint64 m_retryInterval;
};
