#include "KivProgram.h"

#include "DisplayLoss.h"
#include "InstanceLock.h"
#include "StopSignals.h"
#include "System.h"

#include <ClosingPleaseWaitDialog.h>
#include <CrashDump.h>
#include <FatalErrorBox.h>
#include <GUIFactory.h>
#include <KivUtils.h>
#include <ORQLogging.h>
#include <SQLiteAgDataModel.h>
#include <SystemConfigXml.h>

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>

#include <cstdio>
#include <memory>
#include <vector>

namespace {

// Whether a refused start can show its message in a window: not without a display, where
// making the application object would itself end the process.
bool mayShowWindows(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i) {
        if (qstrcmp(argv[i], "-platform") == 0)
            return i + 1 < argc && qstrcmp(argv[i + 1], "offscreen") != 0 &&
                   qstrcmp(argv[i + 1], "minimal") != 0;
    }
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (platform.startsWith("offscreen") || platform.startsWith("minimal"))
        return false;
    return !platform.isEmpty() || !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

// The second program on a data folder says so and ends before it touches anything there.
int refuseSecondStart(int argc, char **argv, const QString &folder, qint64 holderPid)
{
    QString text = QStringLiteral("KIV is already running on the data folder %1")
                       .arg(QDir::toNativeSeparators(folder));
    if (holderPid > 0)
        text += QStringLiteral(" (process %1)").arg(holderPid);
    text += QStringLiteral(".\nOnly one KIV can log into a data folder; this start ends.");
    std::fprintf(stderr, "%s\n", qUtf8Printable(text));
    std::fflush(stderr);
    if (mayShowWindows(argc, argv)) {
        // A display that cannot be reached would end the process inside the application
        // object (an abort, not this status): the platform falls back to one without
        // windows, and then no box is shown.
        std::vector<char *> args(argv, argv + argc);
        QByteArray platform;
        for (int i = 1; i + 1 < argc && platform.isEmpty(); ++i) {
            if (qstrcmp(argv[i], "-platform") == 0) {
                platform = QByteArray(argv[i + 1]) + ";offscreen";
                args[static_cast<size_t>(i + 1)] = platform.data();
            }
        }
        if (platform.isEmpty()) {
            const QByteArray chosen = qgetenv("QT_QPA_PLATFORM");
            qputenv("QT_QPA_PLATFORM",
                    (chosen.isEmpty() ? QByteArray("xcb") : chosen) + ";offscreen");
        }
        int count = argc;
        QApplication app(count, args.data());
        if (QGuiApplication::platformName() != QLatin1String("offscreen"))
            QMessageBox::warning(nullptr, QStringLiteral("KIV"), text);
    }
    return kAlreadyRunningExitCode;
}

// The data folder was removed while in use and has just been made again: the lock file went
// with it, and a second start would run beside this one and empty its log.
void holdFolderAgain(InstanceLock &lock, const QString &folder)
{
    const InstanceLock::Result again = lock.acquire(folder);
    if (again == InstanceLock::HeldByAnother) {
        KIV_LOG(2, "Another program (process %lld) took the data folder %s while it was gone; "
                   "both now log into it\n",
                static_cast<long long>(lock.holderPid()), qUtf8Printable(folder));
        return;
    }
    if (again == InstanceLock::Unavailable) {
        KIV_LOG(2, "Cannot lock the data folder again with %s (%s); a second program on it "
                   "would not be refused\n",
                qUtf8Printable(lock.path()), qUtf8Printable(lock.problem()));
        return;
    }
    KIV_LOG(4, "The data folder %s, made again, is locked again with %s\n",
            qUtf8Printable(folder), qUtf8Printable(lock.path()));
    // The configuration file went too. Written again from the one in use, once that is
    // loaded; a change saved meanwhile by the control thread is written again after it.
    ASystem *system = ASystem::instance();
    if (!system || system->getSystemConfigRevision() == 0 ||
        QFileInfo::exists(getDataFolderFilePath(systemConfigFileName())))
        return;
    for (int attempt = 0; attempt < 3; ++attempt) {
        const quint64 revision = system->getSystemConfigRevision();
        if (saveSystemConfigToFile(system->getSystemConfig(), systemConfigFileName()) != 0)
            return;
        if (system->getSystemConfigRevision() == revision)
            break;
    }
    KIV_LOG(4, "The configuration file %s is written again\n",
            qUtf8Printable(getDataFolderFilePath(systemConfigFileName())));
}

} // namespace

int runProgram(int argc, char **argv, const ProgramHooks &hooks)
{
    // Before anything is written into the folder: the log, a crash dump, a database.
    InstanceLock lock;
    const QString folder = getDataFolderPath();
    const InstanceLock::Result locked = lock.acquire(folder);
    if (locked == InstanceLock::HeldByAnother)
        return refuseSecondStart(argc, argv, folder, lock.holderPid());

    if (locked == InstanceLock::Acquired)
        SQLiteAgDataModel::setFolderMadeAgainHook(
            [&lock, folder] { holdFolderAgain(lock, folder); });

    installCrashDumpHandlers();

    auto system = std::make_unique<System>();
    ASystem::setInstance(system.get());
    GUIFactory::getInstance();

    int status = 0;
    {
        QApplication app(argc, argv);
        // Only the closing sequence ends the program, never a closed window.
        app.setQuitOnLastWindowClosed(false);
        installFatalErrorBox();
        GUIFactory::getInstance()->init();
        // A signal closes as "Quit" does, also during the start-up; the close itself runs on
        // this thread, from its event loop.
        StopSignals::install([&app] {
            QMetaObject::invokeMethod(
                &app,
                [] {
                    if (ASystem *current = ASystem::instance())
                        current->close();
                },
                Qt::QueuedConnection);
        });
        DisplayLoss::Hooks displayLoss;
        displayLoss.close = [] {
            if (ASystem *current = ASystem::instance())
                current->close();
        };
        System *running = system.get();
        displayLoss.waitClosed = [running](int timeoutMs) {
            return running->waitForWorkersStopped(timeoutMs);
        };
        displayLoss.closeTimeoutMs = ClosingPleaseWaitDialog::kCloseTimeoutMs;
        DisplayLoss::install(std::move(displayLoss));
        system->start();
        if (locked == InstanceLock::Unavailable)
            KIV_LOG(2, "Cannot lock the data folder with %s (%s); a second program on it would "
                       "not be refused\n",
                    qUtf8Printable(lock.path()), qUtf8Printable(lock.problem()));
        if (hooks.started)
            hooks.started(*system);
        app.exec(); // its code is not the program's status
        DisplayLoss::uninstall();
        StopSignals::uninstall();
        status = system->exitStatus();
        if (hooks.finished)
            hooks.finished(*system);
        ASystem::setInstance(nullptr);
        system.reset();
    }
    SQLiteAgDataModel::setFolderMadeAgainHook({});
    return status;
}
