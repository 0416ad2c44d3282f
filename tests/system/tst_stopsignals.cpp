// The whole program in a child process, logging from the meter simulator in this one, and
// ended by the signals a desktop session, systemd or a terminal send, or by the loss of its
// display; a second start on its data folder is refused.
#include <KivTest.h>

#include <ASystem.h>
#include <KivProgram.h>
#include <KivUtils.h>
#include <MeterSimulator.h>
#include <SystemConfigXml.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>

#include <csignal>
#include <memory>

namespace {

const QString kInstrument = QStringLiteral("SimMeter");
const QStringList kGroups{QStringLiteral("Program 1"), QStringLiteral("Program 2")};
// How long a start or a few batches may take: far beyond any machine's pace, sanitizers and
// load included, since only a fault exhausts it.
constexpr int kStartBoundMs = 120000;

QString dataFile(const QString &name)
{
    return getDataFolderFilePath(name);
}

// The program itself. While the file "hold" exists its GUI thread is kept busy for 5 s
// ("held" says so), as a stuck window would keep it.
int childRunner(const QString &, int argc, char **argv)
{
    ProgramHooks hooks;
    hooks.started = [](System &) {
        auto *poll = new QTimer(QCoreApplication::instance());
        QObject::connect(poll, &QTimer::timeout, [] {
            if (!QFile::exists(dataFile(QStringLiteral("hold"))))
                return;
            QFile::remove(dataFile(QStringLiteral("hold")));
            QFile held(dataFile(QStringLiteral("held")));
            if (held.open(QIODevice::WriteOnly))
                held.close();
            QThread::sleep(5);
        });
        poll->start(20);
    };
    return runProgram(argc, argv, hooks);
}

} // namespace

class StopSignalsTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void signalClosesInOrder_data();
    void signalClosesInOrder();
    void secondSignalEndsAtOnce();
    void secondStartIsRefused_data();
    void secondStartIsRefused();
    void startAfterKillIsNotBlocked();

private:
    // Starts the program with these extra environment entries and waits until it logs.
    void startLogging(const QStringList &env = {});
    std::unique_ptr<QProcess> startProgram(const QStringList &env = {});
    // An X server of its own for the program; its display number, or -1.
    int startDisplay();
    QByteArray log() const;
    QStringList journals() const;
    // Waits for the log to hold the text; false after timeoutMs.
    bool waitForLog(const QByteArray &text, int timeoutMs) const;

    std::unique_ptr<MeterSimulator> m_meter;
    std::unique_ptr<QProcess> m_program;
    std::unique_ptr<QProcess> m_display;
};

void StopSignalsTest::init()
{
    QDir(getDataFolderPath()).removeRecursively();
    QVERIFY(createDataFolder());
    m_meter = std::make_unique<MeterSimulator>();
    m_meter->setInstrumentName(kInstrument);
    m_meter->setPassword(QStringLiteral("pw"));
    m_meter->setAudioGroupNames(kGroups);
    // Outlasts a step of this computer's clock, which the stamps follow.
    m_meter->setHistoryMs(120000);
    QVERIFY(m_meter->listen());
}

void StopSignalsTest::cleanup()
{
    if (m_program && m_program->state() != QProcess::NotRunning) {
        m_program->kill();
        m_program->waitForFinished(5000);
    }
    m_program.reset();
    if (m_display) {
        m_display->kill();
        m_display->waitForFinished(5000);
        m_display.reset();
    }
    m_meter.reset();
}

QByteArray StopSignalsTest::log() const
{
    QFile file(dataFile(QStringLiteral("log.txt")));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool StopSignalsTest::waitForLog(const QByteArray &text, int timeoutMs) const
{
    QElapsedTimer timer;
    timer.start();
    while (!log().contains(text)) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QThread::msleep(5);
    }
    return true;
}

QStringList StopSignalsTest::journals() const
{
    return QDir(getDataFolderPath()).entryList({QStringLiteral("*-wal")}, QDir::Files);
}

