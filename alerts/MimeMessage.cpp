#include "MimeMessage.h"

#include "EmailAddress.h"
#include "MimeEncoding.h"
#include "MimeMultiPart.h"

#include <QRegularExpression>
#include <QSysInfo>
#include <QUuid>

namespace {

// The client refuses such addresses; this keeps a message built for other uses safe too.
QString headerAddress(const QString &address)
{
    QString out;
    for (const QChar c : address) {
        if (c.unicode() >= 0x20 && c.unicode() != 0x7f && c != QLatin1Char('<') &&
            c != QLatin1Char('>'))
            out += c;
    }
    return out;
}

// What may stand right of the "@" of a Message-ID: letters, digits, hyphens and inner dots.
QString domainText(const QString &text)
{
    QString out;
    for (const QChar c : text) {
        if (c.unicode() < 0x80 &&
            (c.isLetterOrNumber() || c == QLatin1Char('-') || c == QLatin1Char('.')))
            out += c;
    }
    while (out.startsWith(QLatin1Char('.')))
        out.remove(0, 1);
    while (out.endsWith(QLatin1Char('.')))
        out.chop(1);
    return out.replace(QRegularExpression(QStringLiteral("\\.{2,}")), QStringLiteral("."));
}

} // namespace

MimeMessage::MimeMessage(bool createAutoContent, QObject *parent)
    : QObject(parent), m_autoContent(createAutoContent), m_date(QDateTime::currentDateTime()),
      m_uniquePart(QUuid::createUuid().toString(QUuid::WithoutBraces))
{
    if (createAutoContent)
        m_content = new MimeMultiPart(MimeMultiPart::Related, this);
}

MimeMessage::~MimeMessage() = default;

void MimeMessage::addRecipient(EmailAddress *recipient, RecipientType type)
{
    switch (type) {
    case Cc:
        m_cc.append(recipient);
        break;
    case Bcc:
        m_bcc.append(recipient);
        break;
    case To:
        m_to.append(recipient);
        break;
    }
}

const QList<EmailAddress *> &MimeMessage::getRecipients(RecipientType type) const
{
    switch (type) {
    case Cc:
        return m_cc;
    case Bcc:
        return m_bcc;
    case To:
        break;
    }
    return m_to;
}

void MimeMessage::addPart(MimePart *part)
{
    if (auto *multi = qobject_cast<MimeMultiPart *>(m_content))
        multi->addPart(part);
}

bool MimeMessage::encodesHeaders() const
{
    return m_headerEncoding == MimePart::Base64 || m_headerEncoding == MimePart::QuotedPrintable;
}

QString MimeMessage::mailbox(const QString &name, const QString &address) const
{
    QString out;
    if (!name.isEmpty()) {
        out += QLatin1Char(' ');
        out += encodesHeaders() ? MimeHeader::encodedWords(MimeHeader::blankControls(name),
                                                           m_headerEncoding == MimePart::Base64)
                                : MimeHeader::phrase(name);
    }
    return out + QLatin1String(" <") + headerAddress(address) + QLatin1Char('>');
}

QString MimeMessage::addressList(const char *field, const QList<EmailAddress *> &list) const
{
    QString line = QLatin1String(field);
    for (int i = 0; i < list.size(); ++i) {
        if (i > 0)
            line += QLatin1Char(',');
        line += mailbox(list.at(i)->getName(), list.at(i)->getAddress());
    }
    return MimeHeader::fold(line) + QLatin1String("\r\n");
}

QString MimeMessage::subjectText() const
{
    const QString clean = MimeHeader::blankControls(m_subject);
    if (encodesHeaders())
        return MimeHeader::encodedWords(clean, m_headerEncoding == MimePart::Base64);
    // Non-ASCII subjects are encoded even so: the header must stay ASCII.
    return MimeHeader::isPlainText(clean) ? clean : MimeHeader::encodedWords(clean, true);
}

QString MimeMessage::getMessageId() const
{
    const QString address = m_sender ? m_sender->getAddress() : QString();
    QString domain = domainText(address.mid(address.lastIndexOf(QLatin1Char('@')) + 1));
    if (!address.contains(QLatin1Char('@')) || domain.isEmpty())
        domain = domainText(QSysInfo::machineHostName());
    if (domain.isEmpty())
        domain = QStringLiteral("localhost");
    return m_uniquePart + QLatin1Char('@') + domain;
}

QString MimeMessage::formatDate(const QDateTime &date)
{
    static const char *const days[] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
    static const char *const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const QDateTime valid = date.isValid() ? date : QDateTime::currentDateTime();
    const QDate day = valid.date();
    const QTime time = valid.time();
    const int offset = valid.offsetFromUtc() / 60;
    const int absOffset = qAbs(offset);
    return QString::asprintf("%s, %d %s %04d %02d:%02d:%02d %c%02d%02d", days[day.dayOfWeek() - 1],
                             day.day(), months[day.month() - 1], day.year(), time.hour(),
                             time.minute(), time.second(), offset < 0 ? '-' : '+', absOffset / 60,
                             absOffset % 60);
}

QString MimeMessage::toString()
{
    QString out = MimeHeader::fold(QLatin1String("From:") +
                                   (m_sender ? mailbox(m_sender->getName(), m_sender->getAddress())
                                             : mailbox(QString(), QString())));
    out += QLatin1String("\r\n");
    out += addressList("To:", m_to);
    if (!m_cc.isEmpty())
        out += addressList("Cc:", m_cc);
    out += MimeHeader::fold(QLatin1String("Subject: ") + subjectText()) + QLatin1String("\r\n");
    out += QLatin1String("Date: ") + formatDate(m_date) + QLatin1String("\r\n");
    out += QLatin1String("Message-ID: <") + headerAddress(getMessageId()) + QLatin1String(">\r\n");
    out += QLatin1String("MIME-Version: 1.0\r\n");
    if (m_content)
        out += m_content->toString();
    else
        out += QLatin1String("\r\n"); // the header still ends
    return out;
}
