#include "MemoryAgDataModel.h"

#include <AAgDataModel.h>
#include <AgCache.h>
#include <DbVersion.h>
#include <KivTest.h>
#include <KivUtils.h>
#include <SQLiteDatabaseManager.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <algorithm>

namespace {

constexpr qint64 kT0 = 1700000000000;

AgData row(qint64 timestamp, qint64 events = 0, double m400 = -20.0)
{
    AgData sample(QStringLiteral("Main"));
    sample.setEmpty(false);
    sample.setTimestamp(timestamp);
    sample.setEvents(events);
    sample.setM400ms(m400);
    return sample;
}

// timestamp, program start, program id, event word.
AgEvent eventRow(qint64 timestamp, qint64 start, qint64 programId, qint64 events)
{
    return AgEvent(0, timestamp, start, programId, events, 0);
}

std::vector<AgData> rowsFrom(qint64 from, qint64 to, qint64 step)
{
    std::vector<AgData> rows;
    for (qint64 t = from; t <= to; t += step)
        rows.push_back(row(t));
    return rows;
}

QString describe(const std::vector<Program> &programs)
{
    QStringList parts;
    for (const Program &p : programs)
        parts << QStringLiteral("%1:%2-%3/%4,%5")
                     .arg(p.getProgramId())
                     .arg(p.getStart() - kT0)
                     .arg(p.getEnd() - kT0)
                     .arg(p.getStartWord())
                     .arg(p.getEndWord());
    return parts.join(QLatin1Char(' '));
}

} // namespace

class TestStore : public QObject
{
    Q_OBJECT
private slots:
    void cacheTimestampsAndRecentRows()
    {
        AgCache cache;
        cache.init({}, {}, {});
        QCOMPARE(cache.getMaxTimestamp(0), qint64(0));
        QCOMPARE(cache.getMinTimestamp(0), qint64(0));
        QVERIFY(cache.getLastData(0).isEmpty());
        QCOMPARE(cache.getProgram(0, 0).getProgramId(), qint64(-1));
        QVERIFY(cache.getPrograms().empty());

        // Level 0 keeps 30 s + 2 s of recent rows.
        cache.addData(0, rowsFrom(kT0, kT0 + 20000, 100));
        QCOMPARE(cache.getMinTimestamp(0), kT0);
        cache.addData(0, rowsFrom(kT0 + 20100, kT0 + 40000, 100));
        QCOMPARE(cache.getMinTimestamp(0), kT0);
        QCOMPARE(cache.getMaxTimestamp(0), kT0 + 40000);
        std::vector<AgData> recent = cache.getRecentData(0);
        QCOMPARE(recent.front().getTimestamp(), kT0 + 8000);
        QCOMPARE(recent.back().getTimestamp(), kT0 + 40000);
        QCOMPARE(recent.size(), size_t(321));

        // Level 8 (1 h) keeps an hour and 2 s.
        cache.addData(8, rowsFrom(kT0, kT0 + 4000000, 7031 * 10));
        recent = cache.getRecentData(8);
        QCOMPARE(recent.size(), size_t(52));
        QVERIFY(recent.front().getTimestamp() >= cache.getMaxTimestamp(8) - 3602000);

        // A row written again under its timestamp replaces the cached one, also within one
        // batch.
        cache.addData(0, {row(kT0 + 40000, 0, -7.0), row(kT0 + 40000, 0, -5.0),
                          row(kT0 + 39900, 0, -6.0)});
        recent = cache.getRecentData(0);
        QCOMPARE(recent.size(), size_t(321));
        QCOMPARE(recent.back().getM400ms(), -5.0);
        QCOMPARE(recent[recent.size() - 2].getM400ms(), -6.0);
        QCOMPARE(cache.getLastData(0).getM400ms(), -5.0);
        // A row new to the cache but older than its newest takes its place in time order.
        cache.addData(0, {row(kT0 + 39950, 0, -4.0)});
        recent = cache.getRecentData(0);
        QCOMPARE(recent.size(), size_t(322));
        QCOMPARE(recent[recent.size() - 2].getM400ms(), -4.0);
        QVERIFY(std::is_sorted(recent.begin(), recent.end(), [](const AgData &a, const AgData &b) {
            return a.getTimestamp() < b.getTimestamp();
        }));

        // A backup moves the oldest timestamps.
        cache.removeProgram(Program(1, 3, kT0, kT0 + 1000), {{0, kT0 + 5000}});
        QCOMPARE(cache.getMinTimestamp(0), kT0 + 5000);
    }

