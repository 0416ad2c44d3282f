#pragma once

#include <QString>
#include <QtGlobal>

#include <vector>

class AAgDataModel;
class AgConfig;
class InstrumentConfig;
class Program;
class ReportConfig;

// What an audiogroup controller needs of its pending report tasks; the report layer
// implements it (AgServiceFactories).
class AReportTaskQueue
{
public:
    virtual ~AReportTaskQueue() = default;
    virtual void addTask(const QString &nameKey, bool checkIAtProgramEndOnly,
                         const ReportConfig &reportConfig, const InstrumentConfig &instrumentConfig,
                         const AgConfig &agConfig, const std::vector<Program> &programs,
                         qint64 startTime, qint64 endTime) = 0;
    // One step of the front task; removes it once finished.
    virtual void processFront(AAgDataModel *model) = 0;
    virtual void cancelTask(const QString &nameKey) = 0;
    virtual void cancelAll() = 0;
    virtual bool hasTasks() const = 0;
    // When processFront next has work, in ms: -1 not before a new task, 0 at every step.
    virtual qint64 msUntilNextStep() const { return hasTasks() ? 0 : -1; }
};
