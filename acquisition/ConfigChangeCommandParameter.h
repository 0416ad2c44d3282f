#pragma once

#include <Command.h>
#include <InstrumentConfig.h>

// The configuration a meter reported, to be merged into the system's.
class ConfigChangeCommandParameter : public CommandParameter
{
public:
    explicit ConfigChangeCommandParameter(const InstrumentConfig &instrumentConfig);
    ~ConfigChangeCommandParameter() override;

    InstrumentConfig getInstrumentConfig() const { return m_instrumentConfig; }

private:
    InstrumentConfig m_instrumentConfig;
};
