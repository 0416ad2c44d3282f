// The whole program in a child process against the meter simulator in this one: login,
// data, a configuration change, a drop-out, a refusal, and logging switched off. The
// samples on disk must be exactly the meter's, without gaps or duplicates.
#include <KivTest.h>

#include <ASystem.h>
#include <KivProgram.h>
#include <KivUtils.h>
#include <MeterSignal.h>
#include <MeterSimulator.h>
#include <SystemConfigXml.h>

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTimer>

#include <sqlite3.h>

#include <memory>

namespace {

const QString kInstrument = QStringLiteral("SimMeter");
const QStringList kGroups{QStringLiteral("Program 1"), QStringLiteral("Program 2")};

QString stopFilePath()
{
    return getDataFolderFilePath(QStringLiteral("stop-now"));
}

// The program itself; it closes when the test leaves the stop file in its data folder.
int childRunner(const QString &, int argc, char **argv)
{
    ProgramHooks hooks;
    hooks.started = [](System &) {
        auto *poll = new QTimer(QCoreApplication::instance());
        QObject::connect(poll, &QTimer::timeout, [] {
            if (QFile::exists(stopFilePath()))
                ASystem::instance()->close();
        });
        poll->start(100);
    };
    return runProgram(argc, argv, hooks);
}

struct StoredSample
{
    qint64 timestamp;
    qint64 timecode;
    qint64 programId;
    double values[9];
    qint64 events;
    qint64 flags;
};

QList<StoredSample> readLevelZero(const QString &path, QString &error)
{
    QList<StoredSample> rows;
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) !=
        SQLITE_OK) {
        error = QStringLiteral("cannot open ") + path;
        sqlite3_close(db);
        return rows;
    }
    sqlite3_stmt *statement = nullptr;
    const char *sql = "SELECT timestamp, timecode, programId, TP, TPMax, M100ms, M400ms, MMax, "
                      "S, SMax, I, LRA, Events, Flags FROM AgDataZoomLevel0 ORDER BY timestamp";
    if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) != SQLITE_OK) {
        error = QString::fromUtf8(sqlite3_errmsg(db));
    } else {
        while (sqlite3_step(statement) == SQLITE_ROW) {
            StoredSample row;
            row.timestamp = sqlite3_column_int64(statement, 0);
            row.timecode = sqlite3_column_int64(statement, 1);
            row.programId = sqlite3_column_int64(statement, 2);
            for (int i = 0; i < 9; ++i)
                row.values[i] = sqlite3_column_double(statement, 3 + i);
            row.events = sqlite3_column_int64(statement, 12);
            row.flags = sqlite3_column_int64(statement, 13);
            rows.append(row);
        }
    }
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return rows;
}

} // namespace

class EndToEndTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void logsEveryMeterSampleThroughFaults();
    void noRequestWithLoggingOff();

private:
    void writeConfig(bool acquisitionOn);
    void startProgram();
    void stopProgram();
    int dataRequests() const { return m_meter->requestCount(QStringLiteral("/getData")); }
    // The last time stamps the audiogroup was asked from, in the successful data requests
    // that named it.
    QList<qint64> askedFrom(const QString &group) const;
    // Successful data replies since the given request index.
    int successfulDataRepliesAfter(int index) const;
    QString failure() const;

    std::unique_ptr<MeterSimulator> m_meter;
    std::unique_ptr<QProcess> m_program;
};

void EndToEndTest::init()
{
    QFile::remove(stopFilePath());
    QDir(getDataFolderPath()).removeRecursively();
    QVERIFY(createDataFolder());
    m_meter = std::make_unique<MeterSimulator>();
    m_meter->setInstrumentName(kInstrument);
    m_meter->setPassword(QStringLiteral("pw"));
    m_meter->setAudioGroupNames(kGroups);
    // The first request asks from time stamp 0: keep that first batch small, yet outlasting
    // a step of this computer's clock, which the stamps follow (23 s seen on a CI machine).
    m_meter->setHistoryMs(120000);
    QVERIFY(m_meter->listen());
}

void EndToEndTest::cleanup()
{
    if (m_program && m_program->state() != QProcess::NotRunning) {
        m_program->kill();
        m_program->waitForFinished(5000);
    }
    m_program.reset();
    m_meter.reset();
}

