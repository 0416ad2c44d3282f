#include "ReportConfig.h"

#include "ConfigQuery.h"
#include "ConfigReflection.h"

#include <XMLTag.h>

ReportConfig::ReportConfig(QObject *parent) : QObject(parent) {}

ReportConfig::ReportConfig(const ReportConfig &other) : QObject() { *this = other; }

ReportConfig::~ReportConfig() = default;

ReportConfig &ReportConfig::operator=(const ReportConfig &o)
{
    if (this == &o)
        return *this;
    m_companyName = o.m_companyName;
    m_companyAddress = o.m_companyAddress;
    m_companyAddress2 = o.m_companyAddress2;
    return *this;
}

void ReportConfig::toXml(XMLTag &parent) const
{
    appendObjectElement(*this, QStringLiteral("ReportConfig"), parent);
}

ReportConfig ReportConfig::fromXml(ConfigQuery &query)
{
    return readObject<ReportConfig>(query, ConfigQuery::SectionReport);
}
