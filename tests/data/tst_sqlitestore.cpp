#include "StoreTestUtil.h"

#include <AAgDataModel.h>
#include <AgConfig.h>
#include <AgDataVector.h>
#include <AgStoreResult.h>
#include <InstrumentConfig.h>
#include <KivConstants.h>
#include <KivTest.h>
#include <KivUtils.h>
#include <ORQLogging.h>
#include <SQLiteAgDataModel.h>

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <limits>
#include <memory>
#include <unistd.h>

namespace {

using namespace StoreTest;

constexpr int kGap = kStoreGapCode;
constexpr int kFailed = kStoreFailedCode;

void removeDb(const QString &path)
{
    for (const char *suffix : {"", "-wal", "-shm", "-journal"})
        QFile::remove(path + QLatin1String(suffix));
}

AgData sample(qint64 t, qint64 programId = 1, qint64 events = 0, double m400 = -23.0)
{
    AgData s(QStringLiteral("Main"));
    s.setEmpty(false);
    s.setTimestamp(t);
    s.setProgramId(programId);
    s.setEvents(events);
    s.setM400ms(m400);
    return s;
}

std::unique_ptr<AAgDataModel> openStore(bool levelZeroOnly = false, const QString &path = QString())
{
    auto model = std::make_unique<AAgDataModel>();
    model->init(0, instrument(), agConfig(), levelZeroOnly, path);
    return model;
}

// The audiogroup's own store, tried again this long after a failure.
std::unique_ptr<AAgDataModel> openPacedStore(qint64 pacingMs)
{
    auto *store = new SQLiteAgDataModel(instrument(), agConfig(), false, QString());
    store->setReopenPacingMs(pacingMs);
    return std::make_unique<AAgDataModel>(store);
}

// A VFS over the default one whose writes fail on demand. A file written to while they fail
// keeps failing, as the descriptor of a share that dropped out does: only a file opened anew
// gets over it.
namespace FailingVfs {

bool failWrites = false;
sqlite3_vfs *base = nullptr;
sqlite3_vfs vfs;

struct File
{
    sqlite3_file file;
    sqlite3_file *inner;
    bool broken;
};

sqlite3_file *in(sqlite3_file *f)
{
    return reinterpret_cast<File *>(f)->inner;
}

const sqlite3_io_methods methods = {
    3,
    [](sqlite3_file *f) { return in(f)->pMethods->xClose(in(f)); },
    [](sqlite3_file *f, void *b, int n, sqlite3_int64 o) {
        return in(f)->pMethods->xRead(in(f), b, n, o);
    },
    [](sqlite3_file *f, const void *b, int n, sqlite3_int64 o) {
        File *file = reinterpret_cast<File *>(f);
        file->broken = file->broken || failWrites;
        return file->broken ? SQLITE_IOERR_WRITE : in(f)->pMethods->xWrite(in(f), b, n, o);
    },
    [](sqlite3_file *f, sqlite3_int64 s) { return in(f)->pMethods->xTruncate(in(f), s); },
    [](sqlite3_file *f, int flags) { return in(f)->pMethods->xSync(in(f), flags); },
    [](sqlite3_file *f, sqlite3_int64 *s) { return in(f)->pMethods->xFileSize(in(f), s); },
    [](sqlite3_file *f, int l) { return in(f)->pMethods->xLock(in(f), l); },
    [](sqlite3_file *f, int l) { return in(f)->pMethods->xUnlock(in(f), l); },
    [](sqlite3_file *f, int *r) { return in(f)->pMethods->xCheckReservedLock(in(f), r); },
    [](sqlite3_file *f, int op, void *a) { return in(f)->pMethods->xFileControl(in(f), op, a); },
    [](sqlite3_file *f) { return in(f)->pMethods->xSectorSize(in(f)); },
    [](sqlite3_file *f) { return in(f)->pMethods->xDeviceCharacteristics(in(f)); },
    [](sqlite3_file *f, int p, int s, int e, void volatile **m) {
        return in(f)->pMethods->xShmMap(in(f), p, s, e, m);
    },
    [](sqlite3_file *f, int o, int n, int flags) {
        return in(f)->pMethods->xShmLock(in(f), o, n, flags);
    },
    [](sqlite3_file *f) { in(f)->pMethods->xShmBarrier(in(f)); },
    [](sqlite3_file *f, int d) { return in(f)->pMethods->xShmUnmap(in(f), d); },
    [](sqlite3_file *f, sqlite3_int64 o, int n, void **p) {
        return in(f)->pMethods->xFetch(in(f), o, n, p);
    },
    [](sqlite3_file *f, sqlite3_int64 o, void *p) {
        return in(f)->pMethods->xUnfetch(in(f), o, p);
    },
};

// Made the default, so that the store's own open uses it.
void install()
{
    base = sqlite3_vfs_find(nullptr);
    vfs = *base;
    vfs.pNext = nullptr;
    vfs.zName = "failing";
    vfs.szOsFile = int(sizeof(File)) + base->szOsFile;
    vfs.xOpen = [](sqlite3_vfs *, sqlite3_filename name, sqlite3_file *f, int flags, int *out) {
        File *file = reinterpret_cast<File *>(f);
        file->inner = reinterpret_cast<sqlite3_file *>(file + 1);
        file->broken = false;
        const int rc = base->xOpen(base, name, file->inner, flags, out);
        file->file.pMethods = file->inner->pMethods ? &methods : nullptr;
        return rc;
    };
    sqlite3_vfs_register(&vfs, 1);
}

void uninstall()
{
    failWrites = false;
    sqlite3_vfs_register(base, 1);
    sqlite3_vfs_unregister(&vfs);
}

} // namespace FailingVfs

int insert(AAgDataModel &model, const std::vector<AgData> &samples)
{
    AgDataVector batch(QStringLiteral("Main"), 0);
    for (const AgData &s : samples)
        batch.append(s);
    int err = 12345;
    model.insertData(&batch, true, &err);
    return err;
}

// A level table as the file shows its creation.
QString levelTable(int level)
{
    return QStringLiteral("CREATE TABLE AgDataZoomLevel%1 (timestamp INTEGER primary key, timecode "
                          "INTEGER, programId INTEGER, TP FLOAT, TPMax FLOAT, M100ms FLOAT, M400ms "
                          "FLOAT, MMax FLOAT, S FLOAT, SMax FLOAT, I FLOAT, LRA FLOAT, Events "
                          "INTEGER, Flags INTEGER)")
        .arg(level);
}

QList<qint64> levelTimestamps(const QString &path, int level)
{
    QList<qint64> timestamps;
    for (const QString &t :
         DbFile(path).column(QStringLiteral("SELECT timestamp FROM %1 ORDER BY timestamp")
                                 .arg(agDataZoomLevelTableName(level))))
        timestamps << t.toLongLong() - kT0;
    return timestamps;
}

// "0/5 100/5:4" : samples at kT0 + t with program 5, the second with event word 4.
std::vector<AgData> parseBatch(const QString &text)
{
    std::vector<AgData> samples;
    for (const QString &item : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QStringList parts = item.split(QRegExp(QStringLiteral("[/:]")));
        samples.push_back(sample(kT0 + parts[0].toLongLong(), parts[1].toLongLong(), 0));
        if (parts.size() > 2)
            samples.back().setEvents(parts[2].toLongLong());
    }
    return samples;
}

QByteArray fileHash(const QString &path)
{
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha1);
}

