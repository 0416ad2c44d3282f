#pragma once

#include "SyncSystemUIData.h"
#include "ViewUpdateTimer.h"

#include <QMultiMap>
#include <QObject>
#include <QString>

#include <atomic>

class ASystemView;

// Stands between the system and the main window. The control side fills the guarded
// state from any thread; the GUI thread hands a copy to the window at most every 500 ms,
// when something it shows has changed or a light has aged past a bound, and sleeps in
// between. Every action of the window and its menu becomes one call of ASystem, and any
// part of the program shows its alerts through it.
class SystemViewController : public QObject
{
    Q_OBJECT
public:
    static constexpr int kUpdateIntervalMs = 500;
    // Six hours of report period, as the main window asks for it.
    static constexpr qint64 kReportPeriodMs = 21600000;

    SystemViewController();
    ~SystemViewController() override;

    // GUI thread: prepares the timer, obtains the main window and wires it; the timer is not
    // started and the window stays hidden. -1 when the factory gives no main window.
    int init();
    // Any thread: the window shows, and is kept up to date from the GUI thread's next turn.
    void start();
    // Any thread: the timer stops and the window hides.
    void stop();
    // Returns once the timer has stopped (blocks a worker until the GUI thread did it).
    void stopUpdateTimer();

    void updateSystemConfig(SystemConfig config);
    void updateAcquisitionStatus(const QList<AcquisitionAg> &status);
    void updateAgViolationStatus(const QString &instrumentName, const QString &agName,
                                 const AgViolations &violations);
    // Any thread: the window shows the text in an alert box.
    void showAlertMessage(const QString &text);

    SystemUIData getSystemUIData() const;
    ASystemView *getView() const { return m_view; }
    // Between start and stop: the window is kept up to date, though the timer sleeps while
    // nothing it shows changes.
    bool isUpdateTimerActive() const { return m_displayOn.load(); }

signals:
    void show();
    void hide();
    void update(const SystemUIData &state);
    void showAlert(const QString &text);

public slots:
    void onShowAgView(const QString &instrumentName, const QString &agName);
    void onMenuShowManageBackupsWindow();
    // Closing the window by its frame ends the program.
    void onViewHide();
    void onAddButtonClick();
    void onDeleteButtonClick(const QMultiMap<QString, QString> &selection);
    void onStartStopButtonClick(bool start);
    void onAutoButtonClick(bool on);
    void onResetAgViolationStatusClick(const QString &instrumentName, const QString &agName);
    void onResetAgAcquisitionStatusClick(const QString &instrumentName, const QString &agName);
    void onMenuGenerateReport(const QMultiMap<QString, QString> &selection);
    void onMenuQuitApplication();
    void onMenuShowAboutWindow();
    void onMenuShowSettingsWindow();
    void onMenuShowDocumentationWindow();
    // One refresh of the window; the next follows a change or the next light's bound.
    void onUpdateTimer();

private:
    void connectView();
    void wakeDisplay();
    // GUI thread: a refresh at atMs (monotonicMSecs()), not sooner than 500 ms after the
    // last one, unless one is due sooner already.
    void scheduleRefresh(qint64 atMs);

    ASystemView *m_view = nullptr;
    SyncSystemUIData m_data;
    ViewUpdateTimer m_timer;
    std::atomic<bool> m_displayOn{false};
    qint64 m_lastRefreshMs; // GUI thread
};
