#pragma once

#include "ARequest.h"

// LOGIN: opens a session, or takes over the session named by hijackId.
class LoginRequest : public ARequest
{
public:
    explicit LoginRequest(const QString &reqid, CommandType commandType = LOGIN);

    void setLoginData(const QString &password, bool hijack, const QString &hijackId);
    QString getPassword() const { return m_password; }
    bool getHijack() const { return m_hijack; }
    QString getHijackId() const { return m_hijackId; }

protected:
    void writeBody(XMLTag &request) const override;

private:
    QString m_password;
    QString m_hijackId;
    bool m_hijack = false;
};
