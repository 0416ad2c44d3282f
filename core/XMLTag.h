#pragma once

#include <QDomDocument>
#include <QDomElement>
#include <QString>

// A small DOM builder: one document holding exactly one element. Every XML text the
// program writes (meter requests, the configuration file, reports, alert mails) is built
// with it. Characters that XML 1.0 cannot carry are dropped from text and attribute
// values, so whatever is written can be read back.
class XMLTag
{
public:
    explicit XMLTag(const QString &name);
    XMLTag(const XMLTag &other);
    XMLTag &operator=(const XMLTag &other);
    virtual ~XMLTag();

    // Appends <name>text</name> to this tag's element.
    XMLTag &addTextChild(const QString &name, const QString &text);
    XMLTag &addText(const QString &text);
    XMLTag &setAttribute(const QString &name, const QString &value);
    // Imports the other tag's element deeply and appends it.
    XMLTag &appendChild(const XMLTag &other);

    QDomDocument &document() { return m_document; }
    const QDomDocument &document() const { return m_document; }
    QDomElement element() const { return m_element; }

    // The DOM serialisation; each nesting level indented by `indent` blanks.
    QString toString(int indent = 1) const;

    // "<?xml version='1.0' encoding='UTF-8'?>" directly followed by toString(1).
    QString toDocumentString() const;

private:
    QDomDocument m_document;
    QDomElement m_element;
};

// The declaration that starts every XML text the program writes.
extern const char *const kXmlDeclaration;

// True when XML 1.0 can carry every character of the text (a well-formed surrogate pair
// counts as one character).
bool isXmlText(const QString &text);
// The text without the characters XML 1.0 cannot carry.
QString stripNonXmlChars(const QString &text);
// A name that keys the configuration (instrument Name, audiogroup SourceName, contact
// Name) must be non-empty and carried by XML 1.0 unchanged; otherwise it would not read
// back equal to what the meter reports or to its database file.
bool isValidXmlKeyName(const QString &name);
