#include "GenerateManualReportCommandParameter.h"

GenerateManualReportCommandParameter::GenerateManualReportCommandParameter(const QString &nameKey,
                                                                           qint64 duration)
    : m_nameKey(nameKey), m_duration(duration)
{
}

GenerateManualReportCommandParameter::~GenerateManualReportCommandParameter() = default;
