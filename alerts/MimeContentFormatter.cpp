#include "MimeContentFormatter.h"

MimeContentFormatter::MimeContentFormatter(int lineLength) : m_lineLength(lineLength) {}

MimeContentFormatter::~MimeContentFormatter() = default;

QString MimeContentFormatter::format(const QString &content, bool quotedPrintable) const
{
    const QChar equals(QLatin1Char('='));
    QString out;
    out.reserve(content.size() + 3 * (content.size() / qMax(1, m_lineLength) + 1));
    int chars = 0;
    for (const QChar c : content) {
        if (quotedPrintable) {
            if (c == QLatin1Char('\n')) {
                out += c;
                chars = 0;
                continue;
            }
            ++chars;
            // RFC 2045 6.7 (5): the "=" of a soft break is the line's last character; an
            // escape "=XY" starting at lineLength - 2 would not fit before it.
            if (chars >= m_lineLength || (c == equals && chars >= m_lineLength - 2)) {
                out += QLatin1String("=\r\n");
                chars = 1;
            }
        } else if (++chars > m_lineLength) {
            out += QLatin1String("\r\n");
            chars = 1;
        }
        out += c;
    }
    return out;
}
