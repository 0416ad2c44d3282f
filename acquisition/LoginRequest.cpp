#include "LoginRequest.h"

#include "core/XMLTag.h"

LoginRequest::LoginRequest(const QString &reqid, CommandType commandType)
    : ARequest(reqid, commandType)
{
}

void LoginRequest::setLoginData(const QString &password, bool hijack, const QString &hijackId)
{
    m_password = password;
    m_hijack = hijack;
    m_hijackId = hijackId;
}

void LoginRequest::writeBody(XMLTag &request) const
{
    XMLTag data(QStringLiteral("logindata"));
    data.addTextChild(QStringLiteral("password"), m_password)
        .addTextChild(QStringLiteral("hijack"),
                      m_hijack ? QStringLiteral("true") : QStringLiteral("false"));
    // "unknown" is the device's placeholder before any meter named a session to take over.
    if (m_hijack && m_hijackId != QLatin1String("unknown"))
        data.addTextChild(QStringLiteral("hijackid"), m_hijackId);
    request.appendChild(data);
}
