#include "AResponse.h"

#include "code/util/src/ORQLogging.h"

#pragma GCC diagnostic ignored "-Wdeprecated-declarations"

AResponse::AResponse() = default;

AResponse::~AResponse() = default;

bool AResponse::parse(const QString &text)
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
    if (qName == QLatin1String("response")) {
        m_valid = true;
        m_inResponse = true;
    } else if (qName == QLatin1String("status")) {
        m_inStatus = true;
    } else {
        handleStartElement(qName);
    }
    m_text.clear();
    return true;
}

bool AResponse::endElement(const QString &, const QString &, const QString &qName)
{
    --m_depth;
    if (qName == QLatin1String("response")) {
        m_inResponse = false;
    } else if (qName == QLatin1String("version")) {
        m_version = m_text;
    } else if (qName == QLatin1String("reqid")) {
        m_reqid = m_text;
    } else if (qName == QLatin1String("status")) {
        m_inStatus = false;
    } else if (qName == QLatin1String("code")) {
        if (m_inStatus) {
            bool ok = false;
            m_code = m_text.toInt(&ok, 10);
            if (!ok) {
                m_code = -1;
                m_valid = false;
                m_badCode = true;
            }
        }
    } else if (qName == QLatin1String("text")) {
        if (m_inStatus)
            m_statusText = m_text;
    } else if (qName == QLatin1String("confid")) {
        m_confid = m_text;
    } else {
        handleEndElement(qName);
    }
    return true;
}

bool AResponse::characters(const QString &ch)
{
    m_text += ch;
    return true;
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
