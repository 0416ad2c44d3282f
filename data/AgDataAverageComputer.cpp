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

// Limits in the sample's unit, as the threshold tests of AgData compare them.
std::array<double, 5> excesses(const AgConfig &config, const AgData &sample)
{
    const double offset = config.loudnessThresholdOffset();
    const double momentary =
        std::min(config.getMUpperThreshold(), config.getMUpperSecondaryThreshold()) + offset;
    const double shortTerm =
        std::min(config.getSUpperThreshold(), config.getSUpperSecondaryThreshold()) + offset;
    const double upper =
        std::min(config.getIUpperThreshold(), config.getIUpperSecondaryThreshold()) + offset;
    const double lower =
        std::max(config.getILowerThreshold(), config.getILowerSecondaryThreshold()) + offset;
    const double truePeak =
        std::min(config.getTPUpperThreshold(), config.getTPUpperSecondaryThreshold());
    return {excess(sample.getM400ms(), momentary), excess(sample.getS(), shortTerm),
            excess(sample.getI(), upper), excess(lower, sample.getI()),
            excess(sample.getTP(), truePeak)};
}

} // namespace

AgDataAverageComputer::AgDataAverageComputer(const AgConfig &config, qint64 windowStart)
    : m_config(config)
{
    const double offset = config.loudnessThresholdOffset();
    m_kept.setTimestamp(windowStart);
    m_kept.setM400ms(config.getMUpperSecondaryThreshold() + offset - 1.0);
    m_kept.setS(config.getSUpperSecondaryThreshold() + offset - 1.0);
    m_kept.setTP(config.getTPUpperSecondaryThreshold() - 1.0);
    m_kept.setI(offset +
                (config.getIUpperSecondaryThreshold() + config.getILowerSecondaryThreshold()) /
                    2.0);
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
    if (sample.hasViolation(m_config)) {
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
    const std::array<double, 5> mine = excesses(m_config, candidate);
    const std::array<double, 5> kept = excesses(m_config, m_kept);
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
}
