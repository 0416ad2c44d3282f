#pragma once

#include <KivTypes.h>
#include <SimpleCheckboxButton.h>

// A zoom button: a check-style button labelled with its zoom level's span.
class AgViewZoomButton : public SimpleCheckboxButton
{
    Q_OBJECT
public:
    AgViewZoomButton(ZoomLevel level, QWidget *parent);
    ~AgViewZoomButton() override;

    // Also shows the level's label.
    void setZoomLevel(ZoomLevel level);
    ZoomLevel getZoomLevel() const { return m_level; }

signals:
    void zoomButtonClick(ZoomLevel level);

public slots:
    void onClick();

private:
    ZoomLevel m_level;
};
