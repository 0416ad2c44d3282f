#pragma once

#include "ARequest.h"

// GETCONFIG: reads the meter's configuration; needs the password, a session is optional.
class GetConfigRequest : public ARequest
{
public:
    explicit GetConfigRequest(const QString &reqid, CommandType commandType = GETCONFIG);

    void setCredentials(const QString &password, const QString &session);
    QString getPassword() const { return m_password; }
    QString getSession() const { return m_session; }

protected:
    void writeBody(XMLTag &request) const override;

private:
    QString m_password;
    QString m_session;
};
