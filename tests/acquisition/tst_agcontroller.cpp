// The audiogroup controller's command table and its backup of old programs, each through a
// controller with its own store file.
#include "ControllerTestUtil.h"
#include "FakeSystem.h"
#include "IdleExportManager.h"
#include "KivTest.h"

#include <AAgViewController.h>
#include <AAudioGroup.h>
#include <ADBImportManager.h>
#include <AInstrument.h>
#include <AReportTaskQueue.h>
#include <AgController.h>
#include <AgDataReceivedCommandParameter.h>
#include <AgGetDataCommandParam.h>
#include <AgGetDataCommandReply.h>
#include <AgRequestTimestampCommandParameter.h>
#include <AgServiceFactories.h>
#include <AgStoreResult.h>
#include <CancelManualReportCommandParameter.h>
#include <Command.h>
#include <DBExportCommandParameter.h>
#include <DBImportCommandParameter.h>
#include <DBXMLImportCommandParameter.h>
#include <GenerateManualReportCommandParameter.h>
#include <InstrumentManager.h>
#include <KivUtils.h>
#include <ORQLogging.h>
#include <SaveConfigToDbCommandParameter.h>
#include <UpdateAgConfigCommandParameter.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMutex>
#include <QRegularExpression>

#include <sqlite3.h>

#include <atomic>
#include <functional>
#include <memory>

using namespace ControllerTest;

