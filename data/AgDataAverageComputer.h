#pragma once

#include "AgConfig.h"
#include "AgData.h"

class AgDataVector;

// Reduces one time window of samples to one representative: the window's first sample,
// unless a sample violates a threshold; then the most severe violation.
class AgDataAverageComputer
{
public:
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
};
