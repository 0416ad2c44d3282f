#include <KivTest.h>

#include <AcquisitionAg.h>
#include <AcquisitionAgManager.h>
#include <AgDataReceivedCommandParameter.h>
#include <AgDataVector.h>
#include <AgGetDataCommandReply.h>
#include <AgStoreResult.h>
#include <Command.h>
#include <CommandQueue.h>
#include <DBXMLImportCommandParameter.h>
#include <InstrumentDeviceNetworkInterfaceReply.h>
#include <KivUtils.h>

#include <climits>
#include <memory>

namespace {

constexpr int kReset = INT_MIN; // in a code sequence: resetStatus instead of a result
constexpr int kGap = kStoreGapCode;

AgConfig agConfig(const QString &name, bool imported = false, bool logging = true)
{
    AgConfig config(name);
    config.setImported(imported);
    config.setHasLoggingEnabled(logging);
    return config;
}

InstrumentConfig meter(const QList<AgConfig> &ags)
{
    InstrumentConfig config(QStringLiteral("meter"));
    for (const AgConfig &ag : ags)
        config.setAgConfig(ag);
    return config;
}

// A sample block that tells when it is freed.
class WatchedVector : public AgDataVector
{
public:
    explicit WatchedVector(bool *freed) : m_freed(freed) {}
    ~WatchedVector() override { *m_freed = true; }

private:
    bool *m_freed;
};

// A queue that refuses everything, as a stopped controller does.
class RefusingQueue : public CommandQueue
{
public:
    RefusingQueue() : CommandQueue(10) {}

protected:
    int handleCommand(Command *) override { return 0; }
    bool acceptsCommands() override { return false; }
};

} // namespace

class TestAcquisitionAg : public QObject
{
    Q_OBJECT
private slots:
    void resultStates_data();
    void resultStates();
    void timestampAnswers_data();
    void timestampAnswers();
    void readiness_data();
    void readiness();
    void syncFollowsConfiguration();
    void failedReplyCountsForActiveAudiogroups_data();
    void failedReplyCountsForActiveAudiogroups();
    void copiesCarryEveryField();
    void payloadsFreeWhatTheyOwn_data();
    void payloadsFreeWhatTheyOwn();
    void replyBodyChangesOwnerOnce();
};

void TestAcquisitionAg::resultStates_data()
{
    QTest::addColumn<bool>("store"); // else the data reply
    QTest::addColumn<QList<int>>("codes");
    QTest::addColumn<QList<int>>("states");
    QTest::addColumn<int>("error");

    QTest::newRow("reply fail, success, success")
        << false << QList<int>{7, 0, 0} << QList<int>{2, 1, 1} << 7;
    QTest::newRow("reply failures overwrite") << false << QList<int>{7, 9} << QList<int>{2, 2} << 9;
    QTest::newRow("reply success first stays 0")
        << false << QList<int>{0, 0} << QList<int>{0, 0} << 0;
    QTest::newRow("reply reset clears")
        << false << QList<int>{7, 0, kReset, 0} << QList<int>{2, 1, 0, 0} << 0;
    QTest::newRow("store gap is sticky")
        << true << QList<int>{kGap, 5, 0} << QList<int>{2, 2, 1} << kGap;
    QTest::newRow("store gap until reset")
        << true << QList<int>{kGap, kReset, 5} << QList<int>{2, 0, 2} << 5;
    QTest::newRow("store codes overwrite") << true << QList<int>{5, 6} << QList<int>{2, 2} << 6;
    QTest::newRow("store gap after other")
        << true << QList<int>{5, kGap, 6} << QList<int>{2, 2, 2} << kGap;
}

void TestAcquisitionAg::resultStates()
{
    QFETCH(bool, store);
    QFETCH(QList<int>, codes);
    QFETCH(QList<int>, states);
    QFETCH(int, error);

    AcquisitionAg record(meter({agConfig("pgm")}), agConfig("pgm"));
    const qint64 created = record.getLastDataTime();
    for (int i = 0; i < codes.size(); ++i) {
        if (codes[i] == kReset)
            record.resetStatus();
        else if (store)
            record.setStoreResult(codes[i], codes[i] == 0 ? 1 : 0);
        else
            record.setReplyResult(codes[i]);
        QCOMPARE(store ? record.getStoreState() : record.getReplyState(), states[i]);
        // The other kind never moves.
        QCOMPARE(store ? record.getReplyState() : record.getStoreState(), 0);
    }
    QCOMPARE(store ? record.getStoreError() : record.getReplyError(), error);
    QVERIFY(record.getLastDataTime() >= created);
    QVERIFY(!record.isConnected());
}

