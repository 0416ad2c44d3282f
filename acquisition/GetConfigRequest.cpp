#include "GetConfigRequest.h"

#include "core/XMLTag.h"

GetConfigRequest::GetConfigRequest(const QString &reqid, CommandType commandType)
    : ARequest(reqid, commandType)
{
}

void GetConfigRequest::setCredentials(const QString &password, const QString &session)
{
    m_password = password;
    m_session = session;
}

void GetConfigRequest::writeBody(XMLTag &request) const
{
    XMLTag data(QStringLiteral("getconfigdata"));
    data.addTextChild(QStringLiteral("password"), m_password)
        .addTextChild(QStringLiteral("session"), m_session);
    request.appendChild(data);
}
