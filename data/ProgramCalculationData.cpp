#include "ProgramCalculationData.h"

ProgramCalculationData::ProgramCalculationData(double momentaryMax, double shortTermMax,
                                               double truePeakMax, double integrated,
                                               const QList<double> &counts,
                                               const QList<double> &energies, double histogramMin,
                                               double histogramMax, double histogramStep,
                                               qint64 start, qint64 end, qint64 firstTimecode,
                                               qint64 lastTimecode, qint64 processedUntil)
    : m_momentaryMax(momentaryMax), m_shortTermMax(shortTermMax), m_truePeakMax(truePeakMax),
      m_integrated(integrated), m_counts(counts), m_energies(energies),
      m_histogramMin(histogramMin), m_histogramMax(histogramMax), m_histogramStep(histogramStep),
      m_start(start), m_end(end), m_firstTimecode(firstTimecode), m_lastTimecode(lastTimecode),
      m_processedUntil(processedUntil)
{
}

ProgramCalculationData::~ProgramCalculationData() = default;
