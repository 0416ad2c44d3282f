// The HTTP transport against the meter simulator on loopback.
#include "FakeSystem.h"
#include "KivTest.h"

#include <HttpDeviceNetworkInterface.h>
#include <LoginRequest.h>
#include <MeterSimulator.h>
#include <NUVNetworkAccessManager.h>
#include <SystemConfig.h>

#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTcpServer>
#include <QTcpSocket>

#include <memory>

class TransportTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void urlOfHostAndPort_data();
    void urlOfHostAndPort();
    void oneReplyPerRequest();
    void secondSendRefusedWhileInFlight();
    void timedOutRequestSweptSilently();
    void hangingMeterKeepsNoConnectionOpen();
    void failuresReportedAsNetworkErrors_data();
    void failuresReportedAsNetworkErrors();
    void refusedConnectionReported();
    void answersFramedAsServersSendThem_data();
    void answersFramedAsServersSendThem();
    void oversizedReplyReportedAsError();
    void interfaceDeletedMidRequest();
    void stoppedThreadRefusesPosts();

private:
    bool sendLogin(HttpDeviceNetworkInterface &networkInterface);
    void setTimeout(int ms);

    std::unique_ptr<FakeSystem> m_system;
    std::unique_ptr<NUVNetworkAccessManager> m_network;
    std::unique_ptr<MeterSimulator> m_meter;
    std::unique_ptr<HttpDeviceNetworkInterface> m_interface;
};

void TransportTest::init()
{
    m_system = std::make_unique<FakeSystem>();
    m_network = std::make_unique<NUVNetworkAccessManager>();
    m_network->start();
    QTRY_VERIFY(m_network->isStarted());
    FakeSystem::Objects objects;
    objects.networkAccessManager = m_network.get();
    m_system->setObjects(objects);
    setTimeout(30000);
    m_meter = std::make_unique<MeterSimulator>();
    m_meter->setPassword(QStringLiteral("secret"));
    QVERIFY(m_meter->listen());
    m_interface = std::make_unique<HttpDeviceNetworkInterface>(QStringLiteral("Meter1"));
}

void TransportTest::cleanup()
{
    m_interface.reset();
    m_network.reset();
    m_meter.reset();
    m_system.reset();
}

void TransportTest::setTimeout(int ms)
{
    SystemConfig config;
    config.setNetworkRequestTimeout(ms);
    m_system->setCurrentConfig(config);
}

bool TransportTest::sendLogin(HttpDeviceNetworkInterface &networkInterface)
{
    LoginRequest request(QStringLiteral("1"));
    request.setLoginData(QStringLiteral("secret"), false, QString());
    return networkInterface.send(ARequest::LOGIN, request, m_meter->hostUrl(),
                                 QString::number(m_meter->port()));
}

void TransportTest::urlOfHostAndPort_data()
{
    QTest::addColumn<QString>("host");
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("url");
    QTest::newRow("scheme given") << "http://10.0.0.7" << 1
                                  << "http://10.0.0.7:80/getConfiguration";
    QTest::newRow("bare address") << "10.0.0.7" << 0 << "http://10.0.0.7:80/login";
    QTest::newRow("host name") << "meter.local" << 2 << "http://meter.local:80/getData";
}

void TransportTest::urlOfHostAndPort()
{
    QFETCH(QString, host);
    QFETCH(int, type);
    QFETCH(QString, url);
    QCOMPARE(HttpDeviceNetworkInterface::buildUrl(host, QStringLiteral("80"), type).toString(),
             url);
}

