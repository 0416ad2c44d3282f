// The configuration controller and its operations on their own, behind a recording front:
// queueing, the run of one operation, the add-device checks against meter replies, and
// the system controller's refusals.
#include <FakeSystem.h>
#include <KivTest.h>

#include <AConfigManagementOperation.h>
#include <AcquisitionStartStopConfigManagementOperation.h>
#include <AddInstrumentConfigManagementOperation.h>
#include <AddInstrumentViewController.h>
#include <Command.h>
#include <ConfigController.h>
#include <ConfirmationViewController.h>
#include <DBImportRequestCommandParameter.h>
#include <DeleteAudiogroupConfigManagementOperation.h>
#include <GenerateReportViewController.h>
#include <InstrumentManager.h>
#include <KivUtils.h>
#include <MeterSimulator.h>
#include <RemoveAudiogroupCommandParameter.h>
#include <ReplyText.h>
#include <StartGenerateManualReportCommandParameter.h>
#include <SystemCommand.h>
#include <SystemController.h>

#include <QElapsedTimer>
#include <QNetworkReply>

#include <memory>

Q_DECLARE_METATYPE(QList<InstrumentConfig>)

namespace {

// Completes on the given step (never when 0) with "done <type>".
class ScriptedOperation : public AConfigManagementOperation
{
public:
    ScriptedOperation(int type, int id, QStringList *log, int completeAtStep = 1)
        : AConfigManagementOperation(type, id), m_log(log), m_completeAt(completeAtStep)
    {
    }
    using AConfigManagementOperation::nowMs;
    using AConfigManagementOperation::setShowResult;

protected:
    void changeSystemConfig() override {}
    void step() override
    {
        ++m_steps;
        m_log->append(QStringLiteral("step %1").arg(getType()));
        if (m_steps == m_completeAt)
            setCompleted(QStringLiteral("done %1").arg(getType()));
    }
    void abort() override { m_log->append(QStringLiteral("abort %1").arg(getType())); }

private:
    QStringList *m_log;
    int m_completeAt;
    int m_steps = 0;
};

QStringList alerts(const FakeSystem &fake)
{
    QStringList texts;
    for (const FakeSystem::Call &call : fake.calls()) {
        if (call.name == QLatin1String("showAlert"))
            texts << call.args.value(0).toString();
    }
    return texts;
}

InstrumentConfig instrument(const QString &name, const QString &address, const QStringList &groups,
                            bool imported)
{
    InstrumentConfig config(name);
    config.setIpAdr(QStringLiteral("http://") + address);
    QList<AgConfig> agConfigs;
    for (const QString &source : groups) {
        AgConfig group;
        group.setName(source);
        group.setImported(imported);
        agConfigs.append(group);
    }
    config.setAgConfigs(agConfigs);
    return config;
}

QStringList numbered(const QString &prefix, int from, int to)
{
    QStringList names;
    for (int i = from; i <= to; ++i)
        names << QStringLiteral("%1 %2").arg(prefix).arg(i);
    return names;
}

// Answers the operation's requests with the meter's reply writer, without a network.
class MeterLoopback
{
public:
    MeterLoopback(AConfigManagementOperation &operation, MeterSimulator &meter)
    {
        QObject::connect(&operation, &AConfigManagementOperation::networkRequest,
                         [this, &meter](ARequest::CommandType kind, ARequest *request,
                                        const QString &host, const QString &port) {
                             urls << host + QLatin1Char(':') + port + requestCommandPath(kind);
                             MeterSimulator::Request sent;
                             sent.method = QStringLiteral("POST");
                             sent.path = requestCommandPath(kind);
                             sent.body = request->toBody();
                             QString reply = decodeReplyBody(meter.replyBody(sent));
                             if (status >= 0)
                                 reply.replace(QRegularExpression("<code>\\d+</code>"),
                                               QStringLiteral("<code>%1</code>").arg(status));
                             if (!reqid.isEmpty())
                                 reply.replace(QRegularExpression("<reqid>[^<]*</reqid>"),
                                               QStringLiteral("<reqid>%1</reqid>").arg(reqid));
                             replies << reply;
                         });
    }

