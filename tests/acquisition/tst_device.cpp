// The device session state machine against a scripted network interface and clock.
#include "FakeSystem.h"
#include "KivTest.h"

#include <AAudioGroup.h>
#include <ADeviceNetworkInterface.h>
#include <AInstrument.h>
#include <AcquisitionRequest.h>
#include <AcquisitionTimecodeCommandParameter.h>
#include <AgTimestamp.h>
#include <Device.h>
#include <DeviceNetworkInterfaceReply.h>
#include <InstrumentManager.h>
#include <KivUtils.h>
#include <LoginRequest.h>
#include <SystemConfig.h>

#include <Command.h>

#include <QList>

#include <memory>

namespace {

// Records what the device sends; refuses on demand.
class ScriptedInterface : public ADeviceNetworkInterface
{
public:
    struct Sent
    {
        int type;
        QString reqid;
        bool hijack;
        QString hijackId;
        QString session;
        QMap<QString, QString> lastTimestamps;
    };

    ScriptedInterface() : ADeviceNetworkInterface(QStringLiteral("M")) {}

    bool send(ARequest::CommandType type, const ARequest &request, const QString &,
              const QString &) override
    {
        ++attempts;
        if (!accept)
            return false;
        Sent sent{type, request.getReqId(), false, QString(), QString(), {}};
        if (auto *login = dynamic_cast<const LoginRequest *>(&request)) {
            sent.hijack = login->getHijack();
            sent.hijackId = login->getHijackId();
        } else if (auto *data = dynamic_cast<const AcquisitionRequest *>(&request)) {
            sent.session = data->getSession();
            sent.lastTimestamps = data->getLastTimestamps();
        }
        this->sent.append(sent);
        return true;
    }
    qint64 msUntilReady() const override { return busyMs; }

    QList<Sent> sent;
    int attempts = 0;
    bool accept = true;
    qint64 busyMs = 0;
};

class ClockedDevice : public Device
{
public:
    qint64 now = 1000000;
    // This computer's clock; 0: the real one.
    qint64 utc = 0;
    ARequest *makeRequest(int kind) { return createRequest(kind); }

protected:
    qint64 nowMs() const override { return now; }
    qint64 utcNowMs() const override { return utc != 0 ? utc : Device::utcNowMs(); }
};

QString replyText(int code, const QString &extra = QString())
{
    return QStringLiteral("<response><version>1.0</version><reqid>1</reqid><status><code>%1</code>"
                          "<text>t</text></status><confid>C1</confid>%2</response>")
        .arg(code)
        .arg(extra);
}

QString loginReply(int code)
{
    return replyText(code, QStringLiteral("<session>S%1</session>").arg(code));
}

QString configReply(int code, const QString &name = QStringLiteral("M"))
{
    return replyText(code,
                     QStringLiteral("<LoudnessMeasurement><Name>%1</Name><ModelNumber>LM"
                                    "</ModelNumber><SerialNumber>1</SerialNumber><DataSource>"
                                    "<SourceName>A</SourceName></DataSource></LoudnessMeasurement>")
                         .arg(name));
}

// A data reply carrying samples for audiogroup A at the given time stamps; the meter says
// `available` are available (-1: as many as it sends).
QString dataReplyWithSamples(const QList<qint64> &stamps, int available = -1)
{
    QString samples;
    for (qint64 stamp : stamps)
        samples += QStringLiteral("<AGData><tmStamp>%1</tmStamp><pgmid>1</pgmid><TP>-3.00</TP>"
                                  "</AGData>")
                       .arg(stamp);
    return replyText(0, QStringLiteral("<AGDataList><Name>A</Name><numAvail>%1</numAvail>%2"
                                       "</AGDataList>")
                            .arg(available < 0 ? stamps.size() : available)
                            .arg(samples));
}

// Rounds of toldWhatIsNotStored that the program does not ask in: the meter keeps the
// samples measured in it, or loses them.
constexpr int kUnasked = 100000;
constexpr int kLost = 100001;

QString dataReply(int code)
{
    return replyText(code, QStringLiteral("<AGDataList><Name>A</Name><numAvail>0</numAvail>"
                                          "</AGDataList>"));
}

} // namespace

class DeviceTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void stageTable_data();
    void stageTable();
    void unknownCodeLoggedOncePerReply();
    void renamedMeterIsLoggedNotMerged();
    void invalidSuccessDoesNotAdvance();
    void loginPacing();
    void nextStepDueFollowsPacing();
    void dataPacingAndReadiness();
    void refusedDataSendKeepsReadiness();
    void requestIdWraps();
    void hijackNeedsExplicitPermission();
    void hijackQuestionRefusedForgetsTakeOver();
    void inactiveDeviceSendsNothing();
    void networkErrorChangesNothing();
    void staleTimestampAfterDispatchIgnored();
    void storeResultMakesReadyWithoutAsking();
    void resumeAsksAtOnceForBatchesDroppedByPause();
    void strayFutureSampleCountsOnce();
    void toldWhatIsNotStored_data();
    void toldWhatIsNotStored();
    void stopCausesLoggedOnce_data();
    void stopCausesLoggedOnce();
    void storeResultsOfOneReplyWakeOnce();
    void noTimestampAsksWhileRequestInFlight();

