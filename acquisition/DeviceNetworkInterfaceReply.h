#pragma once

#include <Command.h>

#include <QByteArray>
#include <QString>

// A finished network reply: the request id (the instrument request kind for a meter), the
// network error code and the body. Owns the body until it is taken.
class DeviceNetworkInterfaceReply : public CommandParameter
{
public:
    DeviceNetworkInterfaceReply(int requestId, int networkError, QString *replyData);
    // A body as received (UTF-8); it is decoded when it is first read as text.
    DeviceNetworkInterfaceReply(int requestId, int networkError, const QByteArray &replyBytes);
    ~DeviceNetworkInterfaceReply() override;
    DeviceNetworkInterfaceReply(const DeviceNetworkInterfaceReply &) = delete;
    DeviceNetworkInterfaceReply &operator=(const DeviceNetworkInterfaceReply &) = delete;

    // Empty unless a subclass names the sender.
    QString getSenderId() const { return m_senderId; }
    int getRequestId() const { return m_requestId; }
    int getNetworkError() const { return m_networkError; }
    // The HTTP status of the answer; 0 when none came (no connection) or it is not known.
    int getHttpStatus() const { return m_httpStatus; }
    void setHttpStatus(int status) { m_httpStatus = status; }
    // Still owned by the payload; may be null.
    QString *getReplyData() const;
    // The body as received, when it came so; else null. Readers that take the bytes spare
    // the decoding.
    const QByteArray *getReplyBytes() const { return m_hasBytes ? &m_replyBytes : nullptr; }
    // Replaces the body, freeing the one held.
    void setReplyData(QString *replyData);
    // Hands the body over to the caller; the payload holds none afterwards.
    QString *takeReplyData();
    // Hands the body over to `to` as it is held (bytes stay undecoded); this payload holds
    // none afterwards.
    void passReplyTo(DeviceNetworkInterfaceReply &to);

protected:
    QString m_senderId;

private:
    int m_requestId;
    int m_networkError;
    int m_httpStatus = 0;
    // Decoded from m_replyBytes on first read.
    mutable QString *m_replyData;
    QByteArray m_replyBytes;
    bool m_hasBytes = false;
};
