#pragma once

#include <QString>

// The pending hijack-permission requests of the meters.
class HijackPermissionManager
{
public:
    HijackPermissionManager();
    virtual ~HijackPermissionManager();
    HijackPermissionManager(const HijackPermissionManager &) = delete;
    HijackPermissionManager &operator=(const HijackPermissionManager &) = delete;

    // Presents the newest pending request.
    void step();
    // 0 when the request is held; -1 when it is not (the meter is then released at once).
    int addRequest(const QString &instrumentName);
    // 0 when the oldest request has that id and was removed; else -1.
    int answerRequest(const QString &requestId);
};
