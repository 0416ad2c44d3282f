#include "SMTPTask.h"

#include "EmailAddress.h"
#include "MimeAttachment.h"
#include "MimeHtml.h"
#include "MimeMessage.h"
#include "SmtpClient.h"

#include <KivResources.h>
#include <KivTypes.h>
#include <ORQLogging.h>

#include <QDateTime>
#include <QFile>

#include <exception>

const char *const SMTPTask::kLogoPath = ":/main/NUV_logo_black.png";
const char *const SMTPTask::kLogoContentId = "NUVLogo";

SMTPTask::SMTPTask(const SMTPRequest &request, qint64 overallTimeout, qint64 retryInterval)
    : m_request(request), m_overallTimeout(overallTimeout), m_retryInterval(retryInterval)
{
    initKivResources();
}

SMTPTask::~SMTPTask() = default;

void SMTPTask::step()
{
    if (isFinished())
        return;
    if (!m_started) {
        m_clock.start();
        m_started = true;
    }
    if (m_clock.elapsed() > m_overallTimeout) {
        m_failed = true;
        m_resultMessage =
            QStringLiteral("SMTP Task[%1] failed because it timed out").arg(m_request.getId());
        return;
    }
    if (m_lastAttemptEnd >= 0 && m_clock.elapsed() - m_lastAttemptEnd <= m_retryInterval)
        return;
    if (perform()) {
        m_succeeded = true;
        m_resultMessage =
            QStringLiteral("SMTP Task[%1] successfully performed").arg(m_request.getId());
        return;
    }
    const QByteArray id = m_request.getId().toUtf8();
    const QByteArray reason = m_failureReason.toUtf8();
    if (m_request.getSmtpConfig().getHost().isEmpty()) {
        // No attempt can go anywhere until the settings change.
        m_failed = true;
        m_resultMessage = QStringLiteral("SMTP Task[%1] failed: %2; the mail is given up")
                              .arg(m_request.getId(), m_failureReason);
        return;
    }
    if (m_lastAttemptEnd + m_retryInterval >= m_overallTimeout) {
        KIV_LOG(2,
                "SMTP Task[%s] attempt failed: %s; no time is left for another attempt within "
                "%lld s, so the mail is given up\n",
                id.constData(), reason.constData(),
                static_cast<long long>(m_overallTimeout / 1000));
        return;
    }
    const QString next = QDateTime::currentDateTimeUtc()
                             .addMSecs(m_retryInterval)
                             .toString(QStringLiteral("hh:mm:ss"));
    KIV_LOG(2, "SMTP Task[%s] attempt failed: %s; tried again in %lld s, at %s UTC\n",
            id.constData(), reason.constData(), static_cast<long long>(m_retryInterval / 1000),
            qUtf8Printable(next));
}

bool SMTPTask::perform()
{
    const SMTPConfig config = m_request.getSmtpConfig();
    const QByteArray id = m_request.getId().toUtf8();
    bool result = false;
    m_failureReason = QStringLiteral("an unexpected error");
    SmtpClient::ConnectionType connectionType = SmtpClient::Tcp;
    switch (smtpConnectionTypeFromString(config.getConnectionType())) {
    case SmtpConnectionTCP:
        connectionType = SmtpClient::Tcp;
        break;
    case SmtpConnectionSSL:
        connectionType = SmtpClient::Ssl;
        break;
    default:
        KIV_LOG(2, "SMTP TASK[%s] could not be performed: unknown connection type %s\n",
                id.constData(), qUtf8Printable(config.getConnectionType()));
        m_failureReason =
            QStringLiteral("the connection type \"%1\" is unknown").arg(config.getConnectionType());
        m_lastAttemptEnd = m_clock.isValid() ? m_clock.elapsed() : 0;
        return false;
    }

    SmtpClient client(config.getHost(), config.getPort(), connectionType);
    client.setUser(config.getUser());
    client.setPassword(config.getPassword());
    client.setCancelFlag(m_cancel);
    try {
        EmailAddress sender(m_request.getSenderAddress(), m_request.getSenderName());
        EmailAddress recipient(m_request.getRecipientAddress(), m_request.getRecipientName());
        MimeMessage message;
        message.setSender(&sender);
        message.addRecipient(&recipient);
        message.setSubject(m_request.getSubject());
        MimeHtml html(m_request.getBody());
        // Read anew for every attempt; the HTML refers to it as "cid:NUVLogo".
        MimeAttachment logo(new QFile(QString::fromLatin1(kLogoPath)));
        logo.setContentType(QStringLiteral("image/png"));
        logo.setContentId(QString::fromLatin1(kLogoContentId));
        message.addPart(&html);
        message.addPart(&logo);

        result = client.connectToHost() &&
                 (config.getUser().isEmpty() || config.getPassword().isEmpty() ||
                  client.login()) &&
                 client.sendMail(message);
    } catch (const std::exception &e) {
        // The password stays out of the log.
        KIV_LOG(2,
                "SMTP TASK[%s] throwed exception: %s\nhost addr: %s, host port %d, host pwd: "
                "***\n",
                id.constData(), e.what(), qUtf8Printable(config.getHost()), config.getPort());
        result = false;
    }
    if (result)
        m_failureReason.clear();
    else if (!client.getErrorText().isEmpty())
        m_failureReason = client.getErrorText();
    try {
        client.quit();
    } catch (...) {
    }
    m_lastAttemptEnd = m_clock.isValid() ? m_clock.elapsed() : 0;
    return result;
}
