#pragma once

#include "AgData.h"

#include <QMetaType>

#include <tuple>

class AgConfig;
class AgDataVector;

// Running threshold-violation counts of one audiogroup. Each sample is judged when its
// successor is known, so that the integrated value can be judged at a program's end.
// Copies carry the counts only.
class AgViolations
{
public:
    AgViolations();
    AgViolations(const AgViolations &other);
    AgViolations &operator=(const AgViolations &other);
    virtual ~AgViolations();

    // lastTimestamp > 0 naming the batch's final sample judges that sample at once, the
    // integrated tests included; -1 leaves it for the next batch.
    void update(bool checkIAtProgramEndOnly, const AgConfig &config, const AgDataVector *batch,
                qint64 lastTimestamp);
    void resetCounters();
    bool sameCounts(const AgViolations &other) const;

    int getMomentaryMainCount() const { return m_momentaryMain; }
    int getShortTermMainCount() const { return m_shortTermMain; }
    int getIntegratedUpperMainCount() const { return m_integratedUpperMain; }
    int getIntegratedLowerMainCount() const { return m_integratedLowerMain; }
    int getTruePeakMainCount() const { return m_truePeakMain; }
    int getMomentarySecondaryCount() const { return m_momentarySecondary; }
    int getShortTermSecondaryCount() const { return m_shortTermSecondary; }
    int getIntegratedUpperSecondaryCount() const { return m_integratedUpperSecondary; }
    int getIntegratedLowerSecondaryCount() const { return m_integratedLowerSecondary; }
    int getTruePeakSecondaryCount() const { return m_truePeakSecondary; }

private:
    void countIntegratedViolations(const AgConfig &config, const AgData &sample);
    void judge(const AgConfig &config, const AgData &sample, bool withIntegrated);
    void copyCounters(const AgViolations &other);
    auto counters() const
    {
        return std::tie(m_momentaryMain, m_shortTermMain, m_integratedUpperMain,
                        m_integratedLowerMain, m_truePeakMain, m_momentarySecondary,
                        m_shortTermSecondary, m_integratedUpperSecondary,
                        m_integratedLowerSecondary, m_truePeakSecondary);
    }

    AgData m_last;
    int m_momentaryMain = 0;
    int m_shortTermMain = 0;
    int m_integratedUpperMain = 0;
    int m_integratedLowerMain = 0;
    int m_truePeakMain = 0;
    int m_momentarySecondary = 0;
    int m_shortTermSecondary = 0;
    int m_integratedUpperSecondary = 0;
    int m_integratedLowerSecondary = 0;
    int m_truePeakSecondary = 0;
};

Q_DECLARE_METATYPE(AgViolations)
