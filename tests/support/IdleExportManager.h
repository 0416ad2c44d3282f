#pragma once

#include <ADBExportManager.h>

// An audiogroup's export that never runs: every state is idle. Tests derive from it and
// record what they are asked.
class IdleExportManager : public ADBExportManager
{
public:
    int startExport(const InstrumentConfig &, const AgConfig &, qint64, qint64,
                    const QString &) override
    {
        return 0;
    }
    void process(int, AAgDataModel *) override {}
    int cancel() override { return -1; }
    void reset() override {}
    bool isStarted() const override { return false; }
    bool isFinished() const override { return false; }
    bool isCompleted() const override { return false; }
    bool isCancelRequested() const override { return false; }
    QString getMessage() const override { return QString(); }
    qint64 getProgressValue() const override { return 0; }
    qint64 getProgressTotal() const override { return 0; }
};
