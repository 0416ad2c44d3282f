#include <KivTest.h>
#include <ORQLogging.h>

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSemaphore>
#include <QTemporaryDir>
#include <QThread>

#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <atomic>
#include <memory>

using namespace ORQ;

namespace {

int childRunner(const QString &scenario, int, char **)
{
    if (scenario == QLatin1String("restart")) {
        // A second start of the program on the same log file.
        const QByteArray path = qgetenv("KIV_LOG_PATH");
        CORQExeLogging setup(path.constData());
        setLogLevel(4);
        log(2, "an error of the second run\n");
        log(4, "second run\n");
        return 0;
    }
    if (scenario == QLatin1String("repeats at exit")) {
        // The process ends before a minute has passed: the repeats counted are written.
        const QByteArray path = qgetenv("KIV_LOG_PATH");
        CORQExeLogging setup(path.constData());
        setLogLevel(4);
        for (int i = 0; i < 3; ++i)
            log(2, "a failure that repeats\n");
        return 0;
    }
    if (scenario == QLatin1String("full")) {
        // The file may not grow: an entry fails like on a full disk, then room returns.
        const QByteArray path = qgetenv("KIV_LOG_PATH");
        CORQExeLogging setup(path.constData());
        setLogLevel(4);
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{};
        getrlimit(RLIMIT_FSIZE, &limit);
        const rlimit saved = limit;
        limit.rlim_cur = static_cast<rlim_t>(QFileInfo(QString::fromLocal8Bit(path)).size());
        setrlimit(RLIMIT_FSIZE, &limit);
        log(4, std::string(100000, 'x') + "\n");
        setrlimit(RLIMIT_FSIZE, &saved);
        log(4, "after the disk had room again\n");
        return 0;
    }
    if (scenario == QLatin1String("unread stderr")) {
        // stderr is a pipe that nobody reads, with room for one page: less than the long
        // entry. What fits is written, the rest dropped.
        int ends[2];
        if (pipe(ends) != 0)
            return 98;
        fcntl(ends[0], F_SETFL, O_NONBLOCK);
        fcntl(ends[1], F_SETFL, O_NONBLOCK);
        const std::string block(4096, 'x');
        while (::write(ends[1], block.data(), block.size()) > 0) {
        }
        fcntl(ends[1], F_SETFL, 0);
        dup2(ends[1], STDERR_FILENO);
        const QByteArray path = qgetenv("KIV_LOG_PATH");
        CORQExeLogging setup(path.constData());
        setLogLevel(4);
        char page[4096];
        if (::read(ends[0], page, sizeof page) != sizeof page)
            return 97;
        log(4, std::string(10000, 'y') + "\n");
        for (int i = 0; i < 3; ++i)
            log(4, "nobody reads stderr\n");
        QByteArray got;
        ssize_t n = 0;
        while ((n = ::read(ends[0], page, sizeof page)) > 0)
            got.append(page, int(n));
        const int copied = got.count('y');
        return copied > 0 && copied < 10000 ? 0 : 96;
    }
    if (scenario == QLatin1String("stderr reader gone")) {
        // The reading end is closed: a write raises SIGPIPE, which must not end the program.
        int ends[2];
        if (pipe(ends) != 0)
            return 98;
        ::close(ends[0]);
        dup2(ends[1], STDERR_FILENO);
        const QByteArray path = qgetenv("KIV_LOG_PATH");
        CORQExeLogging setup(path.constData());
        setLogLevel(4);
        for (int i = 0; i < 3; ++i)
            log(4, "nobody reads stderr\n");
        return 0;
    }
    return 99;
}

// One entry: prefix, line feed, 24-character ctime, line feed, ": ", text.
const QRegularExpression &entryPattern()
{
    static const QRegularExpression re(QStringLiteral(
        "^(FATAL:|E:|W:)?\\n[A-Z][a-z]{2} [A-Z][a-z]{2} [ 0-9]\\d \\d\\d:\\d\\d:\\d\\d \\d{4}\\n: "));
    return re;
}

} // namespace

