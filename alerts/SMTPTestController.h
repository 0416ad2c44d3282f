#pragma once

#include "SMTPController.h"

// Sends the settings dialog's test e-mail.
class SMTPTestController : public SMTPController
{
    Q_OBJECT
public:
    SMTPTestController();
    ~SMTPTestController() override;
};