    // Runs the operation cycle by cycle, handing it each reply after the cycle that asked.
    void run(AConfigManagementOperation &operation, int cycles)
    {
        for (int cycle = 0; cycle < cycles && !operation.isFinished(); ++cycle) {
            operation.run();
            while (!replies.isEmpty()) {
                const QString reply = replies.takeFirst();
                operation.onNetworkReply(networkError, ARequest::GETCONFIG,
                                         networkError == 0 ? &reply : nullptr);
            }
        }
    }

    int status = -1;       // replaces the reply's code when set
    QString reqid;         // replaces the reply's reqid when set
    int networkError = 0;  // every reply fails with it when set
    QStringList urls;
    QStringList replies;
};

} // namespace

class TestConfigController : public QObject
{
    Q_OBJECT
private slots:
    void queuesOneOfEachTypeOldestFirst();
    void showsTheResultOnTheNextCycle_data();
    void showsTheResultOnTheNextCycle();
    void addressChecks_data();
    void addressChecks();
    void requestIds_data();
    void requestIds();
    void addDeviceAgainstMeterReplies_data();
    void addDeviceAgainstMeterReplies();
    void addDeviceFailureNamesAddressAndCause_data();
    void addDeviceFailureNamesAddressAndCause();
    void refusesNamesTheFileCannotCarry_data();
    void refusesNamesTheFileCannotCarry();
    void answersWithoutAnOperationCloseTheDialogs();
    void failedPauseChangesNothing_data();
    void failedPauseChangesNothing();
    void commandsRefusedWithAlerts_data();
    void commandsRefusedWithAlerts();
};

void TestConfigController::queuesOneOfEachTypeOldestFirst()
{
    FakeSystem fake;
    QStringList log;
    ConfigController controller;
    QList<int> ids;
    auto request = [&](int type) {
        return controller.queueOperation(type, [&](int t, int id) {
            ids << id;
            return new ScriptedOperation(t, id, &log);
        });
    };
    QVERIFY(request(4));
    QVERIFY(request(8));
    QVERIFY(!request(4)); // one of its type waits already
    QVERIFY(request(9));
    QCOMPARE(ids, QList<int>({3, 5, 7}));
    QCOMPARE(controller.queuedTypes(), QList<int>({9, 8, 4}));
    QVERIFY(controller.hasOperationOfType(8));

    // Each operation steps once, shows its result on the next cycle and is then gone; the
    // next one starts on the cycle after that.
    for (int cycle = 0; cycle < 6; ++cycle)
        controller.tick();
    QCOMPARE(log, QStringList({"step 4", "step 8", "step 9"}));
    QCOMPARE(alerts(fake), QStringList({"done 4", "done 8", "done 9"}));
    QCOMPARE(controller.operationCount(), 0);
    QVERIFY(request(4)); // queues again once the first has gone
    QCOMPARE(ids.last(), 9);
}

void TestConfigController::showsTheResultOnTheNextCycle_data()
{
    QTest::addColumn<int>("completeAtStep");
    QTest::addColumn<bool>("showResult");
    QTest::addColumn<qint64>("deadlineAfterFirstRun"); // ms from now; 0: none
    QTest::addColumn<QStringList>("log");
    QTest::addColumn<QStringList>("alerts");

    QTest::newRow("completes") << 2 << true << qint64(0) << QStringList{"step 4", "step 4"}
                               << QStringList{"done 4"};
    QTest::newRow("silent") << 1 << false << qint64(0) << QStringList{"step 4"} << QStringList{};
    QTest::newRow("deadline passes while running")
        << 0 << true << qint64(-1) << QStringList{"step 4", "abort 4"}
        << QStringList{"Add device operation timed out."};
    QTest::newRow("deadline passes after the end")
        << 1 << true << qint64(-1) << QStringList{"step 4"} << QStringList{"done 4"};
}

