#pragma once

#include <AgData.h>
#include <AgZoomViolations.h>

#include <QString>

class AgConfig;
class AgDataVector;
class InstrumentConfig;

// Checks an audiogroup's freshly stored samples against its thresholds and raises one alert
// per violating window. One per audiogroup controller, used on its thread only.
//
// The batch is reduced to one sample per window of zoom level 8 (7031 ms, and a window also
// ends with its program); each window sample is judged when its successor arrives, so the
// integrated value can be judged at the end of a program.
class AlertGenerator
{
public:
    AlertGenerator();
    virtual ~AlertGenerator();

    // Nothing happens for a null batch; the caller keeps owning it.
    void checkData(bool checkIAtProgramEndOnly, const InstrumentConfig *instrument,
                   const AgConfig *agConfig, const AgDataVector *samples);

    // The alert's description: a header line with the sample's UTC time and the
    // audiogroup, then one line per violated value (momentary, short-term, integrated,
    // true peak), each ended by "\n". Characters XML cannot carry are left out, so the alert
    // e-mail can always be written.
    static QString composeViolationText(const InstrumentConfig *instrument,
                                        const AgConfig *agConfig, const AgData &sample,
                                        bool integratedDue);

private:
    AgData m_heldSample;
    AgZoomViolations m_windows;
};
