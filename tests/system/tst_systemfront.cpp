#include <FakeSystem.h>
#include <KivTest.h>

#include <AcquisitionStartCommandParameter.h>
#include <AcquisitionStatusUpdateParameter.h>
#include <AddInstrumentCommandParameter.h>
#include <AgLoggingChangeParameter.h>
#include <AgStatusResetParameter.h>
#include <AgViolationStatusUpdateParameter.h>
#include <BackupDeleteRequestCommandParameter.h>
#include <Command.h>
#include <ConfigChangeCommandParameter.h>
#include <DBImportCancelCommandParameter.h>
#include <DBImportRequestCommandParameter.h>
#include <DBImportStatusReplyCommandParameter.h>
#include <GenerateManualReportFinishCommandParameter.h>
#include <HijackPermissionCommandParameter.h>
#include <InstrumentManager.h>
#include <KivUtils.h>
#include <NUVNetworkAccessManager.h>
#include <ORQLogging.h>
#include <RemoveAudiogroupCommandParameter.h>
#include <ReplyHijackPermissionCommandParameter.h>
#include <StartGenerateManualReportCommandParameter.h>
#include <System.h>
#include <SystemCommand.h>
#include <SystemConfigXml.h>
#include <SystemController.h>

#include <QApplication>

#include <functional>
#include <memory>

using PostFn = std::function<int(ASystem *)>;
Q_DECLARE_METATYPE(PostFn)

