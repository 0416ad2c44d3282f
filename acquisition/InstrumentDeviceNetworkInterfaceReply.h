#pragma once

#include "DeviceNetworkInterfaceReply.h"

// A meter's finished reply, named by the instrument's Name so that the system controller
// can route it to that instrument.
class InstrumentDeviceNetworkInterfaceReply : public DeviceNetworkInterfaceReply
{
public:
    InstrumentDeviceNetworkInterfaceReply(const QString &instrumentId, int requestId,
                                          int networkError, QString *replyData);
    InstrumentDeviceNetworkInterfaceReply(const QString &instrumentId, int requestId,
                                          int networkError, const QByteArray &replyBytes);
    ~InstrumentDeviceNetworkInterfaceReply() override;

    QString getInstrumentId() const { return m_senderId; }
};
