#include "DBImportStatusReplyCommandParameter.h"

DBImportStatusReplyCommandParameter::DBImportStatusReplyCommandParameter(
    bool completed, bool failed, const QString &message, qint64 progress, qint64 total)
    : m_completed(completed), m_failed(failed), m_message(message), m_progress(progress),
      m_total(total)
{
}

DBImportStatusReplyCommandParameter::~DBImportStatusReplyCommandParameter() = default;
