#include "LiveProgramCalculator.h"

LiveProgramCalculator::LiveProgramCalculator() : ProgramCalculator(0) {}

bool LiveProgramCalculator::needsReset(qint64 programId, qint64 start, qint64 end) const
{
    return programId != getProgramId() || start != getStart() || end < getEnd();
}
