#pragma once

#include <AcquisitionResponse.h>
#include <GetConfigResponse.h>

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
    // A named instrument with at least one audiogroup, read from a well-formed document: a
    // truncated file is refused rather than imported in part.
    bool isValid() const;
    // Why a document is not well-formed (line, column and the parser's message); empty else.
    QString getErrorText() const { return m_errorText; }

    bool endDocument() override;
    bool fatalError(const QXmlParseException &exception) override;

protected:
    bool handleStartElement(const QString &name) override;
    bool handleEndElement(const QString &name) override;
    bool isContentValid() const override;

private:
    bool m_fatalError = false;
    QString m_errorText;
};

#pragma GCC diagnostic pop
