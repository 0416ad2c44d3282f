#pragma once

#include "SystemConfig.h"

#include <QMutex>

#include <atomic>

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
    // Counts the setSystemConfig calls, without the lock: a reader that keeps what it took
    // from one revision need not copy the configuration again until it changes.
    quint64 getRevision() const { return m_revision.load(); }

private:
    mutable QMutex m_mutex;
    SystemConfig m_config;
    std::atomic<quint64> m_revision{0};
};