namespace {

QVariantList pairList(const QMultiMap<QString, QString> &map)
{
    QVariantList list;
    for (auto it = map.cbegin(); it != map.cend(); ++it)
        list << it.key() << it.value();
    return list;
}

// The payload of a command as its class name and its fields, in order.
QVariantList describe(const Command *command)
{
    const CommandParameter *p = command->getParameter();
    if (!p)
        return {};
    if (auto *x = dynamic_cast<const InstrumentDeviceNetworkInterfaceReply *>(p))
        return {"InstrumentDeviceNetworkInterfaceReply", x->getInstrumentId(), x->getRequestId(),
                x->getNetworkError(), x->getReplyData() ? *x->getReplyData() : QString()};
    if (auto *x = dynamic_cast<const DeviceNetworkInterfaceReply *>(p))
        return {"DeviceNetworkInterfaceReply", x->getRequestId(), x->getNetworkError(),
                x->getReplyData() ? *x->getReplyData() : QString()};
    if (auto *x = dynamic_cast<const ConfigChangeCommandParameter *>(p))
        return {"ConfigChangeCommandParameter", x->getInstrumentConfig().getName()};
    if (auto *x = dynamic_cast<const AddInstrumentCommandParameter *>(p))
        return {"AddInstrumentCommandParameter", x->getAddress(), x->getPassword()};
    if (auto *x = dynamic_cast<const RemoveAudiogroupCommandParameter *>(p))
        return QVariantList{"RemoveAudiogroupCommandParameter"} + pairList(x->getSelection());
    if (auto *x = dynamic_cast<const AgLoggingChangeParameter *>(p))
        return {"AgLoggingChangeParameter", x->getInstrumentName(), x->getAgName()};
    if (auto *x = dynamic_cast<const AcquisitionStatusUpdateParameter *>(p)) {
        QVariantList list{"AcquisitionStatusUpdateParameter"};
        for (const AcquisitionAg &record : x->getStatusList())
            list << record.getInstrumentName() << record.getSourceName();
        return list;
    }
    if (auto *x = dynamic_cast<const AgViolationStatusUpdateParameter *>(p))
        return {"AgViolationStatusUpdateParameter", x->getInstrumentName(), x->getAgName(),
                x->getViolations().getTruePeakMainCount()};
    if (auto *x = dynamic_cast<const AgStatusResetParameter *>(p))
        return {"AgStatusResetParameter", x->getInstrumentName(), x->getAgName()};
    if (auto *x = dynamic_cast<const AcquisitionStartCommandParameter *>(p))
        return {"AcquisitionStartCommandParameter", x->getInstrumentName(), x->getAgName()};
    if (auto *x = dynamic_cast<const StartGenerateManualReportCommandParameter *>(p))
        return QVariantList{"StartGenerateManualReportCommandParameter"} +
               pairList(x->getReports()) + QVariantList{x->getDuration()};
    if (auto *x = dynamic_cast<const GenerateManualReportFinishCommandParameter *>(p))
        return {"GenerateManualReportFinishCommandParameter", x->getNameKey(), x->isConverted(),
                x->isFailed(), x->getMessage()};
    if (auto *x = dynamic_cast<const DBImportRequestCommandParameter *>(p))
        return {"DBImportRequestCommandParameter", x->getFilePath(), x->getNameSuffixFlag(),
                x->getNameSuffix()};
    if (auto *x = dynamic_cast<const DBImportCancelCommandParameter *>(p))
        return {"DBImportCancelCommandParameter", x->getCancelKey()};
    if (auto *x = dynamic_cast<const DBImportStatusReplyCommandParameter *>(p))
        return {"DBImportStatusReplyCommandParameter",
                x->isCompleted(),
                x->isFailed(),
                x->getMessage(),
                x->getProgress(),
                x->getTotal()};
    if (auto *x = dynamic_cast<const HijackPermissionCommandParameter *>(p))
        return {"HijackPermissionCommandParameter", x->getInstrumentName()};
    if (auto *x = dynamic_cast<const ReplyHijackPermissionCommandParameter *>(p))
        return {"ReplyHijackPermissionCommandParameter", x->getInstrumentName(), x->getRequestId()};
    return {"unknown payload"};
}

// A meter reply that tells when it is freed.
class WatchedReply : public InstrumentDeviceNetworkInterfaceReply
{
public:
    explicit WatchedReply(bool *freed)
        : InstrumentDeviceNetworkInterfaceReply(QStringLiteral("m"), 2, 0, nullptr), m_freed(freed)
    {
    }
    ~WatchedReply() override { *m_freed = true; }

private:
    bool *m_freed;
};

struct Recorded
{
    int type;
    QVariantList payload;
};

// What the interceptor saw, on whatever thread ran the commands.
class Recorder
{
public:
    SystemController::CommandInterceptor interceptor()
    {
        return [this](Command *command) {
            QMutexLocker lock(&m_mutex);
            m_seen.append(Recorded{command->getType(), describe(command)});
            return 0;
        };
    }
    QList<Recorded> seen() const
    {
        QMutexLocker lock(&m_mutex);
        return m_seen;
    }

private:
    mutable QMutex m_mutex;
    QList<Recorded> m_seen;
};

AcquisitionAg record(const QString &meter, const QString &ag)
{
    return AcquisitionAg(InstrumentConfig(meter), AgConfig(ag));
}

} // namespace

class TestSystemFront : public QObject
{
    Q_OBJECT
private slots:
    void postingReachesTheController_data();
    void postingReachesTheController();
    void refusedPostFreesItsPayload();
    void statusGoesStraightToTheDisplay();
    void backupPostsReachTheBackupQueue();
    void newConfigurationBeforeInstruments();
    void startupHonoursAutoStart_data();
    void startupHonoursAutoStart();
    void commandsWaitForStartupAndCloseEnds();
    void quitDuringStartupClosesAtOnce_data();
    void quitDuringStartupClosesAtOnce();
    void failedStartupEndsTheLoop();
};