namespace {

const QString kMeter = QStringLiteral("M1");
const QString kGroup = QStringLiteral("A");
constexpr qint64 kT0 = 1700000000000;
constexpr qint64 kHourMs = 3600000;
// Its id as the fake import manager answers it.
constexpr int kImportId = 7;

// What the audiogroup's services were asked to do, in order; written on the controller's
// thread.
KivTest::LineRecorder &recorder()
{
    static KivTest::LineRecorder instance;
    return instance;
}

class RecordingView : public AAgViewController
{
public:
    int init(bool, const InstrumentConfig &, const AgConfig &) override { return 0; }
    void updateConfig(bool, const InstrumentConfig &, const AgConfig &) override {}
    void start() override { recorder().add(QStringLiteral("view start")); }
    void stop() override {}
    void stopUpdateTimer() override {}
    void disposeTableView() override {}
    void pause() override {}
    void unpause() override {}
    void setDataReply(AgGetDataCommandReply *reply) override
    {
        recorder().add(QStringLiteral("view reply %1 %2 samples")
                           .arg(reply->getStatus())
                           .arg(reply->getData() ? reply->getData()->size() : -1));
        delete reply;
    }
    void showPleaseWait(const QString &text) override { recorder().add("view wait " + text); }
    void hidePleaseWait() override { recorder().add(QStringLiteral("view wait hidden")); }
    void resetProgramData() override {}
    void showExportProgress(const QString &, bool, qint64, qint64) override {}
    void hideExportProgress() override {}
};

class RecordingReports : public AReportTaskQueue
{
public:
    void addTask(const QString &name, bool, const ReportConfig &, const InstrumentConfig &,
                 const AgConfig &, const std::vector<Program> &programs, qint64 from,
                 qint64 to) override
    {
        recorder().add(QStringLiteral("report %1 from %2 to %3, programs: %4")
                           .arg(name)
                           .arg(from - kT0)
                           .arg(to - kT0)
                           .arg(programs.size()));
    }
    void processFront(AAgDataModel *) override {}
    void cancelTask(const QString &name) override { recorder().add("report cancel " + name); }
    void cancelAll() override {}
    bool hasTasks() const override { return false; }
};

class RecordingImport : public ADBImportManager
{
public:
    void process(bool, InstrumentConfig *, AgConfig *, AAgDataModel *, AgViolations *) override {}
    int startImport(int id, int sourceType, const QString &path) override
    {
        recorder().add(QStringLiteral("import %1 type %2 %3").arg(id).arg(sourceType).arg(path));
        m_importing = true;
        return 0;
    }
    int startXmlImport(int id, AgDataVector *data, int value) override
    {
        // Takes the samples over, as the real one does.
        recorder().add(QStringLiteral("xml import %1 value %2, %3 samples")
                           .arg(id)
                           .arg(value)
                           .arg(data->size()));
        delete data;
        return 0;
    }
    bool isImporting() const override { return m_importing; }
    bool isCompleted() const override { return false; }
    bool hasFailed() const override { return false; }
    qint64 getProgressValue() const override { return 3; }
    qint64 getProgressTotal() const override { return 10; }
    int getRequestId() const override { return kImportId; }
    QString getMessage() const override { return QStringLiteral("importing"); }

private:
    bool m_importing = false;
};

// Records the start but never runs, so that no progress is shown every cycle.
class RecordingExport : public IdleExportManager
{
public:
    int startExport(const InstrumentConfig &, const AgConfig &, qint64 from, qint64 to,
                    const QString &path) override
    {
        recorder().add(
            QStringLiteral("export from %1 to %2 into %3").arg(from - kT0).arg(to - kT0).arg(path));
        return 0;
    }
    int cancel() override
    {
        recorder().add(QStringLiteral("export cancel"));
        return -1;
    }
};

// Commands that count their deletion: the queue deletes each once its handler ran, or at
// once when it refuses it.
std::atomic<int> gDeleted{0};

class CountedCommand : public Command
{
public:
    using Command::Command;
    ~CountedCommand() override { ++gDeleted; }
};

Command *command(int type, CommandParameter *parameter = nullptr)
{
    return new CountedCommand(type, parameter);
}

using Script = std::function<QList<Command *>()>;

AgDataVector *samples(qint64 offset, int count)
{
    return loudBatch(kT0 + offset, count);
}

Command *batchOf(qint64 offset, int count, const QString &meterName = kMeter)
{
    return command(AgController::CmdSamplesReceived,
                   new AgDataReceivedCommandParameter(meterName, samples(offset, count)));
}

// The log lines of the command table, without their time stamps and durations.
QStringList commandLines(const QStringList &entries)
{
    static const QRegularExpression duration(QStringLiteral(" \\d+ ms\\n$"));
    QStringList lines;
    for (const QString &entry : entries) {
        const QString text = entry.section(QLatin1Char('\n'), 2).mid(2);
        if (text.contains(QStringLiteral("AGController[")) || text.startsWith("AgCtrl["))
            lines << QString(text).remove(duration).trimmed();
    }
    return lines;
}

// The configuration rows of a store file.
QStringList configRows(const QString &path)
{
    QStringList rows;
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) ==
        SQLITE_OK) {
        sqlite3_stmt *statement = nullptr;
        if (sqlite3_prepare_v2(db, "SELECT instrumentName, agSourceName, rawXml FROM config", -1,
                               &statement, nullptr) == SQLITE_OK) {
            while (sqlite3_step(statement) == SQLITE_ROW) {
                QStringList columns;
                for (int c = 0; c < 3; ++c)
                    columns << QString::fromUtf8(
                        reinterpret_cast<const char *>(sqlite3_column_text(statement, c)));
                rows << columns.join(QLatin1Char('|'));
            }
        }
        sqlite3_finalize(statement);
    }
    sqlite3_close(db);
    return rows;
}

// Programs under log_backup, as "<programId>".
QStringList backedUpPrograms()
{
    static const QRegularExpression id(QStringLiteral("_bckp_(\\d+)_"));
    QStringList ids;
    const QStringList files = QDir(getLogBackupFolderPath()).entryList(QDir::Files, QDir::Name);
    for (const QString &file : files) {
        const QRegularExpressionMatch match = id.match(file);
        if (match.hasMatch() && !file.endsWith(QLatin1String("-journal")))
            ids << match.captured(1);
    }
    ids.sort();
    return ids;
}

} // namespace

Q_DECLARE_METATYPE(Script)

class TestAgController : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void commandTable_data();
    void commandTable();
    void backupOfOldPrograms_data();
    void backupOfOldPrograms();
};

void TestAgController::initTestCase()
{
    AgServiceFactories factories;
    factories.viewController = [] { return new RecordingView(); };
    factories.reportTasks = [] { return new RecordingReports(); };
    factories.importManager = [] { return new RecordingImport(); };
    factories.exportManager = [] { return new RecordingExport(); };
    AgServiceFactories::install(factories);
    KivTest::captureLog();
}