private:
    // A running audiogroup A of meter M, to post batches to (its answers go to the manager's
    // own instrument M, so this device sees only what the test hands it).
    void startAudioGroupA(const QStringList &names = {QStringLiteral("A")});
    // Then this device, in its data stage, has asked for A's data from 0,
    void askFirstDataOfA();
    // and dispatched a reply of three samples up to 1200.
    void dispatchFirstBatchToA();
    qint64 answeredTimestamp(const QString &name);
    void feed(int type, const QString &body, int networkError = 0, int httpStatus = 0);
    AcquisitionAg statusOf(const QString &name);
    static InstrumentConfig meterConfig(const QString &port = QStringLiteral("80"));
    void makeReady(const QString &name = QStringLiteral("A"), qint64 timestamp = 500);
    void bringToState(int state);
    int sentCount(int type) const;

    std::unique_ptr<FakeSystem> m_system;
    std::unique_ptr<InstrumentManager> m_manager;
    std::unique_ptr<ClockedDevice> m_device;
    ScriptedInterface *m_net = nullptr;
};

void DeviceTest::init()
{
    m_system = std::make_unique<FakeSystem>();
    SystemConfig systemConfig;
    systemConfig.setAcquisitionTimeout(2000);
    m_system->setCurrentConfig(systemConfig);
    m_device = std::make_unique<ClockedDevice>();
    m_net = new ScriptedInterface();
    QCOMPARE(m_device->init(true, meterConfig(), 1, m_net), 0);
}

// Meter M with audiogroup A and the imported B.
InstrumentConfig DeviceTest::meterConfig(const QString &port)
{
    InstrumentConfig config(QStringLiteral("M"));
    config.setIpAdr(QStringLiteral("http://127.0.0.1"));
    config.setPort(port);
    config.setPass(QStringLiteral("pw"));
    config.setConfigurationID(QStringLiteral("C1"));
    AgConfig a;
    a.setName(QStringLiteral("A"));
    AgConfig b;
    b.setName(QStringLiteral("B"));
    b.setImported(true);
    config.setAgConfigs({a, b});
    return config;
}

void DeviceTest::cleanup()
{
    if (m_manager) {
        m_manager->stopAll();
        QTRY_VERIFY(m_manager->areAllFinished());
        m_system->setInstrumentManager(nullptr);
        m_manager.reset();
    }
    m_device.reset();
    m_system.reset();
}

void DeviceTest::feed(int type, const QString &body, int networkError, int httpStatus)
{
    auto *reply = new DeviceNetworkInterfaceReply(type, networkError,
                                                  networkError ? nullptr : new QString(body));
    reply->setHttpStatus(httpStatus);
    Command command(0, reply);
    QCOMPARE(m_device->onRawDataReceived(&command), 0);
}

AcquisitionAg DeviceTest::statusOf(const QString &name)
{
    for (const AcquisitionAg &status : m_device->getAcquisitionStatus())
        if (status.getSourceName() == name)
            return status;
    return AcquisitionAg();
}

void DeviceTest::makeReady(const QString &name, qint64 timestamp)
{
    AgCommandReply reply(name, 0, 1,
                         new AcquisitionTimecodeCommandParameter(AgTimestamp(timestamp)));
    QCOMPARE(m_device->onTimestampReply(&reply), 0);
}

int DeviceTest::sentCount(int type) const
{
    int count = 0;
    for (const ScriptedInterface::Sent &sent : m_net->sent)
        count += sent.type == type ? 1 : 0;
    return count;
}

void DeviceTest::bringToState(int state)
{
    m_device->step(); // 0 -> 1
    QCOMPARE(m_device->getState(), 1);
    if (state == 2 || state == 3) {
        feed(ARequest::LOGIN, loginReply(state == 2 ? 0 : 2));
        m_device->step();
    }
    QCOMPARE(m_device->getState(), state);
    m_net->sent.clear();
    m_device->now += 10000;
}

void DeviceTest::stageTable_data()
{
    QTest::addColumn<int>("state");
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("nextState");
    QTest::addColumn<int>("sentType"); // -1: nothing sent

    const int login = ARequest::LOGIN, config = ARequest::GETCONFIG, data = ARequest::GETDATA;
    struct Row
    {
        int code, login, data, config;
    };
    // Per code: (next state, sent type) of the login, data and configuration stages, packed
    // as state * 10 + (sent type + 1).
    const Row rows[] = {
        {0, 2 * 10 + 0, 2 * 10 + data + 1, 1 * 10 + 0},
        {1, 1 * 10 + login + 1, 2 * 10 + data + 1, 3 * 10 + config + 1},
        {2, 3 * 10 + 0, 3 * 10 + 0, 3 * 10 + config + 1},
        {3, 1 * 10 + login + 1, 2 * 10 + data + 1, 3 * 10 + config + 1},
        {5, 1 * 10 + login + 1, 2 * 10 + data + 1, 3 * 10 + config + 1},
        {6, 1 * 10 + 0, 2 * 10 + 0, 3 * 10 + 0},
        // A valid 7 asks the user and waits for the answer.
        {7, 1 * 10 + 0, 1 * 10 + 0, 3 * 10 + 0},
        {8, 1 * 10 + login + 1, 1 * 10 + 0, 3 * 10 + 0},
        {9, 1 * 10 + login + 1, 1 * 10 + 0, 3 * 10 + 0},
        {42, 1 * 10 + login + 1, 2 * 10 + data + 1, 3 * 10 + config + 1},
    };
    for (const Row &row : rows) {
        const int cells[3][2] = {{1, row.login}, {2, row.data}, {3, row.config}};
        for (const auto &cell : cells) {
            QTest::addRow("state %d code %d", cell[0], row.code)
                << cell[0] << row.code << cell[1] / 10 << cell[1] % 10 - 1;
        }
    }
}

