#pragma once

#include <KivTypes.h>

#include <QList>
#include <QWidget>

class AgViewZoomButton;

// The row of seven zoom buttons of the audiogroup window. Which levels they offer is the
// user's graph setting RangeSettings, read afresh at every refresh; the buttons whose level
// is the current one are checked.
class AgViewZoomSelector : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kButtonCount = 7;

    explicit AgViewZoomSelector(QWidget *parent);
    ~AgViewZoomSelector() override;

    // No signal.
    void setCurrentZoomLevel(ZoomLevel level);
    ZoomLevel getCurrentZoomLevel() const { return ZoomLevel(m_currentZoomLevel); }
    // Texts, places and checked states from the current RangeSettings; nothing changes
    // while the setting is empty.
    void updateButtons();

    const QList<AgViewZoomButton *> &buttons() const { return m_buttons; }

signals:
    void zoomChange(ZoomLevel level);

public slots:
    void onZoomChangeClick(ZoomLevel level);

private:
    QList<AgViewZoomButton *> m_buttons;
    int m_currentZoomLevel = 0;
};
