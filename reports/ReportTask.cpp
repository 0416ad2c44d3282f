#include "ReportTask.h"

#include "ReportXMLComposer.h"

#include <ASystem.h>
#include <KivResources.h>
#include <KivUtils.h>
#include <ORQLogging.h>

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>
#include <QUrl>

#include <utility>

namespace {

const char *const kMessageFilesFailed = "Report generation failed; templ file generation failure";
const char *const kMessageStartFailed =
    "Report generation failed; could not start html to pdf conversion";
const char *const kMessageConversionFailed =
    "Report generation failed; html to pdf conversion failed";
const char *const kMessageCreated = "Report file created successfully";

QString joined(const QString &folder, const QString &name)
{
    return QDir::cleanPath(folder + QDir::separator() + name);
}

void openWithDesktop(const QUrl &folder, DesktopOpened told)
{
    openOnDesktop(folder.toLocalFile(), std::move(told));
}

} // namespace

ReportTask::ReportTask(const QString &nameKey, bool checkIAtProgramEndOnly,
                       const ReportConfig &reportConfig, const InstrumentConfig &instrumentConfig,
                       const AgConfig &agConfig, const std::vector<Program> &programs,
                       qint64 startTime, qint64 endTime)
    : m_nameKey(nameKey), m_checkIAtProgramEndOnly(checkIAtProgramEndOnly),
      m_reportConfig(reportConfig), m_instrumentConfig(instrumentConfig), m_agConfig(agConfig),
      m_startTime(startTime), m_endTime(endTime), m_programs(programs)
{
}

ReportTask::ReportTask(const ReportTask &other)
    : ReportTask(other.m_nameKey, other.m_checkIAtProgramEndOnly, other.m_reportConfig,
                 other.m_instrumentConfig, other.m_agConfig, other.m_programs, other.m_startTime,
                 other.m_endTime)
{
    m_cancelled = other.m_cancelled;
    setConverterProgram(other.m_converterProgram);
    m_folderOpener = other.m_folderOpener;
}

ReportTask &ReportTask::operator=(const ReportTask &other)
{
    if (this != &other)
        *this = ReportTask(other);
    return *this;
}

ReportTask::ReportTask(ReportTask &&other) noexcept
{
    *this = std::move(other);
}

ReportTask &ReportTask::operator=(ReportTask &&other) noexcept
{
    if (this == &other)
        return *this;
    m_nameKey = std::move(other.m_nameKey);
    m_state = other.m_state;
    m_checkIAtProgramEndOnly = other.m_checkIAtProgramEndOnly;
    m_reportConfig = other.m_reportConfig;
    m_instrumentConfig = other.m_instrumentConfig;
    m_agConfig = other.m_agConfig;
    m_startTime = other.m_startTime;
    m_endTime = other.m_endTime;
    m_cancelled = other.m_cancelled;
    m_nextProgram = other.m_nextProgram;
    m_programs = std::move(other.m_programs);
    m_calculators = std::move(other.m_calculators);
    m_converterStarted = other.m_converterStarted;
    m_converter = std::move(other.m_converter);
    m_finished = other.m_finished;
    m_converted = other.m_converted;
    m_failed = other.m_failed;
    m_message = std::move(other.m_message);
    m_converterProgram = std::move(other.m_converterProgram);
    m_folderOpener = std::move(other.m_folderOpener);
    return *this;
}

ReportTask::~ReportTask() = default;

bool ReportTask::isAllProgramsCalculated() const
{
    return m_nextProgram >= static_cast<int>(m_programs.size());
}

qint64 ReportTask::getProgramsDuration() const
{
    if (m_programs.empty())
        return 0;
    const qint64 duration = m_programs.back().getEnd() - m_programs.front().getStart();
    return duration > 0 ? duration : 0;
}