void TestAgController::init()
{
    QVERIFY(createDataFolder());
    for (const QString &file : QDir(getDataFolderPath()).entryList(QDir::Files))
        QFile::remove(getDataFolderFilePath(file));
    QDir(getLogBackupFolderPath()).removeRecursively();
    recorder().take();
}

// Every command type, through the controller of audiogroup "A" of a running meter "M1".
// Columns: what the services were asked (view, reports, import, export), what reached the
// system front, what the meter's record of "A" shows afterwards (empty: not looked at),
// and the controller's failure, unknown-type and success lines.
void TestAgController::commandTable_data()
{
    QTest::addColumn<bool>("paused");
    QTest::addColumn<Script>("script");
    QTest::addColumn<QStringList>("services");
    QTest::addColumn<QStringList>("system");
    QTest::addColumn<QString>("meter");
    QTest::addColumn<QStringList>("lines");

    const QString failed = QStringLiteral("AGController[M1][A]command[%1] failed: -1");
    const QString stored = QStringLiteral("AgCtrl[M1][A]cmd[1] success: %1 samples");
    const QString gapCode = QString::number(kStoreGapCode);

    QTest::newRow("paused: refused")
        << true
        << Script([] { return QList<Command *>{command(AgController::CmdPublishViolations)}; })
        << QStringList() << QStringList() << QString() << QStringList();

    QTest::newRow("0: newest time stamp to the meter") << false << Script([] {
        return QList<Command *>{command(AgController::CmdRequestTimestamp,
                                        new AgRequestTimestampCommandParameter(kMeter))};
    }) << QStringList() << QStringList() << "timestamp 0 (state 0), store code 0"
                                                       << QStringList();
    QTest::newRow("0: meter gone") << false << Script([] {
        return QList<Command *>{command(AgController::CmdRequestTimestamp,
                                        new AgRequestTimestampCommandParameter("M9"))};
    }) << QStringList() << QStringList()
                                   << "timestamp none, store code 0" << QStringList{failed.arg(0)};
    QTest::newRow("0: no payload")
        << false
        << Script([] { return QList<Command *>{command(AgController::CmdRequestTimestamp)}; })
        << QStringList() << QStringList() << QString() << QStringList{failed.arg(0)};

    QTest::newRow("1: stored, the store's code to the meter")
        << false << Script([] {
               return QList<Command *>{batchOf(0, 3), batchOf(2000, 2)};
           })
        << QStringList() << QStringList{"violations, true peak 2", "violations, true peak 4"}
        << QStringLiteral("timestamp %1 (state 0), store code %2").arg(kT0 + 2100).arg(gapCode)
        << QStringList{stored.arg(3), stored.arg(2)};
    QTest::newRow("1: stored, meter gone")
        << false << Script([] { return QList<Command *>{batchOf(0, 3, "M9")}; }) << QStringList()
        << QStringList{"violations, true peak 2"} << "timestamp none, store code 0"
        << QStringList{stored.arg(3)};
    QTest::newRow("1: no payload")
        << false
        << Script([] { return QList<Command *>{command(AgController::CmdSamplesReceived)}; })
        << QStringList() << QStringList() << QString() << QStringList{failed.arg(1)};

    QTest::newRow("2: window started")
        << false << Script([] { return QList<Command *>{command(AgController::CmdShowView)}; })
        << QStringList{"view start"} << QStringList() << QString() << QStringList();

    QTest::newRow("3: window answered") << false << Script([] {
        return QList<Command *>{
            batchOf(0, 3),
            command(AgController::CmdGetData,
                    new AgGetDataCommandParam(ZoomLevel30s, kT0, kT0 + 30000, ProgramRequest()))};
    }) << QStringList{"view reply 0 3 samples"}
                                        << QStringList{"violations, true peak 2"} << QString()
                                        << QStringList{stored.arg(3)};
    QTest::newRow("3: no payload, no answer")
        << false << Script([] { return QList<Command *>{command(AgController::CmdGetData)}; })
        << QStringList() << QStringList() << QString() << QStringList{failed.arg(3)};

    QTest::newRow("4 and 6: counters published, reset") << false << Script([] {
        return QList<Command *>{batchOf(0, 3), command(AgController::CmdPublishViolations),
                                command(AgController::CmdResetViolations)};
    }) << QStringList() << QStringList{"violations, true peak 2", "violations, true peak 0"}
                                                        << QString() << QStringList{stored.arg(3)};

    QTest::newRow("5: configuration applied") << false << Script([] {
        AgConfig quiet = group(kGroup);
        quiet.setTPUpperThreshold(30.0);
        return QList<Command *>{
            command(AgController::CmdUpdateConfig,
                    new UpdateAgConfigCommandParameter(false, meter(kMeter, {quiet}), quiet)),
            batchOf(0, 3), command(AgController::CmdPublishViolations)};
    }) << QStringList() << QStringList() << QString()
                                              << QStringList{stored.arg(3)};
    QTest::newRow("5: no payload")
        << false << Script([] { return QList<Command *>{command(AgController::CmdUpdateConfig)}; })
        << QStringList() << QStringList() << QString() << QStringList{failed.arg(5)};

    QTest::newRow("7 and 8: report queued, cancelled") << false << Script([] {
        return QList<Command *>{
            batchOf(0, 3),
            command(AgController::CmdGenerateReport,
                    new GenerateManualReportCommandParameter("R1", 1000)),
            command(AgController::CmdCancelReport, new CancelManualReportCommandParameter("R1"))};
    }) << QStringList{"report R1 from -800 to 200, programs: 1", "report cancel R1"}
                                                       << QStringList{"violations, true peak 2"}
                                                       << QString() << QStringList{stored.arg(3)};
    QTest::newRow("7: no length") << false << Script([] {
        return QList<Command *>{command(AgController::CmdGenerateReport,
                                        new GenerateManualReportCommandParameter("R1", 0))};
    }) << QStringList() << QStringList()
                                  << QString() << QStringList{failed.arg(7)};
    QTest::newRow("8: no payload")
        << false << Script([] { return QList<Command *>{command(AgController::CmdCancelReport)}; })
        << QStringList() << QStringList() << QString() << QStringList{failed.arg(8)};

    QTest::newRow("9, 10 and 11: imports and their status")
        << false << Script([] {
               return QList<Command *>{
                   command(AgController::CmdImportDb,
                           new DBImportCommandParameter(kImportId, 1, "/in.db")),
                   command(AgController::CmdImportXml,
                           new DBXMLImportCommandParameter(kImportId, 2, samples(0, 4))),
                   command(AgController::CmdImportStatus,
                           new DBImportCommandParameter(kImportId, -1, QString())),
                   command(AgController::CmdImportStatus,
                           new DBImportCommandParameter(kImportId + 1, -1, QString()))};
           })
        << QStringList{"import 7 type 1 /in.db", "xml import 7 value 2, 4 samples"}
        << QStringList{"import status: completed 0, failed 0, importing, 3 of 10",
                       "import status: completed 0, failed 1, Invalid import operation id, 100 of "
                       "100"}
        << QString() << QStringList();
    QTest::newRow("9, 10 and 11: no payload")
        << false << Script([] {
               return QList<Command *>{command(AgController::CmdImportDb),
                                       command(AgController::CmdImportXml),
                                       command(AgController::CmdImportStatus)};
           })
        << QStringList() << QStringList() << QString()
        << QStringList{failed.arg(9), failed.arg(10), failed.arg(11)};

    QTest::newRow("12: configuration row saved") << false << Script([] {
        return QList<Command *>{command(AgController::CmdSaveConfig,
                                        new SaveConfigToDbCommandParameter("<SystemConfig/>"))};
    }) << QStringList() << QStringList{"config row M1|A|<SystemConfig/>"}
                                                 << QString() << QStringList();
    QTest::newRow("12: no payload")
        << false << Script([] { return QList<Command *>{command(AgController::CmdSaveConfig)}; })
        << QStringList() << QStringList() << QString() << QStringList{failed.arg(12)};

    QTest::newRow("13 and 14: export started, cancelled") << false << Script([] {
        return QList<Command *>{
            batchOf(0, 3),
            command(AgController::CmdExportDb, new DBExportCommandParameter("/out.db")),
            command(AgController::CmdCancelExport)};
    }) << QStringList{"export from 0 to 200 into /out.db", "export cancel"}
                                                          << QStringList{"violations, true peak 2"}
                                                          << QString()
                                                          << QStringList{stored.arg(3)};
    QTest::newRow("13: refused while importing")
        << false << Script([] {
               return QList<Command *>{
                   command(AgController::CmdImportDb,
                           new DBImportCommandParameter(kImportId, 1, "/in.db")),
                   command(AgController::CmdExportDb, new DBExportCommandParameter("/out.db"))};
           })
        << QStringList{"import 7 type 1 /in.db"}
        << QStringList{"alert: Could not perform export operation because another one is in "
                       "progress"}
        << QString() << QStringList();
    QTest::newRow("13: no payload")
        << false << Script([] { return QList<Command *>{command(AgController::CmdExportDb)}; })
        << QStringList() << QStringList() << QString() << QStringList{failed.arg(13)};

    QTest::newRow("15: unknown") << false << Script([] { return QList<Command *>{command(15)}; })
                                 << QStringList() << QStringList() << QString()
                                 << QStringList{"Unknown command type in AGController[M1][A]: 15"};
}

