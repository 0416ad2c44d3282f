#pragma once

#include "PausableController.h"

#include "AcquisitionAg.h"

#include "config/InstrumentConfig.h"

#include <QList>

#include <atomic>

class Device;

// The worker thread of one meter: steps its Device when its pacing says so, then runs the
// replies and answers that reached its queue. Built paused; refuses commands until unpaused.
class InstrumentController : public PausableController
{
    Q_OBJECT
public:
    enum CommandType {
        CmdDeviceReply = 0,
        CmdTimestampReply = 1,
        CmdStoreResult = 2,
        CmdPublishStatus = 3,
        CmdResetStatus = 4,
        CmdUpdateConfig = 5
    };

    explicit InstrumentController(QObject *parent = nullptr);
    ~InstrumentController() override;

    // 0, or -1 when no device was made.
    int init(bool acquisitionFlag, const InstrumentConfig &config);
    // Directly while paused; through command 5 while running.
    void applyConfig(bool acquisitionFlag, const InstrumentConfig &config);

    // The user's answer to the meter's hijack question (see Device).
    void resetHijackRequest();
    void allowHijackRequest();

    QString getName() const;
    // The status differs from the one last published; any thread. The main window's
    // periodic refresh asks only for such.
    bool hasUnpublishedStatus() const { return m_statusUnpublished.load(); }
    // For tests: the device, touched only while the thread is not running.
    Device *getDevice() const { return m_device; }

protected:
    void workingCycle() override;
    int handleCommand(Command *command) override;
    QString commandQueueName() const override;
    qint64 msUntilNextDuty() const override;
    // Store results of one data reply wake the thread once, with the last of them.
    void onCommandQueued(int commandType) override;
    void onResumed() override;

private:
    int publishAcquisitionStatus();

    bool m_acquisitionFlag = false;
    InstrumentConfig m_instrumentConfig;
    // Set by init before the thread starts; a meter keeps its Name for life.
    QString m_name;
    Device *m_device = nullptr;
    QList<AcquisitionAg> m_publishedStatus;
    // True at first, so that the first refresh publishes.
    std::atomic<bool> m_statusUnpublished{true};
};
