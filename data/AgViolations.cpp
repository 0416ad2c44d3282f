#include "AgViolations.h"

#include "AgConfig.h"
#include "AgDataVector.h"

AgViolations::AgViolations() = default;

AgViolations::AgViolations(const AgViolations &other)
{
    copyCounters(other);
}

AgViolations &AgViolations::operator=(const AgViolations &other)
{
    if (this != &other)
        copyCounters(other);
    return *this;
}

AgViolations::~AgViolations() = default;

void AgViolations::copyCounters(const AgViolations &other)
{
    m_momentaryMain = other.m_momentaryMain;
    m_shortTermMain = other.m_shortTermMain;
    m_integratedUpperMain = other.m_integratedUpperMain;
    m_integratedLowerMain = other.m_integratedLowerMain;
    m_truePeakMain = other.m_truePeakMain;
    m_momentarySecondary = other.m_momentarySecondary;
    m_shortTermSecondary = other.m_shortTermSecondary;
    m_integratedUpperSecondary = other.m_integratedUpperSecondary;
    m_integratedLowerSecondary = other.m_integratedLowerSecondary;
    m_truePeakSecondary = other.m_truePeakSecondary;
}

void AgViolations::update(bool checkIAtProgramEndOnly, const AgConfig &config,
                          const AgDataVector *batch, qint64 lastTimestamp)
{
    if (!batch)
        return;
    for (const AgData &sample : *batch) {
        if (!m_last.isEmpty())
            judge(config, m_last, isIntegratedCheckDue(checkIAtProgramEndOnly, sample, m_last));
        m_last = sample;
    }
    if (lastTimestamp > 0 && !m_last.isEmpty() && m_last.getTimestamp() == lastTimestamp) {
        judge(config, m_last, true);
        // Judged for good: a later batch must not count it a second time.
        m_last = AgData();
    }
}

void AgViolations::judge(const AgConfig &config, const AgData &sample, bool withIntegrated)
{
    m_momentaryMain += sample.isMomentaryAboveMainThreshold(config) ? 1 : 0;
    m_momentarySecondary += sample.isMomentaryAboveSecondaryThreshold(config) ? 1 : 0;
    m_shortTermMain += sample.isShortTermAboveMainThreshold(config) ? 1 : 0;
    m_shortTermSecondary += sample.isShortTermAboveSecondaryThreshold(config) ? 1 : 0;
    if (withIntegrated)
        countIntegratedViolations(config, sample);
    m_truePeakMain += sample.isTruePeakAboveMainThreshold(config) ? 1 : 0;
    m_truePeakSecondary += sample.isTruePeakAboveSecondaryThreshold(config) ? 1 : 0;
}

void AgViolations::countIntegratedViolations(const AgConfig &config, const AgData &sample)
{
    m_integratedUpperMain += sample.isIntegratedAboveMainThreshold(config) ? 1 : 0;
    m_integratedUpperSecondary += sample.isIntegratedAboveSecondaryThreshold(config) ? 1 : 0;
    m_integratedLowerMain += sample.isIntegratedBelowMainThreshold(config) ? 1 : 0;
    m_integratedLowerSecondary += sample.isIntegratedBelowSecondaryThreshold(config) ? 1 : 0;
}

void AgViolations::resetCounters()
{
    copyCounters(AgViolations());
}

bool AgViolations::sameCounts(const AgViolations &other) const
{
    return counters() == other.counters();
}
