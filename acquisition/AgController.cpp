#include "AgController.h"

#include "AAgViewController.h"
#include "AAudioGroup.h"
#include "ADBExportManager.h"
#include "ADBImportManager.h"
#include "AInstrument.h"
#include "AReportTaskQueue.h"
#include "AgDataReceivedCommandParameter.h"
#include "AgGetDataCommandParam.h"
#include "AgGetDataCommandReply.h"
#include "AgRequestTimestampCommandParameter.h"
#include "AgServiceFactories.h"
#include "AgTimestamp.h"
#include "InstrumentManager.h"
#include "UpdateAgConfigCommandParameter.h"

#include "config/SystemConfig.h"
#include "core/ASystem.h"
#include "core/Command.h"
#include "core/KivUtils.h"
#include "data/AgDataVector.h"
#include "data/AgDbConfig.h"
#include "data/AgStoreResult.h"
#include "data/ProgramRequest.h"

#include "CancelManualReportCommandParameter.h"
#include "DBExportCommandParameter.h"
#include "DBImportCommandParameter.h"
#include "DBXMLImportCommandParameter.h"
#include "GenerateManualReportCommandParameter.h"
#include "SaveConfigToDbCommandParameter.h"

#include <ORQLogging.h>

#include <QFile>

#include <algorithm>
#include <exception>
#include <memory>

namespace {

constexpr int kQueueCapacity = 100;

InstrumentManager *instrumentManager()
{
    ASystem *system = ASystem::instance();
    return system ? system->getInstrumentManager() : nullptr;
}

SystemConfig currentSystemConfig()
{
    ASystem *system = ASystem::instance();
    return system ? system->getSystemConfig() : SystemConfig();
}

} // namespace

AgController::AgController(QObject *parent)
    : PausableController(kQueueCapacity, parent),
      m_reportTasks(AgServiceFactories::createReportTasks()),
      m_importManager(AgServiceFactories::createImportManager()),
      m_exportManager(AgServiceFactories::createExportManager())
{
    m_backupTimer.start();
}

AgController::~AgController()
{
    // Queued batches are freed before the store they were meant for.
    clearCommands();
}

const char *AgController::instrumentName() const
{
    return m_instrumentNameUtf8.constData();
}

const char *AgController::sourceName() const
{
    return m_sourceNameUtf8.constData();
}

QString AgController::commandQueueName() const
{
    return QStringLiteral("AgController[%1][%2]")
        .arg(QString::fromUtf8(m_instrumentNameUtf8), QString::fromUtf8(m_sourceNameUtf8));
}

int AgController::init(bool acquisitionFlag, const InstrumentConfig &instrumentConfig,
                       const AgConfig &agConfig)
{
    Q_UNUSED(acquisitionFlag)
    try {
        m_instrumentConfig = instrumentConfig;
        m_agConfig = agConfig;
        m_instrumentNameUtf8 = instrumentConfig.getName().toUtf8();
        m_sourceNameUtf8 = agConfig.getName().toUtf8();
        return m_dataModel.init(0, instrumentConfig, agConfig, false, QString());
    } catch (const std::exception &) {
        return -1;
    }
}

void AgController::applyConfig(bool acquisitionFlag, const InstrumentConfig &instrumentConfig,
                               const AgConfig &agConfig)
{
    Q_UNUSED(acquisitionFlag)
    m_instrumentConfig = instrumentConfig;
    m_agConfig = agConfig;
    m_dataModel.updateConfig(instrumentConfig, agConfig);
}

ProgramCalculationData AgController::getCalculationData() const
{
    return m_activeProgram.getCalculationData();
}

void AgController::finish()
{
    m_exportManager->reset();
    m_dataModel.close();
    deleteImportedDb();
}

void AgController::onStopped()
{
    m_reportTasks->cancelAll();
}

void AgController::workingCycle()
{
    runCommands();
    refreshCycleSettings();
    m_importManager->process(m_checkIAtProgramEndOnly, &m_instrumentConfig, &m_agConfig,
                             &m_dataModel, &m_violations);
    exportStep();
    m_reportTasks->processFront(&m_dataModel);
    m_activeProgram.setAgConfig(m_agConfig);
    m_activeProgram.processNextChunk(&m_dataModel);
    if (!m_agConfig.getImported() && !m_exportManager->isStarted())
        backupCheck();
    // Every path that counts (stores, imports, resets) has run by now.
    publishChangedViolations();
}