void ReportTask::calculateNextSlice(AAgDataModel *model)
{
    const int count = static_cast<int>(m_programs.size());
    if (m_nextProgram < 0 || m_nextProgram >= count) {
        m_nextProgram = count;
        return;
    }
    const Program &program = m_programs[static_cast<size_t>(m_nextProgram)];
    if (program.getProgramId() == -1 || program.getStart() <= 0) {
        ++m_nextProgram;
        return;
    }
    auto calculator = m_calculators.find(program.getProgramId());
    if (calculator == m_calculators.end()) {
        calculator = m_calculators.insert(
            program.getProgramId(),
            ReportProgramCalculator(m_checkIAtProgramEndOnly, m_instrumentConfig, m_agConfig));
        calculator->setInterval(program.getProgramId(), program.getStart(), program.getEnd());
    }
    calculator->processNextChunk(model);
    if (calculator->isFinished())
        ++m_nextProgram;
}

void ReportTask::setConverterProgram(const QString &programPath)
{
    m_converterProgram = programPath;
    if (!m_converterStarted)
        m_converter = programPath.isEmpty() ? HtmlToPdf() : HtmlToPdf(programPath);
}

void ReportTask::setFolderOpener(FolderOpener opener)
{
    m_folderOpener = std::move(opener);
}

void ReportTask::step(AAgDataModel *model)
{
    updateState();
    switch (m_state) {
    case StatePrepare:
        prepareStep(model);
        break;
    case StateConvert:
        convertStep();
        break;
    case StateFinish:
        finishStep();
        break;
    default:
        break;
    }
}

void ReportTask::cancel()
{
    m_cancelled = true;
    updateState();
}

void ReportTask::updateState()
{
    if (m_cancelled) {
        if (m_state == StateDone)
            return;
        if (m_state == StateConvert)
            m_converter.terminate();
        cleanupTemporaryFiles();
        m_finished = true;
        m_state = StateDone;
        return;
    }
    switch (m_state) {
    case StatePrepare:
        if (m_failed)
            m_state = StateFinish;
        else if (isAllProgramsCalculated())
            m_state = StateConvert;
        break;
    case StateConvert:
        if (m_converted || m_failed)
            m_state = StateFinish;
        break;
    case StateFinish:
        if (m_finished)
            m_state = StateDone;
        break;
    default:
        break;
    }
}

void ReportTask::prepareStep(AAgDataModel *model)
{
    calculateNextSlice(model);
    if (!isAllProgramsCalculated())
        return;
    if (!prepareFiles()) {
        m_failed = true;
        m_message = QLatin1String(kMessageFilesFailed);
    }
}

void ReportTask::convertStep()
{
    if (!m_converterStarted) {
        m_converterStarted = true;
        if (!m_converter.start(getXmlFilePath(), getXslFilePath(), getTmpFilePath(),
                               getPdfFilePath())) {
            m_failed = true;
            m_message = QLatin1String(kMessageStartFailed);
        }
        return;
    }
    if (!m_converter.isFinished())
        return;
    if (m_converter.getExitCode() == 0) {
        m_converted = true;
        m_message = QLatin1String(kMessageCreated);
    } else {
        m_failed = true;
        m_message = QLatin1String(kMessageConversionFailed);
    }
}

void ReportTask::finishStep()
{
    KIV_LOG(4, "%s\n", qUtf8Printable(m_message));
    cleanupTemporaryFiles();
    ASystem *system = ASystem::instance();
    if (!system || system->onManualReportFinished(m_nameKey, m_converted, m_failed, m_message) != 0)
        return; // posted again at the next step
    m_finished = true;
    if (!m_converted)
        return;
    const QString folder = getReportsFolderPath();
    // fromLocalFile: a "file:///" prefix before an absolute path would give four slashes.
    const FolderOpener open = m_folderOpener ? m_folderOpener : FolderOpener(openWithDesktop);
    open(QUrl::fromLocalFile(folder), [folder](bool opened) {
        if (opened)
            return;
        KIV_LOG(4, "Could not open the specified folder path: [%s]\n", qUtf8Printable(folder));
        if (ASystem *system = ASystem::instance())
            system->showAlert(QStringLiteral("Could not open the report folder on this desktop. "
                                             "The report is in %1")
                                  .arg(QDir::toNativeSeparators(folder)));
    });
}

