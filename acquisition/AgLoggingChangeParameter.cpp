#include "AgLoggingChangeParameter.h"

AgLoggingChangeParameter::AgLoggingChangeParameter(const QString &instrumentName,
                                                   const QString &agName)
    : m_instrumentName(instrumentName), m_agName(agName)
{
}

AgLoggingChangeParameter::~AgLoggingChangeParameter() = default;