void TestSystemFront::postingReachesTheController_data()
{
    QTest::addColumn<PostFn>("post");
    QTest::addColumn<int>("type");
    QTest::addColumn<QVariantList>("payload");

    const QMultiMap<QString, QString> selection{{"m1", "a"}, {"m1", "b"}, {"m2", "c"}};
    const QVariantList pairs{"m1", "b", "m1", "a", "m2", "c"}; // QMultiMap: newest first
    AgViolations violations;

    QTest::newRow("onInstrumentReply") << PostFn([](ASystem *s) {
        return s->onInstrumentReply(
            new InstrumentDeviceNetworkInterfaceReply("m1", 2, 0, new QString("<r/>")));
    }) << int(SystemCommand::InstrumentReply)
                                       << QVariantList{"InstrumentDeviceNetworkInterfaceReply",
                                                       "m1", 2, 0, "<r/>"};
    QTest::newRow("changeInstrumentConfig")
        << PostFn([](ASystem *s) { return s->changeInstrumentConfig(InstrumentConfig("m1")); })
        << int(SystemCommand::ChangeInstrumentConfig)
        << QVariantList{"ConfigChangeCommandParameter", "m1"};
    QTest::newRow("onAddDeviceReply")
        << PostFn([](ASystem *s) { return s->onAddDeviceReply(1, 99, nullptr); })
        << int(SystemCommand::AddDeviceReply)
        << QVariantList{"DeviceNetworkInterfaceReply", 1, 99, QString()};
    QTest::newRow("startAddInstrument")
        << PostFn([](ASystem *s) { return s->startAddInstrument(); })
        << int(SystemCommand::StartAddInstrument) << QVariantList{};
    QTest::newRow("submitAddInstrument")
        << PostFn([](ASystem *s) { return s->submitAddInstrument("http://10.0.0.5", "pw"); })
        << int(SystemCommand::SubmitAddInstrument)
        << QVariantList{"AddInstrumentCommandParameter", "http://10.0.0.5", "pw"};
    QTest::newRow("cancelAddInstrument")
        << PostFn([](ASystem *s) { return s->cancelAddInstrument(); })
        << int(SystemCommand::CancelAddInstrument) << QVariantList{};
    QTest::newRow("removeAudiogroups")
        << PostFn([selection](ASystem *s) { return s->removeAudiogroups(selection); })
        << int(SystemCommand::RemoveAudiogroups)
        << QVariantList{"RemoveAudiogroupCommandParameter"} + pairs;
    const QList<QPair<const char *, PostFn>> plain{
        {"openSettings", [](ASystem *s) { return s->openSettings(); }},
        {"cancelSettings", [](ASystem *s) { return s->cancelSettings(); }},
        {"saveSettings", [](ASystem *s) { return s->saveSettings(); }},
        {"confirmDeleteAudiogroups", [](ASystem *s) { return s->confirmDeleteAudiogroups(); }},
        {"cancelDeleteAudiogroups", [](ASystem *s) { return s->cancelDeleteAudiogroups(); }},
        {"startManualAcquisition", [](ASystem *s) { return s->startManualAcquisition(); }},
        {"stopManualAcquisition", [](ASystem *s) { return s->stopManualAcquisition(); }},
        {"startAutoAcquisition", [](ASystem *s) { return s->startAutoAcquisition(); }},
        {"stopAutoAcquisition", [](ASystem *s) { return s->stopAutoAcquisition(); }}};
    for (int i = 0; i < plain.size(); ++i)
        QTest::newRow(plain[i].first)
            << plain[i].second << SystemCommand::OpenSettings + i << QVariantList{};
    QTest::newRow("enableAgLogging")
        << PostFn([](ASystem *s) { return s->enableAgLogging("m1", "a"); })
        << int(SystemCommand::EnableAgLogging)
        << QVariantList{"AgLoggingChangeParameter", "m1", "a"};
    QTest::newRow("disableAgLogging")
        << PostFn([](ASystem *s) { return s->disableAgLogging("m1", "a"); })
        << int(SystemCommand::DisableAgLogging)
        << QVariantList{"AgLoggingChangeParameter", "m1", "a"};
    QTest::newRow("resetAgViolationStatus")
        << PostFn([](ASystem *s) { return s->resetAgViolationStatus("m1", "a"); })
        << int(SystemCommand::ResetAgViolationStatus)
        << QVariantList{"AgStatusResetParameter", "m1", "a"};
    QTest::newRow("resetAgAcquisitionStatus")
        << PostFn([](ASystem *s) { return s->resetAgAcquisitionStatus("m1", "a"); })
        << int(SystemCommand::ResetAgAcquisitionStatus)
        << QVariantList{"AgStatusResetParameter", "m1", "a"};
    QTest::newRow("startAcquisition")
        << PostFn([](ASystem *s) { return s->startAcquisition("m1", "a"); })
        << int(SystemCommand::StartAcquisition)
        << QVariantList{"AcquisitionStartCommandParameter", "m1", "a"};
    QTest::newRow("startGenerateManualReport")
        << PostFn([selection](ASystem *s) {
               return s->startGenerateManualReport(selection, 21600000);
           })
        << int(SystemCommand::StartGenerateManualReport)
        << QVariantList{"StartGenerateManualReportCommandParameter"} + pairs +
               QVariantList{qint64(21600000)};
    QTest::newRow("onManualReportFinished")
        << PostFn([](ASystem *s) { return s->onManualReportFinished("key", true, false, "done"); })
        << int(SystemCommand::ManualReportFinished)
        << QVariantList{"GenerateManualReportFinishCommandParameter", "key", true, false, "done"};
    QTest::newRow("requestDbImport")
        << PostFn([](ASystem *s) { return s->requestDbImport("/x/a.db", true, "17"); })
        << int(SystemCommand::RequestDbImport)
        << QVariantList{"DBImportRequestCommandParameter", "/x/a.db", true, "17"};
    QTest::newRow("cancelDbImport")
        << PostFn([](ASystem *s) { return s->cancelDbImport(7); })
        << int(SystemCommand::CancelDbImport) << QVariantList{"DBImportCancelCommandParameter", 7};
    QTest::newRow("replyDbImportStatus")
        << PostFn([](ASystem *s) { return s->replyDbImportStatus(false, true, "bad", 5, 10); })
        << int(SystemCommand::ReplyDbImportStatus)
        << QVariantList{
               "DBImportStatusReplyCommandParameter", false, true, "bad", qint64(5), qint64(10)};
    QTest::newRow("requestHijackPermission")
        << PostFn([](ASystem *s) { return s->requestHijackPermission("m1"); })
        << int(SystemCommand::RequestHijackPermission)
        << QVariantList{"HijackPermissionCommandParameter", "m1"};
    QTest::newRow("allowHijack") << PostFn([](ASystem *s) {
        return s->allowHijack("m1", "m1_1700");
    }) << int(SystemCommand::AllowHijack)
                                 << QVariantList{"ReplyHijackPermissionCommandParameter", "m1",
                                                 "m1_1700"};
    QTest::newRow("denyHijack") << PostFn([](ASystem *s) { return s->denyHijack("m1", "m1_1700"); })
                                << int(SystemCommand::DenyHijack)
                                << QVariantList{"ReplyHijackPermissionCommandParameter", "m1",
                                                "m1_1700"};
}

