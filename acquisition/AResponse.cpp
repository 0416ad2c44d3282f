#include "AResponse.h"

#include "ReplyText.h"
#include "SimpleXmlScanner.h"

#include "code/util/src/ORQLogging.h"

#pragma GCC diagnostic ignored "-Wdeprecated-declarations"

// Hands the scanner's events to the reader's own handler functions, as Qt's reader does.
class ResponseScanSink : public SimpleXmlSink
{
public:
    explicit ResponseScanSink(AResponse &response) : m_response(response) {}
    void startElement(const QString &name) override
    {
        m_response.startElement(QString(), QString(), name, m_noAttributes);
    }
    void endElement(const QString &name) override
    {
        m_response.endElement(QString(), QString(), name);
    }
    void characters(const QChar *text, int size) override { m_response.addScannedText(text, size); }
    void startDocument() override { m_response.startDocument(); }
    void endDocument() override { m_response.endDocument(); }

private:
    AResponse &m_response;
    const QXmlAttributes m_noAttributes;
};

AResponse::AResponse() = default;

AResponse::~AResponse() = default;

bool AResponse::parse(const QString &text)
{
    // The scanner stops short of the depth limit, so the handlers accept all it reads.
    ResponseScanSink sink(*this);
    const bool scanned = scanSimpleXml(text, kMaxDepth, sink);
    // The document's pieces are not kept beyond the scan.
    m_textPiece = nullptr;
    if (!scanned)
        return parseWithQt(text);
    return concludeScanned();
}

bool AResponse::parseReply(const QString &body)
{
    // The document is not made unless Qt's reader needs it.
    ResponseScanSink sink(*this);
    const int start = replyDocumentStart(body);
    const bool scanned = scanSimpleXmlAfterDeclaration(body, start, kMaxDepth, sink);
    m_textPiece = nullptr;
    if (!scanned)
        return parseWithQt(replyDocumentText(body));
    return concludeScanned();
}

bool AResponse::concludeScanned()
{
    if (m_badCode)
        m_valid = false;
    if (m_valid)
        m_valid = isContentValid();
    return m_valid;
}

bool AResponse::parseWithQt(const QString &text)
{
    QXmlInputSource source;
    source.setData(text);
    QXmlSimpleReader reader;
    reader.setContentHandler(this);
    reader.setErrorHandler(this);
    // Replies use no namespaces, and the handlers match qualified names.
    reader.setFeature(QStringLiteral("http://xml.org/sax/features/namespaces"), false);
    // The reader stops on a fatal error and then also answers false.
    if (!reader.parse(&source, false) || m_badCode)
        m_valid = false;
    if (m_valid)
        m_valid = isContentValid();
    return m_valid;
}

bool AResponse::startElement(const QString &, const QString &, const QString &qName,
                             const QXmlAttributes &)
{
    // Returning false stops the reader, which then reports errorString() as fatal.
    if (++m_depth > kMaxDepth)
        return false;
    if (isElement(qName, QLatin1String("response"))) {
        m_valid = true;
        m_inResponse = true;
    } else if (isElement(qName, QLatin1String("status"))) {
        m_inStatus = true;
    } else {
        handleStartElement(qName);
    }
    // Emptied, its buffer kept for the next element's text.
    if (!m_text.isEmpty())
        m_text.resize(0);
    m_textPiece = nullptr;
    return true;
}

bool AResponse::endElement(const QString &, const QString &, const QString &qName)
{
    --m_depth;
    if (isElement(qName, QLatin1String("response"))) {
        m_inResponse = false;
    } else if (isElement(qName, QLatin1String("version"))) {
        m_version = currentText();
    } else if (isElement(qName, QLatin1String("reqid"))) {
        m_reqid = currentText();
    } else if (isElement(qName, QLatin1String("status"))) {
        m_inStatus = false;
    } else if (isElement(qName, QLatin1String("code"))) {
        if (m_inStatus) {
            bool ok = false;
            m_code = currentText().toInt(&ok, 10);
            if (!ok) {
                m_code = -1;
                m_valid = false;
                m_badCode = true;
            }
        }
    } else if (isElement(qName, QLatin1String("text"))) {
        if (m_inStatus)
            m_statusText = currentText();
    } else if (isElement(qName, QLatin1String("confid"))) {
        m_confid = currentText();
    } else {
        handleEndElement(qName);
    }
    return true;
}

bool AResponse::characters(const QString &ch)
{
    takeTextPiece();
    m_text += ch;
    return true;
}

void AResponse::addScannedText(const QChar *text, int size)
{
    if (!m_textPiece && m_text.isEmpty()) {
        m_textPiece = text;
        m_textPieceSize = size;
        return;
    }
    takeTextPiece();
    m_text.append(text, size);
}

void AResponse::takeTextPiece() const
{
    if (!m_textPiece)
        return;
    m_text.append(m_textPiece, m_textPieceSize);
    m_textPiece = nullptr;
}

const QString &AResponse::currentText() const
{
    takeTextPiece();
    return m_text;
}

QString AResponse::errorString() const
{
    return m_depth > kMaxDepth ? QStringLiteral("elements nested deeper than %1").arg(kMaxDepth)
                               : QXmlDefaultHandler::errorString();
}

bool AResponse::fatalError(const QXmlParseException &exception)
{
    m_valid = false;
    KIV_LOG(3, "Meter reply is not well-formed XML (line %d, column %d): %s\n",
            exception.lineNumber(), exception.columnNumber(),
            exception.message().toUtf8().constData());
    return false;
}
