#pragma once

#include "MimePart.h"

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QString>

class EmailAddress;

// One e-mail: sender, recipients, subject and a body part.
class MimeMessage : public QObject
{
    Q_OBJECT
public:
    enum RecipientType { To = 0, Cc = 1, Bcc = 2 };
    Q_ENUM(RecipientType)

    // With createAutoContent the body is a multipart/related part owned by the message.
    explicit MimeMessage(bool createAutoContent = true, QObject *parent = nullptr);
    ~MimeMessage() override;

    // Sender and recipients are not owned; they must outlive the message.
    void setSender(EmailAddress *sender) { m_sender = sender; }
    EmailAddress *getSender() const { return m_sender; }
    void addRecipient(EmailAddress *recipient, RecipientType type = To);
    // Any other type gives the To list.
    const QList<EmailAddress *> &getRecipients(RecipientType type = To) const;
    void setSubject(const QString &subject) { m_subject = subject; }
    QString getSubject() const { return m_subject; }
    void setHeaderEncoding(MimePart::Encoding encoding) { m_headerEncoding = encoding; }
    MimePart::Encoding getHeaderEncoding() const { return m_headerEncoding; }
    MimePart *getContent() const { return m_content; }
    // Appends to a multipart body; ignored for any other body.
    void addPart(MimePart *part);
    // Receiving servers score mail without an origination date or an identifier down.
    // The date is the message's creation in local time unless set.
    void setDate(const QDateTime &date) { m_date = date; }
    // Without the angle brackets: unique to this message, ending in the sender's domain
    // (the host name when the sender has none).
    QString getMessageId() const;

    // RFC 5322 3.3: English day and month names whatever the locale, and the date's own
    // offset from UTC.
    static QString formatDate(const QDateTime &date);

    // The whole message text: header lines, then the body part.
    virtual QString toString();

private:
    bool encodesHeaders() const;
    QString mailbox(const QString &name, const QString &address) const;
    QString addressList(const char *field, const QList<EmailAddress *> &list) const;
    QString subjectText() const;

    EmailAddress *m_sender = nullptr;
    QList<EmailAddress *> m_to;
    QList<EmailAddress *> m_cc;
    QList<EmailAddress *> m_bcc;
    QString m_subject;
    MimePart *m_content = nullptr;
    bool m_autoContent;
    MimePart::Encoding m_headerEncoding = MimePart::EightBit;
    QDateTime m_date;
    QString m_uniquePart;
};
