#pragma once

// What the audiogroup window keeps while its table screen is shown: the zoom level of
// the plot screen, to be restored when the user switches back.
class ScreenSelection
{
public:
    ScreenSelection() = default;
    virtual ~ScreenSelection();

    int getZoomLevel() const { return m_zoomLevel; }
    void setZoomLevel(int zoomLevel) { m_zoomLevel = zoomLevel; }

private:
    int m_zoomLevel = 0;
    int m_reserved = 0;
};
