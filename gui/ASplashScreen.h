#pragma once

#include <QSplashScreen>

// The splash screen, also shown as the About window. Any thread shows or hides it by
// emitting showEvent() / hideEvent() (or calling showSplash / hideSplash); the queued
// connections carry the actual show and hide to the GUI thread.
class ASplashScreen : public QSplashScreen
{
    Q_OBJECT
public:
    explicit ASplashScreen(QWidget *parent);
    ~ASplashScreen() override;

    void showSplash();
    void hideSplash();

signals:
    // Requests, not the widget's event handlers.
    void showEvent();
    void hideEvent();

public slots:
    void onShowEvent();
    void onHideEvent();

protected:
    // Esc closes the About window as a click on it does.
    void keyPressEvent(QKeyEvent *event) override;
};
