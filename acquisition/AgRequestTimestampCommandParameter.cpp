#include "AgRequestTimestampCommandParameter.h"

AgRequestTimestampCommandParameter::AgRequestTimestampCommandParameter(
    const QString &instrumentName)
    : m_instrumentName(instrumentName)
{
}

AgRequestTimestampCommandParameter::~AgRequestTimestampCommandParameter() = default;