void StopSignalsTest::startLogging(const QStringList &env)
{
    SystemConfig config;
    config.setAutoStartLogging(true);
    config.setManualAcquisitionOn(true);
    config.setAcquisitionTimeout(500);
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

    m_program = startProgram(env);
    QVERIFY(m_program);
    // Both audiogroups store batches, with their journals open.
    QTRY_VERIFY2_WITH_TIMEOUT(log().count("success:") >= 4 && journals().size() == kGroups.size(),
                              log().right(2000).constData(), kStartBoundMs);
}

std::unique_ptr<QProcess> StopSignalsTest::startProgram(const QStringList &env)
{
    auto program = std::make_unique<QProcess>();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("KIV_CHILD_SCENARIO"), QStringLiteral("program"));
    for (const QString &entry : env)
        environment.insert(entry.section(QLatin1Char('='), 0, 0),
                           entry.section(QLatin1Char('='), 1));
    program->setProcessEnvironment(environment);
    program->setProcessChannelMode(QProcess::MergedChannels);
    program->start(QCoreApplication::applicationFilePath(), QStringList());
    if (!program->waitForStarted(10000))
        return nullptr;
    return program;
}

int StopSignalsTest::startDisplay()
{
    const QString server = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
    if (server.isEmpty())
        return -1;
    m_display = std::make_unique<QProcess>();
    // It picks a free display and writes its number to standard output.
    m_display->start(server, {QStringLiteral("-displayfd"), QStringLiteral("1"),
                              QStringLiteral("-nolisten"), QStringLiteral("tcp"),
                              QStringLiteral("-screen"), QStringLiteral("0"),
                              QStringLiteral("1280x1024x24")});
    QElapsedTimer timer;
    timer.start();
    while (!m_display->canReadLine() && m_display->state() != QProcess::NotRunning &&
           timer.elapsed() < 20000)
        m_display->waitForReadyRead(100);
    bool ok = false;
    const int number = m_display->readLine().trimmed().toInt(&ok);
    return ok ? number : -1;
}

void StopSignalsTest::signalClosesInOrder_data()
{
    QTest::addColumn<int>("signalNumber");
    QTest::addColumn<QByteArray>("name");
    QTest::newRow("SIGTERM") << int(SIGTERM) << QByteArray("SIGTERM");
    QTest::newRow("SIGINT") << int(SIGINT) << QByteArray("SIGINT");
    QTest::newRow("SIGHUP") << int(SIGHUP) << QByteArray("SIGHUP");
    // A logout or a dropped remote session: the program's X server ends.
    QTest::newRow("display lost") << 0 << QByteArray("Display connection lost (The X11");
}

void StopSignalsTest::signalClosesInOrder()
{
    QFETCH(int, signalNumber);
    QFETCH(QByteArray, name);
    if (signalNumber == 0) {
        const int display = startDisplay();
        if (display < 0)
            QSKIP("No X server (Xvfb) to take away");
        startLogging({QStringLiteral("QT_QPA_PLATFORM=xcb"),
                      QStringLiteral("DISPLAY=:%1").arg(display)});
        m_display->terminate();
    } else {
        startLogging();
        QCOMPARE(::kill(static_cast<pid_t>(m_program->processId()), signalNumber), 0);
    }
    QTRY_VERIFY_WITH_TIMEOUT(m_program->state() == QProcess::NotRunning, kStartBoundMs);
    QCOMPARE(m_program->exitStatus(), QProcess::NormalExit);
    QCOMPARE(m_program->exitCode(), 0);
    const QByteArray text = log();
    QVERIFY2(text.contains(name + (signalNumber != 0 ? " received; closing" : "")),
             text.right(2000).constData());
    QVERIFY2(text.contains("SystemController loop ended"), text.right(2000).constData());
    QCOMPARE(QDir(getDataFolderPath()).entryList({QStringLiteral("CRASH_DUMP_*")}), QStringList());
    for (const QString &group : kGroups)
        QVERIFY(text.contains(
            QStringLiteral("AgController[%1][%2] loop ended").arg(kInstrument, group).toUtf8()));
    // Every audiogroup file was closed: its journal is gone.
    QCOMPARE(journals(), QStringList());
}

