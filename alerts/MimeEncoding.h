#pragma once

#include <QByteArray>
#include <QString>

// Quoted-printable text of the bytes (RFC 2045 6.7): printable ASCII but "=" is copied,
// everything else becomes "=" and two upper-case hexadecimal digits. A blank at the very end
// is escaped too, so a transport that strips trailing blanks cannot change the content.
QString encodeQuotedPrintable(const QByteArray &bytes);

// Helpers for header texts taken from names, subjects and addresses.
namespace MimeHeader {

// Control characters (CR and LF above all) become blanks: a name or subject never starts a
// header line of its own.
QString blankControls(const QString &text);

// True when the text can stand in a header as it is: printable ASCII only, and no word so
// long that folding at blanks could not keep its line within 998 octets.
bool isPlainText(const QString &text);

// RFC 2047 encoded words in UTF-8 ("=?utf-8?B?...?=" or "=?utf-8?Q?...?="), each at most
// 75 characters and holding whole characters, joined by blanks.
QString encodedWords(const QString &text, bool base64);

// A display name as an RFC 5322 phrase: plain atoms as they are, specials quoted, non-ASCII
// text as encoded words.
QString phrase(const QString &name);

// RFC 5322 2.2.3: breaks a long header line before blanks (never inside "<...>"), so its
// lines stay near 78 characters.
QString fold(const QString &line);

} // namespace MimeHeader
