// The table page over real audiogroup files written by the store: rows per page, the query's
// bounds live and frozen, cell texts, date and time texts, paging, refresh rules, a missing
// file, a long file, and reading while the store writes.
#include <AAgDataModel.h>
#include <AgDataVector.h>
#include <GuiShots.h>
#include <KivTest.h>
#include <KivUtils.h>
#include <PlotSamples.h>
#include <TableView.h>
#include <TableViewVerticalScrollBar.h>

#include <QApplication>
#include <QDir>
#include <QHeaderView>
#include <QPushButton>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTableView>
#include <QWheelEvent>
#include <QtTest/qtestspontaneevent.h>

#include <sqlite3.h>

#include <atomic>
#include <memory>
#include <thread>

namespace {

// 2023-11-14 22:13:20 UTC.
constexpr qint64 kT0 = 1700000000000;
// 2023-11-15 00:00:00 UTC.
constexpr qint64 kMidnight = 1700006400000;
constexpr qint64 kHour = 3600000;

InstrumentConfig instrument(const QString &name = QStringLiteral("Studio 1"))
{
    return InstrumentConfig(name);
}

AgConfig agConfig(const QString &name, const QString &unit = QStringLiteral("LU"))
{
    AgConfig config(name);
    config.setLoudnessUnit(unit);
    return config;
}

AgData sample(qint64 t)
{
    AgData s(QStringLiteral("Main"));
    s.setEmpty(false);
    s.setTimestamp(t);
    s.setProgramId(7);
    s.setTP(-3.5);
    s.setTPMax(-1.25);
    s.setM100ms(-24.0);
    s.setM400ms(-23.0);
    s.setMMax(-20.0);
    s.setS(-22.5);
    s.setSMax(-21.0);
    s.setI(-23.1);
    s.setLRA(4.5);
    return s;
}

// An audiogroup's file in the data folder, written through the store as the logger does.
class StoreFile
{
public:
    explicit StoreFile(const QString &agName) : m_ag(agConfig(agName))
    {
        m_store.init(0, instrument(), m_ag, false, QString());
    }
    ~StoreFile() { close(); }

    QString path() const { return getAgDbFilePath(instrument().getName(), m_ag.getName()); }
    // Samples every stepMs from the first time on; false when the store refused them.
    bool writeSeries(qint64 first, int count, qint64 stepMs)
    {
        AgDataVector batch(QStringLiteral("Main"), 0);
        for (int i = 0; i < count; ++i)
            batch.append(sample(first + i * stepMs));
        return write(batch);
    }
    bool write(AgDataVector &batch) { return m_store.insertData(&batch, true).isStored(); }
    void close()
    {
        if (!m_closed)
            m_store.close();
        m_closed = true;
    }

private:
    AgConfig m_ag;
    AAgDataModel m_store;
    bool m_closed = false;
};

// A snapshot of the window: live at the newest time, or frozen with the plot centred.
TableView::Snapshot liveAt(const QString &agName, int level, qint64 oldest, qint64 newest)
{
    TableView::Snapshot s;
    s.zoomLevel = level;
    s.liveMode = true;
    s.spanMs = zoomLevelToMs(level);
    s.visibleStart = newest - s.spanMs;
    s.oldestTime = oldest;
    s.newestTime = newest;
    s.scrollPosition = newest - oldest;
    s.instrumentConfig = instrument();
    s.agConfig = agConfig(agName, QStringLiteral("LUFS"));
    return s;
}

TableView::Snapshot frozenAt(const QString &agName, int level, qint64 oldest, qint64 newest,
                             qint64 centre)
{
    TableView::Snapshot s = liveAt(agName, level, oldest, newest);
    s.liveMode = false;
    s.visibleStart = centre - s.spanMs / 2;
    s.scrollPosition = centre - oldest;
    return s;
}

struct Table
{
    qint64 now = 1000000;
    TableView view{nullptr, [this] { return now; }};

