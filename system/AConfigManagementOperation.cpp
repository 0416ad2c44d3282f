#include "AConfigManagementOperation.h"

#include <AAudioGroup.h>
#include <AInstrument.h>
#include <ASystem.h>
#include <ConfirmationViewController.h>
#include <InstrumentManager.h>
#include <ORQLogging.h>
#include <SystemConfig.h>
#include <SystemConfigXml.h>
#include <SystemJanitor.h>

#include <QElapsedTimer>
#include <QThread>

AConfigManagementOperation::AConfigManagementOperation(int type, int id) : m_type(type), m_id(id) {}

AConfigManagementOperation::~AConfigManagementOperation() = default;

qint64 AConfigManagementOperation::nowMs()
{
    // Monotonic: a wall clock set back or forward must neither stretch a time-out nor end
    // it at once.
    QElapsedTimer clock;
    clock.start();
    return clock.msecsSinceReference();
}

InstrumentManager *AConfigManagementOperation::instrumentManager()
{
    ASystem *system = ASystem::instance();
    return system ? system->getInstrumentManager() : nullptr;
}

void AConfigManagementOperation::publishAndSave(const SystemConfig &config)
{
    if (ASystem *system = ASystem::instance())
        system->setSystemConfig(config);
    if (saveSystemConfigToFile(config, systemConfigFileName()) != 0)
        KIV_LOG(1, "Could not save SystemConfig.\n");
}

void AConfigManagementOperation::showConfirmationPleaseWait(const QString &text)
{
    ASystem *system = ASystem::instance();
    if (ConfirmationViewController *view =
            system ? system->getConfirmationViewController() : nullptr)
        emit view->showPleaseWait(text);
}

void AConfigManagementOperation::onNetworkReply(int, int, const QString *) {}

void AConfigManagementOperation::onConfirm() {}

void AConfigManagementOperation::onRefuse() {}

void AConfigManagementOperation::setFailed(const QString &message)
{
    m_failed = true;
    m_message = message;
}

void AConfigManagementOperation::setCompleted(const QString &message)
{
    m_completed = true;
    m_message = message;
}

void AConfigManagementOperation::restart()
{
    m_started = false;
    m_finished = false;
    m_failed = false;
    m_completed = false;
    m_message.clear();
    m_showResult = true;
}

QString AConfigManagementOperation::timeoutMessage() const
{
    // The one time-out text, whatever the operation.
    return QStringLiteral("Add device operation timed out.");
}

void AConfigManagementOperation::run()
{
    if (!m_started) {
        m_deadline = kNoDeadline;
        m_started = true;
    }
    const bool ended = m_failed || m_completed;
    if (nowMs() >= m_deadline) {
        if (!ended) {
            abort();
            m_failed = true;
            m_message = timeoutMessage();
        }
    } else if (!ended) {
        step();
        return;
    }
    if (m_showResult) {
        if (ASystem *system = ASystem::instance())
            system->showAlert(m_message);
    }
    m_finished = true;
}

int AConfigManagementOperation::applyConfigChange()
{
    InstrumentManager *manager = instrumentManager();
    if (manager)
        manager->pauseAll();

    // The wait blocks this thread; no command runs meanwhile.
    bool paused = false;
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        if (!manager || !manager->hasAudioGroups() || manager->areAllPaused()) {
            paused = true;
            break;
        }
        QThread::msleep(kPausePollMs);
        if (waited.elapsed() >= kPauseWaitMs)
            break;
    }

    if (paused) {
        changeSystemConfig();
        if (manager) {
            retireRemoved(manager);
            createAdded(manager);
        }
    }

    if (manager) {
        waited.restart();
        manager->unpauseAll();
        for (;;) {
            if (!manager->hasAudioGroups() || !manager->areAllPaused())
                break;
            QThread::msleep(kPausePollMs);
            if (waited.elapsed() >= kPauseWaitMs)
                break;
        }
        if (manager->areAllPaused() && manager->hasAudioGroups())
            KIV_LOG(1, "COULD NOT UNPAUSE THE APPLICATION\n");
    }

    if (!paused) {
        KIV_LOG(1, "COULD NOT PAUSE THE APPLICATION IN ORDER TO SAVE THE CONFIG\n");
        return -1;
    }
    if (saveConfigToDatabases() != 0)
        KIV_LOG(1, "COULD NOT QUEUE ALL THE COMMANDS FOR CONFIG SAVE TO DB\n");
    return 0;
}

