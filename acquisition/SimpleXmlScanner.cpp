#include "SimpleXmlScanner.h"

#include "core/XMLTag.h"

#include <QHash>
#include <QStringView>

#include <cstring>
#include <utility>
#include <vector>

namespace {

bool isSpace(ushort c)
{
    // A carriage return is not taken: XML turns line ends into line feeds.
    return c == ' ' || c == '\t' || c == '\n';
}

bool isNameStart(ushort c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}

bool isNameChar(ushort c)
{
    return isNameStart(c) || (c >= '0' && c <= '9') || c == '.' || c == '-';
}

// Character data as the document may carry it here: no markup, no ">" (so no "]]>"), no
// carriage return, none of the characters XML forbids, no surrogate (pairs are left to Qt).
bool isPlainText(ushort c)
{
    if (c < 0x20)
        return c == '\t' || c == '\n';
    if (c == '<' || c == '&' || c == '>')
        return false;
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

// Two passes over the document with the same code: the first only checks, the second
// (Emit) feeds the sink, so that a document left to Qt's reader has fed it nothing.
template <bool Emit>
class Scan
{
public:
    Scan(const QString &document, int maxDepth, SimpleXmlSink *sink)
        : m_p(reinterpret_cast<const ushort *>(document.constData())), m_n(document.size()),
          m_maxDepth(maxDepth), m_sink(sink)
    {
    }

    bool run()
    {
        const int declaration = int(std::strlen(kXmlDeclaration));
        if (m_n < declaration)
            return false;
        for (int i = 0; i < declaration; ++i)
            if (m_p[i] != ushort(kXmlDeclaration[i]))
                return false;
        m_pos = declaration;
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

private:
    void skipSpace()
    {
        while (m_pos < m_n && isSpace(m_p[m_pos]))
            ++m_pos;
    }

    int nameEnd(int from) const
    {
        int i = from;
        while (i < m_n && isNameChar(m_p[i]))
            ++i;
        return i;
    }

    bool sameName(std::pair<int, int> a, int start, int end) const
    {
        return a.second == end - start &&
               std::memcmp(m_p + a.first, m_p + start, size_t(a.second) * sizeof(ushort)) == 0;
    }

    // The same QString for every occurrence of a name: no allocation per element.
    const QString &name(int start, int end)
    {
        const QStringView key(reinterpret_cast<const QChar *>(m_p + start), end - start);
        auto it = m_names.constFind(key);
        if (it == m_names.constEnd())
            it = m_names.insert(key, key.toString());
        return it.value();
    }

    bool tag()
    {
        if (m_pos + 1 >= m_n)
            return false;
        if (m_p[m_pos + 1] == '/') {
            const int start = m_pos + 2;
            const int end = nameEnd(start);
            if (end == start || m_open.empty() || !sameName(m_open.back(), start, end))
                return false;
            m_pos = end;
            skipSpace();
            if (m_pos >= m_n || m_p[m_pos] != '>')
                return false;
            ++m_pos;
            if (Emit) {
                m_sink->endElement(m_openNames.back());
                m_openNames.pop_back();
            }
            m_open.pop_back();
            return true;
        }
        const int start = m_pos + 1;
        if (!isNameStart(m_p[start]))
            return false; // comments, CDATA, processing instructions, declarations
        const int end = nameEnd(start);
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
        if (!empty)
            m_open.emplace_back(start, end - start);
        if (Emit) {
            const QString &interned = name(start, end);
            m_sink->startElement(interned);
            if (empty)
                m_sink->endElement(interned);
            else
                m_openNames.push_back(interned);
        }
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
            if (Emit) {
                const QChar value(e.value);
                m_sink->characters(&value, 1);
            }
            m_pos += 1 + e.length;
            return true;
        }
        return false; // character references and others
    }

    bool text()
    {
        const int start = m_pos;
        while (m_pos < m_n && isPlainText(m_p[m_pos]))
            ++m_pos;
        if (m_pos < m_n && m_p[m_pos] != '<' && m_p[m_pos] != '&')
            return false;
        if (Emit)
            m_sink->characters(reinterpret_cast<const QChar *>(m_p + start), m_pos - start);
        return true;
    }

    const ushort *m_p;
    int m_n;
    int m_maxDepth;
    SimpleXmlSink *m_sink;
    int m_pos = 0;
    // Open elements, as start and length of their names.
    std::vector<std::pair<int, int>> m_open;
    QHash<QStringView, QString> m_names;
    // Emit: the names of the open elements, for their end tags.
    std::vector<QString> m_openNames;
};

} // namespace

bool scanSimpleXml(const QString &document, int maxDepth, SimpleXmlSink &sink)
{
    if (!Scan<false>(document, maxDepth, nullptr).run())
        return false;
    sink.startDocument();
    Scan<true>(document, maxDepth, &sink).run();
    sink.endDocument();
    return true;
}
