#pragma once

#include "AgConfig.h"
#include "AgData.h"

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

    void addSample(const AgData &sample);
    void addSamples(const AgDataVector *batch);
    // The representative, stamped with the window start.
    AgData getResult() const { return m_kept; }
    bool isEmpty() const { return m_kept.isEmpty(); }

private:
    // Whether `candidate` exceeds the kept sample's excess over the stricter limit in at
    // least one category.
    bool isMoreSevere(const AgData &candidate) const;
    void keep(const AgData &sample);

    bool m_windowHasViolation = false;
    AgConfig m_config;
    AgData m_kept;
    int m_keptValues = 0;
};
