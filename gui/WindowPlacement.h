#pragma once

#include <QPoint>

class QRect;
class QSize;
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

    // Top-left corner for a box of the size centred on the owner's frame, inside the area.
    static QPoint centredOn(const QSize &box, const QRect &ownerFrame, const QRect &available);
    // Moves the top-level box, not shown yet, there on the owner's screen.
    static void placeOver(QWidget *box, QWidget *owner);
    // The window a box belongs to: the active window, or the one last active of those still
    // shown while a box or nothing has the focus; else the fallback. Boxes themselves
    // (message, please-wait, About) never own one.
    static QWidget *boxOwner(QWidget *fallback);
    // From now on remembers the windows last active for boxOwner; once is enough.
    static void followActiveWindow();
};