void DeviceTest::stageTable()
{
    QFETCH(int, state);
    QFETCH(int, code);
    QFETCH(int, nextState);
    QFETCH(int, sentType);
    bringToState(state);
    makeReady();
    const int replyType =
        state == 1 ? ARequest::LOGIN : (state == 2 ? ARequest::GETDATA : ARequest::GETCONFIG);
    const QString body =
        state == 1 ? loginReply(code) : (state == 2 ? dataReply(code) : configReply(code));
    feed(replyType, body);
    makeReady(); // a dispatched data reply made the audiogroup wait
    m_device->step();
    QCOMPARE(m_device->getState(), nextState);
    if (sentType < 0) {
        QCOMPARE(m_net->sent.size(), 0);
        // Codes that stop a stage keep it silent on later steps too.
        m_device->now += 5000;
        m_device->step();
        if (nextState == state)
            QCOMPARE(m_net->sent.size(), 0);
    } else {
        QCOMPARE(m_net->sent.size(), 1);
        QCOMPARE(m_net->sent.first().type, sentType);
    }
    if (code == 7 && state == 1)
        QCOMPARE(m_system->callCount(QStringLiteral("requestHijackPermission")), 1);
    if (code == 0 && state == 3)
        QCOMPARE(m_system->callCount(QStringLiteral("changeInstrumentConfig")), 1);
}

void DeviceTest::unknownCodeLoggedOncePerReply()
{
    KivTest::CapturedLog *log = KivTest::captureLog();
    const QString line = QStringLiteral("Device[M] unknown error code 42");
    const int before = log->count(line);
    bringToState(1);
    feed(ARequest::LOGIN, loginReply(42));
    for (int i = 0; i < 5; ++i) {
        m_device->now += 1001;
        m_device->step();
        m_device->step();
    }
    // The code stays and LOGIN is repeated under its pacing; the line is written once.
    QCOMPARE(m_device->getLastLoginCode(), 42);
    QCOMPARE(sentCount(ARequest::LOGIN), 5);
    QCOMPARE(log->count(line), before + 1);
    // The next reply with it, within the minute, is a repeat: counted, not written again.
    feed(ARequest::LOGIN, loginReply(42));
    m_device->step();
    QCOMPARE(log->count(line), before + 1);
}

void DeviceTest::renamedMeterIsLoggedNotMerged()
{
    KivTest::CapturedLog *log = KivTest::captureLog();
    const QString line = QStringLiteral("Device[M] the meter now calls itself \"Studio 2\"");
    const int before = log->count(line);
    bringToState(3);
    for (int i = 0; i < 3; ++i)
        feed(ARequest::GETCONFIG, configReply(0, QStringLiteral("Studio 2")));
    QCOMPARE(m_system->callCount(QStringLiteral("changeInstrumentConfig")), 0);
    QCOMPARE(log->count(line), before + 1);
    feed(ARequest::GETCONFIG, configReply(0));
    QCOMPARE(m_system->callCount(QStringLiteral("changeInstrumentConfig")), 1);
}

void DeviceTest::invalidSuccessDoesNotAdvance()
{
    bringToState(1);
    // Code 0 without a session is not a login.
    feed(ARequest::LOGIN, replyText(0));
    QCOMPARE(m_device->getLastLoginCode(), -1);
    m_device->step();
    QCOMPARE(m_device->getState(), 1);
    QCOMPARE(sentCount(ARequest::LOGIN), 1);
}

void DeviceTest::loginPacing()
{
    m_device->step();
    m_device->step();
    QCOMPARE(sentCount(ARequest::LOGIN), 1);
    QCOMPARE(m_net->sent.first().reqid, QStringLiteral("0"));
    m_device->now += 1000;
    m_device->step();
    QCOMPARE(sentCount(ARequest::LOGIN), 1); // not more than 1000 ms yet
    m_device->now += 1;
    m_device->step();
    QCOMPARE(sentCount(ARequest::LOGIN), 2);
    // Refused sends still build, count and pace a request.
    m_net->accept = false;
    m_device->now += 1001;
    m_device->step();
    QCOMPARE(m_device->getRequestCounter(), 3);
}

