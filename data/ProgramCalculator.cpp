#include "ProgramCalculator.h"

#include "AAgDataModel.h"
#include "AgDataVector.h"
#include "ORQLogging.h"

#include <algorithm>
#include <cmath>
#include <memory>

namespace {

// 10^(L/10): the mean-square energy of a block of loudness L (ITU-R BS.1770-4 eq. 2, the
// -0.691 constant already being part of L).
inline double loudnessToEnergy(double loudness)
{
    constexpr double kLn10Over10 = 0.23025850929940456840; // ln(10) / 10
    return std::exp(loudness * kLn10Over10);
}

inline double energyToLoudness(double energy)
{
    return 10.0 * std::log10(energy);
}

// Raises max to the largest value of the batch's samples (a NaN never counts).
void raiseToMax(double &max, const AgDataVector *batch, double (AgData::*value)() const)
{
    if (!batch)
        return;
    for (const AgData &sample : *batch)
        if ((sample.*value)() > max)
            max = (sample.*value)();
}

} // namespace

ProgramCalculator::ProgramCalculator(int type) : m_type(type)
{
    reset();
    m_offset = loudnessOffset();
}

ProgramCalculator::~ProgramCalculator() = default;

void ProgramCalculator::setAgConfig(const AgConfig &config)
{
    m_config = config;
    m_offset = loudnessOffset();
}

double ProgramCalculator::loudnessOffset() const
{
    return m_config.getLoudnessUnit() == QLatin1String("LU") ? m_config.getTargetLoudness() : 0.0;
}

void ProgramCalculator::reset()
{
    m_absoluteGate = -70.0;
    m_histogramMin = -70.0;
    m_histogramMax = 30.0;
    m_histogramStep = 0.5;
    m_momentaryMax = kNoValue;
    m_shortTermMax = kNoValue;
    m_truePeakMax = kNoValue;
    m_integrated = kNoValue;
    m_relativeGate = -70.0;
    m_firstTimecode = -1;
    m_lastTimecode = -1;
    // One bin per step from min to max inclusive: 201 bins.
    const int bins =
        static_cast<int>(std::floor((m_histogramMax - m_histogramMin) / m_histogramStep + 1e-9)) +
        1;
    m_counts.assign(static_cast<size_t>(bins), 0.0);
    m_energies.assign(static_cast<size_t>(bins), 0.0);
    m_lowBinGatedCount = 0.0;
    m_lowBinGatedEnergy = 0.0;
    m_failedSlice = -1;
}

void ProgramCalculator::setInterval(qint64 programId, qint64 start, qint64 end)
{
    if (needsReset(programId, start, end)) {
        reset();
        m_programId = programId;
        m_start = start;
        m_processedUntil = start;
    }
    m_end = end;
}

void ProgramCalculator::processNextChunk(AAgDataModel *model)
{
    if (!isReadableSpan() || m_processedUntil > m_end)
        return;
    // Slices are inclusive at both ends; the next one starts a millisecond later. A slice
    // that could not be read is read again on the next call rather than left out.
    if (m_end >= m_processedUntil + kSliceMs) {
        if (readSlice(model, m_processedUntil, m_processedUntil + kSliceMs))
            m_processedUntil += kSliceMs + 1;
    } else {
        if (readSlice(model, m_processedUntil, m_end))
            m_processedUntil = m_end + 1;
    }
}

bool ProgramCalculator::readSlice(AAgDataModel *model, qint64 from, qint64 to)
{
    const int code = update(model, from, to);
    if (code == 0) {
        m_failedSlice = -1;
        return true;
    }
    if (m_failedSlice != from) {
        m_failedSlice = from;
        KIV_LOG(2,
                "ProgramCalculator[%s] type %d cannot read the samples from %lld to %lld (%d); "
                "retrying\n",
                qUtf8Printable(m_config.getName()), m_type, static_cast<long long>(from),
                static_cast<long long>(to), code);
    }
    return false;
}

int ProgramCalculator::update(AAgDataModel *model, qint64 from, qint64 to)
{
    if (!model)
        return -1;
    int err = 0;
    std::unique_ptr<AgDataVector> rows(model->getData(0, from, to, &err));
    if (err != 0)
        return err;
    if (!rows)
        return -1;
    addSamples(rows.get(), true);
    if (!rows->isEmpty()) {
        if (from == m_start)
            m_firstTimecode = rows->at(0).getTimecode();
        if (to == m_end)
            m_lastTimecode = rows->at(rows->size() - 1).getTimecode();
    }
    updateMomentaryMax(rows.get());
    updateShortTermMax(rows.get());
    updateTruePeakMax(rows.get());
    return 0;
}

