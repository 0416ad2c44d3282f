#include "ReportProgramCalculator.h"

#include "AAgDataModel.h"
#include "AgDataVector.h"
#include "KivTypes.h"
#include "KivUtils.h"
#include "ORQLogging.h"

#include <cmath>
#include <memory>

ReportProgramCalculator::ReportProgramCalculator() : ProgramCalculator(1) {}

ReportProgramCalculator::ReportProgramCalculator(bool checkIAtProgramEndOnly,
                                                 const InstrumentConfig &instrumentConfig,
                                                 const AgConfig &agConfig)
    : ProgramCalculator(1), m_checkIAtProgramEndOnly(checkIAtProgramEndOnly),
      m_instrumentConfig(instrumentConfig)
{
    setAgConfig(agConfig);
}

ReportProgramCalculator::~ReportProgramCalculator() = default;

bool ReportProgramCalculator::needsReset(qint64 programId, qint64 start, qint64 end) const
{
    return programId != getProgramId() || start != getStart() || end != getEnd();
}

bool ReportProgramCalculator::isReadableSpan() const
{
    return getStart() > 0 && getEnd() >= getStart();
}

bool ReportProgramCalculator::isFinished() const
{
    return ProgramCalculator::isFinished() || !isReadableSpan() || m_readFailed;
}

int ReportProgramCalculator::update(AAgDataModel *model, qint64 from, qint64 to)
{
    if (!model || m_readFailed)
        return -1;
    int err = 0;
    std::unique_ptr<AgDataVector> samples(model->getData(0, from, to, &err));
    if (err == 0 && !samples)
        err = -1;
    if (err != 0) {
        if (++m_failedReads >= kMaxReadAttempts) {
            m_readFailed = true;
            KIV_LOG(2,
                    "ReportProgramCalculator[%s][%s] gives program %lld up: the samples from "
                    "%lld to %lld could not be read\n",
                    qUtf8Printable(m_instrumentConfig.getName()),
                    qUtf8Printable(getAgConfig().getName()),
                    static_cast<long long>(getProgramId()), static_cast<long long>(from),
                    static_cast<long long>(to));
        }
        return err;
    }
    m_failedReads = 0;

    // The counters grow over the whole program; its final sample is judged in the slice that
    // reaches the program's end.
    m_violations.update(m_checkIAtProgramEndOnly, getAgConfig(), samples.get(), getEnd());
    collectReportSamples(samples.get());
    if (!samples->isEmpty()) {
        if (from == getStart())
            setFirstTimecode(samples->at(0).getTimecode());
        if (to == getEnd())
            setLastTimecode(samples->at(samples->size() - 1).getTimecode());
    }
    addSamples(samples.get(), true);
    updateMomentaryMax(samples.get());
    updateShortTermMax(samples.get());
    updateTruePeakMax(samples.get());
    return 0;
}

namespace {

bool sameValue(double a, double b)
{
    return a == b || (std::isnan(a) && std::isnan(b));
}

// Everything a sample row of the report shows but its time.
bool sameReadings(const AgData &a, const AgData &b)
{
    return a.getTimecode() == b.getTimecode() && a.getEvents() == b.getEvents() &&
           sameValue(a.getTP(), b.getTP()) && sameValue(a.getM400ms(), b.getM400ms()) &&
           sameValue(a.getS(), b.getS()) && sameValue(a.getI(), b.getI()) &&
           sameValue(a.getLRA(), b.getLRA());
}

} // namespace

void ReportProgramCalculator::collectReportSamples(const AgDataVector *samples)
{
    if (!samples || samples->isEmpty())
        return;
    const AgConfig &config = getAgConfig();
    for (const AgData &window : m_averaging.addSamples(config, samples)) {
        judgeHeldSample(window);
        m_heldSample = window;
    }
    const AgData &last = samples->at(samples->size() - 1);
    if (last.getTimestamp() != getEnd())
        return;
    // The program's final slice. Its last window is still open: a marker past that window's
    // end closes it, so the window before it is judged against it and it becomes the final
    // window, which has no successor to wait for.
    AgData marker = last;
    marker.setTimestamp(last.getTimestamp() + zoomLevelToSampleIntervalMs(ZoomLevel1h));
    AgDataVector closing;
    closing.append(marker);
    for (const AgData &window : m_averaging.addSamples(config, &closing)) {
        judgeHeldSample(window);
        m_heldSample = window;
    }
    // A final window whose worst sample is the last one is listed by that sample alone: it
    // is one row of the store, not two.
    if (!m_heldSample.isEmpty() && m_heldSample.hasViolation(config) &&
        !sameReadings(m_heldSample, last))
        m_reportSamples.push_back(m_heldSample);
    if (m_reportSamples.empty() || m_reportSamples.back().getTimestamp() != getEnd())
        m_reportSamples.push_back(last);
}

void ReportProgramCalculator::judgeHeldSample(const AgData &successor)
{
    if (m_heldSample.isEmpty())
        return;
    const AgConfig &config = getAgConfig();
    if (m_heldSample.hasMomentaryViolation(config) || m_heldSample.hasShortTermViolation(config) ||
        m_heldSample.hasTruePeakViolation(config)) {
        m_reportSamples.push_back(m_heldSample);
        return;
    }
    if (isIntegratedCheckDue(m_checkIAtProgramEndOnly, successor, m_heldSample) &&
        m_heldSample.hasIntegratedViolation(config))
        m_reportSamples.push_back(m_heldSample);
}
