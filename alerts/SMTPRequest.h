#pragma once

// One e-mail to send, queued by value.
class SMTPRequest
{
public:
    SMTPRequest();
    SMTPRequest(const SMTPRequest &other) = default;
    SMTPRequest &operator=(const SMTPRequest &other) = default;
    virtual ~SMTPRequest();
};
