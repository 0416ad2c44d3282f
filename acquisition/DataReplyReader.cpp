#include "DataReplyReader.h"

#include "AcquisitionResponse.h"
#include "ReplyNumbers.h"

#include "data/AgData.h"
#include "data/AgDataVector.h"

#include <QString>
#include <QStringView>
#include <QtAlgorithms>
#include <QtEndian>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

namespace {

enum : unsigned char { kSpace = 1, kText = 2, kName = 4 };

// Classes of the bytes. White space and text are what the simple scanner takes as such
// (no carriage return, no markup, no ">"); other control characters, DEL and every byte
// of a multi-byte sequence have none.
constexpr std::array<unsigned char, 256> makeClasses()
{
    std::array<unsigned char, 256> classes{};
    for (int c = 0; c < 128; ++c) {
        unsigned char k = 0;
        if (c == ' ' || c == '\t' || c == '\n')
            k |= kSpace;
        if ((c >= 0x20 && c < 0x7F && c != '<' && c != '&' && c != '>') || c == '\t' ||
            c == '\n')
            k |= kText;
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
            c == '_' || c == '.' || c == '-')
            k |= kName;
        classes[size_t(c)] = k;
    }
    return classes;
}
constexpr std::array<unsigned char, 256> kClasses = makeClasses();

QString textOf(QLatin1String text) { return QString(text); }
QString textOf(QStringView text) { return text.toString(); }

bool isContinuation(uchar c) { return (c & 0xC0) == 0x80; }

// The length of the UTF-8 sequence at p that encodes a character the scanner takes in text
// (U+0080 to U+FFFD, no surrogate, no U+FFFE or U+FFFF), or 0. A byte-order mark is refused
// too: what the decoder makes of one is not this reader's business.
int sequenceLength(const uchar *p)
{
    const uchar c = p[0];
    if (c >= 0xC2 && c <= 0xDF)
        return isContinuation(p[1]) ? 2 : 0;
    if (c < 0xE0 || c > 0xEF || !isContinuation(p[1]) || !isContinuation(p[2]))
        return 0;
    if (c == 0xE0 && p[1] < 0xA0)
        return 0; // overlong
    if (c == 0xED && p[1] >= 0xA0)
        return 0; // surrogate
    if (c == 0xEF && ((p[1] == 0xBF && p[2] >= 0xBE) || (p[1] == 0xBB && p[2] == 0xBF)))
        return 0;
    return 3;
}

enum Field : int {
    FieldTmCode,
    FieldTmStamp,
    FieldProgramId,
    FieldTP,
    FieldTPMax,
    FieldM100ms,
    FieldM400ms,
    FieldMMax,
    FieldS,
    FieldSMax,
    FieldI,
    FieldLRA,
    FieldSPL,
    FieldFlags,
    FieldEventList,
    kFieldCount
};

// Up to eight bytes of a name as one word, the first byte lowest; names are compared a word
// at a time.
constexpr quint64 wordOf(const char *name, int length)
{
    quint64 word = 0;
    for (int i = 0; i < length && i < 8; ++i)
        word |= quint64(uchar(name[i])) << (8 * i);
    return word;
}

constexpr quint64 maskOf(int length)
{
    return length >= 8 ? ~quint64(0) : (quint64(1) << (8 * length)) - 1;
}

// "<" name ">" and "</" name ">" as words, for names short enough (see kMaxTagName).
constexpr quint64 startTagWord(const char *name, int length)
{
    return quint64('<') | (wordOf(name, length) << 8) |
           (length + 1 < 8 ? quint64('>') << (8 * (length + 1)) : 0);
}

constexpr quint64 endTagWord(const char *name, int length)
{
    return quint64('<') | (quint64('/') << 8) | (wordOf(name, length) << 16) |
           (length + 2 < 8 ? quint64('>') << (8 * (length + 2)) : 0);
}

// The longest field name whose start tag fits a word and whose end tag nearly does (its ">"
// is compared apart).
constexpr int kMaxTagName = 6;

struct FieldName
{
    const char *name;
    int length;
    quint64 word;
    quint64 startTag;
    quint64 endTag;
};
#define KIV_FIELD(name)                                                                            \
    {name, int(sizeof(name)) - 1, wordOf(name, int(sizeof(name)) - 1),                            \
     startTagWord(name, int(sizeof(name)) - 1), endTagWord(name, int(sizeof(name)) - 1)}
