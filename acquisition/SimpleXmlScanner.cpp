#include "SimpleXmlScanner.h"

#include "core/XMLTag.h"

#include <QHash>
#include <QStringView>

#include <algorithm>
#include <array>
#include <cstring>
#include <utility>
#include <vector>

namespace {

// Classes of the ASCII characters, looked up once per character.
enum : unsigned char { kSpace = 1, kNameStart = 2, kNameChar = 4, kPlainText = 8 };

constexpr std::array<unsigned char, 128> makeClasses()
{
    std::array<unsigned char, 128> classes{};
    for (int c = 0; c < 128; ++c) {
        unsigned char k = 0;
        // A carriage return is not taken: XML turns line ends into line feeds.
        if (c == ' ' || c == '\t' || c == '\n')
            k |= kSpace;
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_')
            k |= kNameStart | kNameChar;
        if ((c >= '0' && c <= '9') || c == '.' || c == '-')
            k |= kNameChar;
        if ((c >= 0x20 || c == '\t' || c == '\n') && c != '<' && c != '&' && c != '>')
            k |= kPlainText;
        classes[size_t(c)] = k;
    }
    return classes;
}
constexpr std::array<unsigned char, 128> kClasses = makeClasses();

bool isSpace(ushort c) { return c < 128 && (kClasses[c] & kSpace); }

bool isNameStart(ushort c) { return c < 128 && (kClasses[c] & kNameStart); }

bool isNameChar(ushort c) { return c < 128 && (kClasses[c] & kNameChar); }

// Character data as the document may carry it here: no markup, no ">" (so no "]]>"), no
// carriage return, none of the characters XML forbids, no surrogate (pairs are left to Qt).
bool isPlainText(ushort c)
{
    if (c < 128)
        return kClasses[c] & kPlainText;
    return c < 0xD800 || (c >= 0xE000 && c <= 0xFFFD);
}

struct Entity
{
    const char *name;
    int length;
    char16_t value;
};
constexpr Entity kEntities[] = {
    {"lt;", 3, u'<'}, {"gt;", 3, u'>'}, {"amp;", 4, u'&'}, {"quot;", 5, u'"'}, {"apos;", 5, u'\''},
};

// One pass over the document records the events; the sink gets them only once the whole
// document is known to be of the simple kind, so that one left to Qt's reader fed it nothing.
class Scan
{
public:
    // The text is the document's from `from` on. utf16() ends in a null character (also for a
    // string on raw data), which no loop below takes: they need not check for the end.
    Scan(const QString &document, int from, int maxDepth)
        : m_p(document.utf16() + from),
          m_n(document.size() - from), m_maxDepth(maxDepth)
    {
        m_slots.fill(-1);
        // The thread's event buffer keeps its size from reply to reply.
        if (!t_eventsInUse) {
            t_eventsInUse = true;
            m_events = &t_events;
        } else {
            m_events = &m_ownEvents;
        }
    }

    ~Scan()
    {
        if (m_events != &t_events)
            return;
        // A huge document's buffer is not kept.
        if (t_events.size() > kKeptEvents)
            std::vector<Event>().swap(t_events);
        t_eventsInUse = false;
    }

    Scan(const Scan &) = delete;
    Scan &operator=(const Scan &) = delete;

    // The document is the text, which starts with the program's declaration; or, when
    // `declared`, the declaration followed by the text.
    bool run(bool declared)
    {
        if (!declared) {
            const int declaration = int(std::strlen(kXmlDeclaration));
            if (m_n < declaration)
                return false;
            for (int i = 0; i < declaration; ++i)
                if (m_p[i] != ushort(kXmlDeclaration[i]))
                    return false;
            m_pos = declaration;
        }
        skipSpace();
        if (!(m_pos + 1 < m_n && m_p[m_pos] == '<' && isNameStart(m_p[m_pos + 1])))
            return false;
        while (m_pos < m_n) {
            const ushort c = m_p[m_pos];
            bool ok;
            if (c == '<')
                ok = tag();
            else if (c == '&')
                ok = entity();
            else
                ok = text();
            if (!ok)
                return false;
            if (m_open.empty()) {
                // The root element has ended: only white space may follow.
                skipSpace();
                return m_pos == m_n;
            }
        }
        return false; // an element left open
    }

    void replay(SimpleXmlSink &sink) const
    {
        const QChar *text = reinterpret_cast<const QChar *>(m_p);
        for (size_t i = 0; i < m_count; ++i) {
            const Event &e = (*m_events)[i];
            switch (e.kind) {
            case Event::Start:
                sink.startElement(m_names[size_t(e.a)]);
                break;
            case Event::End:
                sink.endElement(m_names[size_t(e.a)]);
                break;
            case Event::Text:
                sink.characters(text + e.a, e.b);
                break;
            case Event::Character:
                sink.characters(reinterpret_cast<const QChar *>(&kEntities[e.a].value), 1);
                break;
            }
        }
    }

private:
    struct Event
    {
        enum Kind : int { Start, End, Text, Character } kind;
        // Start, End: the name's number; Text: start and length; Character: its entity.
        int a;
        int b;
    };
    struct Open
    {
        int start;
        int length;
        int name;
    };

    void skipSpace()
    {
        while (isSpace(m_p[m_pos]))
            ++m_pos;
    }

    void add(Event::Kind kind, int a, int b = 0)
    {
        if (m_count == m_events->size())
            m_events->resize(std::max<size_t>(256, m_count * 2));
        (*m_events)[m_count++] = Event{kind, a, b};
    }

