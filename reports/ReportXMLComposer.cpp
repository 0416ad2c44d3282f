#include "ReportXMLComposer.h"

#include "AgConfig.h"
#include "AgData.h"
#include "AgViolations.h"
#include "KivConstants.h"
#include "KivTypes.h"
#include "KivUtils.h"
#include "ReportProgramCalculator.h"
#include "ReportTask.h"

#include <QDateTime>
#include <QTextStream>

#include <cmath>
#include <stdexcept>

using namespace KivConstants::ReportTags;

namespace {

class ReportWriteError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

QString tag(const char *name)
{
    return QString::fromLatin1(name);
}

QString decimal(qint64 value)
{
    return QString::number(value);
}

// Two decimals; a value that rounds to zero is written without a sign.
QString fixed2(double value)
{
    // No value (the meter sent none that could be read): shown as the table shows it.
    if (std::isnan(value))
        return QStringLiteral("---");
    QString text = QString::number(value, 'f', 2);
    if (text == QLatin1String("-0.00"))
        text.remove(0, 1);
    return text;
}

QString utcText(qint64 ms, const QString &format)
{
    return QDateTime::fromMSecsSinceEpoch(ms, Qt::UTC).toString(format);
}

QString date(qint64 ms)
{
    return utcText(ms, QStringLiteral("dd.MM.yyyy"));
}

QString hm(qint64 ms)
{
    return utcText(ms, QStringLiteral("hh:mm"));
}

QString hms(qint64 ms)
{
    return utcText(ms, QStringLiteral("hh:mm:ss"));
}

QString twoDigits(qint64 value)
{
    return value < 10 ? QStringLiteral("0%1").arg(value) : QString::number(value);
}

// Hours and minutes; the hours grow beyond two digits when they must.
QString hoursAndMinutes(qint64 ms)
{
    const qint64 hours = ms / 3600000;
    const qint64 minutes = (ms % 3600000) / 60000;
    return twoDigits(hours) + QLatin1Char(':') + twoDigits(minutes);
}

QString countColor(int counter, int threshold)
{
    return tag(counter >= threshold ? kRed : kGreen);
}

ReportXMLComposer::Attributes thresholdUpper(double integrated, double momentary,
                                             double shortTerm, double truePeak)
{
    return {{tag(kI), fixed2(integrated)},
            {tag(kMMax), fixed2(momentary)},
            {tag(kSMax), fixed2(shortTerm)},
            {tag(kTPMax), fixed2(truePeak)}};
}

ReportXMLComposer::Attributes thresholdLower(double integrated)
{
    return {{tag(kI), fixed2(integrated)},
            {tag(kMMax), tag(kNone)},
            {tag(kSMax), tag(kNone)},
            {tag(kTPMax), tag(kNone)}};
}

bool isXmlCharacter(uint code)
{
    return code == 0x9 || code == 0xA || code == 0xD || (code >= 0x20 && code <= 0xD7FF) ||
           (code >= 0xE000 && code <= 0xFFFD) || (code >= 0x10000 && code <= 0x10FFFF);
}

} // namespace

QString escapeReportXml(const QString &text)
{
    QString escaped;
    escaped.reserve(text.size() + text.size() / 8);
    const int size = text.size();
    for (int i = 0; i < size; ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < size && text.at(i + 1).isLowSurrogate()) {
            escaped.append(c);
            escaped.append(text.at(++i));
            continue;
        }
        // A lone surrogate is no character either.
        if (c.isSurrogate() || !isXmlCharacter(c.unicode()))
            continue;
        switch (c.unicode()) {
        case '&':
            escaped.append(QLatin1String("&amp;"));
            break;
        case '<':
            escaped.append(QLatin1String("&lt;"));
            break;
        case '>':
            escaped.append(QLatin1String("&gt;"));
            break;
        case '"':
            escaped.append(QLatin1String("&quot;"));
            break;
        default:
            escaped.append(c);
        }
    }
    return escaped;
}

QString sampleValueColor(int plotValue, const AgData &sample, const AgConfig &config)
{
    bool main = false;
    bool secondary = false;
    switch (plotValue) {
    case PlotValueTP:
        main = sample.isTruePeakAboveMainThreshold(config);
        secondary = sample.isTruePeakAboveSecondaryThreshold(config);
        break;
    case PlotValueM:
        main = sample.isMomentaryAboveMainThreshold(config);
        secondary = sample.isMomentaryAboveSecondaryThreshold(config);
        break;
    case PlotValueS:
        main = sample.isShortTermAboveMainThreshold(config);
        secondary = sample.isShortTermAboveSecondaryThreshold(config);
        break;
    case PlotValueI:
        if (sample.isIntegratedAboveMainThreshold(config))
            return tag(kRed);
        if (sample.isIntegratedAboveSecondaryThreshold(config))
            return tag(kYellow);
        main = sample.isIntegratedBelowMainThreshold(config);
        secondary = sample.isIntegratedBelowSecondaryThreshold(config);
        break;
    default:
        break;
    }
    return tag(main ? kRed : secondary ? kYellow : kBlack);
}

