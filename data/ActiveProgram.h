#pragma once

#include "LiveProgramCalculator.h"
#include "MarkersProgramCalculator.h"
#include "Program.h"

class AAgDataModel;
class AgConfig;

// The program under display with its two calculators; the marker calculator serves a
// program of type 2, the live one every other.
class ActiveProgram
{
public:
    void setAgConfig(const AgConfig &config);
    // Ignored unless the program is valid and starts after 0.
    void setProgram(const Program &program);
    Program getProgram() const { return m_program; }
    ProgramCalculationData getCalculationData() const;
    void processNextChunk(AAgDataModel *model);
    bool hasPendingChunk() const { return chosen().hasPendingChunk(); }

private:
    ProgramCalculator &chosen();
    const ProgramCalculator &chosen() const;

    Program m_program;
    LiveProgramCalculator m_live;
    MarkersProgramCalculator m_markers;
};
