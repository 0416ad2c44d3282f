#include "AgDataAverageComputer.h"

#include "AgDataVector.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

// Excess over a limit, 0 when within it (a NaN is no excess).
inline double excess(double value, double limit)
{
    const double over = value - limit;
    return over > 0.0 ? over : 0.0;
}

} // namespace

AgDataAverageComputer::AgDataAverageComputer(const AgConfig &config, qint64 windowStart)
    : m_config(config)
{
    // Limits in the sample's unit, as the threshold tests of AgData compare them.
    const double offset = config.loudnessThresholdOffset();
    m_limits = {
        std::min(config.getMUpperThreshold(), config.getMUpperSecondaryThreshold()) + offset,
        std::min(config.getSUpperThreshold(), config.getSUpperSecondaryThreshold()) + offset,
        std::min(config.getIUpperThreshold(), config.getIUpperSecondaryThreshold()) + offset,
        std::max(config.getILowerThreshold(), config.getILowerSecondaryThreshold()) + offset,
        std::min(config.getTPUpperThreshold(), config.getTPUpperSecondaryThreshold())};
    m_start.setM400ms(config.getMUpperSecondaryThreshold() + offset - 1.0);
    m_start.setS(config.getSUpperSecondaryThreshold() + offset - 1.0);
    m_start.setTP(config.getTPUpperSecondaryThreshold() - 1.0);
    m_start.setI(offset +
                 (config.getIUpperSecondaryThreshold() + config.getILowerSecondaryThreshold()) /
                     2.0);
    restart(windowStart);
}

void AgDataAverageComputer::restart(qint64 windowStart)
{
    m_windowHasViolation = false;
    m_keptValues = 0;
    m_kept = m_start;
    m_kept.setTimestamp(windowStart);
}

std::array<double, 5> AgDataAverageComputer::excesses(const AgData &sample) const
{
    return {excess(sample.getM400ms(), m_limits[0]), excess(sample.getS(), m_limits[1]),
            excess(sample.getI(), m_limits[2]), excess(m_limits[3], sample.getI()),
            excess(sample.getTP(), m_limits[4])};
}

AgDataAverageComputer::~AgDataAverageComputer() = default;

void AgDataAverageComputer::addSamples(const AgDataVector *batch)
{
    if (!batch)
        return;
    for (const AgData &sample : *batch)
        addSample(sample);
}

void AgDataAverageComputer::addSample(const AgData &sample)
{
    if (sample.isEmpty())
        return;
    addSample(sample, sample.hasViolation(m_config));
}

void AgDataAverageComputer::addSample(const AgData &sample, bool violates)
{
    if (sample.isEmpty())
        return;
    if (violates) {
        if (m_kept.isEmpty() || isMoreSevere(sample))
            keep(sample);
        m_windowHasViolation = true;
    } else if (m_kept.isEmpty() ||
               (!m_windowHasViolation && (sample.getTimestamp() < m_kept.getTimestamp() ||
                                          valueCount(sample) > m_keptValues))) {
        // A first sample without values would show the whole window as a gap.
        keep(sample);
    }
}

int AgDataAverageComputer::valueCount(const AgData &sample)
{
    const double values[kValueFields] = {sample.getTP(),     sample.getTPMax(), sample.getM100ms(),
                                         sample.getM400ms(), sample.getMMax(),  sample.getS(),
                                         sample.getSMax(),   sample.getI(),     sample.getLRA()};
    int count = 0;
    for (double value : values)
        count += std::isnan(value) ? 0 : 1;
    return count;
}

bool AgDataAverageComputer::isMoreSevere(const AgData &candidate) const
{
    const std::array<double, 5> mine = excesses(candidate);
    const std::array<double, 5> &kept = m_keptExcesses;
    double largest = mine[0] - kept[0];
    for (size_t i = 1; i < mine.size(); ++i)
        largest = std::max(largest, mine[i] - kept[i]);
    return largest > 0.0;
}

void AgDataAverageComputer::keep(const AgData &sample)
{
    m_kept.setTimecode(sample.getTimecode());
    m_kept.setProgramId(sample.getProgramId());
    m_kept.setTP(sample.getTP());
    m_kept.setTPMax(sample.getTPMax());
    m_kept.setM100ms(sample.getM100ms());
    m_kept.setM400ms(sample.getM400ms());
    m_kept.setMMax(sample.getMMax());
    m_kept.setS(sample.getS());
    m_kept.setSMax(sample.getSMax());
    m_kept.setI(sample.getI());
    m_kept.setLRA(sample.getLRA());
    m_kept.setSPL(sample.getSPL());
    m_kept.setEvents(sample.getEvents());
    m_kept.setFlags(sample.getFlags());
    m_kept.setEmpty(false);
    m_keptValues = valueCount(sample);
    m_keptExcesses = excesses(m_kept);
}
