#include "AcquisitionRequest.h"

#include "core/XMLTag.h"

AcquisitionRequest::AcquisitionRequest(const QString &reqid, CommandType commandType)
    : ARequest(reqid, commandType)
{
}

void AcquisitionRequest::setRequestData(const QString &confid, const QString &session,
                                        QMap<QString, QString> lastTimestamps)
{
    m_confid = confid;
    m_session = session;
    m_lastTimestamps = std::move(lastTimestamps);
}

void AcquisitionRequest::writeBody(XMLTag &request) const
{
    request.addTextChild(QStringLiteral("confid"), m_confid)
        .addTextChild(QStringLiteral("session"), m_session);
    XMLTag list(QStringLiteral("AGReqList"));
    for (auto it = m_lastTimestamps.cbegin(); it != m_lastTimestamps.cend(); ++it) {
        XMLTag ag(QStringLiteral("AG"));
        ag.addTextChild(QStringLiteral("Name"), it.key())
            .addTextChild(QStringLiteral("LastTmStamp"), it.value());
        list.appendChild(ag);
    }
    request.appendChild(list);
}
