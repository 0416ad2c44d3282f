#pragma once

#include "ARequest.h"

#include <QByteArray>
#include <QObject>
#include <QString>

// The Device's way to its meter: sends one request at a time and delivers each finished
// reply to the system, which routes it back to the Device as a raw reply.
class ADeviceNetworkInterface : public QObject
{
    Q_OBJECT
public:
    explicit ADeviceNetworkInterface(const QString &name, QObject *parent = nullptr);
    ~ADeviceNetworkInterface() override;

    // The instrument's Name.
    QString getName() const { return m_name; }

    // True when the request was handed over to be posted; the request stays the caller's.
    virtual bool send(ARequest::CommandType type, const ARequest &request, const QString &host,
                      const QString &port) = 0;
    // How long send() will still refuse because a request is in flight (until its reply or
    // its time-out), in ms; 0 when it would take one now.
    virtual qint64 msUntilReady() const { return 0; }

    // Hands a finished reply of the named instrument to the system (SystemController
    // command 0) with the body as received (null for a failed request), which the reader
    // decodes. Any thread.
    static void postReply(const QString &instrumentName, int type, int networkError,
                          const QByteArray *body, int httpStatus = 0);

private:
    QString m_name;
};
