#include "AlertContactConfig.h"

#include "ConfigQuery.h"
#include "ConfigReflection.h"

#include <XMLTag.h>

AlertContactConfig::AlertContactConfig() = default;

AlertContactConfig::AlertContactConfig(const AlertContactConfig &other) : QObject() { *this = other; }

AlertContactConfig::~AlertContactConfig() = default;

AlertContactConfig &AlertContactConfig::operator=(const AlertContactConfig &o)
{
    if (this == &o)
        return *this;
    m_name = o.m_name;
    m_email = o.m_email;
    return *this;
}

void AlertContactConfig::toXml(XMLTag &parent) const
{
    XMLTag tag(QStringLiteral("AlertContactConfig"));
    tag.setAttribute(QStringLiteral("Name"), m_name);
    writeObjectFields(*this, tag);
    parent.appendChild(tag);
}

AlertContactConfig AlertContactConfig::fromXml(const QString &name, ConfigQuery &query)
{
    AlertContactConfig config;
    config.setName(name);
    query.bindContactName(name);
    readObjectFields(config, query, ConfigQuery::SectionContact);
    return config;
}
