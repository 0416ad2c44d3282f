#include "AlertManager.h"

AlertManager::AlertManager() : KivThread(nullptr) {}

AlertManager::~AlertManager() = default;

void AlertManager::addAlert(Alert alert)
{
    QMutexLocker lock(&m_mutex);
    if (m_alerts.size() < kMaxAlerts)
        m_alerts.append(alert);
}

void AlertManager::setSystemConfig(SystemConfig config)
{
    QMutexLocker lock(&m_mutex);
    m_config = config;
}

int AlertManager::alertCount() const
{
    QMutexLocker lock(&m_mutex);
    return m_alerts.size();
}

void AlertManager::stop()
{
    m_stop = true;
}

bool AlertManager::isStopped() const
{
    return !isRunning() && !m_inLoop;
}

void AlertManager::loop()
{
    m_inLoop = true;
    while (!m_stop)
        msleep(kPassMs);
    m_inLoop = false;
}