void AConfigManagementOperation::retireRemoved(InstrumentManager *manager)
{
    ASystem *system = ASystem::instance();
    if (!system)
        return;
    const SystemConfig config = system->getSystemConfig();
    SystemJanitor *janitor = system->getSystemJanitor();
    const QList<AInstrument *> instruments = manager->getInstruments();
    for (AInstrument *instrument : instruments) {
        if (!instrument)
            continue;
        const QString name = instrument->getName();
        if (!config.hasInstrument(name)) {
            AInstrument *removed = manager->removeInstrument(name);
            if (!removed)
                continue;
            // Its imported audiogroups take their database files with them.
            removed->setDeleteImportedDbsOnClose();
            removed->stop();
            if (janitor)
                janitor->retireInstrument(removed);
            else
                KIV_LOG(2, "Instrument %s stopped without a janitor to retire it\n",
                        qUtf8Printable(name));
            continue;
        }
        const QList<AAudioGroup *> audioGroups = instrument->getAudioGroups();
        for (AAudioGroup *audioGroup : audioGroups) {
            if (!audioGroup)
                continue;
            const QString source = audioGroup->getSourceName();
            if (config.hasAgConfig(name, source))
                continue;
            AAudioGroup *removed = instrument->takeAudioGroup(source);
            if (!removed)
                continue;
            removed->setDeleteImportedDbOnClose();
            removed->stop();
            if (janitor)
                janitor->retireAudioGroup(removed);
            else
                KIV_LOG(2, "Audiogroup %s stopped without a janitor to retire it\n",
                        qUtf8Printable(source));
        }
    }
}

void AConfigManagementOperation::createAdded(InstrumentManager *manager)
{
    ASystem *system = ASystem::instance();
    if (!system)
        return;
    const SystemConfig config = system->getSystemConfig();
    const bool acquisitionFlag = config.getManualAcquisitionOn();
    const QList<InstrumentConfig> instruments = config.getInstruments();
    for (const InstrumentConfig &instrumentConfig : instruments) {
        AInstrument *instrument = manager->findInstrument(instrumentConfig.getName());
        if (!instrument) {
            manager->addInstrument(acquisitionFlag, instrumentConfig);
            continue;
        }
        const QList<AgConfig> agConfigs = instrumentConfig.getAgConfigs();
        for (const AgConfig &agConfig : agConfigs) {
            if (!manager->findAudioGroup(instrumentConfig.getName(), agConfig.getName()))
                instrument->addAudioGroup(acquisitionFlag, agConfig);
        }
    }
}

int AConfigManagementOperation::saveConfigToDatabases()
{
    ASystem *system = ASystem::instance();
    if (!system)
        return -1;
    const QString text = systemConfigToXmlString(system->getSystemConfig(), true);
    InstrumentManager *manager = system->getInstrumentManager();
    if (!manager)
        return -1;
    int result = 0;
    const QList<AInstrument *> instruments = manager->getInstruments();
    for (AInstrument *instrument : instruments) {
        if (!instrument)
            continue;
        const QList<AAudioGroup *> audioGroups = instrument->getAudioGroups();
        for (AAudioGroup *audioGroup : audioGroups) {
            if (audioGroup && audioGroup->saveConfigToDb(text) != 0)
                result = -1;
        }
    }
    return result;
}
