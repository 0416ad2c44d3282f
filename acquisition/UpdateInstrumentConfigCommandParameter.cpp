#include "UpdateInstrumentConfigCommandParameter.h"

UpdateInstrumentConfigCommandParameter::UpdateInstrumentConfigCommandParameter(
    bool acquisitionFlag, const InstrumentConfig &instrumentConfig)
    : m_acquisitionFlag(acquisitionFlag), m_instrumentConfig(instrumentConfig)
{
}

UpdateInstrumentConfigCommandParameter::~UpdateInstrumentConfigCommandParameter() = default;
