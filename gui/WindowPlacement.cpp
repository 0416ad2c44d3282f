#include "WindowPlacement.h"

#include <QGuiApplication>
#include <QRect>
#include <QScreen>
#include <QWidget>

#include <algorithm>

QPoint WindowPlacement::insideArea(const QRect &frame, const QRect &available)
{
    auto axis = [](int start, int length, int areaStart, int areaLength) {
        if (length >= areaLength)
            return areaStart;
        return std::clamp(start, areaStart, areaStart + areaLength - length);
    };
    return QPoint(axis(frame.x(), frame.width(), available.x(), available.width()),
                  axis(frame.y(), frame.height(), available.y(), available.height()));
}

void WindowPlacement::keepInsideScreen(QWidget *window)
{
    const QScreen *screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect frame = window->frameGeometry();
    const QPoint corner = insideArea(frame, screen->availableGeometry());
    if (corner != frame.topLeft())
        window->move(corner);
}
