#include "InstrumentManager.h"

#include "AAudioGroup.h"
#include "AInstrument.h"

#include <ORQLogging.h>

#include <QReadLocker>
#include <QWriteLocker>

InstrumentManager::InstrumentManager() = default;

InstrumentManager::~InstrumentManager()
{
    QList<AInstrument *> instruments;
    {
        QWriteLocker lock(&m_lock);
        instruments.swap(m_instruments);
    }
    qDeleteAll(instruments);
}

int InstrumentManager::init(bool acquisitionFlag, const QList<InstrumentConfig> &configs)
{
    for (const InstrumentConfig &config : configs) {
        const int result = addInstrument(acquisitionFlag, config);
        if (result != 0)
            return result;
    }
    return 0;
}

int InstrumentManager::addInstrument(bool acquisitionFlag, const InstrumentConfig &config)
{
    if (findInstrument(config.getName()))
        return 0;
    auto *instrument = new AInstrument();
    const int result = instrument->init(acquisitionFlag, config);
    {
        QWriteLocker lock(&m_lock);
        m_instruments.append(instrument);
    }
    if (result != 0) {
        KIV_LOG(4, "InstrumentManager AInstrument init fail\n");
        return result;
    }
    return 0;
}

AInstrument *InstrumentManager::removeInstrument(const QString &name)
{
    QWriteLocker lock(&m_lock);
    for (int i = 0; i < m_instruments.size(); ++i) {
        if (m_instruments[i]->getName() == name)
            return m_instruments.takeAt(i);
    }
    return nullptr;
}

AInstrument *InstrumentManager::findInstrument(const QString &name) const
{
    QReadLocker lock(&m_lock);
    for (AInstrument *instrument : m_instruments) {
        if (instrument->getName() == name)
            return instrument;
    }
    return nullptr;
}

AAudioGroup *InstrumentManager::findAudioGroup(const QString &instrumentName,
                                               const QString &sourceName) const
{
    AInstrument *instrument = findInstrument(instrumentName);
    return instrument ? instrument->findAudioGroup(sourceName) : nullptr;
}

QList<AInstrument *> InstrumentManager::getInstruments() const
{
    QReadLocker lock(&m_lock);
    return m_instruments;
}

bool InstrumentManager::hasAudioGroups() const
{
    int count = 0;
    for (AInstrument *instrument : getInstruments())
        count += instrument->getAudioGroupCount();
    return count > 0;
}

void InstrumentManager::stopAll()
{
    for (AInstrument *instrument : getInstruments())
        instrument->stop();
}

void InstrumentManager::pauseAll()
{
    for (AInstrument *instrument : getInstruments())
        instrument->pause();
}

void InstrumentManager::unpauseAll()
{
    for (AInstrument *instrument : getInstruments())
        instrument->unpause();
}

bool InstrumentManager::areAllPaused() const
{
    for (AInstrument *instrument : getInstruments()) {
        if (!instrument->isPaused())
            return false;
    }
    return true;
}

bool InstrumentManager::areAllFinished() const
{
    for (AInstrument *instrument : getInstruments()) {
        if (!instrument->areAllFinished())
            return false;
    }
    return true;
}

void InstrumentManager::requestStatusUpdates()
{
    // What has not changed since it was last published is shown already: asking for it
    // would only wake a thread twice a second for each meter and audiogroup.
    for (AInstrument *instrument : getInstruments()) {
        if (instrument->hasUnpublishedStatus())
            instrument->requestAcquisitionStatus();
        for (AAudioGroup *group : instrument->getAudioGroups()) {
            if (group->hasUnpublishedViolations())
                group->publishViolations();
        }
    }
}

void InstrumentManager::applyInstrumentConfigs(const QList<InstrumentConfig> &configs,
                                               bool acquisitionFlag)
{
    const QList<AInstrument *> instruments = getInstruments();
    for (const InstrumentConfig &config : configs) {
        for (AInstrument *instrument : instruments) {
            if (instrument->getName() == config.getName())
                instrument->applyInstrumentConfig(acquisitionFlag, config);
        }
    }
}

void InstrumentManager::postInstrumentConfigs(const QList<InstrumentConfig> &configs,
                                              bool acquisitionFlag)
{
    const QList<AInstrument *> instruments = getInstruments();
    for (const InstrumentConfig &config : configs) {
        for (AInstrument *instrument : instruments) {
            if (instrument->getName() == config.getName())
                instrument->postInstrumentConfig(acquisitionFlag, config);
        }
    }
}

void InstrumentManager::resetHijackRequest(const QString &name)
{
    for (AInstrument *instrument : getInstruments()) {
        if (instrument->getName() == name)
            instrument->resetHijackRequest();
    }
}

void InstrumentManager::allowHijackRequest(const QString &name)
{
    for (AInstrument *instrument : getInstruments()) {
        if (instrument->getName() == name)
            instrument->allowHijackRequest();
    }
}
