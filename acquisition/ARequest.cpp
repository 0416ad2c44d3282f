#include "ARequest.h"

#include "core/XMLTag.h"

ARequest::ARequest(const QString &reqid, CommandType commandType)
    : m_reqid(reqid), m_commandType(commandType)
{
}

ARequest::~ARequest() = default;

QString ARequest::toXml() const
{
    XMLTag request(QStringLiteral("Request"));
    request.addTextChild(QStringLiteral("version"), QStringLiteral("0.1"))
        .addTextChild(QStringLiteral("reqid"), m_reqid)
        .addTextChild(QStringLiteral("cmd"), requestCommandName(m_commandType));
    writeBody(request);
    return request.toDocumentString();
}

QByteArray ARequest::toBody() const { return toXml().toUtf8(); }