    bool sameName(const Open &open, int start, int end) const
    {
        return open.length == end - start &&
               std::memcmp(m_p + open.start, m_p + start, size_t(open.length) * sizeof(ushort)) ==
                   0;
    }

    // The number of a name, the same for every occurrence: a reply repeats a few names
    // thousands of times, and the sink gets one QString for each.
    int name(int start, int end, uint hash)
    {
        const int length = end - start;
        for (uint i = hash;; ++i) {
            int &slot = m_slots[i % kSlots];
            if (slot < 0) {
                if (m_names.size() >= kSlots / 2)
                    break;
                slot = int(m_names.size());
                m_names.push_back(QString(reinterpret_cast<const QChar *>(m_p + start), length));
                return slot;
            }
            const QString &known = m_names[size_t(slot)];
            if (known.size() == length &&
                std::memcmp(known.constData(), m_p + start, size_t(length) * sizeof(ushort)) == 0)
                return slot;
        }
        const QStringView key(reinterpret_cast<const QChar *>(m_p + start), length);
        auto it = m_moreNames.constFind(key);
        if (it != m_moreNames.constEnd())
            return it.value();
        m_names.push_back(key.toString());
        m_moreNames.insert(key, int(m_names.size()) - 1);
        return int(m_names.size()) - 1;
    }

    bool tag()
    {
        if (m_pos + 1 >= m_n)
            return false;
        if (m_p[m_pos + 1] == '/') {
            // The name must be the open element's, and end there.
            const int start = m_pos + 2;
            if (m_open.empty())
                return false;
            const int end = start + m_open.back().length;
            if (end > m_n || !sameName(m_open.back(), start, end) ||
                isNameChar(m_p[end]))
                return false;
            m_pos = end;
            skipSpace();
            if (m_pos >= m_n || m_p[m_pos] != '>')
                return false;
            ++m_pos;
            add(Event::End, m_open.back().name);
            m_open.pop_back();
            return true;
        }
        const int start = m_pos + 1;
        if (!isNameStart(m_p[start]))
            return false; // comments, CDATA, processing instructions, declarations
        int end = start;
        uint hash = 0;
        while (isNameChar(m_p[end]))
            hash = hash * 31 + m_p[end++];
        m_pos = end;
        skipSpace();
        if (m_pos >= m_n)
            return false;
        bool empty = false;
        if (m_p[m_pos] == '/') {
            if (m_pos + 1 >= m_n || m_p[m_pos + 1] != '>')
                return false;
            empty = true;
            m_pos += 2;
        } else if (m_p[m_pos] == '>') {
            ++m_pos;
        } else {
            return false; // attributes
        }
        if (int(m_open.size()) + 1 > m_maxDepth)
            return false;
        const int number = name(start, end, hash);
        add(Event::Start, number);
        if (empty)
            add(Event::End, number);
        else
            m_open.push_back(Open{start, end - start, number});
        return true;
    }

    bool entity()
    {
        for (const Entity &e : kEntities) {
            if (m_pos + 1 + e.length > m_n)
                continue;
            bool match = true;
            for (int i = 0; i < e.length && match; ++i)
                match = m_p[m_pos + 1 + i] == ushort(e.name[i]);
            if (!match)
                continue;
            add(Event::Character, int(&e - kEntities));
            m_pos += 1 + e.length;
            return true;
        }
        return false; // character references and others
    }

    bool text()
    {
        const int start = m_pos;
        while (isPlainText(m_p[m_pos]))
            ++m_pos;
        if (m_pos < m_n && m_p[m_pos] != '<' && m_p[m_pos] != '&')
            return false;
        add(Event::Text, start, m_pos - start);
        return true;
    }

    static constexpr size_t kSlots = 128;

    const ushort *m_p;
    int m_n;
    int m_maxDepth;
    int m_pos = 0;
    std::vector<Open> m_open;
    std::vector<Event> *m_events;
    size_t m_count = 0;
    // Used when the thread's buffer is taken (a scan within a scan).
    std::vector<Event> m_ownEvents;
    static constexpr size_t kKeptEvents = 1 << 16;
    static thread_local std::vector<Event> t_events;
    static thread_local bool t_eventsInUse;
    // Names by number; the first kSlots / 2 are found through m_slots, the rest (a document
    // of many names) through m_moreNames.
    std::vector<QString> m_names;
    std::array<int, kSlots> m_slots;
    QHash<QStringView, int> m_moreNames;
};

thread_local std::vector<Scan::Event> Scan::t_events;
thread_local bool Scan::t_eventsInUse = false;

} // namespace

namespace {

bool scanDocument(const QString &document, int from, bool declared, int maxDepth,
                  SimpleXmlSink &sink)
{
    Scan scan(document, from, maxDepth);
    if (!scan.run(declared))
        return false;
    sink.startDocument();
    scan.replay(sink);
    sink.endDocument();
    return true;
}

} // namespace

bool scanSimpleXml(const QString &document, int maxDepth, SimpleXmlSink &sink)
{
    return scanDocument(document, 0, false, maxDepth, sink);
}

bool scanSimpleXmlAfterDeclaration(const QString &text, int from, int maxDepth,
                                   SimpleXmlSink &sink)
{
    return scanDocument(text, qBound(0, from, text.size()), true, maxDepth, sink);
}
