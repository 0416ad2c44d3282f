#include "AgData.h"

#include "AgConfig.h"

AgData::AgData() = default;

AgData::AgData(const QString &sourceName) : m_sourceName(sourceName) {}

AgData::~AgData() = default;

// A NaN compares false either way, so it never violates. Loudness limits are relative to
// the target and are shifted onto the sample's unit; true peak is compared as it stands.
bool AgData::isMomentaryAboveMainThreshold(const AgConfig &config) const
{
    return config.getMainThresholdActiveState() &&
           m_M400ms > config.getMUpperThreshold() + config.loudnessThresholdOffset();
}

bool AgData::isMomentaryAboveSecondaryThreshold(const AgConfig &config) const
{
    return config.getSecondaryThresholdActiveState() &&
           m_M400ms > config.getMUpperSecondaryThreshold() + config.loudnessThresholdOffset();
}

bool AgData::isShortTermAboveMainThreshold(const AgConfig &config) const
{
    return config.getMainThresholdActiveState() &&
           m_S > config.getSUpperThreshold() + config.loudnessThresholdOffset();
}

bool AgData::isShortTermAboveSecondaryThreshold(const AgConfig &config) const
{
    return config.getSecondaryThresholdActiveState() &&
           m_S > config.getSUpperSecondaryThreshold() + config.loudnessThresholdOffset();
}

bool AgData::isTruePeakAboveMainThreshold(const AgConfig &config) const
{
    return config.getMainThresholdActiveState() && m_TP > config.getTPUpperThreshold();
}

bool AgData::isTruePeakAboveSecondaryThreshold(const AgConfig &config) const
{
    return config.getSecondaryThresholdActiveState() &&
           m_TP > config.getTPUpperSecondaryThreshold();
}

bool AgData::isIntegratedAboveMainThreshold(const AgConfig &config) const
{
    return config.getMainThresholdActiveState() &&
           m_I > config.getIUpperThreshold() + config.loudnessThresholdOffset();
}

bool AgData::isIntegratedBelowMainThreshold(const AgConfig &config) const
{
    return config.getMainThresholdActiveState() &&
           m_I < config.getILowerThreshold() + config.loudnessThresholdOffset();
}

bool AgData::isIntegratedAboveSecondaryThreshold(const AgConfig &config) const
{
    return config.getSecondaryThresholdActiveState() &&
           m_I > config.getIUpperSecondaryThreshold() + config.loudnessThresholdOffset();
}

bool AgData::isIntegratedBelowSecondaryThreshold(const AgConfig &config) const
{
    return config.getSecondaryThresholdActiveState() &&
           m_I < config.getILowerSecondaryThreshold() + config.loudnessThresholdOffset();
}

bool AgData::hasMomentaryViolation(const AgConfig &config) const
{
    return isMomentaryAboveMainThreshold(config) || isMomentaryAboveSecondaryThreshold(config);
}

bool AgData::hasShortTermViolation(const AgConfig &config) const
{
    return isShortTermAboveMainThreshold(config) || isShortTermAboveSecondaryThreshold(config);
}

bool AgData::hasTruePeakViolation(const AgConfig &config) const
{
    return isTruePeakAboveMainThreshold(config) || isTruePeakAboveSecondaryThreshold(config);
}

bool AgData::hasIntegratedViolation(const AgConfig &config) const
{
    return isIntegratedAboveMainThreshold(config) || isIntegratedBelowMainThreshold(config) ||
           isIntegratedAboveSecondaryThreshold(config) ||
           isIntegratedBelowSecondaryThreshold(config);
}

bool AgData::hasViolation(const AgConfig &config) const
{
    // The tests above, for every sample a zoom level takes in: the unit's offset (a text
    // comparison) is looked up once instead of once for each of the eight loudness tests.
    const bool main = config.getMainThresholdActiveState();
    const bool secondary = config.getSecondaryThresholdActiveState();
    if (!main && !secondary)
        return false;
    const double offset = config.loudnessThresholdOffset();
    if (main && (m_M400ms > config.getMUpperThreshold() + offset ||
                 m_S > config.getSUpperThreshold() + offset ||
                 m_I > config.getIUpperThreshold() + offset ||
                 m_I < config.getILowerThreshold() + offset || m_TP > config.getTPUpperThreshold()))
        return true;
    return secondary && (m_M400ms > config.getMUpperSecondaryThreshold() + offset ||
                         m_S > config.getSUpperSecondaryThreshold() + offset ||
                         m_I > config.getIUpperSecondaryThreshold() + offset ||
                         m_I < config.getILowerSecondaryThreshold() + offset ||
                         m_TP > config.getTPUpperSecondaryThreshold());
}

bool isIntegratedCheckDue(bool checkAtProgramEndOnly, const AgData &next, const AgData &judged)
{
    if (judged.isEmpty())
        return false;
    if (!checkAtProgramEndOnly)
        return true;
    return next.getProgramId() != judged.getProgramId();
}
