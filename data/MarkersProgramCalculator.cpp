#include "MarkersProgramCalculator.h"

MarkersProgramCalculator::MarkersProgramCalculator() : ProgramCalculator(2) {}

bool MarkersProgramCalculator::needsReset(qint64 programId, qint64 start, qint64 end) const
{
    Q_UNUSED(programId)
    return start != getStart() || end < getEnd();
}
