#include "InstrumentDeviceNetworkInterfaceReply.h"

InstrumentDeviceNetworkInterfaceReply::InstrumentDeviceNetworkInterfaceReply(
    const QString &instrumentId, int requestId, int networkError, QString *replyData)
    : DeviceNetworkInterfaceReply(requestId, networkError, replyData)
{
    m_senderId = instrumentId;
}

InstrumentDeviceNetworkInterfaceReply::InstrumentDeviceNetworkInterfaceReply(
    const QString &instrumentId, int requestId, int networkError, const QByteArray &replyBytes)
    : DeviceNetworkInterfaceReply(requestId, networkError, replyBytes)
{
    m_senderId = instrumentId;
}

InstrumentDeviceNetworkInterfaceReply::~InstrumentDeviceNetworkInterfaceReply() = default;
