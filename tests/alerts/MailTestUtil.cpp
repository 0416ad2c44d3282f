#include "MailTestUtil.h"

#include <QRegularExpression>

namespace MailTestUtil {

QByteArray decodeQuotedPrintable(const QByteArray &text)
{
    QByteArray out;
    for (int i = 0; i < text.size(); ++i) {
        const char c = text.at(i);
        if (c != '=') {
            out += c;
        } else if (text.mid(i + 1, 2) == "\r\n") {
            i += 2;
        } else {
            out += char(text.mid(i + 1, 2).toInt(nullptr, 16));
            i += 2;
        }
    }
    return out;
}

QByteArray Entity::header(const QByteArray &name) const
{
    for (const auto &field : headers) {
        if (field.first.compare(name, Qt::CaseInsensitive) == 0)
            return field.second;
    }
    return QByteArray();
}

int Entity::headerCount(const QByteArray &name) const
{
    int n = 0;
    for (const auto &field : headers)
        n += field.first.compare(name, Qt::CaseInsensitive) == 0 ? 1 : 0;
    return n;
}

Entity parseEntity(const QByteArray &text)
{
    Entity entity;
    const int end = text.startsWith("\r\n") ? 0 : text.indexOf("\r\n\r\n");
    if (end < 0)
        return entity;
    entity.body = text.mid(end + (end == 0 ? 2 : 4));
    entity.wellFormed = true;
    if (end == 0)
        return entity;
    for (const QByteArray &line : text.left(end).split('\n')) {
        const QByteArray l = line.endsWith('\r') ? line.chopped(1) : line;
        if (!l.isEmpty() && (l.at(0) == ' ' || l.at(0) == '\t') && !entity.headers.isEmpty()) {
            entity.headers.last().second += l; // RFC 5322 2.2.3 unfolding
        } else {
            const int colon = l.indexOf(':');
            if (colon <= 0) {
                entity.wellFormed = false;
                continue;
            }
            entity.headers.append({l.left(colon), l.mid(colon + 1)});
        }
    }
    for (auto &field : entity.headers)
        field.second = field.second.trimmed();
    return entity;
}

QList<QByteArray> splitMultipart(const QByteArray &body, const QByteArray &boundary)
{
    const QByteArray delimiter = "--" + boundary + "\r\n";
    const QByteArray closing = "--" + boundary + "--\r\n";
    const int last = body.indexOf(closing);
    if (last < 0 || !body.startsWith(delimiter))
        return {};
    QList<QByteArray> parts;
    int pos = delimiter.size();
    for (int next = body.indexOf(delimiter, pos); next >= 0 && next < last;
         next = body.indexOf(delimiter, pos)) {
        parts << body.mid(pos, next - pos);
        pos = next + delimiter.size();
    }
    parts << body.mid(pos, last - pos);
    return parts;
}

QByteArray headerParameter(const QByteArray &field, const QByteArray &name)
{
    for (QByteArray piece : field.split(';')) {
        piece = piece.trimmed();
        if (piece.startsWith(name + '=')) {
            QByteArray value = piece.mid(name.size() + 1);
            if (value.startsWith('"') && value.endsWith('"'))
                value = value.mid(1, value.size() - 2);
            return value;
        }
    }
    return QByteArray();
}

QString decodeHeader(const QByteArray &text)
{
    static const QRegularExpression word(
        QStringLiteral("=\\?utf-8\\?([BQ])\\?([^?]*)\\?=(\\s+(?==\\?))?"),
        QRegularExpression::CaseInsensitiveOption);
    QString out;
    const QString s = QString::fromUtf8(text);
    int pos = 0;
    QByteArray pending; // bytes of adjacent words join before decoding
    auto it = word.globalMatch(s);
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        if (m.capturedStart() > pos) {
            out += QString::fromUtf8(pending) + s.mid(pos, m.capturedStart() - pos);
            pending.clear();
        }
        const QByteArray payload = m.captured(2).toLatin1();
        if (m.captured(1).toUpper() == QLatin1String("B")) {
            pending += QByteArray::fromBase64(payload);
        } else {
            QByteArray q = payload;
            q.replace('_', ' ');
            pending += decodeQuotedPrintable(q);
        }
        pos = m.capturedEnd();
    }
    return out + QString::fromUtf8(pending) + s.mid(pos);
}

int longestLine(const QByteArray &text)
{
    int longest = 0;
    int current = 0;
    for (const char c : text) {
        current = (c == '\r' || c == '\n') ? 0 : current + 1;
        longest = qMax(longest, current);
    }
    return longest;
}

int bareLineEnds(const QByteArray &text)
{
    int bare = 0;
    for (int i = 0; i < text.size(); ++i) {
        if (text.at(i) == '\r' && (i + 1 == text.size() || text.at(i + 1) != '\n'))
            ++bare;
        else if (text.at(i) == '\n' && (i == 0 || text.at(i - 1) != '\r'))
            ++bare;
    }
    return bare;
}

} // namespace MailTestUtil
