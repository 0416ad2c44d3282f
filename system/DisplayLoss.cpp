#include "DisplayLoss.h"

#include <KivThread.h>
#include <ORQLogging.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QThread>

#include <atomic>
#include <cstring>
#include <unistd.h>

namespace {

// Between two looks at the workers, the GUI thread drops what they queued to it.
constexpr int kSliceMs = 20;

QtMessageHandler gPrevious = nullptr;
DisplayLoss::Hooks gHooks;
std::atomic<bool> gClosing{false};
// Since the loss was first reported; a report met again while waiting does not restart it.
QElapsedTimer gSinceLoss;

bool onGuiThread()
{
    const QCoreApplication *app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

[[noreturn]] void closeAndEnd(const QString &message)
{
    if (!gClosing.exchange(true)) {
        gSinceLoss.start();
        KIV_LOG(4, "Display connection lost (%s); closing\n", qUtf8Printable(message));
        if (gHooks.close)
            gHooks.close();
    }
    for (;;) {
        // Calls queued to this thread are dropped unrun: nearly all would draw on the lost
        // display, and Qt hands a message raised inside this handler to standard error
        // instead of back here, so a second report of the loss would reach exit(). Dropping a
        // call that a stopping worker waits for (a blocking one) lets it go on.
        QCoreApplication::removePostedEvents(nullptr, QEvent::MetaCall);
        if (!gHooks.waitClosed || gHooks.waitClosed(kSliceMs)) {
            KIV_LOG(4, "Program ended without its display\n");
            terminateProcess(0);
        }
        if (gSinceLoss.elapsed() > gHooks.closeTimeoutMs) {
            // What was acknowledged to a meter was committed first; SQLite keeps it.
            KIV_LOG(2, "Workers still running %d ms after the display was lost; ending at once\n",
                    gHooks.closeTimeoutMs);
            terminateProcess(0);
        }
    }
}

void onMessage(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (gPrevious)
        gPrevious(type, context, message);
    if (!DisplayLoss::isConnectionLossMessage(message.toUtf8().constData()))
        return;
    // The plugin calls exit() as soon as this returns: it must not return.
    if (onGuiThread())
        closeAndEnd(message);
    if (QCoreApplication *app = QCoreApplication::instance()) {
        QMetaObject::invokeMethod(
            app,
            [message] {
                if (!gClosing.load())
                    closeAndEnd(message);
            },
            Qt::QueuedConnection);
    }
    // The GUI thread ends the process.
    for (;;)
        ::pause();
}

} // namespace

namespace DisplayLoss {

bool isConnectionLossMessage(const char *text)
{
    static const char *const kPrefixes[] = {"The X11 connection broke",
                                            "The Wayland connection broke"};
    for (const char *prefix : kPrefixes) {
        if (std::strncmp(text, prefix, std::strlen(prefix)) == 0)
            return true;
    }
    return false;
}

void install(Hooks hooks)
{
    gHooks = std::move(hooks);
    gClosing = false;
    gPrevious = qInstallMessageHandler(onMessage);
}

void uninstall()
{
    // gPrevious stays: a message of another thread may still be on its way through onMessage.
    qInstallMessageHandler(gPrevious);
}

} // namespace DisplayLoss
