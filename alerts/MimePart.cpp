#include "MimePart.h"

#include "MimeEncoding.h"

namespace {

// Values set by code, but none of them may end the header line early.
QString headerValue(const QString &value)
{
    QString out;
    for (const QChar c : value) {
        if (c.unicode() >= 0x20 && c != QLatin1Char('<') && c != QLatin1Char('>'))
            out += c;
    }
    return out;
}

QString quotedParameter(const QString &value)
{
    QString out = headerValue(value);
    out.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    out.replace(QLatin1Char('"'), QLatin1String("\\\""));
    return QLatin1Char('"') + out + QLatin1Char('"');
}

const char *encodingName(MimePart::Encoding encoding)
{
    switch (encoding) {
    case MimePart::EightBit:
        return "8bit";
    case MimePart::Base64:
        return "base64";
    case MimePart::QuotedPrintable:
        return "quoted-printable";
    case MimePart::SevenBit:
        break;
    }
    return "7bit";
}

} // namespace

MimePart::MimePart(QObject *parent) : QObject(parent) {}

MimePart::~MimePart() = default;

QString MimePart::toString()
{
    if (!m_prepared)
        prepare();
    return m_mimeString;
}

void MimePart::prepare()
{
    QString s = QLatin1String("Content-Type: ") + headerValue(m_contentType);
    if (!m_contentName.isEmpty())
        s += QLatin1String("; name=") + quotedParameter(m_contentName);
    if (!m_contentCharset.isEmpty())
        s += QLatin1String("; charset=") + headerValue(m_contentCharset);
    if (!m_contentBoundary.isEmpty())
        s += QLatin1String("; boundary=") + m_contentBoundary;
    s += QLatin1String("\r\nContent-Transfer-Encoding: ");
    s += QLatin1String(encodingName(m_encoding));
    s += QLatin1String("\r\n");
    if (!m_contentId.isEmpty())
        s += QLatin1String("Content-ID: <") + headerValue(m_contentId) + QLatin1String(">\r\n");
    s += m_header + QLatin1String("\r\n");

    switch (m_encoding) {
    case Base64:
        s += m_formatter.format(QString::fromLatin1(m_content.toBase64()));
        break;
    case QuotedPrintable:
        s += m_formatter.format(encodeQuotedPrintable(m_content), true);
        break;
    case SevenBit:
    case EightBit:
        // The message goes out as UTF-8, so the content bytes are taken as UTF-8 here and
        // arrive unchanged.
        s += QString::fromUtf8(m_content);
        break;
    }
    s += QLatin1String("\r\n");
    m_mimeString = s;
    m_prepared = true;
}
