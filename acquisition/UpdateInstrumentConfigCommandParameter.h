#pragma once

#include <Command.h>
#include <InstrumentConfig.h>

// A changed configuration for an instrument controller, with the system's acquisition flag.
class UpdateInstrumentConfigCommandParameter : public CommandParameter
{
public:
    UpdateInstrumentConfigCommandParameter(bool acquisitionFlag,
                                           const InstrumentConfig &instrumentConfig);
    ~UpdateInstrumentConfigCommandParameter() override;

    bool getAcquisitionFlag() const { return m_acquisitionFlag; }
    InstrumentConfig getInstrumentConfig() const { return m_instrumentConfig; }

private:
    bool m_acquisitionFlag;
    InstrumentConfig m_instrumentConfig;
};
