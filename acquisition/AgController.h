#pragma once

#include "PausableController.h"

#include "config/AgConfig.h"
#include "config/InstrumentConfig.h"
#include "core/ConfigRevisionWatch.h"
#include "data/AAgDataModel.h"
#include "data/ActiveProgram.h"
#include "data/AgViolations.h"

#include <AlertGenerator.h>

#include <QElapsedTimer>

#include <atomic>
#include <memory>

class ADBExportManager;
class ADBImportManager;
class AReportTaskQueue;
class AgDataVector;
class ProgramCalculationData;
class ProgramRequest;

// The worker thread of one audiogroup: every write to its database and every piece of its
// analysis runs here. Built paused; refuses commands until unpaused.
class AgController : public PausableController
{
    Q_OBJECT
public:
    enum CommandType {
        CmdRequestTimestamp = 0,
        CmdSamplesReceived = 1,
        CmdShowView = 2,
        CmdGetData = 3,
        CmdPublishViolations = 4,
        CmdUpdateConfig = 5,
        CmdResetViolations = 6,
        CmdGenerateReport = 7,
        CmdCancelReport = 8,
        CmdImportDb = 9,
        CmdImportXml = 10,
        CmdImportStatus = 11,
        CmdSaveConfig = 12,
        CmdExportDb = 13,
        CmdCancelExport = 14
    };
    // Data older than this behind the newest sample is moved to backup files.
    static constexpr qint64 kBackupAgeMs = 259200000;

    explicit AgController(QObject *parent = nullptr);
    ~AgController() override;

    // Creates the data model; 0, its code, or -1 after an exception.
    int init(bool acquisitionFlag, const InstrumentConfig &instrumentConfig,
             const AgConfig &agConfig);
    // Directly while paused; through command 5 while running.
    void applyConfig(bool acquisitionFlag, const InstrumentConfig &instrumentConfig,
                     const AgConfig &agConfig);

    void setDeleteImportedDbOnClose() { m_deleteImportedDbOnClose = true; }
    // The counters differ from those last published; any thread. The main window's
    // periodic refresh asks only for those.
    bool hasUnpublishedViolations() const { return m_violationsUnpublished.load(); }
    ProgramCalculationData getCalculationData() const;

    // Runs when the loop has ended: closes the store, removes an imported file.
    void finish();

protected:
    void workingCycle() override;
    void onStopped() override;
    void onLoopEnded() override { finish(); }
    qint64 msUntilNextDuty() const override;
    int handleCommand(Command *command) override;
    QString commandQueueName() const override;
    // A report request dropped by a pause or a stop gets a failed outcome.
    void onCommandDropped(const Command &command) override;

private:
    void refreshCycleSettings();
    // As the configuration has it now.
    bool currentCheckIAtProgramEndOnly();
    void exportStep();
    void backupCheck();
    void deleteImportedDb();

    int onRequestTimestamp(Command *command);
    int onSamplesReceived(Command *command);
    int onShowView();
    int onGetData(Command *command);
    int publishViolations();
    void publishChangedViolations();
    int onGenerateReport(Command *command);
    // Tells the report screen that the report of that key will not come.
    void reportTaskNotMade(const QString &nameKey);
    int onImportStatus(Command *command);
    int onSaveConfig(Command *command);
    int onExportDb(Command *command);
    Program requestedProgram(const ProgramRequest &request, qint64 from, qint64 to);

    const char *instrumentName() const;
    const char *sourceName() const;

    InstrumentConfig m_instrumentConfig;
    AgConfig m_agConfig;
    // The names for log lines, fixed at init.
    QByteArray m_instrumentNameUtf8;
    QByteArray m_sourceNameUtf8;
    AlertGenerator m_alertGenerator;
    AgViolations m_violations;
    AgViolations m_publishedViolations;
    // True at first, so that the first refresh publishes.
    std::atomic<bool> m_violationsUnpublished{true};
    std::atomic<bool> m_deleteImportedDbOnClose{false};
    AAgDataModel m_dataModel;
    ActiveProgram m_activeProgram;
    // Built by the layers above through AgServiceFactories.
    std::unique_ptr<AReportTaskQueue> m_reportTasks;
    std::unique_ptr<ADBImportManager> m_importManager;
    std::unique_ptr<ADBExportManager> m_exportManager;
    // Monotonic: setting the wall clock back must not hold the backups off.
    QElapsedTimer m_backupTimer;
    // What the cycle reads of the configuration, read again every 250 ms: a copy of the
    // whole configuration every 10 ms in every audiogroup would cost more than the rest.
    ConfigRevisionWatch m_settingsWatch;
    bool m_checkIAtProgramEndOnly = true;
    int m_backupCheckTimeoutMs = 600000;
};
