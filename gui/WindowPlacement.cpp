#include "WindowPlacement.h"

#include "ClosingPleaseWaitDialog.h"
#include "KIVAlertBox.h"
#include "KivPleaseWaitBox.h"

#include <QApplication>
#include <QList>
#include <QPointer>
#include <QRect>
#include <QScreen>
#include <QSplashScreen>
#include <QWidget>
#include <QWindow>

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

QPoint WindowPlacement::centredOn(const QSize &box, const QRect &ownerFrame,
                                  const QRect &available)
{
    const QPoint centre = ownerFrame.center();
    const QRect centred(centre.x() - (box.width() - 1) / 2, centre.y() - (box.height() - 1) / 2,
                        box.width(), box.height());
    return insideArea(centred, available);
}

void WindowPlacement::placeOver(QWidget *box, QWidget *owner)
{
    const QScreen *screen = owner && owner->screen() ? owner->screen()
                                                     : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect frame = owner && owner->isVisible() ? owner->frameGeometry()
                                                    : screen->availableGeometry();
    // Moved before it is shown, the window system keeps the place instead of choosing one.
    box->move(centredOn(box->frameGeometry().size(), frame, screen->availableGeometry()));
}

namespace {

// Newest last: the windows that had the focus, so that a box raised after a file dialog
// or a please-wait box went away still finds the window the user worked in.
QList<QPointer<QWidget>> &recentWindows()
{
    static QList<QPointer<QWidget>> windows;
    return windows;
}

bool canOwnBoxes(const QWidget *window)
{
    if (!window || !window->isWindow() || !window->isVisible())
        return false;
    const Qt::WindowType type = window->windowType();
    if (type != Qt::Window && type != Qt::Dialog)
        return false;
    return !qobject_cast<const KIVAlertBox *>(window) &&
           !qobject_cast<const KivPleaseWaitBox *>(window) &&
           !qobject_cast<const ClosingPleaseWaitDialog *>(window) &&
           !qobject_cast<const QSplashScreen *>(window);
}

} // namespace

QWidget *WindowPlacement::boxOwner(QWidget *fallback)
{
    QWidget *active = QApplication::activeWindow();
    if (canOwnBoxes(active))
        return active;
    const QList<QPointer<QWidget>> &recent = recentWindows();
    for (auto it = recent.crbegin(); it != recent.crend(); ++it) {
        if (canOwnBoxes(*it))
            return *it;
    }
    return fallback;
}

void WindowPlacement::followActiveWindow()
{
    static bool following = false;
    if (following || !qApp)
        return;
    following = true;
    QObject::connect(qApp, &QGuiApplication::focusWindowChanged, qApp, [](QWindow *focused) {
        if (!focused)
            return;
        for (QWidget *window : QApplication::topLevelWidgets()) {
            if (window->windowHandle() == focused) {
                if (!canOwnBoxes(window))
                    return;
                QList<QPointer<QWidget>> &recent = recentWindows();
                recent.removeAll(QPointer<QWidget>());
                recent.removeAll(window);
                recent.append(window);
                // The main window, one audiogroup window and a dialog or two are the usual.
                constexpr int kKept = 16;
                while (recent.size() > kKept)
                    recent.removeFirst();
                return;
            }
        }
    });
}