QString eventStatusText(const AgData &sample)
{
    switch (static_cast<quint32>(sample.getEvents())) {
    case 1:
        return QStringLiteral("Start");
    case 2:
        return QStringLiteral("Stop");
    case 4:
        return QStringLiteral("Reset");
    default:
        return QString();
    }
}

ReportXMLComposer::ReportXMLComposer(QTextStream *stream, const ReportTask *task)
    : m_stream(stream), m_task(task)
{
}

bool ReportXMLComposer::compose()
{
    if (!m_stream || !m_task)
        return false;
    // Figures from a program whose samples could not all be read would be wrong.
    for (const ReportProgramCalculator &calculator : m_task->getCalculators())
        if (calculator.hasReadFailed())
            return false;
    try {
        writeHeader();
        startElement(tag(kReport));
        writeDateTime();
        writeSegmentDuration();
        writeCompany();
        writeInstrumentConfig();
        writeAgConfig();
        writeErrorCounts();
        writePrograms();
        endElement(tag(kReport));
        m_stream->flush();
        checkWritten();
    } catch (const std::exception &) {
        return false;
    }
    return true;
}

void ReportXMLComposer::checkWritable() const
{
    if (!m_stream || !m_task)
        throw ReportWriteError("no stream or no report task");
}

void ReportXMLComposer::checkWritten() const
{
    if (m_stream->status() == QTextStream::WriteFailed)
        throw ReportWriteError("the report stream failed");
}

void ReportXMLComposer::writeHeader()
{
    checkWritable();
    *m_stream << "<?xml version='1.0' encoding='UTF-8'?>";
    checkWritten();
}

void ReportXMLComposer::startElement(const QString &name)
{
    checkWritable();
    *m_stream << '<' << name << '>';
    checkWritten();
}

void ReportXMLComposer::startElement(const QString &name, const Attributes &attributes)
{
    checkWritable();
    *m_stream << '<' << name;
    for (auto it = attributes.constBegin(); it != attributes.constEnd(); ++it)
        *m_stream << ' ' << it.key() << "=\"" << escapeReportXml(it.value()) << '"';
    *m_stream << '>';
    checkWritten();
}

void ReportXMLComposer::writeText(const QString &value)
{
    checkWritable();
    *m_stream << escapeReportXml(value);
    checkWritten();
}

void ReportXMLComposer::endElement(const QString &name)
{
    checkWritable();
    *m_stream << "</" << name << '>';
    checkWritten();
}

void ReportXMLComposer::writeEmptyElement(const QString &name, const Attributes &attributes)
{
    startElement(name, attributes);
    endElement(name);
}

void ReportXMLComposer::writeTextElement(const QString &name, const QString &value)
{
    startElement(name);
    writeText(value);
    endElement(name);
}

void ReportXMLComposer::writeDateTime()
{
    const qint64 start = m_task->getStartTime();
    const qint64 end = m_task->getEndTime();
    writeEmptyElement(tag(kDateTime), {{tag(kEndDate), date(end)},
                                       {tag(kEndTime), hm(end)},
                                       {tag(kStartDate), date(start)},
                                       {tag(kStartTime), hm(start)}});
}

void ReportXMLComposer::writeSegmentDuration()
{
    writeTextElement(tag(kSegmentDuration), hoursAndMinutes(m_task->getProgramsDuration()));
}

void ReportXMLComposer::writeCompany()
{
    const ReportConfig &company = m_task->getReportConfig();
    if (!company.getCompanyName().isEmpty())
        writeTextElement(tag(kCompanyName), company.getCompanyName() + QLatin1String(", "));
    if (!company.getCompanyAddress().isEmpty())
        writeTextElement(tag(kAddress1), company.getCompanyAddress());
    if (!company.getCompanyAddress2().isEmpty())
        writeTextElement(tag(kAddress2), company.getCompanyAddress2());
}

