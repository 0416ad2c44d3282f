#pragma once

#include <KivTypes.h>

#include <QString>
#include <QVector>

#include <array>
#include <vector>

class AgConfig;
class AgData;
class AgDataVector;

// What the plot's curves and threshold layer were last drawn from. The window hands the plot
// a snapshot every 50 ms, and most bring nothing new: the same thresholds and either no
// samples or the very samples drawn before. Comparing with what was drawn lets the plot skip
// the redraw, and the repaint that would follow it.
class PlotDrawnInputs
{
public:
    using Plotted = std::array<PlotValue, 4>;

    PlotDrawnInputs();
    ~PlotDrawnInputs();

    // Notes the thresholds' inputs; true when they differ from those noted before.
    bool thresholdsChanged(const Plotted &plotted, const AgConfig &config);
    void forgetThresholds();

    // True when the block would fill the curves exactly as they stand.
    bool drawsTheSameCurves(const Plotted &plotted, ZoomLevel zoom, const AgConfig &config,
                            const AgDataVector &block) const;
    // Notes the block that the curves were just filled from.
    void keepCurves(const Plotted &plotted, ZoomLevel zoom, const AgConfig &config,
                    const AgDataVector &block);
    // The curves were emptied.
    void forgetCurves();

private:
    struct Thresholds
    {
        Plotted plotted{};
        QVector<double> values;
        QString unit;
        bool operator==(const Thresholds &other) const;
    };

    bool m_thresholdsNoted = false;
    Thresholds m_thresholds;

    Plotted m_curvesPlotted{};
    ZoomLevel m_curvesZoom = ZoomLevel30s;
    double m_curvesMin = 0.0;
    double m_curvesMax = 0.0;
    // What the curves took of each row: time, time code and the four values.
    struct Row
    {
        qint64 timestamp;
        qint64 timecode;
        std::array<double, 4> values;
    };
    static Row drawnRow(const AgData &row, const Plotted &plotted);

    bool m_curvesKept = false;
    std::vector<Row> m_curvesRows;
};