qint64 AgController::msUntilNextDuty() const
{
    // What the working cycle would do without a command: the import, export and report
    // steps, the program loudness chunks and the backup check.
    qint64 due = soonerDuty(m_importManager->msUntilNextStep(), m_exportManager->msUntilNextStep());
    due = soonerDuty(due, m_reportTasks->msUntilNextStep());
    if (m_activeProgram.hasPendingChunk())
        due = 0;
    if (!m_agConfig.getImported() && !m_exportManager->isStarted())
        due =
            soonerDuty(due, std::max<qint64>(0, m_backupCheckTimeoutMs - m_backupTimer.elapsed()));
    return due;
}

bool AgController::currentCheckIAtProgramEndOnly()
{
    ASystem *system = ASystem::instance();
    if (!system || system->getSystemConfigRevision() == 0)
        return currentSystemConfig().getCheckIAtProgramEndOnly();
    refreshCycleSettings();
    return m_checkIAtProgramEndOnly;
}

void AgController::refreshCycleSettings()
{
    // Twenty threads copying the configuration under one lock at every round got in each
    // other's way.
    if (!m_settingsWatch.needsRead(250))
        return;
    const SystemConfig systemConfig = currentSystemConfig();
    m_checkIAtProgramEndOnly = systemConfig.getCheckIAtProgramEndOnly();
    m_backupCheckTimeoutMs = systemConfig.getBackupCheckTimeout();
}

int AgController::handleCommand(Command *command)
{
    if (!command)
        return 0;
    const int type = command->getType();
    int result = 0;
    switch (type) {
    case CmdRequestTimestamp:
        result = onRequestTimestamp(command);
        break;
    case CmdSamplesReceived:
        result = onSamplesReceived(command);
        // Each batch's counters, as they stand after it.
        publishChangedViolations();
        break;
    case CmdShowView:
        result = onShowView();
        break;
    case CmdGetData:
        result = onGetData(command);
        break;
    case CmdPublishViolations:
        result = publishViolations();
        break;
    case CmdUpdateConfig: {
        auto *parameter = command->parameterAs<UpdateAgConfigCommandParameter>();
        if (parameter)
            applyConfig(parameter->getAcquisitionFlag(), parameter->getInstrumentConfig(),
                        parameter->getAgConfig());
        else
            result = -1;
        break;
    }
    case CmdResetViolations:
        m_violations.resetCounters();
        result = publishViolations();
        break;
    case CmdGenerateReport:
        result = onGenerateReport(command);
        break;
    case CmdCancelReport: {
        auto *parameter = command->parameterAs<CancelManualReportCommandParameter>();
        if (parameter)
            m_reportTasks->cancelTask(parameter->getNameKey());
        else
            result = -1;
        break;
    }
    case CmdImportDb: {
        auto *parameter = command->parameterAs<DBImportCommandParameter>();
        if (parameter)
            m_importManager->startImport(parameter->getRequestId(), parameter->getSourceType(),
                                         parameter->getFilePath());
        else
            result = -1;
        break;
    }
    case CmdImportXml: {
        auto *parameter = command->parameterAs<DBXMLImportCommandParameter>();
        if (!parameter) {
            result = -1;
            break;
        }
        if (!parameter->getData())
            m_importManager->startXmlStreamImport(
                parameter->getRequestId(), parameter->getSampleList(), parameter->getSourceType());
        else if (m_importManager->startXmlImport(parameter->getRequestId(), parameter->getData(),
                                                 parameter->getSourceType()) == 0)
            parameter->setData(nullptr);
        break;
    }
    case CmdImportStatus:
        result = onImportStatus(command);
        break;
    case CmdSaveConfig:
        result = onSaveConfig(command);
        break;
    case CmdExportDb:
        result = onExportDb(command);
        break;
    case CmdCancelExport:
        m_exportManager->cancel();
        break;
    default:
        KIV_LOG(2, "Unknown command type in AGController[%s][%s]: %d\n", instrumentName(),
                sourceName(), type);
        return 0;
    }
    if (result != 0)
        KIV_LOG(2, "AGController[%s][%s]command[%d] failed: %d\n", instrumentName(), sourceName(),
                type, result);
    return 0;
}

int AgController::onRequestTimestamp(Command *command)
{
    auto *parameter = command->parameterAs<AgRequestTimestampCommandParameter>();
    if (!parameter)
        return -1;
    InstrumentManager *manager = instrumentManager();
    AInstrument *instrument =
        manager ? manager->findInstrument(parameter->getInstrumentName()) : nullptr;
    if (!instrument)
        return -1;
    int code = 0;
    const qint64 newest = m_dataModel.getMaxTimestamp(0, &code);
    instrument->postTimestampReply(m_agConfig.getName(), code, AgTimestamp(newest));
    return code;
}

