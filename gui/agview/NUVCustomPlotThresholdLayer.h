#pragma once

#include "InkedTiles.h"
#include "NUVPlotScaleLabels.h"

#include <AgConfig.h>
#include <KivTypes.h>

#include <QLabel>

#include <array>

class NUVCustomPlotThreshold;
class QGridLayout;

// Lies under the transparent plot and draws what is not a data line: the horizontal grid
// (every 3 dB of the default loudness range) and, per plotted slot, a threshold widget with
// its alarm lines and loudness scale. The lowest 31 rows are left to the time-axis labels.
class NUVCustomPlotThresholdLayer : public QLabel
{
    Q_OBJECT
public:
    explicit NUVCustomPlotThresholdLayer(QWidget *parent);
    ~NUVCustomPlotThresholdLayer() override;

    // Creates, replaces or removes the widget of each slot whose value changed.
    void setPlotValues(PlotValue slot1, PlotValue slot2, PlotValue slot3, PlotValue slot4);
    // The plot values, then the thresholds, scale ranges and units of the configuration.
    void setThresholds(PlotValue slot1, PlotValue slot2, PlotValue slot3, PlotValue slot4,
                       const AgConfig &config);

    // Row of grid line n; -1 when the layer is lower than 32 rows.
    int gridRow(int n) const;
    // The threshold widget of slot 1..4, null when the slot shows nothing.
    NUVCustomPlotThreshold *threshold(int slot) const;
    // The labels of the scales shown, in the layer's coordinates.
    QVector<NUVPlotScaleLabels::Label> scaleLabels() const;

signals:
    // The scales' labels moved, changed or went.
    void scaleLabelsChanged(const QVector<NUVPlotScaleLabels::Label> &labels);

public slots:
    void resizeEvent(QResizeEvent *event) override;

protected:
    // Only the grid's inked tiles: the rest is transparent.
    void paintEvent(QPaintEvent *event) override;

private:
    void drawGrid();
    NUVCustomPlotThreshold *createThreshold(PlotValue plotValue);
    void publishScaleLabels();

    QGridLayout *m_layout = nullptr;
    std::array<NUVCustomPlotThreshold *, 4> m_thresholds{};
    const double m_gridStep = 3.0;
    std::array<PlotValue, 4> m_plotValues{};
    QVector<NUVPlotScaleLabels::Label> m_publishedLabels;
    InkedTiles m_inked;
};