void TestConfigController::showsTheResultOnTheNextCycle()
{
    QFETCH(int, completeAtStep);
    QFETCH(bool, showResult);
    QFETCH(qint64, deadlineAfterFirstRun);
    QFETCH(QStringList, log);
    QFETCH(QStringList, alerts);

    FakeSystem fake;
    QStringList seen;
    ScriptedOperation operation(4, 3, &seen, completeAtStep);
    operation.setShowResult(showResult);
    operation.run();
    QVERIFY(operation.isStarted());
    QCOMPARE(operation.getDeadline(), AConfigManagementOperation::kNoDeadline);
    if (deadlineAfterFirstRun != 0)
        operation.setDeadline(ScriptedOperation::nowMs() + deadlineAfterFirstRun);
    for (int cycle = 0; cycle < 4 && !operation.isFinished(); ++cycle) {
        QVERIFY(::alerts(fake).isEmpty());
        operation.run();
    }
    QVERIFY(operation.isFinished());
    QCOMPARE(seen, log);
    QCOMPARE(::alerts(fake), alerts);
}

void TestConfigController::addressChecks_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QString>("normalized");

    QTest::newRow("plain") << "10.0.0.1" << true << "10.0.0.1";
    QTest::newRow("doubled dot") << "10..0.0.1" << true << "10.0.0.1";
    QTest::newRow("leading zeros") << "010.000.0.01" << true << "10.0.0.1";
    QTest::newRow("loopback name") << "localhost" << true << "localhost";
    QTest::newRow("part too large") << "192.168.1.300" << false << "192.168.1.300";
    QTest::newRow("four digits") << "0010.0.0.1" << false << "0010.0.0.1";
    QTest::newRow("letters") << "a.b.c.d" << false << "a.b.c.d";
    QTest::newRow("scheme") << "http://10.0.0.1" << false << "http://10.0.0.1";
}

void TestConfigController::addressChecks()
{
    QFETCH(QString, address);
    QFETCH(bool, valid);
    QFETCH(QString, normalized);

    QCOMPARE(AddInstrumentConfigManagementOperation::isValidAddress(address), valid);
    QCOMPARE(AddInstrumentConfigManagementOperation::normalizedAddress(address), normalized);
}

void TestConfigController::requestIds_data()
{
    QTest::addColumn<QString>("reqid");
    QTest::addColumn<bool>("own");

    QTest::newRow("first request") << "7:0" << true;
    QTest::newRow("a late reply to an earlier one") << "7:3" << true;
    QTest::newRow("another operation") << "8:0" << false;
    QTest::newRow("no counter") << "7" << false;
    QTest::newRow("not a number") << "x:0" << false;
}

void TestConfigController::requestIds()
{
    QFETCH(QString, reqid);
    QFETCH(bool, own);

    AddInstrumentConfigManagementOperation operation(0, 7);
    QCOMPARE(operation.isOwnRequestId(reqid), own);
}