void TransportTest::oneReplyPerRequest()
{
    for (int i = 0; i < 5; ++i) {
        QVERIFY(sendLogin(*m_interface));
        QTRY_COMPARE(m_system->instrumentReplyCount(), i + 1);
        QCOMPARE(m_interface->pendingCount(), 0);
    }
    const QVariantList reply = m_system->instrumentReply(0);
    QCOMPARE(reply.at(0).toString(), QStringLiteral("Meter1"));
    QCOMPARE(reply.at(1).toInt(), int(ARequest::LOGIN));
    QCOMPARE(reply.at(2).toInt(), 0);
    QVERIFY(reply.at(3).toString().contains(QLatin1String("<session>")));
    const MeterSimulator::Request request = m_meter->lastRequest(QStringLiteral("/login"));
    QCOMPARE(request.contentType, QByteArray("application/x-www-form-urlencoded"));
    QCOMPARE(request.password, QStringLiteral("secret"));
    QCOMPARE(m_meter->requestCount(), 5);
}

void TransportTest::secondSendRefusedWhileInFlight()
{
    m_meter->injectFault(MeterSimulator::FaultDelay, 1, QString(), 400);
    QVERIFY(sendLogin(*m_interface));
    QVERIFY(!sendLogin(*m_interface));
    QCOMPARE(m_interface->pendingCount(), 1);
    QTRY_COMPARE(m_system->instrumentReplyCount(), 1);
    QVERIFY(sendLogin(*m_interface));
    QTRY_COMPARE(m_system->instrumentReplyCount(), 2);
    QCOMPARE(m_meter->requestCount(), 2);
}

void TransportTest::timedOutRequestSweptSilently()
{
    setTimeout(300);
    m_meter->injectFault(MeterSimulator::FaultNoAnswer, 1);
    QElapsedTimer clock;
    clock.start();
    QVERIFY(sendLogin(*m_interface));
    // Refused until the first is older than the time-out; then posted in the same call.
    bool posted = false;
    QTRY_VERIFY(posted || (posted = sendLogin(*m_interface)));
    QVERIFY(clock.elapsed() >= 300);
    QTRY_COMPARE(m_system->instrumentReplyCount(), 1);
    QCOMPARE(m_system->instrumentReply(0).at(2).toInt(), 0);
    QCOMPARE(m_meter->requestCount(), 2);
}

// A meter that accepts connections and never answers for longer than six time-outs, then
// answers new connections: every request
// given up closes its connection, and the next request after the hang is answered.
void TransportTest::hangingMeterKeepsNoConnectionOpen()
{
    setTimeout(200);
    QTcpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost));
    bool hanging = true;
    int open = 0;
    int mostOpen = 0;
    connect(&server, &QTcpServer::newConnection, this, [&] {
        QTcpSocket *socket = server.nextPendingConnection();
        mostOpen = std::max(mostOpen, ++open);
        connect(socket, &QTcpSocket::disconnected, this, [&open, socket] {
            --open;
            socket->deleteLater();
        });
        const bool answers = !hanging;
        connect(socket, &QTcpSocket::readyRead, socket, [socket, answers] {
            socket->readAll();
            if (answers)
                socket->write("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok");
        });
    });
    const QString port = QString::number(server.serverPort());
    LoginRequest request(QStringLiteral("1"));
    // Refused while one is in flight; the first send after its time-out posts.
    auto post = [&] {
        bool posted = false;
        QTRY_VERIFY_WITH_TIMEOUT(
            posted || (posted = m_interface->send(ARequest::LOGIN, request,
                                                  QStringLiteral("127.0.0.1"), port)),
            10000);
    };
    for (int i = 0; i < 8; ++i) {
        post();
        if (QTest::currentTestFailed())
            return;
    }
    hanging = false;
    post();
    QTRY_COMPARE_WITH_TIMEOUT(m_system->instrumentReplyCount(), 1, 10000);
    QCOMPARE(m_system->instrumentReply(0).at(2).toInt(), 0);
    QCOMPARE(m_system->instrumentReply(0).at(3).toString(), QStringLiteral("ok"));
    // One in flight, at most one more being closed.
    QVERIFY2(mostOpen <= 2, qPrintable(QString::number(mostOpen)));
    QTRY_COMPARE(open, 1);
}

