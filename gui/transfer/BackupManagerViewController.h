#pragma once

#include <ABackupManagerViewController.h>
#include <BackupItem.h>
#include <BackupModel.h>
#include <ViewUpdateTimer.h>

#include <QList>
#include <QMutex>
#include <QObject>

class ABackupManagerView;

// Shows the backup files and passes the user's choices on. A GUI-thread object that the
// backup controller's thread (show, please-wait) and the system controller's thread (hide
// at closing) also call: its mutex guards the visible flag and the list last shown, and
// it reaches its window only through queued signals.
//
// Lock order: its own mutex, then the backup controller's list mutex (the timer holds the
// first while it copies the list).
class BackupManagerViewController : public QObject, public ABackupManagerViewController
{
    Q_OBJECT
public:
    static constexpr int kUpdateIntervalMs = 500;

    explicit BackupManagerViewController(QObject *parent);
    ~BackupManagerViewController() override;

    // GUI thread: sets the timer up and obtains the window; -1 when there is none.
    int init();

    void showManager() override;
    void hideManager() override;
    void stopUpdateTimer() override;
    void showPleaseWait(const QString &text) override;
    void hidePleaseWait() override;

    ABackupManagerView *getView() const { return m_view; }
    bool isVisible() const;
    bool isUpdateTimerActive() const { return m_timer.isActive(); }

signals:
    void show();
    void hide();
    void showPleaseWaitDialog(const QString &text);
    void hidePleaseWaitDialog();
    void dataReceived(const BackupModel &model);

public slots:
    // Every 500 ms while the window is open: a changed list goes to the window.
    void onUpdateTimer();
    void onBackupManagerImport(const QList<BackupItem> &items);
    void onBackupManagerRefresh();
    void onBackupManagerDelete(const QList<BackupItem> &items);
    void onHideBackupManagerView();

private:
    void connectView();

    ABackupManagerView *m_view = nullptr;
    BackupModel m_model;
    ViewUpdateTimer m_timer;
    mutable QMutex m_mutex;
    bool m_visible = false;
};