void TestConfigController::addDeviceAgainstMeterReplies_data()
{
    QTest::addColumn<QList<InstrumentConfig>>("configured");
    QTest::addColumn<QString>("meterName");
    QTest::addColumn<QStringList>("meterGroups");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("otherReqid"); // the reply carries this reqid instead
    QTest::addColumn<int>("status");         // injected status code; -1 the meter's own
    QTest::addColumn<QString>("message");    // empty: still connecting, no alert

    const QString address = QStringLiteral("10.0.0.5");
    const QString elsewhere = QStringLiteral("10.0.0.9");
    const QStringList two{"P1", "P2"};
    const QList<InstrumentConfig> none;
    QTest::newRow("added") << none << "Studio" << two << "pw"
                           << "" << -1 << "Instrument successfully added";
    QTest::newRow("wrong password, whatever the reqid")
        << none << "Studio" << two << "x"
        << "99:0" << -1
        << "Could not add device because the password is incorrect. 10.0.0.5 refused the login.";
    QTest::newRow("reply of another operation") << none << "Studio" << two << "pw"
                                                << "99:0" << -1 << "";
    QTest::newRow("meter busy") << none << "Studio" << two << "pw"
                                << "" << 7 << "";
    QTest::newRow("same name, other address")
        << QList<InstrumentConfig>{instrument("Studio", elsewhere, {"P1"}, false)} << "Studio"
        << two << "pw"
        << "" << -1
        << "Could not add device because there is another device in the network with the same "
           "\"Identification for Logging\" system setting and a different IP";
    QTest::newRow("imported under the same name")
        << QList<InstrumentConfig>{instrument("Studio", elsewhere, {"P2"}, true)} << "Studio" << two
        << "pw"
        << "" << -1
        << "Could not add device Studio because of the audiogroup P2 that already exists as "
           "imported.";
    QTest::newRow("same address, other name")
        << QList<InstrumentConfig>{instrument("Other", address, {"X"}, false)} << "Studio" << two
        << "pw"
        << "" << -1
        << "Could not add device Other because there is Studio running at this ip address.";
    QTest::newRow("same address, other name, all imported")
        << QList<InstrumentConfig>{instrument("Other", address, {"X"}, true)} << "Studio" << two
        << "pw"
        << "" << -1 << "Instrument successfully added";
    QTest::newRow("no audiogroups")
        << none << "Studio" << QStringList() << "pw"
        << "" << -1
        << "Could not add device because there is no logging service in the audiogroup defined!";
    QTest::newRow("19 known plus 1 new")
        << QList<InstrumentConfig>{instrument("Studio", address, numbered("G", 1, 19), false)}
        << "Studio" << numbered("G", 1, 20) << "pw"
        << "" << -1 << "Instrument successfully added";
    QTest::newRow("19 known plus 2 new")
        << QList<InstrumentConfig>{instrument("Studio", address, numbered("G", 1, 19), false)}
        << "Studio" << numbered("G", 1, 21) << "pw"
        << "" << -1
        << "Could not add device. You tried to add 2 audiogroups, and that is 1 more than the "
           "maximum allowed.";
    QTest::newRow("two audiogroups of one file")
        << none << "Studio" << QStringList{"Main L", "MainL"} << "pw"
        << "" << -1
        << "Could not add device Studio because its audiogroup Main L would use the same "
           "database file as the audiogroup MainL of Studio.";
}

void TestConfigController::addDeviceAgainstMeterReplies()
{
    QFETCH(QList<InstrumentConfig>, configured);
    QFETCH(QString, meterName);
    QFETCH(QStringList, meterGroups);
    QFETCH(QString, password);
    QFETCH(QString, otherReqid);
    QFETCH(int, status);
    QFETCH(QString, message);

    FakeSystem fake;
    AddInstrumentViewController view;
    FakeSystem::Objects objects;
    objects.addInstrumentViewController = &view;
    fake.setObjects(objects);
    SystemConfig current;
    current.setInstruments(configured);
    fake.setCurrentConfig(current);
    QStringList pleaseWait;
    connect(&view, &AddInstrumentViewController::showPleaseWaitDialog,
            [&pleaseWait](const QString &text) { pleaseWait << text; });

    MeterSimulator meter;
    meter.setInstrumentName(meterName);
    meter.setPassword(QStringLiteral("pw"));
    meter.setAudioGroupNames(meterGroups);

    AddInstrumentConfigManagementOperation operation(0, 7);
    MeterLoopback loopback(operation, meter);
    loopback.status = status;
    loopback.reqid = otherReqid;
    operation.submit(QStringLiteral("10.0.0.5"), password);
    loopback.run(operation, 6);
    const QStringList &urls = loopback.urls;

    QCOMPARE(pleaseWait, QStringList{"Please wait. Connecting..."});
    QCOMPARE(urls.value(0), QStringLiteral("http://10.0.0.5:80/getConfiguration"));
    if (message.isEmpty()) {
        // No usable answer: one request so far, the next after 2000 ms.
        QVERIFY(!operation.isFinished());
        QCOMPARE(operation.getState(),
                 int(AddInstrumentConfigManagementOperation::StateConnecting));
        QCOMPARE(urls.size(), 1);
        QVERIFY(alerts(fake).isEmpty());
        return;
    }
    QVERIFY(operation.isFinished());
    QCOMPARE(alerts(fake), QStringList{message});
    const bool added = message == QLatin1String("Instrument successfully added");
    QCOMPARE(fake.appliedConfigs().size(), added ? 1 : 0);
    if (added) {
        const InstrumentConfig stored = fake.getSystemConfig().getInstrument(meterName);
        QCOMPARE(stored.getIpAdr(), QStringLiteral("http://10.0.0.5"));
        QCOMPARE(stored.getPass(), password);
        QCOMPARE(stored.getAgConfigCount(), meterGroups.size());
    }
}

