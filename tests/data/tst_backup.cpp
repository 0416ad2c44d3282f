#include <AAgDataModel.h>
#include <AgConfig.h>
#include <AgDataVector.h>
#include <InstrumentConfig.h>
#include <KivConstants.h>
#include <KivTest.h>
#include <KivUtils.h>
#include <ORQLogging.h>
#include <SQLiteAgDataModel.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>

#include <sqlite3.h>

#include <algorithm>
#include <memory>
#include <unistd.h>

namespace {

constexpr qint64 kT0 = 1700000000000;
constexpr qint64 kHourMs = 3600000;
constexpr qint64 kKeptMs = 72 * kHourMs;

const InstrumentConfig &instrument()
{
    static const InstrumentConfig config(QStringLiteral("Studio 1"));
    return config;
}

AgConfig agConfig()
{
    AgConfig config(QStringLiteral("Main"));
    config.setMUpperThreshold(-5.0);
    return config;
}

QString ownFile()
{
    return getAgDbFilePath(instrument().getName(), agConfig().getName());
}

QString backupFile(qint64 programId, qint64 start)
{
    return getLogBackupFolderPath() + QDir::separator() +
           QStringLiteral("I__Studio1A__Main_bckp_%1_%2__kivDb.db").arg(programId).arg(start);
}

struct Store
{
    SQLiteAgDataModel *model; // owned by front
    std::unique_ptr<AAgDataModel> front;
};

Store openStore()
{
    auto *model = new SQLiteAgDataModel(instrument(), agConfig(), false, QString());
    return {model, std::make_unique<AAgDataModel>(model)};
}

// Programs of programMs each, one sample every stepMs; each program begins with a start word,
// and every seventh sample is loud, so the zoom windows keep rows of varied content.
void fill(AAgDataModel &store, int programs, qint64 programMs, qint64 stepMs)
{
    const qint64 perProgram = programMs / stepMs;
    AgDataVector batch(QStringLiteral("Main"), 0);
    for (qint64 i = 0; i < programs * perProgram; ++i) {
        AgData s(QStringLiteral("Main"));
        s.setEmpty(false);
        s.setTimestamp(kT0 + i * stepMs);
        s.setProgramId(100 + i / perProgram);
        s.setEvents(i % perProgram == 0 ? 1 : 0);
        s.setM400ms(i % 7 == 0 ? -2.0 : -23.0 - double(i % 5));
        s.setTP(-1.0 - double(i % 11) / 8);
        batch.append(s);
        if (batch.size() == 600 || i + 1 == programs * perProgram) {
            int err = -7;
            store.insertData(&batch, true, &err);
            QVERIFY2(err == 0 || err == kStoreGapCode, qPrintable(QString::number(err)));
            batch = AgDataVector(QStringLiteral("Main"), 0);
        }
    }
}

class DbFile
{
public:
    explicit DbFile(const QString &path)
    {
        sqlite3_open_v2(path.toUtf8().constData(), &m_db, SQLITE_OPEN_READWRITE, nullptr);
    }
    ~DbFile() { sqlite3_close_v2(m_db); }
    sqlite3 *handle() const { return m_db; }
    // One text per row, its columns joined by '|'.
    QStringList rows(const QString &sql) const
    {
        QStringList rows;
        sqlite3_stmt *st = nullptr;
        if (sqlite3_prepare_v2(m_db, sql.toUtf8().constData(), -1, &st, nullptr) != SQLITE_OK)
            return {QStringLiteral("error: ") + QString::fromUtf8(sqlite3_errmsg(m_db))};
        while (sqlite3_step(st) == SQLITE_ROW) {
            QStringList columns;
            for (int c = 0; c < sqlite3_column_count(st); ++c)
                columns << QString::fromUtf8(
                    reinterpret_cast<const char *>(sqlite3_column_text(st, c)));
            rows << columns.join(QLatin1Char('|'));
        }
        sqlite3_finalize(st);
        return rows;
    }
    QString value(const QString &sql) const { return rows(sql).value(0); }
    QStringList table(const QString &name, qint64 from = 0, qint64 to = kT0 * 2) const
    {
        return rows(QStringLiteral("SELECT * FROM %1 WHERE timestamp BETWEEN %2 AND %3 "
                                   "ORDER BY timestamp")
                        .arg(name)
                        .arg(from)
                        .arg(to));
    }

private:
    sqlite3 *m_db = nullptr;
};

QStringList inSpan(const QStringList &rows, const Program &p, bool inside)
{
    QStringList kept;
    for (const QString &row : rows) {
        const qint64 t = row.section(QLatin1Char('|'), 0, 0).toLongLong();
        if ((t >= p.getStart() && t <= p.getEnd()) == inside)
            kept << row;
    }
    return kept;
}

QString logText()
{
    QFile file(getDataFolderFilePath(QStringLiteral("log.txt")));
    file.open(QIODevice::ReadOnly);
    return QString::fromUtf8(file.readAll());
}

// Connections this process still holds on files under log_backup.
int openBackupFiles()
{
    int open = 0;
    const QString folder = QFileInfo(getLogBackupFolderPath()).canonicalFilePath();
    for (const QFileInfo &fd :
         QDir(QStringLiteral("/proc/self/fd")).entryInfoList(QDir::Files | QDir::System))
        if (!folder.isEmpty() && fd.symLinkTarget().startsWith(folder))
            ++open;
    return open;
}

// The audiogroup controller's choice: never the last program, only those that ended more
// than 72 hours before the newest sample.
std::vector<Program> oldPrograms(AAgDataModel &store)
{
    int err = -7;
    const std::vector<Program> programs = store.getPrograms(&err);
    const qint64 limit = store.getMaxTimestamp(0, &err) - kKeptMs;
    std::vector<Program> old;
    for (size_t i = 0; i + 1 < programs.size() && programs[i].getEnd() < limit; ++i)
        old.push_back(programs[i]);
    return old;
}

int backup(AAgDataModel &store, const std::vector<Program> &programs)
{
    int err = -7;
    store.backupPrograms(programs, &err);
    return err;
}

QString programText(const Program &p)
{
    return QStringLiteral("%1 %2-%3").arg(p.getProgramId()).arg(p.getStart()).arg(p.getEnd());
}

QStringList programTexts(const std::vector<Program> &programs)
{
    QStringList texts;
    for (const Program &p : programs)
        texts << programText(p);
    return texts;
}

// A backup file holding the whole program as the audiogroup's file held it.
void verifyBackup(const Program &p, const QStringList &levelZero, const QStringList &events,
                  const QString &config)
{
    const QString path = backupFile(p.getProgramId(), p.getStart());
    QVERIFY2(QFile::exists(path), qPrintable(path));
    DbFile file(path);
    QCOMPARE(file.value(QStringLiteral("PRAGMA integrity_check")), QStringLiteral("ok"));
    QStringList tables = file.rows(QStringLiteral("SELECT name FROM sqlite_master WHERE type = "
                                                  "'table' ORDER BY name"));
    QCOMPARE(tables.join(' '), QStringLiteral("AgDataZoomLevel0 Version") +
                                   (config.isEmpty() ? "" : " config") + " events");
    QCOMPARE(file.table(QStringLiteral("AgDataZoomLevel0")), inSpan(levelZero, p, true));
    QCOMPARE(file.table(QStringLiteral("events")), inSpan(events, p, true));
    if (!config.isEmpty())
        QCOMPARE(file.rows(QStringLiteral("SELECT * FROM config")), QStringList{config});
    QCOMPARE(file.rows(QStringLiteral("SELECT * FROM Version")),
             QStringList{QStringLiteral("1.0|KIV|") + KivConstants::buildString()});
}

// A program's rows and events in a file, summed up: "0|..." when its rows are not there.
QString digest(const DbFile &file, const Program &p)
{
    const QString span =
        QStringLiteral(" WHERE timestamp BETWEEN %1 AND %2").arg(p.getStart()).arg(p.getEnd());
    return file.value(QStringLiteral("SELECT COUNT(*), SUM(timestamp), SUM(timecode + programId + "
                                     "Events + Flags), TOTAL(TP + TPMax + M100ms + M400ms + MMax "
                                     "+ S + SMax + I + LRA) FROM AgDataZoomLevel0") +
                      span) +
           '/' +
           file.value(QStringLiteral("SELECT COUNT(*), SUM(timestamp), SUM(startPgmTimestamp + "
                                     "timecode + programId + Events + Flags) FROM events") +
                      span);
}

// Child: backs up every program but the last, one per call, and acknowledges each one.
int childMain(const QString &scenario, int, char **)
{
    if (scenario != QLatin1String("backup"))
        return 2;
    Store store = openStore();
    int err = 0;
    const std::vector<Program> programs = store.front->getPrograms(&err);
    if (err != 0 || programs.empty())
        return 3;
    if (::write(1, "ready\n", 6) != 6)
        return 5;
    for (size_t i = 0; i + 1 < programs.size(); ++i) {
        if (backup(*store.front, {programs[i]}) != 0)
            return 4;
        const QByteArray line = QByteArray::number(programs[i].getProgramId()) + '\n';
        if (::write(1, line.constData(), size_t(line.size())) != line.size())
            return 5;
    }
    return 0;
}

} // namespace

