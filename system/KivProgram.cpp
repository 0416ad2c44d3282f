#include "KivProgram.h"

#include "StopSignals.h"
#include "System.h"

#include <CrashDump.h>
#include <FatalErrorBox.h>
#include <GUIFactory.h>

#include <QApplication>

#include <memory>

int runProgram(int argc, char **argv, const ProgramHooks &hooks)
{
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
        system->start();
        if (hooks.started)
            hooks.started(*system);
        app.exec(); // its code is not the program's status
        StopSignals::uninstall();
        status = system->exitStatus();
        if (hooks.finished)
            hooks.finished(*system);
        ASystem::setInstance(nullptr);
        system.reset();
    }
    return status;
}
