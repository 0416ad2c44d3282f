#include "AAgView.h"

#include <WindowPlacement.h>

#include <QTimer>

AAgView::AAgView(ViewType type, QWidget *parent) : AView(type, parent) {}

AAgView::~AAgView() = default;

void AAgView::onShow()
{
    // Opened where the window system puts it, its bottom strip may lie below the screen.
    WindowPlacement::keepInsideScreen(this);
    AView::onShow();
    // A window manager adds its frame only once the window is shown.
    QTimer::singleShot(0, this, [this] { WindowPlacement::keepInsideScreen(this); });
}
