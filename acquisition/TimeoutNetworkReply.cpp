#include "TimeoutNetworkReply.h"

#include "NUVNetworkAccessManager.h"

TimeoutNetworkReply::TimeoutNetworkReply(QNetworkReply *reply, int timeoutMs,
                                         std::shared_ptr<NetworkLink> link)
    : m_reply(reply), m_timeoutMs(timeoutMs), m_link(std::move(link))
{
    m_clock.start();
}

TimeoutNetworkReply::~TimeoutNetworkReply()
{
    if (m_link)
        m_link->releaseReply(m_reply);
}
