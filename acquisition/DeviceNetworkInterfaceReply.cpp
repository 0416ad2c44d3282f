#include "DeviceNetworkInterfaceReply.h"

DeviceNetworkInterfaceReply::DeviceNetworkInterfaceReply(int requestId, int networkError,
                                                         QString *replyData)
    : m_requestId(requestId), m_networkError(networkError), m_replyData(replyData)
{
}

DeviceNetworkInterfaceReply::~DeviceNetworkInterfaceReply()
{
    delete m_replyData;
    m_replyData = nullptr;
}

void DeviceNetworkInterfaceReply::setReplyData(QString *replyData)
{
    if (replyData == m_replyData)
        return;
    delete m_replyData;
    m_replyData = replyData;
}

QString *DeviceNetworkInterfaceReply::takeReplyData()
{
    QString *data = m_replyData;
    m_replyData = nullptr;
    return data;
}