    explicit Table(int height = 602)
    {
        view.resize(1024, height);
        view.show();
    }
    QTableView *table() const { return view.findChild<QTableView *>(QStringLiteral("tableView")); }
    QSqlQueryModel *model() const { return qobject_cast<QSqlQueryModel *>(table()->model()); }
    int rows() const { return model() ? model()->rowCount() : 0; }
    qint64 time(int row) const { return model()->index(row, 0).data(Qt::EditRole).toLongLong(); }
    QString text(int row, int column) const
    {
        return model()->index(row, column).data(Qt::DisplayRole).toString();
    }
    QString query() const { return model()->query().lastQuery(); }
};

// Counts its deletions, so a test can see the table release the block it was handed.
class CountedBlock : public AgDataVector
{
public:
    explicit CountedBlock(int *deleted) : m_deleted(deleted) {}
    ~CountedBlock() override { ++*m_deleted; }

private:
    int *m_deleted;
};

// The busy flag of a full checkpoint from a connection of its own, which no reader may hold
// back; -1 when it could not run.
int checkpointBusy(const QString &path)
{
    sqlite3 *db = nullptr;
    int busy = -1;
    if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr) ==
        SQLITE_OK) {
        sqlite3_stmt *st = nullptr;
        if (sqlite3_prepare_v2(db, "PRAGMA wal_checkpoint(TRUNCATE);", -1, &st, nullptr) ==
                SQLITE_OK &&
            sqlite3_step(st) == SQLITE_ROW)
            busy = sqlite3_column_int(st, 0);
        sqlite3_finalize(st);
    }
    sqlite3_close_v2(db);
    return busy;
}

QStringList warnings;
void collectWarnings(QtMsgType type, const QMessageLogContext &, const QString &text)
{
    if (type != QtDebugMsg && type != QtInfoMsg)
        warnings.append(text);
}

} // namespace

