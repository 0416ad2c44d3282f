#include "Instrument.h"

#include "AAudioGroup.h"
#include "AcquisitionTimecodeCommandParameter.h"
#include "AgTimestamp.h"
#include "UpdateInstrumentConfigCommandParameter.h"

#include "core/Command.h"

#include <ORQLogging.h>

#include <QReadLocker>
#include <QWriteLocker>

#include <new>

Instrument::Instrument() = default;

Instrument::~Instrument()
{
    QList<AAudioGroup *> groups;
    {
        QWriteLocker lock(&m_audioGroupsLock);
        groups.swap(m_audioGroups);
    }
    qDeleteAll(groups);
}

int Instrument::init(bool acquisitionFlag, const InstrumentConfig &config)
{
    m_acquisitionFlag = acquisitionFlag;
    m_instrumentConfig = config;
    m_name = config.getName();
    const QList<AgConfig> agConfigs = config.getAgConfigs();
    for (const AgConfig &agConfig : agConfigs) {
        const int result = addAudioGroup(acquisitionFlag, m_instrumentConfig, agConfig);
        if (result != 0) {
            KIV_LOG(1, "Instrument initAudioGroups fail\n");
            return result;
        }
    }
    int result = m_controller.init(acquisitionFlag, m_instrumentConfig);
    if (result != 0) {
        KIV_LOG(1, "Instrument InstrumentController init fail\n");
        return result;
    }
    result = m_controller.startThread();
    if (result != 0) {
        KIV_LOG(1, "Instrument InstrumentCOntroller start fail\n");
        return result;
    }
    return 0;
}

bool Instrument::isFinished() const
{
    return m_controller.isFinished();
}

bool Instrument::areAllFinished() const
{
    if (!m_controller.isFinished())
        return false;
    QReadLocker lock(&m_audioGroupsLock);
    for (AAudioGroup *group : m_audioGroups) {
        if (!group->isFinished())
            return false;
    }
    return true;
}

void Instrument::setDeleteImportedDbsOnClose()
{
    QReadLocker lock(&m_audioGroupsLock);
    for (AAudioGroup *group : m_audioGroups)
        group->setDeleteImportedDbOnClose();
}

void Instrument::stop()
{
    m_controller.stop();
    QReadLocker lock(&m_audioGroupsLock);
    for (AAudioGroup *group : m_audioGroups)
        group->stop();
}

void Instrument::pause()
{
    m_controller.pause();
    QReadLocker lock(&m_audioGroupsLock);
    for (AAudioGroup *group : m_audioGroups)
        group->pause();
}

bool Instrument::isPaused() const
{
    if (!m_controller.isPaused())
        return false;
    QReadLocker lock(&m_audioGroupsLock);
    for (AAudioGroup *group : m_audioGroups) {
        if (!group->isPaused())
            return false;
    }
    return true;
}

void Instrument::unpause()
{
    m_controller.unpause();
    QReadLocker lock(&m_audioGroupsLock);
    for (AAudioGroup *group : m_audioGroups)
        group->unpause();
}

void Instrument::resetHijackRequest()
{
    m_controller.resetHijackRequest();
}

void Instrument::allowHijackRequest()
{
    m_controller.allowHijackRequest();
}

int Instrument::post(int type, CommandParameter *parameter)
{
    Command *command = new (std::nothrow) Command(type, parameter);
    if (!command) {
        delete parameter;
        return -1;
    }
    return m_controller.enqueue(command);
}

int Instrument::postDeviceReply(CommandParameter *reply)
{
    return post(InstrumentController::CmdDeviceReply, reply);
}

int Instrument::postTimestampReply(const QString &agName, int code, const AgTimestamp &timestamp)
{
    auto *parameter = new AcquisitionTimecodeCommandParameter(timestamp);
    return m_controller.enqueue(
        new AgCommandReply(agName, code, InstrumentController::CmdTimestampReply, parameter));
}

int Instrument::postStoreResult(const QString &agName, int code, const AgTimestamp &newest,
                                int storedSamples)
{
    return m_controller.enqueue(
        new AgCommandReply(agName, code, InstrumentController::CmdStoreResult,
                           new AcquisitionTimecodeCommandParameter(newest, storedSamples)));
}

int Instrument::requestAcquisitionStatus()
{
    return post(InstrumentController::CmdPublishStatus);
}

int Instrument::resetAcquisitionStatus()
{
    return post(InstrumentController::CmdResetStatus);
}

QString Instrument::getName() const
{
    return m_name;
}

int Instrument::getAudioGroupCount() const
{
    QReadLocker lock(&m_audioGroupsLock);
    return m_audioGroups.size();
}

AAudioGroup *Instrument::findAudioGroup(const QString &sourceName) const
{
    QReadLocker lock(&m_audioGroupsLock);
    for (AAudioGroup *group : m_audioGroups) {
        if (group->getSourceName() == sourceName)
            return group;
    }
    return nullptr;
}

int Instrument::addAudioGroup(bool acquisitionFlag, const AgConfig &agConfig)
{
    return addAudioGroup(acquisitionFlag, m_instrumentConfig, agConfig);
}

int Instrument::addAudioGroup(bool acquisitionFlag, const InstrumentConfig &instrumentConfig,
                              const AgConfig &agConfig)
{
    if (findAudioGroup(agConfig.getName()))
        return 0;
    auto *group = new AAudioGroup();
    const int result = group->init(acquisitionFlag, instrumentConfig, agConfig);
    {
        QWriteLocker lock(&m_audioGroupsLock);
        m_audioGroups.append(group);
    }
    if (result != 0) {
        KIV_LOG(1, "Instrument AInstrument init fail\n");
        return result;
    }
    return 0;
}

AAudioGroup *Instrument::takeAudioGroup(const QString &sourceName)
{
    QWriteLocker lock(&m_audioGroupsLock);
    for (int i = 0; i < m_audioGroups.size(); ++i) {
        if (m_audioGroups[i]->getSourceName() == sourceName)
            return m_audioGroups.takeAt(i);
    }
    return nullptr;
}

QList<AAudioGroup *> Instrument::getAudioGroups() const
{
    QReadLocker lock(&m_audioGroupsLock);
    return m_audioGroups;
}

void Instrument::applyInstrumentConfig(bool acquisitionFlag, const InstrumentConfig &config)
{
    m_acquisitionFlag = acquisitionFlag;
    m_instrumentConfig = config;
    m_controller.applyConfig(acquisitionFlag, config);
    const QList<AgConfig> agConfigs = config.getAgConfigs();
    const QList<AAudioGroup *> groups = getAudioGroups();
    for (const AgConfig &agConfig : agConfigs) {
        for (AAudioGroup *group : groups) {
            if (group->getSourceName() == agConfig.getName())
                group->applyConfig(acquisitionFlag, m_instrumentConfig, agConfig);
        }
    }
}

void Instrument::postInstrumentConfig(bool acquisitionFlag, const InstrumentConfig &config)
{
    m_acquisitionFlag = acquisitionFlag;
    m_instrumentConfig = config;
    post(InstrumentController::CmdUpdateConfig,
         new UpdateInstrumentConfigCommandParameter(acquisitionFlag, config));
    const QList<AgConfig> agConfigs = config.getAgConfigs();
    const QList<AAudioGroup *> groups = getAudioGroups();
    for (const AgConfig &agConfig : agConfigs) {
        for (AAudioGroup *group : groups) {
            if (group->getSourceName() == agConfig.getName())
                group->postConfig(acquisitionFlag, m_instrumentConfig, agConfig);
        }
    }
}
