#include <AcquisitionRequest.h>
#include <AcquisitionResponse.h>
#include <GetConfigRequest.h>
#include <GetConfigResponse.h>
#include <KivTest.h>
#include <LoginRequest.h>
#include <LoginResponse.h>
#include <MeterSimulator.h>
#include <ReplyText.h>
#include <SystemConfigXml.h>

#include "core/KivUtils.h"
#include "data/AgData.h"
#include "data/AgDataVector.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QProcess>
#include <QTcpSocket>
#include <QThread>

#include <cmath>
#include <memory>

#include <unistd.h>

namespace {

struct Answer
{
    bool finished = false;
    QNetworkReply::NetworkError error = QNetworkReply::NoError;
    int httpStatus = 0;
    QByteArray body;
    qint64 elapsedMs = 0;
};

// A fixed "now" on the sample grid plus 50 ms.
constexpr qint64 kNow = 1700000000050;

} // namespace

class TestMeterSim : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<MeterSimulator> sim;
    std::unique_ptr<QNetworkAccessManager> nam;
    int requestId = 0;

    QString url(const MeterSimulator &meter, int kind) const
    {
        return QStringLiteral("%1%2%3%4")
            .arg(meter.hostUrl(), ":", QString::number(meter.port()), requestCommandPath(kind));
    }

    // Posts the way the program's transport does.
    Answer post(const ARequest &request, int waitMs = 5000, MeterSimulator *meter = nullptr)
    {
        return postRaw(url(meter ? *meter : *sim, request.getCommandType()), request.toBody(),
                       waitMs);
    }

    Answer postRaw(const QString &target, const QByteArray &body, int waitMs = 5000)
    {
        QNetworkRequest req{QUrl(target)};
        req.setHeader(QNetworkRequest::ContentTypeHeader, "application/x-www-form-urlencoded");
        QElapsedTimer clock;
        clock.start();
        QNetworkReply *reply = nam->post(req, body);
        QSignalSpy spy(reply, &QNetworkReply::finished);
        Answer a;
        a.finished = spy.wait(waitMs);
        a.elapsedMs = clock.elapsed();
        if (!a.finished) {
            reply->abort();
        } else {
            a.error = reply->error();
            a.httpStatus = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
            a.body = reply->readAll();
        }
        reply->deleteLater();
        return a;
    }

    Answer login(const QString &password, bool hijack = false,
                 const QString &hijackId = QStringLiteral("unknown"))
    {
        LoginRequest r(QString::number(requestId++));
        r.setLoginData(password, hijack, hijackId);
        return post(r);
    }

    Answer getData(const QString &session, const QString &confid,
                   const QMap<QString, QString> &stamps)
    {
        AcquisitionRequest r(QString::number(requestId++));
        r.setRequestData(confid, session, stamps);
        return post(r);
    }

    template <typename Response>
    static void parse(Response &response, const Answer &a)
    {
        response.parse(replyDocumentText(decodeReplyBody(a.body)));
    }

    QString loggedInSession()
    {
        LoginResponse r;
        parse(r, login(sim->password()));
        return r.getSession();
    }