void TestSystemFront::postingReachesTheController()
{
    QFETCH(PostFn, post);
    QFETCH(int, type);
    QFETCH(QVariantList, payload);

    System system;
    Recorder recorder;
    system.getSystemController()->setCommandInterceptor(recorder.interceptor());
    QCOMPARE(post(&system), 0);
    // The thread is not running: the commands wait in the queue until drained here.
    QCOMPARE(system.getSystemController()->queuedCount(), 1);
    system.getSystemController()->processCommands();

    const QList<Recorded> seen = recorder.seen();
    QCOMPARE(seen.size(), 1);
    QCOMPARE(seen[0].type, type);
    QCOMPARE(seen[0].payload, payload);
}

void TestSystemFront::refusedPostFreesItsPayload()
{
    System system;
    for (int i = 0; i < SystemController::kCapacity; ++i)
        QCOMPARE(system.cancelSettings(), 0);
    QCOMPARE(system.cancelSettings(), -1);

    bool freed = false;
    QCOMPARE(system.onInstrumentReply(new WatchedReply(&freed)), -1);
    QVERIFY(freed);

    // Room again after a batch.
    Recorder recorder;
    system.getSystemController()->setCommandInterceptor(recorder.interceptor());
    system.getSystemController()->processCommands();
    QCOMPARE(recorder.seen().size(), SystemController::kCapacity);
    freed = false;
    QCOMPARE(system.onInstrumentReply(new WatchedReply(&freed)), 0);
    QVERIFY(!freed);
}