    void cachePrograms()
    {
        AgCache cache;
        cache.init({}, {}, {{0, {row(kT0 + 9000, 4)}}});
        cache.addEvents(
            {eventRow(kT0 + 1000, kT0 + 1000, 5, 1), eventRow(kT0 + 2000, kT0 + 1000, 5, 2),
             eventRow(kT0 + 3000, kT0 + 3000, 6, 1), eventRow(kT0 + 4000, kT0 + 3000, 6, 8),
             eventRow(kT0 + 5000, kT0 + 5000, 6, 1), eventRow(kT0 + 6000, kT0 + 6000, 7, 0)});

        const Program current = cache.getProgram(0, 0);
        QCOMPARE(current.getType(), 0);
        QCOMPARE(describe({current}), QStringLiteral("7:6000-9000/0,4"));
        // Same id, new start: two programs.
        QCOMPARE(describe(cache.getPrograms()),
                 QStringLiteral("5:1000-2000/1,2 6:3000-4000/1,8 6:5000-5000/1,1 7:6000-9000/0,4"));

        QCOMPARE(describe({cache.getProgram(1, kT0 + 1500)}), QStringLiteral("5:1000-2000/0,0"));
        QCOMPARE(describe({cache.getProgram(1, kT0 + 3000)}), QStringLiteral("6:5000-5000/0,0"));
        QCOMPARE(describe({cache.getProgram(1, kT0 + 5500)}), QStringLiteral("7:6000-9000/0,0"));
        const Program after = cache.getProgram(1, kT0 + 9500);
        QCOMPARE(after.getType(), 1);
        QCOMPARE(after.getProgramId(), qint64(7));
        QVERIFY(!cache.getProgram(3, kT0).isValid());

        // Event ranges stop at the first later event.
        QCOMPARE(cache.getEvents(kT0 + 2000, kT0 + 4000).size(), size_t(3));
        cache.addEvents({eventRow(kT0 + 500, kT0 + 500, 4, 1)});
        QCOMPARE(cache.getEvents(kT0, kT0 + 1500).size(), size_t(1));
        QCOMPARE(cache.getAllEvents().size(), size_t(7));

        // A row written again replaces its cached copy.
        cache.addEvents({eventRow(kT0 + 4000, kT0 + 3000, 6, 2)});
        QCOMPARE(cache.getAllEvents().size(), size_t(7));
        QCOMPARE(describe({cache.getPrograms()[1]}), QStringLiteral("6:3000-4000/1,2"));

        // A backed-up program leaves the list.
        cache.removeProgram(Program(1, 6, kT0 + 3000, kT0 + 4000), {});
        QCOMPARE(cache.getAllEvents().size(), size_t(5));
        QCOMPARE(cache.getPrograms().size(), size_t(4));
    }

