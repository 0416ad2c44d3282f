#pragma once

#include "AgConfig.h"
#include "ProgramCalculationData.h"

#include <QString>

#include <vector>

class AAgDataModel;
class AgDataVector;

// Gated integrated loudness and maxima of one span of an audiogroup's recording, folded in
// slices of at most 30 s from the audiogroup's store into a histogram of momentary
// loudness (201 bins of 0.5 LU from -70 to +30 LUFS).
class ProgramCalculator
{
public:
    static constexpr double kNoValue = -999.0;
    // The integrated value when no block passes the gates.
    static constexpr double kGatedOut = -130.0;
    static constexpr qint64 kSliceMs = 30000;

    explicit ProgramCalculator(int type);
    virtual ~ProgramCalculator();

    // Whether a new interval invalidates what was accumulated.
    virtual bool needsReset(qint64 programId, qint64 start, qint64 end) const = 0;
    // Folds the level-0 rows with from <= timestamp <= to into the results. Answers 0, or
    // the store's error, in which case nothing was taken and the slice must be read again.
    virtual int update(AAgDataModel *model, qint64 from, qint64 to);

    void setAgConfig(const AgConfig &config);
    void setInterval(qint64 programId, qint64 start, qint64 end);
    // Reads and folds the next slice; the span is done once isFinished().
    void processNextChunk(AAgDataModel *model);
    virtual bool isFinished() const { return m_processedUntil > m_end; }
    // Whether processNextChunk has a slice to read (again, after a failed read).
    bool hasPendingChunk() const { return isReadableSpan() && m_processedUntil <= m_end; }

    // Adds the samples' momentary values to the histogram; with integrate the gated
    // loudness is recomputed.
    void addSamples(const AgDataVector *batch, bool integrate);
    void updateMomentaryMax(const AgDataVector *batch);
    void updateShortTermMax(const AgDataVector *batch);
    void updateTruePeakMax(const AgDataVector *batch);

    void setFirstTimecode(qint64 timecode) { m_firstTimecode = timecode; }
    void setLastTimecode(qint64 timecode) { m_lastTimecode = timecode; }

    ProgramCalculationData getCalculationData() const;

    int getType() const { return m_type; }
    qint64 getProgramId() const { return m_programId; }
    qint64 getStart() const { return m_start; }
    qint64 getEnd() const { return m_end; }
    qint64 getProcessedUntil() const { return m_processedUntil; }
    double getIntegrated() const { return m_integrated; }
    double getRelativeGate() const { return m_relativeGate; }

protected:
    const AgConfig &getAgConfig() const { return m_config; }
    // Whether the interval can be read at all: the live and markers spans need an end after
    // their start.
    virtual bool isReadableSpan() const { return m_start > 0 && m_end > 0 && m_end > m_start; }

private:
    void reset();
    // Folds from..to in; a failure is logged once per slice, however often it is retried.
    bool readSlice(AAgDataModel *model, qint64 from, qint64 to);
    void computeIntegrated();
    // Offset that turns the audiogroup's values into absolute loudness (LU mode values are
    // relative to the target).
    double loudnessOffset() const;

    int m_type;
    qint64 m_programId = -1;
    qint64 m_start = 0;
    qint64 m_end = 0;
    qint64 m_firstTimecode = 0;
    qint64 m_lastTimecode = 0;
    qint64 m_processedUntil = 0;
    // The start of the slice whose read failed last, -1 when none.
    qint64 m_failedSlice = -1;
    double m_absoluteGate = -70.0;
    double m_histogramMin = -70.0;
    double m_histogramMax = 30.0;
    double m_histogramStep = 0.5;
    double m_momentaryMax = kNoValue;
    double m_shortTermMax = kNoValue;
    double m_truePeakMax = kNoValue;
    double m_relativeGate = -70.0;
    double m_integrated = kNoValue;
    std::vector<double> m_counts;
    std::vector<double> m_energies;
    // The lowest bin also holds blocks at or below the absolute gate: the part of it above
    // the gate is kept apart.
    double m_lowBinGatedCount = 0.0;
    double m_lowBinGatedEnergy = 0.0;
    AgConfig m_config;
    double m_offset = 0.0;
};
