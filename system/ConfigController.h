#pragma once

// Runs the queued configuration-management operations, one step per system controller
// cycle.
class ConfigController
{
public:
    ConfigController();
    virtual ~ConfigController();
    ConfigController(const ConfigController &) = delete;
    ConfigController &operator=(const ConfigController &) = delete;

    // Chooses the add-device transport (1: HTTP); 0 on success.
    int init(int interfaceType);
    // Advances the front operation.
    void tick();
    // Hides the add-device view and deletes every queued operation unrun.
    void clear();
};
