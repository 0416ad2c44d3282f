#pragma once

#include "ADeviceAddNetworkInterface.h"

#include <memory>

// The add-device requests as HTTP POSTs through the network thread. Every send posts (no
// time-out sweep, no limit on requests in flight); every posted request yields exactly one
// reply to the system.
class HttpDeviceAddNetworkInterface : public ADeviceAddNetworkInterface
{
    Q_OBJECT
public:
    explicit HttpDeviceAddNetworkInterface(QObject *parent = nullptr);
    // Releases the replies still in flight; safe while one is finishing.
    ~HttpDeviceAddNetworkInterface() override;

    void send(ARequest::CommandType kind, ARequest *request, const QString &host,
              const QString &port) override;

    int pendingCount() const;

    // Shared with the replies' connections, which run on the network thread.
    class Pending;

private:
    std::shared_ptr<Pending> m_pending;
};