void TransportTest::failuresReportedAsNetworkErrors_data()
{
    QTest::addColumn<int>("fault");
    QTest::addColumn<int>("count");
    // The status the meter answered, which the log names.
    QTest::addColumn<int>("httpStatus");
    QTest::newRow("HTTP 500") << int(MeterSimulator::FaultHttp500) << 1 << 500;
    // Sent once more when a connection closes before any answer.
    QTest::newRow("connection reset") << int(MeterSimulator::FaultConnectionReset) << 2 << 0;
}

void TransportTest::failuresReportedAsNetworkErrors()
{
    QFETCH(int, fault);
    QFETCH(int, count);
    m_meter->injectFault(MeterSimulator::Fault(fault), count);
    QVERIFY(sendLogin(*m_interface));
    QTRY_COMPARE(m_system->instrumentReplyCount(), 1);
    const QVariantList reply = m_system->instrumentReply(0);
    QVERIFY(reply.at(2).toInt() != 0);
    QVERIFY(reply.at(3).toString().isNull());
    QTEST(reply.at(4).toInt(), "httpStatus");
    // Both error() and finished() fired; still one reply, and the interface is free again.
    QCOMPARE(m_interface->pendingCount(), 0);
    QVERIFY(sendLogin(*m_interface));
    QTRY_COMPARE(m_system->instrumentReplyCount(), 2);
    QCOMPARE(m_system->instrumentReply(1).at(2).toInt(), 0);
}

void TransportTest::refusedConnectionReported()
{
    const QString port = QString::number(m_meter->port());
    m_meter->close();
    LoginRequest request(QStringLiteral("1"));
    QVERIFY(m_interface->send(ARequest::LOGIN, request, QStringLiteral("127.0.0.1"), port));
    QTRY_COMPARE(m_system->instrumentReplyCount(), 1);
    QCOMPARE(m_system->instrumentReply(0).at(2).toInt(),
             int(QNetworkReply::ConnectionRefusedError));
}

void TransportTest::answersFramedAsServersSendThem_data()
{
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<bool>("closes");
    QTest::addColumn<int>("error");
    QTest::addColumn<QString>("body");
    // Connections the server saw for two requests in a row: a kept one is used again.
    QTest::addColumn<int>("connections");
    const int ok = int(QNetworkReply::NoError);
    QTest::newRow("length") << QByteArray("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok")
                            << false << ok << "ok" << 1;
    QTest::newRow("chunked") << QByteArray("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n"
                                           "1;x=y\r\no\r\n1\r\nk\r\n0\r\nTrailer: 1\r\n\r\n")
                             << false << ok << "ok" << 1;
    QTest::newRow("until close") << QByteArray("HTTP/1.0 200 OK\r\n\r\nok") << true << ok << "ok"
                                 << 2;
    QTest::newRow("connection close")
        << QByteArray("HTTP/1.1 200 OK\r\nConnection: close\r\nContent-Length: 2\r\n\r\nok")
        << true << ok << "ok" << 2;
    QTest::newRow("interim answer first")
        << QByteArray("HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok")
        << false << ok << "ok" << 1;
    QTest::newRow("bare line feeds") << QByteArray("HTTP/1.1 200 OK\nContent-Length: 2\n\nok")
                                     << false << ok << "ok" << 1;
    QTest::newRow("not HTTP") << QByteArray("SSH-2.0-Other\r\n\r\n") << false
                              << int(QNetworkReply::ProtocolFailure) << QString() << 2;
    QTest::newRow("two lengths")
        << QByteArray("HTTP/1.1 200 OK\r\nContent-Length: 2\r\nContent-Length: 3\r\n\r\nok")
        << false << int(QNetworkReply::ProtocolFailure) << QString() << 2;
    QTest::newRow("bad chunk size")
        << QByteArray("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nzz\r\nok\r\n")
        << false << int(QNetworkReply::ProtocolFailure) << QString() << 2;
    QTest::newRow("cut body") << QByteArray("HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nok")
                              << true << int(QNetworkReply::RemoteHostClosedError) << QString()
                              << 2;
}

