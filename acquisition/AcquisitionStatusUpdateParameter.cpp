#include "AcquisitionStatusUpdateParameter.h"

AcquisitionStatusUpdateParameter::AcquisitionStatusUpdateParameter(
    const QList<AcquisitionAg> &statusList)
    : m_statusList(statusList)
{
}

AcquisitionStatusUpdateParameter::~AcquisitionStatusUpdateParameter() = default;
