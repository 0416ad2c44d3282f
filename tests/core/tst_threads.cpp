#include <CrashDump.h>
#include <KivTest.h>
#include <KivThread.h>
#include <KivUtils.h>
#include <ORQLogging.h>
#include <SystemJanitor.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <stdexcept>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

namespace {

class ThrowingThread : public KivThread
{
protected:
    void loop() override { throw std::runtime_error("kaboom"); }
};

class OverflowThread : public KivThread
{
public:
    static int recurse(int depth)
    {
        static volatile bool deeper = true;
        volatile char pad[1024];
        pad[0] = static_cast<char>(depth);
        return (deeper ? recurse(depth + 1) : 0) + pad[0];
    }

protected:
    void loop() override { recurse(0); }
};

void setUpLog(int threshold)
{
    createDataFolder();
    static ORQ::CORQExeLogging setup(getDataFolderFilePath(QStringLiteral("log.txt")).toLocal8Bit().constData());
    ORQ::setLogLevel(threshold);
}

int childRunner(const QString &scenario, int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (scenario.startsWith(QLatin1String("fatal"))) {
        if (scenario == QLatin1String("fatal-unread-stderr")) {
            // stderr is a full pipe that nobody reads.
            int ends[2];
            if (pipe(ends) != 0)
                return 98;
            fcntl(ends[1], F_SETFL, O_NONBLOCK);
            const std::string block(4096, 'x');
            while (::write(ends[1], block.data(), block.size()) > 0) {
            }
            fcntl(ends[1], F_SETFL, 0);
            dup2(ends[1], STDERR_FILENO);
        }
        setUpLog(scenario == QLatin1String("fatal-quiet") ? 1 : 4);
        ThrowingThread thread;
        thread.startThread();
        thread.wait();
        return 0; // never reached: the fatal path ends the process
    }
    if (scenario == QLatin1String("segv") || scenario == QLatin1String("segv-nofolder")) {
        if (scenario == QLatin1String("segv"))
            createDataFolder();
        installCrashDumpHandlers();
        // A real fault at a known address (a null store would be caught by UBSan first).
        void *page = mmap(nullptr, 4096, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        std::printf("page %p\n", page);
        std::fflush(stdout);
        *static_cast<volatile int *>(page) = 1;
        return 0;
    }
    if (scenario == QLatin1String("terminate")) {
        createDataFolder();
        installCrashDumpHandlers();
        throw std::logic_error("nobody catches this");
    }
    if (scenario == QLatin1String("overflow")) {
        createDataFolder();
        installCrashDumpHandlers();
        OverflowThread thread;
        thread.startThread();
        thread.wait();
        return 0;
    }
    return 99;
}

QStringList dumpFiles()
{
    return QDir(getDataFolderPath()).entryList({QStringLiteral("CRASH_DUMP_*.dmp")}, QDir::Files);
}

void removeDumps()
{
    for (const QString &name : dumpFiles())
        QFile::remove(getDataFolderFilePath(name));
}

QByteArray readDump()
{
    const QStringList files = dumpFiles();
    if (files.size() != 1)
        return QByteArray();
    QFile file(getDataFolderFilePath(files.first()));
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

std::atomic<int> gDeleted{0};

class FakeGroup : public ARetirableAudioGroup
{
public:
    FakeGroup(const QString &name, bool gui = false) : name(name), gui(gui) {}
    ~FakeGroup() override
    {
        deletedOnThread = QThread::currentThread();
        ++gDeleted;
        if (deletedThread)
            *deletedThread = deletedOnThread;
    }
    QString getRetirableName() const override { return name; }
    void stop() override { stopped = true; }
    bool isRetiredFinished() const override { return finished; }
    bool deleteOnGuiThread() const override { return gui; }

    QString name;
    bool gui;
    std::atomic<bool> finished{false};
    std::atomic<bool> stopped{false};
    QThread *deletedOnThread = nullptr;
    QThread **deletedThread = nullptr;
};

class FakeInstrument : public ARetirableInstrument
{
public:
    ~FakeInstrument() override
    {
        qDeleteAll(groups);
        ++gDeleted;
    }
    QList<ARetirableAudioGroup *> getRetirableAudioGroups() const override
    {
        QList<ARetirableAudioGroup *> list;
        for (FakeGroup *g : groups)
            list.append(g);
        return list;
    }
    ARetirableAudioGroup *takeRetirableAudioGroup(const QString &name) override
    {
        for (int i = 0; i < groups.size(); ++i)
            if (groups[i]->name == name)
                return groups.takeAt(i);
        return nullptr;
    }
    void stop() override { groupsLeftAtStop = groups.size(); }
    bool isRetiredFinished() const override { return finished; }

    QList<FakeGroup *> groups;
    std::atomic<bool> finished{false};
    int groupsLeftAtStop = -1;
};

} // namespace

class TestThreads : public QObject
{
    Q_OBJECT
private slots:
    void fatalPathLogsShowsAndEnds_data()
    {
        QTest::addColumn<QString>("scenario");
        QTest::addColumn<bool>("logged");
        QTest::addColumn<bool>("shown");
        QTest::newRow("threshold 4") << QStringLiteral("fatal") << true << true;
        QTest::newRow("threshold 1") << QStringLiteral("fatal-quiet") << false << true;
        QTest::newRow("stderr nobody reads")
            << QStringLiteral("fatal-unread-stderr") << true << false;
    }

    void fatalPathLogsShowsAndEnds()
    {
        QFETCH(QString, scenario);
        QFETCH(bool, logged);
        QFETCH(bool, shown);
        const auto child = KivTest::runChild(scenario, 15000);
        QVERIFY(child.finished);
        QCOMPARE(child.exitStatus, QProcess::NormalExit);
        QCOMPARE(child.exitCode, kFatalExitCode);
        QVERIFY(!shown || child.err.contains("Fatal Error\nKiv.exe has encountered a problem and needs to "
                                   "close.\nIf the problem persists, please contact us.\n"));
        QFile log(getDataFolderFilePath(QStringLiteral("log.txt")));
        QVERIFY(log.open(QIODevice::ReadOnly));
        const QByteArray text = log.readAll();
        QCOMPARE(text.contains("E:\n"), logged);
        QCOMPARE(text.contains(": Exception: kaboom in thread\n"), logged);
    }

    void startThreadStartsOnce()
    {
        class Waiting : public KivThread
        {
        public:
            std::atomic<bool> go{false};
            std::atomic<int> runs{0};

        protected:
            void loop() override
            {
                ++runs;
                while (!go)
                    msleep(1);
            }
        } thread;
        QCOMPARE(thread.startThread(), 0);
        QCOMPARE(thread.startThread(), 0);
        thread.go = true;
        QVERIFY(thread.wait(5000));
        QCOMPARE(thread.runs.load(), 1);

        // A thread the system cannot create is a failure, not a start.
        Waiting refused;
        refused.setStackSize(1);
        QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("QThread::start: .*"));
        QCOMPARE(refused.startThread(), -1);
        QCOMPARE(refused.runs.load(), 0);
    }

    void crashWritesADump()
    {
        removeDumps();
        const auto child = KivTest::runChild(QStringLiteral("segv"));
        QVERIFY(child.finished);
        QCOMPARE(child.exitStatus, QProcess::CrashExit);
        const QByteArray dump = readDump();
        QVERIFY2(dump.contains("signal: 11 (SIGSEGV)"), dump.left(200).constData());
        const QByteArray page = child.out.trimmed().mid(5);
        QVERIFY(dump.contains("fault address: " + page + "\n"));
        QVERIFY(dump.contains("backtrace:\n"));
        QVERIFY(dump.contains("memory map:\n"));
        const QString name = dumpFiles().first();
        QVERIFY(QRegularExpression(QStringLiteral("^CRASH_DUMP_[1-9][0-9]*\\.dmp$")).match(name).hasMatch());
        const qint64 seconds = name.mid(11, name.size() - 15).toLongLong();
        QVERIFY(qAbs(seconds - QDateTime::currentSecsSinceEpoch()) < 60);
    }

    void uncaughtExceptionAndStackOverflowWriteADump_data()
    {
        QTest::addColumn<QString>("scenario");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("terminate") << QStringLiteral("terminate")
                                   << QByteArray("reason: std::terminate: nobody catches this");
        QTest::newRow("overflow in a worker thread") << QStringLiteral("overflow")
                                                     << QByteArray("(SIGSEGV)");
    }

    void uncaughtExceptionAndStackOverflowWriteADump()
    {
        QFETCH(QString, scenario);
        QFETCH(QByteArray, expected);
        removeDumps();
        const auto child = KivTest::runChild(scenario);
        QVERIFY(child.finished);
        QCOMPARE(child.exitStatus, QProcess::CrashExit);
        QVERIFY2(readDump().contains(expected), readDump().left(300).constData());
    }

    void noDataFolderNoDump()
    {
        const QString home = QDir::tempPath() + QStringLiteral("/kiv-missing-home-") +
                             QString::number(QCoreApplication::applicationPid());
        const auto child = KivTest::runChild(QStringLiteral("segv-nofolder"), 30000,
                                             {QStringLiteral("HOME=") + home,
                                              QStringLiteral("XDG_CONFIG_HOME=") + home + "/.config"});
        QVERIFY(child.finished);
        QCOMPARE(child.exitStatus, QProcess::CrashExit);
        QVERIFY(!QDir(home).exists());
    }

    void janitorDeletesOnlyFinishedObjects()
    {
        gDeleted = 0;
        SystemJanitor janitor;
        QCOMPARE(janitor.startThread(), 0);

        auto *group = new FakeGroup(QStringLiteral("lonely"));
        janitor.retireAudioGroup(group);
        QVERIFY(group->stopped);
        QTest::qWait(1200);
        QCOMPARE(gDeleted.load(), 0);
        QCOMPARE(janitor.retiredAudioGroupCount(), 1);
        group->finished = true;
        QTRY_COMPARE_WITH_TIMEOUT(gDeleted.load(), 1, 5000);
        QCOMPARE(janitor.retiredAudioGroupCount(), 0);

        auto *instrument = new FakeInstrument;
        auto *a = new FakeGroup(QStringLiteral("A"));
        auto *b = new FakeGroup(QStringLiteral("B"));
        instrument->groups = {a, b};
        janitor.retireInstrument(instrument);
        QVERIFY(instrument->groups.isEmpty());
        QCOMPARE(instrument->groupsLeftAtStop, 0);
        QCOMPARE(janitor.retiredAudioGroupCount(), 2);
        QCOMPARE(janitor.retiredInstrumentCount(), 1);
        a->finished = true;
        QTRY_COMPARE_WITH_TIMEOUT(janitor.retiredAudioGroupCount(), 1, 5000);
        instrument->finished = true;
        QTRY_COMPARE_WITH_TIMEOUT(janitor.retiredInstrumentCount(), 0, 5000);
        b->finished = true;
        QTRY_COMPARE_WITH_TIMEOUT(gDeleted.load(), 4, 5000);

        // One that owns GUI-thread objects is deleted on the GUI thread.
        QThread *deletedOn = nullptr;
        auto *guiGroup = new FakeGroup(QStringLiteral("gui"), true);
        guiGroup->deletedThread = &deletedOn;
        guiGroup->finished = true;
        janitor.retireAudioGroup(guiGroup);
        QTRY_COMPARE_WITH_TIMEOUT(gDeleted.load(), 5, 5000);
        QCOMPARE(deletedOn, QThread::currentThread());

        janitor.stopJanitor();
        QVERIFY(janitor.wait(5000));
    }
};

KIV_TEST_MAIN_WITH(TestThreads, QCoreApplication, childRunner)
#include "tst_threads.moc"