void TestAgController::commandTable()
{
    QFETCH(bool, paused);
    QFETCH(Script, script);

    FakeSystem fake;
    SystemConfig config;
    config.setManualAcquisitionOn(false);
    fake.setCurrentConfig(config);
    InstrumentManager manager;
    fake.setInstrumentManager(&manager);
    auto stopAll = qScopeGuard([&] {
        manager.stopAll();
        QTRY_VERIFY_WITH_TIMEOUT(manager.areAllFinished(), 10000);
        fake.setInstrumentManager(nullptr);
    });
    QCOMPARE(manager.init(false, {meter(kMeter, {group(kGroup)})}), 0);
    AAudioGroup *audioGroup = manager.findAudioGroup(kMeter, kGroup);
    QVERIFY(audioGroup);
    if (!paused) {
        manager.unpauseAll();
        QTRY_VERIFY(!audioGroup->isPaused());
    }
    AgController &controller = audioGroup->getAudioGroup().getController();

    const int logged = KivTest::captureLog()->lines().size();
    // A fresh repeat count for each row: a failure line of an earlier row is no repeat.
    ORQ::gLogger.load()->setRepeatClock({});
    const QList<Command *> commands = script();
    gDeleted = 0;
    for (Command *c : commands)
        QCOMPARE(controller.enqueue(c), paused ? -1 : 0);
    QTRY_COMPARE(gDeleted.load(), commands.size());

    QTEST(recorder().take(), "services");

    QStringList system;
    const QList<FakeSystem::Call> calls = fake.calls();
    const QList<AgViolations> violations = fake.violationUpdates();
    int violation = 0;
    // The controller publishes its counters itself at the end of each round: what counts is
    // what the display is told that it did not show yet (it starts at zero counts).
    int shownTruePeaks = 0;
    for (const FakeSystem::Call &call : calls) {
        const QVariantList &a = call.args;
        if (call.name == QLatin1String("updateAgViolationStatus")) {
            const int truePeaks = violations.value(violation++).getTruePeakMainCount();
            if (truePeaks != shownTruePeaks)
                system << QStringLiteral("violations, true peak %1").arg(truePeaks);
            shownTruePeaks = truePeaks;
        } else if (call.name == QLatin1String("replyDbImportStatus"))
            system << QStringLiteral("import status: completed %1, failed %2, %3, %4 of %5")
                          .arg(a.value(0).toInt())
                          .arg(a.value(1).toInt())
                          .arg(a.value(2).toString())
                          .arg(a.value(3).toLongLong())
                          .arg(a.value(4).toLongLong());
        else if (call.name == QLatin1String("showAlert"))
            system << "alert: " + a.value(0).toString();
    }
    for (const QString &row : configRows(getAgDbFilePath(kMeter, kGroup)))
        system << "config row " + row;
    QTEST(system, "system");

    QFETCH(QString, meter);
    if (!meter.isEmpty()) {
        // The meter publishes its record in the round that changed it: the last one follows
        // the controller's answers.
        auto shown = [&fake] {
            const QList<QList<AcquisitionAg>> updates = fake.acquisitionStatusUpdates();
            if (updates.isEmpty())
                return QString();
            const AcquisitionAg record = statusOf(updates.last(), kGroup);
            const QString timestamp = record.hasTimestamp()
                                          ? QStringLiteral("timestamp %1 (state %2)")
                                                .arg(record.getLastTimestampText())
                                                .arg(record.getTimestampState())
                                          : QStringLiteral("timestamp none");
            return timestamp + QStringLiteral(", store code %1").arg(record.getStoreError());
        };
        QTRY_COMPARE(shown(), meter);
    }

    QTEST(commandLines(KivTest::captureLog()->lines().mid(logged)), "lines");
}

