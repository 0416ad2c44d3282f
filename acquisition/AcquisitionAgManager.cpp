#include "AcquisitionAgManager.h"

AcquisitionAgManager::AcquisitionAgManager() = default;

AcquisitionAgManager::~AcquisitionAgManager()
{
    qDeleteAll(m_records);
    m_records.clear();
}

AcquisitionAg *AcquisitionAgManager::find(const QString &name) const
{
    return m_records.value(name, nullptr);
}

void AcquisitionAgManager::update(bool acquisitionFlag, const InstrumentConfig &instrumentConfig)
{
    m_acquisitionFlag = acquisitionFlag;
    m_instrumentConfig = instrumentConfig;
    sync();
}

void AcquisitionAgManager::sync()
{
    const QList<AgConfig> configs = m_instrumentConfig.getAgConfigs();
    for (const AgConfig &config : configs) {
        if (!m_records.contains(config.getName()))
            m_records.insert(config.getName(), new AcquisitionAg(m_instrumentConfig, config));
    }
    QStringList gone;
    for (auto it = m_records.cbegin(); it != m_records.cend(); ++it) {
        if (!m_instrumentConfig.hasAgConfig(it.key()))
            gone.append(it.key());
    }
    for (const QString &name : qAsConst(gone))
        delete m_records.take(name);
}

bool AcquisitionAgManager::hasReadyAudioGroups() const
{
    for (const AcquisitionAg *record : m_records) {
        if (record->hasTimestamp() && !record->isImported())
            return true;
    }
    return false;
}

QMap<QString, QString> AcquisitionAgManager::getLastTimestamps() const
{
    QMap<QString, QString> result;
    for (auto it = m_records.cbegin(); it != m_records.cend(); ++it) {
        if (it.value()->hasTimestamp() && !it.value()->isImported())
            result.insert(it.key(), it.value()->getLastTimestampText());
    }
    return result;
}

QStringList AcquisitionAgManager::getWaitingAudioGroups() const
{
    QStringList result;
    for (auto it = m_records.cbegin(); it != m_records.cend(); ++it) {
        if (!it.value()->hasTimestamp() && !it.value()->isImported())
            result.append(it.key());
    }
    return result;
}

void AcquisitionAgManager::invalidateTimestamps()
{
    for (AcquisitionAg *record : qAsConst(m_records))
        record->invalidateTimestamp();
}

void AcquisitionAgManager::markConnected()
{
    const QList<AgConfig> configs = m_instrumentConfig.getAgConfigs();
    for (const AgConfig &config : configs) {
        if (AcquisitionAg *record = find(config.getName()))
            record->setConnected();
    }
}

void AcquisitionAgManager::setTimestamp(const QString &name, int code, const AgTimestamp &timestamp)
{
    if (AcquisitionAg *record = find(name))
        record->setTimestamp(code, timestamp);
}

void AcquisitionAgManager::onDataReplied(const QString &name, int code)
{
    if (AcquisitionAg *record = find(name))
        record->setReplyResult(code);
}

void AcquisitionAgManager::onStoreResult(const QString &name, int code, int storedSamples)
{
    if (AcquisitionAg *record = find(name))
        record->setStoreResult(code, storedSamples);
}

void AcquisitionAgManager::onFutureSamples(const QString &name, int count, qint64 newest)
{
    if (AcquisitionAg *record = find(name))
        record->addFutureSamples(count, newest);
}

void AcquisitionAgManager::onOldSamples(const QString &name, int count, qint64 from, qint64 to)
{
    if (AcquisitionAg *record = find(name))
        record->addOldSamples(count, from, to);
}

void AcquisitionAgManager::setClockAheadMs(const QString &name, qint64 ms)
{
    if (AcquisitionAg *record = find(name))
        record->setClockAheadMs(ms);
}

void AcquisitionAgManager::setLastGap(const QString &name, qint64 from, qint64 to, qint64 missing)
{
    if (AcquisitionAg *record = find(name))
        record->setLastGap(from, to, missing);
}

void AcquisitionAgManager::setStopCause(const QString &name, const QString &cause)
{
    if (AcquisitionAg *record = find(name))
        record->setStopCause(cause);
}

void AcquisitionAgManager::setUnreachable(bool unreachable)
{
    for (AcquisitionAg *record : qAsConst(m_records))
        record->setUnreachable(unreachable);
}

void AcquisitionAgManager::onDataReplyFailed(int code)
{
    const QList<AgConfig> configs = m_instrumentConfig.getAgConfigs();
    for (const AgConfig &config : configs) {
        if (!isAcquisitionActive(config.getName()))
            continue;
        if (AcquisitionAg *record = find(config.getName()))
            record->setReplyResult(code);
    }
}

bool AcquisitionAgManager::isAcquisitionActive(const QString &name) const
{
    if (!m_acquisitionFlag || !m_instrumentConfig.hasAgConfig(name))
        return false;
    const AgConfig config = m_instrumentConfig.getAgConfig(name);
    return !config.getImported() && config.getHasLoggingEnabled();
}

void AcquisitionAgManager::resetStatus()
{
    for (AcquisitionAg *record : qAsConst(m_records))
        record->resetStatus();
}

bool AcquisitionAgManager::hasStatus(const QList<AcquisitionAg> &list) const
{
    if (list.size() != m_records.size())
        return false;
    int i = 0;
    for (const AcquisitionAg *record : m_records) {
        if (!record->sameStatus(list.at(i++)))
            return false;
    }
    return true;
}

QList<AcquisitionAg> AcquisitionAgManager::getStatusList() const
{
    QList<AcquisitionAg> result;
    for (const AcquisitionAg *record : m_records)
        result.append(*record);
    return result;
}
