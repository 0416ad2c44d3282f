#pragma once

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
};