int AgController::onSamplesReceived(Command *command)
{
    QElapsedTimer timer;
    timer.start();
    auto *parameter = command->parameterAs<AgDataReceivedCommandParameter>();
    AgDataVector *batch = parameter ? parameter->getData() : nullptr;
    if (!batch)
        return -1;
    const AgStoreResult stored = m_dataModel.insertData(batch, true);
    // A batch stored after a gap is stored all the same: it counts. Samples the file held
    // already were counted and checked when they first came; only the new ones count now.
    if (stored.isStored()) {
        const AgDataVector *judged = &stored.getNewSamples();
        const bool checkIAtEnd = currentCheckIAtProgramEndOnly();
        m_violations.update(checkIAtEnd, m_agConfig, judged, -1);
        m_alertGenerator.checkData(checkIAtEnd, &m_instrumentConfig, &m_agConfig, judged);
        KIV_LOG(4, "AgCtrl[%s][%s]cmd[%d] success: %d samples %d ms\n", instrumentName(),
                sourceName(), command->getType(), batch->size(), static_cast<int>(timer.elapsed()));
    }
    InstrumentManager *manager = instrumentManager();
    if (AInstrument *instrument =
            manager ? manager->findInstrument(parameter->getInstrumentName()) : nullptr) {
        // The answer a time stamp request would get now rides along, which spares the
        // meter thread that round trip for every batch.
        int code = 0;
        const qint64 newest = m_dataModel.getMaxTimestamp(0, &code);
        instrument->postStoreResult(m_agConfig.getName(), stored.getCode(),
                                    AgTimestamp(code == 0 ? newest : -1),
                                    stored.getNewSamples().size());
    }
    return 0;
}

int AgController::onShowView()
{
    InstrumentManager *manager = instrumentManager();
    AAudioGroup *audioGroup =
        manager ? manager->findAudioGroup(m_instrumentConfig.getName(), m_agConfig.getName())
                : nullptr;
    if (!audioGroup)
        return -1;
    audioGroup->getAgViewController()->start();
    return 0;
}

Program AgController::requestedProgram(const ProgramRequest &request, qint64 from, qint64 to)
{
    Program program;
    if (!(from > 0 && to > 0 && from < to))
        return program;
    program.setType(request.getType());
    switch (request.getType()) {
    case 0:
    case 1: {
        int code = 0;
        const Program stored = m_dataModel.getProgram(request.getType(), request.getTime(), &code);
        if (code != 0)
            break;
        program.setProgramId(stored.getProgramId());
        program.setStart(stored.getStart());
        program.setStartWord(stored.getStartWord());
        if (request.getType() == 1 && stored.getEnd() > request.getLastTime()) {
            program.setEnd(request.getLastTime());
        } else {
            program.setEnd(stored.getEnd());
            program.setEndWord(stored.getEndWord());
        }
        break;
    }
    case 2:
        program.setProgramId(0);
        program.setStart(request.getMarkerStart());
        program.setEnd(request.getMarkerEnd());
        break;
    default:
        break;
    }
    return program;
}

int AgController::onGetData(Command *command)
{
    auto *parameter = command->parameterAs<AgGetDataCommandParam>();
    InstrumentManager *manager = instrumentManager();
    AAudioGroup *audioGroup =
        manager ? manager->findAudioGroup(m_instrumentConfig.getName(), m_agConfig.getName())
                : nullptr;
    if (!parameter || !audioGroup)
        return -1;
    const int level = parameter->getZoomLevel();
    const qint64 from = parameter->getFrom();
    const qint64 to = parameter->getTo();
    int code = 0;
    AgDataVector *data = m_dataModel.getData(level, from, to, &code);
    qint64 oldest = -1;
    qint64 newest = -1;
    std::vector<AgEvent> events;
    if (code == 0)
        oldest = m_dataModel.getMinTimestamp(0, &code);
    if (code == 0)
        newest = m_dataModel.getMaxTimestamp(0, &code);
    if (code == 0)
        events = m_dataModel.getAllEvents(&code);
    const Program requested = requestedProgram(parameter->getProgramRequest(), from, to);
    m_activeProgram.setProgram(requested);
    // Each read sets its code afresh: a failure before them must not turn into a success.
    int currentCode = 0;
    int listCode = 0;
    const Program current = m_dataModel.getProgram(0, 0, &currentCode);
    const std::vector<Program> programs = m_dataModel.getPrograms(&listCode);
    if (code == 0)
        code = currentCode != 0 ? currentCode : listCode;
    const bool failed = data == nullptr || code != 0;
    if (failed) {
        delete data;
        data = nullptr;
    }
    auto *reply =
        new AgGetDataCommandReply(failed ? -1 : 0, level, from, to, oldest, newest, data, requested,
                                  getCalculationData(), events, programs, current);
    audioGroup->getAgViewController()->setDataReply(reply);
    return failed ? -1 : 0;
}

