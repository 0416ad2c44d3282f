#pragma once

#include <ADBExportManager.h>

#include <AgConfig.h>
#include <InstrumentConfig.h>

#include <QString>
#include <QtGlobal>

class AAgDataModel;

// An audiogroup's export of its database to a file, one window per controller cycle.
class DBExportManager : public ADBExportManager
{
public:
    DBExportManager();
    ~DBExportManager() override;
    DBExportManager(const DBExportManager &) = delete;
    DBExportManager &operator=(const DBExportManager &) = delete;

    // -1 when an export is already started.
    int startExport(const InstrumentConfig &instrumentConfig, const AgConfig &agConfig, qint64 from,
                    qint64 to, const QString &targetPath) override;
    void process(int value, AAgDataModel *model) override;
    // -1 when no export runs.
    int cancel() override;
    void reset() override;

    bool isStarted() const override { return m_started; }
    bool isFinished() const override { return m_finished; }
    bool isCompleted() const override { return m_completed; }
    bool isCancelRequested() const override { return m_cancelRequested; }
    QString getMessage() const override { return m_message; }
    qint64 getProgressValue() const override { return m_progressValue; }
    qint64 getProgressTotal() const override { return m_progressTotal; }

private:
    InstrumentConfig m_instrumentConfig;
    AgConfig m_agConfig;
    qint64 m_from = -1;
    qint64 m_to = -1;
    QString m_targetPath;
    bool m_started = false;
    bool m_finished = false;
    bool m_completed = false;
    bool m_cancelRequested = false;
    qint64 m_progressValue = 0;
    qint64 m_progressTotal = 0;
    QString m_message;
};