void TestConfigController::addDeviceFailureNamesAddressAndCause_data()
{
    QTest::addColumn<int>("networkError"); // of every reply; 0: the meter's own reply
    QTest::addColumn<int>("status");       // injected status code; -1 the meter's own
    QTest::addColumn<bool>("deadlinePasses");
    QTest::addColumn<QString>("message");

    // A refused or unknown address is told at once, without waiting for the deadline.
    QTest::newRow("connection refused")
        << int(QNetworkReply::ConnectionRefusedError) << -1 << false
        << "Could not add device at 10.0.0.5: the connection was refused.";
    QTest::newRow("address not found") << int(QNetworkReply::HostNotFoundError) << -1 << false
                                       << "Could not add device at 10.0.0.5: the address was not "
                                          "found.";
    QTest::newRow("no answer in time")
        << int(QNetworkReply::OperationCanceledError) << -1 << true
        << "Add device operation timed out. No answer from 10.0.0.5 in time.";
    QTest::newRow("busy until the deadline")
        << 0 << 7 << true
        << "Add device operation timed out. 10.0.0.5 answered, but not with its configuration.";
}

void TestConfigController::addDeviceFailureNamesAddressAndCause()
{
    QFETCH(int, networkError);
    QFETCH(int, status);
    QFETCH(bool, deadlinePasses);
    QFETCH(QString, message);

    FakeSystem fake;
    MeterSimulator meter;
    meter.setInstrumentName(QStringLiteral("Studio"));
    meter.setPassword(QStringLiteral("pw"));
    meter.setAudioGroupNames({QStringLiteral("P1")});
    AddInstrumentConfigManagementOperation operation(0, 7);
    MeterLoopback loopback(operation, meter);
    loopback.networkError = networkError;
    loopback.status = status;
    operation.submit(QStringLiteral("10.0.0.5"), QStringLiteral("pw"));
    loopback.run(operation, 4);
    QCOMPARE(operation.isFinished(), !deadlinePasses);
    if (deadlinePasses) {
        operation.setDeadline(0);
        loopback.run(operation, 2);
    }
    QVERIFY(operation.isFinished());
    QCOMPARE(alerts(fake), QStringList{message});
}

void TestConfigController::refusesNamesTheFileCannotCarry_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("message");

    QTest::newRow("audiogroup") << "S"
                                << "Bad&#x1;"
                                << "Could not add device. Audiogroup name \"Bad\" holds characters "
                                   "that cannot be stored in the configuration file.";
    QTest::newRow("instrument") << "S&#xFFFF;"
                                << "Main"
                                << "Could not add device. Instrument name \"S\" holds characters "
                                   "that cannot be stored in the configuration file.";
}

