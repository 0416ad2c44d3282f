#include "SMTPDefaultController.h"

#include "SMTPRequest.h"

#include <ASystem.h>

SMTPDefaultController::SMTPDefaultController()
    : SMTPController(kOverallTimeoutMs, kRetryIntervalMs)
{
}

// The loop calls this class's takeNextRequest: it must have ended before this part goes.
SMTPDefaultController::~SMTPDefaultController()
{
    stop();
    wait();
}

void SMTPDefaultController::takeNextRequest()
{
    ASystem *system = ASystem::instance();
    if (!system)
        return;
    int result = -1;
    const SMTPRequest request = system->takeNextSmtpRequest(result);
    if (result == 0)
        holdTask(request);
}
