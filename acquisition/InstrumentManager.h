#pragma once

#include "config/InstrumentConfig.h"

#include <QList>
#include <QReadWriteLock>
#include <QString>

class AAudioGroup;
class AInstrument;

// The running meters, in creation order, and the one place where an instrument or an
// audiogroup is found by name. Owns the instruments. The list changes on the system
// controller's thread only (with every controller paused) and is read by any thread.
class InstrumentManager
{
public:
    InstrumentManager();
    virtual ~InstrumentManager();
    InstrumentManager(const InstrumentManager &) = delete;
    InstrumentManager &operator=(const InstrumentManager &) = delete;

    // Stops at the first instrument that fails and returns its code.
    int init(bool acquisitionFlag, const QList<InstrumentConfig> &configs);
    // A Name already listed gives 0 and adds nothing; a failed instrument stays listed.
    int addInstrument(bool acquisitionFlag, const InstrumentConfig &config);
    // The caller owns (and retires) the instrument taken out; null when absent.
    AInstrument *removeInstrument(const QString &name);
    AInstrument *findInstrument(const QString &name) const;
    AAudioGroup *findAudioGroup(const QString &instrumentName, const QString &sourceName) const;
    QList<AInstrument *> getInstruments() const;
    bool hasAudioGroups() const;

    void stopAll();
    void pauseAll();
    void unpauseAll();
    bool areAllPaused() const;
    bool areAllFinished() const;
    // Asks each meter and audiogroup whose status changed since it last published it.
    void requestStatusUpdates();
    // Directly, with every controller paused.
    void applyInstrumentConfigs(const QList<InstrumentConfig> &configs, bool acquisitionFlag);
    // Through the controllers' queues.
    void postInstrumentConfigs(const QList<InstrumentConfig> &configs, bool acquisitionFlag);
    // The user's answer to a meter's hijack question: reset (denied or not asked) or allowed.
    void resetHijackRequest(const QString &name);
    void allowHijackRequest(const QString &name);

private:
    mutable QReadWriteLock m_lock;
    QList<AInstrument *> m_instruments;
};
