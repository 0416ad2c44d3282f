#include "AcquisitionTimecodeCommandParameter.h"

AcquisitionTimecodeCommandParameter::AcquisitionTimecodeCommandParameter(
    const AgTimestamp &timestamp, int storedSamples)
    : m_timestamp(timestamp), m_storedSamples(storedSamples)
{
}

AcquisitionTimecodeCommandParameter::~AcquisitionTimecodeCommandParameter() = default;
