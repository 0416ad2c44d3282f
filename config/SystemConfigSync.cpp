#include "SystemConfigSync.h"

#include <QMutexLocker>

SystemConfigSync::SystemConfigSync() = default;

SystemConfigSync::~SystemConfigSync() = default;

SystemConfig SystemConfigSync::getSystemConfig() const
{
    QMutexLocker lock(&m_mutex);
    return m_config;
}

void SystemConfigSync::setSystemConfig(SystemConfig config)
{
    QMutexLocker lock(&m_mutex);
    m_config = config;
    ++m_revision;
}
