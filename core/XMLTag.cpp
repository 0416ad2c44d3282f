#include "XMLTag.h"

const char *const kXmlDeclaration = "<?xml version='1.0' encoding='UTF-8'?>";

namespace {

bool isXmlChar(uint code)
{
    return code == 0x9 || code == 0xA || code == 0xD || (code >= 0x20 && code <= 0xD7FF) ||
           (code >= 0xE000 && code <= 0xFFFD) || (code >= 0x10000 && code <= 0x10FFFF);
}

// Walks the text by code point; a lone surrogate gives 0 (not an XML character).
template <typename F>
void forEachCodePoint(const QString &text, F f)
{
    const int n = text.size();
    for (int i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < n && text.at(i + 1).isLowSurrogate()) {
            f(QChar::surrogateToUcs4(c, text.at(i + 1)), i, 2);
            ++i;
        } else if (c.isSurrogate()) {
            f(0u, i, 1);
        } else {
            f(uint(c.unicode()), i, 1);
        }
    }
}

} // namespace

bool isXmlText(const QString &text)
{
    bool ok = true;
    forEachCodePoint(text, [&ok](uint code, int, int) { ok = ok && isXmlChar(code); });
    return ok;
}

QString stripNonXmlChars(const QString &text)
{
    if (isXmlText(text))
        return text;
    QString out;
    out.reserve(text.size());
    forEachCodePoint(text, [&](uint code, int pos, int len) {
        if (isXmlChar(code))
            out.append(text.midRef(pos, len));
    });
    return out;
}

bool isValidXmlKeyName(const QString &name) { return !name.isEmpty() && isXmlText(name); }

XMLTag::XMLTag(const QString &name)
{
    m_element = m_document.createElement(name);
    m_document.appendChild(m_element);
}

XMLTag::XMLTag(const XMLTag &other)
{
    *this = other;
}

XMLTag &XMLTag::operator=(const XMLTag &other)
{
    if (this != &other) {
        // QDom nodes are shared handles: build a document of our own.
        m_document = QDomDocument();
        m_element = m_document.importNode(other.m_element, true).toElement();
        m_document.appendChild(m_element);
    }
    return *this;
}

XMLTag::~XMLTag() = default;

XMLTag &XMLTag::addTextChild(const QString &name, const QString &text)
{
    QDomElement child = m_document.createElement(name);
    child.appendChild(m_document.createTextNode(stripNonXmlChars(text)));
    m_element.appendChild(child);
    return *this;
}

XMLTag &XMLTag::addText(const QString &text)
{
    m_element.appendChild(m_document.createTextNode(stripNonXmlChars(text)));
    return *this;
}

XMLTag &XMLTag::setAttribute(const QString &name, const QString &value)
{
    m_element.setAttribute(name, stripNonXmlChars(value));
    return *this;
}

XMLTag &XMLTag::appendChild(const XMLTag &other)
{
    m_element.appendChild(m_document.importNode(other.m_element, true));
    return *this;
}

QString XMLTag::toString(int indent) const { return m_document.toString(indent); }

QString XMLTag::toDocumentString() const
{
    return QLatin1String(kXmlDeclaration) + m_document.toString(1);
}