void ReportXMLComposer::writeInstrumentConfig()
{
    const InstrumentConfig &instrument = m_task->getInstrumentConfig();
    writeEmptyElement(tag(kInstrumentConfig),
                      {{tag(kFirmware), instrument.getSoftwareVersion()},
                       {tag(kManufacturer), instrument.getManufacturer()},
                       {tag(kModel), instrument.getModelNumber()},
                       {tag(kName), instrument.getName()},
                       {tag(kPresetName), instrument.getPresetName()},
                       {tag(kSerialNo), instrument.getSerialNumber()}});
}

void ReportXMLComposer::writeAgConfig()
{
    const AgConfig &config = m_task->getAgConfig();
    const QString unit = config.getLoudnessUnit();
    const bool lufs = unit == QLatin1String("LU") || unit == QLatin1String("LUFS");
    startElement(tag(kAgConfig), {{tag(kAudioMode), config.getAudioMode()},
                                  {tag(kDomain), config.getDomain()},
                                  {tag(kLoudnessUnit), unit},
                                  {tag(kMode), config.getLoudnessMode()},
                                  {tag(kSourceName), config.getName()},
                                  {tag(kTarget), fixed2(config.getTargetLoudness())},
                                  {tag(kTargetUnit), lufs ? QStringLiteral("LUFS")
                                                          : QStringLiteral("LKFS")}});
    writeThresholdMain();
    writeThresholdSecondary();
    endElement(tag(kAgConfig));
}

void ReportXMLComposer::writeThresholdMain()
{
    const AgConfig &config = m_task->getAgConfig();
    startElement(tag(kThresholdMain));
    writeEmptyElement(tag(kUpper), thresholdUpper(config.getUpperThreshold(PlotValueI),
                                                  config.getUpperThreshold(PlotValueM),
                                                  config.getUpperThreshold(PlotValueS),
                                                  config.getUpperThreshold(PlotValueTP)));
    writeEmptyElement(tag(kLower), thresholdLower(config.getLowerThreshold(PlotValueI)));
    endElement(tag(kThresholdMain));
}

void ReportXMLComposer::writeThresholdSecondary()
{
    const AgConfig &config = m_task->getAgConfig();
    startElement(tag(kThresholdSecondary));
    writeEmptyElement(tag(kUpper),
                      thresholdUpper(config.getUpperSecondaryThreshold(PlotValueI),
                                     config.getUpperSecondaryThreshold(PlotValueM),
                                     config.getUpperSecondaryThreshold(PlotValueS),
                                     config.getUpperSecondaryThreshold(PlotValueTP)));
    writeEmptyElement(tag(kLower),
                      thresholdLower(config.getLowerSecondaryThreshold(PlotValueI)));
    endElement(tag(kThresholdSecondary));
}

void ReportXMLComposer::writeErrorCounts()
{
    qint64 loudnessErrors = 0;
    qint64 truePeakErrors = 0;
    for (const ReportProgramCalculator &calculator : m_task->getCalculators()) {
        const AgViolations &violations = calculator.getViolations();
        loudnessErrors += violations.getIntegratedUpperMainCount() +
                          violations.getIntegratedLowerMainCount();
        truePeakErrors += violations.getTruePeakMainCount();
    }
    writeTextElement(tag(kLoudnessErrorCount), decimal(loudnessErrors));
    writeTextElement(tag(kTPErrorCount), decimal(truePeakErrors));
}

void ReportXMLComposer::writePrograms()
{
    startElement(tag(kPgms), {{tag(kCount), decimal(qint64(m_task->getPrograms().size()))}});
    const QMap<qint64, ReportProgramCalculator> &calculators = m_task->getCalculators();
    for (auto it = calculators.constBegin(); it != calculators.constEnd(); ++it)
        writeProgram(it.key(), it.value());
    endElement(tag(kPgms));
}

void ReportXMLComposer::writeProgram(qint64 programId, const ReportProgramCalculator &calculator)
{
    const ProgramCalculationData data = calculator.getCalculationData();
    startElement(tag(kPgm), {{tag(kPgmId), decimal(programId)},
                             {tag(kStart), hms(data.getStartTime())},
                             {tag(kStop), hms(data.getEndTime())}});
    writeViolations(calculator);
    writeSamples(calculator);
    endElement(tag(kPgm));
}

void ReportXMLComposer::writeViolations(const ReportProgramCalculator &calculator)
{
    startElement(tag(kViolations));
    writeThresholdMainViolation(calculator);
    writeThresholdSecondaryViolation(calculator);
    endElement(tag(kViolations));
}