// In the order meters write them.
constexpr FieldName kFields[kFieldCount] = {
    KIV_FIELD("tmCode"), KIV_FIELD("tmStamp"), KIV_FIELD("pgmid"),  KIV_FIELD("TP"),
    KIV_FIELD("TPMax"),  KIV_FIELD("M100ms"),  KIV_FIELD("M400ms"), KIV_FIELD("MMax"),
    KIV_FIELD("S"),      KIV_FIELD("SMax"),    KIV_FIELD("I"),      KIV_FIELD("LRA"),
    KIV_FIELD("SPL"),    KIV_FIELD("Flags"),   KIV_FIELD("EventList"),
};
#undef KIV_FIELD

// Room made for a list's samples at most before they come.
constexpr int kReservedSamples = 256;

// A slice of the body.
struct Text
{
    int start = 0;
    int length = 0;
    bool ascii = true;
};

struct ListRead
{
    std::unique_ptr<AgDataVector> list;
    QString name;
    int available = 0;
    int dropped = 0;
    qint64 firstDropped = 0;
};

struct Unreadable
{
    const char *field;
    QString text;
};

// What the reply's handlers would have set and noted, in their order.
struct ReadResult
{
    QString version;
    QString reqid;
    QString statusText;
    QString confid;
    int code = -1;
    bool badCode = false;
    std::vector<ListRead> lists;
    // The first text of each field that is not a finite number, in reply order.
    unsigned unreadableSeen = 0;
    std::vector<Unreadable> unreadable;
};

class Reader
{
public:
    explicit Reader(const QByteArray &body)
        : m_p(reinterpret_cast<const uchar *>(body.constData())), m_n(body.size())
    {
    }

    // One pass, into the reader's own members; the reply is filled only once it has passed.
    bool run()
    {
        if (!skipPrologue())
            return false;
        skipSpace();
        if (!literal("<response>", 10))
            return false;
        for (;;) {
            skipSpace();
            if (isEndTag())
                break;
            Text name;
            bool empty = false;
            if (!startTag(&name, &empty))
                return false;
            bool ok = false;
            if (is(name, "AGDataList", 10))
                ok = !empty && list();
            else if (is(name, "status", 6))
                ok = !empty && status();
            else if (is(name, "version", 7))
                ok = stringLeaf(name, empty, &m_result.version);
            else if (is(name, "reqid", 5))
                ok = stringLeaf(name, empty, &m_result.reqid);
            else if (is(name, "confid", 6))
                ok = stringLeaf(name, empty, &m_result.confid);
            if (!ok)
                return false;
        }
        if (!endTag("response", 8))
            return false;
        skipSpace();
        return m_pos == m_n;
    }

    ReadResult &result() { return m_result; }

private:
    // As replyDocumentStart on the decoded body, which then goes on in the same place.
    bool skipPrologue()
    {
        int pos = 0;
        if (m_n >= 3 && m_p[0] == 0xEF && m_p[1] == 0xBB && m_p[2] == 0xBF)
            pos = 3;
        int start = pos;
        while (start < m_n && (m_p[start] == ' ' || m_p[start] == '\t' || m_p[start] == '\r' ||
                               m_p[start] == '\n'))
            ++start;
        if (m_n - start > 5 && std::memcmp(m_p + start, "<?xml", 5) == 0) {
            const uchar c = m_p[start + 5];
            if (c >= 0x80)
                return false;
            if (c == ' ' || (c >= '\t' && c <= '\r')) {
                // Only ASCII up to its end: there the decoded text is the bytes.
                for (int i = start + 5; i + 1 < m_n; ++i) {
                    if (m_p[i] == 0 || m_p[i] >= 0x80)
                        return false;
                    if (m_p[i] == '?' && m_p[i + 1] == '>') {
                        pos = i + 2;
                        break;
                    }
                }
            }
        }
        m_pos = pos;
        return true;
    }

    // The body ends in a null byte, which no class takes. Runs of blanks, which indent every
    // line of a reply, are skipped a word at a time.
    void skipSpace()
    {
        for (;;) {
            const uchar c = m_p[m_pos];
            if (c == '\n' || c == '\t') {
                ++m_pos;
            } else if (c != ' ') {
                return;
            } else if (m_n - m_pos >= 8) {
                const quint64 other = wordAt(m_pos) ^ 0x2020202020202020ULL;
                m_pos += other == 0 ? 8 : qCountTrailingZeroBits(other) / 8;
            } else {
                ++m_pos;
            }
        }
    }

    bool literal(const char *text, int length)
    {
        if (m_n - m_pos < length || std::memcmp(m_p + m_pos, text, size_t(length)) != 0)
            return false;
        m_pos += length;
        return true;
    }