// Child: stores 2 s batches of the own file for ever and acknowledges each stored one.
int childMain(const QString &scenario, int, char **)
{
    if (scenario != QLatin1String("writer"))
        return 2;
    std::unique_ptr<AAgDataModel> model = openStore();
    int err = 0;
    qint64 next = model->getMaxTimestamp(0, &err);
    if (err != 0)
        return 3;
    next = next > 0 ? next + 100 : kT0;
    for (int n = 0;; ++n) {
        std::vector<AgData> samples;
        for (int i = 0; i < 20; ++i)
            samples.push_back(sample(next + i * 100, next / 3700000, 0, -20.0 - i));
        const int code = insert(*model, samples);
        if (code == 0 || code == kGap) {
            const QByteArray line =
                QByteArray::number(next) + ' ' + QByteArray::number(next + 1900) + '\n';
            if (::write(1, line.constData(), size_t(line.size())) != line.size())
                return 4;
        }
        next += 2000;
    }
}

} // namespace

class TestSqliteStore : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY(QDir().mkpath(getDataFolderPath()));
        KivTest::startLog(4);
    }

    void init() { removeDb(ownFile()); }

    void fileKinds_data()
    {
        QTest::addColumn<bool>("levelZeroOnly");
        QTest::addColumn<int>("levels");
        QTest::addColumn<QString>("journal");
        QTest::addColumn<int>("whileReading");
        QTest::newRow("audiogroup file") << false << 16 << "wal" << 0;
        QTest::newRow("export file") << true << 1 << "delete" << kFailed;
    }

    void fileKinds()
    {
        QFETCH(bool, levelZeroOnly);
        QFETCH(int, levels);
        QFETCH(QString, journal);
        QFETCH(int, whileReading);
        QTemporaryDir dir;
        const QString path = levelZeroOnly ? dir.filePath(QStringLiteral("export.db")) : ownFile();
        openStore(levelZeroOnly, path)->close();
        std::unique_ptr<AAgDataModel> model = openStore(levelZeroOnly, path);
        int err = -7;
        QCOMPARE(model->getMaxTimestamp(0, &err), qint64(0));
        QCOMPARE(err, 0);

        DbFile file(path);
        QStringList expected;
        for (int level = 0; level < levels; ++level)
            expected << levelTable(level);
        expected << QStringLiteral("CREATE TABLE events (timestamp INTEGER primary key, "
                                   "startPgmTimestamp INTEGER, timecode INTEGER, programId "
                                   "INTEGER, Events INTEGER, Flags INTEGER)")
                 << QStringLiteral("CREATE TABLE config (timestamp INTEGER primary key, "
                                   "instrumentName TEXT, agSourceName TEXT, rawXml TEXT)")
                 << QStringLiteral("CREATE TABLE Version (dbVersion TEXT primary key, creator "
                                   "TEXT, creatorVersion TEXT)");
        // Tables only: no index besides the primary keys.
        QStringList tables = file.column(QStringLiteral(
            "SELECT sql FROM sqlite_master WHERE name NOT LIKE 'sqlite_autoindex%'"));
        tables.sort();
        expected.sort();
        QCOMPARE(tables, expected);
        // Opened twice, one Version row.
        QCOMPARE(file.column(QStringLiteral(
                     "SELECT dbVersion || '|' || creator || '|' || creatorVersion FROM Version")),
                 QStringList{QStringLiteral("1.0|KIV|") + KivConstants::buildString()});
        QCOMPARE(file.value(QStringLiteral("PRAGMA journal_mode")), journal);
        QCOMPARE(file.value(QStringLiteral("PRAGMA encoding")), QStringLiteral("UTF-8"));

        // A reader in the middle of a query, as the table view may be: it never blocks the WAL
        // file; the export file's commit fails and leaves no transaction open behind it.
        QCOMPARE(insert(*model, {sample(kT0), sample(kT0 + 100)}), 0);
        sqlite3_stmt *st = nullptr;
        sqlite3_prepare_v2(file.handle(), "SELECT timestamp FROM AgDataZoomLevel0", -1, &st,
                           nullptr);
        QCOMPARE(sqlite3_step(st), SQLITE_ROW);
        QCOMPARE(insert(*model, {sample(kT0 + 200)}), whileReading);
        sqlite3_finalize(st);
        if (whileReading != 0)
            QCOMPARE(insert(*model, {sample(kT0 + 200)}), 0);
        QCOMPARE(levelTimestamps(path, 0), (QList<qint64>{0, 100, 200}));
        QCOMPARE(model->getMaxTimestamp(0, &err), kT0 + 200);
    }

    // The journal is cut back at its checkpoints instead of keeping its largest size, and
    // goes with the last connection.
    void journalStaysSmall()
    {
        const QString wal = ownFile() + QStringLiteral("-wal");
        std::unique_ptr<AAgDataModel> model = openStore();
        const qint64 t0 = 1700000000000;
        qint64 largest = 0;
        int shrunk = 0;
        qint64 last = 0;
        for (int batch = 0; batch < 400; ++batch) {
            std::vector<AgData> samples;
            for (int i = 0; i < 20; ++i)
                samples.push_back(sample(t0 + (batch * 20 + i) * 100));
            QCOMPARE(insert(*model, samples), 0);
            const qint64 size = QFileInfo(wal).size();
            largest = std::max(largest, size);
            shrunk += size < last ? 1 : 0;
            last = size;
        }
        QVERIFY2(shrunk >= 2, qPrintable(QString::number(shrunk)));
        QVERIFY2(largest < 1536 * 1024, qPrintable(QString::number(largest)));
        model->close();
        QVERIFY(!QFile::exists(wal));
    }

    // Journal files made while the file was read-only take its permissions again once the
    // user has repaired it; left read-only, the file would open read-only for good.
    void journalFilesFollowTheFilesPermissions()
    {
        QCOMPARE(insert(*openStore(), {sample(kT0)}), 0);
        const QString shm = ownFile() + QStringLiteral("-shm");
        QFile side(shm);
        QVERIFY(side.open(QIODevice::WriteOnly));
        side.close();
        const QFileDevice::Permissions readOnly = QFileDevice::ReadOwner | QFileDevice::ReadGroup;
        QVERIFY(QFile::setPermissions(shm, readOnly));
        const QFileDevice::Permissions repaired = QFileInfo(ownFile()).permissions();
        QVERIFY(repaired != readOnly);
        std::unique_ptr<AAgDataModel> model = openStore();
        int err = -1;
        QCOMPARE(model->getMaxTimestamp(0, &err), kT0);
        QCOMPARE(QFileInfo(shm).permissions(), repaired);
        QCOMPARE(insert(*model, {sample(kT0 + 100)}), 0);
    }

    void insertPath_data()
    {
        QTest::addColumn<QList<qint64>>("stored");
        QTest::addColumn<QList<qint64>>("batch");
        QTest::addColumn<int>("code");
        QTest::addColumn<QList<qint64>>("after");
        QTest::addColumn<QList<qint64>>("reported"); // the new samples, in the batch's order
        using L = QList<qint64>;
        QTest::newRow("empty file")
            << L{} << L{0, 100, 200} << 0 << L{0, 100, 200} << L{0, 100, 200};
        QTest::newRow("continues")
            << L{0, 100} << L{200, 300} << 0 << L{0, 100, 200, 300} << L{200, 300};
        QTest::newRow("500 ms later") << L{0} << L{500} << 0 << L{0, 500} << L{500};
        QTest::newRow("501 ms later")
            << L{0} << L{501, 601} << kGap << L{0, 501, 601} << L{501, 601};
        QTest::newRow("overlapping") << L{0, 100} << L{100, 200} << 0 << L{0, 100, 200} << L{200};
        QTest::newRow("nothing new") << L{0, 100} << L{0, 100} << kFailed << L{0, 100} << L{};
        QTest::newRow("older only") << L{1000} << L{0, 500} << kFailed << L{1000} << L{};
        QTest::newRow("out of order")
            << L{} << L{300, 100, 200} << 0 << L{100, 200, 300} << L{300, 100, 200};
        QTest::newRow("same batch is no bound")
            << L{0} << L{300, 200} << 0 << L{0, 200, 300} << L{300, 200};
        // Runs of 8, 4, 2 and 1 rows a statement: the bound and a repeat hold in each.
        L many{100};
        for (qint64 t = 200; t <= 2100; t += 100)
            many << t;
        many << 700 << 2200 << 2300;
        L manyAfter{0};
        for (qint64 t = 100; t <= 2300; t += 100)
            manyAfter << t;
        QTest::newRow("23 new rows, one again")
            << L{0, 100} << many << 0 << manyAfter << many.mid(1);
        QTest::newRow("not after the epoch") << L{} << L{-kT0, -kT0 - 5} << kFailed << L{} << L{};
        QTest::newRow("empty batch") << L{0} << L{} << 0 << L{0} << L{};
        // A damaged far-future stamp would make every later sample look old.
        const qint64 ceiling = AgData::kTimestampCeilingMs - kT0;
        QTest::newRow("year 3000 refused")
            << L{0} << L{100, ceiling, 200} << 0 << L{0, 100, 200} << L{100, 200};
        QTest::newRow("largest stamp refused")
            << L{0} << L{std::numeric_limits<qint64>::max() - kT0, 100} << 0 << L{0, 100} << L{100};
        QTest::newRow("just before year 3000")
            << L{0} << L{ceiling - 1} << kGap << L{0, ceiling - 1} << L{ceiling - 1};
    }

    void insertPath()
    {
        QFETCH(QList<qint64>, stored);
        QFETCH(QList<qint64>, batch);
        QFETCH(int, code);
        QFETCH(QList<qint64>, after);
        QFETCH(QList<qint64>, reported);
        std::unique_ptr<AAgDataModel> model = openStore();
        std::vector<AgData> first;
        for (qint64 t : stored)
            first.push_back(sample(kT0 + t, 1, 0, -30.0));
        if (!first.empty())
            QCOMPARE(insert(*model, first), 0);
        AgDataVector second(QStringLiteral("Main"), 0);
        bool refused = false;
        for (qint64 t : batch) {
            second.append(sample(kT0 + t, 1, 0, -10.0));
            refused = refused || !AgData::isStorableTimestamp(kT0 + t);
        }
        const QString logged = QStringLiteral("samples not stored: time stamp out of range");
        const int loggedBefore = QString::fromUtf8(KivTest::readLog()).count(logged);
        int err = 12345;
        const AgStoreResult result = model->insertData(&second, true, &err);
        QCOMPARE(result.getCode(), code);
        QCOMPARE(err, code);
        QCOMPARE(result.isAfterGap(), code == kGap);
        QList<qint64> newSamples;
        for (const AgData &s : result.getNewSamples()) {
            newSamples << s.getTimestamp() - kT0;
            QCOMPARE(s.getM400ms(), -10.0);
        }
        QCOMPARE(newSamples, reported);
        QCOMPARE(levelTimestamps(ownFile(), 0), after);
        // One line for the batch, however many samples it refused.
        QCOMPARE(QString::fromUtf8(KivTest::readLog()).count(logged) - loggedBefore,
                 refused ? 1 : 0);
        // Stored rows are never rewritten by a later batch; the cache follows the file.
        const QStringList old = DbFile(ownFile()).column(QStringLiteral(
            "SELECT timestamp - 1700000000000 FROM AgDataZoomLevel0 WHERE M400ms = -30"));
        QCOMPARE(old.size(), stored.size());
        err = -7;
        QCOMPARE(model->getMaxTimestamp(0, &err), after.isEmpty() ? 0 : kT0 + after.last());
        QCOMPARE(err, 0);

        err = 0;
        QVERIFY(!model->insertData(nullptr, true, &err).isStored());
        QCOMPARE(err, -1);
    }

    void failedStepStoresNothing()
    {
        std::unique_ptr<AAgDataModel> model = openStore();
        QCOMPARE(insert(*model, {sample(kT0)}), 0);
        // The events table vanishes under the store: the samples already written in the
        // transaction go with the failed event step.
        sqlite3_exec(DbFile(ownFile()).handle(), "DROP TABLE events", nullptr, nullptr, nullptr);
        QCOMPARE(insert(*model, {sample(kT0 + 100), sample(kT0 + 200, 2)}), kFailed);
        QCOMPARE(levelTimestamps(ownFile(), 0), QList<qint64>{0});
        int err = -7;
        QCOMPARE(model->getMaxTimestamp(0, &err), kT0);
        QCOMPARE(model->getPrograms(&err).size(), size_t(1));
    }

    // A file removed or replaced under the store, or its whole folder: the next batch (or the
    // close) finds out, and the file is made again in its place with everything stored, also
    // what went into the removed file; logging goes on into it without a gap.
    void removedFileIsMadeAgain_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<bool>("closed"); // found at the close, without a further batch
        QTest::newRow("file removed") << "file" << false;
        QTest::newRow("file removed, then closed") << "file" << true;
        QTest::newRow("data folder removed") << "folder" << false;
        QTest::newRow("replaced by another file") << "replaced" << false;
        QTest::newRow("folder replaced by a file") << "blocked" << false;
    }

    void removedFileIsMadeAgain()
    {
        QFETCH(QString, change);
        QFETCH(bool, closed);
        auto run = [](qint64 from) {
            std::vector<AgData> samples;
            for (int i = 0; i < 20; ++i)
                samples.push_back(sample(from + i * 100, 1, 0, -20.0 - i));
            return samples;
        };
        const QString folder = getDataFolderPath();
        const QString path = ownFile();
        // A fresh repeat count: the same line of an earlier row is no repeat.
        ORQ::gLogger.load()->setRepeatClock({});
        std::unique_ptr<AAgDataModel> model = openPacedStore(0);
        QCOMPARE(insert(*model, run(kT0)), 0);
        if (change == QLatin1String("file")) {
            QVERIFY(QFile::remove(path));
        } else if (change == QLatin1String("replaced")) {
            const QString other = folder + QStringLiteral("/other.db");
            QCOMPARE(sqlite3_exec(DbFile(other).handle(), "CREATE TABLE mine (x INTEGER)", nullptr,
                                  nullptr, nullptr),
                     SQLITE_OK);
            QCOMPARE(std::rename(qPrintable(other), qPrintable(path)), 0);
        } else {
            QVERIFY(QDir(folder).removeRecursively());
            QFile blocking(folder);
            QVERIFY(change == QLatin1String("folder") || blocking.open(QIODevice::WriteOnly));
        }
        // Written into the removed file before anything noticed: kept all the same.
        int err = -7;
        model->saveConfig(AgDbConfig(0, QStringLiteral("Studio 1"), QStringLiteral("Main"),
                                     QStringLiteral("<kept/>")),
                          &err);
        QCOMPARE(err, 0);
        if (change == QLatin1String("blocked")) {
            // Nothing is stored until the file is back, so nothing passes for stored.
            QCOMPARE(insert(*model, run(kT0 + 2000)), kFailed);
            QCOMPARE(model->getMaxTimestamp(0, &err), kT0 + 1900);
            QVERIFY(QFile::remove(folder));
        }
        if (!closed) {
            QCOMPARE(insert(*model, run(kT0 + 2000)), 0);
            QCOMPARE(insert(*model, run(kT0 + 4000)), 0);
        }
        model->close();
        QVERIFY(!QFile::exists(path + QStringLiteral("-wal")));

        DbFile file(path);
        QCOMPARE(file.value(QStringLiteral("PRAGMA integrity_check")), QStringLiteral("ok"));
        QList<qint64> expected;
        for (int i = 0; i < (closed ? 20 : 60); ++i)
            expected << i * 100;
        QCOMPARE(levelTimestamps(path, 0), expected);
        // The zoom levels too: every complete window of level 1.
        int windows = 0;
        for (qint64 t = kT0 / 117 * 117; t + 117 <= kT0 + expected.last(); t += 117)
            ++windows;
        QCOMPARE(levelTimestamps(path, 1).size(), windows);
        QCOMPARE(file.value(QStringLiteral("SELECT rawXml FROM config")),
                 QStringLiteral("<kept/>"));
        const QString log = QString::fromUtf8(KivTest::readLog());
        QVERIFY2(log.contains(
                     QStringLiteral(
                         "the database %1, removed or replaced while in use, is back with its 20 "
                         "samples")
                         .arg(path)),
                 qPrintable(log.right(600)));
        // An error entry naming the file (written before the folder was back only when it
        // could be made at once).
        const QRegularExpression removed(
            QStringLiteral("E:\n[^\n]{24}\n: [^\n]+ the database %1 was removed or replaced "
                           "while in use")
                .arg(QRegularExpression::escape(path)));
        QVERIFY(change == QLatin1String("blocked") || log.contains(removed));
        const QStringList found =
            QDir(folder).entryList({QFileInfo(path).fileName() + QStringLiteral(".*.found")});
        QCOMPARE(found.size(), change == QLatin1String("replaced") ? 1 : 0);
        for (const QString &aside : found) {
            QCOMPARE(DbFile(QDir(folder).filePath(aside))
                         .value(QStringLiteral("SELECT name FROM sqlite_master")),
                     QStringLiteral("mine"));
            QVERIFY(QFile::remove(QDir(folder).filePath(aside)));
        }
    }

    // A file whose writes fail while it is open and keep failing on its open descriptors:
    // the store opens it anew after a failed write and, once writes work again, catches up
    // from its newest stored sample without a gap.
    void failedWritesAreCaughtUp()
    {
        FailingVfs::install();
        std::unique_ptr<AAgDataModel> model = openPacedStore(0);
        qint64 now = kT0; // the meter holds every sample up to now
        auto poll = [&] {
            // As the meter's thread asks: from the newest stored sample on.
            int err = 0;
            const qint64 newest = model->getMaxTimestamp(0, &err);
            std::vector<AgData> samples;
            for (qint64 t = newest > 0 ? newest + 100 : kT0; t <= now; t += 100)
                samples.push_back(sample(t));
            return insert(*model, samples);
        };
        const int first = poll();
        now += 1900;
        const int second = poll();
        FailingVfs::failWrites = true;
        QList<int> failing;
        for (int i = 0; i < 3; ++i) {
            now += 2000;
            failing << poll();
        }
        FailingVfs::failWrites = false;
        QList<int> after;
        for (int i = 0; i < 2; ++i) {
            now += 2000;
            after << poll();
        }
        model->close();
        model.reset();
        FailingVfs::uninstall();
        QCOMPARE(first, 0);
        QCOMPARE(second, 0);
        QCOMPARE(failing, (QList<int>{kFailed, kFailed, kFailed}));
        QCOMPARE(after, (QList<int>{0, 0}));
        QList<qint64> expected;
        for (qint64 t = 0; t <= now - kT0; t += 100)
            expected << t;
        QCOMPARE(levelTimestamps(ownFile(), 0), expected);
        QVERIFY(KivTest::readLog().contains("cannot write it"));
    }

    void programEvents_data()
    {
        QTest::addColumn<QString>("batches");
        QTest::addColumn<QString>("rows");
        // rows: timestamp@program start#programId=event word
        QTest::newRow("first sample starts") << "0/5 100/5 200/5"
                                             << "0@0#5=0";
        QTest::newRow("start word kept") << "0/5:1 100/5"
                                         << "0@0#5=1";
        QTest::newRow("change stops the previous") << "0/5 100/5|200/6 300/6"
                                                   << "0@0#5=0 100@0#5=2 200@200#6=0";
        QTest::newRow("change inside a batch") << "0/5 100/5 200/6"
                                               << "0@0#5=0 100@0#5=2 200@200#6=0";
        QTest::newRow("reset has no stop") << "0/5 100/5|200/6:4"
                                           << "0@0#5=0 100@0#5=0 200@200#6=4";
        QTest::newRow("previous keeps its word") << "0/5 100/5:8|200/6"
                                                 << "0@0#5=0 100@0#5=8 200@200#6=0";
        QTest::newRow("words inside a program") << "0/5 100/5:4 200/5"
                                                << "0@0#5=0 100@0#5=4";
        QTest::newRow("out of order") << "200/6 0/5 100/5"
                                      << "0@0#5=0 100@0#5=2 200@200#6=0";
        QTest::newRow("back to an earlier id") << "0/5|100/6|200/5"
                                               << "0@0#5=2 100@100#6=2 200@200#5=0";
    }

    void programEvents()
    {
        QFETCH(QString, batches);
        QFETCH(QString, rows);
        auto describe = [](const std::vector<Program> &programs) {
            QStringList parts;
            for (const Program &p : programs)
                parts << QStringLiteral("%1:%2-%3")
                             .arg(p.getProgramId())
                             .arg(p.getStart() - kT0)
                             .arg(p.getEnd() - kT0);
            return parts.join(QLatin1Char(' '));
        };
        QString programs;
        {
            std::unique_ptr<AAgDataModel> model = openStore();
            for (const QString &batch : batches.split(QLatin1Char('|')))
                QCOMPARE(insert(*model, parseBatch(batch)), 0);
            int err = -7;
            programs = describe(model->getPrograms(&err));
            QCOMPARE(err, 0);
            QCOMPARE(model->getAllEvents(&err).size(), size_t(rows.count(QLatin1Char('@'))));
            model->close();
        }
        QCOMPARE(DbFile(ownFile())
                     .column(QStringLiteral("SELECT (timestamp - 1700000000000) || '@' || "
                                            "(startPgmTimestamp - 1700000000000) || '#' || "
                                            "programId || '=' || Events FROM events ORDER BY "
                                            "timestamp"))
                     .join(QLatin1Char(' ')),
                 rows);
        // A new model reads the same programs back from the file.
        std::unique_ptr<AAgDataModel> reopened = openStore();
        int err = -7;
        QCOMPARE(describe(reopened->getPrograms(&err)), programs);
    }

    void zoomLevels_data()
    {
        QTest::addColumn<qint64>("first");
        QTest::addColumn<int>("batchSize");
        QTest::addColumn<int>("reopenEvery");
        QTest::addColumn<int>("unreadable"); // samples i with i % 1000 below it have no values
        QTest::addColumn<int>("spacing");    // ms between samples
        QTest::addColumn<bool>("bulk");      // as an import writes: many rows a statement
        QTest::newRow("2 s batches") << kT0 + 50 << 20 << 0 << 0 << 100 << false;
        QTest::newRow("one batch") << kT0 + 50 << 16000 << 0 << 0 << 100 << false;
        QTest::newRow("reopened every 30 batches") << kT0 + 50 << 20 << 30 << 0 << 100 << false;
        QTest::newRow("uneven batches, reopened") << kT0 + 50 << 7 << 101 << 0 << 100 << false;
        // Level 7's first window ends between the second and the third batch.
        QTest::newRow("first window ends between batches")
            << qint64(1699999650000) << 20 << 0 << 0 << 100 << false;
        // A window is no value only when none of its samples has one.
        QTest::newRow("windows beginning without values")
            << kT0 + 50 << 20 << 0 << 700 << 100 << false;
        // Samples further apart than a level's window: the window holding a batch's newest
        // sample is complete only with the next batch, which may begin windows later.
        QTest::newRow("1 s apart, 20 s batches") << kT0 + 50 << 20 << 0 << 0 << 1000 << false;
        QTest::newRow("1 s apart, one sample a batch") << kT0 + 50 << 1 << 0 << 0 << 1000 << false;
        QTest::newRow("one batch, bulk") << kT0 + 50 << 16000 << 0 << 0 << 100 << true;
        QTest::newRow("uneven batches without values, reopened, bulk")
            << kT0 + 50 << 45 << 101 << 700 << 100 << true;
    }

    void zoomLevels()
    {
        QFETCH(qint64, first);
        QFETCH(int, batchSize);
        QFETCH(int, reopenEvery);
        QFETCH(int, unreadable);
        QFETCH(int, spacing);
        QFETCH(bool, bulk);
        const int count = 16000;
        const int loud = 9000; // the one sample that violates a threshold
        auto m400 = [&](int i) { return i == loud ? 0.0 : -20.0 - (i % 997) / 10.0; };
        auto hasValues = [&](int i) { return i == loud || i % 1000 >= unreadable; };
        std::unique_ptr<AAgDataModel> model = openStore();
        model->setBulkWrites(bulk);
        for (int i = 0, batches = 0; i < count; i += batchSize, ++batches) {
            if (reopenEvery && batches % reopenEvery == 0) {
                model->close();
                model = openStore();
                model->setBulkWrites(bulk);
            }
            std::vector<AgData> samples;
            for (int k = i; k < std::min(count, i + batchSize); ++k) {
                samples.push_back(sample(first + k * spacing, 1, 0, m400(k)));
                AgData &s = samples.back();
                if (unreadable > 0) {
                    // No other value violates: the first sample with values is kept.
                    s.setTP(AgData::noValue());
                    s.setS(AgData::noValue());
                    s.setI(AgData::noValue());
                }
                if (!hasValues(k))
                    for (auto set : {&AgData::setTP, &AgData::setTPMax, &AgData::setM100ms,
                                     &AgData::setM400ms, &AgData::setMMax, &AgData::setS,
                                     &AgData::setSMax, &AgData::setI, &AgData::setLRA})
                        (s.*set)(AgData::noValue());
            }
            const int code = insert(*model, samples);
            QVERIFY(code == (i > 0 && spacing > 500 ? kGap : 0));
        }
        const qint64 last = first + qint64(count - 1) * spacing;
        const qint64 widths[] = {117,   585,   1171,  2343,  3515,  4687,   5859,  7031,
                                 14062, 21093, 42187, 63281, 84375, 168750, 506250};
        DbFile file(ownFile());
        for (int level = 1; level < 16; ++level) {
            const qint64 w = widths[level - 1];
            QCOMPARE(qint64(zoomLevelToSampleIntervalMs(level)), w);
            QStringList expected;
            // Only complete windows that hold samples, from the one holding the first sample.
            for (qint64 t = first / w * w; t + w <= last; t += w) {
                const int firstInWindow =
                    int(std::max<qint64>(0, (t - first + spacing - 1) / spacing));
                const int lastInWindow = int((t + w - 1 - first) / spacing);
                if (firstInWindow > lastInWindow)
                    continue;
                int kept = firstInWindow;
                while (!hasValues(kept) && kept < lastInWindow)
                    ++kept;
                kept = hasValues(kept) ? kept : firstInWindow;
                const qint64 loudAt = first + qint64(loud) * spacing;
                const bool hasLoud = loudAt >= t && loudAt < t + w;
                expected << QStringLiteral("%1 %2").arg(t).arg(
                    QString::number(hasLoud           ? 0.0
                                    : hasValues(kept) ? m400(kept)
                                                      : AgData::kNoValueStored,
                                    'f', 1));
            }
            const QStringList rows = file.column(
                QStringLiteral("SELECT timestamp || ' ' || printf('%.1f', M400ms) FROM %1 ORDER BY "
                               "timestamp")
                    .arg(agDataZoomLevelTableName(level)));
            QCOMPARE(rows.size(), expected.size());
            QCOMPARE(rows, expected);
            int err = -7;
            QCOMPARE(model->getMaxTimestamp(level, &err),
                     expected.last().section(QLatin1Char(' '), 0, 0).toLongLong());
        }
    }

    void zoomWindowsAfterGap()
    {
        const qint64 t0 = (kT0 / 117 + 1) * 117;
        auto run = [](qint64 from, int count, double m400) {
            std::vector<AgData> samples;
            for (int i = 0; i < count; ++i)
                samples.push_back(sample(from + i * 100, 1, 0, m400 - i));
            return samples;
        };
        auto query = [](const QString &sql, qint64 a, qint64 b = 0) {
            return DbFile(ownFile()).value(sql.arg(a).arg(b));
        };
        std::unique_ptr<AAgDataModel> model = openStore();
        QCOMPARE(insert(*model, run(t0, 11, -20.0)), 0);
        QCOMPARE(levelTimestamps(ownFile(), 1).last(), t0 + 7 * 117 - kT0);
        // Four seconds later: the window after the level's last row, holding t0 + 1000, is
        // built; the empty ones between are not looked at.
        QCOMPARE(insert(*model, run(t0 + 5000, 6, -40.0)), kGap);
        QCOMPARE(query(QStringLiteral("SELECT M400ms FROM AgDataZoomLevel1 WHERE timestamp = %1"),
                       t0 + 8 * 117),
                 QStringLiteral("-30.0"));
        QCOMPARE(query(QStringLiteral("SELECT count(*) FROM AgDataZoomLevel1 WHERE timestamp > %1 "
                                      "AND timestamp < %2"),
                       t0 + 8 * 117, t0 + 5000 - 117),
                 QStringLiteral("0"));
        model->close();

        // A level row ahead of the samples: windows at or before it are never written again.
        const qint64 ahead = t0 + 60000;
        sqlite3_exec(DbFile(ownFile()).handle(),
                     qPrintable(QStringLiteral("INSERT INTO AgDataZoomLevel3 (timestamp, M400ms) "
                                               "VALUES (%1, 99)")
                                    .arg(ahead)),
                     nullptr, nullptr, nullptr);
        const QList<qint64> before = levelTimestamps(ownFile(), 3);
        model = openStore();
        QCOMPARE(insert(*model, run(t0 + 6000, 100, -20.0)), 0);
        QCOMPARE(levelTimestamps(ownFile(), 3), before);
        QCOMPARE(query(QStringLiteral("SELECT M400ms FROM AgDataZoomLevel3 WHERE timestamp = %1"),
                       ahead),
                 QStringLiteral("99.0"));
        QVERIFY(levelTimestamps(ownFile(), 2).last() > t0 + 6000 - kT0);
    }

    void readsAndOddValues()
    {
        std::unique_ptr<AAgDataModel> model = openStore();
        std::vector<AgData> samples = {sample(kT0), sample(kT0 + 100), sample(kT0 + 200)};
        samples[1].setM400ms(std::nan(""));
        samples[1].setTP(std::nan(""));
        AgDataVector batch(QStringLiteral("Main"), 0);
        for (const AgData &s : samples)
            batch.append(s);
        // The file keeps a NaN as the no-value marker, read back as a NaN; the caller learns
        // what the meter sent, which violates nothing.
        const AgStoreResult result = model->insertData(&batch, true);
        QVERIFY(result.isStored());
        QVERIFY(std::isnan(result.getNewSamples().at(1).getM400ms()));
        DbFile file(ownFile());
        QCOMPARE(file.value(QStringLiteral("SELECT typeof(M400ms) || ' ' || M400ms || ' ' || TP "
                                           "FROM AgDataZoomLevel0 WHERE timestamp = %1")
                                .arg(kT0 + 100)),
                 QStringLiteral("real -999.0 -999.0"));
        int err = -7;
        QCOMPARE(model->getLastData(0, &err).getM400ms(), -23.0);

        struct Range
        {
            int level;
            qint64 from, to;
            int size; // -1: no vector
        };
        const qint64 min = std::numeric_limits<qint64>::min();
        const qint64 max = std::numeric_limits<qint64>::max();
        for (const Range &r : {Range{0, kT0, kT0 + 100, 2}, Range{0, kT0 + 200, kT0, 0},
                               Range{0, min, max, 3}, Range{0, max, min, 0}, Range{5, min, max, 0},
                               Range{16, kT0, kT0, -1}, Range{-1, kT0, kT0, -1}}) {
            err = -7;
            std::unique_ptr<AgDataVector> rows(model->getData(r.level, r.from, r.to, &err));
            QCOMPARE(err, r.size < 0 ? -1 : 0);
            QCOMPARE(rows ? rows->size() : -1, r.size);
        }
        std::unique_ptr<AgDataVector> rows(model->getData(0, kT0, kT0 + 200, &err));
        QVERIFY(std::isnan(rows->at(1).getM400ms()));
        QCOMPARE(rows->at(2).getSourceName(), QStringLiteral("Main"));
        QCOMPARE(model->getMinTimestamp(7, &err), qint64(0));
        QCOMPARE(model->getMinTimestamp(0, &err), kT0);

        QTemporaryDir dir;
        std::unique_ptr<AAgDataModel> exporter =
            openStore(true, dir.filePath(QStringLiteral("export.db")));
        QVERIFY(!exporter->getData(3, min, max, &err));
        QCOMPARE(err, -1);
    }

    void configAndEventRows()
    {
        std::unique_ptr<AAgDataModel> model = openStore();
        int err = -7;
        const QString xml = QStringLiteral("<SystemConfig name=\"Studio ü\"/>");
        for (const QString &text : {QStringLiteral("<old/>"), xml}) {
            model->saveConfig(
                AgDbConfig(0, QStringLiteral("Studio 1"), QStringLiteral("Main"), text), &err);
            QCOMPARE(err, 0);
        }
        QCOMPARE(model->getLatestConfig(&err).getRawXml(), xml);
        QCOMPARE(DbFile(ownFile()).value(QStringLiteral("SELECT count(*) FROM config")),
                 QStringLiteral("1"));

        model->insertEvents(
            {AgEvent(7, kT0 + 10, kT0, 3, 1, 0), AgEvent(0, kT0 + 20, kT0, 3, 2, 9)}, &err);
        QCOMPARE(err, 0);
        QCOMPARE(model->getEvents(kT0 + 15, kT0 + 30, &err).size(), size_t(1));
        QCOMPARE(DbFile(ownFile()).value(QStringLiteral("SELECT group_concat(timecode || ',' || "
                                                        "Flags, ';') FROM events")),
                 QStringLiteral("7,0;0,9"));
    }

    void foreignFiles_data()
    {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<bool>("usable");
        QTest::addColumn<QString>("message");
        QTest::newRow("text") << "text" << false << "not a readable SQLite database";
        QTest::newRow("meter database")
            << "CREATE TABLE Loudness (timestamp INTEGER, TP FLOAT); CREATE TABLE config (name "
               "TEXT, config TEXT); INSERT INTO config VALUES ('a', 'b');"
            << false << "not an audiogroup database (no table AgDataZoomLevel0)";
        QTest::newRow("foreign columns")
            << "CREATE TABLE AgDataZoomLevel0 (timestamp INTEGER, value FLOAT);" << false
            << "table AgDataZoomLevel0 has the columns timestamp, value";
        QTest::newRow("foreign events table")
            << levelTable(0) + QStringLiteral("; CREATE TABLE events (id INTEGER);") << false
            << "table events has the columns id";
        // An empty file is a new database.
        QTest::newRow("empty file") << QString() << true << QString();
        QTest::newRow("older file without levels") << levelTable(0) << true << QString();
    }

    void foreignFiles()
    {
        QFETCH(QString, setup);
        QFETCH(bool, usable);
        QFETCH(QString, message);
        const QString path = ownFile();
        if (setup == "text") {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(QByteArray("Not a database at all.\n").repeated(300));
        } else if (setup.isEmpty()) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
        } else {
            DbFile file(path);
            QCOMPARE(sqlite3_exec(file.handle(), qPrintable(setup), nullptr, nullptr, nullptr),
                     SQLITE_OK);
        }
        const QByteArray hash = fileHash(path);
        const int logged = QString::fromUtf8(KivTest::readLog())
                               .count(QStringLiteral("SQLiteAgDataModel[Studio 1][Main]"));

        std::unique_ptr<AAgDataModel> model = openStore();
        int err = -7;
        for (int attempt = 0; attempt < 3; ++attempt) {
            QCOMPARE(model->getMaxTimestamp(0, &err),
                     usable ? (attempt ? kT0 + attempt - 1 : 0) : qint64(-1));
            QCOMPARE(err, usable ? 0 : -1);
            QCOMPARE(insert(*model, {sample(kT0 + attempt)}), usable ? 0 : -1);
        }
        model.reset();
        const QString log = QString::fromUtf8(KivTest::readLog());
        if (usable) {
            QCOMPARE(levelTimestamps(path, 0), (QList<qint64>{0, 1, 2}));
            QCOMPARE(DbFile(path).value(QStringLiteral(
                         "SELECT count(*) || ' ' || sum(name = 'Version') FROM sqlite_master")),
                     QStringLiteral("20 1"));
            return;
        }
        QCOMPARE(fileHash(path), hash);
        QVERIFY(!QFile::exists(path + QStringLiteral("-wal")));
        // Logged once with the store's name, not at every retry.
        QCOMPARE(log.count(QStringLiteral("SQLiteAgDataModel[Studio 1][Main]")), logged + 1);
        QVERIFY2(log.contains(message), qPrintable(log.right(400)));
    }

    // A read that meets a damaged page fails; it never passes for the whole range with the
    // rows before the damage.
    void damagedPageFailsReads_data()
    {
        QTest::addColumn<bool>("damageEvents");
        QTest::newRow("level-0 rows") << false;
        QTest::newRow("event rows") << true;
    }

    void damagedPageFailsReads()
    {
        QFETCH(bool, damageEvents);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("damaged.db"));
        constexpr int kRows = 20000;
        {
            std::unique_ptr<AAgDataModel> model = openStore(true, path);
            int err = -7;
            if (damageEvents) {
                std::vector<AgEvent> events;
                for (int i = 0; i < kRows; ++i)
                    events.emplace_back(0, kT0 + i * 100, kT0, 1, 1, 0);
                model->insertEvents(events, &err);
            } else {
                AgDataVector batch(QStringLiteral("Main"), 0);
                for (int i = 0; i < kRows; ++i)
                    batch.append(sample(kT0 + i * 100));
                model->insertData(&batch, false, &err);
            }
            QCOMPARE(err, 0);
            model->close();
        }
        const qint64 pages = DbFile(path).value(QStringLiteral("PRAGMA page_count")).toLongLong();
        const qint64 pageSize = DbFile(path).value(QStringLiteral("PRAGMA page_size")).toLongLong();
        QVERIFY(pages > 40);
        {
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.seek((pages / 2) * pageSize));
            QCOMPARE(file.write(QByteArray(int(pageSize), '\xff')), pageSize);
        }

        std::unique_ptr<AAgDataModel> model = openStore(true, path);
        int err = -7;
        const std::vector<AgEvent> events = model->getAllEvents(&err);
        QCOMPARE(err, damageEvents ? -1 : 0);
        QVERIFY(events.empty());
        // Each call retries a failed open from scratch, keeping no statement of the last one.
        const sqlite3_int64 used = sqlite3_memory_used();
        for (int retry = 0; retry < 5; ++retry)
            model->getAllEvents(&err);
        QVERIFY2(sqlite3_memory_used() < used + 16384,
                 qPrintable(QString::number(sqlite3_memory_used() - used)));
        err = -7;
        std::unique_ptr<AgDataVector> rows(model->getData(0, kT0, kT0 + kRows * 100, &err));
        QCOMPARE(err, -1);
        QVERIFY(!rows);
        QVERIFY(KivTest::readLog().contains("failed: database disk image is malformed"));
    }

    void killedWriterLosesNothing()
    {
        QElapsedTimer clock;
        clock.start();
        int rounds = 0;
        int acknowledged = 0;
        int killedWhileWriting = 0;
        QRandomGenerator random(20240611);
        while (rounds < 30 && clock.elapsed() < 12000) {
            ++rounds;
            QProcess child;
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QStringLiteral("KIV_CHILD_SCENARIO"), QStringLiteral("writer"));
            child.setProcessEnvironment(env);
            child.start(QCoreApplication::applicationFilePath(), QStringList());
            QVERIFY(child.waitForStarted(10000));
            // Killed only once it has stored a batch, so that a slow machine still kills a
            // writer at work rather than one still starting.
            QByteArray out;
            QElapsedTimer waited;
            waited.start();
            while (!out.contains('\n') && waited.elapsed() < 60000 &&
                   child.state() == QProcess::Running)
                if (child.waitForReadyRead(1000))
                    out += child.readAllStandardOutput();
            QVERIFY2(!child.waitForFinished(random.bounded(50, 500)),
                     child.readAllStandardError().constData());
            child.kill();
            QVERIFY(child.waitForFinished(10000));
            out += child.readAllStandardOutput();

            DbFile file(ownFile());
            QCOMPARE(file.value(QStringLiteral("PRAGMA integrity_check")), QStringLiteral("ok"));
            const int before = acknowledged;
            for (const QByteArray &line : out.split('\n')) {
                const QList<QByteArray> span = line.split(' ');
                if (span.size() != 2)
                    continue;
                ++acknowledged;
                QCOMPARE(file.value(
                             QStringLiteral("SELECT count(*) FROM AgDataZoomLevel0 WHERE "
                                            "timestamp BETWEEN %1 AND %2")
                                 .arg(QString::fromLatin1(span[0]), QString::fromLatin1(span[1]))),
                         QStringLiteral("20"));
            }
            if (acknowledged > before)
                ++killedWhileWriting;
        }
        qInfo("%d kills, %d while writing, %d acknowledged batches", rounds, killedWhileWriting,
              acknowledged);
        QVERIFY(killedWhileWriting * 3 >= rounds);
        // The store carries on from what survived.
        std::unique_ptr<AAgDataModel> model = openStore();
        int err = -7;
        const qint64 newest = model->getMaxTimestamp(0, &err);
        QCOMPARE(err, 0);
        QVERIFY(insert(*model, {sample(newest + 100)}) == 0);
    }
};

KIV_TEST_MAIN_WITH(TestSqliteStore, QCoreApplication, childMain)
#include "tst_sqlitestore.moc"