void DeviceTest::nextStepDueFollowsPacing()
{
    // The controller sleeps until this due time: it must never be later than the first step
    // that acts, and there is none while the device waits for a reply.
    QCOMPARE(m_device->msUntilNextStep(), qint64(0));
    m_device->step(); // 0 -> 1
    QCOMPARE(m_device->msUntilNextStep(), qint64(0));
    m_device->step();
    QCOMPARE(sentCount(ARequest::LOGIN), 1);
    QCOMPARE(m_device->msUntilNextStep(), Device::kLoginPacingMs + 1);
    m_device->now += Device::kLoginPacingMs;
    QCOMPARE(m_device->msUntilNextStep(), qint64(1));
    m_device->step();
    QCOMPARE(sentCount(ARequest::LOGIN), 1);
    m_device->now += 1;
    QCOMPARE(m_device->msUntilNextStep(), qint64(0));
    m_device->step();
    QCOMPARE(sentCount(ARequest::LOGIN), 2);
    // Code 6: the stage waits for the next reply; an unknown code is logged at the next step.
    feed(ARequest::LOGIN, loginReply(6));
    m_device->now += 5000;
    QCOMPARE(m_device->msUntilNextStep(), qint64(-1));
    feed(ARequest::LOGIN, loginReply(42));
    QCOMPARE(m_device->msUntilNextStep(), qint64(0));
    m_device->step();
    QCOMPARE(m_device->msUntilNextStep(), Device::kLoginPacingMs + 1);
    feed(ARequest::LOGIN, loginReply(0));
    QCOMPARE(m_device->msUntilNextStep(), qint64(0));
    m_device->step();
    QCOMPARE(m_device->getState(), 2);

    // Data: nothing before an audiogroup is ready, then the acquisition timeout.
    QCOMPARE(m_device->msUntilNextStep(), qint64(-1));
    makeReady(QStringLiteral("A"), 0);
    QCOMPARE(m_device->msUntilNextStep(), qint64(0));
    m_device->step();
    QCOMPARE(sentCount(ARequest::GETDATA), 1);
    QCOMPARE(m_device->msUntilNextStep(), qint64(-1));
    makeReady(QStringLiteral("A"), 900);
    QCOMPARE(m_device->msUntilNextStep(), qint64(2001));
    // A request in flight holds the next one back until its time-out.
    m_device->now += 2001;
    m_net->busyMs = 300;
    QCOMPARE(m_device->msUntilNextStep(), qint64(300));
    m_net->busyMs = 0;
    QCOMPARE(m_device->msUntilNextStep(), qint64(0));
    m_device->step();
    QCOMPARE(sentCount(ARequest::GETDATA), 2);

    // A hijack question waits for the user's answer, which is acted on at once.
    feed(ARequest::GETDATA, dataReply(8));
    m_device->step();
    QCOMPARE(m_device->getState(), 1);
    m_device->now += 10000;
    feed(ARequest::LOGIN, loginReply(7));
    QVERIFY(m_device->isHijackPermissionRequested());
    QCOMPARE(m_device->msUntilNextStep(), qint64(-1));
    m_device->resetHijackRequest();
    QCOMPARE(m_device->msUntilNextStep(), qint64(0));

    // Acquisition off: nothing to do.
    InstrumentConfig off(QStringLiteral("M"));
    m_device->updateConfig(false, off);
    m_device->step();
    QCOMPARE(m_device->msUntilNextStep(), qint64(-1));
}

void DeviceTest::dataPacingAndReadiness()
{
    bringToState(2);
    m_device->step();
    QCOMPARE(sentCount(ARequest::GETDATA), 0); // nobody ready yet
    makeReady(QStringLiteral("A"), 0);
    makeReady(QStringLiteral("B"), 700); // imported: never asked
    m_device->step();
    QCOMPARE(sentCount(ARequest::GETDATA), 1);
    QCOMPARE(m_net->sent.last().lastTimestamps.keys(), QStringList{QStringLiteral("A")});
    QCOMPARE(m_net->sent.last().lastTimestamps.value(QStringLiteral("A")), QStringLiteral("0"));
    QCOMPARE(m_net->sent.last().session, QStringLiteral("S0"));
    // Sending made A wait again; a fresh time stamp is not enough before the timeout.
    makeReady(QStringLiteral("A"), 900);
    m_device->now += 2000;
    m_device->step();
    QCOMPARE(sentCount(ARequest::GETDATA), 1);
    m_device->now += 1;
    m_device->step();
    QCOMPARE(sentCount(ARequest::GETDATA), 2);
    QCOMPARE(m_net->sent.last().lastTimestamps.value(QStringLiteral("A")), QStringLiteral("900"));
    // A dispatched reply makes every audiogroup wait for its newest stored time stamp.
    makeReady(QStringLiteral("A"), 1000);
    feed(ARequest::GETDATA, dataReply(0));
    m_device->now += 5000;
    m_device->step();
    QCOMPARE(sentCount(ARequest::GETDATA), 2);
}

void DeviceTest::refusedDataSendKeepsReadiness()
{
    bringToState(2);
    makeReady(QStringLiteral("A"), 40);
    m_net->accept = false;
    m_device->step();
    QCOMPARE(m_net->attempts, 1);
    m_net->accept = true;
    m_device->now += 10; // the next step tries again at once
    m_device->step();
    QCOMPARE(sentCount(ARequest::GETDATA), 1);
    QCOMPARE(m_net->sent.last().lastTimestamps.value(QStringLiteral("A")), QStringLiteral("40"));
}

void DeviceTest::requestIdWraps()
{
    for (int i = 0; i < Device::kRequestIdWrap - 1; ++i)
        delete m_device->makeRequest(ARequest::LOGIN);
    std::unique_ptr<ARequest> last(m_device->makeRequest(ARequest::GETCONFIG));
    QCOMPARE(last->getReqId(), QStringLiteral("199999"));
    std::unique_ptr<ARequest> wrapped(m_device->makeRequest(ARequest::GETDATA));
    QCOMPARE(wrapped->getReqId(), QStringLiteral("0"));
    QCOMPARE(m_device->makeRequest(7), nullptr);
    QCOMPARE(m_device->getRequestCounter(), 1);
}

