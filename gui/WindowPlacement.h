#pragma once

#include <QPoint>

class QRect;
class QWidget;

// Keeps a window inside the screen's available area (the screen less its panels and docks):
// a window placed partly below or beside it would hide a strip of its contents.
class WindowPlacement
{
public:
    // Top-left corner for the frame so that it lies inside the area, moved as little as
    // needed; a frame larger than the area starts at the area's top-left corner.
    static QPoint insideArea(const QRect &frame, const QRect &available);
    // Moves the window there, on its own screen. Before the window is first shown its frame
    // is taken as its own size.
    static void keepInsideScreen(QWidget *window);
};
