#pragma once

#include "ProgramCalculator.h"

// Follows the live program: a new program id or start, or an end that moved back, starts
// the calculation anew.
class LiveProgramCalculator : public ProgramCalculator
{
public:
    LiveProgramCalculator();
    bool needsReset(qint64 programId, qint64 start, qint64 end) const override;
};
