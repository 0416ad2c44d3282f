#pragma once

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
class ReportTaskQueue
{
public:
    ReportTaskQueue();
    virtual ~ReportTaskQueue();
    ReportTaskQueue(const ReportTaskQueue &) = delete;
    ReportTaskQueue &operator=(const ReportTaskQueue &) = delete;

    void addTask(const QString &reportName, int reportKind, bool checkIAtProgramEndOnly,
                 const ReportConfig &reportConfig, const InstrumentConfig &instrumentConfig,
                 const AgConfig &agConfig, const std::vector<Program> &programs, qint64 from,
                 qint64 to);
    void processFront(AAgDataModel *model);
    void cancelTask(const QString &reportName);
    void cancelAll();
    bool hasTasks() const { return !m_tasks.isEmpty(); }

private:
    QStringList m_tasks;
};
