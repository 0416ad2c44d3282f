#pragma once

#include <ADBExportManager.h>

#include <AgConfig.h>
#include <AgDbConfig.h>
#include <InstrumentConfig.h>

#include <QString>
#include <QtGlobal>

class AAgDataModel;

// An audiogroup's export of its latest configuration row, level-0 samples and events into
// a new level-0-only database file: 30000 ms of sample time per controller cycle, each part
// retried up to 5 times. A failed or cancelled export removes its incomplete file.
class DBExportManager : public ADBExportManager
{
public:
    static constexpr qint64 kSliceMs = 30000;
    static constexpr int kRetryBudget = 5;

    enum State { Idle = 0, Running = 1, Disposing = 2, Ended = 3 };

    DBExportManager();
    ~DBExportManager() override;
    DBExportManager(const DBExportManager &) = delete;
    DBExportManager &operator=(const DBExportManager &) = delete;

    // -1 when an export is already started.
    int startExport(const InstrumentConfig &instrumentConfig, const AgConfig &agConfig,
                    qint64 periodStart, qint64 periodEnd, const QString &destinationPath) override;
    // One step; the value is not used.
    void process(int value, AAgDataModel *source) override;
    // -1 when no export was started.
    int cancel() override;
    void reset() override;

    bool isStarted() const override { return m_started; }
    bool isFinished() const override { return m_completed || m_failed; }
    bool isCompleted() const override { return m_completed; }
    bool hasFailed() const { return m_failed; }
    bool isCancelRequested() const override { return m_cancelRequested; }
    QString getMessage() const override { return m_message; }
    qint64 getProgressValue() const override { return m_position - m_periodStart; }
    qint64 getProgressTotal() const override { return m_periodEnd - m_periodStart; }
    int getState() const;

private:
    void writeStep(AAgDataModel *source);
    void dispose();
    void setError(const QString &message);
    void closeDestination();
    AgDbConfig fallbackConfigRow() const;
    bool copySamples(AAgDataModel *source, qint64 from, qint64 to);
    bool copyEvents(AAgDataModel *source, qint64 from, qint64 to);

    bool m_started = false;
    bool m_cancelRequested = false;
    bool m_error = false;
    bool m_completed = false;
    bool m_failed = false;
    QString m_message;
    InstrumentConfig m_instrumentConfig;
    AgConfig m_agConfig;
    bool m_configCopied = false;
    bool m_dataSliceDone = false;
    bool m_eventsSliceDone = false;
    qint64 m_periodStart = -1;
    qint64 m_periodEnd = -1;
    QString m_destinationPath;
    qint64 m_position = -1;
    int m_retryBudget = kRetryBudget;
    AAgDataModel *m_destination = nullptr;
    bool m_fileTouched = false;
};
