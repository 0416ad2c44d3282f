#pragma once

#include <QList>
#include <QMetaType>

// The loudness results of one program calculation; -999.0 means no value.
class ProgramCalculationData
{
public:
    ProgramCalculationData() = default;
    ProgramCalculationData(double momentaryMax, double shortTermMax, double truePeakMax,
                           double integrated, const QList<double> &counts,
                           const QList<double> &energies, double histogramMin, double histogramMax,
                           double histogramStep, qint64 start, qint64 end, qint64 firstTimecode,
                           qint64 lastTimecode, qint64 processedUntil);
    ProgramCalculationData(const ProgramCalculationData &other) = default;
    ProgramCalculationData &operator=(const ProgramCalculationData &other) = default;
    virtual ~ProgramCalculationData();

    double getMomentaryMax() const { return m_momentaryMax; }
    double getShortTermMax() const { return m_shortTermMax; }
    double getTruePeakMax() const { return m_truePeakMax; }
    double getIntegrated() const { return m_integrated; }
    // Momentary values per histogram bin, lowest bin first.
    QList<double> getHistogramCounts() const { return m_counts; }
    // Summed energies per bin.
    QList<double> getHistogramEnergies() const { return m_energies; }
    double getHistogramMin() const { return m_histogramMin; }
    double getHistogramMax() const { return m_histogramMax; }
    double getHistogramStep() const { return m_histogramStep; }
    qint64 getStartTime() const { return m_start; }
    qint64 getEndTime() const { return m_end; }
    qint64 getStartTimecode() const { return m_firstTimecode; }
    qint64 getEndTimecode() const { return m_lastTimecode; }
    qint64 getProcessedUntil() const { return m_processedUntil; }

private:
    double m_momentaryMax = -999.0;
    double m_shortTermMax = -999.0;
    double m_truePeakMax = -999.0;
    double m_integrated = -999.0;
    QList<double> m_counts;
    QList<double> m_energies;
    double m_histogramMin = -70.0;
    double m_histogramMax = 30.0;
    double m_histogramStep = 0.5;
    qint64 m_start = -1;
    qint64 m_end = -1;
    qint64 m_firstTimecode = 0;
    qint64 m_lastTimecode = 0;
    qint64 m_processedUntil = -1;
};

Q_DECLARE_METATYPE(ProgramCalculationData)
