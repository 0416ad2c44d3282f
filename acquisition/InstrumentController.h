#pragma once

#include "config/InstrumentConfig.h"
#include "core/CommandQueue.h"
#include "core/KivThread.h"

#include <atomic>

class Device;

// The worker thread of one meter: steps its Device every 10 ms, then runs the replies and
// answers that reached its queue. Built paused; refuses commands until unpaused.
class InstrumentController : public KivThread, public CommandQueue
{
    Q_OBJECT
public:
    enum LoopState { StateCreated = 0, StateRunning = 1, StatePaused = 2, StateFinished = 3 };
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

    void stop() { m_stop = true; }
    void pause() { m_pause = true; }
    void unpause() { m_pause = false; }
    bool isFinished() const;
    bool isPaused() const { return m_loopState.load() == StatePaused; }
    int getLoopState() const { return m_loopState.load(); }

    // The user's answer to the meter's hijack question (see Device).
    void resetHijackRequest();
    void allowHijackRequest();

    QString getName() const;
    // For tests: the device, touched only while the thread is not running.
    Device *getDevice() const { return m_device; }

    // One round of the loop; the thread calls it every 10 ms.
    void step();

protected:
    void loop() override;
    int handleCommand(Command *command) override;
    bool acceptsCommands() override { return m_loopState.load() == StateRunning; }
    QString commandQueueName() const override;

private:
    int publishAcquisitionStatus();

    bool m_acquisitionFlag = false;
    InstrumentConfig m_instrumentConfig;
    // Set by init before the thread starts; a meter keeps its Name for life.
    QString m_name;
    std::atomic<int> m_loopState{StatePaused};
    Device *m_device = nullptr;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_pause{true};
};
