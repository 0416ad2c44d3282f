#pragma once

#include <AgTimestamp.h>
#include <Command.h>

// An audiogroup's newest stored time stamp, answered to its instrument controller; with a
// store result also how many samples of the batch were stored (-1: not told).
class AcquisitionTimecodeCommandParameter : public CommandParameter
{
public:
    explicit AcquisitionTimecodeCommandParameter(const AgTimestamp &timestamp,
                                                 int storedSamples = -1);
    ~AcquisitionTimecodeCommandParameter() override;

    AgTimestamp getTimestamp() const { return m_timestamp; }
    int getStoredSamples() const { return m_storedSamples; }

private:
    AgTimestamp m_timestamp;
    int m_storedSamples;
};
