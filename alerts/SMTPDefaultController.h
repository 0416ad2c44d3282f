#pragma once

#include "SMTPController.h"

// One of the workers that send the queued alert e-mails.
class SMTPDefaultController : public SMTPController
{
    Q_OBJECT
public:
    SMTPDefaultController();
    ~SMTPDefaultController() override;
};
