#pragma once

#include "AgData.h"
#include "KivTypes.h"

#include <memory>
#include <vector>

class AgConfig;
class AgDataAverageComputer;
class AgDataVector;

// Cuts a sample stream into the windows of one zoom level and answers one representative
// per finished window. The window still open stays open for the next call.
class AgZoomViolations
{
public:
    explicit AgZoomViolations(int level = ZoomLevel1h);
    AgZoomViolations(const AgZoomViolations &other);
    AgZoomViolations &operator=(const AgZoomViolations &other);
    virtual ~AgZoomViolations();

    // One sample per window closed by this batch, in time order. A window ending a program
    // is represented by the program's final sample.
    std::vector<AgData> addSamples(const AgConfig &config, const AgDataVector *batch);

private:
    void startWindow(const AgConfig &config, const AgData &sample);

    int m_level;
    AgData m_last;
    qint64 m_windowStart = -1;
    qint64 m_windowEnd = -1;
    std::unique_ptr<AgDataAverageComputer> m_computer;
};
