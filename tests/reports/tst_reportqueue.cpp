// Report jobs run the way an audiogroup controller runs them: command 7 picks the period,
// every pass of the controller's loop advances the front job one step, and the outcome goes
// to the system front.
#include "ReportTestUtil.h"

#include <AgController.h>
#include <AgServiceFactories.h>
#include <CancelManualReportCommandParameter.h>
#include <Command.h>
#include <FakeSystem.h>
#include <GenerateManualReportCommandParameter.h>
#include <KivTest.h>
#include <ReportTaskQueue.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QThread>
#include <QUrl>

#include <functional>

using namespace ReportTest;
using KivTest::childProcesses;

namespace {

const QString kInstrument = QStringLiteral("Studio 2");
const QString kAudiogroup = QStringLiteral("Main");
const QString kKey = QStringLiteral("1700000000000_Studio 2_Main");
constexpr qint64 kSixHours = 21600000;

const char *const kCreated = "Report file created successfully";
const char *const kConversionFailed = "Report generation failed; html to pdf conversion failed";
const char *const kStartFailed = "Report generation failed; could not start html to pdf conversion";
const char *const kFilesFailed = "Report generation failed; templ file generation failure";

QString reportsFolder()
{
    return getDataFolderFilePath(QStringLiteral("reports_I__Studio2_A__Main"));
}

QString tmpFolder()
{
    return getDataFolderFilePath(QStringLiteral("tmp_I__Studio2_A__Main"));
}

// The report of the last six hours of the logged day.
QString reportName(const char *suffix)
{
    return QStringLiteral("Report_I__Studio2_A__Main_%1-%2%3")
        .arg(LoggedDay::kReportStart)
        .arg(LoggedDay::kNewest)
        .arg(QLatin1String(suffix));
}

Command *reportCommand(const QString &key, qint64 duration = kSixHours)
{
    return new Command(AgController::CmdGenerateReport,
                       new GenerateManualReportCommandParameter(key, duration));
}

Command *cancelCommand(const QString &key)
{
    return new Command(AgController::CmdCancelReport, new CancelManualReportCommandParameter(key));
}

// An audiogroup controller stepped by the test instead of its thread.
struct SteppedController
{
    AgController controller;

    explicit SteppedController(const QString &audiogroup = kAudiogroup)
    {
        controller.init(false, InstrumentConfig(kInstrument), agConfig(audiogroup));
        controller.unpause();
        controller.step();
    }
    ~SteppedController()
    {
        controller.stop();
        controller.step();
        controller.finish();
    }

    // Queues command 7 and runs it; true when a job was made.
    bool request(const QString &key, ReportTaskQueue *const &queue)
    {
        if (controller.enqueue(reportCommand(key)) != 0)
            return false;
        const size_t before = queue ? queue->getTasks().size() : 0;
        controller.step();
        return queue && queue->getTasks().size() > before;
    }

    // Passes of the loop until the condition holds; false after 30 s.
    bool stepUntil(const std::function<bool()> &condition)
    {
        QElapsedTimer timer;
        timer.start();
        while (!condition()) {
            if (timer.elapsed() > 30000)
                return false;
            controller.step();
            // The converter runs as a process of its own: give it the processor.
            QThread::usleep(200);
        }
        return true;
    }
};

} // namespace

