#include "MimeEncoding.h"

#include <QStringList>

namespace {

constexpr int kFoldColumn = 78;
// Longer plain words are encoded instead, so a folded line stays under 998 octets.
constexpr int kLongestPlainWord = 900;
// RFC 2047 2: an encoded word is at most 75 characters, 12 of them "=?utf-8?X?" and "?=".
constexpr int kEncodedWordText = 75 - 12;

const char kHex[] = "0123456789ABCDEF";

void appendEscape(QString &out, uchar byte)
{
    out += QLatin1Char('=');
    out += QLatin1Char(kHex[byte >> 4]);
    out += QLatin1Char(kHex[byte & 0x0f]);
}

// RFC 2047 5 (3): inside a phrase only letters, digits and "!*+-/" stand for themselves;
// "_" stands for a blank. Everything else ("?", "=", "_", ":" and the like) is escaped.
bool isQWordCharacter(uchar byte)
{
    return (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') ||
           (byte >= '0' && byte <= '9') || byte == '!' || byte == '*' || byte == '+' ||
           byte == '-' || byte == '/';
}

int qCost(uchar byte)
{
    return (isQWordCharacter(byte) || byte == ' ') ? 1 : 3;
}

QString qWord(const QByteArray &bytes)
{
    QString out;
    for (const char ch : bytes) {
        const uchar byte = uchar(ch);
        if (byte == ' ')
            out += QLatin1Char('_');
        else if (isQWordCharacter(byte))
            out += QLatin1Char(char(byte));
        else
            appendEscape(out, byte);
    }
    return QLatin1String("=?utf-8?Q?") + out + QLatin1String("?=");
}

QString bWord(const QByteArray &bytes)
{
    return QLatin1String("=?utf-8?B?") + QString::fromLatin1(bytes.toBase64()) +
           QLatin1String("?=");
}

// RFC 5322 3.2.3 atext, plus the blank between words.
bool isAtomCharacter(QChar c)
{
    static const QString specials = QStringLiteral("!#$%&'*+-/=?^_`{|}~ ");
    return (c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
           (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) ||
           (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || specials.contains(c);
}

} // namespace

QString encodeQuotedPrintable(const QByteArray &bytes)
{
    QString out;
    out.reserve(bytes.size() * 3 / 2 + 4);
    for (int i = 0; i < bytes.size(); ++i) {
        const uchar byte = uchar(bytes.at(i));
        const bool last = i + 1 == bytes.size();
        if (byte >= 32 && byte <= 126 && byte != '=' && !(last && byte == ' '))
            out += QLatin1Char(char(byte));
        else
            appendEscape(out, byte);
    }
    return out;
}

namespace MimeHeader {

QString blankControls(const QString &text)
{
    QString out = text;
    for (QChar &c : out) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            c = QLatin1Char(' ');
    }
    return out;
}

bool isPlainText(const QString &text)
{
    int word = 0;
    for (const QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() > 0x7e)
            return false;
        word = c == QLatin1Char(' ') ? 0 : word + 1;
        if (word > kLongestPlainWord)
            return false;
    }
    return true;
}

QString encodedWords(const QString &text, bool base64)
{
    const QByteArray utf8 = text.toUtf8();
    QStringList words;
    QByteArray chunk;
    int chunkCost = 0;
    int i = 0;
    while (i < utf8.size()) {
        // One whole character: a lead byte and its continuation bytes.
        int end = i + 1;
        while (end < utf8.size() && (uchar(utf8.at(end)) & 0xc0) == 0x80)
            ++end;
        const QByteArray character = utf8.mid(i, end - i);
        int cost = 0;
        for (const char ch : character)
            cost += qCost(uchar(ch));
        const bool fits = base64 ? (chunk.size() + character.size() + 2) / 3 * 4 <= kEncodedWordText
                                 : chunkCost + cost <= kEncodedWordText;
        if (!fits && !chunk.isEmpty()) {
            words << (base64 ? bWord(chunk) : qWord(chunk));
            chunk.clear();
            chunkCost = 0;
        }
        chunk += character;
        chunkCost += cost;
        i = end;
    }
    if (!chunk.isEmpty() || words.isEmpty())
        words << (base64 ? bWord(chunk) : qWord(chunk));
    return words.join(QLatin1Char(' '));
}

QString phrase(const QString &name)
{
    const QString clean = blankControls(name);
    if (!isPlainText(clean))
        return encodedWords(clean, true);
    bool atoms = true;
    for (const QChar c : clean)
        atoms = atoms && isAtomCharacter(c);
    if (atoms)
        return clean;
    // RFC 5322 3.2.4 quoted-string.
    QString quoted = clean;
    quoted.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    quoted.replace(QLatin1Char('"'), QLatin1String("\\\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QString fold(const QString &line)
{
    if (line.size() <= kFoldColumn)
        return line;
    QString out;
    // Never right after the field name: the first word stays on the name's line.
    const int firstBlank = line.indexOf(QLatin1Char(' '));
    int lineStart = 0;
    int candidate = -1;
    bool inAngle = false;
    for (int i = 0; i < line.size(); ++i) {
        const QChar c = line.at(i);
        if (c == QLatin1Char('<'))
            inAngle = true;
        else if (c == QLatin1Char('>'))
            inAngle = false;
        else if (c == QLatin1Char(' ') && !inAngle && i > lineStart && i > firstBlank)
            candidate = i;
        if (i - lineStart >= kFoldColumn && candidate > lineStart) {
            // The blank starts the continuation line (RFC 5322 folding white space).
            out += line.midRef(lineStart, candidate - lineStart);
            out += QLatin1String("\r\n");
            lineStart = candidate;
            candidate = -1;
        }
    }
    out += line.midRef(lineStart);
    return out;
}

} // namespace MimeHeader
