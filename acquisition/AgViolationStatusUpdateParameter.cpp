#include "AgViolationStatusUpdateParameter.h"

AgViolationStatusUpdateParameter::AgViolationStatusUpdateParameter(const QString &instrumentName,
                                                                   const QString &agName,
                                                                   const AgViolations &violations)
    : m_instrumentName(instrumentName), m_agName(agName), m_violations(violations)
{
}

AgViolationStatusUpdateParameter::~AgViolationStatusUpdateParameter() = default;
