#pragma once

#include "SMTPController.h"

// One of the workers that send the alert e-mails of the shared queue.
class SMTPDefaultController : public SMTPController
{
    Q_OBJECT
public:
    static constexpr qint64 kOverallTimeoutMs = 1800000;
    static constexpr qint64 kRetryIntervalMs = 300000;

    SMTPDefaultController();
    ~SMTPDefaultController() override;

protected:
    void takeNextRequest() override;
};
