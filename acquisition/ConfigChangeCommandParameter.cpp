#include "ConfigChangeCommandParameter.h"

ConfigChangeCommandParameter::ConfigChangeCommandParameter(const InstrumentConfig &instrumentConfig)
    : m_instrumentConfig(instrumentConfig)
{
}

ConfigChangeCommandParameter::~ConfigChangeCommandParameter() = default;
