#include "SystemUIData.h"

#include <atomic>

namespace {

// The record stored for the audiogroup, or a default-constructed one. Looked up without
// inserting, so a reader never changes the maps.
template <typename T>
const T *stored(const QMap<QString, QMap<QString, T>> &records, const QString &instrumentName,
                const QString &agName)
{
    const auto instrument = records.constFind(instrumentName);
    if (instrument != records.cend()) {
        const auto record = instrument->constFind(agName);
        if (record != instrument->cend())
            return &*record;
    }
    return nullptr;
}

template <typename T>
T storedOrDefault(const QMap<QString, QMap<QString, T>> &records, const QString &instrumentName,
                  const QString &agName)
{
    const T *record = stored(records, instrumentName, agName);
    return record ? *record : T();
}

} // namespace

SystemUIData::SystemUIData() = default;

SystemUIData::SystemUIData(const SystemUIData &other)
{
    copyFrom(other);
}

SystemUIData &SystemUIData::operator=(const SystemUIData &other)
{
    if (this != &other)
        copyFrom(other);
    return *this;
}

SystemUIData::~SystemUIData() = default;

void SystemUIData::copyFrom(const SystemUIData &other)
{
    m_systemConfig = other.m_systemConfig;
    m_configRevision = other.m_configRevision;
    m_acquisition = other.m_acquisition;
    m_countersOnly = true;
    if (other.m_countersOnly) {
        m_violations = other.m_violations;
        return;
    }
    // Rebuilt record by record: each AgViolations copy takes the counters and leaves the
    // pending sample behind, so no copy shares it with the writer's map.
    m_violations.clear();
    for (auto instrument = other.m_violations.cbegin(); instrument != other.m_violations.cend();
         ++instrument) {
        QMap<QString, AgViolations> &target = m_violations[instrument.key()];
        for (auto ag = instrument->cbegin(); ag != instrument->cend(); ++ag)
            target.insert(ag.key(), AgViolations(ag.value()));
    }
}

void SystemUIData::setSystemConfig(SystemConfig config)
{
    static std::atomic<quint64> lastRevision{0};
    m_systemConfig = std::move(config);
    m_configRevision = ++lastRevision;
}

SystemConfig SystemUIData::getSystemConfig() const
{
    return m_systemConfig;
}

void SystemUIData::setAcquisitionStatus(const QList<AcquisitionAg> &status)
{
    for (const AcquisitionAg &record : status)
        m_acquisition[record.getInstrumentName()].insert(record.getSourceName(), record);
}

void SystemUIData::setAgViolations(const QString &instrumentName, const QString &agName,
                                   const AgViolations &violations)
{
    m_violations[instrumentName].insert(agName, violations);
}

AcquisitionAg SystemUIData::getAcquisitionAg(const QString &instrumentName,
                                             const QString &agName) const
{
    return storedOrDefault(m_acquisition, instrumentName, agName);
}

const AcquisitionAg *SystemUIData::findAcquisitionAg(const QString &instrumentName,
                                                     const QString &agName) const
{
    return stored(m_acquisition, instrumentName, agName);
}

AgViolations SystemUIData::getAgViolations(const QString &instrumentName,
                                           const QString &agName) const
{
    return storedOrDefault(m_violations, instrumentName, agName);
}
