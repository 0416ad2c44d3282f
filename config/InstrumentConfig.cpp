#include "InstrumentConfig.h"

#include "ConfigQuery.h"
#include "ConfigReflection.h"

#include <XMLTag.h>

#include <QDateTime>

namespace {
QString nowStamp()
{
    return QDateTime::currentDateTime().toString(QStringLiteral("dd/MM/yyyy hh:mm"));
}
} // namespace

InstrumentConfig::InstrumentConfig()
    : m_port(QStringLiteral("80")), m_lastConfigurationChange(nowStamp())
{
}

InstrumentConfig::InstrumentConfig(const QString &name)
    : m_port(QStringLiteral("80")), m_name(name), m_lastConfigurationChange(nowStamp())
{
}

InstrumentConfig::InstrumentConfig(NoStamp) {}

// Copies do not need the clock: every field is assigned.
InstrumentConfig::InstrumentConfig(const InstrumentConfig &other) : InstrumentConfig(NoStamp())
{
    *this = other;
}

InstrumentConfig::~InstrumentConfig() = default;

InstrumentConfig &InstrumentConfig::operator=(const InstrumentConfig &o)
{
    if (this == &o)
        return *this;
    m_ipAdr = o.m_ipAdr;
    m_port = o.m_port;
    m_pass = o.m_pass;
    m_name = o.m_name;
    m_manufacturer = o.m_manufacturer;
    m_modelNumber = o.m_modelNumber;
    m_hardwareId = o.m_hardwareId;
    m_serialNumber = o.m_serialNumber;
    m_softwareVersion = o.m_softwareVersion;
    m_presetName = o.m_presetName;
    m_lastConfigurationChange = o.m_lastConfigurationChange;
    m_configurationID = o.m_configurationID;
    m_timeReference = o.m_timeReference;
    m_refusedAtLoad = o.m_refusedAtLoad;
    m_refusedValues = o.m_refusedValues;
    // A value copy (see SystemConfig's): shared until either side changes.
    m_agConfigs = o.m_agConfigs;
    return *this;
}

void InstrumentConfig::setRefusedAtLoad(const QString &text)
{
    m_refusedAtLoad = text;
    if (text.isEmpty())
        m_refusedValues.clear();
}

void InstrumentConfig::keepRefusedValue(const QString &field, const QString &value)
{
    m_refusedValues.insert(field, value);
}

void InstrumentConfig::setAgConfigs(const QList<AgConfig> &configs)
{
    m_agConfigs.clear();
    for (const AgConfig &config : configs)
        m_agConfigs.insert(config.getName(), config);
}

AgConfig InstrumentConfig::getAgConfig(const QString &sourceName) const
{
    auto it = m_agConfigs.constFind(sourceName);
    return it != m_agConfigs.constEnd() ? *it : AgConfig();
}

void InstrumentConfig::setAgConfig(const AgConfig &config)
{
    auto it = m_agConfigs.find(config.getName());
    if (it != m_agConfigs.end())
        *it = config;
    else
        m_agConfigs.insert(config.getName(), config);
}

void InstrumentConfig::update(const InstrumentConfig &report)
{
    if (&report == this || report.m_name != m_name)
        return;
    m_manufacturer = report.m_manufacturer;
    m_modelNumber = report.m_modelNumber;
    m_hardwareId = report.m_hardwareId;
    m_serialNumber = report.m_serialNumber;
    m_softwareVersion = report.m_softwareVersion;
    m_presetName = report.m_presetName;
    m_configurationID = report.m_configurationID;
    m_lastConfigurationChange = report.m_lastConfigurationChange;
    m_timeReference = report.m_timeReference;
    for (auto it = m_agConfigs.begin(); it != m_agConfigs.end(); ++it) {
        auto reported = report.m_agConfigs.constFind(it.key());
        if (reported != report.m_agConfigs.constEnd())
            it->update(*reported);
    }
}

bool InstrumentConfig::areAllAgConfigsImported() const
{
    for (const AgConfig &config : m_agConfigs)
        if (!config.getImported())
            return false;
    return true;
}

bool InstrumentConfig::findImportedStateMismatch(const InstrumentConfig &other,
                                                 QString *sourceName) const
{
    for (auto it = m_agConfigs.constBegin(); it != m_agConfigs.constEnd(); ++it) {
        auto theirs = other.m_agConfigs.constFind(it.key());
        if (theirs != other.m_agConfigs.constEnd() && theirs->getImported() != it->getImported()) {
            if (sourceName)
                *sourceName = it.key();
            return true;
        }
    }
    return false;
}

// Not by the name's emptiness: an audiogroup read from the file may have an empty one.
bool InstrumentConfig::hasImportedStateMismatch(const InstrumentConfig &other) const
{
    return findImportedStateMismatch(other, nullptr);
}

QString InstrumentConfig::getImportedStateMismatchAg(const InstrumentConfig &other) const
{
    QString sourceName;
    findImportedStateMismatch(other, &sourceName);
    return sourceName;
}

void InstrumentConfig::toXml(XMLTag &parent) const
{
    XMLTag tag(QStringLiteral("Instrument"));
    tag.setAttribute(QStringLiteral("Name"), m_name);
    if (m_refusedValues.isEmpty()) {
        writeObjectFields(*this, tag);
    } else {
        InstrumentConfig asFound(*this);
        asFound.m_ipAdr = m_refusedValues.value(QStringLiteral("IpAdr"), m_ipAdr);
        asFound.m_port = m_refusedValues.value(QStringLiteral("Port"), m_port);
        writeObjectFields(asFound, tag);
    }
    XMLTag groups(QStringLiteral("AudioGroups"));
    for (const AgConfig &config : m_agConfigs)
        config.toXml(groups);
    tag.appendChild(groups);
    parent.appendChild(tag);
}

InstrumentConfig InstrumentConfig::fromXml(const QString &name, ConfigQuery &query)
{
    InstrumentConfig config(name);
    query.bindInstrumentId(name);
    readObjectFields(config, query, ConfigQuery::SectionInstrument);
    // A missing port is no port: polling port 80 instead would go unnoticed.
    if (query.field(ConfigQuery::SectionInstrument, QStringLiteral("Port")).trimmed().isEmpty())
        config.setPort(QString());
    const QStringList sourceNames = query.names(ConfigQuery::SectionAudioGroup);
    for (const QString &sourceName : sourceNames) {
        // The first of duplicate SourceNames wins.
        if (!config.hasAgConfig(sourceName))
            config.setAgConfig(AgConfig::fromXml(sourceName, query));
    }
    return config;
}