void TestAcquisitionAg::timestampAnswers_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<qint64>("timestamp");
    QTest::addColumn<bool>("ready");
    QTest::addColumn<bool>("connected");
    QTest::addColumn<int>("state");

    QTest::newRow("stored samples") << 0 << qint64(1700000000000) << true << true << 0;
    QTest::newRow("empty database") << 0 << qint64(0) << true << true << 0;
    QTest::newRow("no time stamp") << 0 << qint64(-1) << false << true << 0;
    QTest::newRow("store failed") << 14 << qint64(1700000000000) << false << false << 2;
}

void TestAcquisitionAg::timestampAnswers()
{
    QFETCH(int, code);
    QFETCH(qint64, timestamp);
    QFETCH(bool, ready);
    QFETCH(bool, connected);
    QFETCH(int, state);

    AcquisitionAgManager manager;
    manager.update(true, meter({agConfig("pgm")}));
    QCOMPARE(manager.getWaitingAudioGroups(), QStringList{"pgm"});

    manager.setTimestamp(QStringLiteral("pgm"), code, AgTimestamp(timestamp));
    manager.setTimestamp(QStringLiteral("unknown"), 0, AgTimestamp(5)); // ignored

    const QList<AcquisitionAg> status = manager.getStatusList();
    QCOMPARE(status.size(), 1);
    QCOMPARE(status[0].hasTimestamp(), ready);
    QCOMPARE(status[0].isConnected(), connected);
    QCOMPARE(status[0].getTimestampState(), state);
    QCOMPARE(manager.hasReadyAudioGroups(), ready);
    if (ready) {
        QCOMPARE(manager.getLastTimestamps().value("pgm"), QString::number(timestamp));
        QVERIFY(manager.getWaitingAudioGroups().isEmpty());
        // A request went out: everybody waits again.
        manager.invalidateTimestamps();
        QVERIFY(!manager.hasReadyAudioGroups());
        QCOMPARE(manager.getWaitingAudioGroups(), QStringList{"pgm"});
    }
    if (code != 0) {
        manager.setTimestamp(QStringLiteral("pgm"), 0, AgTimestamp(1));
        QCOMPARE(manager.getStatusList()[0].getTimestampState(), 1);
    }
}

void TestAcquisitionAg::readiness_data()
{
    QTest::addColumn<QList<AgConfig>>("ags");
    QTest::addColumn<QStringList>("answered"); // answered with time stamp 100
    QTest::addColumn<QStringList>("ready");
    QTest::addColumn<QStringList>("waiting");

    QTest::newRow("nobody answered") << QList<AgConfig>{agConfig("b"), agConfig("a")}
                                     << QStringList{} << QStringList{} << QStringList{"a", "b"};
    QTest::newRow("one answered") << QList<AgConfig>{agConfig("b"), agConfig("a")}
                                  << QStringList{"b"} << QStringList{"b"} << QStringList{"a"};
    QTest::newRow("imported never ready nor waiting")
        << QList<AgConfig>{agConfig("a"), agConfig("imp", true)} << QStringList{"a", "imp"}
        << QStringList{"a"} << QStringList{};
    QTest::newRow("logging off still asks") << QList<AgConfig>{agConfig("a", false, false)}
                                            << QStringList{} << QStringList{} << QStringList{"a"};
}

void TestAcquisitionAg::readiness()
{
    QFETCH(QList<AgConfig>, ags);
    QFETCH(QStringList, answered);
    QFETCH(QStringList, ready);
    QFETCH(QStringList, waiting);

    AcquisitionAgManager manager;
    manager.update(true, meter(ags));
    for (const QString &name : answered)
        manager.setTimestamp(name, 0, AgTimestamp(100));

    QCOMPARE(manager.hasReadyAudioGroups(), !ready.isEmpty());
    QCOMPARE(manager.getLastTimestamps().keys(), ready);
    for (const QString &text : manager.getLastTimestamps())
        QCOMPARE(text, QStringLiteral("100"));
    QCOMPARE(manager.getWaitingAudioGroups(), waiting);
}