void TestConfigController::refusesNamesTheFileCannotCarry()
{
    QFETCH(QString, name);
    QFETCH(QString, source);
    QFETCH(QString, message);

    // The reply reader refuses such a reply; it must end in the reason, not a time-out.
    FakeSystem fake;
    AddInstrumentConfigManagementOperation operation(0, 7);
    operation.submit(QStringLiteral("10.0.0.5"), QStringLiteral("pw"));
    operation.run();
    const QString reply =
        QStringLiteral("<response><version>0.1</version><reqid>7:0</reqid><status><code>0</code>"
                       "</status><confid>c1</confid><Name>%1</Name><ModelNumber>m</ModelNumber>"
                       "<SerialNumber>s</SerialNumber><LoudnessMeasurement><DataSource>"
                       "<SourceName>%2</SourceName></DataSource></LoudnessMeasurement></response>")
            .arg(name, source);
    operation.onNetworkReply(0, ARequest::GETCONFIG, &reply);
    for (int cycle = 0; cycle < 4 && !operation.isFinished(); ++cycle)
        operation.run();
    QVERIFY(operation.isFinished());
    QCOMPARE(alerts(fake), QStringList{message});
    QVERIFY(fake.appliedConfigs().isEmpty());
}

void TestConfigController::answersWithoutAnOperationCloseTheDialogs()
{
    FakeSystem fake;
    AddInstrumentViewController addView;
    ConfirmationViewController confirmation;
    FakeSystem::Objects objects;
    objects.addInstrumentViewController = &addView;
    objects.confirmationViewController = &confirmation;
    fake.setObjects(objects);
    QSignalSpy addHidden(&addView, &AddInstrumentViewController::hide);
    QSignalSpy addWaitHidden(&addView, &AddInstrumentViewController::hidePleaseWaitDialog);
    QSignalSpy confirmationHidden(&confirmation, &ConfirmationViewController::hide);
    QSignalSpy confirmationWaitHidden(&confirmation, &ConfirmationViewController::hidePleaseWait);

    ConfigController controller;
    controller.confirmOperation();
    controller.refuseOperation();
    QCOMPARE(confirmationHidden.count(), 2);
    QCOMPARE(confirmationWaitHidden.count(), 2);
    controller.submitAddInstrument(QStringLiteral("10.0.0.1"), QStringLiteral("pw"));
    controller.cancelAddInstrument();
    QCOMPARE(addHidden.count(), 2);
    QCOMPARE(addWaitHidden.count(), 2);
    QCOMPARE(controller.operationCount(), 0);

    // An add-device answer for a delete operation is not taken by it.
    controller.requestDeleteAudiogroups({{QStringLiteral("m"), QStringLiteral("a")}});
    controller.submitAddInstrument(QStringLiteral("10.0.0.1"), QStringLiteral("pw"));
    QCOMPARE(addHidden.count(), 3);
    controller.clear();
    QCOMPARE(controller.operationCount(), 0);
}

void TestConfigController::failedPauseChangesNothing_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("message");

    QTest::newRow("add device") << int(ConfigController::AddInstrument)
                                << "Could not add the instrument to the configuration";
    QTest::newRow("delete audiogroups") << int(ConfigController::DeleteAudiogroups)
                                        << "Could not remove the instrument from configuration";
    QTest::newRow("logging") << int(ConfigController::StopManualAcquisition)
                             << "Could not perform requested operation";
}

