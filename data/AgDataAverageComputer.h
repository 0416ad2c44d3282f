#pragma once

#include "AgConfig.h"
#include "AgData.h"

#include <array>

class AgDataVector;

// Reduces one time window of samples to one representative: the first of the window's samples
// with the most values (a sample without values only when no sample has one), unless a sample
// violates a threshold; then the most severe violation.
class AgDataAverageComputer
{
public:
    // The loudness values a sample carries: those the meter gave as numbers.
    static constexpr int kValueFields = 9;
    static int valueCount(const AgData &sample);

    AgDataAverageComputer(const AgConfig &config, qint64 windowStart);
    virtual ~AgDataAverageComputer();

    // Begins the next window with the same configuration: one computer serves a run of
    // windows without copying the configuration for each.
    void restart(qint64 windowStart);
    void addSample(const AgData &sample);
    // The same, with sample.hasViolation(config) already known.
    void addSample(const AgData &sample, bool violates);
    void addSamples(const AgDataVector *batch);
    // The representative, stamped with the window start.
    AgData getResult() const { return m_kept; }
    bool isEmpty() const { return m_kept.isEmpty(); }

private:
    // Whether `candidate` exceeds the kept sample's excess over the stricter limit in at
    // least one category.
    bool isMoreSevere(const AgData &candidate) const;
    void keep(const AgData &sample);
    std::array<double, 5> excesses(const AgData &sample) const;

    bool m_windowHasViolation = false;
    AgConfig m_config;
    AgData m_kept;
    // What a window's representative is before its first sample, worked out once.
    AgData m_start;
    int m_keptValues = 0;
    // The stricter limits in the samples' unit, worked out once from the configuration, and
    // the kept sample's excesses over them.
    std::array<double, 5> m_limits{};
    std::array<double, 5> m_keptExcesses{};
};
