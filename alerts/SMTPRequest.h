#pragma once

#include <SMTPConfig.h>

#include <QString>

// One e-mail to send: the server settings it goes through, one sender, one recipient,
// the subject and the HTML body. Queued and handed between threads by value.
class SMTPRequest
{
public:
    SMTPRequest();
    SMTPRequest(const QString &id, const SMTPConfig &smtpConfig, const QString &senderAddress,
                const QString &senderName, const QString &recipientAddress,
                const QString &recipientName, const QString &subject, const QString &body);
    SMTPRequest(const SMTPRequest &other) = default;
    SMTPRequest &operator=(const SMTPRequest &other) = default;
    virtual ~SMTPRequest();

    // Names the request in log lines.
    QString getId() const { return m_id; }
    SMTPConfig getSmtpConfig() const { return m_smtpConfig; }
    QString getSenderAddress() const { return m_senderAddress; }
    QString getSenderName() const { return m_senderName; }
    QString getRecipientAddress() const { return m_recipientAddress; }
    QString getRecipientName() const { return m_recipientName; }
    QString getSubject() const { return m_subject; }
    QString getBody() const { return m_body; }

private:
    QString m_id;
    SMTPConfig m_smtpConfig;
    QString m_senderAddress;
    QString m_senderName;
    QString m_recipientAddress;
    QString m_recipientName;
    QString m_subject;
    QString m_body;
};
