#pragma once

#include "ConfigController.h"
#include "HijackPermissionManager.h"

#include <CommandQueue.h>
#include <KivThread.h>
#include <LoopWaker.h>

#include <QMutex>

#include <atomic>
#include <functional>

// The central worker thread. It finishes the start-up (configuration, instruments, main
// window), then runs the commands posted to it as they come, and every 100 ms while any
// are under way advances the configuration operations and presents hijack requests. When
// the program closes it stops every other worker and ends once all have finished; its
// finished() then ends the application.
class SystemController : public KivThread, public CommandQueue
{
    Q_OBJECT
public:
    enum State { StateCreated = 0, StateRunning = 1, StateStopping = 2, StateFinished = 3 };
    static constexpr int kCapacity = 100;
    static constexpr int kStepMs = 100;
    // Without a command, an operation or a request the thread sleeps this long at most.
    static constexpr int kIdleStepMs = 1000;
    static constexpr int kNetworkPollMs = 10;

    explicit SystemController(QObject *parent);
    ~SystemController() override;

    // GUI thread, before the thread starts: database library in multi-thread mode, the
    // add-device transport. The configuration controller's result.
    int prepare();
    // GUI thread: hides the splash screen, the report progress and the main window, then
    // sets the closing flag, which the next cycle acts on.
    void requestClose();

    // Thread: 0, or the non-zero result of building the instruments.
    int init();
    // One cycle of the state machine.
    void step();
    // How long the thread sleeps after this cycle unless a command or a close wakes it.
    qint64 msUntilNextStep() const;

    int getState() const { return m_state; }
    bool isClosing() const { return m_closing; }
    // The result of init, once it ran.
    int getInitResult() const { return m_initResult; }

    // Runs in place of the command table (the queue still owns and frees the command);
    // lets tests see what the posting side queued. Set it before commands run.
    using CommandInterceptor = std::function<int(Command *command)>;
    void setCommandInterceptor(CommandInterceptor interceptor);

    ConfigController &getConfigController() { return m_configController; }
    HijackPermissionManager &getHijackPermissionManager() { return m_hijackPermissionManager; }

protected:
    void loop() override;
    int handleCommand(Command *command) override;
    bool acceptsCommands() override { return true; }
    QString commandQueueName() const override;
    void onCommandQueued(int) override { m_waker.wake(); }

private:
    // Drops the queued work and asks every worker to stop.
    void beginClosing();
    // One cycle while stopping: the closing dialog, the network thread once nothing can use
    // it any more, and the finished test.
    void stepStopping();
    int dispatchCommand(Command *command);
    // The configuration, report, import and hijack commands.
    int dispatchConfigCommand(Command *command);

    std::atomic<int> m_state{StateCreated};
    ConfigController m_configController;
    HijackPermissionManager m_hijackPermissionManager;
    std::atomic<bool> m_closing{false};
    // Orders the main window's start against a close request during start-up.
    QMutex m_closeMutex;
    std::atomic<int> m_initResult{0};
    bool m_closingDialogShown = false;
    bool m_networkStopRequested = false;
    CommandInterceptor m_interceptor;
    LoopWaker m_waker;
};
