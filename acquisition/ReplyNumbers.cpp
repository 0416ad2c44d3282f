#include "ReplyNumbers.h"

namespace {

// Exact doubles: every power of ten up to 10^22 is one.
constexpr double kPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                   1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15};

// A mantissa of at most 15 digits (below 2^53) is exact, and so is a power of ten up to
// 10^15: their quotient is the correctly rounded double, as the exact reading of the text
// is. So "-"? digits ("." digits)? reads here to the value QString's conversion gives.
constexpr int kMaxExactDigits = 15;

bool isDigit(ushort c) { return c >= '0' && c <= '9'; }

// "-"? digits, at most maxDigits of them; false for any other text.
bool plainInteger(QStringView text, bool allowMinus, int maxDigits, quint64 *magnitude,
                  bool *negative)
{
    const ushort *p = reinterpret_cast<const ushort *>(text.data());
    const int n = int(text.size());
    int i = 0;
    *negative = allowMinus && n > 0 && p[0] == '-';
    if (*negative)
        ++i;
    if (i == n || n - i > maxDigits)
        return false;
    quint64 m = 0;
    for (; i < n; ++i) {
        if (!isDigit(p[i]))
            return false;
        m = m * 10 + (p[i] - '0');
    }
    *magnitude = m;
    return true;
}

} // namespace

double replyDouble(QStringView text, bool *ok)
{
    const ushort *p = reinterpret_cast<const ushort *>(text.data());
    const int n = int(text.size());
    int i = 0;
    const bool negative = n > 0 && p[0] == '-';
    if (negative)
        ++i;
    quint64 m = 0;
    int digits = 0;
    int fraction = 0;
    bool plain = i < n && isDigit(p[i]);
    for (; plain && i < n && isDigit(p[i]); ++i, ++digits)
        m = m * 10 + (p[i] - '0');
    if (plain && i < n && p[i] == '.') {
        ++i;
        plain = i < n && isDigit(p[i]);
        for (; plain && i < n && isDigit(p[i]); ++i, ++fraction)
            m = m * 10 + (p[i] - '0');
    }
    // The digit count is checked after the loop: a long text overflows m, and is not used.
    if (!plain || i != n || digits + fraction > kMaxExactDigits)
        return text.toString().toDouble(ok);
    double value = double(m);
    if (fraction > 0)
        value /= kPowersOfTen[fraction];
    if (ok)
        *ok = true;
    return negative ? -value : value;
}

qint64 replyInt64(QStringView text, bool *ok)
{
    quint64 m = 0;
    bool negative = false;
    // 18 digits always fit.
    if (!plainInteger(text, true, 18, &m, &negative))
        return text.toString().toLongLong(ok, 10);
    if (ok)
        *ok = true;
    return negative ? -qint64(m) : qint64(m);
}

quint64 replyUInt64(QStringView text, bool *ok)
{
    quint64 m = 0;
    bool negative = false;
    // 19 digits always fit; a sign goes to QString, which refuses "-0" here.
    if (!plainInteger(text, false, 19, &m, &negative))
        return text.toString().toULongLong(ok, 10);
    if (ok)
        *ok = true;
    return m;
}

int replyInt(QStringView text, bool *ok)
{
    quint64 m = 0;
    bool negative = false;
    if (!plainInteger(text, true, 9, &m, &negative))
        return text.toString().toInt(ok, 10);
    if (ok)
        *ok = true;
    return negative ? -int(m) : int(m);
}
