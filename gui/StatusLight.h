#pragma once

#include "StatusLightDescription.h"

#include <AcquisitionAg.h>
#include <AgConfig.h>
#include <AgViolations.h>
#include <InstrumentConfig.h>

#include <limits>

// The two lights of one audiogroup: the connection light (is the meter answering and
// delivering data?) and the violation light (was any threshold violated?), computed from
// the latest status record and counters against the current time.
class StatusLight
{
public:
    // Ages in ms of the status record's times that decide the lights.
    static constexpr qint64 kConnectingMs = 30000;
    static constexpr qint64 kFreshMs = 15000;
    static constexpr qint64 kLateMs = 50000;

    StatusLight();
    StatusLight(bool acquisitionOn, const InstrumentConfig &instrumentConfig,
                const AgConfig &agConfig);
    StatusLight(const StatusLight &other);
    StatusLight &operator=(const StatusLight &other);
    virtual ~StatusLight();

    void setConfiguration(bool acquisitionOn, const InstrumentConfig &instrumentConfig,
                          const AgConfig &agConfig);
    void setAcquisitionAg(const AcquisitionAg &acquisitionAg);
    const AcquisitionAg &getAcquisitionAg() const { return m_acquisitionAg; }
    void setAgViolations(const AgViolations &violations);

    StatusLightDescription getDescription() const;
    // nowMs: now on monotonicMSecs(), the clock of the record's times, against which they
    // are aged.
    StatusLightDescription getDescription(qint64 nowMs) const;
    // The first time after nowMs at which getDescription would tell otherwise with the same
    // record, counters and configuration: when an age passes a bound. kNever when none does.
    qint64 nextChangeAfter(qint64 nowMs) const;
    static constexpr qint64 kNever = std::numeric_limits<qint64>::max();

private:
    bool isLogging() const;
    // Connection not made: "Connecting ..." while the attempt is young, else red.
    void describeNotConnected(qint64 nowMs, int &state, QString &message) const;
    int connectionState(qint64 nowMs) const;
    // What the connection light's tool tip tells of the acquisition: why no samples come,
    // the meter's clock running ahead, samples not stored, the last gap; one line each.
    QString acquisitionNote() const;
    int violationCounterState() const;

    bool m_acquisitionOn = false;
    InstrumentConfig m_instrumentConfig;
    AgConfig m_agConfig;
    AcquisitionAg m_acquisitionAg;
    AgViolations m_violations;
};