void DeviceTest::hijackNeedsExplicitPermission()
{
    bringToState(1);
    feed(ARequest::LOGIN, loginReply(7));
    QVERIFY(m_device->isHijackPermissionRequested());
    QCOMPARE(m_device->getHijackId(), QStringLiteral("S7"));
    // A second 7 while the question is open asks nothing more.
    feed(ARequest::LOGIN, loginReply(7));
    QCOMPARE(m_system->callCount(QStringLiteral("requestHijackPermission")), 1);
    for (int i = 0; i < 3; ++i) {
        m_device->now += 2000;
        m_device->step();
    }
    QCOMPARE(m_net->sent.size(), 0); // waiting for the user

    m_device->allowHijackRequest();
    m_device->step();
    QCOMPARE(sentCount(ARequest::LOGIN), 1);
    QVERIFY(m_net->sent.last().hijack);
    QCOMPARE(m_net->sent.last().hijackId, QStringLiteral("S7"));
    feed(ARequest::LOGIN, loginReply(0));
    QCOMPARE(m_device->getSession(), QStringLiteral("S0"));
    QVERIFY(!m_device->getHijackMode());

    // The meter is taken again; this time the user says no: the next login is a plain one.
    m_device->step();
    QCOMPARE(m_device->getState(), 2);
    feed(ARequest::GETDATA, dataReply(7));
    m_device->step();
    QCOMPARE(m_device->getState(), 1);
    feed(ARequest::LOGIN, loginReply(7));
    QCOMPARE(m_system->callCount(QStringLiteral("requestHijackPermission")), 2);
    m_device->resetHijackRequest();
    m_device->now += 2000;
    m_device->step();
    QVERIFY(!m_device->isHijackPermissionRequested());
    QVERIFY(!m_net->sent.isEmpty());
    QVERIFY(!m_net->sent.last().hijack);
    QVERIFY(m_net->sent.last().hijackId.isEmpty());
}

void DeviceTest::hijackQuestionRefusedForgetsTakeOver()
{
    m_system->setPostResult(-1);
    bringToState(1);
    feed(ARequest::LOGIN, loginReply(7));
    QVERIFY(!m_device->isHijackPermissionRequested());
    QVERIFY(!m_device->getHijackMode());
    m_device->step();
    QCOMPARE(sentCount(ARequest::LOGIN), 1);
    QVERIFY(!m_net->sent.last().hijack);
}

void DeviceTest::inactiveDeviceSendsNothing()
{
    InstrumentConfig config(QStringLiteral("M"));
    AgConfig a;
    a.setName(QStringLiteral("A"));
    a.setHasLoggingEnabled(false);
    config.setAgConfigs({a});
    m_device->updateConfig(true, config);
    QVERIFY(!m_device->isAcquisitionActive());
    for (int i = 0; i < 10; ++i) {
        m_device->now += 2000;
        m_device->step();
    }
    QCOMPARE(m_net->attempts, 0);
    QCOMPARE(m_device->getState(), 0);
    a.setHasLoggingEnabled(true);
    config.setAgConfigs({a});
    m_device->updateConfig(false, config); // the system switch is off
    m_device->step();
    QCOMPARE(m_net->attempts, 0);
    m_device->updateConfig(true, config);
    m_device->step();
    m_device->step();
    QCOMPARE(sentCount(ARequest::LOGIN), 1);
}

void DeviceTest::networkErrorChangesNothing()
{
    bringToState(2);
    makeReady();
    m_device->step();
    QCOMPARE(sentCount(ARequest::GETDATA), 1);
    feed(ARequest::GETDATA, QString(), 1);
    QCOMPARE(m_device->getLastDataCode(), -1);
    const QList<AcquisitionAg> status = m_device->getAcquisitionStatus();
    QCOMPARE(status.size(), 2);
    feed(ARequest::GETDATA, dataReply(3));
    QCOMPARE(m_device->getLastDataCode(), 3);
}

void DeviceTest::askFirstDataOfA()
{
    startAudioGroupA();
    bringToState(2);
    makeReady(QStringLiteral("A"), 0);
    m_device->step();
    QCOMPARE(sentCount(ARequest::GETDATA), 1);
}

void DeviceTest::dispatchFirstBatchToA()
{
    askFirstDataOfA();
    feed(ARequest::GETDATA, dataReplyWithSamples({1000, 1100, 1200}));
}

void DeviceTest::startAudioGroupA(const QStringList &names)
{
    QVERIFY(createDataFolder());
    m_manager = std::make_unique<InstrumentManager>();
    m_system->setInstrumentManager(m_manager.get());
    InstrumentConfig config(QStringLiteral("M"));
    QList<AgConfig> groups;
    for (const QString &name : names) {
        AgConfig group;
        group.setName(name);
        groups.append(group);
    }
    config.setAgConfigs(groups);
    QCOMPARE(m_manager->init(true, {config}), 0);
    m_manager->unpauseAll();
    for (const QString &name : names) {
        AAudioGroup *audioGroup = m_manager->findAudioGroup(QStringLiteral("M"), name);
        QVERIFY(audioGroup);
        QTRY_VERIFY(!audioGroup->isPaused());
    }
}

void DeviceTest::staleTimestampAfterDispatchIgnored()
{
    dispatchFirstBatchToA();
    // Read before the batch was stored: asking from 0 again would fetch it twice.
    makeReady(QStringLiteral("A"), 0);
    m_device->now += 5000;
    m_device->step();
    QCOMPARE(sentCount(ARequest::GETDATA), 1);
    // Once the batch is acknowledged, the next answer counts.
    AgCommandReply stored(QStringLiteral("A"), 0, 2);
    QCOMPARE(m_device->onStoreResult(&stored), 0);
    makeReady(QStringLiteral("A"), 1200);
    m_device->step();
    QCOMPARE(sentCount(ARequest::GETDATA), 2);
    QCOMPARE(m_net->sent.last().lastTimestamps.value(QStringLiteral("A")), QStringLiteral("1200"));
}

