#include "AgDataVector.h"

#include <stdexcept>

AgDataVector::AgDataVector(int zoomLevel) : m_zoomLevel(zoomLevel) {}

AgDataVector::AgDataVector(const QString &name, int zoomLevel)
    : m_name(name), m_zoomLevel(zoomLevel)
{
}

AgDataVector::~AgDataVector() = default;

const AgData &AgDataVector::at(int index) const
{
    if (index < 0 || static_cast<size_t>(index) >= m_samples.size())
        throw std::out_of_range("invalid vector<T> subscript");
    return m_samples[static_cast<size_t>(index)];
}

void AgDataVector::reserve(int count)
{
    // Only a capacity hint: a range estimate far beyond any real read is not honoured.
    constexpr int kMaxReserve = 1 << 20;
    if (count > 0)
        m_samples.reserve(static_cast<size_t>(count < kMaxReserve ? count : kMaxReserve));
}
