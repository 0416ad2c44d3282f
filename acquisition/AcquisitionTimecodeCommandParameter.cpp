#include "AcquisitionTimecodeCommandParameter.h"

AcquisitionTimecodeCommandParameter::AcquisitionTimecodeCommandParameter(
    const AgTimestamp &timestamp)
    : m_timestamp(timestamp)
{
}

AcquisitionTimecodeCommandParameter::~AcquisitionTimecodeCommandParameter() = default;
