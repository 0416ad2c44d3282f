#pragma once

#include <AAgViewController.h>

#include "ScreenSelection.h"

#include <AgConfig.h>
#include <InstrumentConfig.h>
#include <Program.h>
#include <ProgramCalculationData.h>

#include <QMutex>
#include <QObject>
#include <QString>

class AgGetDataCommandReply;

// The audiogroup window's controller; a member of its audiogroup, called from the
// audiogroup's controller thread under its own mutex.
class AgViewController : public QObject, public AAgViewController
{
    Q_OBJECT
public:
    AgViewController();
    ~AgViewController() override;

    // 0 on success.
    int init(bool acquisitionFlag, const InstrumentConfig &instrumentConfig,
             const AgConfig &agConfig) override;
    void updateConfig(bool acquisitionFlag, const InstrumentConfig &instrumentConfig,
                      const AgConfig &agConfig) override;
    void start() override;
    void stop() override;
    void stopUpdateTimer() override;
    void pause() override;
    void unpause() override;
    // Takes the reply over and deletes it.
    void setDataReply(AgGetDataCommandReply *reply) override;
    void showPleaseWait(const QString &text) override;
    void resetProgramData() override;
    void disposeTableView() override;
    void hidePleaseWait() override;
    void hideExportProgress() override;
    void showExportProgress(const QString &text, bool flag, qint64 value, qint64 total) override;

    bool isRunning() const;
    bool isPaused() const;

signals:
    void show();
    void hide();
    void killUpdateTimer();
    void showPleaseWaitDialog(const QString &text);
    void hidePleaseWaitDialog();
    void updateExportDialog(const QString &text, bool flag, qlonglong value, qlonglong total);
    void showExportDialog();
    void hideExportDialog();
    void disposeTableViewModelConnection();

private:
    mutable QMutex m_mutex;
    bool m_acquisitionFlag = false;
    InstrumentConfig m_instrumentConfig;
    AgConfig m_agConfig;
    bool m_running = false;
    bool m_live = false;
    bool m_paused = false;
    Program m_program;
    ProgramCalculationData m_calculationData;
    ScreenSelection m_screenSelection;
};
