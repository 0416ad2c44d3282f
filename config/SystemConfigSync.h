#pragma once

#include "SystemConfig.h"

#include <QMutex>

// The current configuration shared between threads. Readers always get a whole copy and
// never a reference into the held one; the lock covers one copy or one assignment only,
// so it may be taken while other locks are held.
class SystemConfigSync
{
public:
    SystemConfigSync();
    virtual ~SystemConfigSync();
    SystemConfigSync(const SystemConfigSync &) = delete;
    SystemConfigSync &operator=(const SystemConfigSync &) = delete;

    SystemConfig getSystemConfig() const;
    void setSystemConfig(SystemConfig config);

private:
    mutable QMutex m_mutex;
    SystemConfig m_config;
};
