#include "SyncSystemUIData.h"

#include <KivUtils.h>

#include <QMutexLocker>

SyncSystemUIData::SyncSystemUIData() = default;

SyncSystemUIData::~SyncSystemUIData() = default;

bool SyncSystemUIData::setSystemConfig(SystemConfig config)
{
    QMutexLocker lock(&m_mutex);
    m_data.setSystemConfig(std::move(config));
    // Rows, buttons and footer follow the configuration, not only the lights.
    const bool wake = m_displaySleeps;
    m_displaySleeps = false;
    return wake;
}

bool SyncSystemUIData::setAgViolations(const QString &instrumentName, const QString &agName,
                                       const AgViolations &violations)
{
    QMutexLocker lock(&m_mutex);
    m_data.setAgViolations(instrumentName, agName, violations);
    return wakesDisplay();
}

bool SyncSystemUIData::setAcquisitionStatus(const QList<AcquisitionAg> &status)
{
    QMutexLocker lock(&m_mutex);
    m_data.setAcquisitionStatus(status);
    return wakesDisplay();
}

bool SyncSystemUIData::wakesDisplay()
{
    if (!m_displaySleeps)
        return false;
    // The window shows m_shown until m_wakeAtMs; a record that shows alike now and does
    // not age past a bound before then needs no drawing.
    m_watch.update(m_data);
    const qint64 now = monotonicMSecs();
    if (m_watch.getStatusLightDescriptions(now) == m_shown &&
        m_watch.nextChangeAfter(now) >= m_wakeAtMs)
        return false;
    m_displaySleeps = false;
    return true;
}

SystemUIData SyncSystemUIData::getSystemUIData() const
{
    QMutexLocker lock(&m_mutex);
    return SystemUIData(m_data);
}

SystemUIData SyncSystemUIData::takeForSleepingDisplay(qint64 *wakeAtMs)
{
    QMutexLocker lock(&m_mutex);
    m_watch.update(m_data);
    const qint64 now = monotonicMSecs();
    m_shown = m_watch.getStatusLightDescriptions(now);
    m_wakeAtMs = m_watch.nextChangeAfter(now);
    m_displaySleeps = true;
    if (wakeAtMs)
        *wakeAtMs = m_wakeAtMs;
    return SystemUIData(m_data);
}
