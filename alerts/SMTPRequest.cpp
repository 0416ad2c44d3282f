#include "SMTPRequest.h"

SMTPRequest::SMTPRequest() = default;

SMTPRequest::SMTPRequest(const QString &id, const SMTPConfig &smtpConfig,
                         const QString &senderAddress, const QString &senderName,
                         const QString &recipientAddress, const QString &recipientName,
                         const QString &subject, const QString &body)
    : m_id(id), m_smtpConfig(smtpConfig), m_senderAddress(senderAddress),
      m_senderName(senderName), m_recipientAddress(recipientAddress),
      m_recipientName(recipientName), m_subject(subject), m_body(body)
{
}

SMTPRequest::~SMTPRequest() = default;