void TransportTest::answersFramedAsServersSendThem()
{
    QFETCH(QByteArray, answer);
    QFETCH(bool, closes);
    QTcpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost));
    int connections = 0;
    connect(&server, &QTcpServer::newConnection, this, [&] {
        QTcpSocket *socket = server.nextPendingConnection();
        ++connections;
        connect(socket, &QTcpSocket::readyRead, socket, [socket, answer, closes] {
            socket->readAll();
            socket->write(answer);
            if (closes)
                socket->disconnectFromHost();
        });
    });
    LoginRequest request(QStringLiteral("1"));
    for (int i = 0; i < 2; ++i) {
        QVERIFY(m_interface->send(ARequest::LOGIN, request, QStringLiteral("127.0.0.1"),
                                  QString::number(server.serverPort())));
        QTRY_COMPARE(m_system->instrumentReplyCount(), i + 1);
        const QVariantList reply = m_system->instrumentReply(i);
        QTEST(reply.at(2).toInt(), "error");
        QTEST(reply.at(3).toString(), "body");
    }
    QTEST(connections, "connections");
}

void TransportTest::oversizedReplyReportedAsError()
{
    // A server announcing a body beyond the limit: the reply is dropped as an error at once,
    // before anything of that size is held.
    QTcpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost));
    connect(&server, &QTcpServer::newConnection, this, [&server] {
        QTcpSocket *socket = server.nextPendingConnection();
        connect(socket, &QTcpSocket::readyRead, socket, [socket] {
            socket->readAll();
            socket->write("HTTP/1.1 200 OK\r\nContent-Length: 104857600\r\n\r\n");
            socket->write(QByteArray(4096, 'x'));
        });
    });
    LoginRequest request(QStringLiteral("1"));
    QVERIFY(m_interface->send(ARequest::LOGIN, request, QStringLiteral("127.0.0.1"),
                              QString::number(server.serverPort())));
    QTRY_COMPARE(m_system->instrumentReplyCount(), 1);
    QCOMPARE(m_system->instrumentReply(0).at(2).toInt(), int(QNetworkReply::UnknownContentError));
    QCOMPARE(m_interface->pendingCount(), 0);
}

void TransportTest::interfaceDeletedMidRequest()
{
    m_meter->injectFault(MeterSimulator::FaultDelay, 1, QString(), 200);
    QVERIFY(sendLogin(*m_interface));
    QTRY_COMPARE(m_meter->requestCount(), 1);
    m_interface.reset();
    // A fresh interface's request goes out after the first reply was released; its reply is
    // the only one.
    HttpDeviceNetworkInterface other(QStringLiteral("Meter2"));
    m_meter->injectFault(MeterSimulator::FaultDelay, 1, QString(), 400);
    QVERIFY(sendLogin(other));
    QTRY_COMPARE(m_system->instrumentReplyCount(), 1);
    QCOMPARE(m_system->instrumentReply(0).at(0).toString(), QStringLiteral("Meter2"));
}

void TransportTest::stoppedThreadRefusesPosts()
{
    // One request still in flight when the thread stops: released with the thread.
    m_meter->injectFault(MeterSimulator::FaultNoAnswer, 1);
    QVERIFY(sendLogin(*m_interface));
    QTRY_COMPARE(m_meter->requestCount(), 1);
    setTimeout(0);
    m_network->stop();
    QVERIFY(m_network->wait(5000));
    QVERIFY(!sendLogin(*m_interface));
    QNetworkRequest request(QUrl(QStringLiteral("http://127.0.0.1:1/login")));
    QCOMPARE(m_network->postBlocking(request, QByteArray()), nullptr);
    QCOMPARE(m_system->instrumentReplyCount(), 0);
    // Nor does a thread that never ran keep a caller waiting.
    NUVNetworkAccessManager neverStarted;
    QCOMPARE(neverStarted.postBlocking(request, QByteArray()), nullptr);
}

KIV_TEST_MAIN(TransportTest, QCoreApplication)

#include "tst_transport.moc"