private slots:
    void init()
    {
        sim.reset(new MeterSimulator);
        nam.reset(new QNetworkAccessManager);
        sim->setPassword("pw&<");
        sim->setClock([] { return kNow; });
        QVERIFY2(sim->listen(QHostAddress::LocalHost, 0), qPrintable(sim->errorString()));
    }

    void cleanup()
    {
        nam.reset();
        sim.reset();
    }

    void sessionsAndStatusCodes()
    {
        QMap<QString, QString> stamps{{"Program 1", QString::number(kNow - 1000)}};
        auto code = [](const Answer &a) {
            LoginResponse r;
            parse(r, a);
            return r.getCode();
        };
        QCOMPARE(code(login("wrong")), int(MeterSimulator::StatusWrongPassword));
        GetConfigRequest config("c");
        config.setCredentials("wrong", "");
        QCOMPARE(code(post(config)), int(MeterSimulator::StatusWrongPassword));

        LoginResponse first;
        parse(first, login("pw&<"));
        QVERIFY(first.isValid());
        QCOMPARE(first.getCode(), 0);
        QCOMPARE(first.getConfid(), sim->configurationId());
        const QString s1 = first.getSession();
        QCOMPARE(sim->currentSession(), s1);

        QCOMPARE(code(getData(s1, sim->configurationId(), stamps)), 0);
        QCOMPARE(code(getData("bogus", sim->configurationId(), stamps)),
                 int(MeterSimulator::StatusSessionUnknown));
        const QString oldConfid = sim->configurationId();
        QVERIFY(sim->changeConfigurationId() != oldConfid);
        QCOMPARE(code(getData(s1, oldConfid, stamps)), int(MeterSimulator::StatusConfigChanged));

        // Logging in again from the same place replaces the session.
        const QString s2 = loggedInSession();
        QVERIFY(!s2.isEmpty() && s2 != s1);
        QCOMPARE(code(getData(s1, sim->configurationId(), stamps)),
                 int(MeterSimulator::StatusSessionUnknown));

        // Someone else takes the meter: this client is told, and must hijack to get back.
        const QString holder = sim->occupyByOtherClient();
        QCOMPARE(code(getData(s2, sim->configurationId(), stamps)),
                 int(MeterSimulator::StatusSessionHeld));
        LoginResponse held;
        parse(held, login("pw&<"));
        QVERIFY(held.isValid());
        QCOMPARE(held.getCode(), int(MeterSimulator::StatusSessionHeld));
        QCOMPARE(held.getSession(), holder);
        QCOMPARE(code(login("pw&<", true, "not-the-holder")),
                 int(MeterSimulator::StatusSessionHeld));
        QCOMPARE(code(login("pw&<", true, "unknown")), int(MeterSimulator::StatusSessionHeld));
        LoginResponse taken;
        parse(taken, login("pw&<", true, holder));
        QCOMPARE(taken.getCode(), 0);
        QCOMPARE(code(getData(taken.getSession(), sim->configurationId(), stamps)), 0);

        sim->expireSession();
        QCOMPARE(code(getData(taken.getSession(), sim->configurationId(), stamps)),
                 int(MeterSimulator::StatusSessionUnknown));
    }

    void configurationReply()
    {
        MeterAudioGroup g(QString::fromUtf8("Müller ♪"));
        g.thresholdMinTP = -4.5;
        g.thresholdMaxTP = -0.5;
        g.thresholdMinIntegratedSecondary = -3.25;
        g.loudnessUnit = "LUFS";
        sim->setInstrumentName(QString::fromUtf8("Studio Ä & B"));
        sim->setAudioGroups({g, MeterAudioGroup("Second")});
        // The add-device operation asks without logging in.
        GetConfigRequest request("7:0");
        request.setCredentials("pw&<", "");
        GetConfigResponse r;
        parse(r, post(request));
        QVERIFY(r.isValid());
        QCOMPARE(r.getReqId(), QString("7:0"));
        const InstrumentConfig ic = r.getInstrumentConfig();
        QCOMPARE(ic.getName(), QString::fromUtf8("Studio Ä & B"));
        QCOMPARE(ic.getConfigurationID(), sim->configurationId());
        QCOMPARE(ic.getAgConfigs().size(), 2);
        const AgConfig ag = ic.getAgConfig(QString::fromUtf8("Müller ♪"));
        QCOMPARE(ag.getLoudnessUnit(), QString("LUFS"));
        QCOMPARE(ag.getTPUpperSecondaryThreshold(), -4.5);
        QCOMPARE(ag.getTPUpperThreshold(), -0.5);
        QCOMPARE(ag.getILowerSecondaryThreshold(), -3.25);
        QCOMPARE(ag.getMUpperThreshold(), 8.0);
    }

    // A meter restarted with other audiogroups must not report the id of its old
    // configuration, or the logger would never ask for the new one.
    void configurationIdAcrossRestarts()
    {
        MeterSimulator before, unchanged, otherGroups, renamed;
        renamed.setInstrumentName("Renamed");
        for (MeterSimulator *m : {&before, &unchanged, &renamed})
            m->setAudioGroupNames({"A", "B"});
        otherGroups.setAudioGroupNames({"C"});
        QCOMPARE(unchanged.configurationId(), before.configurationId());
        QVERIFY(otherGroups.configurationId() != before.configurationId());
        QVERIFY(renamed.configurationId() != before.configurationId());
    }

    void samplesAfterLastTimestamp_data()
    {
        QTest::addColumn<QString>("lastStamp");
        QTest::addColumn<qint64>("historyMs");
        QTest::addColumn<int>("cap");
        QTest::addColumn<qint64>("firstStamp");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("available");
        const qint64 grid = kNow - 50;
        QTest::newRow("one second") << QString::number(grid - 1000) << qint64(3600000) << 0
                                    << grid - 900 << 10 << 10;
        QTest::newRow("between grid points") << QString::number(grid - 1050) << qint64(3600000)
                                             << 0 << grid - 1000 << 11 << 11;
        QTest::newRow("up to date") << QString::number(grid) << qint64(3600000) << 0 << qint64(0)
                                    << 0 << 0;
        QTest::newRow("empty store, five seconds kept")
            << "0" << qint64(5000) << 0 << grid - 4900 << 50 << 50;
        QTest::newRow("away longer than the history")
            << QString::number(grid - 60000) << qint64(2000) << 0 << grid - 1900 << 20 << 20;
        QTest::newRow("capped") << QString::number(grid - 10000) << qint64(3600000) << 30
                                << grid - 9900 << 30 << 100;
    }

    void samplesAfterLastTimestamp()
    {
        QFETCH(QString, lastStamp);
        QFETCH(qint64, historyMs);
        QFETCH(int, cap);
        QFETCH(qint64, firstStamp);
        QFETCH(int, count);
        QFETCH(int, available);
        sim->setHistoryMs(historyMs);
        sim->setMaxSamplesPerReply(cap);
        const QString session = loggedInSession();
        AcquisitionResponse r;
        parse(r, getData(session, sim->configurationId(),
                         {{"Program 2", lastStamp}, {"Not on this meter", "0"}}));
        QVERIFY(r.isValid());
        QCOMPARE(r.getCode(), 0);
        QCOMPARE(r.getAgDataLists().keys(), QStringList{"Program 2"});
        QCOMPARE(r.getAvailableCounts().value("Program 2"), available);
        const AgDataVector *list = r.getAgDataLists().value("Program 2");
        QCOMPARE(list->size(), count);
        const MeterAudioGroup g = sim->audioGroup("Program 2");
        for (int i = 0; i < list->size(); ++i) {
            const AgData &got = list->at(i);
            const MeterSample want = MeterSignal::sampleAt(g, firstStamp + 100 * i);
            QCOMPARE(got.getTimestamp(), want.timestamp);
            QCOMPARE(got.getTimecode(), qint64(want.timecode));
            QCOMPARE(got.getProgramId(), want.programId);
            QCOMPARE(got.getTP(), want.TP);
            QCOMPARE(got.getTPMax(), want.TPMax);
            QCOMPARE(got.getM100ms(), want.M100ms);
            QCOMPARE(got.getM400ms(), want.M400ms);
            QCOMPARE(got.getMMax(), want.MMax);
            QCOMPARE(got.getS(), want.S);
            QCOMPARE(got.getSMax(), want.SMax);
            QCOMPARE(got.getI(), want.I);
            QCOMPARE(got.getLRA(), want.LRA);
            QCOMPARE(got.getSPL(), want.SPL);
            QCOMPARE(got.getEvents(), want.events);
            QCOMPARE(got.getFlags(), want.flags);
        }
    }

    void signalIsAFunctionOfTime()
    {
        const MeterAudioGroup g("News");
        const qint64 length = MeterSignal::programLengthMs(g.name);
        QVERIFY(length >= 180000 && length <= 300000);
        const qint64 start = MeterSignal::programStart(g.name, kNow);
        // Across two program boundaries, asked for in one piece and in odd slices.
        const qint64 from = start - 5000, to = start + length + 5000;
        const QVector<MeterSample> whole = MeterSignal::samples(g, from, to);
        QVector<MeterSample> pieces;
        for (qint64 a = from; a < to; a += 7777)
            pieces += MeterSignal::samples(g, a, std::min(a + 7777, to));
        QCOMPARE(pieces.size(), whole.size());
        int starts = 0, stops = 0;
        for (int i = 0; i < whole.size(); ++i) {
            const MeterSample &s = whole.at(i);
            QCOMPARE(pieces.at(i).timestamp, s.timestamp);
            QCOMPARE(pieces.at(i).MMax, s.MMax);
            QCOMPARE(pieces.at(i).TPMax, s.TPMax);
            QVERIFY(s.MMax >= s.M400ms && s.SMax >= s.S && s.TPMax >= s.TP);
            QVERIFY(s.M400ms > -30 && s.M400ms < 30 && s.TP <= 2.0);
            const bool first = s.timestamp == MeterSignal::programStart(g.name, s.timestamp);
            QCOMPARE(s.events == MeterSignal::kEventStart, first);
            if (first && i > 0) {
                QCOMPARE(whole.at(i - 1).events, MeterSignal::kEventStop);
                QCOMPARE(s.programId, whole.at(i - 1).programId + 1);
            }
            starts += s.events == MeterSignal::kEventStart;
            stops += s.events == MeterSignal::kEventStop;
        }
        QCOMPARE(starts, 2);
        QCOMPARE(stops, 2);
        // The time code shows the UTC time of day.
        QCOMPARE(formatTimecode(qint64(MeterSignal::timecodeOf(kNow))),
                 QDateTime::fromMSecsSinceEpoch(kNow, Qt::UTC).toString("hh:mm:ss"));
    }

    void injectedStatus()
    {
        const QString session = loggedInSession();
        sim->injectStatus("/getData", MeterSimulator::StatusSessionReset, 2);
        sim->injectStatus(QString(), 42, 1);
        QList<int> codes;
        for (int i = 0; i < 4; ++i) {
            AcquisitionResponse r;
            parse(r, getData(session, sim->configurationId(), {{"Program 1", QString::number(kNow - 2000)}}));
            codes << r.getCode();
            QCOMPARE(r.getAgDataLists().isEmpty(), r.getCode() != 0);
        }
        QCOMPARE(codes, QList<int>({9, 9, 42, 0}));
    }

    void faults_data()
    {
        QTest::addColumn<int>("fault");
        QTest::newRow("delay") << int(MeterSimulator::FaultDelay);
        QTest::newRow("http 500") << int(MeterSimulator::FaultHttp500);
        QTest::newRow("connection reset") << int(MeterSimulator::FaultConnectionReset);
        QTest::newRow("malformed") << int(MeterSimulator::FaultMalformedXml);
        QTest::newRow("own declaration") << int(MeterSimulator::FaultOwnDeclaration);
        QTest::newRow("byte-order mark") << int(MeterSimulator::FaultByteOrderMark);
        QTest::newRow("unknown audiogroup") << int(MeterSimulator::FaultUnknownAudioGroup);
        QTest::newRow("nan values") << int(MeterSimulator::FaultNanValues);
    }

    void faults()
    {
        QFETCH(int, fault);
        const auto f = MeterSimulator::Fault(fault);
        const QString session = loggedInSession();
        // Until cleared: the network library may repeat a request whose connection broke.
        sim->injectFault(f, -1, "/getData", 400);
        const Answer a =
            getData(session, sim->configurationId(), {{"Program 1", QString::number(kNow - 550)}});
        sim->clearInjections();
        AcquisitionResponse r;
        parse(r, a);
        switch (f) {
        case MeterSimulator::FaultDelay:
            QVERIFY(a.elapsedMs >= 400);
            QVERIFY(r.isValid());
            break;
        case MeterSimulator::FaultHttp500:
            QCOMPARE(a.httpStatus, 500);
            QCOMPARE(a.error, QNetworkReply::InternalServerError);
            break;
        case MeterSimulator::FaultConnectionReset:
            QVERIFY(a.finished);
            QVERIFY(a.error != QNetworkReply::NoError);
            QVERIFY(a.body.isEmpty());
            break;
        case MeterSimulator::FaultMalformedXml:
            QCOMPARE(a.httpStatus, 200);
            QVERIFY(!r.isValid());
            break;
        case MeterSimulator::FaultOwnDeclaration:
            QVERIFY(a.body.startsWith("<?xml"));
            QVERIFY(r.isValid());
            break;
        case MeterSimulator::FaultByteOrderMark:
            QVERIFY(a.body.startsWith("\xEF\xBB\xBF<?xml"));
            QVERIFY(r.isValid());
            break;
        case MeterSimulator::FaultUnknownAudioGroup:
            QVERIFY(r.isValid());
            QCOMPARE(r.getAgDataLists().keys(),
                     QStringList({MeterSimulator::kUnknownAudioGroupName, "Program 1"}));
            break;
        case MeterSimulator::FaultNanValues: {
            QVERIFY(r.isValid());
            const AgData &s = r.getAgDataLists().value("Program 1")->at(0);
            QVERIFY(std::isnan(s.getM400ms()));
            QVERIFY(std::isnan(s.getTP()));
            QVERIFY(s.getS() != 0.0);
            break;
        }
        default:
            QFAIL("no such fault");
        }
        AcquisitionResponse next;
        parse(next, getData(session, sim->configurationId(), {{"Program 1", QString::number(kNow - 2000)}}));
        QVERIFY(next.isValid());
        QCOMPARE(next.getAgDataLists().keys(), QStringList{"Program 1"});
    }

    void noAnswerAndDropOut()
    {
        sim->injectFault(MeterSimulator::FaultNoAnswer, 1, "/login");
        LoginRequest unanswered("1");
        unanswered.setLoginData("pw&<", false, "unknown");
        QVERIFY(!post(unanswered, 500).finished);
        QCOMPARE(sim->requestCount("/login"), 1);
        QVERIFY(!loggedInSession().isEmpty());

        sim->dropOutFor(400);
        const Answer refused = login("pw&<", false);
        QCOMPARE(refused.error, QNetworkReply::ConnectionRefusedError);
        QVERIFY(sim->isOffline());
        QTRY_VERIFY_WITH_TIMEOUT(!sim->isOffline(), 5000);
        QVERIFY(!loggedInSession().isEmpty());
    }

    void recordsRequests()
    {
        const QString session = loggedInSession();
        AcquisitionRequest data("17");
        data.setRequestData(sim->configurationId(), session, {{"B", "5"}, {"A", "0"}});
        post(data);
        post(data);
        QCOMPARE(sim->requestCount(), 3);
        QCOMPARE(sim->requestCount("/login"), 1);
        QCOMPARE(sim->requestCount("/getData"), 2);
        const MeterSimulator::Request last = sim->lastRequest("/getData");
        QCOMPARE(last.body, data.toBody());
        QCOMPARE(last.method, QString("POST"));
        QCOMPARE(last.contentType, QByteArray("application/x-www-form-urlencoded"));
        QCOMPARE(last.reqid, QString("17"));
        QCOMPARE(last.cmd, QString("GETDATA"));
        QCOMPARE(last.session, session);
        QCOMPARE(last.lastTimestamps, (QMap<QString, QString>{{"A", "0"}, {"B", "5"}}));
        QCOMPARE(last.answeredCode, 0);
        QCOMPARE(sim->lastRequest("/login").password, QString("pw&<"));
        sim->clearRequests();
        QCOMPARE(sim->requestCount(), 0);
    }

    void rawHttp()
    {
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, sim->port());
        QVERIFY(socket.waitForConnected(3000));
        LoginRequest r("1");
        r.setLoginData("pw&<", false, "unknown");
        const QByteArray body = r.toBody();
        const QByteArray request = "POST /login HTTP/1.1\r\nHost: x\r\nContent-Length: " +
                                   QByteArray::number(body.size()) + "\r\n\r\n" + body;
        // Two requests in one write, then one that asks to close, then a wrong method.
        socket.write(request + request);
        socket.write("POST /nowhere HTTP/1.1\r\nContent-Length: 0\r\n\r\n");
        socket.write("GET /login HTTP/1.1\r\nConnection: close\r\n\r\n");
        QTRY_COMPARE_WITH_TIMEOUT(socket.state(), QAbstractSocket::UnconnectedState, 5000);
        const QByteArray received = socket.readAll();
        QCOMPARE(received.count("HTTP/1.1 200 OK"), 2);
        QCOMPARE(received.count("HTTP/1.1 404 Not Found"), 1);
        QCOMPARE(received.count("HTTP/1.1 405 Method Not Allowed"), 1);
        QCOMPARE(received.count("Connection: close"), 1);
        QCOMPARE(received.count("<session>"), 2);
    }

    void ownThread()
    {
        sim.reset();
        QThread thread;
        auto *meter = new MeterSimulator;
        meter->setPassword("x");
        meter->moveToThread(&thread);
        connect(&thread, &QThread::finished, meter, &QObject::deleteLater);
        thread.start();
        QVERIFY(meter->listen(QHostAddress::LocalHost, 0));
        LoginRequest r("1");
        r.setLoginData("x", false, "unknown");
        LoginResponse reply;
        parse(reply, post(r, 5000, meter));
        QCOMPARE(reply.getCode(), 0);
        QCOMPARE(meter->currentSession(), reply.getSession());
        meter->setOffline(true);
        QCOMPARE(post(r, 5000, meter).error, QNetworkReply::ConnectionRefusedError);
        meter->close();
        thread.quit();
        QVERIFY(thread.wait(5000));
    }

    void meterPort80()
    {
        if (::geteuid() != 0)
            QSKIP("binding port 80 needs root");
        sim.reset(new MeterSimulator);
        sim->setPassword("p");
        // Any 127.x address is this machine: one of our own keeps clear of other tests.
        const QString address = QStringLiteral("127.0.%1.%2")
                                    .arg(QCoreApplication::applicationPid() % 200 + 20)
                                    .arg(QCoreApplication::applicationPid() % 250 + 2);
        QVERIFY2(sim->listen(QHostAddress(address), 80), qPrintable(sim->errorString()));
        QCOMPARE(url(*sim, ARequest::LOGIN), "http://" + address + ":80/login");
        QVERIFY(!loggedInSession().isEmpty());
    }

    void simconfigWritesWhatTheProgramLoadsUnchanged_data()
    {
        QTest::addColumn<bool>("secondaryOutside");
        QTest::addColumn<QString>("said");
        QTest::newRow("the simulator as it starts") << false << QString();
        QTest::newRow("secondary limits outside the main ones")
            << true << "Invalid Loudness Upper threshold value in AudioGroup: Program 1";
    }

    // Loading repairs nothing: the file written again from what was loaded is the same.
    void simconfigWritesWhatTheProgramLoadsUnchanged()
    {
        QFETCH(bool, secondaryOutside);
        QFETCH(QString, said);
        if (secondaryOutside) {
            MeterAudioGroup group(QStringLiteral("Program 1"));
            group.thresholdMaxIntegratedSecondary = 2.0;
            group.thresholdMinIntegratedSecondary = -2.0;
            sim->setAudioGroups({group});
        }
        QProcess simconfig;
        simconfig.start(QStringLiteral(SIMCONFIG_PATH),
                        {QStringLiteral("-w"), sim->password(),
                         sim->hostUrl() + QLatin1Char(':') + QString::number(sim->port())});
        // The simulator answers on this thread: wait with its event loop running.
        QTRY_VERIFY_WITH_TIMEOUT(simconfig.state() == QProcess::NotRunning, 30000);
        const QString err = QString::fromUtf8(simconfig.readAllStandardError());
        QVERIFY2(simconfig.exitCode() == 0, qPrintable(err));
        QVERIFY2(said.isEmpty() ? err.isEmpty() : err.contains(said), qPrintable(err));

        QFile written(getDataFolderFilePath(systemConfigFileName()));
        QVERIFY(written.open(QIODevice::ReadOnly));
        const SystemConfig loaded = loadSystemConfigFromFile(systemConfigFileName());
        QCOMPARE(loaded.getInstruments().size(), 1);
        QCOMPARE(loaded.getRangeSettings().size(), 7);
        for (int i = 1; i < 7; ++i)
            QVERIFY(loaded.getRangeSettings().at(i - 1) < loaded.getRangeSettings().at(i));
        QCOMPARE(saveSystemConfigToFile(loaded, QStringLiteral("again.xml")), 0);
        QFile again(getDataFolderFilePath(QStringLiteral("again.xml")));
        QVERIFY(again.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(again.readAll()), QString::fromUtf8(written.readAll()));
    }
};

KIV_TEST_MAIN(TestMeterSim, QCoreApplication)
#include "tst_metersim.moc"
