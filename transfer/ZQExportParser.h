#pragma once

#include <AcquisitionResponse.h>
#include <GetConfigResponse.h>
#include <XmlSampleList.h>

#include <QMap>

#include <functional>
#include <memory>

class QIODevice;
class QXmlInputSource;
class QXmlSimpleReader;

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"

// Reads a meter's XML export in one pass: the configuration in the elements of a
// getConfiguration reply ("LoudnessMeasurement") and the samples in those of a getData
// reply ("AGDataList" outside it).
class ZQExportParser : public AcquisitionResponse, public GetConfigResponse
{
public:
    ZQExportParser();
    ~ZQExportParser() override;

    // Parses the whole text; isValid() tells whether it can be imported.
    void parse(const QString &text);
    // Parses the file as a stream: the samples are not kept, only where each list lies
    // (getSampleList), so the memory used does not grow with the file.
    void parseFile(QIODevice *device);
    // A named instrument with at least one audiogroup, read from a well-formed document: a
    // truncated file is refused rather than imported in part.
    bool isValid() const;
    // Why a document is not well-formed (line, column and the parser's message); empty else.
    QString getErrorText() const { return m_errorText; }
    // The stored list of that name (a repeated name: the last one), without the file path.
    XmlSampleList getSampleList(const QString &name) const { return m_sampleLists.value(name); }

    // Reading one list's samples a piece at a time: each sample of the list whose start tag
    // has that ordinal goes to the consumer, nothing is kept. readMore() reads the next
    // piece of the file; false on a read or XML error. atEnd(): the document has ended.
    using SampleConsumer = std::function<void(const AgData &)>;
    bool startReading(QIODevice *device, int listStart, SampleConsumer consumer);
    bool readMore();
    bool atEnd() const { return m_documentEnded; }

    bool endDocument() override;
    bool fatalError(const QXmlParseException &exception) override;

protected:
    bool handleStartElement(const QString &name) override;
    bool handleEndElement(const QString &name) override;
    bool isContentValid() const override;

private:
    void noteSample(const AgData &sample);

    bool m_fatalError = false;
    QString m_errorText;
    bool m_documentEnded = false;
    // Samples leave their list as soon as they are read.
    bool m_streaming = false;
    int m_listStarts = 0;
    qint64 m_previousTimestamp = 0;
    XmlSampleList m_currentSummary;
    QMap<QString, XmlSampleList> m_sampleLists;
    int m_wantedList = -1;
    SampleConsumer m_consumer;
    std::unique_ptr<QXmlInputSource> m_source;
    std::unique_ptr<QXmlSimpleReader> m_reader;
};

#pragma GCC diagnostic pop
