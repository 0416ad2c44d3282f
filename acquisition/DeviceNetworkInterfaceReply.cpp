#include "DeviceNetworkInterfaceReply.h"

#include "ReplyText.h"

DeviceNetworkInterfaceReply::DeviceNetworkInterfaceReply(int requestId, int networkError,
                                                         QString *replyData)
    : m_requestId(requestId), m_networkError(networkError), m_replyData(replyData)
{
}

DeviceNetworkInterfaceReply::DeviceNetworkInterfaceReply(int requestId, int networkError,
                                                         const QByteArray &replyBytes)
    : m_requestId(requestId), m_networkError(networkError), m_replyData(nullptr),
      m_replyBytes(replyBytes), m_hasBytes(true)
{
}

DeviceNetworkInterfaceReply::~DeviceNetworkInterfaceReply()
{
    delete m_replyData;
    m_replyData = nullptr;
}

QString *DeviceNetworkInterfaceReply::getReplyData() const
{
    if (!m_replyData && m_hasBytes)
        m_replyData = new QString(decodeReplyBody(m_replyBytes));
    return m_replyData;
}

void DeviceNetworkInterfaceReply::setReplyData(QString *replyData)
{
    if (replyData && replyData == m_replyData)
        return;
    delete m_replyData;
    m_replyData = replyData;
    m_replyBytes = QByteArray();
    m_hasBytes = false;
}

QString *DeviceNetworkInterfaceReply::takeReplyData()
{
    QString *data = getReplyData();
    m_replyData = nullptr;
    m_replyBytes = QByteArray();
    m_hasBytes = false;
    return data;
}

void DeviceNetworkInterfaceReply::passReplyTo(DeviceNetworkInterfaceReply &to)
{
    if (&to == this)
        return;
    to.setReplyData(m_replyData);
    to.m_replyBytes = m_replyBytes;
    to.m_hasBytes = m_hasBytes;
    m_replyData = nullptr;
    m_replyBytes = QByteArray();
    m_hasBytes = false;
}
