#pragma once

#include <QString>
#include <QtGlobal>

class AAgDataModel;
class AgConfig;
class InstrumentConfig;

// What an audiogroup controller needs of its export state machine; the export layer
// implements it (AgServiceFactories).
class ADBExportManager
{
public:
    virtual ~ADBExportManager() = default;
    // -1 when an export is already started.
    virtual int startExport(const InstrumentConfig &instrumentConfig, const AgConfig &agConfig,
                            qint64 from, qint64 to, const QString &targetPath) = 0;
    // One window of the export.
    virtual void process(int value, AAgDataModel *model) = 0;
    // -1 when no export runs.
    virtual int cancel() = 0;
    virtual void reset() = 0;
    virtual bool isStarted() const = 0;
    virtual bool isFinished() const = 0;
    virtual bool isCompleted() const = 0;
    virtual bool isCancelRequested() const = 0;
    virtual QString getMessage() const = 0;
    virtual qint64 getProgressValue() const = 0;
    virtual qint64 getProgressTotal() const = 0;
    // When the controller's export step next has work, in ms: -1 not before a new export, 0
    // at every step. A started export is stepped until it has been reset.
    virtual qint64 msUntilNextStep() const { return isStarted() ? 0 : -1; }
};
