#include "ASplashScreen.h"

#include <QKeyEvent>

ASplashScreen::ASplashScreen(QWidget *parent) : QSplashScreen(QPixmap())
{
    // The constructor taking a parent is deprecated; the splash keeps its own flags.
    if (parent)
        setParent(parent, windowFlags());
    connect(this, &ASplashScreen::showEvent, this, &ASplashScreen::onShowEvent,
            Qt::QueuedConnection);
    connect(this, &ASplashScreen::hideEvent, this, &ASplashScreen::onHideEvent,
            Qt::QueuedConnection);
}

ASplashScreen::~ASplashScreen() = default;

void ASplashScreen::showSplash()
{
    emit showEvent();
}

void ASplashScreen::hideSplash()
{
    emit hideEvent();
}

void ASplashScreen::onShowEvent()
{
    show();
    raise();
    // Shown as the About window it takes the keyboard, so that Esc reaches it.
    activateWindow();
}

void ASplashScreen::onHideEvent()
{
    hide();
}

void ASplashScreen::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        hide();
        return;
    }
    QSplashScreen::keyPressEvent(event);
}
