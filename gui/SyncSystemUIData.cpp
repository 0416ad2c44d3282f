#include "SyncSystemUIData.h"

#include <QMutexLocker>

SyncSystemUIData::SyncSystemUIData() = default;

SyncSystemUIData::~SyncSystemUIData() = default;

void SyncSystemUIData::setSystemConfig(SystemConfig config)
{
    QMutexLocker lock(&m_mutex);
    m_data.setSystemConfig(std::move(config));
}

void SyncSystemUIData::setAgViolations(const QString &instrumentName, const QString &agName,
                                       const AgViolations &violations)
{
    QMutexLocker lock(&m_mutex);
    m_data.setAgViolations(instrumentName, agName, violations);
}

void SyncSystemUIData::setAcquisitionStatus(const QList<AcquisitionAg> &status)
{
    QMutexLocker lock(&m_mutex);
    m_data.setAcquisitionStatus(status);
}

SystemUIData SyncSystemUIData::getSystemUIData() const
{
    QMutexLocker lock(&m_mutex);
    return SystemUIData(m_data);
}