    // Inline: names are short, and a reply has thousands.
    bool same(int at, const char *tag, int length) const
    {
        for (int i = 0; i < length; ++i)
            if (m_p[at + i] != uchar(tag[i]))
                return false;
        return true;
    }

    bool is(const Text &name, const char *tag, int length) const
    {
        return name.length == length && same(name.start, tag, length);
    }

    // The word of up to eight bytes at `at`; the caller makes sure eight are there.
    quint64 wordAt(int at) const { return qFromLittleEndian<quint64>(m_p + at); }

    bool isField(const Text &name, Field f) const
    {
        const FieldName &field = kFields[f];
        if (name.length != field.length)
            return false;
        if (field.length <= 8 && m_n - name.start >= 8)
            return ((wordAt(name.start) ^ field.word) & maskOf(field.length)) == 0;
        return same(name.start, field.name, field.length);
    }

    // "<" name ">" or "<" name "/>" of the given field, read without looking for the name's
    // end: fields mostly come in the order meters write them.
    bool startTagOf(Field f, Text *name, bool *empty)
    {
        const FieldName &field = kFields[f];
        const int start = m_pos + 1;
        const int end = start + field.length;
        if (field.length <= kMaxTagName && m_n - m_pos >= 16) {
            // The usual "<" name ">" as one word.
            if (((wordAt(m_pos) ^ field.startTag) & maskOf(field.length + 2)) == 0) {
                *empty = false;
                m_pos = end + 1;
                name->start = start;
                name->length = field.length;
                return true;
            }
        }
        if (m_n - start < 9 || m_p[m_pos] != '<')
            return false;
        if (field.length > 8 ? !same(start, field.name, field.length)
                             : ((wordAt(start) ^ field.word) & maskOf(field.length)) != 0)
            return false;
        return closeStartTag(start, end, name, empty);
    }

    bool isEndTag() const { return m_pos + 1 < m_n && m_p[m_pos] == '<' && m_p[m_pos + 1] == '/'; }

    // "<" name ">" or "<" name "/>".
    bool startTag(Text *name, bool *empty)
    {
        if (m_pos >= m_n || m_p[m_pos] != '<')
            return false;
        const int start = m_pos + 1;
        int end = start;
        while (kClasses[m_p[end]] & kName)
            ++end;
        if (end == start || (m_p[start] >= '0' && m_p[start] <= '9') || m_p[start] == '.' ||
            m_p[start] == '-')
            return false;
        return closeStartTag(start, end, name, empty);
    }

    // The ">" or "/>" after a start tag's name, which runs from start to end.
    bool closeStartTag(int start, int end, Text *name, bool *empty)
    {
        if (m_p[end] == '>') {
            *empty = false;
            m_pos = end + 1;
        } else if (m_p[end] == '/' && m_p[end + 1] == '>') {
            *empty = true;
            m_pos = end + 2;
        } else {
            return false;
        }
        name->start = start;
        name->length = end - start;
        return true;
    }

    // "</" name ">".
    bool endTag(const char *name, int length)
    {
        if (m_n - m_pos < length + 3 || m_p[m_pos] != '<' || m_p[m_pos + 1] != '/' ||
            !same(m_pos + 2, name, length) || m_p[m_pos + 2 + length] != '>')
            return false;
        m_pos += length + 3;
        return true;
    }

    // The text of an element holding nothing but text, up to and with its end tag.
    bool leaf(const Text &name, bool empty, Text *text)
    {
        text->start = m_pos;
        text->length = 0;
        text->ascii = true;
        if (empty)
            return true;
        for (;;) {
            const uchar c = m_p[m_pos];
            if (kClasses[c] & kText) {
                ++m_pos;
            } else if (c >= 0x80 && m_n - m_pos >= 3) {
                const int length = sequenceLength(m_p + m_pos);
                if (length == 0)
                    return false;
                m_pos += length;
                text->ascii = false;
            } else {
                break;
            }
        }
        text->length = m_pos - text->start;
        return leafEnd(name);
    }

    // The end tag of the element, compared with its start tag's name a word at a time.
    bool leafEnd(const Text &name)
    {
        if (name.length <= 8 && m_n - m_pos >= 11 && m_p[m_pos] == '<' &&
            m_p[m_pos + 1] == '/') {
            if (((wordAt(m_pos + 2) ^ wordAt(name.start)) & maskOf(name.length)) != 0 ||
                m_p[m_pos + 2 + name.length] != '>')
                return false;
            m_pos += name.length + 3;
            return true;
        }
        return endTag(reinterpret_cast<const char *>(m_p + name.start), name.length);
    }