void TestSystemFront::statusGoesStraightToTheDisplay()
{
    // Published from the meters' and audiogroups' own threads: no command, so the system
    // controller is not woken for them.
    System system;
    QCOMPARE(system.updateAcquisitionStatus({record("m1", "a"), record("m1", "b")}), 0);
    QCOMPARE(system.updateAgViolationStatus(AgViolations(), "m1", "a"), 0);
    QCOMPARE(system.requestStatusRefresh(), 0);
    QCOMPARE(system.getSystemController()->queuedCount(), 0);
    const SystemUIData shown = system.getSystemViewController()->getSystemUIData();
    QVERIFY(shown.findAcquisitionAg("m1", "b"));
}

void TestSystemFront::backupPostsReachTheBackupQueue()
{
    System system;
    QCOMPARE(system.showBackupManager(), 0);
    QCOMPARE(system.refreshBackups(), 0);
    BackupItem item;
    item.setName(QStringLiteral("I__m1A__pgm_5.db"));
    QCOMPARE(system.deleteBackups({item, item}), 0);
    QCOMPARE(system.getBackupController()->queuedCount(), 3);
    for (int i = 3; i < BackupController::kCapacity; ++i)
        QCOMPARE(system.refreshBackups(), 0);
    QCOMPARE(system.deleteBackups({item}), -1);
}

void TestSystemFront::newConfigurationBeforeInstruments()
{
    System system;
    SystemConfig config;
    config.setManualAcquisitionOn(true);
    config.addOrUpdateInstrument(InstrumentConfig(QStringLiteral("m1")));
    system.setSystemConfig(config);

    QVERIFY(!system.getInstrumentManager());
    QVERIFY(system.getSystemConfig().hasInstrument(QStringLiteral("m1")));
    QVERIFY(system.getSystemViewController()->getSystemUIData().getSystemConfig().hasInstrument(
        QStringLiteral("m1")));

    // The stored copy is the system's own.
    config.removeInstrument(QStringLiteral("m1"));
    QVERIFY(system.getSystemConfig().hasInstrument(QStringLiteral("m1")));

    system.setInstrumentManager(new InstrumentManager());
    QVERIFY(system.getInstrumentManager());
    system.postSystemConfig(config);
    QVERIFY(!system.getSystemConfig().hasInstrument(QStringLiteral("m1")));
}

void TestSystemFront::startupHonoursAutoStart_data()
{
    QTest::addColumn<bool>("autoStart");
    QTest::addColumn<bool>("manualOn");
    QTest::addColumn<bool>("expected");

    QTest::newRow("auto start keeps manual on") << true << true << true;
    QTest::newRow("no auto start turns manual off") << false << true << false;
    QTest::newRow("manual off stays off") << true << false << false;
}

void TestSystemFront::startupHonoursAutoStart()
{
    QFETCH(bool, autoStart);
    QFETCH(bool, manualOn);
    QFETCH(bool, expected);

    QVERIFY(createDataFolder());
    SystemConfig stored;
    stored.setAutoStartLogging(autoStart);
    stored.setManualAcquisitionOn(manualOn);
    QCOMPARE(saveSystemConfigToFile(stored, QStringLiteral("_config.xml")), 0);

    FakeSystem fake;
    NUVNetworkAccessManager network(nullptr);
    FakeSystem::Objects objects;
    objects.networkAccessManager = &network;
    fake.setObjects(objects);
    network.startThread();

    SystemController controller(nullptr);
    QCOMPARE(controller.init(), 0);
    std::unique_ptr<InstrumentManager> manager(fake.instrumentManager());
    QVERIFY(manager);
    QCOMPARE(fake.appliedConfigs().size(), 1);
    QCOMPARE(fake.appliedConfigs()[0].getManualAcquisitionOn(), expected);
    QCOMPARE(fake.appliedConfigs()[0].getAutoStartLogging(), autoStart);

    network.stop();
    QVERIFY(network.wait(5000));
}