class TestReportQueue : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    FakeSystem m_system;
    QString m_converter;
    QString m_opener; // "opens", "cannot open" or "desktop": the desktop's opener
    QList<QUrl> m_opened;
    ReportTaskQueue *m_queue = nullptr;

    QString script(const QString &name, const QByteArray &body)
    {
        const QString path = m_dir.filePath(name);
        return writeShellScript(path, body) ? path : QString();
    }

    QString converterOf(const QString &kind)
    {
        if (kind == QLatin1String("real"))
            return QStringLiteral(KIV_HTML2PDF_PATH);
        if (kind == QLatin1String("fails"))
            return script(kind, "echo 'KivHtml2Pdf: cannot read' >&2; exit 3");
        if (kind == QLatin1String("killed"))
            return script(kind, "kill -9 $$");
        // Writes its temporary file, then keeps running.
        if (kind == QLatin1String("slow"))
            return script(kind, "touch \"$5\"; exec sleep 60");
        return m_dir.filePath(QStringLiteral("missing"));
    }

    // The outcomes posted, refused ones included.
    QList<QVariantList> outcomes() const
    {
        QList<QVariantList> found;
        for (const FakeSystem::Call &call : m_system.calls()) {
            if (call.name == QLatin1String("onManualReportFinished"))
                found << call.args;
        }
        return found;
    }

    void verifyNoTemporaryFiles()
    {
        QVERIFY2(!QFileInfo::exists(tmpFolder()), qPrintable(tmpFolder()));
        QVERIFY(!QFileInfo::exists(QDir(reportsFolder()).filePath(reportName(".tmp"))));
        QCOMPARE(childProcesses(), (QList<QPair<int, QChar>>{}));
    }

