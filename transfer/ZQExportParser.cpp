#include "ZQExportParser.h"

#include <ConfigNames.h>
#include <ORQLogging.h>

#pragma GCC diagnostic ignored "-Wdeprecated-declarations"

ZQExportParser::ZQExportParser() = default;

ZQExportParser::~ZQExportParser() = default;

void ZQExportParser::parse(const QString &text)
{
    // The reply base also wants a "response" element, which an export need not have: its
    // own verdict is not used.
    AResponse::parse(text);
}

bool ZQExportParser::isValid() const
{
    return !m_fatalError && isContentValid();
}

bool ZQExportParser::endDocument()
{
    GetConfigResponse::endDocument();
    AcquisitionResponse::endDocument();
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
    if (name == QLatin1String("LoudnessMeasurement") || name == QLatin1String("DataSource"))
        GetConfigResponse::handleStartElement(name);
    else if (name == QLatin1String("AGDataList") || name == QLatin1String("AGData"))
        AcquisitionResponse::handleStartElement(name);
    return true;
}

bool ZQExportParser::handleEndElement(const QString &name)
{
    // The configuration wins: sample lists inside "LoudnessMeasurement" are not read.
    if (isInLoudnessMeasurement())
        GetConfigResponse::handleEndElement(name);
    else if (isInList())
        AcquisitionResponse::handleEndElement(name);
    return true;
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
