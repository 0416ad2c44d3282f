#include "StartGenerateManualReportCommandParameter.h"

StartGenerateManualReportCommandParameter::StartGenerateManualReportCommandParameter(
    const QMultiMap<QString, QString> &reports, qint64 duration)
    : m_reports(reports), m_duration(duration)
{
}

StartGenerateManualReportCommandParameter::~StartGenerateManualReportCommandParameter() = default;
