#pragma once

#include "SyncSystemUIData.h"
#include "ViewUpdateTimer.h"

#include <QMultiMap>
#include <QObject>
#include <QString>

class ASystemView;

// Stands between the system and the main window. The control side fills the guarded
// state from any thread; every 500 ms the GUI thread hands a copy to the window and asks
// for fresh status. Every action of the window and its menu becomes one call of ASystem,
// and any part of the program shows its alerts through it.
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
    // Any thread: the timer starts on the GUI thread's next turn and the window shows.
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
    bool isUpdateTimerActive() const { return m_timer.isActive(); }

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
    void onUpdateTimer();

private:
    void connectView();

    ASystemView *m_view = nullptr;
    SyncSystemUIData m_data;
    ViewUpdateTimer m_timer;
};
