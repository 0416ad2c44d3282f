#pragma once

#include <AgConfig.h>
#include <Command.h>
#include <InstrumentConfig.h>

// A changed configuration for an audiogroup controller, with the system's acquisition flag.
class UpdateAgConfigCommandParameter : public CommandParameter
{
public:
    UpdateAgConfigCommandParameter(bool acquisitionFlag, const InstrumentConfig &instrumentConfig,
                                   const AgConfig &agConfig);
    ~UpdateAgConfigCommandParameter() override;

    bool getAcquisitionFlag() const { return m_acquisitionFlag; }
    InstrumentConfig getInstrumentConfig() const { return m_instrumentConfig; }
    AgConfig getAgConfig() const { return m_agConfig; }

private:
    bool m_acquisitionFlag;
    InstrumentConfig m_instrumentConfig;
    AgConfig m_agConfig;
};
