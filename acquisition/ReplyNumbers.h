#pragma once

#include <QString>
#include <QStringView>
#include <QtGlobal>

// Numbers in meter replies, read as QString's own conversions read them (C locale, base 10,
// white space around them allowed). Thousands of them come with every reply: the plain
// forms the meters write ("-23.4", "1765000000000") are converted here without the locale
// machinery, to the same value bit for bit; every other text goes to QString's conversion.

// As text.toDouble(ok).
double replyDouble(QStringView text, bool *ok);
// As text.toLongLong(ok, 10).
qint64 replyInt64(QStringView text, bool *ok);
// As text.toULongLong(ok, 10).
quint64 replyUInt64(QStringView text, bool *ok);
// As text.toInt(ok, 10).
int replyInt(QStringView text, bool *ok);

// The same for a text read as Latin-1 (replies are read from their bytes where they are ASCII).
double replyDouble(QLatin1String text, bool *ok);
qint64 replyInt64(QLatin1String text, bool *ok);
quint64 replyUInt64(QLatin1String text, bool *ok);
int replyInt(QLatin1String text, bool *ok);

// For a reader of the bytes: the plain form above (digits, "-", ".") that starts the text, up
// to the first character that cannot belong to it. Its length, or -1 when that is no plain
// form; the value is what the conversion above gives for exactly that text.
int replyDoublePrefix(const char *text, int size, double *value);
int replyInt64Prefix(const char *text, int size, qint64 *value);
int replyUInt64Prefix(const char *text, int size, quint64 *value);
