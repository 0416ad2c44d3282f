#pragma once

#include "PlotDrawnInputs.h"

#include <AgConfig.h>
#include <AgEvent.h>
#include <InstrumentConfig.h>
#include <KivTypes.h>

#include <QSharedPointer>
#include <QWidget>

#include <array>
#include <memory>
#include <vector>

class AgData;
class AgDataVector;
class NUVCustomPlotThresholdLayer;
class NUVPlotEvents;
class NUVPlotScaleLabels;
class NUVSelector;
class QCPGraph;
class QCustomPlot;
class QLabel;
class QWheelEvent;
class TimeAxisTicker;

// The loudness-over-time plot of the audiogroup window. Six layers share one grid cell,
// each above the one before: the threshold layer (grid, alarm lines, loudness scales), the
// transparent curve plot (true peak, momentary, short-term and integrated in slots 1 to 4),
// the scales' labels, the event icons, a please-wait overlay and the A-B marker selector.
// Keys are seconds since the epoch (UTC); values lie on a normalised 0..150 scale.
class NUVCustomPlot : public QWidget
{
    Q_OBJECT
public:
    explicit NUVCustomPlot(QWidget *parent);
    ~NUVCustomPlot() override;

    void initPlot();
    // Redraws the window [startMs, startMs + spanMs] and takes the sample block over; with
    // start or span 0 it only frees the block.
    void updatePlot(PlotValue slot1, PlotValue slot2, PlotValue slot3, PlotValue slot4,
                    qint64 startMs, int spanMs, ZoomLevel zoom, AgDataVector *data,
                    InstrumentConfig instrument, AgConfig config);
    // New plotted values and time window; empties the curves.
    void resetPlot(PlotValue slot1, PlotValue slot2, PlotValue slot3, PlotValue slot4,
                   qint64 startMs, int spanMs, ZoomLevel zoom);
    void updateEvents(const std::vector<AgEvent> &events);

    void setMarkerTimes(qint64 minTime, qint64 maxTime, qint64 timeA, qint64 timeB);
    void showMarkers();
    void hideMarkers();

    void showPleaseWait(const QString &text);
    void hidePleaseWait();

    // The sample's value of a plotted quantity; 0 for a slot that plots nothing.
    static double sampleValue(const AgData &row, PlotValue value);

    QCustomPlot *customPlot() const;
    QCPGraph *graph(int slot) const;
    NUVCustomPlotThresholdLayer *thresholdLayer() const;
    NUVPlotScaleLabels *scaleLabels() const;
    NUVPlotEvents *plotEvents() const;
    NUVSelector *selector() const;
    QWidget *pleaseWait() const;
    QLabel *pleaseWaitLabel() const;
    TimeAxisTicker *timeTicker() const;

signals:
    void markersPositionChanged(qlonglong timeA, qlonglong timeB);
    void markerToggle(bool bothOn);
    void scroll(QWheelEvent *event);

protected:
    void wheelEvent(QWheelEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    struct Form;
    void setupForm();
    void retranslateForm();
    void setupPlotStyle();
    void createGraphs();
    // Range and tick step of the time axis; false for a zoom level that has none. Unless
    // exact, a range less than half a pixel from the one shown keeps that one.
    bool setTimeRange(qint64 startMs, int spanMs, ZoomLevel zoom, bool exact = false);
    void fillGraphs(const std::array<PlotValue, 4> &plotted, const AgDataVector &data,
                    ZoomLevel zoom, const AgConfig &config);

    std::unique_ptr<Form> m_form;
    QSharedPointer<TimeAxisTicker> m_ticker;
    std::array<QCPGraph *, 4> m_graphs{};
    PlotDrawnInputs m_drawn;
};
