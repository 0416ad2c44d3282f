#include "PlotDrawnInputs.h"
#include "NUVCustomPlot.h"

#include <AgConfig.h>
#include <AgDataVector.h>

namespace {

// Equal values, NaN included: a sample without a value draws the same gap each time.
bool same(double a, double b)
{
    return a == b || (a != a && b != b);
}

} // namespace

PlotDrawnInputs::PlotDrawnInputs() = default;

PlotDrawnInputs::~PlotDrawnInputs() = default;

bool PlotDrawnInputs::Thresholds::operator==(const Thresholds &other) const
{
    if (plotted != other.plotted || unit != other.unit || values.size() != other.values.size())
        return false;
    for (int i = 0; i < values.size(); ++i) {
        if (!same(values[i], other.values[i]))
            return false;
    }
    return true;
}

bool PlotDrawnInputs::thresholdsChanged(const Plotted &plotted, const AgConfig &config)
{
    Thresholds now;
    now.plotted = plotted;
    now.unit = config.getLoudnessUnit();
    now.values = {config.getLoudnessMinDb(), config.getLoudnessMaxDb(),
                  config.loudnessThresholdOffset()};
    for (PlotValue value : plotted) {
        if (value == 0)
            continue;
        now.values << config.getLowerThreshold(value) << config.getUpperThreshold(value)
                   << config.getLowerSecondaryThreshold(value)
                   << config.getUpperSecondaryThreshold(value);
    }
    if (m_thresholdsNoted && now == m_thresholds)
        return false;
    m_thresholdsNoted = true;
    m_thresholds = now;
    return true;
}

void PlotDrawnInputs::forgetThresholds()
{
    m_thresholdsNoted = false;
}

PlotDrawnInputs::Row PlotDrawnInputs::drawnRow(const AgData &row, const Plotted &plotted)
{
    Row drawn{row.getTimestamp(), row.getTimecode(), {}};
    for (size_t k = 0; k < plotted.size(); ++k)
        drawn.values[k] = NUVCustomPlot::sampleValue(row, plotted[k]);
    return drawn;
}

bool PlotDrawnInputs::drawsTheSameCurves(const Plotted &plotted, ZoomLevel zoom,
                                         const AgConfig &config, const AgDataVector &block) const
{
    if (!m_curvesKept || plotted != m_curvesPlotted || zoom != m_curvesZoom ||
        !same(config.getLoudnessMinDb(), m_curvesMin) ||
        !same(config.getLoudnessMaxDb(), m_curvesMax) ||
        size_t(block.size()) != m_curvesRows.size())
        return false;
    auto drawn = m_curvesRows.cbegin();
    for (const AgData &sample : block) {
        const Row row = drawnRow(sample, plotted);
        if (row.timestamp != drawn->timestamp || row.timecode != drawn->timecode)
            return false;
        for (size_t k = 0; k < row.values.size(); ++k) {
            if (!same(row.values[k], drawn->values[k]))
                return false;
        }
        ++drawn;
    }
    return true;
}

void PlotDrawnInputs::keepCurves(const Plotted &plotted, ZoomLevel zoom, const AgConfig &config,
                                 const AgDataVector &block)
{
    m_curvesKept = true;
    m_curvesPlotted = plotted;
    m_curvesZoom = zoom;
    m_curvesMin = config.getLoudnessMinDb();
    m_curvesMax = config.getLoudnessMaxDb();
    m_curvesRows.clear();
    m_curvesRows.reserve(size_t(block.size()));
    for (const AgData &sample : block)
        m_curvesRows.push_back(drawnRow(sample, plotted));
}

void PlotDrawnInputs::forgetCurves()
{
    m_curvesKept = false;
    m_curvesRows.clear();
}
