#pragma once

#include "InstrumentController.h"

#include "config/InstrumentConfig.h"

#include <QList>
#include <QReadWriteLock>
#include <QString>

class AAudioGroup;
class AgTimestamp;
class CommandParameter;

// One configured meter in the running system: its controller thread (with the Device) and
// one audiogroup per configured audiogroup. Built and changed on the system controller's
// thread; posting and lookups from any thread.
class Instrument
{
public:
    Instrument();
    virtual ~Instrument();
    Instrument(const Instrument &) = delete;
    Instrument &operator=(const Instrument &) = delete;

    int init(bool acquisitionFlag, const InstrumentConfig &config);
    bool isFinished() const;
    bool areAllFinished() const;
    void setDeleteImportedDbsOnClose();
    void stop();
    void pause();
    bool isPaused() const;
    void unpause();
    void resetHijackRequest();
    void allowHijackRequest();

    // Posting onto the controller's queue; 0 queued, -1 refused.
    int postDeviceReply(CommandParameter *reply);
    int postTimestampReply(const QString &agName, int code, const AgTimestamp &timestamp);
    // newest: the newest sample the file holds after the store; an invalid one when it
    // could not be read.
    int postStoreResult(const QString &agName, int code, const AgTimestamp &newest,
                        int storedSamples);
    int requestAcquisitionStatus();
    bool hasUnpublishedStatus() const { return m_controller.hasUnpublishedStatus(); }
    int resetAcquisitionStatus();

    QString getName() const;
    int getAudioGroupCount() const;
    AAudioGroup *findAudioGroup(const QString &sourceName) const;
    int addAudioGroup(bool acquisitionFlag, const AgConfig &agConfig);
    AAudioGroup *takeAudioGroup(const QString &sourceName);
    QList<AAudioGroup *> getAudioGroups() const;
    void applyInstrumentConfig(bool acquisitionFlag, const InstrumentConfig &config);
    void postInstrumentConfig(bool acquisitionFlag, const InstrumentConfig &config);

    InstrumentController &getController() { return m_controller; }

private:
    int addAudioGroup(bool acquisitionFlag, const InstrumentConfig &instrumentConfig,
                      const AgConfig &agConfig);
    int post(int type, CommandParameter *parameter = nullptr);

    bool m_acquisitionFlag = false;
    InstrumentConfig m_instrumentConfig;
    QString m_name;
    InstrumentController m_controller;
    // Read by the GUI and the controller threads, changed by the system controller's.
    mutable QReadWriteLock m_audioGroupsLock;
    QList<AAudioGroup *> m_audioGroups;
};
