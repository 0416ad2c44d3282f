#pragma once

#include <HijackPermissionRequest.h>

#include <QString>

#include <vector>

// The pending hijack-permission requests of the meters, newest first. The oldest one is
// shown to the user until it is answered or its instrument is gone. Runs on the system
// controller's thread only.
class HijackPermissionManager
{
public:
    static constexpr int kMaxRequests = 50;

    HijackPermissionManager();
    virtual ~HijackPermissionManager();
    HijackPermissionManager(const HijackPermissionManager &) = delete;
    HijackPermissionManager &operator=(const HijackPermissionManager &) = delete;

    // Once per cycle: shows the oldest request, drops it when its instrument is gone, or
    // hides the window when nothing is pending.
    void step();
    // 0 when the request is held; -1 when 50 are pending (the meter is then released).
    int addRequest(const QString &instrumentName);
    // 0 when the oldest request has that id and was removed (the window closes); else -1.
    int answerRequest(const QString &requestId);

    int requestCount() const { return static_cast<int>(m_requests.size()); }
    // Requests to present, or the window to hide.
    bool hasWork() const { return !m_requests.empty() || m_viewMayShow; }

private:
    std::vector<HijackPermissionRequest> m_requests;
    // A request was shown since the window was last hidden (true at first).
    bool m_viewMayShow = true;
};
