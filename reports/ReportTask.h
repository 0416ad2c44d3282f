#pragma once

#include "AgConfig.h"
#include "DesktopOpener.h"
#include "HtmlToPdf.h"
#include "InstrumentConfig.h"
#include "Program.h"
#include "ReportConfig.h"
#include "ReportProgramCalculator.h"

#include <QMap>
#include <QString>

#include <functional>
#include <vector>

class AAgDataModel;
class QUrl;

// One report job: the PDF report of one audiogroup over one period, with the programs of
// the period and one calculator per program id. Runs on its audiogroup's controller thread,
// one small step per pass: prepare (calculate, then write the files), convert, finish (post
// the outcome), done.
class ReportTask
{
public:
    enum State { StatePrepare = 0, StateConvert = 1, StateFinish = 2, StateDone = 3 };
    // Opens the reports folder after a report was made and tells, once, whether it opened
    // (on any thread, perhaps later).
    using FolderOpener = std::function<void(const QUrl &folder, DesktopOpened told)>;

    ReportTask(const QString &nameKey, bool checkIAtProgramEndOnly,
               const ReportConfig &reportConfig, const InstrumentConfig &instrumentConfig,
               const AgConfig &agConfig, const std::vector<Program> &programs, qint64 startTime,
               qint64 endTime);
    // A copy is the same request, started again from the beginning: no calculators, an idle
    // converter.
    ReportTask(const ReportTask &other);
    ReportTask &operator=(const ReportTask &other);
    // A move keeps the work done and the running converter, so a queue that grows or drops
    // its front task does not start the others again.
    ReportTask(ReportTask &&other) noexcept;
    ReportTask &operator=(ReportTask &&other) noexcept;
    virtual ~ReportTask();

    QString getName() const { return m_nameKey; }
    const ReportConfig &getReportConfig() const { return m_reportConfig; }
    const InstrumentConfig &getInstrumentConfig() const { return m_instrumentConfig; }
    const AgConfig &getAgConfig() const { return m_agConfig; }
    bool getCheckIAtProgramEndOnly() const { return m_checkIAtProgramEndOnly; }
    qint64 getStartTime() const { return m_startTime; }
    qint64 getEndTime() const { return m_endTime; }
    const std::vector<Program> &getPrograms() const { return m_programs; }
    const QMap<qint64, ReportProgramCalculator> &getCalculators() const { return m_calculators; }
    bool isAllProgramsCalculated() const;
    // End of the last program minus the start of the first; 0 without programs or when
    // negative.
    qint64 getProgramsDuration() const;

    // Calculates at most one slice (30 s) of the program at hand and moves on to the next
    // program once it is done. A program without id or without a start is skipped and gets
    // no calculator; programs that share an id share one calculator.
    void calculateNextSlice(AAgDataModel *model);

    // One step of the work of the state reached.
    void step(AAgDataModel *model);
    // Ends the task at once: a running converter is killed and the temporary files go; no
    // outcome is posted.
    void cancel();
    bool isFinished() const { return m_finished; }
    int getState() const { return m_state; }
    bool isCancelled() const { return m_cancelled; }
    bool isConverted() const { return m_converted; }
    bool isFailed() const { return m_failed; }
    QString getMessage() const { return m_message; }

    // Another converter program than the one beside the application; kept by copies.
    void setConverterProgram(const QString &programPath);
    // What opens the reports folder (the desktop's file manager by default); kept by copies.
    void setFolderOpener(FolderOpener opener);

    QString getTmpFolderPath() const;
    QString getXmlFilePath() const;
    QString getStyleFilePath() const;
    QString getXslFilePath() const;
    QString getReportsFolderPath() const;
    QString getTmpFilePath() const;
    QString getPdfFilePath() const;

private:
    void updateState();
    void prepareStep(AAgDataModel *model);
    void convertStep();
    void finishStep();
    bool prepareFiles();
    bool writeXml();
    void cleanupTemporaryFiles();
    // "<prefix>I__<instrument>_A__<audiogroup>_<start>-<end><suffix>".
    QString reportFileName(const char *suffix) const;
    QString folderName(const char *prefix) const;

    QString m_nameKey;
    int m_state = 0;
    bool m_checkIAtProgramEndOnly = false;
    ReportConfig m_reportConfig;
    InstrumentConfig m_instrumentConfig;
    AgConfig m_agConfig;
    qint64 m_startTime = 0;
    qint64 m_endTime = 0;
    bool m_cancelled = false;
    int m_nextProgram = 0;
    std::vector<Program> m_programs;
    QMap<qint64, ReportProgramCalculator> m_calculators;
    bool m_converterStarted = false;
    HtmlToPdf m_converter;
    bool m_finished = false;
    bool m_converted = false;
    bool m_failed = false;
    QString m_message;
    QString m_converterProgram;
    FolderOpener m_folderOpener;
};
