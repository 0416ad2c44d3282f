#pragma once

#include <Command.h>

#include <QString>

// The importing audiogroup's progress.
class DBImportStatusReplyCommandParameter : public CommandParameter
{
public:
    DBImportStatusReplyCommandParameter(bool completed, bool failed, const QString &message,
                                        qint64 progress, qint64 total);
    ~DBImportStatusReplyCommandParameter() override;

    bool isCompleted() const { return m_completed; }
    bool isFailed() const { return m_failed; }
    QString getMessage() const { return m_message; }
    qint64 getProgress() const { return m_progress; }
    qint64 getTotal() const { return m_total; }

private:
    bool m_completed;
    bool m_failed;
    QString m_message;
    qint64 m_progress;
    qint64 m_total;
};
