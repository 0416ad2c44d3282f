#include "MimeText.h"

namespace {

int longestLine(const QByteArray &bytes)
{
    int longest = 0;
    int current = 0;
    for (const char c : bytes) {
        if (c == '\r' || c == '\n') {
            current = 0;
        } else {
            ++current;
            longest = qMax(longest, current);
        }
    }
    return longest;
}

} // namespace

MimeText::MimeText(const QString &text, QObject *parent) : MimePart(parent), m_text(text)
{
    m_contentType = QStringLiteral("text/plain");
    m_contentCharset = QStringLiteral("utf-8");
    m_encoding = EightBit;
}

MimeText::~MimeText() = default;

QByteArray MimeText::textBytes() const
{
    return m_text.toUtf8();
}

void MimeText::prepare()
{
    m_content = textBytes();
    if ((m_encoding == SevenBit || m_encoding == EightBit) &&
        longestLine(m_content) > kMaxLineOctets)
        m_encoding = QuotedPrintable;
    MimePart::prepare();
}
