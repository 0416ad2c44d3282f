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
    void hidePleaseWait();
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
    // An audiogroup page's answer: replaces that audiogroup's settings in the copy being
    // edited, when the copy holds it.
    void onAudioGroupSettingsChanged(const AgConfig &agConfig, const QString &instrumentName);

private:
    mutable QMutex m_mutex;
    SystemConfig m_config;
    bool m_shown = false;
    AView *m_view = nullptr;
    ViewUpdateTimer m_timer;
};
