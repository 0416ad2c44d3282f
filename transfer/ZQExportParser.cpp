#include "ZQExportParser.h"

#include <AgData.h>
#include <AgDataVector.h>
#include <ConfigNames.h>
#include <ORQLogging.h>

#include <QIODevice>
#include <QTextCodec>
#include <QTextDecoder>
#include <QXmlInputSource>
#include <QXmlSimpleReader>

#pragma GCC diagnostic ignored "-Wdeprecated-declarations"

namespace {

// Hands the reader the file a piece at a time, decoded as UTF-8 whatever the declaration
// says, just as the whole text read with QString::fromUtf8.
class Utf8PieceSource : public QXmlInputSource
{
public:
    explicit Utf8PieceSource(QIODevice *device)
        : m_device(device), m_decoder(QTextCodec::codecForName("UTF-8")->makeDecoder())
    {
    }

    bool hasReadError() const { return m_readError; }

protected:
    void fetchData() override
    {
        static constexpr int kPieceBytes = 256 * 1024;
        QString text;
        while (text.isEmpty() && !m_ended) {
            m_bytes.resize(kPieceBytes);
            const qint64 read = m_device->read(m_bytes.data(), kPieceBytes);
            if (read <= 0) {
                m_readError = read < 0;
                m_ended = true;
                // A file cut inside a character ends with a replacement, as fromUtf8 does.
                if (m_decoder->needsMoreData())
                    text = QString(QChar(QChar::ReplacementCharacter));
                break;
            }
            text = m_decoder->toUnicode(m_bytes.constData(), int(read));
        }
        setData(text);
    }

private:
    QIODevice *m_device;
    std::unique_ptr<QTextDecoder> m_decoder;
    QByteArray m_bytes;
    bool m_ended = false;
    bool m_readError = false;
};

} // namespace

ZQExportParser::ZQExportParser() = default;

ZQExportParser::~ZQExportParser() = default;

void ZQExportParser::parse(const QString &text)
{
    // The reply base also wants a "response" element, which an export need not have: its
    // own verdict is not used.
    AResponse::parse(text);
}

void ZQExportParser::parseFile(QIODevice *device)
{
    m_streaming = true;
    Utf8PieceSource source(device);
    QXmlSimpleReader reader;
    reader.setContentHandler(this);
    reader.setErrorHandler(this);
    // As the reply base reads: no namespaces, qualified names.
    reader.setFeature(QStringLiteral("http://xml.org/sax/features/namespaces"), false);
    reader.parse(&source, false);
    if (source.hasReadError() && !m_fatalError) {
        m_fatalError = true;
        m_errorText = device->errorString();
    }
}

bool ZQExportParser::startReading(QIODevice *device, int listStart, SampleConsumer consumer)
{
    m_streaming = true;
    m_wantedList = listStart;
    m_consumer = std::move(consumer);
    m_source = std::make_unique<Utf8PieceSource>(device);
    m_reader = std::make_unique<QXmlSimpleReader>();
    m_reader->setContentHandler(this);
    m_reader->setErrorHandler(this);
    m_reader->setFeature(QStringLiteral("http://xml.org/sax/features/namespaces"), false);
    // Incremental: the reader stops at the end of each piece the source hands it.
    return m_reader->parse(m_source.get(), true) && !m_fatalError;
}

bool ZQExportParser::readMore()
{
    if (!m_reader || m_fatalError)
        return false;
    if (m_documentEnded)
        return true;
    if (!m_reader->parseContinue() || m_fatalError)
        return false;
    return !static_cast<Utf8PieceSource *>(m_source.get())->hasReadError();
}

bool ZQExportParser::isValid() const
{
    return !m_fatalError && isContentValid();
}

bool ZQExportParser::endDocument()
{
    GetConfigResponse::endDocument();
    AcquisitionResponse::endDocument();
    m_documentEnded = true;
    return true;
}

bool ZQExportParser::fatalError(const QXmlParseException &exception)
{
    m_fatalError = true;
    m_errorText = QStringLiteral("line %1, column %2: %3")
                      .arg(exception.lineNumber())
                      .arg(exception.columnNumber())
                      .arg(exception.message());
    KIV_LOG(2, "XML export file is not well-formed (line %d, column %d): %s\n",
            exception.lineNumber(), exception.columnNumber(),
            exception.message().toUtf8().constData());
    return false;
}

bool ZQExportParser::handleStartElement(const QString &name)
{
    if (name == QLatin1String("LoudnessMeasurement") || name == QLatin1String("DataSource")) {
        GetConfigResponse::handleStartElement(name);
    } else if (name == QLatin1String("AGDataList") || name == QLatin1String("AGData")) {
        if (name == QLatin1String("AGDataList")) {
            // Each start begins a new list for the sample reader, the one its samples join.
            m_currentSummary = XmlSampleList();
            m_currentSummary.listStart = m_listStarts++;
        }
        AcquisitionResponse::handleStartElement(name);
    }
    return true;
}

bool ZQExportParser::handleEndElement(const QString &name)
{
    // The configuration wins: sample lists inside "LoudnessMeasurement" are not read.
    if (isInLoudnessMeasurement()) {
        GetConfigResponse::handleEndElement(name);
    } else if (isInList()) {
        AgDataVector *list = currentList();
        const int before = list ? list->size() : 0;
        AcquisitionResponse::handleEndElement(name);
        if (list && isElement(name, QLatin1String("AGData")) && list->size() > before) {
            noteSample(list->back());
            if (m_streaming)
                list->clear();
        } else if (list && isElement(name, QLatin1String("AGDataList")) && !currentList()) {
            // Stored under its name, a repeated name replacing the earlier list.
            m_currentSummary.name = list->getName();
            m_sampleLists.insert(list->getName(), m_currentSummary);
        }
    }
    return true;
}

void ZQExportParser::noteSample(const AgData &sample)
{
    XmlSampleList &list = m_currentSummary;
    const qint64 timestamp = sample.getTimestamp();
    if (list.count == 0) {
        list.firstTimestamp = timestamp;
        list.lastTimestamp = timestamp;
    } else {
        if (timestamp < m_previousTimestamp)
            list.timeOrdered = false;
        list.firstTimestamp = std::min(list.firstTimestamp, timestamp);
        list.lastTimestamp = std::max(list.lastTimestamp, timestamp);
    }
    m_previousTimestamp = timestamp;
    ++list.count;
    if (m_consumer && list.listStart == m_wantedList)
        m_consumer(sample);
}

bool ZQExportParser::isContentValid() const
{
    const InstrumentConfig instrument = getInstrumentConfig();
    if (instrument.getName().isEmpty() || instrument.getAgConfigCount() < 1)
        return false;
    // The names become the new audiogroup's keys and its database file name.
    QString message;
    bool named = checkConfigKeyName(instrument.getName(), QStringLiteral("Instrument"), &message);
    for (const AgConfig &agConfig : instrument.getAgConfigs()) {
        if (named)
            named = checkConfigKeyName(agConfig.getName(), QStringLiteral("Audiogroup"), &message);
    }
    if (!named)
        KIV_LOG(2, "XML export file: %s\n", message.toUtf8().constData());
    return named;
}