class TestBackup : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY(QDir().mkpath(getDataFolderPath()));
        static ORQ::CORQExeLogging logging(
            getDataFolderFilePath(QStringLiteral("log.txt")).toLocal8Bit().constData());
        ORQ::setLogLevel(4);
    }

    void init()
    {
        for (const char *suffix : {"", "-wal", "-shm"})
            QFile::remove(ownFile() + QLatin1String(suffix));
        QFile::remove(getLogBackupFolderPath());
        QDir(getLogBackupFolderPath()).removeRecursively();
    }

    void movesOldProgramsOnEveryLevel()
    {
        Store store = openStore();
        // 80 hours of 2-hour programs: the first three ended more than 72 hours ago.
        fill(*store.front, 40, 2 * kHourMs, 10000);
        int err = -7;
        store.front->saveConfig(AgDbConfig(7, QStringLiteral("Studio 1"), QStringLiteral("Main"),
                                           QStringLiteral("<SystemConfig>ü</SystemConfig>")),
                                &err);
        store.front->saveConfig(AgDbConfig(0, QStringLiteral("Studio 1"), QStringLiteral("Main"),
                                           QStringLiteral("<SystemConfig/>")),
                                &err);
        QCOMPARE(err, 0);
        const std::vector<Program> before = store.front->getPrograms(&err);
        const std::vector<Program> old = oldPrograms(*store.front);
        QCOMPARE(programTexts(old),
                 programTexts({Program(1, 100, kT0, kT0 + 2 * kHourMs - 10000),
                               Program(1, 101, kT0 + 2 * kHourMs, kT0 + 4 * kHourMs - 10000),
                               Program(1, 102, kT0 + 4 * kHourMs, kT0 + 6 * kHourMs - 10000)}));
        QStringList levels[kZoomLevelCount];
        QStringList events;
        {
            DbFile file(ownFile());
            for (int level = 0; level < kZoomLevelCount; ++level) {
                levels[level] = file.table(agDataZoomLevelTableName(level));
                QVERIFY(!inSpan(levels[level], old.back(), true).isEmpty());
            }
            events = file.table(QStringLiteral("events"));
        }
        const int logStart = logText().size();

        // A run out of time stops after its first program; the next run takes the rest.
        store.model->setBackupBudgetMs(0);
        QCOMPARE(backup(*store.front, old), 0);
        QCOMPARE(store.front->getPrograms(&err).size(), before.size() - 1);
        store.model->setBackupBudgetMs(kBackupBudgetMs);
        QCOMPARE(backup(*store.front, {old[1], old[2]}), 0);
        QCOMPARE(openBackupFiles(), 0);

        for (const Program &p : old)
            verifyBackup(p, levels[0], events, "7|Studio 1|Main|<SystemConfig>ü</SystemConfig>");
        DbFile file(ownFile());
        for (int level = 0; level < kZoomLevelCount; ++level) {
            QStringList kept = levels[level];
            for (const Program &p : old)
                kept = inSpan(kept, p, false);
            QCOMPARE(file.table(agDataZoomLevelTableName(level)), kept);
            // The cache follows the file.
            QCOMPARE(QString::number(store.front->getMinTimestamp(level, &err)),
                     file.value(QStringLiteral("SELECT MIN(timestamp) FROM %1")
                                    .arg(agDataZoomLevelTableName(level))));
        }
        QStringList keptEvents = events;
        for (const Program &p : old)
            keptEvents = inSpan(keptEvents, p, false);
        QCOMPARE(file.table(QStringLiteral("events")), keptEvents);
        QCOMPARE(programTexts(store.front->getPrograms(&err)),
                 programTexts(std::vector<Program>(before.begin() + 3, before.end())));
        QCOMPARE(store.front->getAllEvents(&err).size(), size_t(keptEvents.size()));
        QVERIFY(oldPrograms(*store.front).empty());

        const QString log = logText().mid(logStart);
        const QString name = QStringLiteral("SQLiteAgDataModel[Studio 1][Main] ");
        const QString first = QStringLiteral("%1, %2, %3").arg(100).arg(kT0).arg(old[0].getEnd());
        int at = 0;
        for (const QString &line :
             {QStringLiteral("started backing up 3 programs"),
              "started backing up program(pgmId, start, stop): " + first,
              QStringLiteral("backup DB created ok"), QStringLiteral("backup DB tables created ok"),
              QStringLiteral("backup ag data inserted ok"),
              QStringLiteral("backup events inserted ok"),
              QStringLiteral("backup config inserted ok"), QStringLiteral("backup DB closed ok"),
              "program(pgmId, start, stop): " + first + " backup ok",
              QStringLiteral("backup process took too long; canceling the rest of the pending "
                             "programs"),
              QStringLiteral("started backing up 2 programs")}) {
            const int next = log.indexOf(name + line + '\n', at);
            QVERIFY2(next >= at, qPrintable(line));
            at = next;
        }
        QCOMPARE(log.count(QStringLiteral("took too long")), 1);
        QCOMPARE(log.count(QStringLiteral(" backup ok")), 3);
    }

    void failedCopyKeepsProgram_data()
    {
        QTest::addColumn<int>("obstacle");
        QTest::newRow("log_backup is a file") << 0;
        QTest::newRow("foreign file in the backup's place") << 1;
        QTest::newRow("backup file locked by a reader") << 2;
    }

    void failedCopyKeepsProgram()
    {
        QFETCH(int, obstacle);
        Store store = openStore();
        fill(*store.front, 3, 600000, 1000);
        int err = -7;
        const std::vector<Program> before = store.front->getPrograms(&err);
        const QString path = backupFile(100, kT0);
        std::unique_ptr<DbFile> reader;
        if (obstacle == 0) {
            QFile file(getLogBackupFolderPath());
            QVERIFY(file.open(QIODevice::WriteOnly));
        } else {
            QVERIFY(QDir().mkpath(getLogBackupFolderPath()));
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            if (obstacle == 1)
                file.write(QByteArray(4096, 'x'));
        }
        if (obstacle == 2) {
            // The backup manager reading the file while the store writes it.
            reader = std::make_unique<DbFile>(path);
            QCOMPARE(sqlite3_exec(reader->handle(), "CREATE TABLE x(a); INSERT INTO x VALUES(1);",
                                  nullptr, nullptr, nullptr),
                     SQLITE_OK);
            sqlite3_exec(reader->handle(), "BEGIN; SELECT * FROM x;", nullptr, nullptr, nullptr);
        }
        const QStringList levelZero = DbFile(ownFile()).table(QStringLiteral("AgDataZoomLevel0"));
        const QStringList events = DbFile(ownFile()).table(QStringLiteral("events"));
        const int logStart = logText().size();

        QVERIFY(backup(*store.front, {before[0], before[1]}) != 0);
        QCOMPARE(DbFile(ownFile()).table(QStringLiteral("AgDataZoomLevel0")), levelZero);
        QCOMPARE(programTexts(store.front->getPrograms(&err)), programTexts(before));
        const QString log = logText().mid(logStart);
        QVERIFY(
            log.contains(QStringLiteral("program(pgmId, start, stop): 100, %1, %2 backup fail\n")
                             .arg(kT0)
                             .arg(before[0].getEnd())));
        QVERIFY(
            !log.contains(QStringLiteral("started backing up program(pgmId, start, stop): 101")));

        // The failed copy closed its file (SQLite keeps the descriptor while the reader
        // holds a lock on the same file).
        reader.reset();
        QCOMPARE(openBackupFiles(), 0);
        // Once the obstacle is gone the program moves whole; the store kept no transaction open.
        QFile::remove(obstacle == 0 ? getLogBackupFolderPath() : path);
        QCOMPARE(backup(*store.front, {before[0]}), 0);
        // Without a configuration row the file gets no config table: the backup manager
        // lists such a file, but not one whose config table is empty.
        verifyBackup(before[0], levelZero, events, QString());
        QVERIFY(logText().mid(logStart).contains(
            QStringLiteral("SQLiteAgDataModel[Studio 1][Main] could not backup the config\n")));
        QCOMPARE(openBackupFiles(), 0);
        QCOMPARE(store.front->getPrograms(&err).size(), before.size() - 1);
    }

    void killedBackupLosesNoProgram()
    {
        std::vector<Program> programs;
        QStringList digests;
        {
            Store store = openStore();
            fill(*store.front, 24, 120000, 100);
            int err = -7;
            store.front->saveConfig(AgDbConfig(0, QStringLiteral("Studio 1"),
                                               QStringLiteral("Main"), QStringLiteral("<x/>")),
                                    &err);
            programs = store.front->getPrograms(&err);
            DbFile file(ownFile());
            for (const Program &p : programs)
                digests << digest(file, p);
        }
        QCOMPARE(programs.size(), size_t(24));

        QRandomGenerator random(20240612);
        int rounds = 0;
        int killedMidway = 0;
        QSet<qint64> acknowledged;
        bool done = false;
        int window = 150; // widened while kills come too early on a slow machine
        while (!done) {
            ++rounds;
            QProcess child;
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QStringLiteral("KIV_CHILD_SCENARIO"), QStringLiteral("backup"));
            child.setProcessEnvironment(env);
            child.start(QCoreApplication::applicationFilePath(), QStringList());
            QVERIFY(child.waitForStarted(10000));
            // Killed at a random moment of its backups, then left to finish after 10 kills.
            QVERIFY2(child.canReadLine() || child.waitForReadyRead(30000),
                     child.readAllStandardError().constData());
            done = child.waitForFinished(rounds > 10 ? 60000 : random.bounded(0, window));
            if (done)
                QCOMPARE(child.exitCode(), 0);
            else if (rounds > 10)
                QFAIL("the last run did not finish");
            else
                child.kill();
            QVERIFY(child.state() == QProcess::NotRunning || child.waitForFinished(10000));
            const int before = acknowledged.size();
            for (const QByteArray &id : child.readAllStandardOutput().split('\n'))
                if (!id.isEmpty() && id != "ready")
                    acknowledged.insert(id.toLongLong());
            if (!done && acknowledged.size() > before) {
                ++killedMidway;
                window = std::max(window / 2, 150);
            } else if (!done) {
                window = std::min(window * 2, 3000);
            }

            // Every program is whole in the audiogroup's file, or whole in its backup file, or
            // both; an acknowledged one is gone from the audiogroup's file.
            DbFile file(ownFile());
            QCOMPARE(file.value(QStringLiteral("PRAGMA integrity_check")), QStringLiteral("ok"));
            for (size_t i = 0; i < programs.size(); ++i) {
                const Program &p = programs[i];
                const QString path = backupFile(p.getProgramId(), p.getStart());
                if (QFile::exists(path))
                    QCOMPARE(DbFile(path).value(QStringLiteral("PRAGMA integrity_check")),
                             QStringLiteral("ok"));
                const QString kept = digest(file, p);
                if (!kept.startsWith(QLatin1String("0|"))) {
                    QCOMPARE(kept, digests[int(i)]);
                    QVERIFY(!acknowledged.contains(p.getProgramId()));
                    continue;
                }
                DbFile backup(path);
                QCOMPARE(digest(backup, p), digests[int(i)]);
                QCOMPARE(backup.value(QStringLiteral("SELECT COUNT(*) FROM config")),
                         QStringLiteral("1"));
            }
        }
        qInfo("%d runs, %d killed after some programs, %d programs acknowledged", rounds,
              killedMidway, int(acknowledged.size()));
        QVERIFY(killedMidway >= 2);
        // Only the newest program stays.
        QCOMPARE(DbFile(ownFile()).value(QStringLiteral("SELECT COUNT(*) FROM AgDataZoomLevel0")),
                 digests.last().section(QLatin1Char('|'), 0, 0));
    }
};

KIV_TEST_MAIN_WITH(TestBackup, QCoreApplication, childMain)
#include "tst_backup.moc"
