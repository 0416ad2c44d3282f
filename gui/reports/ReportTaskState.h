#pragma once

#include <QString>
#include <QtGlobal>

// One report the report screen asked for, and what became of it.
class ReportTaskState
{
public:
    ReportTaskState(const QString &instrumentName, const QString &sourceName);
    virtual ~ReportTaskState();
    ReportTaskState(const ReportTaskState &) = default;
    ReportTaskState &operator=(const ReportTaskState &) = default;

    // "<creation time>_<instrument>_<audiogroup>": the key the audiogroup's report task
    // carries and its outcome names.
    QString getNameKey() const;

    qint64 getCreationTime() const { return m_creationTime; }
    QString getInstrumentName() const { return m_instrumentName; }
    QString getSourceName() const { return m_sourceName; }
    bool isStarted() const { return m_started; }
    bool isConverted() const { return m_converted; }
    bool isFailed() const { return m_failed; }
    QString getMessage() const { return m_message; }
    bool isDone() const { return m_done; }

    void setStarted(bool started) { m_started = started; }
    // The outcome of the report task.
    void setOutcome(bool converted, bool failed, const QString &message);
    void setDone(bool done) { m_done = done; }

private:
    qint64 m_creationTime;
    QString m_instrumentName;
    QString m_sourceName;
    bool m_started = false;
    bool m_converted = false;
    bool m_failed = false;
    QString m_message;
    // The cancel command was posted.
    bool m_done = false;
};
