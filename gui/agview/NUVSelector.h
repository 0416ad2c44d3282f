#pragma once

#include <QWidget>

#include <memory>

class NUVMarker;
class QCPAxis;
class QResizeEvent;

// The A-B marker overlay of the plot: two draggable markers and the shaded span between
// them when both are on. Columns and times (ms since the epoch, UTC) convert through the
// plot's time-axis range. The selector does not keep the times that a drag asks for: it
// reports them, snaps back, and moves when setMarkerTimes brings the accepted times.
class NUVSelector : public QWidget
{
    Q_OBJECT
public:
    explicit NUVSelector(QWidget *parent);
    ~NUVSelector() override;

    // minTime and maxTime bound marker A and marker B.
    void setMarkerTimes(qint64 minTime, qint64 maxTime, qint64 timeA, qint64 timeB, QCPAxis *axis);
    void resizeSelector(QResizeEvent *event, QCPAxis *axis);
    // Shows the selector; when it was hidden, both markers are switched on first.
    void showMarkers();

    // Column of a time and time of a column; 0 for a selector of no width or an empty range.
    qint64 timeToPosition(qint64 time) const;
    qint64 positionToTime(qint64 column) const;

    NUVMarker *markerA() const;
    NUVMarker *markerB() const;
    QWidget *markerRect() const;
    qint64 minimumMarkerGap() const { return m_minimumGap; }

signals:
    void markerPositionsChanged(qlonglong timeA, qlonglong timeB);
    void markerToggle(bool bothOn);

public slots:
    void onMarkerPositionChanged();
    void onMarkerStateChanged(bool state);
    void updateALimits();
    void updateBLimits();

private:
    struct Form;
    void setupForm();
    void takeRange(QCPAxis *axis);
    void updatePositions();
    void updateMarkersGeometry();

    std::unique_ptr<Form> m_form;
    qint64 m_minTime = 0;
    qint64 m_maxTime = 0;
    qint64 m_timeA = 0;
    qint64 m_timeB = 0;
    qint64 m_minimumGap = 0;
    qint64 m_positionA = 0;
    qint64 m_positionB = 0;
    qint64 m_positionMin = 0;
    qint64 m_positionMax = 0;
    qint64 m_rangeStart = 0;
    qint64 m_rangeEnd = 0;
};
