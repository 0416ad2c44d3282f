#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QPair>
#include <QString>

// Readers for what the MIME classes write, so tests can check a mail the way a receiving
// mail program sees it.
namespace MailTestUtil {

// Undoes quoted-printable (soft breaks and escapes).
QByteArray decodeQuotedPrintable(const QByteArray &text);

// One MIME entity split into its unfolded header fields (in order) and its body.
struct Entity
{
    QList<QPair<QByteArray, QByteArray>> headers;
    QByteArray body;
    bool wellFormed = false;

    QByteArray header(const QByteArray &name) const;
    int headerCount(const QByteArray &name) const;
};
Entity parseEntity(const QByteArray &text);

// The parts of a multipart body between "--boundary" lines; empty when the closing line is
// missing.
QList<QByteArray> splitMultipart(const QByteArray &body, const QByteArray &boundary);

// The value of a parameter such as boundary="..." or charset=utf-8 of a header field.
QByteArray headerParameter(const QByteArray &field, const QByteArray &name);

// A header text with its RFC 2047 encoded words decoded (UTF-8 only).
QString decodeHeader(const QByteArray &text);

// The longest line in octets, any of CRLF, CR and LF ending a line.
int longestLine(const QByteArray &text);
// Number of CR and LF octets that are not part of a CRLF pair.
int bareLineEnds(const QByteArray &text);

} // namespace MailTestUtil