    void versions_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<uint>("major");
        QTest::addColumn<uint>("minor");
        QTest::newRow("1.1") << "1.1" << 1u << 1u;
        QTest::newRow("1.10") << "1.10" << 1u << 10u;
        QTest::newRow("empty") << "" << 1u << 0u;
        QTest::newRow("one number") << "2" << 1u << 0u;
        QTest::newRow("not a number") << "1.x" << 1u << 0u;
        QTest::newRow("three parts") << "1.0.3" << 1u << 0u;
        QTest::newRow("negative") << "-1.2" << 1u << 0u;
    }

    void versions()
    {
        QFETCH(QString, text);
        QFETCH(uint, major);
        QFETCH(uint, minor);
        const DbVersion version(text);
        QCOMPARE(version.getMajor(), major);
        QCOMPARE(version.getMinor(), minor);
    }

    void versionOrder()
    {
        QVERIFY(DbVersion(QStringLiteral("1.9")) < DbVersion(QStringLiteral("1.10")));
        QVERIFY(!(DbVersion(QStringLiteral("1.10")) < DbVersion(QStringLiteral("1.9"))));
        QVERIFY(DbVersion(QStringLiteral("1.10")) < DbVersion(QStringLiteral("2.0")));
        QVERIFY(!(DbVersion() < DbVersion(1, 0)));
    }

    void databaseFiles()
    {
        InstrumentConfig instrument(QStringLiteral("Studio 1"));
        AgConfig ag(QStringLiteral("Main/Left"));
        SQLiteDatabaseManager manager;
        manager.init(instrument, ag, false, QStringLiteral("/ignored.db"));
        const QString expected = getDataFolderPath() + QDir::separator() +
                                 QStringLiteral("I__Studio1A__Main_Left_kivDb.db");
        QCOMPARE(manager.getFileName(), expected);
        QVERIFY(QDir().mkpath(getDataFolderPath()));
        QCOMPARE(manager.open(), 0);
        QVERIFY(manager.getHandle());
        QCOMPARE(manager.open(), 0);
        QVERIFY(QFileInfo::exists(expected));
        QCOMPARE(manager.close(), 0);
        QVERIFY(!manager.getHandle());

        int err = -7;
        sqlite3 *backup = manager.openBackupDb(Program(1, 42, 1000, 2000), &err);
        QCOMPARE(err, 0);
        QVERIFY(backup);
        sqlite3_close(backup);
        QVERIFY(QFileInfo::exists(getLogBackupFolderPath() + QDir::separator() +
                                  QStringLiteral("I__Studio1A__Main_Left_bckp_42_1000__kivDb.db")));

        // An export target is opened exactly where it was asked, whatever the names.
        QTemporaryDir dir;
        const QString target = dir.filePath(QStringLiteral("export.db"));
        SQLiteDatabaseManager exporter;
        exporter.init(instrument, ag, true, target);
        QCOMPARE(exporter.getFileName(), target);
        QCOMPARE(exporter.open(), 0);
        QVERIFY(QFileInfo::exists(target));

        SQLiteDatabaseManager unreachable;
        unreachable.init(instrument, ag, true, dir.filePath(QStringLiteral("missing/x.db")));
        QVERIFY(unreachable.open() != 0);
        QVERIFY(!unreachable.getHandle());
    }

    void lazyOpenFillsCacheOnce()
    {
        auto *store = new MemoryAgDataModel;
        for (const AgData &sample : rowsFrom(kT0, kT0 + 60000, 100))
            store->addRow(sample);
        store->events = {eventRow(kT0, kT0, 3, 1)};
        AAgDataModel model(store);
        int err = -7;
        QCOMPARE(model.getMaxTimestamp(0, &err), kT0 + 60000);
        QCOMPARE(err, 0);
        QCOMPARE(model.getMinTimestamp(0, &err), kT0);
        QCOMPARE(model.getMaxTimestamp(5, &err), qint64(0));
        QCOMPARE(model.getProgram(0, 0, &err).getProgramId(), qint64(3));
        QCOMPARE(model.getPrograms(&err).size(), size_t(1));
        QCOMPARE(store->openCalls, 1);
        QCOMPARE(store->recentLevelsRead.size(), size_t(16));

        auto *exportStore = new MemoryAgDataModel(true);
        AAgDataModel exportModel(exportStore);
        QCOMPARE(exportModel.getMaxTimestamp(0, &err), qint64(0));
        QCOMPARE(exportStore->recentLevelsRead, std::vector<int>{0});
    }

    void failuresAreReportedNotThrown()
    {
        auto *store = new MemoryAgDataModel;
        store->openResult = 14;
        store->setReopenPacingMs(0); // every call tries again
        AAgDataModel model(store);
        int err = 0;
        QCOMPARE(model.getMaxTimestamp(0, &err), qint64(-1));
        QCOMPARE(err, -1);
        err = 0;
        QVERIFY(!model.getData(0, 0, 1, &err));
        QCOMPARE(err, -1);
        err = 0;
        AgDataVector batch;
        model.insertData(&batch, true, &err);
        QCOMPARE(err, -1);
        QCOMPARE(model.getLatestConfig(&err).getTimestamp(), qint64(-1));
        QCOMPARE(store->openCalls, 4);

        // Once the file opens, the store works.
        store->openResult = 0;
        batch.append(row(kT0));
        model.insertData(&batch, true, &err);
        QCOMPARE(err, 0);
        QCOMPARE(model.getMaxTimestamp(0, &err), kT0);

        store->throwOnRead = true;
        err = 0;
        QVERIFY(!model.getData(0, 0, kT0, &err));
        QCOMPARE(err, -1);
        QVERIFY(!model.getData(0, 0, kT0, nullptr));

        // Without a store every call answers -1.
        AAgDataModel empty;
        QCOMPARE(empty.init(3, InstrumentConfig(), AgConfig(), false, QString()), -1);
        err = 0;
        QCOMPARE(empty.getMinTimestamp(0, &err), qint64(-1));
        QCOMPARE(err, -1);
        err = 0;
        empty.saveConfig(AgDbConfig(), &err);
        QCOMPARE(err, -1);
        err = 0;
        QVERIFY(empty.getEvents(0, 1, &err).empty());
        QCOMPARE(err, -1);
        empty.close();

        // A front that has a store refuses a second one.
        QCOMPARE(model.init(0, InstrumentConfig(), AgConfig(), false, QString()), -1);
        QCOMPARE(model.getMaxTimestamp(0, &err), kT0);
    }
};

KIV_TEST_MAIN(TestStore, QCoreApplication)
#include "tst_store.moc"
