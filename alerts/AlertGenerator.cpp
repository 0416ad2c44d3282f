#include "AlertGenerator.h"

AlertGenerator::AlertGenerator() = default;

AlertGenerator::~AlertGenerator() = default;

void AlertGenerator::checkData(bool, const InstrumentConfig *, const AgConfig *,
                               const AgDataVector *)
{
}