bool ReportTask::prepareFiles()
{
    cleanupTemporaryFiles();
    const QString reports = getReportsFolderPath();
    if (QDir(reports).exists()) {
        const QString pdf = getPdfFilePath();
        if (QFile::exists(pdf) && !QFile::remove(pdf))
            return false;
    } else if (!QDir().mkpath(reports)) {
        return false;
    }
    if (!QDir().mkpath(getTmpFolderPath()) || !writeXml())
        return false;
    initKivResources();
    return QFile::copy(QStringLiteral(":/assets/report/style.css"), getStyleFilePath()) &&
           QFile::copy(QStringLiteral(":/assets/report/report.xsl"), getXslFilePath());
}

bool ReportTask::writeXml()
{
    QFile file(getXmlFilePath());
    if (file.exists() && !file.remove())
        return false;
    if (!file.open(QIODevice::ReadWrite | QIODevice::Truncate))
        return false;
    QTextStream stream(&file);
    stream.setCodec("UTF-8");
    const bool composed = ReportXMLComposer(&stream, this).compose();
    stream.flush();
    // A full disk shows in the stream or, for the last buffer, in the file.
    const bool written = stream.status() != QTextStream::WriteFailed &&
                         file.error() == QFileDevice::NoError && file.flush();
    file.close();
    return composed && written;
}

void ReportTask::cleanupTemporaryFiles()
{
    const QString tmpFolder = getTmpFolderPath();
    QDir folder(tmpFolder);
    for (const QString &name :
         folder.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Unsorted)) {
        QFile file(folder.filePath(name));
        // The copies of the resources are read-only.
        file.setPermissions(QFile::WriteUser);
        if (!file.remove())
            qDebug() << file.errorString();
    }
    QDir(getDataFolderPath()).rmdir(QFileInfo(tmpFolder).fileName());
    const QString tmpFile = getTmpFilePath();
    if (QFile::exists(tmpFile))
        QFile::remove(tmpFile);
}

QString ReportTask::folderName(const char *prefix) const
{
    return argList(
        QLatin1String(prefix) + QStringLiteral("I__%1_A__%2"),
        {sanitizeFileName(m_instrumentConfig.getName()), sanitizeFileName(m_agConfig.getName())});
}

QString ReportTask::reportFileName(const char *suffix) const
{
    return argList(QStringLiteral("Report_I__%1_A__%2_%3-%4") + QLatin1String(suffix),
                   {sanitizeFileName(m_instrumentConfig.getName()),
                    sanitizeFileName(m_agConfig.getName()), QString::number(m_startTime),
                    QString::number(m_endTime)});
}

QString ReportTask::getTmpFolderPath() const
{
    return joined(getDataFolderPath(), folderName("tmp_"));
}

QString ReportTask::getXmlFilePath() const
{
    return joined(getTmpFolderPath(), reportFileName(".xml"));
}

QString ReportTask::getStyleFilePath() const
{
    return joined(getTmpFolderPath(), QStringLiteral("style.css"));
}

QString ReportTask::getXslFilePath() const
{
    return joined(getTmpFolderPath(), QStringLiteral("report.xsl"));
}

QString ReportTask::getReportsFolderPath() const
{
    return getAgReportsFolderPath(m_instrumentConfig.getName(), m_agConfig.getName());
}

QString ReportTask::getTmpFilePath() const
{
    return joined(getReportsFolderPath(), reportFileName(".tmp"));
}

QString ReportTask::getPdfFilePath() const
{
    return joined(getReportsFolderPath(), reportFileName(".pdf"));
}
