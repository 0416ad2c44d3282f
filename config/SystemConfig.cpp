#include "SystemConfig.h"

SystemConfig::SystemConfig()
    : m_configVersion(QStringLiteral("1.0")), m_rangeSettings(defaultRangeSettings())
{
}

QList<int> SystemConfig::defaultRangeSettings()
{
    // Seven distinct spans in ascending order, one per zoom button: 30 s, 5 min, 10 min,
    // 50 min, 2 h, 6 h and 12 h. A shorter list left buttons without a level of their own.
    return {0, 2, 3, 7, 9, 11, 13};
}

SystemConfig::SystemConfig(const SystemConfig &other) : QObject() { *this = other; }

SystemConfig::~SystemConfig() = default;

SystemConfig &SystemConfig::operator=(const SystemConfig &o)
{
    if (this == &o)
        return *this;
    m_configVersion = o.m_configVersion;
    m_startWithOS = o.m_startWithOS;
    m_autoStartLogging = o.m_autoStartLogging;
    m_manualAcquisitionOn = o.m_manualAcquisitionOn;
    m_alertsEnabled = o.m_alertsEnabled;
    m_checkIAtProgramEndOnly = o.m_checkIAtProgramEndOnly;
    m_hideProgramId = o.m_hideProgramId;
    m_rangeSettings = o.m_rangeSettings;
    m_acquisitionTimeout = o.m_acquisitionTimeout;
    m_backupCheckTimeout = o.m_backupCheckTimeout;
    m_plotLiveModeBuffer = o.m_plotLiveModeBuffer;
    m_networkRequestTimeout = o.m_networkRequestTimeout;
    m_reportConfig = o.m_reportConfig;
    m_smtpConfig = o.m_smtpConfig;
    // Value copies: Qt's containers share their records until either side changes them,
    // with atomic counts, so a copy on another thread never sees a change of its source.
    // Copying every record eagerly made each status refresh copy every configuration.
    m_alertContacts = o.m_alertContacts;
    m_instruments = o.m_instruments;
    return *this;
}

void SystemConfig::setRangeSettings(const QList<int> &settings)
{
    m_rangeSettings = settings;
    while (m_rangeSettings.size() < 7)
        m_rangeSettings.append(0);
}

void SystemConfig::setInstruments(const QList<InstrumentConfig> &instruments)
{
    m_instruments.clear();
    for (const InstrumentConfig &instrument : instruments)
        m_instruments.insert(instrument.getName(), instrument);
}

InstrumentConfig SystemConfig::getInstrument(const QString &name) const
{
    auto it = m_instruments.constFind(name);
    return it != m_instruments.constEnd() ? *it : InstrumentConfig();
}

bool SystemConfig::hasInstrumentWithIp(const QString &ipAdr) const
{
    for (const InstrumentConfig &instrument : m_instruments)
        if (instrument.getIpAdr() == ipAdr)
            return true;
    return false;
}

InstrumentConfig SystemConfig::getInstrumentByIp(const QString &ipAdr) const
{
    for (const InstrumentConfig &instrument : m_instruments)
        if (instrument.getIpAdr() == ipAdr)
            return instrument;
    return InstrumentConfig();
}

void SystemConfig::addOrUpdateInstrument(const InstrumentConfig &instrument)
{
    auto it = m_instruments.find(instrument.getName());
    if (it == m_instruments.end()) {
        m_instruments.insert(instrument.getName(), instrument);
        return;
    }
    InstrumentConfig merged(instrument);
    const QList<AgConfig> stored = it->getAgConfigs();
    for (const AgConfig &config : stored)
        merged.setAgConfig(config);
    *it = merged;
}

void SystemConfig::updateInstruments(const QList<InstrumentConfig> &reports)
{
    for (const InstrumentConfig &report : reports) {
        auto it = m_instruments.find(report.getName());
        if (it != m_instruments.end())
            it->update(report);
    }
}

bool SystemConfig::hasAgConfig(const QString &instrumentName, const QString &sourceName) const
{
    auto it = m_instruments.constFind(instrumentName);
    return it != m_instruments.constEnd() && it->hasAgConfig(sourceName);
}

AgConfig SystemConfig::getAgConfig(const QString &instrumentName, const QString &sourceName) const
{
    auto it = m_instruments.constFind(instrumentName);
    return it != m_instruments.constEnd() ? it->getAgConfig(sourceName) : AgConfig();
}

void SystemConfig::removeAgConfig(const QString &instrumentName, const QString &sourceName)
{
    auto it = m_instruments.find(instrumentName);
    if (it != m_instruments.end())
        it->removeAgConfig(sourceName);
}

int SystemConfig::getAgConfigCount() const
{
    int count = 0;
    for (const InstrumentConfig &instrument : m_instruments)
        count += instrument.getAgConfigCount();
    return count;
}

void SystemConfig::setAlertContacts(const QList<AlertContactConfig> &contacts)
{
    m_alertContacts = contacts;
}

bool SystemConfig::hasAlertContact(const QString &name) const
{
    for (const AlertContactConfig &contact : m_alertContacts)
        if (contact.getName() == name)
            return true;
    return false;
}

void SystemConfig::addOrUpdateAlertContact(const AlertContactConfig &contact)
{
    for (AlertContactConfig &held : m_alertContacts) {
        if (held.getName() == contact.getName()) {
            held = contact;
            return;
        }
    }
    m_alertContacts.append(contact);
}

void SystemConfig::removeAlertContact(const QString &name)
{
    for (int i = 0; i < m_alertContacts.size(); ++i) {
        if (m_alertContacts.at(i).getName() == name) {
            m_alertContacts.removeAt(i);
            return;
        }
    }
}
