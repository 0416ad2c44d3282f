#pragma once

#include "AResponse.h"

// Reply to LOGIN: the session (with code 7, the session to take over).
class LoginResponse : public AResponse
{
public:
    LoginResponse();
    ~LoginResponse() override;

    QString getSession() const { return m_session; }

protected:
    bool handleStartElement(const QString &name) override;
    bool handleEndElement(const QString &name) override;
    bool isContentValid() const override;

private:
    QString m_session;
};
