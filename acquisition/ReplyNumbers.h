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
