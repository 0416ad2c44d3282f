#pragma once

#include "ReportTask.h"

#include <AReportTaskQueue.h>

#include <QString>
#include <QtGlobal>

#include <vector>

// An audiogroup's report tasks, first in first out; only the front one advances. Used on
// its audiogroup controller's thread only.
class ReportTaskQueue : public AReportTaskQueue
{
public:
    ReportTaskQueue();
    ~ReportTaskQueue() override;
    ReportTaskQueue(const ReportTaskQueue &) = delete;
    ReportTaskQueue &operator=(const ReportTaskQueue &) = delete;

    void addTask(const QString &nameKey, bool checkIAtProgramEndOnly,
                 const ReportConfig &reportConfig, const InstrumentConfig &instrumentConfig,
                 const AgConfig &agConfig, const std::vector<Program> &programs, qint64 startTime,
                 qint64 endTime) override;
    // One step of the front task; removes it in the step in which it finishes.
    void processFront(AAgDataModel *model) override;
    // Cancels the first task of that key; nothing when none has it.
    void cancelTask(const QString &nameKey) override;
    void cancelAll() override;
    bool hasTasks() const override { return !m_tasks.empty(); }

    // For the tasks added from now on (see ReportTask).
    void setConverterProgram(const QString &programPath) { m_converterProgram = programPath; }
    void setFolderOpener(ReportTask::FolderOpener opener) { m_folderOpener = std::move(opener); }

    const std::vector<ReportTask> &getTasks() const { return m_tasks; }

private:
    // Moved, never copied: a copy would start the work again.
    std::vector<ReportTask> m_tasks;
    QString m_converterProgram;
    ReportTask::FolderOpener m_folderOpener;
};
