#include "InstrumentManager.h"

InstrumentManager::InstrumentManager() = default;

InstrumentManager::~InstrumentManager() = default;

int InstrumentManager::init(bool, const QList<InstrumentConfig> &)
{
    return 0;
}

void InstrumentManager::stopAll() {}

void InstrumentManager::unpauseAll() {}

bool InstrumentManager::areAllFinished() const
{
    return true;
}

void InstrumentManager::requestStatusUpdates() {}

void InstrumentManager::applyInstrumentConfigs(const QList<InstrumentConfig> &, bool) {}

void InstrumentManager::postInstrumentConfigs(const QList<InstrumentConfig> &, bool) {}
