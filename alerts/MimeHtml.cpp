#include "MimeHtml.h"

namespace {

// The last place in (from, from + limit] to break before, or -1.
int breakPoint(const QByteArray &bytes, int from, int limit)
{
    const int last = qMin(from + limit, bytes.size() - 1);
    for (int p = last; p > from; --p) {
        if (bytes.at(p) == '<' && bytes.at(p - 1) == '>')
            return p;
    }
    for (int p = last; p > from; --p) {
        if (bytes.at(p) == ' ')
            return p;
    }
    return -1;
}

} // namespace

MimeHtml::MimeHtml(const QString &html, QObject *parent) : MimeText(html, parent)
{
    m_contentType = QStringLiteral("text/html");
}

MimeHtml::~MimeHtml() = default;

QByteArray MimeHtml::textBytes() const
{
    const QByteArray bytes = MimeText::textBytes();
    QByteArray out;
    out.reserve(bytes.size() + bytes.size() / kMaxLineOctets * 2 + 2);
    int pos = 0;
    while (pos < bytes.size()) {
        int end = pos;
        while (end < bytes.size() && bytes.at(end) != '\r' && bytes.at(end) != '\n')
            ++end;
        int start = pos;
        while (end - start > kMaxLineOctets) {
            const int p = breakPoint(bytes, start, kMaxLineOctets);
            if (p < 0)
                break; // no place to break: the part goes quoted-printable
            out += bytes.mid(start, p - start);
            out += "\r\n";
            start = p;
        }
        // The rest of the line with its line end (CRLF, CR or LF).
        int next = end;
        if (next < bytes.size() && bytes.at(next) == '\r')
            ++next;
        if (next < bytes.size() && bytes.at(next) == '\n')
            ++next;
        out += bytes.mid(start, next - start);
        pos = next;
    }
    return out;
}
