#include "CancelManualReportCommandParameter.h"

CancelManualReportCommandParameter::CancelManualReportCommandParameter(const QString &nameKey)
    : m_nameKey(nameKey)
{
}

CancelManualReportCommandParameter::~CancelManualReportCommandParameter() = default;
