#pragma once

#include "SystemUIData.h"
#include "ViewUpdateTimer.h"

#include <QMutex>
#include <QObject>

class AView;
class KIVAlertBox;

// The main window's controller: a GUI-thread object whose state any thread may update
// under its mutex; the window pulls it every 500 ms.
class SystemViewController : public QObject
{
    Q_OBJECT
public:
    static constexpr int kUpdateIntervalMs = 500;

    SystemViewController();
    ~SystemViewController() override;

    // GUI thread: obtains the main window and wires it; the timer is not started.
    void init();
    // Any thread: shows the window and starts the timer.
    void start();
    // Any thread: hides the window and stops the timer.
    void stop();
    void stopUpdateTimer();

    void updateSystemConfig(SystemConfig config);
    void updateAcquisitionStatus(const QList<AcquisitionAg> &status);
    void updateAgViolationStatus(const AgViolations &violations, const QString &instrumentName,
                                 const QString &agName);
    // Any thread: the window shows the text in a modal alert box.
    void showAlertMessage(const QString &text);

    SystemUIData getSystemUIData() const;
    AView *getView() const { return m_view; }
    bool isUpdateTimerActive() const { return m_timer.isActive(); }

signals:
    void show();
    void hide();
    void showAlert(const QString &text);

public slots:
    void onUpdateTimer();
    void onQuit();
    void onShowAboutWindow();
    void onShowAlert(const QString &text);

private:
    mutable QMutex m_mutex;
    SystemUIData m_data;
    AView *m_view = nullptr;
    ViewUpdateTimer m_timer;
};
