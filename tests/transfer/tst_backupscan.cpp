// The backup records, their list and the scan of "log_backup": fixtures are backups that the
// store itself wrote, moved about and spoiled as a user or a crash would.
#include <BackupFixtures.h>
#include <BackupModel.h>
#include <KivDbBackupFileReader.h>
#include <KivTest.h>
#include <KivUtils.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QMutex>
#include <QSqlDatabase>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <functional>

using Spoil = std::function<QString(const QString &)>;
Q_DECLARE_METATYPE(Spoil)

namespace {

using namespace BackupFixtures;

BackupItem record(const QString &name, const QString &filePath, qint64 programId = 1)
{
    BackupItem item;
    item.setName(name);
    item.setFilePath(filePath);
    item.setProgramId(programId);
    return item;
}

QStringList names(const QList<BackupItem> &items)
{
    QStringList out;
    for (const BackupItem &item : items)
        out << item.getName() + '@' + item.getFilePath();
    return out;
}

bool exec(const QString &path, const char *sql)
{
    sqlite3 *db = nullptr;
    const bool ok = sqlite3_open(path.toUtf8().constData(), &db) == SQLITE_OK &&
                    sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ok;
}

QString inBackupFolder(const QString &relative)
{
    return getLogBackupFolderPath() + '/' + relative;
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// A row of the scan's result: what the window shows and where the file is.
QString describe(const BackupItem &item)
{
    return QStringLiteral("%1|%2|%3|%4|%5|%6")
        .arg(item.getInstrumentConfig().getName(), item.getAgConfig().getName())
        .arg(item.getProgramId())
        .arg(item.getStartTime())
        .arg(item.getEndTime())
        .arg(QDir(getLogBackupFolderPath()).relativeFilePath(item.getFilePath()));
}

struct Scan
{
    BackupModel model;
    QMutex mutex;
    KivDbBackupFileReader reader{&model, &mutex};

    // As the controller runs it: the walk, then one file a pass.
    void run()
    {
        reader.reset();
        walkDirectory(getLogBackupFolderPath(), &reader);
        while (reader.hasPendingFiles())
            reader.readNextFile();
    }
};

} // namespace

class TestBackupScan : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        QDir(getLogBackupFolderPath()).removeRecursively();
    }

    void listKeepsNameOrderAndFiles()
    {
        BackupModel model;
        model.insertSorted(record("b", "/1"));
        model.insertSorted(record("a", "/2"));
        model.insertSorted(record("c", "/3"));
        model.insertSorted(record("b", "/4")); // same name: after the first
        QCOMPARE(names(model.getItems()), QStringList({"a@/2", "b@/1", "b@/4", "c@/3"}));

        BackupItem out = record("x", "/x");
        QCOMPARE(model.getItem(4, out), -1);
        QCOMPARE(model.getItem(-1, out), -1);
        QCOMPARE(out.getName(), QStringLiteral("x"));
        QCOMPARE(model.getItem(1, out), 0);
        QCOMPARE(out.getFilePath(), QStringLiteral("/1"));

        // Other fields do not make another list; another file of a known name does.
        BackupModel same;
        same.setItems(model.getItems());
        QList<BackupItem> changed = same.getItems();
        changed[0].setEndTime(99);
        changed[0].setProgramId(7);
        same.setItems(changed);
        QVERIFY(model.hasSameItems(same));
        BackupModel moved = same;
        changed[1].setFilePath("/elsewhere");
        moved.setItems(changed);
        QVERIFY(!model.hasSameItems(moved));
        BackupModel fewer;
        fewer.setItems(model.getItems().mid(0, 3) + QList<BackupItem>{record("a", "/2")});
        QVERIFY(!model.hasSameItems(fewer));

        // A deleted file leaves the list; another file of the same name is still there and
        // stays.
        QCOMPARE(model.removeItems({record("b", "/1"), record("zz", "/none")}), 0);
        QCOMPARE(names(model.getItems()), QStringList({"a@/2", "b@/4", "c@/3"}));
    }

    void recordsCopyEveryField()
    {
        BackupItem a = record("n", "/p", 42);
        a.setStartTime(5);
        a.setEndTime(6);
        a.setCreationTime(QDateTime(QDate(2024, 3, 1), QTime(12, 0), Qt::OffsetFromUTC, 3600));
        a.setInstrumentConfig(InstrumentConfig("I"));
        a.setAgConfig(AgConfig("A"));
        QObject parent;
        a.setParent(&parent);
        BackupItem b(a);
        QCOMPARE(b.parent(), nullptr);
        QCOMPARE(describe(b), describe(a));
        QCOMPARE(b.getCreationTime().timeSpec(), Qt::UTC);
        QCOMPARE(b.getCreationTime().time(), QTime(11, 0));
        QCOMPARE(qHash(b), qHash(QString::number(42)));
        a.setParent(nullptr);
    }

    void scanListsTheBackupsOfTheFolderTree()
    {
        const QStringList studio = writeBackups({"Studio 1", "Main"}, 2, 100, kT0);
        const QStringList radio = writeBackups({"Radio", "News/Talk", false}, 1, 7, kT0 + 600000);
        QCOMPARE(studio.size(), 2);
        QCOMPARE(radio.size(), 1);
        QVERIFY(QFile::exists(studio[0]));
        // A user tidied one away into a sub-folder; the key still names the store's path.
        QVERIFY(QDir().mkpath(inBackupFolder("2023/old")));
        QVERIFY(QFile::rename(studio[1], inBackupFolder("2023/old/kept.db")));
        // A copy of a backup under another name: both files are listed.
        QVERIFY(QFile::copy(studio[0], inBackupFolder("copy.db")));
        // Neither backups nor files the scan may touch.
        QVERIFY(writeFile(inBackupFolder("notes.txt"), "not a database"));
        QVERIFY(writeFile(inBackupFolder("2023/empty.db"), ""));
        QTemporaryDir outside;
        QVERIFY(QFile::copy(studio[0], outside.filePath("x.db")));
        QVERIFY(QFile::link(outside.filePath("x.db"), inBackupFolder("link.db")));
        QVERIFY(QFile::link(outside.path(), inBackupFolder("linked folder")));

        Scan scan;
        scan.run();
        const QString radioFile = QFileInfo(radio[0]).fileName();
        QStringList rows;
        for (const BackupItem &item : scan.model.getItems())
            rows << describe(item);
        const qint64 minute = 60000;
        // In name order: the key of the backup without a configuration names the device
        // "---", whose characters the file name keeps as "_", after "S".
        const QString studioFile = QFileInfo(studio[0]).fileName();
        QCOMPARE(rows, QStringList({
                           QStringLiteral("Studio 1|Main|100|%1|%2|%3")
                               .arg(kT0)
                               .arg(kT0 + 59000)
                               .arg(studioFile),
                           QStringLiteral("Studio 1|Main|100|%1|%2|copy.db")
                               .arg(kT0)
                               .arg(kT0 + 59000),
                           QStringLiteral("Studio 1|Main|101|%1|%2|2023/old/kept.db")
                               .arg(kT0 + minute)
                               .arg(kT0 + minute + 59000),
                           QStringLiteral("---|%1|7|%2|%3|%1")
                               .arg(radioFile)
                               .arg(kT0 + 600000)
                               .arg(kT0 + 600000 + 59000),
                       }));
        const QList<BackupItem> items = scan.model.getItems();
        QCOMPARE(items[3].getName(), getBackupDbFilePath("---", radioFile, 7, kT0 + 600000));
        QCOMPARE(items[2].getName(), studio[1]);
        QCOMPARE(items[2].getCreationTime().timeSpec(), Qt::UTC);
        QVERIFY(qAbs(items[2].getCreationTime().secsTo(QDateTime::currentDateTimeUtc())) < 600);
    }

    // The events table's newest row gives the program and the end; what the scan answers
    // for each kind of file.
    void readBackupFile_data()
    {
        QTest::addColumn<Spoil>("spoil");
        QTest::addColumn<int>("expected");
        auto sql = [](const char *statement) {
            return Spoil([statement](const QString &backup) {
                return exec(backup, statement) ? backup : QString();
            });
        };
        QTest::newRow("backup") << Spoil([](const QString &b) { return b; }) << 0;
        QTest::newRow("newest event gives the end")
            << sql("INSERT INTO events (timestamp, startPgmTimestamp, programId) "
                   "VALUES (1700000099000, 1700000000000, 100)")
            << 0;
        QTest::newRow("not a database") << Spoil([](const QString &) {
            const QString path = inBackupFolder("junk.db");
            return writeFile(path, QByteArray(4096, '\x5a')) ? path : QString();
        }) << int(KivDbBackupFileReader::NoSampleTable);
        QTest::newRow("foreign database") << Spoil([](const QString &) {
            const QString path = inBackupFolder("other.db");
            return exec(path, "CREATE TABLE t (a)") ? path : QString();
        }) << int(KivDbBackupFileReader::NoSampleTable);
        QTest::newRow("no events table") << sql("DROP TABLE events")
                                         << int(KivDbBackupFileReader::EventsQueryFailed);
        QTest::newRow("no event") << sql("DELETE FROM events")
                                  << int(KivDbBackupFileReader::NoEvent);
        QTest::newRow("empty config table") << sql("DELETE FROM config")
                                            << int(KivDbBackupFileReader::NoConfig);
        QTest::newRow("config of another device")
            << sql("UPDATE config SET instrumentName = 'Studio 2'")
            << int(KivDbBackupFileReader::NoSuchInstrument);
        QTest::newRow("config of another audiogroup")
            << sql("UPDATE config SET agSourceName = 'Aux'")
            << int(KivDbBackupFileReader::NoSuchAudiogroup);
        QTest::newRow("broken config document") << sql("UPDATE config SET rawXml = '<Sys'")
                                                << int(KivDbBackupFileReader::NoSuchInstrument);
        QTest::newRow("removed after the walk") << Spoil([](const QString &b) {
            return QFile::remove(b) ? b : QString();
        }) << int(KivDbBackupFileReader::CannotOpen);
        QTest::newRow("symbolic link") << Spoil([](const QString &b) {
            const QString link = inBackupFolder("link.db");
            return QFile::link(b, link) ? link : QString();
        }) << int(KivDbBackupFileReader::CannotOpen);
    }

    void readBackupFile()
    {
        QFETCH(Spoil, spoil);
        QFETCH(int, expected);
        const QStringList files = writeBackups({"Studio 1", "Main"}, 1, 100, kT0);
        QCOMPARE(files.size(), 1);
        const QString path = spoil(files[0]);
        QVERIFY(!path.isEmpty());
        const bool existed = QFile::exists(path);
        BackupItem item = record("untouched", "/untouched");
        Scan scan;
        QCOMPARE(scan.reader.readBackupFile(path, item), expected);
        QCOMPARE(QFile::exists(path), existed); // never made again
        if (expected != 0) {
            QCOMPARE(item.getName(), QStringLiteral("untouched"));
            return;
        }
        QCOMPARE(item.getProgramId(), 100);
        QCOMPARE(item.getStartTime(), kT0);
        QCOMPARE(item.getName(), files[0]);
        QVERIFY(item.getEndTime() == kT0 + 59000 || item.getEndTime() == kT0 + 99000);
        // No connection stays behind.
        QVERIFY(!QSqlDatabase::contains(path));
    }

    void rescanStartsOver()
    {
        const QStringList files = writeBackups({"Studio 1", "Main"}, 3, 100, kT0);
        Scan scan;
        walkDirectory(getLogBackupFolderPath(), &scan.reader);
        QCOMPARE(scan.reader.pendingCount(), 3);
        QCOMPARE(scan.reader.readNextFile(), 0);
        QCOMPARE(scan.model.getItemCount(), 1);
        scan.run();
        QCOMPARE(scan.reader.pendingCount(), 0);
        QCOMPARE(names(scan.model.getItems()).size(), 3);
        // Nothing pending: nothing read, nothing changed.
        QCOMPARE(scan.reader.readNextFile(), 0);
        QCOMPARE(scan.model.getItemCount(), 3);

        QDir(getLogBackupFolderPath()).removeRecursively();
        scan.run();
        QCOMPARE(scan.model.getItemCount(), 0);
    }
};

KIV_TEST_MAIN(TestBackupScan, QCoreApplication)
#include "tst_backupscan.moc"
