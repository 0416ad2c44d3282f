#pragma once

#include <QThread>

// Base of every worker thread. An exception that escapes loop() ends the process
// after a log line and the fatal-error box.
class KivThread : public QThread
{
    Q_OBJECT
public:
    explicit KivThread(QObject *parent = nullptr);
    ~KivThread() override;

    // Starts the thread with the inherited priority unless it runs already; 0, or -1
    // when the thread could not be started.
    int startThread();

protected:
    void run() final;
    virtual void loop() = 0;
};

// What an escaped exception does: the log line, the box, the end of the process.
[[noreturn]] void handleFatalThreadException(const char *what);

// Shows the fatal-error box. The text always goes to standard error; a GUI layer may
// install a handler that also shows it in a window (and returns when it was closed).
using FatalErrorBoxHandler = void (*)(const char *caption, const char *text);
void setFatalErrorBoxHandler(FatalErrorBoxHandler handler);
void showFatalErrorBox();

extern const char *const kFatalErrorCaption;
extern const char *const kFatalErrorText;

// Ends the process at once, without destructors or clean-up.
[[noreturn]] void terminateProcess(int exitCode = 0);

// Exit status of the fatal-error path.
constexpr int kFatalExitCode = 3;