// Programs of the audiogroup's file are moved to log_backup once they ended more than
// 72 hours before its newest sample; never the program still open. Each row: the programs
// stored, as "<id>@<first sample>,<last sample>" in ms after a start time, and the programs
// expected under log_backup.
void TestAgController::backupOfOldPrograms_data()
{
    QTest::addColumn<QStringList>("programs");
    QTest::addColumn<QStringList>("backedUp");
    const qint64 limit = AgController::kBackupAgeMs;
    auto span = [](qint64 id, qint64 first, qint64 last) {
        return QStringLiteral("%1@%2,%3").arg(id).arg(first).arg(last);
    };
    QTest::newRow("72 h exactly: nothing")
        << QStringList{span(100, 0, 0), span(101, 1000, limit)} << QStringList();
    QTest::newRow("72 h and 1 ms: the first program")
        << QStringList{span(100, 0, 0), span(101, 1000, limit + 1)} << QStringList{"100"};
    QTest::newRow("ended exactly 72 h before the newest sample: kept")
        << QStringList{span(100, 0, 0), span(101, 1000, 1000), span(102, 2000, limit + 1000)}
        << QStringList{"100"};
    QTest::newRow("the open program stays, however old")
        << QStringList{span(100, 0, 0), span(101, 1000, 1000), span(102, 2000, 80 * kHourMs)}
        << QStringList{"100", "101"};
    QTest::newRow("the first that ended too late ends the walk")
        << QStringList{span(100, 0, 0), span(101, 1000, 10 * kHourMs),
                       span(102, 10 * kHourMs + 1000, 80 * kHourMs)}
        << QStringList{"100"};
}

