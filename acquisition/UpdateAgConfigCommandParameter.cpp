#include "UpdateAgConfigCommandParameter.h"

UpdateAgConfigCommandParameter::UpdateAgConfigCommandParameter(
    bool acquisitionFlag, const InstrumentConfig &instrumentConfig, const AgConfig &agConfig)
    : m_acquisitionFlag(acquisitionFlag), m_instrumentConfig(instrumentConfig), m_agConfig(agConfig)
{
}

UpdateAgConfigCommandParameter::~UpdateAgConfigCommandParameter() = default;
