#pragma once

#include <QString>

// Receives what scanSimpleXml reads. A name and a text stay valid until the scan returns
// (a text lies in the document or in static storage).
class SimpleXmlSink
{
public:
    virtual ~SimpleXmlSink() = default;
    virtual void startDocument() {}
    virtual void endDocument() {}
    virtual void startElement(const QString &name) = 0;
    virtual void endElement(const QString &name) = 0;
    virtual void characters(const QChar *text, int size) = 0;
};

// Meter replies use a small part of XML: elements without attributes, character data and
// the five predefined entities, after the declaration the reply reader puts in front of
// them. This reads exactly that part, several times faster than Qt's SAX reader, and
// hands the sink the same element and text events that reader hands a content handler.
// A document outside that part (attributes, comments, CDATA, other references, a carriage
// return, a ">" in text, non-ASCII names, nesting deeper than maxDepth) or not well-formed
// is left to Qt's reader: nothing reaches the sink and the answer is false.
bool scanSimpleXml(const QString &document, int maxDepth, SimpleXmlSink &sink);
// The same for the document made of the program's declaration and the text from `from` on,
// without making it.
bool scanSimpleXmlAfterDeclaration(const QString &text, int from, int maxDepth,
                                   SimpleXmlSink &sink);
