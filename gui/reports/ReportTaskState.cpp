#include "ReportTaskState.h"

#include <KivUtils.h>

ReportTaskState::ReportTaskState(const QString &instrumentName, const QString &sourceName)
    : m_creationTime(currentUtcMSecs()), m_instrumentName(instrumentName), m_sourceName(sourceName)
{
}

ReportTaskState::~ReportTaskState() = default;

QString ReportTaskState::getNameKey() const
{
    return QStringLiteral("%1_%2_%3")
        .arg(QString::number(m_creationTime), m_instrumentName, m_sourceName);
}

void ReportTaskState::setOutcome(bool converted, bool failed, const QString &message)
{
    m_converted = converted;
    m_failed = failed;
    m_message = message;
}