void ProgramCalculator::addSamples(const AgDataVector *batch, bool integrate)
{
    if (!batch || m_histogramStep == 0.0)
        return;
    const int last = static_cast<int>(m_counts.size()) - 1;
    const double top = m_histogramMax;
    for (const AgData &sample : *batch) {
        double loudness = sample.getM400ms() + m_offset;
        if (std::isnan(loudness))
            continue;
        // Nearest bin, halves up; values beyond the scale land in the end bins.
        const double x = std::floor((loudness - m_histogramMin) / m_histogramStep + 0.5);
        const int bin = x <= 0.0 ? 0 : (x >= last ? last : static_cast<int>(x));
        // Nothing real is louder than the scale's top; taking such values at the top keeps
        // a damaged value from making every sum infinite.
        if (loudness > top)
            loudness = top;
        const double energy = loudnessToEnergy(loudness);
        m_counts[static_cast<size_t>(bin)] += 1.0;
        m_energies[static_cast<size_t>(bin)] += energy;
        // ITU-R BS.1770-4 2.8: only blocks above the absolute gate take part in the gating.
        if (bin == 0 && loudness > m_absoluteGate) {
            m_lowBinGatedCount += 1.0;
            m_lowBinGatedEnergy += energy;
        }
    }
    if (integrate)
        computeIntegrated();
}

void ProgramCalculator::computeIntegrated()
{
    // Every bin above the lowest lies wholly above the absolute gate.
    const size_t bins = m_counts.size();
    double countAbs = m_lowBinGatedCount;
    double sumAbs = m_lowBinGatedEnergy;
    for (size_t i = 1; i < bins; ++i) {
        countAbs += m_counts[i];
        sumAbs += m_energies[i];
    }
    if (countAbs <= 0.0 || !(sumAbs > 0.0)) {
        m_relativeGate = m_absoluteGate;
        m_integrated = kGatedOut;
        return;
    }
    // ITU-R BS.1770-4 2.8: the relative gate lies 10 LU below the mean of the blocks that
    // pass the absolute gate, taken over the whole span so far.
    m_relativeGate = std::max(energyToLoudness(sumAbs / countAbs) - 10.0, m_absoluteGate);
    const double gateEnergy = loudnessToEnergy(m_relativeGate);

    // A bin passes when the mean energy of its blocks lies above the gate, which places
    // the gate within the bin as precisely as the bin's content allows.
    double countRel = 0.0;
    double sumRel = 0.0;
    for (size_t i = 0; i < bins; ++i) {
        const double count = i == 0 ? m_lowBinGatedCount : m_counts[i];
        const double energy = i == 0 ? m_lowBinGatedEnergy : m_energies[i];
        if (count > 0.0 && energy > gateEnergy * count) {
            countRel += count;
            sumRel += energy;
        }
    }
    m_integrated = countRel > 0.0 ? energyToLoudness(sumRel / countRel) - m_offset : kGatedOut;
}

void ProgramCalculator::updateMomentaryMax(const AgDataVector *batch)
{
    raiseToMax(m_momentaryMax, batch, &AgData::getM400ms);
}

void ProgramCalculator::updateShortTermMax(const AgDataVector *batch)
{
    raiseToMax(m_shortTermMax, batch, &AgData::getS);
}

void ProgramCalculator::updateTruePeakMax(const AgDataVector *batch)
{
    raiseToMax(m_truePeakMax, batch, &AgData::getTP);
}

ProgramCalculationData ProgramCalculator::getCalculationData() const
{
    QList<double> counts;
    QList<double> energies;
    counts.reserve(static_cast<int>(m_counts.size()));
    energies.reserve(static_cast<int>(m_energies.size()));
    for (double value : m_counts)
        counts.append(value);
    for (double value : m_energies)
        energies.append(value);
    return ProgramCalculationData(m_momentaryMax, m_shortTermMax, m_truePeakMax, m_integrated,
                                  counts, energies, m_histogramMin, m_histogramMax, m_histogramStep,
                                  m_start, m_end, m_firstTimecode, m_lastTimecode,
                                  m_processedUntil);
}
