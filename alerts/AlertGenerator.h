#pragma once

class AgConfig;
class AgDataVector;
class InstrumentConfig;

// Checks an audiogroup's freshly stored samples against its thresholds and raises an
// alert per hit. One per audiogroup controller, used on its thread only.
class AlertGenerator
{
public:
    AlertGenerator();
    virtual ~AlertGenerator();

    void checkData(bool checkIAtProgramEndOnly, const InstrumentConfig *instrumentConfig,
                   const AgConfig *agConfig, const AgDataVector *data);
};
