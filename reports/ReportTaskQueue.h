#pragma once

#include <AReportTaskQueue.h>

#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <vector>

class AAgDataModel;
class AgConfig;
class InstrumentConfig;
class Program;
class ReportConfig;

// An audiogroup's pending report tasks, run one step at a time on its controller thread.
class ReportTaskQueue : public AReportTaskQueue
{
public:
    ReportTaskQueue();
    ~ReportTaskQueue() override;
    ReportTaskQueue(const ReportTaskQueue &) = delete;
    ReportTaskQueue &operator=(const ReportTaskQueue &) = delete;

    void addTask(const QString &reportName, int reportKind, bool checkIAtProgramEndOnly,
                 const ReportConfig &reportConfig, const InstrumentConfig &instrumentConfig,
                 const AgConfig &agConfig, const std::vector<Program> &programs, qint64 from,
                 qint64 to) override;
    void processFront(AAgDataModel *model) override;
    void cancelTask(const QString &reportName) override;
    void cancelAll() override;
    bool hasTasks() const override { return !m_tasks.isEmpty(); }

private:
    QStringList m_tasks;
};