void TestConfigController::failedPauseChangesNothing()
{
    QFETCH(int, type);
    QFETCH(QString, message);

    // An instrument whose controllers have ended never reports paused.
    FakeSystem fake;
    SystemConfig current;
    current.setInstruments({instrument("Old", "10.0.0.9", {"A"}, false)});
    fake.setCurrentConfig(current);
    InstrumentManager manager;
    fake.setInstrumentManager(&manager);
    QCOMPARE(manager.addInstrument(true, current.getInstrument("Old")), 0);
    manager.stopAll();
    QTRY_VERIFY_WITH_TIMEOUT(manager.areAllFinished(), 5000);

    std::unique_ptr<AConfigManagementOperation> operation;
    MeterSimulator meter;
    meter.setInstrumentName(QStringLiteral("Studio"));
    meter.setAudioGroupNames({QStringLiteral("P1")});
    std::unique_ptr<MeterLoopback> loopback;
    if (type == ConfigController::AddInstrument) {
        auto *add = new AddInstrumentConfigManagementOperation(type, 3);
        operation.reset(add);
        loopback = std::make_unique<MeterLoopback>(*add, meter);
        add->submit(QStringLiteral("10.0.0.5"), QString());
    } else if (type == ConfigController::DeleteAudiogroups) {
        operation = std::make_unique<DeleteAudiogroupConfigManagementOperation>(
            type, 3, QMultiMap<QString, QString>{{QStringLiteral("Old"), QStringLiteral("A")}});
        operation->onConfirm();
    } else {
        operation = std::make_unique<AcquisitionStartStopConfigManagementOperation>(type, 3);
    }
    QElapsedTimer clock;
    clock.start();
    if (loopback)
        loopback->run(*operation, 6);
    else
        for (int cycle = 0; cycle < 4 && !operation->isFinished(); ++cycle)
            operation->run();

    QVERIFY(operation->isFinished());
    QVERIFY2(
        clock.elapsed() >= AConfigManagementOperation::kPauseWaitMs,
        qPrintable(QStringLiteral("%1 ms: %2").arg(clock.elapsed()).arg(alerts(fake).join(';'))));
    QCOMPARE(alerts(fake), QStringList{message});
    QVERIFY(fake.appliedConfigs().isEmpty());
    QCOMPARE(manager.getInstruments().size(), 1);
    fake.setInstrumentManager(nullptr);
}

void TestConfigController::commandsRefusedWithAlerts_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("setup"); // 0 none, 1 a report running, 2 a delete queued
    QTest::addColumn<QString>("alert");
    QTest::addColumn<QList<int>>("queuedTypes");

    QTest::newRow("delete while a report runs")
        << int(SystemCommand::RemoveAudiogroups) << 1
        << "Could not delete audiogroups; report generation in progress." << QList<int>();
    QTest::newRow("delete") << int(SystemCommand::RemoveAudiogroups) << 0 << ""
                            << QList<int>{ConfigController::DeleteAudiogroups};
    QTest::newRow("report while a delete waits")
        << int(SystemCommand::StartGenerateManualReport) << 2
        << "Could not generate reports; delete audiogroup operation pending."
        << QList<int>{ConfigController::DeleteAudiogroups};
    QTest::newRow("report of nothing")
        << int(SystemCommand::StartGenerateManualReport) << 0
        << "Could not generate reports; no audiogroups selected." << QList<int>();
    QTest::newRow("import from the data folder")
        << int(SystemCommand::RequestDbImport) << 0
        << "Import operation is not allowed for files from KIV's data folder. Please move the "
           "file you wish to import to another folder and try again."
        << QList<int>();
}

void TestConfigController::commandsRefusedWithAlerts()
{
    QFETCH(int, type);
    QFETCH(int, setup);
    QFETCH(QString, alert);
    QFETCH(QList<int>, queuedTypes);

    FakeSystem fake;
    GenerateReportViewController reports;
    FakeSystem::Objects objects;
    objects.generateReportViewController = &reports;
    fake.setObjects(objects);
    SystemController controller(nullptr);
    if (setup == 1)
        reports.startMonitoring({{QStringLiteral("m"), QStringLiteral("a")}}, 21600000);
    if (setup == 2)
        controller.getConfigController().requestDeleteAudiogroups({{"m", "a"}});

    CommandParameter *parameter = nullptr;
    if (type == SystemCommand::RemoveAudiogroups)
        parameter = new RemoveAudiogroupCommandParameter({{"m", "a"}});
    else if (type == SystemCommand::StartGenerateManualReport)
        parameter = new StartGenerateManualReportCommandParameter({}, 21600000);
    else
        parameter = new DBImportRequestCommandParameter(
            getDataFolderFilePath(QStringLiteral("I__mA__a_kivDb.db")), false, QString());
    QCOMPARE(controller.enqueue(new Command(type, parameter)), 0);
    controller.processCommands();

    QCOMPARE(alerts(fake), alert.isEmpty() ? QStringList() : QStringList{alert});
    QCOMPARE(controller.getConfigController().queuedTypes(), queuedTypes);
}

KIV_TEST_MAIN(TestConfigController, QApplication)
#include "tst_configcontroller.moc"