void DeviceTest::storeResultMakesReadyWithoutAsking()
{
    dispatchFirstBatchToA();
    // The audiogroup's store result carries its newest stored time stamp (its answers go
    // to the manager's own meter M).
    QTRY_COMPARE(answeredTimestamp(QStringLiteral("A")), qint64(1200));
    // While the batch awaits that result, A is not asked: nothing is due before the next
    // request.
    QCOMPARE(m_device->msUntilNextStep(), qint64(2001));
    m_device->now += 1000;
    QCOMPARE(m_device->msUntilNextStep(), qint64(1001));
    AgCommandReply stored(QStringLiteral("A"), 0, 2,
                          new AcquisitionTimecodeCommandParameter(AgTimestamp(1200)));
    QCOMPARE(m_device->onStoreResult(&stored), 0);
    m_device->now += 1001;
    QCOMPARE(m_device->msUntilNextStep(), qint64(0));
    m_device->step();
    QCOMPARE(sentCount(ARequest::GETDATA), 2);
    QCOMPARE(m_net->sent.last().lastTimestamps.value(QStringLiteral("A")), QStringLiteral("1200"));

    // A result that never comes: A is asked once the batch has expired, as before.
    feed(ARequest::GETDATA, dataReplyWithSamples({1300}));
    m_device->now += Device::kPendingBatchExpiryMs - 1;
    m_device->step();
    QCOMPARE(m_device->msUntilNextStep(), qint64(1));
    m_device->now += 1;
    QCOMPARE(m_device->msUntilNextStep(), qint64(0));
    // A store result without a time stamp (it could not be read) leaves A to be asked.
    AgCommandReply bare(QStringLiteral("A"), 0, 2);
    QCOMPARE(m_device->onStoreResult(&bare), 0);
    QCOMPARE(m_device->msUntilNextStep(), qint64(0));
}

void DeviceTest::resumeAsksAtOnceForBatchesDroppedByPause()
{
    dispatchFirstBatchToA();
    // A pause dropped the batch, and with it its store result: once resumed, A's answer
    // counts at once, so the meter is asked again from the newest sample really stored.
    m_device->onResumed();
    QCOMPARE(m_device->msUntilNextStep(), qint64(0));
    makeReady(QStringLiteral("A"), 0);
    m_device->now += 2001;
    m_device->step();
    QCOMPARE(sentCount(ARequest::GETDATA), 2);
    QCOMPARE(m_net->sent.last().lastTimestamps.value(QStringLiteral("A")), QStringLiteral("0"));
}

// A meter sends a sample stamped far ahead again with every reply, as it is never stored:
// refused each time, it counts once.
void DeviceTest::strayFutureSampleCountsOnce()
{
    askFirstDataOfA();
    const qint64 stray = currentUtcMSecs() + 365LL * 86400 * 1000;
    feed(ARequest::GETDATA, dataReplyWithSamples({1000, 1100, stray}));
    feed(ARequest::GETDATA, dataReplyWithSamples({1200, stray}));
    feed(ARequest::GETDATA, dataReplyWithSamples({stray + 100}));
    QCOMPARE(statusOf(QStringLiteral("A")).getFutureSamples(), qint64(2));
    QCOMPARE(statusOf(QStringLiteral("A")).getLastFutureTimestamp(), stray + 100);
    // Later samples stamped ahead, but less far than the stray one, count as well.
    for (int i = 0; i < 30; ++i) {
        const qint64 ahead = currentUtcMSecs() + 15 * 60 * 1000 + i * 2000;
        feed(ARequest::GETDATA, dataReplyWithSamples({1300, ahead, stray}));
    }
    QCOMPARE(statusOf(QStringLiteral("A")).getFutureSamples(), qint64(32));
}

// A meter whose clock steps, or that loses samples: whatever it delivers that is not
// stored is counted and logged, its clock running ahead is told, a gap is logged once
// with the samples missing, and an audiogroup without new samples is told with its likely
// reason. Each round is 2 s of the meter's samples (100 ms apart), stamped with the meter
// clock's offset in seconds, or a round the program does not ask in.
void DeviceTest::toldWhatIsNotStored_data()
{
    QTest::addColumn<QList<int>>("rounds");
    // The meter sends what it measured since the last reply whatever its stamps, or only
    // the samples stamped after the one asked after (then it says how many it measured).
    QTest::addColumn<bool>("sendsOld");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<qint64>("oldSamples");
    QTest::addColumn<qint64>("gapMissing");
    QTest::addColumn<QString>("cause");

    auto rounds = [](std::initializer_list<std::pair<int, int>> runs) {
        QList<int> out;
        for (const auto &run : runs)
            for (int i = 0; i < run.first; ++i)
                out << run.second;
        return out;
    };
    const QString behind = QStringLiteral(
        "audiogroup A: no new sample for 30 s although the meter answers; the meter's clock "
        "is likely behind the newest stored sample");
    QTest::newRow("clock 5 minutes ahead for 30 s, then right")
        << rounds({{3, 0}, {15, 300}, {20, 0}}) << true
        << QStringList{"audiogroup A: a gap of 300.0 s in the meter's samples",
                       "3000 samples missing (the meter's clock runs ahead)",
                       // told at once, and the rest a minute later
                       "audiogroup A: 20 samples stamped", "audiogroup A: 280 samples stamped",
                       "audiogroup A: 20 samples not stored, stamped", behind}
        << qint64(20 * 20) << qint64(3000) << behind;
    QTest::newRow("clock 5 minutes ahead for 30 s, then right, the meter sends none of it")
        << rounds({{3, 0}, {15, 300}, {20, 0}}) << false
        << QStringList{"3000 samples missing (the meter's clock runs ahead)",
                       "audiogroup A: 20 samples stamped", "audiogroup A: 280 samples stamped",
                       behind}
        << qint64(0) << qint64(3000) << behind;
    QTest::newRow("clock set back an hour")
        << rounds({{3, 0}, {20, -3600}}) << true
        << QStringList{"audiogroup A: 20 samples not stored, stamped", behind} << qint64(20 * 20)
        << qint64(0) << behind;
    QTest::newRow("clock set back an hour, the meter sends none of it")
        << rounds({{3, 0}, {20, -3600}}) << false << QStringList{behind} << qint64(0) << qint64(0)
        << behind;
    QTest::newRow("samples lost while the program did not ask")
        << rounds({{3, 0}, {30, kLost}, {3, 0}}) << true
        << QStringList{"audiogroup A: a gap of 60.0 s in the meter's samples",
                       "600 samples missing"}
        << qint64(0) << qint64(600) << QString();
    QTest::newRow("samples lost inside a reply")
        << rounds({{3, 0}, {1, kUnasked}, {5, kLost}, {2, 0}}) << true
        << QStringList{"audiogroup A: a gap of 10.0 s in the meter's samples",
                       "100 samples missing"}
        << qint64(0) << qint64(100) << QString();
}