    // "</" name ">" of a field, as a word where it fits.
    bool fieldEnd(Field f, const Text &name)
    {
        const FieldName &field = kFields[f];
        if (field.length > kMaxTagName || m_n - m_pos < 16)
            return leafEnd(name);
        if (((wordAt(m_pos) ^ field.endTag) & maskOf(field.length + 3)) != 0 ||
            m_p[m_pos + field.length + 2] != '>')
            return false;
        m_pos += field.length + 3;
        return true;
    }

    // A field holding a number of a plain form alone, read in the same pass; false, with
    // nothing read, for any other.
    template<typename Number, typename Prefix>
    bool plainField(Field f, const Text &name, bool empty, Prefix prefix, Number *value)
    {
        if (empty)
            return false;
        const int start = m_pos;
        const int length =
            prefix(reinterpret_cast<const char *>(m_p + start), m_n - start, value);
        if (length <= 0 || m_p[start + length] != '<')
            return false;
        m_pos = start + length;
        if (fieldEnd(f, name))
            return true;
        m_pos = start;
        return false;
    }

    QString decode(const Text &text) const
    {
        const char *p = reinterpret_cast<const char *>(m_p + text.start);
        return text.ascii ? QString::fromLatin1(p, text.length) : QString::fromUtf8(p, text.length);
    }

    // An empty one is left to the reply's reading: whether it comes out as a null string or
    // an empty one depends on the text before it there.
    bool stringLeaf(const Text &name, bool empty, QString *value)
    {
        Text text;
        if (!leaf(name, empty, &text) || text.length == 0)
            return false;
        *value = decode(text);
        return true;
    }

    // The text as the reply's number conversions see it: ASCII as it lies in the body.
    template<typename Convert>
    auto convert(const Text &text, Convert convert)
    {
        if (text.ascii)
            return convert(
                QLatin1String(reinterpret_cast<const char *>(m_p + text.start), text.length));
        const QString decoded = decode(text);
        return convert(QStringView(decoded));
    }

    bool status()
    {
        for (;;) {
            skipSpace();
            if (isEndTag())
                return endTag("status", 6);
            Text name;
            bool empty = false;
            if (!startTag(&name, &empty))
                return false;
            if (is(name, "code", 4)) {
                QString text;
                if (!stringLeaf(name, empty, &text))
                    return false;
                bool ok = false;
                m_result.code = text.toInt(&ok, 10);
                if (!ok) {
                    m_result.code = -1;
                    m_result.badCode = true;
                }
            } else if (is(name, "text", 4)) {
                if (!stringLeaf(name, empty, &m_result.statusText))
                    return false;
            } else {
                return false;
            }
        }
    }

    bool list()
    {
        ListRead read;
        read.list.reset(new AgDataVector(0));
        for (;;) {
            skipSpace();
            if (isEndTag()) {
                if (!endTag("AGDataList", 10))
                    return false;
                m_result.lists.push_back(std::move(read));
                return true;
            }
            Text name;
            bool empty = false;
            if (!startTag(&name, &empty))
                return false;
            if (is(name, "AGData", 6)) {
                if (empty || !sample(read))
                    return false;
            } else if (is(name, "Name", 4)) {
                if (!stringLeaf(name, empty, &read.name))
                    return false;
            } else if (is(name, "numAvail", 8)) {
                Text text;
                if (!leaf(name, empty, &text))
                    return false;
                bool ok = false;
                const int count =
                    convert(text, [&ok](auto t) { return replyInt(t, &ok); });
                read.available = ok ? count : 0;
                // Replies hold no more samples than are available, mostly all of them.
                if (read.list->isEmpty())
                    read.list->reserve(std::min(read.available, kReservedSamples));
            } else {
                return false;
            }
        }
    }

    Field field(const Text &name) const
    {
        for (int f = 0; f < kFieldCount; ++f)
            if (isField(name, Field(f)))
                return Field(f);
        return kFieldCount;
    }

    qint64 int64Of(const Text &text)
    {
        return convert(text, [](auto t) {
            bool ok = false;
            const qint64 value = replyInt64(t, &ok);
            return ok ? value : 0;
        });
    }