class TestTableView : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY(createDataFolder());
        KivTest::captureLog();
    }

    // Each test writes its files afresh.
    void init()
    {
        QDir folder(getDataFolderPath());
        for (const QString &name : folder.entryList({QStringLiteral("I__*")}, QDir::Files))
            QVERIFY(folder.remove(name));
    }

    void rowsPerPage_data()
    {
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("rows");
        QTest::newRow("600 px") << 600 << 20; // the table's least height is 602
        QTest::newRow("800 px") << 800 << 28;
        QTest::newRow("1000 px") << 1000 << 36;
    }
    void rowsPerPage()
    {
        QFETCH(int, height);
        QFETCH(int, rows);
        StoreFile file(QStringLiteral("Rows"));
        QVERIFY(file.writeSeries(kT0, 100, 100));
        const qint64 newest = kT0 + 99 * 100;
        Table t(height);
        t.view.updateTable(liveAt(QStringLiteral("Rows"), 0, kT0, newest), false);
        QCOMPARE(t.view.rowsPerPage(), rows);
        QCOMPARE(t.rows(), rows);
        QVERIFY(t.query().endsWith(QStringLiteral("LIMIT %1").arg(rows)));
        QCOMPARE(t.time(0), newest);
        QCOMPARE(t.time(rows - 1), newest - (rows - 1) * 100);
    }

    void queryBounds_data()
    {
        QTest::addColumn<bool>("live");
        QTest::addColumn<int>("level");
        QTest::addColumn<qint64>("centre"); // after the oldest time (frozen)
        QTest::addColumn<qint64>("bound");  // after the oldest time
        QTest::addColumn<qint64>("top");    // the top row, after the oldest time (level 0)
        QTest::addColumn<qint64>("scrollValue");

        // 600 samples 100 ms apart; 20 rows a page.
        const qint64 range = 599 * 100;
        QTest::newRow("live at the newest")
            << true << 0 << qint64(0) << range + 21 * 100 << range << qint64(0);
        QTest::newRow("frozen at the oldest")
            << false << 0 << qint64(0) << qint64(40 * 100) << qint64(40 * 100) << range + 1;
        // oldest + 1900 + 30000 * (59900 - 1900) / 59900 = oldest + 30948.
        QTest::newRow("frozen in the middle") << false << 0 << qint64(30000)
                                              << qint64(30948 + 2100) << qint64(33000)
                                              << range + 1 - 30000;
        QTest::newRow("frozen before the oldest")
            << false << 0 << qint64(-50000) << qint64(40 * 100) << qint64(40 * 100) << qint64(-1);
        QTest::newRow("live, level 1") << true << 1 << qint64(0) << range + 21 * 117
                                       << qint64(-1) << qint64(0);
    }
    void queryBounds()
    {
        QFETCH(bool, live);
        QFETCH(int, level);
        QFETCH(qint64, centre);
        QFETCH(qint64, bound);
        QFETCH(qint64, top);
        QFETCH(qint64, scrollValue);
        StoreFile file(QStringLiteral("Bounds"));
        QVERIFY(file.writeSeries(kT0, 600, 100));
        const qint64 newest = kT0 + 599 * 100;
        Table t;
        const QString name = QStringLiteral("Bounds");
        t.view.updateTable(live ? liveAt(name, level, kT0, newest)
                                : frozenAt(name, level, kT0, newest, kT0 + centre),
                           !live);
        QCOMPARE(t.query(), QStringLiteral("SELECT * FROM AgDataZoomLevel%1 WHERE timestamp <= %2 "
                                           "ORDER BY timestamp DESC LIMIT 20")
                                .arg(level)
                                .arg(kT0 + bound));
        if (top >= 0) {
            QCOMPARE(t.rows(), 20);
            QCOMPARE(t.time(0), kT0 + top);
        }
        TableViewVerticalScrollBar *bar = t.view.getVerticalScrollBar();
        QCOMPARE(bar->minimum64(), qint64(0));
        QCOMPARE(bar->maximum64(), newest - kT0 + 1);
        if (scrollValue >= 0)
            QCOMPARE(bar->value64(), scrollValue);
        QCOMPARE(bar->pageStep64(), 20 * qint64(zoomLevelToSampleIntervalMs(level)));
    }

    void fortyDayFile_data()
    {
        QTest::addColumn<qint64>("centre"); // hours after the oldest sample
        QTest::addColumn<qint64>("top");
        // One sample an hour for 40 days: the stored range is 959 h.
        QTest::newRow("middle") << qint64(479) << qint64(479);
        QTest::newRow("three quarters") << qint64(720) << qint64(720);
        QTest::newRow("late") << qint64(900) << qint64(900);
        QTest::newRow("newest") << qint64(959) << qint64(959);
    }
    void fortyDayFile()
    {
        QFETCH(qint64, centre);
        QFETCH(qint64, top);
        const QString name = QStringLiteral("Imported");
        StoreFile file(name);
        QVERIFY(file.writeSeries(kT0, 960, kHour));
        const qint64 newest = kT0 + 959 * kHour;
        Table t;
        const TableView::Snapshot data = frozenAt(name, 0, kT0, newest, kT0 + centre * kHour);
        const qint64 reference = t.view.computeTopRowTime(data);
        QVERIFY(reference >= kT0 && reference <= newest);
        // The exact page time, within a sample interval of the plot's centre.
        QVERIFY(qAbs(reference - (kT0 + centre * kHour)) <= 2000);
        t.view.updateTable(data, true);
        QCOMPARE(t.rows(), 20);
        QCOMPARE(t.time(0), kT0 + top * kHour);
        QCOMPARE(t.view.getVerticalScrollBar()->maximum64(), 959 * kHour + 1);
        QCOMPARE(t.view.getVerticalScrollBar()->position(), centre * kHour);
    }

    void cellTexts_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<QString>("shown");
        QTest::newRow("time with time code") << 0 << QVariant() << "2023.11.14 22:13:20 (22:13:20)";
        QTest::newRow("double at -100") << 3 << QVariant(-100.0) << "-100";
        QTest::newRow("double below -100") << 4 << QVariant(-100.5) << "---";
        QTest::newRow("far below") << 6 << QVariant(-1e9) << "---";
        QTest::newRow("ordinary value") << 8 << QVariant(-22.5) << "-22.5";
        QTest::newRow("integer below -100") << 2 << QVariant(qint64(-500)) << "-500";
        QTest::newRow("integer column") << 13 << QVariant(qint64(-300)) << "-300";
    }
    void cellTexts()
    {
        QFETCH(int, column);
        QFETCH(QVariant, stored);
        QFETCH(QString, shown);
        const QString name = QStringLiteral("Cells");
        StoreFile file(name);
        AgDataVector batch(QStringLiteral("Main"), 0);
        AgData s = sample(kT0);
        s.setTimecode(PlotSamples::bcdTimecode(22, 13, 20));
        s.setProgramId(-500);
        s.setTP(-100.0);
        s.setTPMax(-100.5);
        s.setM400ms(-1e9);
        s.setFlags(-300);
        batch.append(s);
        batch.append(sample(kT0 + 100));
        QVERIFY(file.write(batch));
        Table t;
        t.view.updateTable(liveAt(name, 0, kT0, kT0 + 100), false);
        QCOMPARE(t.rows(), 2);
        if (stored.isValid())
            QCOMPARE(t.model()->index(1, column).data(Qt::EditRole), stored);
        QCOMPARE(t.text(1, column), shown);
        QCOMPARE(t.model()->index(1, column).data(Qt::TextAlignmentRole).toInt(),
                 int(Qt::AlignCenter));
        // A row without a time code shows date and time only.
        QCOMPARE(t.text(0, 0), QStringLiteral("2023.11.14 22:13:20"));
    }

    void headersAndColumns()
    {
        const QString name = QStringLiteral("Headers");
        StoreFile file(name);
        QVERIFY(file.writeSeries(kT0, 30, 100));
        Table t;
        t.view.updateTable(liveAt(name, 0, kT0, kT0 + 2900), false);
        const QStringList expected{"Time \n(TC)",         "Timecode",          "Program ID",
                                   "Truepeak\n(dBTP)",    "TPmax\n(dBTP)",     "M100ms\n(LUFS)",
                                   "Momentary\n(LUFS)",   "Mmax\n(LUFS)",      "Shortterm\n(LUFS)",
                                   "Smax\n(LUFS)",        "Integrated\n(LUFS)", "LRA\n(LU)",
                                   "Events",              "Flags"};
        const int widths[] = {206, 0, 153, 115, 115, 0, 115, 115, 115, 115, 115, 115, 115};
        QCOMPARE(t.model()->columnCount(), 14);
        for (int c = 0; c < 14; ++c) {
            QCOMPARE(t.model()->headerData(c, Qt::Horizontal).toString(), expected[c]);
            QCOMPARE(t.table()->isColumnHidden(c), c == 1 || c == 5);
            if (c > 0 && c < 13 && widths[c] > 0)
                QCOMPARE(t.table()->columnWidth(c), widths[c]);
        }
        // The time column is never narrower than its width, nor than its text with a timecode.
        QVERIFY(t.table()->columnWidth(0) >= widths[0]);
        const QString timeText = t.model()->index(0, 0).data().toString() +
                                 QStringLiteral(" (22:13:22)");
        QVERIFY(t.table()->columnWidth(0) > t.table()->fontMetrics().horizontalAdvance(timeText));
        QVERIFY(t.table()->horizontalHeader()->stretchLastSection());
        QCOMPARE(t.table()->verticalHeader()->defaultSectionSize(), 26);
        QVERIFY(!t.table()->verticalHeader()->isVisible());
        KivTest::saveShot(&t.view, QStringLiteral("tableview"));

        // The page buttons lie invisibly over the bar's arrows: nothing there is darker than
        // the bar's own #252525.
        TableViewVerticalScrollBar *bar = t.view.getVerticalScrollBar();
        const QImage image = bar->grab().toImage();
        for (const char *name : {"upButton", "downButton"}) {
            const QRect area = bar->findChild<QPushButton *>(QLatin1String(name))->geometry();
            QVERIFY(area.height() >= 20);
            for (int y = area.top(); y <= area.bottom(); ++y)
                for (int x = area.left(); x <= area.right(); ++x)
                    QVERIFY2(qGray(image.pixel(x, y)) >= 0x25, name);
        }
    }

    void dateAndTimeTexts_data()
    {
        QTest::addColumn<qint64>("first");
        QTest::addColumn<QString>("date");
        QTest::addColumn<QString>("time");
        QTest::newRow("one day") << kT0 << "Date: 2023.11.14" << "Time: 22:13:24-22:13:22";
        QTest::newRow("across midnight") << kMidnight - 3000 << "Date: 2023.11.15-2023.11.14"
                                         << "Time: 00:00:01-23:59:59";
    }
    void dateAndTimeTexts()
    {
        QFETCH(qint64, first);
        QFETCH(QString, date);
        QFETCH(QString, time);
        const QString name = QStringLiteral("Dates");
        StoreFile file(name);
        QVERIFY(file.writeSeries(first, 41, 100));
        Table t;
        QSignalSpy texts(&t.view, &TableView::updateDateAndTimeSignal);
        t.view.updateTable(liveAt(name, 0, first, first + 4000), false);
        QCOMPARE(texts.count(), 1);
        QCOMPARE(texts.at(0).at(0).toString(), date);
        QCOMPARE(texts.at(0).at(1).toString(), time);
    }

    void pagingIsInverted_data()
    {
        QTest::addColumn<qint64>("start");
        QTest::addColumn<bool>("up");
        QTest::addColumn<qint64>("reported");
        // The range is 59901 ms and a page 2000 ms.
        QTest::newRow("down at the oldest stays") << qint64(0) << false << qint64(0);
        QTest::newRow("down") << qint64(5000) << false << qint64(3000);
        QTest::newRow("down to the oldest") << qint64(1500) << false << qint64(0);
        QTest::newRow("up") << qint64(1000) << true << qint64(3000);
        QTest::newRow("up to the newest") << qint64(59000) << true << qint64(59901);
        QTest::newRow("up at the newest stays") << qint64(59901) << true << qint64(59901);
    }
    void pagingIsInverted()
    {
        QFETCH(qint64, start);
        QFETCH(bool, up);
        QFETCH(qint64, reported);
        const QString name = QStringLiteral("Paging");
        StoreFile file(name);
        QVERIFY(file.writeSeries(kT0, 600, 100));
        Table t;
        t.view.updateTable(frozenAt(name, 0, kT0, kT0 + 59900, kT0 + 30000), true);
        TableViewVerticalScrollBar *bar = t.view.getVerticalScrollBar();
        bar->setPosition(start);
        QCOMPARE(bar->value64(), 59901 - start);
        QSignalSpy moved(bar, &NUVPlotScrollbar::pageControlScrollbarValueChanged);
        auto *button = bar->findChild<QPushButton *>(up ? QStringLiteral("upButton")
                                                         : QStringLiteral("downButton"));
        // The buttons lie over the bar's arrows: up at the top, down at the bottom.
        QVERIFY(up ? button->y() == 0 : button->geometry().bottom() == bar->height() - 1);
        QTest::mousePress(button, Qt::LeftButton);
        QTest::mouseRelease(button, Qt::LeftButton);
        QCOMPARE(moved.count(), 1);
        QCOMPARE(moved.at(0).at(0).toLongLong(), reported);
        QCOMPARE(bar->position(), reported);
    }

    void wheelOverTheRowsScrollsTheBar()
    {
        const QString name = QStringLiteral("Wheel");
        StoreFile file(name);
        QVERIFY(file.writeSeries(kT0, 600, 100));
        Table t;
        t.view.updateTable(frozenAt(name, 0, kT0, kT0 + 59900, kT0 + 30000), true);
        TableViewVerticalScrollBar *bar = t.view.getVerticalScrollBar();
        QSignalSpy moved(bar, &NUVPlotScrollbar::pageControlScrollbarValueChanged);
        QWidget *viewport = t.table()->viewport();
        auto turn = [viewport](QPoint angle) {
            const QPoint at(200, 200);
            QWheelEvent wheel(at, viewport->mapToGlobal(at), QPoint(), angle, Qt::NoButton,
                              Qt::NoModifier, Qt::NoScrollPhase, false);
            // As from the window system.
            QSpontaneKeyEvent::setSpontaneous(&wheel);
            QApplication::sendEvent(viewport, &wheel);
        };
        // One notch away from the user shows a page of newer rows (the bar's single step
        // is a page), one toward the user a page of older ones.
        turn(QPoint(0, 120));
        QCOMPARE(moved.count(), 1);
        QCOMPARE(moved.at(0).at(0).toLongLong(), qint64(32000));
        turn(QPoint(0, -240));
        QCOMPARE(moved.count(), 2);
        QCOMPARE(moved.at(1).at(0).toLongLong(), qint64(30000));
        // A sideways wheel is the table's own.
        turn(QPoint(120, 0));
        QCOMPARE(moved.count(), 2);
    }

    void refreshRules()
    {
        const QString name = QStringLiteral("Refresh");
        StoreFile file(name);
        QVERIFY(file.writeSeries(kT0, 100, 100));
        qint64 newest = kT0 + 9900;
        Table t;
        int deleted = 0;
        auto update = [&](TableView::Snapshot data, bool frozen) {
            data.sampleBlock = new CountedBlock(&deleted);
            t.view.updateTable(data, frozen);
        };
        // Live: the first update and the one after it query; then at most every 2000 ms.
        update(liveAt(name, 0, kT0, newest), false);
        QCOMPARE(t.time(0), newest);
        QVERIFY(file.writeSeries(newest + 100, 10, 100));
        newest += 1000;
        update(liveAt(name, 0, kT0, newest), false);
        QCOMPARE(t.time(0), newest);
        QVERIFY(file.writeSeries(newest + 100, 10, 100));
        newest += 1000;
        t.now += 1999;
        update(liveAt(name, 0, kT0, newest), false);
        QCOMPARE(t.time(0), newest - 1000);
        t.now += 1;
        update(liveAt(name, 0, kT0, newest), false);
        QCOMPARE(t.time(0), newest);
        QCOMPARE(t.table()->selectionMode(), QAbstractItemView::NoSelection);

        // Frozen: only a new position, level or height queries again.
        const qint64 centre = kT0 + 5000;
        update(frozenAt(name, 0, kT0, newest, centre), true);
        QCOMPARE(t.table()->selectionMode(), QAbstractItemView::ExtendedSelection);
        QCOMPARE(t.table()->focusPolicy(), Qt::NoFocus);
        const qint64 frozenTop = t.time(0);
        QVERIFY(frozenTop < newest);
        QVERIFY(file.writeSeries(newest + 100, 10, 100));
        t.now += 60000;
        update(frozenAt(name, 0, kT0, newest + 1000, centre), true);
        QCOMPARE(t.time(0), frozenTop); // the newer stored range alone changes nothing
        update(frozenAt(name, 0, kT0, newest, centre + 1000), true);
        QVERIFY(t.time(0) > frozenTop);
        t.view.resize(1024, 800);
        update(frozenAt(name, 0, kT0, newest, centre + 1000), true);
        QCOMPARE(t.rows(), 28);
        update(frozenAt(name, 1, kT0, newest, centre + 1000), true);
        QVERIFY(t.query().contains(QLatin1String("AgDataZoomLevel1 ")));
        QCOMPARE(deleted, 9);
    }

    void missingFileIsNeverCreated()
    {
        const QString name = QStringLiteral("Later");
        const QString path = getAgDbFilePath(instrument().getName(), name);
        warnings.clear();
        const QtMessageHandler previous = qInstallMessageHandler(collectWarnings);
        const int logged = KivTest::captureLog()->count(QStringLiteral("Cannot TableView database! "));
        Table t;
        QSignalSpy texts(&t.view, &TableView::updateDateAndTimeSignal);
        for (int i = 0; i < 3; ++i) {
            t.now += 2000;
            t.view.updateTable(liveAt(name, 0, kT0, kT0 + 2000), false);
        }
        QCOMPARE(t.rows(), 0);
        QCOMPARE(texts.count(), 0);
        const QStringList files = QDir(getDataFolderPath()).entryList({QStringLiteral("*Later*")});
        QCOMPARE(files, QStringList());
        // Logged once, not every two seconds.
        QCOMPARE(KivTest::captureLog()->count(QStringLiteral("Cannot TableView database! ")),
                 logged + 1);
        // Each new attempt registers the connection afresh, without a clash of names.
        for (const QString &warning : qAsConst(warnings))
            QVERIFY2(!warning.contains(QLatin1String("duplicate connection")) &&
                         !warning.contains(QLatin1String("still in use")) &&
                         !warning.contains(QLatin1String("database not open")),
                     qPrintable(warning));

        // Once the logger has made the file, the next refresh shows its rows.
        StoreFile file(name);
        QVERIFY(file.writeSeries(kT0, 21, 100));
        t.now += 2000;
        t.view.updateTable(liveAt(name, 0, kT0, kT0 + 2000), false);
        qInstallMessageHandler(previous);
        QCOMPARE(t.rows(), 20);
        QCOMPARE(texts.count(), 1);
        QVERIFY(QFile::exists(path));

        // Removed under the program and made again by the logger: the rows of the file now
        // at the path, not those of the removed one.
        QVERIFY(QFile::remove(path));
        QVERIFY(file.writeSeries(kT0 + 2100, 10, 100));
        t.now += 2000;
        t.view.updateTable(liveAt(name, 0, kT0, kT0 + 3000), false);
        QCOMPARE(t.time(0), kT0 + 3000);
    }

    void readerHoldsNoLockBetweenRefreshes()
    {
        // A checkpoint cannot pass a reader that still holds a snapshot older than the
        // store's last write.
        const QString name = QStringLiteral("Locks");
        StoreFile file(name);
        QVERIFY(file.writeSeries(kT0, 600, 100));
        Table t;
        t.view.updateTable(liveAt(name, 0, kT0, kT0 + 59900), false);
        QCOMPARE(t.rows(), 20);
        QVERIFY(file.writeSeries(kT0 + 60000, 10, 100));
        QCOMPARE(checkpointBusy(file.path()), 0);

        // The check sees a reader that stopped in the middle of its rows.
        {
            QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"),
                                                           QStringLiteral("halfway"));
            other.setDatabaseName(file.path());
            QVERIFY(other.open());
            QSqlQuery halfway(other);
            halfway.setForwardOnly(true);
            QVERIFY(halfway.exec(QStringLiteral("SELECT * FROM AgDataZoomLevel0")));
            QVERIFY(halfway.next());
            QVERIFY(file.writeSeries(kT0 + 61000, 10, 100));
            QCOMPARE(checkpointBusy(file.path()), 1);
        }
        QSqlDatabase::removeDatabase(QStringLiteral("halfway"));
    }

    void readingWhileTheLoggerWrites_data()
    {
        QTest::addColumn<bool>("closeFirst");
        QTest::newRow("table closed before the store") << true;
        QTest::newRow("table still open") << false;
    }
    void readingWhileTheLoggerWrites()
    {
        QFETCH(bool, closeFirst);
        const QString name = QStringLiteral("Busy");
        auto file = std::make_unique<StoreFile>(name);
        QVERIFY(file->writeSeries(kT0, 100, 100));
        const int problems = KivTest::captureLog()->count(QStringLiteral("locked")) +
                             KivTest::captureLog()->count(QStringLiteral("busy"));

        // The logger's thread stores a batch of ten samples while the table reads.
        std::atomic<qint64> newest{kT0 + 9900};
        std::atomic<int> refused{0};
        std::atomic<bool> done{false};
        std::thread writer([&] {
            for (int batch = 0; batch < 150; ++batch) {
                if (!file->writeSeries(newest + 100, 10, 100))
                    ++refused;
                newest += 1000;
            }
            done = true;
        });
        Table t;
        int refreshes = 0;
        while (!done || refreshes < 5) {
            t.now += 2000;
            t.view.updateTable(liveAt(name, 0, kT0, newest), false);
            ++refreshes;
        }
        writer.join();
        t.now += 2000;
        t.view.updateTable(liveAt(name, 0, kT0, newest), false);
        QCOMPARE(refused.load(), 0);
        QCOMPARE(t.time(0), newest.load());
        QCOMPARE(KivTest::captureLog()->count(QStringLiteral("locked")) +
                     KivTest::captureLog()->count(QStringLiteral("busy")),
                 problems);

        // When the audiogroup stops, the table lets go of the file before the store closes:
        // the store's connection is then the last and folds its journal back into the file.
        if (closeFirst) {
            QVERIFY(t.view.closeConnection());
            QCOMPARE(t.rows(), 0);
        }
        file->close();
        QCOMPARE(QFile::exists(file->path() + QStringLiteral("-wal")), !closeFirst);
        t.view.closeConnection();
        QVERIFY(!QSqlDatabase::contains(QStringLiteral("TableViewConnection_") +
                                        agDbFileName(instrument().getName(), name)));
        // The next update opens the connection again.
        t.now += 2000;
        t.view.updateTable(liveAt(name, 0, kT0, newest), false);
        QCOMPARE(t.time(0), newest.load());
    }
};

KIV_TEST_MAIN(TestTableView, QApplication)
#include "tst_tableview.moc"
