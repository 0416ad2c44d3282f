#pragma once

#include <functional>

class AAgViewController;
class ADBExportManager;
class ADBImportManager;
class AReportTaskQueue;

// The per-audiogroup services that layers above acquisition implement: the window's
// controller, the report tasks, the import and the export. The program installs their
// factories once, before the first audiogroup is built; a service without a factory is
// one that does nothing (a run without windows, tests).
struct AgServiceFactories
{
    std::function<AAgViewController *()> viewController;
    std::function<AReportTaskQueue *()> reportTasks;
    std::function<ADBImportManager *()> importManager;
    std::function<ADBExportManager *()> exportManager;

    static void install(const AgServiceFactories &factories);
    static AgServiceFactories installed();

    // Never null: the installed factory's product or a service that does nothing.
    static AAgViewController *createViewController();
    static AReportTaskQueue *createReportTasks();
    static ADBImportManager *createImportManager();
    static ADBExportManager *createExportManager();
};
