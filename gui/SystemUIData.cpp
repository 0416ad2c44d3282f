#include "SystemUIData.h"

SystemUIData::SystemUIData() = default;

SystemUIData::~SystemUIData() = default;

void SystemUIData::setAcquisitionStatus(const QList<AcquisitionAg> &status)
{
    for (const AcquisitionAg &record : status)
        m_acquisition[record.getInstrumentName()].insert(record.getSourceName(), record);
}

bool SystemUIData::hasAcquisitionStatus(const QString &instrumentName, const QString &agName) const
{
    return m_acquisition.value(instrumentName).contains(agName);
}

AcquisitionAg SystemUIData::getAcquisitionStatus(const QString &instrumentName,
                                                 const QString &agName) const
{
    return m_acquisition.value(instrumentName).value(agName);
}

void SystemUIData::setViolations(const QString &instrumentName, const QString &agName,
                                 const AgViolations &violations)
{
    m_violations[instrumentName].insert(agName, violations);
}

bool SystemUIData::hasViolations(const QString &instrumentName, const QString &agName) const
{
    return m_violations.value(instrumentName).contains(agName);
}

AgViolations SystemUIData::getViolations(const QString &instrumentName, const QString &agName) const
{
    return m_violations.value(instrumentName).value(agName);
}