void AgController::publishChangedViolations()
{
    // Published where they change: a request from the display's tick would cost this thread
    // a wake-up each time.
    if (m_violationsUnpublished.load() || !m_violations.sameCounts(m_publishedViolations))
        publishViolations();
}

int AgController::publishViolations()
{
    ASystem *system = ASystem::instance();
    if (!system)
        return -1;
    m_publishedViolations = m_violations;
    m_violationsUnpublished = false;
    system->updateAgViolationStatus(m_violations, m_instrumentConfig.getName(),
                                    m_agConfig.getName());
    return 0;
}

int AgController::onGenerateReport(Command *command)
{
    auto *parameter = command->parameterAs<GenerateManualReportCommandParameter>();
    if (!parameter || parameter->getDuration() <= 0)
        return -1;
    int code = 0;
    const qint64 end = m_dataModel.getMaxTimestamp(0, &code);
    std::vector<Program> stored;
    if (code == 0)
        stored = m_dataModel.getPrograms(&code);
    if (code != 0) {
        reportTaskNotMade(parameter->getNameKey());
        return -1;
    }
    qint64 start = end - parameter->getDuration();
    std::vector<Program> programs;
    for (const Program &program : stored) {
        if (program.getEnd() >= start && program.getEnd() <= end)
            programs.push_back(program);
    }
    // The first program is reported whole.
    if (!programs.empty() && programs.front().getStart() < start)
        start = programs.front().getStart();
    const SystemConfig systemConfig = currentSystemConfig();
    m_reportTasks->addTask(parameter->getNameKey(), systemConfig.getCheckIAtProgramEndOnly(),
                           systemConfig.getReportConfig(), m_instrumentConfig, m_agConfig, programs,
                           start, end);
    return 0;
}

void AgController::reportTaskNotMade(const QString &nameKey)
{
    KIV_LOG(2, "AgController[%s][%s] could not make the report %s\n", instrumentName(),
            sourceName(), qUtf8Printable(nameKey));
    // The report screen waits for an outcome of every report it asked for.
    if (ASystem *system = ASystem::instance())
        system->onManualReportFinished(
            nameKey, false, true,
            QStringLiteral("Report generation failed; could not read the audiogroup data"));
}

void AgController::onCommandDropped(const Command &command)
{
    if (command.getType() != CmdGenerateReport)
        return;
    if (auto *parameter = command.parameterAs<GenerateManualReportCommandParameter>())
        reportTaskNotMade(parameter->getNameKey());
}

int AgController::onImportStatus(Command *command)
{
    auto *parameter = command->parameterAs<DBImportCommandParameter>();
    ASystem *system = ASystem::instance();
    if (!parameter || !system)
        return -1;
    if (parameter->getRequestId() == m_importManager->getRequestId())
        system->replyDbImportStatus(m_importManager->isCompleted(), m_importManager->hasFailed(),
                                    m_importManager->getMessage(),
                                    m_importManager->getProgressValue(),
                                    m_importManager->getProgressTotal());
    else
        system->replyDbImportStatus(false, true, QStringLiteral("Invalid import operation id"), 100,
                                    100);
    return 0;
}

int AgController::onSaveConfig(Command *command)
{
    auto *parameter = command->parameterAs<SaveConfigToDbCommandParameter>();
    if (!parameter)
        return -1;
    int code = 0;
    m_dataModel.saveConfig(AgDbConfig(0, m_instrumentConfig.getName(), m_agConfig.getName(),
                                      parameter->getConfigXml()),
                           &code);
    if (code != 0) {
        KIV_LOG(4, "AgController[%s][%s] could not save db config\n", instrumentName(),
                sourceName());
        return -1;
    }
    return 0;
}

