#pragma once

#include "ProgramCalculator.h"

// The span between the plot markers: only a new start or an end that moved back starts
// anew; the program id does not matter.
class MarkersProgramCalculator : public ProgramCalculator
{
public:
    MarkersProgramCalculator();
    bool needsReset(qint64 programId, qint64 start, qint64 end) const override;
};