void StopSignalsTest::secondSignalEndsAtOnce()
{
    startLogging();
    // The GUI thread is busy: the close cannot even begin, yet the second signal is heard.
    QFile hold(dataFile(QStringLiteral("hold")));
    QVERIFY(hold.open(QIODevice::WriteOnly));
    hold.close();
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(dataFile(QStringLiteral("held"))), kStartBoundMs);
    const auto pid = static_cast<pid_t>(m_program->processId());
    QCOMPARE(::kill(pid, SIGTERM), 0);
    QVERIFY2(waitForLog("SIGTERM received; closing", kStartBoundMs), log().right(2000).constData());
    QCOMPARE(::kill(pid, SIGTERM), 0);
    // Well before the closing dialog's 30 s limit, whatever the machine's speed.
    QTRY_VERIFY_WITH_TIMEOUT(m_program->state() == QProcess::NotRunning, 15000);
    QCOMPARE(m_program->exitStatus(), QProcess::NormalExit);
    QCOMPARE(m_program->exitCode(), 0);
    const QByteArray text = log();
    QVERIFY2(text.contains("SIGTERM received again; ending at once"), text.right(2000).constData());
    QVERIFY(!text.contains("SystemController loop ended"));
}

void StopSignalsTest::secondStartIsRefused_data()
{
    QTest::addColumn<QStringList>("env");
    QTest::addColumn<bool>("folderRemoved");
    QTest::newRow("no windows") << QStringList() << false;
    // A display of a number no X server serves: the box cannot show, the status holds.
    int unused = 900;
    while (QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(unused)))
        ++unused;
    QTest::newRow("display not reachable")
        << QStringList{QStringLiteral("QT_QPA_PLATFORM="), QStringLiteral("DISPLAY=:%1").arg(unused)}
        << false;
    // The lock file goes with the folder; the first holds the lock again once it is made again.
    QTest::newRow("folder removed while logging") << QStringList() << true;
}

void StopSignalsTest::secondStartIsRefused()
{
    QFETCH(QStringList, env);
    QFETCH(bool, folderRemoved);
    startLogging();
    if (folderRemoved) {
        QVERIFY(QDir(getDataFolderPath()).removeRecursively());
        QTRY_VERIFY_WITH_TIMEOUT(log().contains("removed or replaced while in use, is back"),
                                 30000);
    }
    const QByteArray firstEntries = log();
    const int logins = m_meter->requestCount(QStringLiteral("/login"));
    std::unique_ptr<QProcess> second = startProgram(env);
    QVERIFY(second);
    QTRY_VERIFY_WITH_TIMEOUT(second->state() == QProcess::NotRunning, kStartBoundMs);
    QCOMPARE(second->exitStatus(), QProcess::NormalExit);
    QCOMPARE(second->exitCode(), kAlreadyRunningExitCode);
    const QString said = QString::fromUtf8(second->readAll());
    QVERIFY2(said.contains(QStringLiteral("already running on the data folder %1")
                               .arg(QDir::toNativeSeparators(getDataFolderPath()))),
             qPrintable(said));

    // The first logs on undisturbed, into the log it began.
    QCOMPARE(m_program->state(), QProcess::Running);
    const int stored = log().count("success:");
    QTRY_VERIFY_WITH_TIMEOUT(log().count("success:") >= stored + 4, kStartBoundMs);
    QVERIFY(log().startsWith(firstEntries));
    QCOMPARE(m_meter->requestCount(QStringLiteral("/login")), logins);
}

void StopSignalsTest::startAfterKillIsNotBlocked()
{
    startLogging();
    m_program->kill();
    QTRY_VERIFY_WITH_TIMEOUT(m_program->state() == QProcess::NotRunning, 10000);
    QVERIFY(QFile::exists(dataFile(QStringLiteral("kiv.lock"))));
    // So that only the new start's entries count.
    QVERIFY(QFile::remove(dataFile(QStringLiteral("log.txt"))));
    startLogging();
    QCOMPARE(m_program->state(), QProcess::Running);
}

KIV_TEST_MAIN_WITH(StopSignalsTest, QApplication, childRunner)

#include "tst_stopsignals.moc"
