#include "GenerateManualReportFinishCommandParameter.h"

GenerateManualReportFinishCommandParameter::GenerateManualReportFinishCommandParameter(
    const QString &nameKey, bool converted, bool failed, const QString &message)
    : m_nameKey(nameKey), m_converted(converted), m_failed(failed), m_message(message)
{
}

GenerateManualReportFinishCommandParameter::~GenerateManualReportFinishCommandParameter() = default;
