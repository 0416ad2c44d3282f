#include "AgConfig.h"

#include "ConfigQuery.h"
#include "ConfigReflection.h"

#include <KivTypes.h>
#include <XMLTag.h>

AgConfig::AgConfig() { setDefaults(); }

AgConfig::AgConfig(const QString &name) : m_name(name) { setDefaults(); }

AgConfig::AgConfig(const AgConfig &other) : QObject() { *this = other; }

AgConfig::~AgConfig() = default;

void AgConfig::setDefaults()
{
    m_audioMode.clear();
    m_domain.clear();
    m_loudnessMode.clear();
    m_loudnessUnit = QStringLiteral("LU");
    m_loudnessMinDb = -18.0;
    m_loudnessMaxDb = 10.5;
    m_hasLoggingEnabled = true;
    m_targetLoudness = -23.0;
    m_refTPMax = -23.0;
    m_tpUpper = -3.0;
    m_tpUpperSecondary = -3.0;
    m_mUpper = 8.0;
    m_mUpperSecondary = 8.0;
    m_sUpper = 3.0;
    m_sUpperSecondary = 3.0;
    m_iUpper = 1.0;
    m_iLower = -1.0;
    m_iUpperSecondary = 1.0;
    m_iLowerSecondary = -1.0;
    m_iUpperCountMain = m_iLowerCountMain = m_mCountMain = m_sCountMain = m_tpCountMain = 1;
    m_iUpperCountSecondary = m_iLowerCountSecondary = m_mCountSecondary = m_sCountSecondary =
        m_tpCountSecondary = 1;
    m_mainActive = true;
    m_secondaryActive = false;
    m_autoreconnect = false;
    m_alertsEnabled = true;
    m_imported = false;
}

AgConfig &AgConfig::operator=(const AgConfig &o)
{
    if (this == &o)
        return *this;
    m_name = o.m_name;
    m_audioMode = o.m_audioMode;
    m_domain = o.m_domain;
    m_loudnessMode = o.m_loudnessMode;
    m_loudnessUnit = o.m_loudnessUnit;
    m_loudnessMinDb = o.m_loudnessMinDb;
    m_loudnessMaxDb = o.m_loudnessMaxDb;
    m_hasLoggingEnabled = o.m_hasLoggingEnabled;
    m_targetLoudness = o.m_targetLoudness;
    m_refTPMax = o.m_refTPMax;
    m_tpUpper = o.m_tpUpper;
    m_tpUpperSecondary = o.m_tpUpperSecondary;
    m_mUpper = o.m_mUpper;
    m_mUpperSecondary = o.m_mUpperSecondary;
    m_sUpper = o.m_sUpper;
    m_sUpperSecondary = o.m_sUpperSecondary;
    m_iUpper = o.m_iUpper;
    m_iLower = o.m_iLower;
    m_iUpperSecondary = o.m_iUpperSecondary;
    m_iLowerSecondary = o.m_iLowerSecondary;
    m_iUpperCountMain = o.m_iUpperCountMain;
    m_iLowerCountMain = o.m_iLowerCountMain;
    m_mCountMain = o.m_mCountMain;
    m_sCountMain = o.m_sCountMain;
    m_tpCountMain = o.m_tpCountMain;
    m_iUpperCountSecondary = o.m_iUpperCountSecondary;
    m_iLowerCountSecondary = o.m_iLowerCountSecondary;
    m_mCountSecondary = o.m_mCountSecondary;
    m_sCountSecondary = o.m_sCountSecondary;
    m_tpCountSecondary = o.m_tpCountSecondary;
    m_mainActive = o.m_mainActive;
    m_secondaryActive = o.m_secondaryActive;
    m_autoreconnect = o.m_autoreconnect;
    m_alertsEnabled = o.m_alertsEnabled;
    m_imported = o.m_imported;
    return *this;
}

void AgConfig::update(const AgConfig &report)
{
    if (&report == this || report.m_name != m_name)
        return;
    m_audioMode = report.m_audioMode;
    m_domain = report.m_domain;
    m_loudnessMode = report.m_loudnessMode;
    m_loudnessUnit = report.m_loudnessUnit;
    m_loudnessMinDb = report.m_loudnessMinDb;
    m_loudnessMaxDb = report.m_loudnessMaxDb;
    m_targetLoudness = report.m_targetLoudness;
}

double AgConfig::getUpperThreshold(int plotValue) const
{
    switch (plotValue) {
    case PlotValueTP: return m_tpUpper;
    case PlotValueM: return m_mUpper;
    case PlotValueS: return m_sUpper;
    case PlotValueI: return m_iUpper;
    default: return 0.0;
    }
}

double AgConfig::getUpperSecondaryThreshold(int plotValue) const
{
    switch (plotValue) {
    case PlotValueTP: return m_tpUpperSecondary;
    case PlotValueM: return m_mUpperSecondary;
    case PlotValueS: return m_sUpperSecondary;
    case PlotValueI: return m_iUpperSecondary;
    default: return 0.0;
    }
}

double AgConfig::getLowerThreshold(int plotValue) const
{
    return plotValue == PlotValueI ? m_iLower : 0.0;
}

double AgConfig::getLowerSecondaryThreshold(int plotValue) const
{
    return plotValue == PlotValueI ? m_iLowerSecondary : 0.0;
}

double AgConfig::loudnessThresholdOffset() const
{
    return m_loudnessUnit != QLatin1String("LU") ? m_targetLoudness : 0.0;
}

void AgConfig::toXml(XMLTag &parent) const
{
    XMLTag tag(QStringLiteral("AudioGroup"));
    tag.setAttribute(QStringLiteral("SourceName"), m_name);
    writeObjectFields(*this, tag);
    parent.appendChild(tag);
}

AgConfig AgConfig::fromXml(const QString &name, ConfigQuery &query)
{
    AgConfig config(name);
    query.bindAgName(name);
    readObjectFields(config, query, ConfigQuery::SectionAudioGroup);
    return config;
}