void TestAcquisitionAg::syncFollowsConfiguration()
{
    AcquisitionAgManager manager;
    manager.update(true, meter({agConfig("A"), agConfig("B")}));
    manager.setTimestamp(QStringLiteral("B"), 0, AgTimestamp(42));
    manager.onDataReplied(QStringLiteral("B"), 3);
    const qint64 bStart = manager.getStatusList()[1].getConnectionStartTime();

    AgConfig changedB = agConfig("B");
    changedB.setTargetLoudness(-31.0);
    const qint64 before = monotonicMSecs();
    manager.update(false, meter({changedB, agConfig("C")}));

    const QList<AcquisitionAg> status = manager.getStatusList();
    QCOMPARE(status.size(), 2);
    QCOMPARE(status[0].getSourceName(), QStringLiteral("B"));
    QCOMPARE(status[0].getLastTimestampText(), QStringLiteral("42"));
    QVERIFY(status[0].isConnected());
    QCOMPARE(status[0].getReplyError(), 3);
    QCOMPARE(status[0].getConnectionStartTime(), bStart);
    // A record keeps the configuration it was made with.
    QCOMPARE(status[0].getAgConfig().getTargetLoudness(), agConfig("B").getTargetLoudness());
    QCOMPARE(status[1].getSourceName(), QStringLiteral("C"));
    QVERIFY(!status[1].isConnected());
    QVERIFY(!status[1].hasTimestamp());
    QVERIFY(status[1].getConnectionStartTime() >= before);
    QVERIFY(status[1].getLastReplyTime() >= before);
    QVERIFY(status[1].getLastDataTime() >= before);
    QVERIFY(!manager.getAcquisitionFlag());

    // Answers for the removed audiogroup are ignored.
    manager.onStoreResult(QStringLiteral("A"), 5, 0);
    manager.markConnected();
    for (const AcquisitionAg &record : manager.getStatusList()) {
        QVERIFY(record.isConnected());
        QCOMPARE(record.getStoreError(), 0);
    }
}

void TestAcquisitionAg::failedReplyCountsForActiveAudiogroups_data()
{
    QTest::addColumn<bool>("acquisition");
    QTest::addColumn<bool>("imported");
    QTest::addColumn<bool>("logging");
    QTest::addColumn<bool>("counted");

    QTest::newRow("active") << true << false << true << true;
    QTest::newRow("acquisition off") << false << false << true << false;
    QTest::newRow("imported") << true << true << true << false;
    QTest::newRow("logging off") << true << false << false << false;
}

void TestAcquisitionAg::failedReplyCountsForActiveAudiogroups()
{
    QFETCH(bool, acquisition);
    QFETCH(bool, imported);
    QFETCH(bool, logging);
    QFETCH(bool, counted);

    AcquisitionAgManager manager;
    manager.update(acquisition, meter({agConfig("a", imported, logging), agConfig("on")}));
    QCOMPARE(manager.isAcquisitionActive("a"), counted);
    QCOMPARE(manager.isAcquisitionActive("on"), acquisition);
    QVERIFY(!manager.isAcquisitionActive("missing"));

    manager.onDataReplyFailed(99);
    const QList<AcquisitionAg> status = manager.getStatusList();
    QCOMPARE(status[0].getReplyError(), counted ? 99 : 0);
    QCOMPARE(status[1].getReplyError(), acquisition ? 99 : 0);

    manager.resetStatus();
    for (const AcquisitionAg &record : manager.getStatusList()) {
        QCOMPARE(record.getReplyError(), 0);
        QCOMPARE(record.getReplyState(), 0);
    }
}

