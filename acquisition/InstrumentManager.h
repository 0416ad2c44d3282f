#pragma once

#include <InstrumentConfig.h>

#include <QList>
#include <QString>

// The running meters of the system.
class InstrumentManager
{
public:
    InstrumentManager();
    virtual ~InstrumentManager();
    InstrumentManager(const InstrumentManager &) = delete;
    InstrumentManager &operator=(const InstrumentManager &) = delete;

    // 0, or the first failing instrument's result.
    int init(bool acquisitionFlag, const QList<InstrumentConfig> &configs);
    void stopAll();
    void unpauseAll();
    // True for an empty list.
    bool areAllFinished() const;
    void requestStatusUpdates();
    void applyInstrumentConfigs(const QList<InstrumentConfig> &configs, bool acquisitionFlag);
    void postInstrumentConfigs(const QList<InstrumentConfig> &configs, bool acquisitionFlag);
};