void DeviceTest::toldWhatIsNotStored()
{
    QFETCH(QList<int>, rounds);
    QFETCH(bool, sendsOld);
    QFETCH(QStringList, lines);
    QFETCH(qint64, oldSamples);
    QFETCH(qint64, gapMissing);
    QFETCH(QString, cause);

    KivTest::CapturedLog *log = KivTest::captureLog();
    const int logged = log->lines().size();
    // Each row on a day of its own: a text logged by an earlier row would be a repeat.
    static int row = 0;
    qint64 utc = 1800000000000LL + (row++) * 86400000LL;
    m_device->utc = utc;
    askFirstDataOfA(); // from 0
    qint64 stored = 0;
    QList<qint64> held; // measured, not yet sent, in the order measured
    bool first = true;
    int requests = 1;
    for (int offset : rounds) {
        utc += 2000;
        m_device->utc = utc;
        m_device->now += 2001;
        if (offset != kLost) {
            const qint64 shift = offset == kUnasked ? 0 : offset * 1000LL;
            for (qint64 t = utc - 1900; t <= utc; t += 100)
                held << t + shift;
        }
        if (offset == kLost || offset == kUnasked)
            continue;
        if (!first) {
            m_device->step();
            QCOMPARE(sentCount(ARequest::GETDATA), ++requests);
        }
        first = false;
        const qint64 asked = m_net->sent.last().lastTimestamps.value(QStringLiteral("A")).toLongLong();
        QList<qint64> sent;
        for (qint64 t : qAsConst(held))
            if (sendsOld || t > asked)
                sent << t;
        feed(ARequest::GETDATA, dataReplyWithSamples(sent, held.size()));
        held.clear();
        // The store keeps what is newer than its newest.
        for (qint64 t : qAsConst(sent))
            if (t > stored && t <= utc + Device::kFutureLimitMs)
                stored = t;
        AgCommandReply result(QStringLiteral("A"), 0, 2,
                              new AcquisitionTimecodeCommandParameter(AgTimestamp(stored)));
        QCOMPARE(m_device->onStoreResult(&result), 0);
    }
    const QStringList written = log->lines().mid(logged);
    for (const QString &line : qAsConst(lines))
        QCOMPARE(written.filter(line).size(), 1);
    const AcquisitionAg status = statusOf(QStringLiteral("A"));
    QCOMPARE(status.getOldSamples(), oldSamples);
    QCOMPARE(status.getLastGapMissing(), gapMissing);
    QVERIFY2(status.getStopCause().startsWith(cause.section(QLatin1String(": "), 1)) &&
                 cause.isEmpty() == status.getStopCause().isEmpty(),
             qPrintable(status.getStopCause()));
    QCOMPARE(status.getClockAheadMs(), qint64(0));
}

// A cause that keeps the audiogroup from its samples is logged once however often it
// repeats, shown on its status, and its end is logged once.
void DeviceTest::stopCausesLoggedOnce_data()
{
    QTest::addColumn<int>("networkError");
    QTest::addColumn<int>("httpStatus");
    QTest::addColumn<QString>("begin");
    QTest::addColumn<QString>("end");
    QTest::newRow("HTTP 500") << 401 << 500
                              << "Device[M] no samples: the meter at http://127.0.0.1:4711 answers "
                                 "HTTP 500 instead of 200"
                              << "Device[M] the meter answers again";
    QTest::newRow("refused") << 1 << 0
                             << "Device[M] no samples: the meter at http://127.0.0.1:4711 refuses "
                                "the connection (nothing listens there)"
                             << "Device[M] the meter answers again";
    QTest::newRow("not found") << 3 << 0
                               << "Device[M] no samples: the meter's address "
                                  "http://127.0.0.1:4711 is not found (host not found)"
                               << "Device[M] the meter answers again";
    QTest::newRow("audiogroup missing")
        << 0 << 0 << "Device[M] audiogroup A: missing from the meter's replies"
        << "Device[M] audiogroup A: samples come again";
}

