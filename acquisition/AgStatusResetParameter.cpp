#include "AgStatusResetParameter.h"

AgStatusResetParameter::AgStatusResetParameter(const QString &instrumentName, const QString &agName)
    : m_instrumentName(instrumentName), m_agName(agName)
{
}

AgStatusResetParameter::~AgStatusResetParameter() = default;
