#include "ASystem.h"

#include <atomic>

namespace {
std::atomic<ASystem *> gSystem{nullptr};
}

ASystem::~ASystem() = default;

ASystem *ASystem::instance()
{
    return gSystem.load(std::memory_order_acquire);
}

ASystem *ASystem::setInstance(ASystem *system)
{
    return gSystem.exchange(system, std::memory_order_acq_rel);
}