void DeviceTest::stopCausesLoggedOnce()
{
    QFETCH(int, networkError);
    QFETCH(int, httpStatus);
    QFETCH(QString, begin);
    QFETCH(QString, end);
    KivTest::CapturedLog *log = KivTest::captureLog();
    const int logged = log->lines().size();
    // A port of its own: other tests logged failures at port 80, and the log would take
    // these lines for their repeats.
    m_device->updateConfig(true, meterConfig(QStringLiteral("4711")));
    askFirstDataOfA();
    const QString elsewhere = QStringLiteral("<AGDataList><Name>Other</Name><numAvail>0"
                                             "</numAvail></AGDataList>");
    for (int i = 0; i < 5; ++i) {
        if (i > 0) {
            makeReady(QStringLiteral("A"), 0);
            m_device->now += 2001;
            m_device->step();
            QCOMPARE(sentCount(ARequest::GETDATA), i + 1);
        }
        if (networkError == 0)
            feed(ARequest::GETDATA, replyText(0, elsewhere));
        else
            feed(ARequest::GETDATA, QString(), networkError, httpStatus);
    }
    const QString cause = begin.section(QLatin1String(": "), 1);
    QCOMPARE(log->lines().mid(logged).filter(begin).size(), 1);
    QCOMPARE(statusOf(QStringLiteral("A")).getStopCause(), cause);
    QCOMPARE(statusOf(QStringLiteral("A")).getUnreachableSince() != 0, networkError != 0);

    makeReady(QStringLiteral("A"), 0);
    m_device->now += 2001;
    m_device->step();
    feed(ARequest::GETDATA, dataReplyWithSamples({1000, 1100}));
    feed(ARequest::GETDATA, dataReplyWithSamples({1200}));
    QCOMPARE(log->lines().mid(logged).filter(end).size(), 1);
    QCOMPARE(statusOf(QStringLiteral("A")).getStopCause(), QString());
    QCOMPARE(statusOf(QStringLiteral("A")).getUnreachableSince(), qint64(0));
}

void DeviceTest::storeResultsOfOneReplyWakeOnce()
{
    InstrumentConfig config(QStringLiteral("M"));
    config.setConfigurationID(QStringLiteral("C1"));
    AgConfig a;
    a.setName(QStringLiteral("A"));
    AgConfig c;
    c.setName(QStringLiteral("C"));
    config.setAgConfigs({a, c});
    m_device->updateConfig(true, config);
    startAudioGroupA({QStringLiteral("A"), QStringLiteral("C")});
    bringToState(2);
    makeReady(QStringLiteral("A"), 0);
    makeReady(QStringLiteral("C"), 0);
    m_device->step();
    QCOMPARE(sentCount(ARequest::GETDATA), 1);
    feed(ARequest::GETDATA,
         replyText(0, QStringLiteral("<AGDataList><Name>A</Name><numAvail>0</numAvail>"
                                     "</AGDataList><AGDataList><Name>C</Name><numAvail>0"
                                     "</numAvail></AGDataList>")));
    // Two batches posted: the first result waits for the second, which wakes the thread;
    // a result beyond those owed always wakes it.
    QVERIFY(!m_device->takeStoreResult());
    QVERIFY(m_device->takeStoreResult());
    QVERIFY(m_device->takeStoreResult());
}

void DeviceTest::noTimestampAsksWhileRequestInFlight()
{
    askFirstDataOfA();
    // Its reply makes A wait again: an answer before it is read would only be thrown away.
    m_net->busyMs = 1500;
    QCOMPARE(m_device->msUntilNextStep(), qint64(1500));
    m_device->now += Device::kTimestampPacingMs;
    m_device->step();
    // Off the network but not yet read here: still held back, for a while at most.
    m_net->busyMs = 0;
    QCOMPARE(m_device->msUntilNextStep(),
             Device::kReplyRoutingGraceMs + 1 - Device::kTimestampPacingMs);
    m_device->step();
    QTest::qWait(100);
    QCOMPARE(answeredTimestamp(QStringLiteral("A")), qint64(-1));
    // A failed request: A is asked at the next step.
    feed(ARequest::GETDATA, QString(), 1);
    QCOMPARE(m_device->msUntilNextStep(), qint64(0));
    m_device->step();
    QTRY_VERIFY(answeredTimestamp(QStringLiteral("A")) >= 0);

    // A reply that never comes holds nothing back after the grace.
    m_device->now += 5000;
    makeReady(QStringLiteral("A"), 0);
    m_device->step();
    QCOMPARE(sentCount(ARequest::GETDATA), 2);
    m_device->now += Device::kReplyRoutingGraceMs + 1;
    QCOMPARE(m_device->msUntilNextStep(), qint64(0));
}

// The newest stored time stamp the audiogroup answered, as the device holds it; -1 for none.
qint64 DeviceTest::answeredTimestamp(const QString &name)
{
    AInstrument *own = m_manager->findInstrument(QStringLiteral("M"));
    if (!own)
        return -2;
    own->requestAcquisitionStatus();
    const QList<QList<AcquisitionAg>> updates = m_system->acquisitionStatusUpdates();
    for (const AcquisitionAg &record :
         updates.isEmpty() ? QList<AcquisitionAg>() : updates.last()) {
        if (record.getSourceName() == name && record.hasTimestamp())
            return record.getLastTimestamp().getTimestamp();
    }
    return -1;
}

KIV_TEST_MAIN(DeviceTest, QCoreApplication)

#include "tst_device.moc"
