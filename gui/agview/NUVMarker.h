#pragma once

#include <QPoint>
#include <QWidget>

#include <memory>

class NUVMarkerButton;
class QMouseEvent;

// One draggable marker over the plot: a vertical line with a flag button at its foot.
// Type 0 is marker A, 1 marker B. Off after construction; an off marker does not move.
class NUVMarker : public QWidget
{
    Q_OBJECT
public:
    explicit NUVMarker(QWidget *parent);
    ~NUVMarker() override;

    void setMarkerType(int type);
    int getMarkerType() const { return m_type; }
    bool getState() const { return m_state; }
    // The picture and the line follow the state.
    void setState(bool state);
    int getCenterX() const;
    void setCenterX(int x);
    // Drag limits as centre columns; stored as left edges.
    void setLimits(const QPoint &minimum, const QPoint &maximum);
    QPoint getMinimumPosition() const { return m_minimum; }
    QPoint getMaximumPosition() const { return m_maximum; }
    bool isDragged() const { return m_dragged; }
    NUVMarkerButton *button() const;
    QWidget *line() const;

signals:
    void markerStateChanged(bool state);
    void markerPositionChanged();
    void markerPositionCommited();

public slots:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void onMarkerOnOffClick();
    void onMouseMoveEvent(QMouseEvent *event);

private:
    struct Form;
    void setupForm();
    void showState();

    std::unique_ptr<Form> m_form;
    bool m_state = false;
    int m_type = 0;
    QPoint m_minimum;
    QPoint m_maximum;
    bool m_dragged = false;
};
