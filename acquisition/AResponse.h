#pragma once

#include <QString>

// The reply readers are handlers of the SAX-style reader of Qt's XML module, which Qt 5.15
// marks deprecated; the streaming interface they are built on is kept on purpose.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#include <QXmlDefaultHandler>

// Base of the meter reply readers. It reads "response", "status" (its "code" and "text"),
// "version", "reqid" and "confid" itself and passes every other element to the hooks of
// the kind. Element names are matched when they end, on the text gathered since the last
// start tag; nesting only matters where a reader says so. One object parses one reply.
class AResponse : public QXmlDefaultHandler
{
public:
    AResponse();
    ~AResponse() override;

    // Parses the whole document (see replyDocumentText for a meter's body); returns the
    // validity: a "response" element, no fatal XML error, an integer code and the kind's
    // own content check.
    bool parse(const QString &text);
    // The same for a meter's body, as parse(replyDocumentText(body)).
    bool parseReply(const QString &body);
    bool isValid() const { return m_valid; }

    QString getReqId() const { return m_reqid; }
    QString getVersion() const { return m_version; }
    int getCode() const { return m_code; }
    QString getStatusText() const { return m_statusText; }
    QString getConfid() const { return m_confid; }

    bool startElement(const QString &namespaceURI, const QString &localName,
                      const QString &qName, const QXmlAttributes &atts) override;
    bool endElement(const QString &namespaceURI, const QString &localName,
                    const QString &qName) override;
    bool characters(const QString &ch) override;
    bool fatalError(const QXmlParseException &exception) override;
    QString errorString() const override;

    // The reader descends one native stack frame pair per open element; a reply nested
    // deeper than any meter writes is refused before it can exhaust the thread's stack.
    static constexpr int kMaxDepth = 256;

protected:
    // Start of an element other than "response" and "status". A name is valid during the
    // call only.
    virtual bool handleStartElement(const QString &name) = 0;
    // End of an element the base does not read itself; the result is not used.
    virtual bool handleEndElement(const QString &name) = 0;
    virtual bool isContentValid() const = 0;

    // name == tag, with the length compared inline: a reply has thousands of elements, each
    // matched against a chain of names.
    static bool isElement(const QString &name, QLatin1String tag)
    {
        if (name.size() != tag.size())
            return false;
        const QChar *c = name.constData();
        for (int i = 0; i < tag.size(); ++i)
            if (c[i].unicode() != uchar(tag.data()[i]))
                return false;
        return true;
    }
    // Character data since the last start tag.
    const QString &currentText() const;
    // The same without a copy, valid until the next element event.
    QStringView currentTextView() const
    {
        return m_textPiece ? QStringView(m_textPiece, m_textPieceSize) : QStringView(m_text);
    }
    bool isInResponse() const { return m_inResponse; }
    bool isInStatus() const { return m_inStatus; }

private:
    friend class ResponseScanSink;
    friend class DataReplyReader;
    // Whole documents of the simple kind are read without Qt's reader (SimpleXmlScanner);
    // it sees the rest.
    bool parseWithQt(const QString &text);
    // The verdict on a document the scanner read.
    bool concludeScanned();

    bool m_valid = false;
    QString m_reqid;
    QString m_version;
    int m_code = -1;
    QString m_statusText;
    QString m_confid;
    bool m_inResponse = false;
    bool m_inStatus = false;
    // A later "response" start tag must not make a reply with a bad code valid again.
    bool m_badCode = false;
    int m_depth = 0;
    // The text since the last start tag: while it is one piece of a scanned document (which
    // stays in place for the whole scan), that piece; else m_text.
    mutable QString m_text;
    mutable const QChar *m_textPiece = nullptr;
    mutable int m_textPieceSize = 0;
    // Scanner text: kept in place while it is one piece.
    void addScannedText(const QChar *text, int size);
    void takeTextPiece() const;
};
#pragma GCC diagnostic pop
