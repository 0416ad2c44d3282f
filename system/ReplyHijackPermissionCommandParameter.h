#pragma once

#include <Command.h>

#include <QString>

// The user's answer to a hijack request, named by its key.
class ReplyHijackPermissionCommandParameter : public CommandParameter
{
public:
    ReplyHijackPermissionCommandParameter(const QString &instrumentName, const QString &requestId);
    ~ReplyHijackPermissionCommandParameter() override;

    QString getInstrumentName() const { return m_instrumentName; }
    QString getRequestId() const { return m_requestId; }

private:
    QString m_instrumentName;
    QString m_requestId;
};
