#pragma once

#include <Command.h>

#include <QMultiMap>

// The audiogroups to report on (instrument name to audiogroup name) and the period in ms.
class StartGenerateManualReportCommandParameter : public CommandParameter
{
public:
    StartGenerateManualReportCommandParameter(const QMultiMap<QString, QString> &reports,
                                              qint64 duration);
    ~StartGenerateManualReportCommandParameter() override;

    QMultiMap<QString, QString> getReports() const { return m_reports; }
    qint64 getDuration() const { return m_duration; }

private:
    QMultiMap<QString, QString> m_reports;
    qint64 m_duration;
};
