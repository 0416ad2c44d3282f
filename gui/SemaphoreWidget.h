#pragma once

#include <QPushButton>
#include <QString>

#include <memory>

class QLabel;

// A status light: a push button showing three lamps (green, yellow, red) of which at most
// one is lit, or a short white text instead of the lamps. States: 0 the text, 1 green,
// 2 red, 3 yellow (a new widget's), 4 all grey; any other state is stored and changes
// nothing on screen.
class SemaphoreWidget : public QPushButton
{
    Q_OBJECT
public:
    // message is only stored; what text mode shows is always the last setMessage.
    SemaphoreWidget(QWidget *parent, const QString &message);
    ~SemaphoreWidget() override;

    void setState(int state);
    int getState() const { return m_state; }
    // Shows the text instead of the lamps; the state stays.
    void setMessage(const QString &text);
    QString getMessage() const { return m_message; }

    void showAllGray();
    void showGreen();
    void showRed();
    void showYellow();

    static const QString &grayLightPath();
    static const QString &greenLightPath();
    static const QString &yellowLightPath();
    static const QString &redLightPath();

private:
    struct Form
    {
        QWidget *semaphoreWidget = nullptr;
        QLabel *greenLabel = nullptr;
        QLabel *yellowLabel = nullptr;
        QLabel *redLabel = nullptr;
        QWidget *messageWidget = nullptr;
        QLabel *messageLabel = nullptr;
    };
    void setupForm();
    QLabel *makeLamp(const char *name, int x);
    void showLit(QLabel *lamp, const QString &path);

    std::unique_ptr<Form> m_form;
    int m_state = 3;
    QString m_message;
    // The lights (not the message) show m_state.
    bool m_lightsShown = false;
};