void EndToEndTest::writeConfig(bool acquisitionOn)
{
    SystemConfig config;
    config.setAutoStartLogging(true);
    config.setManualAcquisitionOn(acquisitionOn);
    config.setAcquisitionTimeout(2000);
    config.setNetworkRequestTimeout(10000);
    InstrumentConfig instrument(kInstrument);
    instrument.setIpAdr(m_meter->hostUrl());
    instrument.setPort(QString::number(m_meter->port()));
    instrument.setPass(QStringLiteral("pw"));
    instrument.setConfigurationID(m_meter->configurationId());
    QList<AgConfig> groups;
    for (const QString &name : kGroups) {
        AgConfig group;
        group.setName(name);
        group.setHasLoggingEnabled(true);
        groups.append(group);
    }
    instrument.setAgConfigs(groups);
    config.setInstruments({instrument});
    QCOMPARE(saveSystemConfigToFile(config, QStringLiteral("_config.xml")), 0);
}

void EndToEndTest::startProgram()
{
    m_program = std::make_unique<QProcess>();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("KIV_CHILD_SCENARIO"), QStringLiteral("program"));
    m_program->setProcessEnvironment(env);
    // The program's log lines stay in the pipe; failure() shows the log file.
    m_program->setProcessChannelMode(QProcess::MergedChannels);
    m_program->start(QCoreApplication::applicationFilePath(), QStringList());
    QVERIFY(m_program->waitForStarted(10000));
}

void EndToEndTest::stopProgram()
{
    QFile stop(stopFilePath());
    QVERIFY(stop.open(QIODevice::WriteOnly));
    stop.close();
    // The simulator keeps answering while the program closes.
    QTRY_VERIFY_WITH_TIMEOUT(m_program->state() == QProcess::NotRunning, 30000);
    QCOMPARE(m_program->exitStatus(), QProcess::NormalExit);
    QCOMPARE(m_program->exitCode(), 0);
}

int EndToEndTest::successfulDataRepliesAfter(int index) const
{
    const QList<MeterSimulator::Request> requests = m_meter->requests();
    int count = 0;
    int seen = 0;
    for (const MeterSimulator::Request &request : requests) {
        if (request.path != QLatin1String("/getData"))
            continue;
        if (seen++ >= index && request.answeredCode == 0)
            ++count;
    }
    return count;
}

QList<qint64> EndToEndTest::askedFrom(const QString &group) const
{
    QList<qint64> stamps;
    for (const MeterSimulator::Request &request : m_meter->requests()) {
        if (request.path == QLatin1String("/getData") && request.answeredCode == 0 &&
            request.lastTimestamps.contains(group))
            stamps.append(request.lastTimestamps.value(group).toLongLong());
    }
    return stamps;
}

QString EndToEndTest::failure() const
{
    QString text;
    for (const MeterSimulator::Request &request : m_meter->requests()) {
        text += QStringLiteral("%1 code %2").arg(request.path).arg(request.answeredCode);
        for (auto it = request.lastTimestamps.cbegin(); it != request.lastTimestamps.cend(); ++it)
            text += QStringLiteral(" %1=%2").arg(it.key(), it.value());
        text += QLatin1Char('\n');
    }
    QFile log(getDataFolderFilePath(QStringLiteral("log.txt")));
    if (log.open(QIODevice::ReadOnly))
        text += QString::fromUtf8(log.readAll().right(4000));
    return text;
}

