#include "ReportTaskQueue.h"

ReportTaskQueue::ReportTaskQueue() = default;

ReportTaskQueue::~ReportTaskQueue() = default;

void ReportTaskQueue::addTask(const QString &reportName, int, bool, const ReportConfig &,
                              const InstrumentConfig &, const AgConfig &,
                              const std::vector<Program> &, qint64, qint64)
{
    m_tasks.append(reportName);
}

void ReportTaskQueue::processFront(AAgDataModel *)
{
    if (!m_tasks.isEmpty())
        m_tasks.removeFirst();
}

void ReportTaskQueue::cancelTask(const QString &reportName)
{
    m_tasks.removeOne(reportName);
}

void ReportTaskQueue::cancelAll()
{
    m_tasks.clear();
}
