#pragma once

#include "ARequest.h"

#include <QObject>
#include <QString>

// The add-device operation's own way to a meter that is not configured yet. Its replies
// reach the operation through the system controller (command 2), never directly.
class ADeviceAddNetworkInterface : public QObject
{
    Q_OBJECT
public:
    explicit ADeviceAddNetworkInterface(QObject *parent = nullptr);
    ~ADeviceAddNetworkInterface() override;

    // Posts the request; the request stays the caller's. No result: a request that could not
    // go out simply gets no reply.
    virtual void send(ARequest::CommandType kind, ARequest *request, const QString &host,
                      const QString &port) = 0;

    // Hands a finished reply (the body, owned, or null after a network error) to the system.
    // Any thread.
    static void postReply(int kind, int networkError, QString *text);
};