void TestSystemFront::commandsWaitForStartupAndCloseEnds()
{
    FakeSystem fake;
    NUVNetworkAccessManager network(nullptr);
    FakeSystem::Objects objects;
    objects.networkAccessManager = &network;
    fake.setObjects(objects);

    SystemController controller(nullptr);
    Recorder recorder;
    controller.setCommandInterceptor(recorder.interceptor());
    QSignalSpy finished(&controller, &QThread::finished);
    controller.startThread();

    // The controller waits for the network thread; the commands wait with it.
    for (int i = 0; i < 3; ++i)
        QCOMPARE(controller.enqueue(new Command(SystemCommand::RequestStatusRefresh)), 0);
    QTest::qWait(150);
    QCOMPARE(controller.getState(), int(SystemController::StateCreated));
    QVERIFY(recorder.seen().isEmpty());

    network.startThread();
    QTRY_COMPARE_WITH_TIMEOUT(recorder.seen().size(), 3, 5000);
    QCOMPARE(controller.getState(), int(SystemController::StateRunning));
    std::unique_ptr<InstrumentManager> manager(fake.instrumentManager());

    controller.requestClose();
    QVERIFY(finished.wait(5000));
    QCOMPARE(controller.getState(), int(SystemController::StateFinished));
    // The network thread was told to stop once nothing could use it any more.
    QVERIFY(network.wait(5000));
    QCOMPARE(controller.getInitResult(), 0);
}

void TestSystemFront::quitDuringStartupClosesAtOnce_data()
{
    QTest::addColumn<bool>("withNetwork");
    QTest::newRow("no network thread at all") << false;
    QTest::newRow("network thread never started") << true;
}

void TestSystemFront::quitDuringStartupClosesAtOnce()
{
    QFETCH(bool, withNetwork);
    FakeSystem fake;
    NUVNetworkAccessManager network(nullptr);
    if (withNetwork) {
        FakeSystem::Objects objects;
        objects.networkAccessManager = &network;
        fake.setObjects(objects);
    }
    SystemController controller(nullptr);
    Recorder recorder;
    controller.setCommandInterceptor(recorder.interceptor());
    QSignalSpy finished(&controller, &QThread::finished);
    QCOMPARE(controller.enqueue(new Command(SystemCommand::RequestStatusRefresh)), 0);
    controller.startThread();
    controller.requestClose();

    QVERIFY(finished.wait(5000));
    std::unique_ptr<InstrumentManager> manager(fake.instrumentManager());
    // Closing drops what was queued.
    QVERIFY(recorder.seen().isEmpty());
    QCOMPARE(controller.queuedCount(), 0);
    QCOMPARE(controller.getState(), int(SystemController::StateFinished));
}

void TestSystemFront::failedStartupEndsTheLoop()
{
    QVERIFY(createDataFolder());
    const QString logPath = getDataFolderFilePath(QStringLiteral("log.txt"));
    static ORQ::CORQExeLogging logging(logPath.toLocal8Bit().constData());
    ORQ::setLogLevel(4);

    // Without a front nothing can be built.
    QVERIFY(!ASystem::instance());
    SystemController controller(nullptr);
    Recorder recorder;
    controller.setCommandInterceptor(recorder.interceptor());
    QCOMPARE(controller.enqueue(new Command(SystemCommand::RequestStatusRefresh)), 0);
    QSignalSpy finished(&controller, &QThread::finished);
    controller.startThread();
    QVERIFY(finished.wait(5000));

    QVERIFY(controller.getInitResult() != 0);
    QCOMPARE(controller.getState(), int(SystemController::StateFinished));
    QVERIFY(recorder.seen().isEmpty());
    QCOMPARE(controller.queuedCount(), 0);

    QFile file(logPath);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString log = QString::fromUtf8(file.readAll());
    const int failure = log.indexOf(QLatin1String("FATAL:\n"));
    QVERIFY(failure >= 0);
    QVERIFY(log.indexOf(QLatin1String(": CRITICAL INIT FAILURE\n"), failure) > failure);
    QVERIFY(log.indexOf(QLatin1String(": SystemController loop ended\n")) >
            log.indexOf(QLatin1String("CRITICAL INIT FAILURE")));
    QVERIFY(!log.contains(QLatin1String("SystemController initialization complete")));
}

KIV_TEST_MAIN(TestSystemFront, QApplication)
#include "tst_systemfront.moc"
