#include "AgStoreResult.h"

#include <utility>

AgStoreResult::AgStoreResult(int code, AgDataVector newSamples)
    : m_code(code), m_newSamples(std::move(newSamples))
{
}