private slots:
    void initTestCase()
    {
        KivTest::captureLog();
        auto store = freshStore(InstrumentConfig(kInstrument), agConfig(kAudiogroup));
        QCOMPARE(ReportTest::store(*store, LoggedDay::samples()), 0);
        store.reset();
        AgServiceFactories factories;
        factories.reportTasks = [this] {
            m_queue = new ReportTaskQueue();
            m_queue->setConverterProgram(m_converter);
            m_queue->setFolderOpener([this](const QUrl &folder, DesktopOpened told) {
                m_opened << folder;
                if (m_opener == QLatin1String("desktop"))
                    openOnDesktop(folder.toLocalFile(), std::move(told));
                else
                    told(m_opener == QLatin1String("opens"));
            });
            return m_queue;
        };
        AgServiceFactories::install(factories);
    }

    void init()
    {
        m_system.clearCalls();
        m_system.setPostResult(0);
        m_opener = QStringLiteral("opens");
        m_opened.clear();
        QDir(reportsFolder()).removeRecursively();
        QFile::remove(reportsFolder());
        QDir(tmpFolder()).removeRecursively();
    }

    void outcome_data()
    {
        QTest::addColumn<QString>("converter");
        QTest::addColumn<QString>("blocker"); // what stands in the way of the files
        QTest::addColumn<QString>("opener");
        QTest::addColumn<bool>("converted");
        QTest::addColumn<QString>("message");

        QTest::newRow("PDF made") << "real"
                                  << "" << "opens" << true << kCreated;
        QTest::newRow("PDF made, no desktop to open its folder")
            << "real"
            << "" << "cannot open" << true << kCreated;
        // xdg-open starts, then finds nothing to open the folder with.
        QTest::newRow("PDF made, the desktop's opener fails")
            << "real"
            << "" << "desktop" << true << kCreated;
        QTest::newRow("converter fails") << "fails"
                                         << "" << "opens" << false << kConversionFailed;
        QTest::newRow("converter killed") << "killed"
                                          << "" << "opens" << false << kConversionFailed;
        QTest::newRow("converter missing") << "missing"
                                           << "" << "opens" << false << kStartFailed;
        QTest::newRow("reports folder cannot be made")
            << "real"
            << "file at reports folder" << "opens" << false << kFilesFailed;
        QTest::newRow("old PDF cannot be removed")
            << "real"
            << "folder at PDF" << "opens" << false << kFilesFailed;
    }

    // Every job ends with one outcome, its temporary files gone and no converter left.
    void outcome()
    {
        QFETCH(QString, converter);
        QFETCH(QString, blocker);
        QFETCH(QString, opener);
        QFETCH(bool, converted);
        QFETCH(QString, message);
        m_converter = converterOf(converter);
        m_opener = opener;
        const bool folderOpens = opener == QLatin1String("opens");
        const QByteArray path = qgetenv("PATH");
        auto restorePath = qScopeGuard([path] { qputenv("PATH", path); });
        qputenv("PATH", QFile::encodeName(m_dir.path()) + ':' + path);
        QVERIFY(writeShellScript(m_dir.filePath(QStringLiteral("xdg-open")),
                                 "echo 'xdg-open: no method available for opening' >&2; exit 3"));
        const QString pdf = QDir(reportsFolder()).filePath(reportName(".pdf"));
        if (blocker == QLatin1String("file at reports folder")) {
            QFile file(reportsFolder());
            QVERIFY(file.open(QIODevice::WriteOnly));
        } else if (blocker == QLatin1String("folder at PDF")) {
            QVERIFY(QDir().mkpath(pdf + QStringLiteral("/inside")));
        }

        const QString openFailure =
            QStringLiteral("Could not open the specified folder path: [%1]").arg(reportsFolder());
        const int openFailuresBefore = KivTest::captureLog()->count(openFailure);

        SteppedController agc;
        QVERIFY(agc.request(kKey, m_queue));
        QVERIFY(agc.stepUntil([this] { return !m_queue->hasTasks(); }));

        QCOMPARE(outcomes(), (QList<QVariantList>{{kKey, converted, !converted, message}}));
        // The user learns it too, with the path.
        QTRY_COMPARE(m_system.alertTexts(),
                     converted && !folderOpens
                         ? QStringList{"Could not open the report folder on this desktop. The "
                                       "report is in " +
                                       reportsFolder()}
                         : QStringList{});
        verifyNoTemporaryFiles();
        QCOMPARE(QFileInfo(pdf).isFile(), converted);
        QCOMPARE(m_opened,
                 converted ? QList<QUrl>{QUrl::fromLocalFile(reportsFolder())} : QList<QUrl>{});
        if (converted) {
            QVERIFY(m_opened.front().toString().startsWith(QLatin1String("file:///")));
            QVERIFY(!m_opened.front().toString().startsWith(QLatin1String("file:////")));
        }
        QCOMPARE(KivTest::captureLog()->count(openFailure) - openFailuresBefore,
                 converted && !folderOpens ? 1 : 0);
    }

    void cancelInEachState_data()
    {
        QTest::addColumn<int>("state");
        QTest::newRow("calculating") << 0;
        QTest::newRow("converting") << 1;
        QTest::newRow("posting the outcome") << 2;
    }

    // A cancelled job ends at once: no outcome, no files, no converter.
    void cancelInEachState()
    {
        QFETCH(int, state);
        m_converter = converterOf(state == 2 ? QStringLiteral("fails") : QStringLiteral("slow"));
        if (state == 2)
            m_system.setPostResult(-1);
        const QString tmpFile = QDir(reportsFolder()).filePath(reportName(".tmp"));
        SteppedController agc;
        QVERIFY(agc.request(kKey, m_queue));
        const int steps = state == 0 ? 5 : 0;
        int stepped = 0;
        QVERIFY(agc.stepUntil([&] {
            const std::vector<ReportTask> &tasks = m_queue->getTasks();
            if (tasks.empty() || tasks.front().getState() < state)
                return false;
            if (state == 1)
                return QFileInfo::exists(tmpFile);
            return ++stepped > steps;
        }));
        QCOMPARE(m_queue->getTasks().front().getState(), state);
        if (state == 1)
            QCOMPARE(childProcesses().size(), 1);
        const int postsBefore = outcomes().size();

        QCOMPARE(agc.controller.enqueue(cancelCommand(kKey)), 0);
        agc.controller.step();
        QVERIFY(!m_queue->hasTasks());
        verifyNoTemporaryFiles();
        // Cancelling again, or another key, changes nothing.
        m_system.setPostResult(0);
        QCOMPARE(agc.controller.enqueue(cancelCommand(kKey)), 0);
        QCOMPARE(agc.controller.enqueue(cancelCommand(QStringLiteral("other"))), 0);
        for (int i = 0; i < 5; ++i)
            agc.controller.step();
        QCOMPARE(outcomes().size(), postsBefore);
        QVERIFY(!QFileInfo::exists(QDir(reportsFolder()).filePath(reportName(".pdf"))));
    }

    // A refused post is tried at every step until the system controller takes it.
    void outcomePostedAgainUntilTaken()
    {
        m_converter = converterOf(QStringLiteral("fails"));
        m_system.setPostResult(-1);
        SteppedController agc;
        QVERIFY(agc.request(kKey, m_queue));
        QVERIFY(agc.stepUntil([this] { return outcomes().size() >= 3; }));
        QVERIFY(m_queue->hasTasks());
        m_system.clearCalls();
        m_system.setPostResult(0);
        QVERIFY(agc.stepUntil([this] { return !m_queue->hasTasks(); }));
        QCOMPARE(outcomes(), (QList<QVariantList>{{kKey, false, true, kConversionFailed}}));
        for (int i = 0; i < 5; ++i)
            agc.controller.step();
        QCOMPARE(outcomes().size(), 1);
    }

    void requestThatMakesNoJob_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("store cannot be read") << "unreadable";
        QTest::newRow("dropped when the controller pauses") << "pause";
        QTest::newRow("dropped when the controller stops") << "stop";
    }

    // The report screen waits for every report it asked for: one that cannot be made
    // still gets a failed outcome.
    void requestThatMakesNoJob()
    {
        QFETCH(QString, how);
        const QString audiogroup = QStringLiteral("Broken");
        const QString dbPath = getAgDbFilePath(kInstrument, audiogroup);
        if (how == QLatin1String("unreadable"))
            QVERIFY(QDir().mkpath(dbPath));
        {
            SteppedController agc(how == QLatin1String("unreadable") ? audiogroup : kAudiogroup);
            QCOMPARE(agc.controller.enqueue(reportCommand(kKey)), 0);
            if (how == QLatin1String("pause"))
                agc.controller.pause();
            else if (how == QLatin1String("stop"))
                agc.controller.stop();
            agc.controller.step();
            QVERIFY(!m_queue->hasTasks());
        }
        QDir(dbPath).removeRecursively();
        QCOMPARE(outcomes(),
                 (QList<QVariantList>{{kKey, false, true,
                                       QStringLiteral("Report generation failed; could not read "
                                                      "the audiogroup data")}}));
        verifyNoTemporaryFiles();
    }

    // Only the front job advances; a cancel takes the first job of its key.
    void onlyTheFrontJobRuns()
    {
        m_converter = converterOf(QStringLiteral("missing"));
        SteppedController agc;
        for (const char *key : {"A", "B", "B"})
            QVERIFY(agc.request(QLatin1String(key), m_queue));
        for (int i = 0; i < 3; ++i)
            agc.controller.step();
        const std::vector<ReportTask> &tasks = m_queue->getTasks();
        QCOMPARE(tasks.size(), size_t(3));
        QVERIFY(!tasks[0].getCalculators().isEmpty());
        QVERIFY(tasks[1].getCalculators().isEmpty() && tasks[2].getCalculators().isEmpty());

        QCOMPARE(agc.controller.enqueue(cancelCommand(QStringLiteral("B"))), 0);
        agc.controller.step();
        QVERIFY(tasks[1].isCancelled());
        QVERIFY(!tasks[2].isCancelled());
        QVERIFY(agc.stepUntil([this] { return !m_queue->hasTasks(); }));
        QCOMPARE(outcomes(), (QList<QVariantList>{{"A", false, true, kStartFailed},
                                                  {"B", false, true, kStartFailed}}));
    }
};

KIV_TEST_MAIN(TestReportQueue, QCoreApplication)

#include "tst_reportqueue.moc"
