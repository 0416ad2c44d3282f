#include "SMTPTestController.h"

SMTPTestController::SMTPTestController() : SMTPController(kOverallTimeoutMs, kRetryIntervalMs) {}

// The loop calls this class's takeNextRequest: it must have ended before this part goes.
SMTPTestController::~SMTPTestController()
{
    stop();
    wait();
}

void SMTPTestController::queueRequests(std::vector<SMTPRequest> requests, int &result)
{
    SyncSMTPRequestQueue::queueRequests(std::move(requests), result);
    wake();
}

void SMTPTestController::takeNextRequest()
{
    int result = -1;
    const SMTPRequest request = takeRequest(result);
    if (result == 0)
        holdTask(request);
}
