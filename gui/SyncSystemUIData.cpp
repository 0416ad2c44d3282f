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
    return wakesDisplay({{instrumentName, agName}});
}

bool SyncSystemUIData::setAcquisitionStatus(const QList<AcquisitionAg> &status)
{
    QMutexLocker lock(&m_mutex);
    m_data.setAcquisitionStatus(status);
    if (!m_displaySleeps)
        return false;
    QList<QPair<QString, QString>> changed;
    changed.reserve(status.size());
    for (const AcquisitionAg &record : status)
        changed.append({record.getInstrumentName(), record.getSourceName()});
    return wakesDisplay(changed);
}

bool SyncSystemUIData::wakesDisplay(const QList<QPair<QString, QString>> &changed)
{
    if (!m_displaySleeps)
        return false;
    // The window shows m_shown until m_wakeAtMs; a light that shows alike now and does not
    // age past a bound before then needs no drawing.
    const qint64 now = monotonicMSecs();
    for (const QPair<QString, QString> &pair : changed) {
        const StatusLight *light = m_watch.updateLight(m_data, pair.first, pair.second);
        if (!light)
            continue; // not in the configuration the window shows
        if (light->getDescription(now) != m_shown.value(pair.first).value(pair.second) ||
            light->nextChangeAfter(now) < m_wakeAtMs) {
            m_displaySleeps = false;
            return true;
        }
    }
    return false;
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
    m_shown.clear();
    for (const StatusLightDescription &shown : m_watch.getStatusLightDescriptions(now))
        m_shown[shown.instrumentName][shown.agSourceName] = shown;
    m_wakeAtMs = m_watch.nextChangeAfter(now);
    m_displaySleeps = true;
    if (wakeAtMs)
        *wakeAtMs = m_wakeAtMs;
    return SystemUIData(m_data);
}