class TestOrqLogging : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        static CORQExeLogging setup(KivTest::logPath().toLocal8Bit().constData());
        QCOMPARE(logLevel(), 1);
        setLogLevel(4);
    }

    void setLogLevelIsWrittenUnderTheOldThreshold()
    {
        const QString text = QString::fromLocal8Bit(KivTest::readLog());
        QVERIFY(entryPattern().match(text).hasMatch());
        QVERIFY(text.startsWith(QLatin1Char('\n')));
        QCOMPARE(text.mid(25, 22), QStringLiteral("\n: Set LogLevel to 4\n"));
    }

    void entriesHavePrefixesAndObeyTheThreshold()
    {
        const int before = KivTest::readLog().size();
        log(2, "an error\n");
        log(1, "fatal one\n");
        log(3, "a warning\n");
        log(4, "information\n");
        log(5, "debug detail\n");
        log(0, "always\n");
        const QString text = QString::fromLocal8Bit(KivTest::readLog().mid(before));
        QVERIFY(!text.contains(QLatin1String("debug detail")));
        const QStringList entries = text.split(QStringLiteral("\n: "));
        // Every entry ends with the next entry's prefix and time; check in order.
        QVERIFY(text.startsWith(QLatin1String("E:\n")));
        QVERIFY(text.contains(QLatin1String("an error\nFATAL:\n")));
        QVERIFY(text.contains(QLatin1String("fatal one\nW:\n")));
        QVERIFY(text.contains(QLatin1String("a warning\n\n")));
        QVERIFY(text.contains(QLatin1String("information\n\n")));
        QVERIFY(text.endsWith(QLatin1String(": always\n")));
        QCOMPARE(entries.size(), 6);
    }

    void macroDoesNotFormatSuppressedLines()
    {
        int evaluated = 0;
        auto count = [&evaluated] { return ++evaluated; };
        KIV_LOG(5, "suppressed %d\n", count());
        QCOMPARE(evaluated, 0);
        KIV_LOG(4, "written %d\n", count());
        QCOMPARE(evaluated, 1);
        QVERIFY(KivTest::readLog().endsWith("written 1\n"));
    }

    void invalidLevelThrowsTheAssertion()
    {
        // Above the threshold nothing is looked up; a negative level reaches the lookup.
        log(8, "never\n");
        try {
            log(-1, "never\n");
            QFAIL("no exception");
        } catch (const ORQAssertException &e) {
            QCOMPARE(QString::fromLatin1(e.what()),
                     QStringLiteral("Internal error: file ..\\..\\..\\code\\util\\src\\ORQLogging, "
                                    "line 189: levelString != 0"));
        }
        // The mutex was released.
        log(4, "after the assertion\n");
        QVERIFY(KivTest::readLog().endsWith("after the assertion\n"));
        QVERIFY(!KivTest::readLog().contains("never"));
    }

    void secondSetupAddsNothing()
    {
        QTemporaryDir dir;
        const QString other = dir.filePath(QStringLiteral("other.txt"));
        CORQExeLogging second(other.toLocal8Bit().constData());
        log(4, "still the first file\n");
        QVERIFY(!QFile::exists(other));
        QVERIFY(KivTest::readLog().endsWith("still the first file\n"));
    }

    void exceptionTextIsCutToTheBuffer()
    {
        const std::string longText(3000, 'x');
        ORQException e(longText.c_str());
        QCOMPARE(std::strlen(e.what()), size_t(1023));
        ORQException copy = e;
        QCOMPARE(std::string(copy.what()), std::string(1023, 'x'));
    }

    void formatStringReturnsWholeTexts_data()
    {
        QTest::addColumn<int>("length");
        QTest::newRow("short") << 10;
        QTest::newRow("one below the buffer") << 32767;
        QTest::newRow("exactly the buffer") << 32768;
        QTest::newRow("one above the buffer") << 32769;
        QTest::newRow("much longer") << 200000;
    }

    void formatStringReturnsWholeTexts()
    {
        QFETCH(int, length);
        const std::string body(static_cast<size_t>(length), 'a');
        const std::string text = formatString("%s", body.c_str());
        QCOMPARE(text.size(), body.size());
        QCOMPARE(formatString("%d-%s-%.1f", 42, "x", 1.25), std::string("42-x-1.2"));
    }

    void formatStringEncodingErrorGivesTheFormat()
    {
        const wchar_t invalid[] = {static_cast<wchar_t>(-5), 0};
        QCOMPARE(formatString("bad %ls\n", invalid), std::string("bad %ls\n"));
    }

    void entriesOfThreadsNeverInterleave()
    {
        // Threads that find the log taken leave their entries to its holder: none may be
        // lost or come out of its thread's order.
        const int before = KivTest::readLog().size();
        std::vector<std::unique_ptr<QThread>> threads;
        for (int t = 0; t < 8; ++t) {
            threads.emplace_back(QThread::create([t] {
                for (int i = 0; i < 200; ++i)
                    KIV_LOG(4, "thread %d entry %d %s\n", t, i, std::string(60, 'a' + t).c_str());
            }));
            threads.back()->start();
        }
        for (auto &thread : threads)
            QVERIFY(thread->wait(30000));
        const QString text = QString::fromLocal8Bit(KivTest::readLog().mid(before));
        const QRegularExpression line(QStringLiteral("\\n: thread (\\d) entry (\\d+) ([a-h]+)\\n"));
        int count = 0;
        std::vector<int> next(threads.size(), 0);
        auto it = line.globalMatch(text);
        while (it.hasNext()) {
            const auto m = it.next();
            const int t = m.captured(1).toInt();
            QCOMPARE(m.captured(3), QString(60, QChar('a' + t)));
            QCOMPARE(m.captured(2).toInt(), next[t]++);
            ++count;
        }
        QCOMPARE(count, 1600);
    }

    // An entry that comes while the end of the process writes the counted repeats is written
    // by that end, not left for a next entry that never comes.
    void entryDuringTheFinalFlushIsWritten()
    {
        struct Gate : CORQWriter
        {
            QSemaphore entered;
            QSemaphore release;
            std::atomic<bool> armed{false};
            void write(int, const std::string &text) override
            {
                if (armed.load() && text.find("held repeat") != std::string::npos) {
                    armed = false;
                    entered.release();
                    release.acquire();
                }
            }
        };
        CORQLogger *logger = gLogger.load();
        auto *gate = new Gate; // the logger's from now on
        logger->addWriter(gate);
        const int before = KivTest::readLog().size();
        log(2, "held repeat\n");
        log(2, "held repeat\n");
        gate->armed = true;
        std::unique_ptr<QThread> ending(QThread::create([logger] { logger->flushRepeats(); }));
        ending->start();
        QVERIFY(gate->entered.tryAcquire(1, 30000));
        log(4, "while the end writes\n");
        gate->release.release();
        QVERIFY(ending->wait(30000));
        QVERIFY(KivTest::readLog().mid(before).contains("while the end writes"));
    }

    // A failure logged ten times a second for ten minutes, then no more: its first entry,
    // one a minute with the number of repeats, and one when it stopped; other entries pass.
    void repeatingEntryIsWrittenAtMostOnceAMinute()
    {
        CORQLogger *logger = gLogger.load();
        std::int64_t nowMs = 0;
        logger->setRepeatClock([&nowMs] { return nowMs; });
        const int before = KivTest::readLog().size();
        const char failure[] = "AGController[M][A]command[0] failed: -1\n";
        for (int i = 0; i < 6000; ++i) {
            log(2, failure);
            if (i % 600 == 0)
                log(4, formatString("progress %d\n", i));
            nowMs += 100;
        }
        nowMs += CORQRepeatFilter::kWindowMs + 1;
        log(4, "something else\n");
        const QString text = QString::fromLocal8Bit(KivTest::readLog().mid(before));
        logger->setRepeatClock({});
        QCOMPARE(text.count(QStringLiteral("command[0] failed: -1")), 1 + 9 + 1);
        QCOMPARE(text.count(QStringLiteral("failed: -1 (600 times in the last 60 s)")), 9);
        QVERIFY(text.contains(QStringLiteral("failed: -1 (repeated 599 times, the last 60 s ago; "
                                             "no longer seen)\n")));
        QCOMPARE(text.count(QStringLiteral("progress")), 10);
        QVERIFY(text.endsWith(QLatin1String(": something else\n")));

        // At the end of the process the repeats still counted are written too.
        log(2, failure);
        log(2, failure);
        logger->flushRepeats();
        const QString ended = QString::fromLocal8Bit(KivTest::readLog().mid(before));
        QVERIFY(ended.contains(QLatin1String("failed: -1 (repeated 1 times, the last ")));
        QVERIFY(ended.endsWith(QLatin1String(" s ago; no longer seen)\n")));
    }

    // A failure that stopped is told a minute later, also when nothing else is logged.
    void stoppedRepeatIsToldWithoutAnotherEntry()
    {
        CORQLogger *logger = gLogger.load();
        static std::atomic<std::int64_t> nowMs{0};
        logger->setRepeatClock([] { return nowMs.load(); });
        auto realClock = qScopeGuard([logger] { logger->setRepeatClock({}); });
        log(3, "a warning that stops\n");
        log(3, "a warning that stops\n");
        nowMs += CORQRepeatFilter::kWindowMs + 1;
        QTRY_VERIFY_WITH_TIMEOUT(
            KivTest::readLog().endsWith(
                "a warning that stops (repeated 1 times, the last 60 s ago; no longer seen)\n"),
            4 * CORQExeLogging::kQuietCheckMs);
    }

    // Beyond 1,000 texts the one seen longest ago is closed, its repeats told, and forgotten.
    void repeatFilterKeepsAtMostItsCapOfTexts()
    {
        std::int64_t nowMs = 0;
        CORQRepeatFilter filter([&nowMs] { return nowMs; });
        const auto text = [](std::size_t i) { return "failure " + std::to_string(i) + "\n"; };
        for (std::size_t i = 0; i < CORQRepeatFilter::kMaxTexts; ++i) {
            QCOMPARE(filter.admit(2, text(i)).size(), std::size_t(1));
            QVERIFY(filter.admit(2, text(i)).empty());
            ++nowMs;
        }
        const std::vector<CORQRepeatFilter::Entry> out =
            filter.admit(2, text(CORQRepeatFilter::kMaxTexts));
        QCOMPARE(out.size(), std::size_t(2));
        QCOMPARE(out.front().text,
                 std::string("failure 0 (repeated 1 times, the last 1 s ago; no longer seen)\n"));
        QCOMPARE(out.back().text, text(CORQRepeatFilter::kMaxTexts));
        // Forgotten: written again as a first entry; the others are still counted.
        QCOMPARE(filter.admit(2, text(0)).size(), std::size_t(2));
        QVERIFY(filter.admit(2, text(CORQRepeatFilter::kMaxTexts - 1)).empty());
    }

    // Children whose log meets trouble: a write that fails like on a full disk, a stderr
    // nobody reads or whose reader is gone, an end with repeats not yet written. Logging goes
    // on, and the file gets the entries.
    void loggingOutlivesTrouble_data()
    {
        QTest::addColumn<QString>("scenario");
        QTest::addColumn<QByteArray>("entry");
        QTest::addColumn<int>("count");
        QTest::newRow("full disk") << QStringLiteral("full")
                                   << QByteArray("after the disk had room again\n") << 1;
        QTest::newRow("unread stderr") << QStringLiteral("unread stderr")
                                       << QByteArray("nobody reads stderr\n") << 3;
        QTest::newRow("long entry, unread stderr")
            << QStringLiteral("unread stderr") << QByteArray(10000, 'y') + '\n' << 1;
        QTest::newRow("stderr reader gone") << QStringLiteral("stderr reader gone")
                                            << QByteArray("nobody reads stderr\n") << 3;
        QTest::newRow("repeats pending at the exit")
            << QStringLiteral("repeats at exit")
            << QByteArray("a failure that repeats (repeated 2 times, the last ") << 1;
    }

    void loggingOutlivesTrouble()
    {
        QFETCH(QString, scenario);
        QFETCH(QByteArray, entry);
        QFETCH(int, count);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("log.txt"));
        const auto child = KivTest::runChild(scenario, 15000,
                                             {QStringLiteral("KIV_LOG_PATH=") + path});
        QCOMPARE(child.exitCode, 0);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll().count(entry), count);
    }

    void logTurnsOverAtItsLimitAndKeepsWriting()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("log.txt"));
        auto contentOf = [](const QString &name) {
            QFile file(name);
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
        };
        {
            QFile older(path + QStringLiteral(".1"));
            QVERIFY(older.open(QIODevice::WriteOnly));
            older.write("a rotation of an earlier run\n");
        }
        // 100-byte entries, 10 to a file of 1000 bytes.
        auto entry = [](int i) {
            std::string text = "entry " + std::to_string(i) + " ";
            return text + std::string(99 - text.size(), '.') + '\n';
        };
        auto entries = [&entry](int from, int to) {
            QByteArray all;
            for (int i = from; i < to; ++i)
                all += QByteArray::fromStdString(entry(i));
            return all;
        };
        CORQFileWriter writer(path.toStdString(), 1000);
        for (int i = 0; i < 10; ++i)
            writer.write(4, entry(i));
        QCOMPARE(contentOf(path), entries(0, 10));
        QCOMPARE(contentOf(path + QStringLiteral(".1")),
                 QByteArray("a rotation of an earlier run\n"));
        for (int i = 10; i < 25; ++i)
            writer.write(4, entry(i));
        QCOMPARE(contentOf(path + QStringLiteral(".1")), entries(10, 20));
        QCOMPARE(contentOf(path), entries(20, 25));

        // An entry longer than the limit is kept whole, in a file of its own.
        const std::string longEntry(2500, 'z');
        writer.write(4, longEntry);
        writer.write(4, entry(25));
        QCOMPARE(contentOf(path + QStringLiteral(".1")), QByteArray::fromStdString(longEntry));
        QCOMPARE(contentOf(path), entries(25, 26));

        // Removed from under the writer: the next entry starts it again.
        QVERIFY(QFile::remove(path));
        QVERIFY(QFile::remove(path + QStringLiteral(".1")));
        for (int i = 26; i < 36; ++i)
            writer.write(4, entry(i));
        QCOMPARE(contentOf(path), entries(26, 36));
        QCOMPARE(contentOf(path + QStringLiteral(".1")), QByteArray("<missing>"));

        // The error file: its own levels only, and more turns kept.
        const QString errors = dir.filePath(QStringLiteral("errors.txt"));
        CORQFileWriter errorWriter(errors.toStdString(), 1000, 2, 3, false);
        for (int i = 0; i < 30; ++i) {
            errorWriter.write(4, "information\n");
            errorWriter.write(2, entry(i));
        }
        QCOMPARE(contentOf(errors + QStringLiteral(".2")), entries(0, 10));
        QCOMPARE(contentOf(errors + QStringLiteral(".1")), entries(10, 20));
        QCOMPARE(contentOf(errors), entries(20, 30));
        for (int i = 30; i < 40; ++i)
            errorWriter.write(3, entry(i));
        QCOMPARE(contentOf(errors + QStringLiteral(".2")), entries(10, 20));
    }

    // log.txt starts empty; errors and warnings stay in log_errors.txt across the restart.
    void restartEmptiesTheLogFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("log.txt"));
        const QString errors = dir.filePath(QStringLiteral("log_errors.txt"));
        QCOMPARE(QString::fromStdString(CORQExeLogging::errorLogPath(path.toStdString())), errors);
        for (const QString &name : {path, errors}) {
            QFile file(name);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("old content of an earlier run\n");
        }
        const auto child = KivTest::runChild(QStringLiteral("restart"), 30000,
                                             {QStringLiteral("KIV_LOG_PATH=") + path});
        QCOMPARE(child.exitCode, 0);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray content = file.readAll();
        QVERIFY(!content.contains("old content"));
        QVERIFY(content.contains("Set LogLevel to 4"));
        QVERIFY(content.endsWith("second run\n"));
        QFile kept(errors);
        QVERIFY(kept.open(QIODevice::ReadOnly));
        const QByteArray errorEntries = kept.readAll();
        QVERIFY(errorEntries.startsWith("old content of an earlier run\n\n"));
        QVERIFY(errorEntries.contains(": Set LogLevel to 4\nE:\n"));
        QVERIFY(errorEntries.endsWith(": an error of the second run\n"));
    }
};

KIV_TEST_MAIN_WITH(TestOrqLogging, QCoreApplication, childRunner)
#include "tst_orqlogging.moc"