int AgController::onExportDb(Command *command)
{
    auto *parameter = command->parameterAs<DBExportCommandParameter>();
    if (!parameter)
        return -1;
    ASystem *system = ASystem::instance();
    if (m_importManager->isImporting()) {
        if (system)
            system->showAlert(
                QStringLiteral("Could not perform export operation because another one is in "
                               "progress"));
        return 0;
    }
    int code = 0;
    const qint64 oldest = m_dataModel.getMinTimestamp(0, &code);
    qint64 newest = -1;
    if (code == 0)
        newest = m_dataModel.getMaxTimestamp(0, &code);
    if (code != 0) {
        if (system)
            system->showAlert(QStringLiteral("Could not perform export operation"));
        return 0;
    }
    m_exportManager->startExport(m_instrumentConfig, m_agConfig, oldest, newest,
                                 parameter->getTargetPath());
    return 0;
}

void AgController::exportStep()
{
    if (!m_exportManager->isStarted())
        return;
    InstrumentManager *manager = instrumentManager();
    AAudioGroup *audioGroup =
        manager ? manager->findAudioGroup(m_instrumentConfig.getName(), m_agConfig.getName())
                : nullptr;
    AAgViewController *view = audioGroup ? audioGroup->getAgViewController() : nullptr;
    if (m_exportManager->isFinished()) {
        if (view)
            view->hideExportProgress();
        const bool cancelledButCompleted =
            m_exportManager->isCancelRequested() && m_exportManager->isCompleted();
        ASystem *system = ASystem::instance();
        if (!cancelledButCompleted && system)
            system->showAlert(m_exportManager->getMessage());
        m_exportManager->reset();
        return;
    }
    if (view) {
        if (m_exportManager->isCancelRequested())
            view->showExportProgress(
                QStringLiteral("Please wait; cancelling the audiogroup export"), false, -1, 0);
        else
            view->showExportProgress(QStringLiteral("Please wait; exporting the audiogroup"), true,
                                     m_exportManager->getProgressValue(),
                                     m_exportManager->getProgressTotal());
    }
    m_exportManager->process(0, &m_dataModel);
}

void AgController::backupCheck()
{
    if (m_backupTimer.elapsed() < m_backupCheckTimeoutMs || m_reportTasks->hasTasks())
        return;
    int code = 0;
    const qint64 oldest = m_dataModel.getMinTimestamp(0, &code);
    qint64 newest = -1;
    std::vector<Program> programs;
    if (code == 0)
        newest = m_dataModel.getMaxTimestamp(0, &code);
    if (code == 0)
        programs = m_dataModel.getPrograms(&code);
    if (code != 0 || programs.size() <= 1 || newest - oldest <= kBackupAgeMs) {
        m_backupTimer.restart();
        return;
    }
    const qint64 limit = newest - kBackupAgeMs;
    std::vector<Program> backups;
    for (size_t i = 0; i + 1 < programs.size(); ++i) {
        const Program &program = programs[i];
        if (program.getEnd() >= limit)
            break;
        if (program.getStart() > 0 && program.getEnd() > 0 &&
            program.getStart() <= program.getEnd())
            backups.push_back(program);
        else
            KIV_LOG(1, "AgController[%s][%s] could not backgup program with id %lld\n",
                    instrumentName(), sourceName(), static_cast<long long>(program.getProgramId()));
    }
    if (!backups.empty()) {
        InstrumentManager *manager = instrumentManager();
        AAudioGroup *audioGroup =
            manager ? manager->findAudioGroup(m_instrumentConfig.getName(), m_agConfig.getName())
                    : nullptr;
        AAgViewController *view = audioGroup ? audioGroup->getAgViewController() : nullptr;
        if (view) {
            view->showPleaseWait(QStringLiteral("Backing up old data. Please wait..."));
            view->resetProgramData();
        }
        m_dataModel.backupPrograms(backups, &code);
        if (view)
            view->hidePleaseWait();
    }
    m_backupTimer.restart();
}

void AgController::deleteImportedDb()
{
    if (!m_agConfig.getImported() || !m_deleteImportedDbOnClose.load())
        return;
    const QString path = getAgDbFilePath(m_instrumentConfig.getName(), m_agConfig.getName());
    // Another configured audiogroup may map to the same file (names that sanitise alike).
    const QList<InstrumentConfig> instruments = currentSystemConfig().getInstruments();
    for (const InstrumentConfig &instrument : instruments) {
        for (const AgConfig &agConfig : instrument.getAgConfigs()) {
            if (getAgDbFilePath(instrument.getName(), agConfig.getName()) == path)
                return;
        }
    }
    if (QFile::exists(path) && !QFile::remove(path))
        KIV_LOG(2, "AgController[%s][%s] could not delete imported db file\n", instrumentName(),
                sourceName());
}
