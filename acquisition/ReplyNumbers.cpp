#include "ReplyNumbers.h"

#include <algorithm>

namespace {

// Exact doubles: every power of ten up to 10^22 is one.
constexpr double kPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                   1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15};

// A mantissa of at most 15 digits (below 2^53) is exact, and so is a power of ten up to
// 10^15: their quotient is the correctly rounded double, as the exact reading of the text
// is. So "-"? digits ("." digits)? reads here to the value QString's conversion gives.
constexpr int kMaxExactDigits = 15;

template<typename Char>
bool isDigit(Char c)
{
    return unsigned(c) - '0' < 10;
}

// The characters of a view; uchar for Latin-1.
const ushort *charsOf(QStringView text) { return reinterpret_cast<const ushort *>(text.data()); }
const uchar *charsOf(QLatin1String text) { return reinterpret_cast<const uchar *>(text.data()); }

// "-"? digits, at most maxDigits of them, from the start of the text up to the first other
// character: its length, or -1 when there is none or it has more digits.
template<typename Char>
int integerPrefix(const Char *p, int n, bool allowMinus, int maxDigits, quint64 *magnitude,
                  bool *negative)
{
    const Char *q = p;
    const Char *end = p + n;
    *negative = allowMinus && n > 0 && *q == '-';
    if (*negative)
        ++q;
    const Char *first = q;
    const Char *last = first + std::min<int>(maxDigits, int(end - first));
    quint64 m = 0;
    for (; q < last && isDigit(*q); ++q)
        m = m * 10 + (*q - '0');
    if (q == first || (q < end && isDigit(*q)))
        return -1;
    *magnitude = m;
    return int(q - p);
}

// "-"? digits, at most maxDigits of them; false for any other text.
template<typename Text>
bool plainInteger(Text text, bool allowMinus, int maxDigits, quint64 *magnitude, bool *negative)
{
    const int n = int(text.size());
    return integerPrefix(charsOf(text), n, allowMinus, maxDigits, magnitude, negative) == n;
}

// "-"? digits ("." digits)? of at most kMaxExactDigits digits, from the start of the text up
// to the first other character: its length, or -1.
template<typename Char>
int decimalPrefix(const Char *p, int n, double *value)
{
    const Char *q = p;
    const Char *end = p + n;
    const bool negative = n > 0 && *q == '-';
    if (negative)
        ++q;
    quint64 m = 0;
    const Char *first = q;
    for (; q < end && isDigit(*q); ++q)
        m = m * 10 + (*q - '0');
    const int digits = int(q - first);
    int fraction = 0;
    if (digits > 0 && q < end && *q == '.') {
        const Char *point = ++q;
        for (; q < end && isDigit(*q); ++q)
            m = m * 10 + (*q - '0');
        fraction = int(q - point);
        if (fraction == 0)
            return -1;
    }
    // The digit count is checked after the loop: a long text overflows m, and is not used.
    if (digits == 0 || digits + fraction > kMaxExactDigits)
        return -1;
    double v = double(m);
    if (fraction > 0)
        v /= kPowersOfTen[fraction];
    *value = negative ? -v : v;
    return int(q - p);
}

QString textOf(QStringView text) { return text.toString(); }
QString textOf(QLatin1String text) { return QString(text); }

template<typename Text>
double readDouble(Text text, bool *ok)
{
    const int n = int(text.size());
    double value = 0;
    if (decimalPrefix(charsOf(text), n, &value) != n)
        return textOf(text).toDouble(ok);
    if (ok)
        *ok = true;
    return value;
}

template<typename Text>
qint64 readInt64(Text text, bool *ok)
{
    quint64 m = 0;
    bool negative = false;
    // 18 digits always fit.
    if (!plainInteger(text, true, 18, &m, &negative))
        return textOf(text).toLongLong(ok, 10);
    if (ok)
        *ok = true;
    return negative ? -qint64(m) : qint64(m);
}

template<typename Text>
quint64 readUInt64(Text text, bool *ok)
{
    quint64 m = 0;
    bool negative = false;
    // 19 digits always fit; a sign goes to QString, which refuses "-0" here.
    if (!plainInteger(text, false, 19, &m, &negative))
        return textOf(text).toULongLong(ok, 10);
    if (ok)
        *ok = true;
    return m;
}

template<typename Text>
int readInt(Text text, bool *ok)
{
    quint64 m = 0;
    bool negative = false;
    if (!plainInteger(text, true, 9, &m, &negative))
        return textOf(text).toInt(ok, 10);
    if (ok)
        *ok = true;
    return negative ? -int(m) : int(m);
}

} // namespace

double replyDouble(QStringView text, bool *ok) { return readDouble(text, ok); }

double replyDouble(QLatin1String text, bool *ok) { return readDouble(text, ok); }

qint64 replyInt64(QStringView text, bool *ok) { return readInt64(text, ok); }

qint64 replyInt64(QLatin1String text, bool *ok) { return readInt64(text, ok); }

quint64 replyUInt64(QStringView text, bool *ok) { return readUInt64(text, ok); }

quint64 replyUInt64(QLatin1String text, bool *ok) { return readUInt64(text, ok); }

int replyInt(QStringView text, bool *ok) { return readInt(text, ok); }

int replyInt(QLatin1String text, bool *ok) { return readInt(text, ok); }

int replyDoublePrefix(const char *text, int size, double *value)
{
    return decimalPrefix(reinterpret_cast<const uchar *>(text), size, value);
}

int replyInt64Prefix(const char *text, int size, qint64 *value)
{
    quint64 m = 0;
    bool negative = false;
    const int length =
        integerPrefix(reinterpret_cast<const uchar *>(text), size, true, 18, &m, &negative);
    *value = negative ? -qint64(m) : qint64(m);
    return length;
}

int replyUInt64Prefix(const char *text, int size, quint64 *value)
{
    bool negative = false;
    return integerPrefix(reinterpret_cast<const uchar *>(text), size, false, 19, value,
                         &negative);
}
