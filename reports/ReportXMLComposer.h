#pragma once

#include <QMap>
#include <QString>

class AgConfig;
class AgData;
class QTextStream;
class ReportProgramCalculator;
class ReportTask;

// Writes the report XML of one report job onto a text stream: one line, attributes in
// ascending order of their names, no empty-element tags. The caller keeps the stream and
// the job.
class ReportXMLComposer
{
public:
    using Attributes = QMap<QString, QString>;

    ReportXMLComposer(QTextStream *stream, const ReportTask *task);

    // Writes the whole document; false when the stream or the job is missing, when a write
    // fails, or when a program's data could not be read.
    bool compose();

private:
    // The writer: each throws std::exception when the stream or the job is missing or the
    // stream reports a failed write.
    void writeHeader();
    void startElement(const QString &name);
    void startElement(const QString &name, const Attributes &attributes);
    void writeText(const QString &value);
    void endElement(const QString &name);
    // An element without content, as a start tag followed by its end tag.
    void writeEmptyElement(const QString &name, const Attributes &attributes);
    void writeTextElement(const QString &name, const QString &value);
    void checkWritable() const;
    void checkWritten() const;

    void writeDateTime();
    void writeSegmentDuration();
    void writeCompany();
    void writeInstrumentConfig();
    void writeAgConfig();
    void writeThresholdMain();
    void writeThresholdSecondary();
    void writeErrorCounts();
    void writePrograms();
    void writeProgram(qint64 programId, const ReportProgramCalculator &calculator);
    void writeViolations(const ReportProgramCalculator &calculator);
    void writeThresholdMainViolation(const ReportProgramCalculator &calculator);
    void writeThresholdSecondaryViolation(const ReportProgramCalculator &calculator);

    // One threshold set's counters of a program, with the count settings they are judged by.
    struct ViolationSet
    {
        int integratedAbove, integratedBelow, momentary, shortTerm, truePeak;
        int integratedAboveLimit, integratedBelowLimit, momentaryLimit, shortTermLimit,
            truePeakLimit;
    };
    void writeThresholdViolation(const QString &name, bool enabled, const ViolationSet &set);
    // Each counter, plainly and as a count with its colour ("RED" once it reaches its
    // setting, else "GREEN").
    static Attributes upperViolations(const ViolationSet &set);
    static Attributes lowerViolations(const ViolationSet &set);
    void writeSamples(const ReportProgramCalculator &calculator);
    void writeSample(const AgData &sample, const AgConfig &config);

    QTextStream *m_stream;
    const ReportTask *m_task;
};

// The colour word of one value of a listed sample (value kinds as PlotValue): "RED" above
// (or for the integrated value below) a main threshold, "YELLOW" beyond a secondary one,
// else "BLACK".
QString sampleValueColor(int plotValue, const AgData &sample, const AgConfig &config);
// "Start", "Stop" or "Reset" for the sample's event word, else "".
QString eventStatusText(const AgData &sample);
// The text with "&", "<", ">" and '"' escaped and every character that XML cannot carry
// dropped.
QString escapeReportXml(const QString &text);
