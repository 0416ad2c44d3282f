#include "ReportTaskQueue.h"

ReportTaskQueue::ReportTaskQueue() = default;

ReportTaskQueue::~ReportTaskQueue() = default;

void ReportTaskQueue::addTask(const QString &nameKey, bool checkIAtProgramEndOnly,
                              const ReportConfig &reportConfig,
                              const InstrumentConfig &instrumentConfig, const AgConfig &agConfig,
                              const std::vector<Program> &programs, qint64 startTime,
                              qint64 endTime)
{
    ReportTask task(nameKey, checkIAtProgramEndOnly, reportConfig, instrumentConfig, agConfig,
                    programs, startTime, endTime);
    if (!m_converterProgram.isEmpty())
        task.setConverterProgram(m_converterProgram);
    if (m_folderOpener)
        task.setFolderOpener(m_folderOpener);
    m_tasks.push_back(std::move(task));
}

void ReportTaskQueue::processFront(AAgDataModel *model)
{
    if (m_tasks.empty())
        return;
    m_tasks.front().step(model);
    if (m_tasks.front().isFinished())
        m_tasks.erase(m_tasks.begin());
}

void ReportTaskQueue::cancelTask(const QString &nameKey)
{
    for (ReportTask &task : m_tasks) {
        if (task.getName() == nameKey) {
            task.cancel();
            return;
        }
    }
}

void ReportTaskQueue::cancelAll()
{
    for (ReportTask &task : m_tasks)
        task.cancel();
}
