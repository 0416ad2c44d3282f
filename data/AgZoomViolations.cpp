#include "AgZoomViolations.h"

#include "AgDataAverageComputer.h"
#include "AgDataVector.h"
#include "KivUtils.h"

AgZoomViolations::AgZoomViolations(int level) : m_level(level) {}

AgZoomViolations::AgZoomViolations(const AgZoomViolations &other)
    : m_level(other.m_level), m_last(other.m_last), m_windowStart(other.m_windowStart),
      m_windowEnd(other.m_windowEnd),
      m_computer(other.m_computer ? std::make_unique<AgDataAverageComputer>(*other.m_computer)
                                  : nullptr)
{
}

AgZoomViolations &AgZoomViolations::operator=(const AgZoomViolations &other)
{
    if (this != &other) {
        m_level = other.m_level;
        m_last = other.m_last;
        m_windowStart = other.m_windowStart;
        m_windowEnd = other.m_windowEnd;
        m_computer =
            other.m_computer ? std::make_unique<AgDataAverageComputer>(*other.m_computer) : nullptr;
    }
    return *this;
}

AgZoomViolations::~AgZoomViolations() = default;

std::vector<AgData> AgZoomViolations::addSamples(const AgConfig &config, const AgDataVector *batch)
{
    std::vector<AgData> closed;
    if (!batch)
        return closed;
    for (const AgData &sample : *batch) {
        const bool programChanged =
            !m_last.isEmpty() && m_last.getProgramId() != sample.getProgramId();
        if (!m_computer) {
            if (programChanged)
                closed.push_back(m_last);
            startWindow(config, sample);
        } else if (sample.getTimestamp() > m_windowEnd || programChanged) {
            closed.push_back(programChanged ? m_last : m_computer->getResult());
            startWindow(config, sample);
        } else {
            m_computer->addSample(sample);
        }
        m_last = sample;
    }
    return closed;
}

void AgZoomViolations::startWindow(const AgConfig &config, const AgData &sample)
{
    m_computer = std::make_unique<AgDataAverageComputer>(config, sample.getTimestamp());
    m_computer->addSample(sample);
    m_windowStart = sample.getTimestamp();
    m_windowEnd = m_windowStart + zoomLevelToSampleIntervalMs(m_level) - 1;
}
