#include "SaveConfigToDbCommandParameter.h"

SaveConfigToDbCommandParameter::SaveConfigToDbCommandParameter(const QString &configXml)
    : m_configXml(configXml)
{
}

SaveConfigToDbCommandParameter::~SaveConfigToDbCommandParameter() = default;
