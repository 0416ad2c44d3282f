#include "SMTPConfig.h"

#include "ConfigQuery.h"
#include "ConfigReflection.h"

#include <XMLTag.h>

SMTPConfig::SMTPConfig() : m_connectionType(QStringLiteral("SSL")) {}

SMTPConfig::SMTPConfig(const SMTPConfig &other) : QObject() { *this = other; }

SMTPConfig::~SMTPConfig() = default;

SMTPConfig &SMTPConfig::operator=(const SMTPConfig &o)
{
    if (this == &o)
        return *this;
    m_connectionType = o.m_connectionType;
    m_senderEmailAddress = o.m_senderEmailAddress;
    m_host = o.m_host;
    m_port = o.m_port;
    m_user = o.m_user;
    m_password = o.m_password;
    return *this;
}

void SMTPConfig::toXml(XMLTag &parent) const
{
    appendObjectElement(*this, QStringLiteral("SMTPConfig"), parent);
}

SMTPConfig SMTPConfig::fromXml(ConfigQuery &query)
{
    return readObject<SMTPConfig>(query, ConfigQuery::SectionSmtp);
}
