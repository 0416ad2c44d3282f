#include "XMLZQDBImportSource.h"

#include <AgDataVector.h>

#include <algorithm>

XMLZQDBImportSource::XMLZQDBImportSource(AgDataVector *samples)
    : ADBImportSource(2, QString()), m_samples(samples)
{
}

XMLZQDBImportSource::~XMLZQDBImportSource()
{
    delete m_samples;
}

int XMLZQDBImportSource::open()
{
    if (!m_samples)
        return -1;
    if (m_samples->isEmpty()) {
        m_firstTimestamp = 0;
        m_lastTimestamp = 0;
        return 0;
    }
    const auto samples = m_samples->begin();
    m_byTime.resize(static_cast<size_t>(m_samples->size()));
    for (size_t i = 0; i < m_byTime.size(); ++i)
        m_byTime[i] = static_cast<int>(i);
    std::stable_sort(m_byTime.begin(), m_byTime.end(), [&samples](int a, int b) {
        return samples[a].getTimestamp() < samples[b].getTimestamp();
    });
    m_firstTimestamp = samples[m_byTime.front()].getTimestamp();
    m_lastTimestamp = samples[m_byTime.back()].getTimestamp();
    return 0;
}

AgDataVector *XMLZQDBImportSource::readData(qint64 from, qint64 to, int *error)
{
    if (!m_samples) {
        *error = -1;
        return nullptr;
    }
    const auto samples = m_samples->begin();
    auto *slice = new AgDataVector(m_samples->getName(), 0);
    if (m_byTime.size() != static_cast<size_t>(m_samples->size())) {
        // Not opened through open(): read the plain way.
        for (const AgData &sample : *m_samples) {
            if (sample.getTimestamp() >= from && sample.getTimestamp() <= to)
                slice->append(sample);
        }
        *error = 0;
        return slice;
    }
    const auto first = std::lower_bound(
        m_byTime.begin(), m_byTime.end(), from,
        [&samples](int index, qint64 value) { return samples[index].getTimestamp() < value; });
    const auto last = std::upper_bound(
        first, m_byTime.end(), to,
        [&samples](qint64 value, int index) { return value < samples[index].getTimestamp(); });
    // The window in the order of the file.
    std::vector<int> window(first, last);
    std::sort(window.begin(), window.end());
    slice->reserve(static_cast<int>(window.size()));
    for (int index : window)
        slice->append(samples[index]);
    *error = 0;
    return slice;
}

qint64 XMLZQDBImportSource::getFirstTimestamp(int *error)
{
    *error = 0;
    return m_firstTimestamp;
}

qint64 XMLZQDBImportSource::getLastTimestamp(int *error)
{
    *error = 0;
    return m_lastTimestamp;
}