void EndToEndTest::logsEveryMeterSampleThroughFaults()
{
    writeConfig(true);
    startProgram();

    // Login, then data; each audiogroup's last time stamps advance from 0. A request names
    // the audiogroups that have answered their time stamp: at start-up one may be a moment
    // late for the first.
    QTRY_VERIFY2_WITH_TIMEOUT(askedFrom(kGroups[0]).size() >= 3 &&
                                  askedFrom(kGroups[1]).size() >= 3,
                              qPrintable(failure()), 20000);
    QCOMPARE(m_meter->requests().first().path, QStringLiteral("/login"));
    for (const QString &group : kGroups) {
        const QList<qint64> stamps = askedFrom(group);
        QCOMPARE(stamps.first(), 0);
        for (int i = 1; i < stamps.size(); ++i)
            QVERIFY2(stamps[i] > stamps[i - 1], qPrintable(failure()));
    }

    // The meter reports a new configuration: GETCONFIG, LOGIN, then data again.
    m_meter->clearRequests();
    m_meter->injectStatus(QStringLiteral("/getData"), 2, 1);
    QTRY_VERIFY2_WITH_TIMEOUT(successfulDataRepliesAfter(1) >= 2, qPrintable(failure()), 20000);
    QStringList paths;
    for (const MeterSimulator::Request &request : m_meter->requests())
        paths.append(request.path);
    const int configAt = paths.indexOf(QStringLiteral("/getConfiguration"));
    QVERIFY2(configAt > 0, qPrintable(failure()));
    QVERIFY2(paths.indexOf(QStringLiteral("/login"), configAt) > configAt, qPrintable(failure()));

    // Cut off for three acquisition intervals: the missed samples are fetched when the
    // meter is back.
    const qint64 dropOutStart = QDateTime::currentMSecsSinceEpoch();
    m_meter->dropOutFor(6000);
    const int beforeDropOut = dataRequests();
    QTRY_VERIFY_WITH_TIMEOUT(m_meter->isOffline(), 5000);
    QTRY_VERIFY_WITH_TIMEOUT(!m_meter->isOffline(), 25000);
    const qint64 dropOutEnd = QDateTime::currentMSecsSinceEpoch();
    QTRY_VERIFY2_WITH_TIMEOUT(successfulDataRepliesAfter(beforeDropOut) >= 2, qPrintable(failure()),
                              20000);

    // One sample stamped ten years ahead: refused and logged, and the samples around it are
    // stored without a gap (below); stored, it would have held back every later sample.
    const int beforeFuture = dataRequests();
    m_meter->injectFault(MeterSimulator::FaultFutureSample, 3, QStringLiteral("/getData"),
                         10 * 365 * 86400);
    QTRY_VERIFY2_WITH_TIMEOUT(successfulDataRepliesAfter(beforeFuture) >= 3, qPrintable(failure()),
                              20000);
    QTRY_VERIFY2_WITH_TIMEOUT(failure().contains(QLatin1String(
                                  "samples stamped more than 10 minutes ahead of this computer's "
                                  "clock not stored")),
                              qPrintable(failure()), 10000);

    // Code 6 stops the requests.
    m_meter->injectStatus(QStringLiteral("/getData"), 6, -1);
    const int before6 = dataRequests();
    QTRY_VERIFY_WITH_TIMEOUT(dataRequests() > before6, 10000);
    const int after6 = dataRequests();
    QTest::qWait(4500); // two acquisition intervals and more without a request
    QCOMPARE(dataRequests(), after6);
    m_meter->clearInjections();

    stopProgram();

    // Every sample between the first and the last stored one, exactly as the meter sent it.
    for (const QString &group : kGroups) {
        QString error;
        const QList<StoredSample> rows = readLevelZero(getAgDbFilePath(kInstrument, group), error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QVERIFY(rows.size() > 300);
        const MeterAudioGroup meterGroup = m_meter->audioGroup(group);
        for (int i = 0; i < rows.size(); ++i) {
            const StoredSample &row = rows[i];
            if (i > 0)
                QCOMPARE(row.timestamp - rows[i - 1].timestamp, MeterSignal::kSampleIntervalMs);
            const MeterSample expected = MeterSignal::sampleAt(meterGroup, row.timestamp);
            const double values[9] = {expected.TP,     expected.TPMax, expected.M100ms,
                                      expected.M400ms, expected.MMax,  expected.S,
                                      expected.SMax,   expected.I,     expected.LRA};
            for (int v = 0; v < 9; ++v)
                QCOMPARE(row.values[v], values[v]);
            QCOMPARE(row.timecode, qint64(expected.timecode));
            QCOMPARE(row.programId, expected.programId);
            QCOMPARE(row.events, expected.events);
            QCOMPARE(row.flags, expected.flags);
        }
        // The drop-out lies inside the stored span, which has no gap.
        QVERIFY(rows.first().timestamp < dropOutStart);
        QVERIFY(rows.last().timestamp > dropOutEnd);
    }
}

void EndToEndTest::noRequestWithLoggingOff()
{
    writeConfig(false);
    startProgram();
    // Once the instruments run, two acquisition intervals and more without a request.
    QTRY_VERIFY_WITH_TIMEOUT(failure().contains(QLatin1String("InstrumentManager async unpause")),
                             15000);
    QTest::qWait(5000);
    QCOMPARE(m_meter->requestCount(), 0);
    stopProgram();
}

KIV_TEST_MAIN_WITH(EndToEndTest, QApplication, childRunner)

#include "tst_endtoend.moc"
