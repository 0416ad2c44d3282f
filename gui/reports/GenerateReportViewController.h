#pragma once

#include "ReportTaskState.h"

#include <QMultiMap>
#include <QMutex>
#include <QObject>
#include <QString>
#include <QTimer>

#include <vector>

class AAudioGroup;
class AGenerateReportView;

// Runs the manual reports of one request one after the other: asks each audiogroup for
// its report, waits for its outcome, shows the report dialog meanwhile and ends with an
// alert that says that all were made or why one failed. Lives on the GUI thread; the
// system controller's thread starts, stops and feeds it, so every field is guarded.
class GenerateReportViewController : public QObject
{
    Q_OBJECT
public:
    static constexpr int kUpdateIntervalMs = 100;

    GenerateReportViewController();
    ~GenerateReportViewController() override;

    // GUI thread: sets the timer up and obtains the dialog; -1 when there is none.
    int init();

    // Instrument name -> audiogroup name, the period of every report in ms.
    void startMonitoring(const QMultiMap<QString, QString> &reports, qint64 duration);
    bool isBusy() const;
    // The outcome of the report of that key; nothing when no report has it.
    void onReportTaskFinished(const QString &nameKey, bool converted, bool failed,
                              const QString &message);
    // Ends a run without a message (the program closes).
    void stop();

    AGenerateReportView *getView() const { return m_view; }
    // A copy of the reports of the run, in their order.
    std::vector<ReportTaskState> getStates() const;

signals:
    void show();
    void hide();
    void updateUi(const QString &text, bool cancelVisible);
    // Stops the update timer on its thread.
    void killUpdateTimer();

public slots:
    // Every 100 ms while a run goes on: one move of the run.
    void onCheckTaskStatus();
    void onCancelButtonClick();

private:
    void connectView();
    void updateDialogText();
    void startReportTask(ReportTaskState &state);
    void onAllReportsGenerated();
    void onReportFailed(const ReportTaskState &state);
    void cancelReportTasks();
    // The timer stops, the dialog goes.
    void endRun();
    static AAudioGroup *findAudioGroup(const ReportTaskState &state);

    mutable QMutex m_mutex;
    AGenerateReportView *m_view = nullptr;
    QTimer m_updateTimer;
    bool m_busy = false;
    bool m_cancelRequested = false;
    int m_current = 0;
    qint64 m_duration = 1;
    std::vector<ReportTaskState> m_states;
};
