#pragma once

#include "AgData.h"
#include "AgViolations.h"
#include "AgZoomViolations.h"
#include "InstrumentConfig.h"
#include "ProgramCalculator.h"

#include <vector>

// Everything a report shows of one program: its loudness results, its threshold-violation
// counts and the samples worth listing (the 7031 ms windows that violate a threshold, and
// the program's last sample). Fed slice by slice by its report task.
class ReportProgramCalculator : public ProgramCalculator
{
public:
    // Consecutive failed reads of one slice after which the program is given up.
    static constexpr int kMaxReadAttempts = 20;

    ReportProgramCalculator();
    ReportProgramCalculator(bool checkIAtProgramEndOnly, const InstrumentConfig &instrumentConfig,
                            const AgConfig &agConfig);
    // A copy carries the whole calculation, so a map that copies its entries loses nothing.
    ReportProgramCalculator(const ReportProgramCalculator &other) = default;
    ReportProgramCalculator &operator=(const ReportProgramCalculator &other) = default;
    ~ReportProgramCalculator() override;

    bool needsReset(qint64 programId, qint64 start, qint64 end) const override;
    int update(AAgDataModel *model, qint64 from, qint64 to) override;
    // Also finished when the span cannot be read at all or its data could not be read, so a
    // report never waits for it for ever.
    bool isFinished() const override;

    const AgViolations &getViolations() const { return m_violations; }
    const std::vector<AgData> &getReportSamples() const { return m_reportSamples; }
    const InstrumentConfig &getInstrumentConfig() const { return m_instrumentConfig; }
    bool getCheckIAtProgramEndOnly() const { return m_checkIAtProgramEndOnly; }
    using ProgramCalculator::getAgConfig;
    // The store failed to give a slice kMaxReadAttempts times in a row: the results are
    // incomplete.
    bool hasReadFailed() const { return m_readFailed; }

protected:
    // A program whose end equals its start is the single instant at its start.
    bool isReadableSpan() const override;

private:
    void collectReportSamples(const AgDataVector *samples);
    void judgeHeldSample(const AgData &successor);

    AgData m_heldSample;
    // Windows of the one-hour zoom level: 7031 ms.
    AgZoomViolations m_averaging{ZoomLevel1h};
    bool m_checkIAtProgramEndOnly = false;
    InstrumentConfig m_instrumentConfig;
    AgViolations m_violations;
    std::vector<AgData> m_reportSamples;
    int m_failedReads = 0;
    bool m_readFailed = false;
};
