#pragma once

#include "SMTPController.h"
#include "SyncSMTPRequestQueue.h"

// Sends the settings dialog's test e-mail from a queue of its own, with short time-outs so
// the user learns the outcome soon.
class SMTPTestController : public SMTPController, public SyncSMTPRequestQueue
{
    Q_OBJECT
public:
    static constexpr qint64 kOverallTimeoutMs = 30000;
    static constexpr qint64 kRetryIntervalMs = 10000;

    SMTPTestController();
    ~SMTPTestController() override;

    // Refused (-1) while an earlier test e-mail still waits.
    void queueRequests(std::vector<SMTPRequest> requests, int &result);

protected:
    void takeNextRequest() override;
};
