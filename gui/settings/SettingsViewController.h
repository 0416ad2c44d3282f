#pragma once

#include <SystemConfig.h>
#include <ViewUpdateTimer.h>

#include <QMutex>
#include <QObject>
#include <QString>

class AView;

// The settings dialog's controller: holds the configuration being edited.
class SettingsViewController : public QObject
{
    Q_OBJECT
public:
    static constexpr int kUpdateIntervalMs = 500;

    SettingsViewController();
    ~SettingsViewController() override;

    // GUI thread: obtains the dialog and wires it; the timer is not started.
    void init();
    // Any thread: unless the dialog is shown, edits a copy of the current configuration and
    // shows the dialog.
    void start();
    void stop();
    void stopUpdateTimer();
    void showPleaseWait(const QString &text);
    SystemConfig getSystemConfig() const;

signals:
    void show();
    void hide();
    void showPleaseWaitDialog(const QString &text);
    void hidePleaseWaitDialog();

public slots:
    void onUpdateTimer();
    void onSaveSettingsButtonClick();
    void onCancelButtonClick();
    void onViewHide();

private:
    mutable QMutex m_mutex;
    SystemConfig m_config;
    bool m_shown = false;
    AView *m_view = nullptr;
    ViewUpdateTimer m_timer;
};
