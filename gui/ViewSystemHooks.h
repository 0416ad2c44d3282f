#pragma once

#include <SystemConfig.h>

#include <QString>

#include <functional>

// What the views need of the system front. The system layer sits above this library,
// so start-up installs these before the first window is built.
struct ViewSystemHooks
{
    // A copy of the current configuration; any thread.
    std::function<SystemConfig()> getSystemConfig;
    // Shows a message in an alert box of the main window; any thread.
    std::function<void(const QString &text)> showAlert;
    // Asks the system to import a database or meter export file; the queue's result.
    std::function<int(const QString &path, int requestId, const QString &second)> requestDbImport;
};

void setViewSystemHooks(const ViewSystemHooks &hooks);
ViewSystemHooks viewSystemHooks();