    // As AcquisitionResponse::readValue, noting the field for the reply.
    double valueOf(Field f, const Text &text)
    {
        return convert(text, [this, f](auto t) {
            bool ok = false;
            const double value = replyDouble(t, &ok);
            if (ok && std::isfinite(value))
                return value;
            // Later texts of a field are not kept by the reply.
            if (!(m_result.unreadableSeen & (1u << f))) {
                m_result.unreadableSeen |= 1u << f;
                m_result.unreadable.push_back(Unreadable{kFields[f].name, textOf(t)});
            }
            return AgData::noValue();
        });
    }

    static void setValue(AgData &s, Field f, double value)
    {
        switch (f) {
        case FieldTP:
            return s.setTP(value);
        case FieldTPMax:
            return s.setTPMax(value);
        case FieldM100ms:
            return s.setM100ms(value);
        case FieldM400ms:
            return s.setM400ms(value);
        case FieldMMax:
            return s.setMMax(value);
        case FieldS:
            return s.setS(value);
        case FieldSMax:
            return s.setSMax(value);
        case FieldI:
            return s.setI(value);
        case FieldLRA:
            return s.setLRA(value);
        case FieldSPL:
            return s.setSPL(value);
        default:
            return;
        }
    }

    static void setInteger(AgData &s, Field f, qint64 value)
    {
        switch (f) {
        case FieldTmStamp:
            return s.setTimestamp(value);
        case FieldProgramId:
            return s.setProgramId(value);
        case FieldFlags:
            return s.setFlags(value);
        case FieldEventList:
            return s.setEvents(value);
        default:
            return;
        }
    }

    bool sample(ListRead &read)
    {
        AgData s;
        s.setEmpty(false);
        Field expected = FieldTmCode;
        for (;;) {
            skipSpace();
            if (isEndTag()) {
                if (!endTag("AGData", 6))
                    return false;
                break;
            }
            Text name;
            bool empty = false;
            Field f = expected;
            if (expected == kFieldCount || !startTagOf(expected, &name, &empty)) {
                if (!startTag(&name, &empty))
                    return false;
                f = field(name);
            }
            if (f == kFieldCount)
                return false;
            expected = Field(f + 1);
            // The plain forms meters write; the conversions of the general case give the same.
            if (f >= FieldTP && f <= FieldSPL) {
                double value = 0;
                if (plainField(f, name, empty, replyDoublePrefix, &value)) {
                    setValue(s, f, value);
                    continue;
                }
            } else if (f == FieldTmCode) {
                quint64 value = 0;
                if (plainField(f, name, empty, replyUInt64Prefix, &value)) {
                    s.setTimecode(static_cast<qint64>(value));
                    continue;
                }
            } else {
                qint64 value = 0;
                if (plainField(f, name, empty, replyInt64Prefix, &value)) {
                    setInteger(s, f, value);
                    continue;
                }
            }
            Text text;
            if (!leaf(name, empty, &text))
                return false;
            switch (f) {
            case FieldTmCode: {
                const quint64 value = convert(text, [](auto t) {
                    bool ok = false;
                    const quint64 v = replyUInt64(t, &ok);
                    return ok ? v : 0;
                });
                s.setTimecode(static_cast<qint64>(value));
                break;
            }
            case FieldTmStamp:
            case FieldProgramId:
            case FieldFlags:
            case FieldEventList:
                setInteger(s, f, int64Of(text));
                break;
            default:
                setValue(s, f, valueOf(f, text));
                break;
            }
        }
        const qint64 timestamp = s.getTimestamp();
        if (AgData::isStorableTimestamp(timestamp))
            read.list->append(s);
        else if (read.dropped++ == 0)
            read.firstDropped = timestamp;
        return true;
    }

    const uchar *m_p;
    int m_n;
    int m_pos = 0;

    ReadResult m_result;
};

} // namespace

bool DataReplyReader::read(const QByteArray &body, AcquisitionResponse &reply)
{
    Reader reader(body);
    if (!reader.run())
        return false;
    ReadResult &read = reader.result();
    AResponse &base = reply;
    base.m_valid = !read.badCode;
    base.m_badCode = read.badCode;
    base.m_code = read.code;
    base.m_version = read.version;
    base.m_reqid = read.reqid;
    base.m_statusText = read.statusText;
    base.m_confid = read.confid;
    for (ListRead &list : read.lists)
        reply.storeList(std::move(list.list), list.name, list.available, list.dropped,
                        list.firstDropped);
    for (const Unreadable &u : read.unreadable)
        reply.noteUnreadable(u.field, u.text);
    reply.AcquisitionResponse::endDocument();
    base.concludeScanned();
    return true;
}