void TestAgController::backupOfOldPrograms()
{
    QFETCH(QStringList, programs);
    FakeSystem fake;
    SystemConfig config;
    config.setBackupCheckTimeout(0);
    fake.setCurrentConfig(config);

    AgController controller;
    QCOMPARE(controller.init(false, meter(kMeter, {}), group(kGroup)), 0);
    controller.unpause();
    controller.step();
    // One batch; each program's first sample carries the start word.
    auto *batch = new AgDataVector();
    for (const QString &program : programs) {
        const qint64 id = program.section(QLatin1Char('@'), 0, 0).toLongLong();
        const QString times = program.section(QLatin1Char('@'), 1);
        const qint64 first = times.section(QLatin1Char(','), 0, 0).toLongLong();
        const qint64 last = times.section(QLatin1Char(','), 1).toLongLong();
        batch->append(loudSample(kT0 + first, id, 1));
        if (last != first)
            batch->append(loudSample(kT0 + last, id));
    }
    QCOMPARE(controller.enqueue(new Command(AgController::CmdSamplesReceived,
                                            new AgDataReceivedCommandParameter(kMeter, batch))),
             0);
    // A backup run that runs out of time leaves the rest to the next check.
    for (int cycle = 0; cycle < 3; ++cycle)
        controller.step();
    controller.stop();
    controller.step();
    controller.finish();
    QTEST(backedUpPrograms(), "backedUp");
}

KIV_TEST_MAIN(TestAgController, QCoreApplication)

#include "tst_agcontroller.moc"
