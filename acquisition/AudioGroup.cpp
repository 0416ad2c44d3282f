#include "AudioGroup.h"

#include "AAgViewController.h"
#include "AgDataReceivedCommandParameter.h"
#include "AgGetDataCommandParam.h"
#include "AgRequestTimestampCommandParameter.h"
#include "UpdateAgConfigCommandParameter.h"

#include "core/Command.h"
#include "data/AgDataVector.h"
#include "data/ProgramRequest.h"

#include "AgServiceFactories.h"
#include "CancelManualReportCommandParameter.h"
#include "DBExportCommandParameter.h"
#include "DBImportCommandParameter.h"
#include "DBXMLImportCommandParameter.h"
#include "GenerateManualReportCommandParameter.h"
#include "SaveConfigToDbCommandParameter.h"

#include <ORQLogging.h>

#include <QMutexLocker>

#include <exception>
#include <new>

AudioGroup::AudioGroup() : m_viewController(AgServiceFactories::createViewController()) {}

AudioGroup::~AudioGroup()
{
    m_viewController.reset();
}

void AudioGroup::storeConfigs(bool acquisitionFlag, const InstrumentConfig &instrumentConfig,
                              const AgConfig &agConfig)
{
    {
        QMutexLocker lock(&m_configMutex);
        m_instrumentConfig = instrumentConfig;
        m_agConfig = agConfig;
    }
    m_imported = agConfig.getImported();
    m_loggingEnabled = agConfig.getHasLoggingEnabled();
    m_acquisitionFlag = acquisitionFlag;
}

int AudioGroup::init(bool acquisitionFlag, const InstrumentConfig &instrumentConfig,
                     const AgConfig &agConfig)
{
    try {
        m_sourceName = agConfig.getName();
        storeConfigs(acquisitionFlag, instrumentConfig, agConfig);
        if (m_viewController->init(acquisitionFlag, instrumentConfig, agConfig) != 0)
            return kInitFailed;
        if (m_controller.init(acquisitionFlag, instrumentConfig, agConfig) != 0)
            return kInitFailed;
    } catch (const std::exception &) {
        // Never report success for an audiogroup that was not set up.
        KIV_LOG(2, "AudioGroup init fail\n");
        return kInitFailed;
    }
    if (m_controller.startThread() != 0) {
        KIV_LOG(2, "AudioGroup AgController init fail\n");
        return -1;
    }
    return 0;
}

void AudioGroup::applyConfig(bool acquisitionFlag, const InstrumentConfig &instrumentConfig,
                             const AgConfig &agConfig)
{
    storeConfigs(acquisitionFlag, instrumentConfig, agConfig);
    m_controller.applyConfig(acquisitionFlag, instrumentConfig, agConfig);
    m_viewController->updateConfig(acquisitionFlag, instrumentConfig, agConfig);
}

void AudioGroup::postConfig(bool acquisitionFlag, const InstrumentConfig &instrumentConfig,
                            const AgConfig &agConfig)
{
    storeConfigs(acquisitionFlag, instrumentConfig, agConfig);
    post(AgController::CmdUpdateConfig,
         new UpdateAgConfigCommandParameter(acquisitionFlag, instrumentConfig, agConfig));
    m_viewController->updateConfig(acquisitionFlag, instrumentConfig, agConfig);
}

void AudioGroup::stop()
{
    m_viewController->stop();
    m_viewController->stopUpdateTimer();
    m_viewController->disposeTableView();
    m_controller.stop();
}

void AudioGroup::pause()
{
    m_viewController->pause();
    m_controller.pause();
}

void AudioGroup::unpause()
{
    m_viewController->unpause();
    m_controller.unpause();
}

bool AudioGroup::isLogging() const
{
    return !m_imported.load() && m_acquisitionFlag.load() && m_loggingEnabled.load();
}

AgConfig AudioGroup::getAgConfig() const
{
    QMutexLocker lock(&m_configMutex);
    return m_agConfig;
}

InstrumentConfig AudioGroup::getInstrumentConfig() const
{
    QMutexLocker lock(&m_configMutex);
    return m_instrumentConfig;
}

int AudioGroup::post(int type, CommandParameter *parameter)
{
    Command *command = new (std::nothrow) Command(type, parameter);
    if (!command) {
        delete parameter;
        return -1;
    }
    return m_controller.enqueue(command);
}

int AudioGroup::postSamples(const QString &instrumentName, AgDataVector *batch)
{
    return post(AgController::CmdSamplesReceived,
                new AgDataReceivedCommandParameter(instrumentName, batch));
}

int AudioGroup::publishViolations()
{
    return post(AgController::CmdPublishViolations);
}

int AudioGroup::resetViolationStatus()
{
    return post(AgController::CmdResetViolations);
}

void AudioGroup::requestTimestamp(const QString &instrumentName)
{
    post(AgController::CmdRequestTimestamp, new AgRequestTimestampCommandParameter(instrumentName));
}

void AudioGroup::requestAgData(ZoomLevel zoomLevel, qint64 from, qint64 to,
                               const ProgramRequest &request)
{
    post(AgController::CmdGetData, new AgGetDataCommandParam(zoomLevel, from, to, request));
}

int AudioGroup::generateManualReport(const QString &nameKey, qint64 durationMs)
{
    return post(AgController::CmdGenerateReport,
                new GenerateManualReportCommandParameter(nameKey, durationMs));
}

int AudioGroup::cancelManualReport(const QString &nameKey)
{
    return post(AgController::CmdCancelReport, new CancelManualReportCommandParameter(nameKey));
}

int AudioGroup::importDb(int requestId, int sourceType, const QString &filePath)
{
    return post(AgController::CmdImportDb,
                new DBImportCommandParameter(requestId, sourceType, filePath));
}

int AudioGroup::importXml(int requestId, AgDataVector *data, int sourceType)
{
    return post(AgController::CmdImportXml,
                new DBXMLImportCommandParameter(requestId, sourceType, data));
}

int AudioGroup::importXml(int requestId, const XmlSampleList &list, int sourceType)
{
    return post(AgController::CmdImportXml,
                new DBXMLImportCommandParameter(requestId, sourceType, list));
}

int AudioGroup::requestImportStatus(int requestId)
{
    return post(AgController::CmdImportStatus,
                new DBImportCommandParameter(requestId, -1, QString()));
}

int AudioGroup::saveConfigToDb(const QString &configText)
{
    return post(AgController::CmdSaveConfig, new SaveConfigToDbCommandParameter(configText));
}

void AudioGroup::exportDb(const QString &targetPath)
{
    post(AgController::CmdExportDb, new DBExportCommandParameter(targetPath));
}

int AudioGroup::cancelExport()
{
    return post(AgController::CmdCancelExport);
}

int AudioGroup::showView()
{
    return post(AgController::CmdShowView);
}