void TestAcquisitionAg::copiesCarryEveryField()
{
    qRegisterMetaType<AcquisitionAg>("AcquisitionAg");
    qRegisterMetaType<QList<AcquisitionAg>>("QList<AcquisitionAg>");

    AcquisitionAg record(meter({agConfig("pgm")}), agConfig("pgm"));
    record.setTimestamp(0, AgTimestamp(77));
    record.setReplyResult(4);
    record.setStoreResult(kGap, 1);

    // Through a QVariant, as a queued signal carries it.
    const QVariant variant = QVariant::fromValue(QList<AcquisitionAg>{record});
    const AcquisitionAg copy = variant.value<QList<AcquisitionAg>>().value(0);
    QCOMPARE(copy.getInstrumentName(), QStringLiteral("meter"));
    QCOMPARE(copy.getSourceName(), QStringLiteral("pgm"));
    QCOMPARE(copy.getLastTimestampText(), QStringLiteral("77"));
    QVERIFY(copy.isConnected());
    QCOMPARE(copy.getConnectionStartTime(), record.getConnectionStartTime());
    QCOMPARE(copy.getReplyError(), 4);
    QCOMPARE(copy.getStoreError(), kGap);
    QCOMPARE(copy.getTimestampState(), 0);
    QCOMPARE(copy.getReplyState(), 2);
    QCOMPARE(copy.getStoreState(), 2);

    AcquisitionAg assigned;
    assigned = copy;
    assigned = assigned;
    QCOMPARE(assigned.getStoreError(), kGap);
    QCOMPARE(assigned.getLastDataTime(), record.getLastDataTime());
}

void TestAcquisitionAg::payloadsFreeWhatTheyOwn_data()
{
    QTest::addColumn<QString>("payload");
    QTest::addColumn<bool>("taken");

    QTest::newRow("samples received, refused") << "samples" << false;
    QTest::newRow("xml import, refused") << "xml" << false;
    QTest::newRow("xml import, handed over") << "xml" << true;
    QTest::newRow("view data reply, deleted") << "view" << false;
    QTest::newRow("view data reply, taken") << "view" << true;
}

void TestAcquisitionAg::payloadsFreeWhatTheyOwn()
{
    QFETCH(QString, payload);
    QFETCH(bool, taken);

    bool freed = false;
    auto *block = new WatchedVector(&freed);
    std::unique_ptr<AgDataVector> takenBlock;
    if (payload == QLatin1String("view")) {
        auto *reply = new AgGetDataCommandReply(0, 0, 1, 2, 3, 4, block, Program(),
                                                ProgramCalculationData(), {}, {}, Program());
        if (taken)
            takenBlock.reset(reply->takeData());
        QCOMPARE(reply->getData(), taken ? nullptr : block);
        delete reply;
    } else {
        CommandParameter *parameter = nullptr;
        if (payload == QLatin1String("samples")) {
            parameter = new AgDataReceivedCommandParameter(QStringLiteral("meter"), block);
        } else {
            auto *xml = new DBXMLImportCommandParameter(5, 2, block);
            if (taken) {
                takenBlock.reset(xml->getData());
                xml->setData(nullptr);
            }
            parameter = xml;
        }
        // A stopped controller refuses the command; the queue frees it with its payload.
        RefusingQueue queue;
        QCOMPARE(queue.enqueue(new Command(1, parameter)), -1);
    }
    QCOMPARE(freed, !taken);
    takenBlock.reset();
    QVERIFY(freed);
}

void TestAcquisitionAg::replyBodyChangesOwnerOnce()
{
    InstrumentDeviceNetworkInterfaceReply received(QStringLiteral("meter"), 2, 0,
                                                   new QString(QStringLiteral("<reply/>")));
    QCOMPARE(received.getInstrumentId(), QStringLiteral("meter"));
    QCOMPARE(received.getSenderId(), QStringLiteral("meter"));

    // Routing to the instrument moves the body into a new payload.
    DeviceNetworkInterfaceReply forwarded(received.getRequestId(), received.getNetworkError(),
                                          received.takeReplyData());
    QCOMPARE(received.getReplyData(), nullptr);
    QVERIFY(forwarded.getSenderId().isEmpty());
    QCOMPARE(*forwarded.getReplyData(), QStringLiteral("<reply/>"));

    forwarded.setReplyData(forwarded.getReplyData()); // same body: kept
    QCOMPARE(*forwarded.getReplyData(), QStringLiteral("<reply/>"));
    forwarded.setReplyData(new QString(QStringLiteral("other")));
    QCOMPARE(*forwarded.getReplyData(), QStringLiteral("other"));
}

KIV_TEST_MAIN(TestAcquisitionAg, QCoreApplication)
#include "tst_acquisitionag.moc"