void ReportXMLComposer::writeThresholdMainViolation(const ReportProgramCalculator &calculator)
{
    const AgViolations &v = calculator.getViolations();
    const AgConfig &c = m_task->getAgConfig();
    writeThresholdViolation(tag(kThresholdMainViolation),
                            calculator.getAgConfig().getMainThresholdActiveState(),
                            {v.getIntegratedUpperMainCount(), v.getIntegratedLowerMainCount(),
                             v.getMomentaryMainCount(), v.getShortTermMainCount(),
                             v.getTruePeakMainCount(), c.getIUpperCountMainThreshold(),
                             c.getILowerCountMainThreshold(), c.getMCountMainThreshold(),
                             c.getSCountMainThreshold(), c.getTPCountMainThreshold()});
}

void ReportXMLComposer::writeThresholdSecondaryViolation(
    const ReportProgramCalculator &calculator)
{
    const AgViolations &v = calculator.getViolations();
    const AgConfig &c = m_task->getAgConfig();
    writeThresholdViolation(
        tag(kThresholdSecondaryViolation),
        calculator.getAgConfig().getSecondaryThresholdActiveState(),
        {v.getIntegratedUpperSecondaryCount(), v.getIntegratedLowerSecondaryCount(),
         v.getMomentarySecondaryCount(), v.getShortTermSecondaryCount(),
         v.getTruePeakSecondaryCount(), c.getIUpperCountSecondaryThreshold(),
         c.getILowerCountSecondaryThreshold(), c.getMCountSecondaryThreshold(),
         c.getSCountSecondaryThreshold(), c.getTPCountSecondaryThreshold()});
}

void ReportXMLComposer::writeThresholdViolation(const QString &name, bool enabled,
                                                const ViolationSet &set)
{
    startElement(name, {{tag(kEnabled), tag(enabled ? kOne : kZero)}});
    writeEmptyElement(tag(kUpper), upperViolations(set));
    writeEmptyElement(tag(kLower), lowerViolations(set));
    endElement(name);
}

// The Upper violation element: each counter, plainly and as a count with its colour.
ReportXMLComposer::Attributes ReportXMLComposer::upperViolations(const ViolationSet &set)
{
    return {{tag(kI), decimal(set.integratedAbove)},
            {tag(kIColor), countColor(set.integratedAbove, set.integratedAboveLimit)},
            {tag(kICount), decimal(set.integratedAbove)},
            {tag(kMCount), decimal(set.momentary)},
            {tag(kMMax), decimal(set.momentary)},
            {tag(kMMaxColor), countColor(set.momentary, set.momentaryLimit)},
            {tag(kSCount), decimal(set.shortTerm)},
            {tag(kSMax), decimal(set.shortTerm)},
            {tag(kSMaxColor), countColor(set.shortTerm, set.shortTermLimit)},
            {tag(kTPCount), decimal(set.truePeak)},
            {tag(kTPMax), decimal(set.truePeak)},
            {tag(kTPMaxColor), countColor(set.truePeak, set.truePeakLimit)}};
}

ReportXMLComposer::Attributes ReportXMLComposer::lowerViolations(const ViolationSet &set)
{
    return {{tag(kI), decimal(set.integratedBelow)},
            {tag(kIColor), countColor(set.integratedBelow, set.integratedBelowLimit)},
            {tag(kICount), decimal(set.integratedBelow)}};
}

void ReportXMLComposer::writeSamples(const ReportProgramCalculator &calculator)
{
    startElement(tag(kSamples));
    for (const AgData &sample : calculator.getReportSamples())
        writeSample(sample, calculator.getAgConfig());
    endElement(tag(kSamples));
}

void ReportXMLComposer::writeSample(const AgData &sample, const AgConfig &config)
{
    QString time = hms(sample.getTimestamp());
    if (sample.getTimecode() != 0)
        time = QString::fromLatin1(kNameWithUnit).arg(time, formatTimecode(sample.getTimecode()));
    writeEmptyElement(tag(kSample), {{tag(kI), fixed2(sample.getI())},
                                     {tag(kIColor), sampleValueColor(PlotValueI, sample, config)},
                                     {tag(kLRA), fixed2(sample.getLRA())},
                                     {tag(kLRAColor), QStringLiteral("black")},
                                     {tag(kM), fixed2(sample.getM400ms())},
                                     {tag(kMColor), sampleValueColor(PlotValueM, sample, config)},
                                     {tag(kS), fixed2(sample.getS())},
                                     {tag(kSColor), sampleValueColor(PlotValueS, sample, config)},
                                     {tag(kTP), fixed2(sample.getTP())},
                                     {tag(kTPColor), sampleValueColor(PlotValueTP, sample, config)},
                                     {tag(kFlag), QStringLiteral("-")},
                                     {tag(kStatus), eventStatusText(sample)},
                                     {tag(kTime), time}});
}
