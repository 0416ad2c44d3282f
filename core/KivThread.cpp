#include "KivThread.h"

#include "CrashDump.h"

#include <ORQLogging.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

const char *const kFatalErrorCaption = "Fatal Error";
const char *const kFatalErrorText = "Kiv.exe has encountered a problem and needs to close.\n"
                                    "If the problem persists, please contact us.";

namespace {
std::atomic<FatalErrorBoxHandler> gBoxHandler{nullptr};
}

KivThread::KivThread(QObject *parent) : QThread(parent) {}

KivThread::~KivThread() = default;

int KivThread::startThread()
{
    try {
        if (isRunning())
            return 0;
        start(QThread::InheritPriority);
    } catch (...) {
        return -1;
    }
    // QThread::start reports a thread it could not create only by a warning: it is then
    // neither running nor finished.
    return isRunning() || isFinished() ? 0 : -1;
}

void KivThread::run()
{
    installThreadCrashStack();
    try {
        loop();
    } catch (const std::exception &e) {
        handleFatalThreadException(e.what());
    }
}

void handleFatalThreadException(const char *what)
{
    KIV_LOG(2, "Exception: %s in thread\n", what ? what : "");
    showFatalErrorBox();
    terminateProcess(kFatalExitCode);
}

void setFatalErrorBoxHandler(FatalErrorBoxHandler handler) { gBoxHandler.store(handler); }

void showFatalErrorBox()
{
    // Through the log's stderr writer: a stderr nobody reads must not keep the process from
    // ending.
    ORQ::CORQDebugWriter().write(1, std::string(kFatalErrorCaption) + '\n' + kFatalErrorText + '\n');
    if (FatalErrorBoxHandler handler = gBoxHandler.load())
        handler(kFatalErrorCaption, kFatalErrorText);
}

void terminateProcess(int exitCode)
{
    if (ORQ::CORQLogger *logger = ORQ::gLogger.load(std::memory_order_acquire))
        logger->flushRepeats();
    std::fflush(stderr);
    std::_Exit(exitCode);
}
