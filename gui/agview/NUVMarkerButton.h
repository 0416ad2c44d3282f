#pragma once

#include <QPixmap>
#include <QPushButton>

class QLabel;
class QMouseEvent;

// The flag at the foot of a marker, showing the marker's letter; a click switches the
// marker on or off, and a move with the button held drags the marker.
class NUVMarkerButton : public QPushButton
{
    Q_OBJECT
public:
    explicit NUVMarkerButton(QWidget *parent);
    ~NUVMarkerButton() override;

    void setPixmaps(const QPixmap &on, const QPixmap &off, bool state);
    // Shows the on or the off picture.
    void setState(bool state);
    QLabel *label() const { return m_label; }

signals:
    void markerOnOffClick();
    void mouseMove(QMouseEvent *event);

public slots:
    void onClick();
    // Handed to the marker instead of the button's own handling.
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    QLabel *m_label = nullptr;
    QPixmap m_on;
    QPixmap m_off;
};
