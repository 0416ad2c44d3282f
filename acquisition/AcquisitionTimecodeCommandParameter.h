#pragma once

#include <AgTimestamp.h>
#include <Command.h>

// An audiogroup's newest stored time stamp, answered to its instrument controller.
class AcquisitionTimecodeCommandParameter : public CommandParameter
{
public:
    explicit AcquisitionTimecodeCommandParameter(const AgTimestamp &timestamp);
    ~AcquisitionTimecodeCommandParameter() override;

    AgTimestamp getTimestamp() const { return m_timestamp; }

private:
    AgTimestamp m_timestamp;
};
