// Imports through the running system as the user asks for them: the main window's "Import
// Log" and its file dialog, the import progress dialog and its Cancel, the result alert; the
// new audiogroup's database file against the source file.
#include "SystemHarness.h"

#include <AConfirmationView.h>
#include <AGenerateReportView.h>
#include <ConfirmationViewController.h>
#include <AgList.h>
#include <BackupFixtures.h>
#include <DBImportViewController.h>
#include <GuiShots.h>
#include <ImportFixtures.h>
#include <InstrumentManager.h>
#include <KivTest.h>
#include <KivUtils.h>
#include <NUVMenu.h>
#include <QTSystemView.h>
#include <SystemConfig.h>
#include <SystemViewController.h>
#include <UserInput.h>

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QRegularExpression>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

using namespace ImportFixtures;

namespace {

const QString kStudio = QStringLiteral("Studio 2");
const QString kMain = QStringLiteral("Main");

SystemConfig oneUnreachableMeter()
{
    SystemConfig config;
    config.setAcquisitionTimeout(2000);
    InstrumentConfig instrument(kStudio);
    instrument.setIpAdr(QStringLiteral("http://127.0.0.254"));
    instrument.setAgConfigs({AgConfig(kMain)});
    config.setInstruments({instrument});
    return config;
}

QString importedPath(const QString &instrument, const QString &audiogroup)
{
    return getAgDbFilePath(instrument, audiogroup);
}

} // namespace

class TestImport : public QObject
{
    Q_OBJECT

    SystemHarness m_harness;
    std::unique_ptr<QTemporaryDir> m_dir;
    int m_alertsBefore = 0;

    QTSystemView *window() const
    {
        return qobject_cast<QTSystemView *>(
            m_harness.system()->getSystemViewController()->getView());
    }
    QWidget *progressDialog() const
    {
        return m_harness.system()->getDBImportViewController()->getView();
    }
    QString file(const QString &name) const { return m_dir->filePath(name); }
    QStringList newAlerts() const { return m_harness.system()->alerts().mid(m_alertsBefore); }
    SystemConfig config() const { return m_harness.system()->getSystemConfig(); }

    // The main window's "Import Log" with the file chosen in its file dialog.
    void importLog(const QString &path)
    {
        QAction *entry = nullptr;
        auto *menu = window()->findChild<NUVMenu *>(QStringLiteral("menuBar"));
        QVERIFY(menu);
        for (QAction *action : menu->fileMenu()->actions()) {
            if (action->text() == QLatin1String("&Import Log"))
                entry = action;
        }
        QVERIFY(entry);
        bool answered = false;
        QString title;
        QStringList filters;
        QTimer chooser;
        chooser.setInterval(20);
        connect(&chooser, &QTimer::timeout, [&] {
            QFileDialog *dialog = nullptr;
            for (QWidget *widget : QApplication::topLevelWidgets()) {
                if (auto *candidate = qobject_cast<QFileDialog *>(widget))
                    if (candidate->isVisible())
                        dialog = candidate;
            }
            if (!dialog || answered)
                return;
            answered = true;
            title = dialog->windowTitle();
            filters = dialog->nameFilters();
            if (path.endsWith(QLatin1String(".xml")))
                dialog->selectNameFilter(QStringLiteral("ZQ XML (*.xml)"));
            // Typed into the file name field, as a user may do.
            auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
            if (name)
                name->setText(QFileInfo(path).absoluteFilePath());
            static_cast<QDialog *>(dialog)->accept();
            if (dialog->isVisible())
                dialog->reject();
        });
        chooser.start();
        entry->trigger();
        chooser.stop();
        QCOMPARE(title, QStringLiteral("Select log file"));
        QCOMPARE(filters, (QStringList{"KIV db (*.db)", "ZQ XML (*.xml)"}));
        QVERIFY(answered);
    }

    // The one result alert of an import.
    bool waitForResult(const QString &text, int timeoutMs = 60000)
    {
        if (!QTest::qWaitFor([this] { return !newAlerts().isEmpty(); }, timeoutMs))
            return false;
        return newAlerts().first() == text && m_harness.waitForIdle(timeoutMs);
    }

    // Nothing was left of a refused or undone import.
    void verifyNothingChanged(const QString &instrument, const QString &audiogroup)
    {
        QVERIFY(m_harness.waitForIdle());
        QTRY_VERIFY_WITH_TIMEOUT(!QFileInfo::exists(importedPath(instrument, audiogroup)), 10000);
        QCOMPARE(config().getAgConfigCount(), 1);
        QVERIFY(config().hasAgConfig(kStudio, kMain));
        QCOMPARE(config().getInstruments().size(), 1);
        QCOMPARE(SystemHarness::storedConfig().getAgConfigCount(), 1);
        QTRY_VERIFY(!progressDialog()->isVisible());
        QTRY_COMPARE(window()->findChild<AgList *>(QStringLiteral("list"))->count(), 1);
    }

    void removeAudiogroup(const QString &instrument, const QString &audiogroup)
    {
        QMultiMap<QString, QString> selection;
        selection.insert(instrument, audiogroup);
        m_harness.front()->removeAudiogroups(selection);
        QTRY_VERIFY_WITH_TIMEOUT(
            m_harness.system()->getConfirmationViewController()->getView()->isVisible(), 5000);
        m_harness.front()->confirmDeleteAudiogroups();
        QVERIFY(m_harness.waitForIdle());
        QTRY_VERIFY_WITH_TIMEOUT(!QFileInfo::exists(importedPath(instrument, audiogroup)), 10000);
    }

private slots:
    void initTestCase()
    {
        SystemHarness::initGui();
        QVERIFY(m_harness.start(oneUnreachableMeter()));
        QTRY_VERIFY_WITH_TIMEOUT(window() && window()->isVisible(), 10000);
    }
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_alertsBefore = m_harness.system()->alerts().size();
    }
    void cleanup()
    {
        m_dir->setAutoRemove(!QTest::currentTestFailed());
        m_dir.reset();
    }
    void cleanupTestCase() { QVERIFY(m_harness.stop()); }

    void importCreatesTheAudiogroup_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("instrument");
        QTest::addColumn<QString>("audiogroup");
        QTest::newRow("own database") << "kiv" << "Radio" << "Main_i";
        QTest::newRow("own database without config")
            << "kivnoconfig" << "Imported" << "plain.db_i";
        QTest::newRow("meter database 1.0") << "zq10" << "ZQ meter" << "Main_i";
        QTest::newRow("meter database 1.1") << "zq11" << "ZQ meter" << "Main_i";
        QTest::newRow("meter XML export") << "xml" << "ZQ meter" << "Main_i";
        QTest::newRow("backup of program 42") << "backup" << "Archive" << "Main_42_i";
    }
    // The new audiogroup "<name>_i" holds every sample of the file, and the result is said.
    void importCreatesTheAudiogroup()
    {
        QFETCH(QString, kind);
        QFETCH(QString, instrument);
        QFETCH(QString, audiogroup);
        const std::vector<AgData> data = samples(kT0, 6000, 100, 2500);
        QString path = file(QStringLiteral("source.db"));
        QStringList expected = rowsOf(data);
        if (kind == QLatin1String("kiv")) {
            QVERIFY(writeKivDb(path, instrument, kMain, data));
        } else if (kind == QLatin1String("kivnoconfig")) {
            path = file(QStringLiteral("plain.db"));
            QVERIFY(writeKivDb(path, QStringLiteral("Somewhere"), kMain, data, false));
        } else if (kind.startsWith(QLatin1String("zq"))) {
            const bool v10 = kind == QLatin1String("zq10");
            QVERIFY(writeMeterDb(path, v10 ? MeterVersion::V10 : MeterVersion::V11, v10,
                                 instrument, {kMain}, data));
        } else if (kind == QLatin1String("xml")) {
            path = file(QStringLiteral("export.xml"));
            QVERIFY(writeFile(path, exportXml(instrument, {kMain}, data).toUtf8()));
        }
        if (kind == QLatin1String("backup")) {
            const QStringList backups =
                BackupFixtures::writeBackups({instrument, kMain, true}, 1, 42);
            QCOMPARE(backups.size(), 1);
            expected = BackupFixtures::sampleRows(backups.first());
            m_harness.front()->requestDbImport(backups.first(), true, QStringLiteral("42"));
        } else {
            importLog(path);
        }
        QVERIFY2(waitForResult(
            QStringLiteral("Audiogroup %1 %2 imported successfully").arg(instrument, audiogroup)), qPrintable(newAlerts().join(QStringLiteral(" / "))));
        QCOMPARE(newAlerts().size(), 1);
        QVERIFY(config().hasAgConfig(instrument, audiogroup));
        const AgConfig made = config().getAgConfig(instrument, audiogroup);
        QVERIFY(made.getImported());
        QTRY_VERIFY(!progressDialog()->isVisible());
        QTRY_COMPARE(window()->findChild<AgList *>(QStringLiteral("list"))->count(), 2);
        if (kind == QLatin1String("backup"))
            QCOMPARE(BackupFixtures::sampleRows(importedPath(instrument, audiogroup)), expected);
        else
            QCOMPARE(sampleRows(importedPath(instrument, audiogroup)), expected);
        if (kind == QLatin1String("kiv"))
            QCOMPARE(eventRows(importedPath(instrument, audiogroup)), eventRows(path));
        removeAudiogroup(instrument, audiogroup);
    }

    void refusedImports_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("message");
        // What the log knows, after the fixed text: the file (%1) and why it was refused.
        const QString unread = QStringLiteral("Operation failed; could not read import info\n%1: ");
        const QString noLogTable = unread + "it holds no known log table (neither "
                                            "AgDataZoomLevel0 with events nor Loudness)";
        QTest::newRow("a database of another kind") << "otherdb" << noLogTable;
        QTest::newRow("not an SQLite file")
            << "garbage" << unread + "it is not a database (file is not a database)";
        QTest::newRow("an empty file") << "empty" << noLogTable;
        QTest::newRow("a truncated XML export")
            << "truncated"
            << unread +
                   "it is not a well-formed XML export (line 201, column 156: unexpected end of "
                   "file)";
        QTest::newRow("an XML export of two audiogroups")
            << "two" << unread + "it holds 2 audiogroups instead of exactly 1";
        QTest::newRow("an own database without samples")
            << "nodata"
            << "Import operation failed: Invalid import data. Audiogroup and database disposed "
               "successfully";
        QTest::newRow("a damaged page")
            << "damaged" << "Import operation failed: Source data read error. Audiogroup and "
                            "database disposed successfully";
        QTest::newRow("the database file exists already")
            << "fileexists"
            << QStringLiteral("Operation failed; KIV db file %1 already exists")
                   .arg(importedPath(QStringLiteral("Radio"), QStringLiteral("Main_i")));
        QTest::newRow("a file of the data folder")
            << "datafolder"
            << "Import operation is not allowed for files from KIV's data folder. Please move "
               "the file you wish to import to another folder and try again.";
    }
    // Each refusal is said once; no audiogroup, file or configuration change is left.
    void refusedImports()
    {
        QFETCH(QString, kind);
        QFETCH(QString, message);
        QString path = file(QStringLiteral("source.db"));
        const std::vector<AgData> data = samples(kT0, 40000, 100, 50000);
        if (kind == QLatin1String("otherdb")) {
            QVERIFY(writeMeterDb(path, MeterVersion::V11, false, kStudio, {kMain}, data));
            QSqlExec(path, "ALTER TABLE Loudness RENAME TO Levels;");
        } else if (kind == QLatin1String("garbage")) {
            QVERIFY(writeFile(path, QByteArray(8192, 'k')));
        } else if (kind == QLatin1String("empty")) {
            QVERIFY(writeFile(path, QByteArray()));
        } else if (kind == QLatin1String("truncated") || kind == QLatin1String("two")) {
            path = file(QStringLiteral("export.xml"));
            QByteArray xml =
                exportXml(QStringLiteral("Radio"),
                          kind == QLatin1String("two") ? QStringList{kMain, QStringLiteral("B")}
                                                       : QStringList{kMain},
                          samples(kT0, 300))
                    .toUtf8();
            if (kind == QLatin1String("truncated"))
                xml.truncate(xml.size() * 2 / 3);
            QVERIFY(writeFile(path, xml));
        } else if (kind == QLatin1String("nodata")) {
            QVERIFY(writeKivDb(path, QStringLiteral("Radio"), kMain, {}));
        } else if (kind == QLatin1String("damaged")) {
            QVERIFY(writeKivDb(path, QStringLiteral("Radio"), kMain, data));
            QFile damaged(path);
            QVERIFY(damaged.open(QIODevice::ReadWrite));
            // Every other page from a tenth of the file on; the schema on page 1 stays
            // readable.
            for (qint64 at = (damaged.size() / 10) & ~qint64(4095); at < damaged.size();
                 at += 8192) {
                damaged.seek(at);
                damaged.write(QByteArray(4096, '\xA5'));
            }
            damaged.close();
        } else if (kind == QLatin1String("fileexists")) {
            QVERIFY(writeKivDb(path, QStringLiteral("Radio"), kMain, data));
            QVERIFY(writeFile(importedPath(QStringLiteral("Radio"), QStringLiteral("Main_i")),
                              QByteArray("someone's file")));
        } else if (kind == QLatin1String("datafolder")) {
            QDir().mkpath(getDataFolderFilePath(QStringLiteral("sub")));
            path = getDataFolderFilePath(QStringLiteral("sub/source.db"));
            QVERIFY(writeKivDb(path, QStringLiteral("Radio"), kMain, data));
        }
        if (message.contains(QLatin1String("%1")))
            message = message.arg(QDir::toNativeSeparators(path));
        const QStringList studioRows = sampleRows(importedPath(kStudio, kMain));
        importLog(path);
        if (kind == QLatin1String("damaged")) {
            // Whichever read meets the damage first.
            QVERIFY(QTest::qWaitFor([this] { return !newAlerts().isEmpty(); }, 60000));
            QVERIFY(m_harness.waitForIdle());
            const QRegularExpression said(QStringLiteral(
                "^(Operation failed; could not read import info\\n.+: .+|Import operation failed: "
                "(Could not read source DB|Source data read error)\\. Audiogroup and database "
                "disposed successfully)$"));
            QCOMPARE(newAlerts().size(), 1);
            QVERIFY2(said.match(newAlerts().first()).hasMatch(), qPrintable(newAlerts().first()));
        } else {
            QVERIFY2(waitForResult(message),
                     qPrintable(newAlerts().join(QStringLiteral(" / "))));
            QCOMPARE(newAlerts(), QStringList{message});
        }
        if (kind == QLatin1String("fileexists")) {
            QFile kept(importedPath(QStringLiteral("Radio"), QStringLiteral("Main_i")));
            QVERIFY(kept.open(QIODevice::ReadOnly));
            QCOMPARE(kept.readAll(), QByteArray("someone's file"));
            kept.close();
            QVERIFY(kept.remove());
        }
        verifyNothingChanged(QStringLiteral("Radio"), QStringLiteral("Main_i"));
        QCOMPARE(sampleRows(importedPath(kStudio, kMain)), studioRows);
        if (kind == QLatin1String("datafolder"))
            QDir(getDataFolderFilePath(QStringLiteral("sub"))).removeRecursively();
    }

    // The second import of a file finds the first one's audiogroup.
    void theSameFileTwice()
    {
        const QString path = file(QStringLiteral("source.db"));
        QVERIFY(writeKivDb(path, QStringLiteral("Radio"), kMain, samples(kT0, 3000)));
        importLog(path);
        QVERIFY2(waitForResult(QStringLiteral("Audiogroup Radio Main_i imported successfully")),
                 qPrintable(newAlerts().join(QStringLiteral(" / "))));
        m_alertsBefore = m_harness.system()->alerts().size();
        importLog(path);
        QVERIFY2(waitForResult(QStringLiteral("Operation failed; audiogroup already exists. Please "
                                             "remove the audiogroup, delete the DB file and try "
                                             "again")), qPrintable(newAlerts().join(QStringLiteral(" / "))));
        QCOMPARE(newAlerts().size(), 1);
        QVERIFY(QFileInfo::exists(importedPath(QStringLiteral("Radio"), QStringLiteral("Main_i"))));
        removeAudiogroup(QStringLiteral("Radio"), QStringLiteral("Main_i"));
    }

    // Cancel in the progress dialog while the samples are copied: the audiogroup and its file
    // go again, and nothing is said.
    void cancelDuringTheCopy()
    {
        const QString path = file(QStringLiteral("long.db"));
        // A day of samples: long enough to be caught half-way.
        QVERIFY(writeMeterDb(path, MeterVersion::V11, false, QStringLiteral("ZQ meter"), {kMain},
                             samples(kT0, 864000, 100, 36000)));
        importLog(path);
        auto *bar = progressDialog()->findChild<QProgressBar *>(QStringLiteral("progressBar"));
        auto *cancel = progressDialog()->findChild<QPushButton *>(
            QStringLiteral("alertDismissButton"));
        QVERIFY(bar && cancel);
        QTRY_VERIFY_WITH_TIMEOUT(progressDialog()->isVisible() && cancel->isVisible() &&
                                     bar->value() > 0,
                                 30000);
        QCOMPARE(progressDialog()->findChild<QLabel *>(QStringLiteral("alertTextLabel"))->text(),
                 QStringLiteral("Please wait; importing DB file"));
        QVERIFY(bar->maximum() > 0 && bar->value() <= bar->maximum());
        KivTest::saveShot(progressDialog(), QStringLiteral("import-progress"));
        UserInput::clickCentre(cancel);
        QVERIFY(m_harness.waitForIdle(60000));
        QVERIFY2(newAlerts().isEmpty(), qPrintable(newAlerts().join(QStringLiteral(" / "))));
        verifyNothingChanged(QStringLiteral("ZQ meter"), QStringLiteral("Main_i"));
    }

    // Closing the program half-way through the copy leaves no half-imported audiogroup to
    // come back at the next start.
    void closeDuringTheCopy()
    {
        const QString path = file(QStringLiteral("long.db"));
        QVERIFY(writeMeterDb(path, MeterVersion::V11, false, QStringLiteral("ZQ meter"), {kMain},
                             samples(kT0, 864000, 100, 36000)));
        importLog(path);
        auto *bar = progressDialog()->findChild<QProgressBar *>(QStringLiteral("progressBar"));
        QTRY_VERIFY_WITH_TIMEOUT(progressDialog()->isVisible() && bar->value() > 0, 30000);
        QVERIFY(m_harness.stop());
        const SystemConfig stored = SystemHarness::storedConfig();
        QCOMPARE(stored.getAgConfigCount(), 1);
        QVERIFY(!stored.hasInstrument(QStringLiteral("ZQ meter")));
        QVERIFY(!QFileInfo::exists(importedPath(QStringLiteral("ZQ meter"), kMain + "_i")));
        QVERIFY(m_harness.start(oneUnreachableMeter()));
        QTRY_VERIFY_WITH_TIMEOUT(window() && window()->isVisible(), 10000);
        m_alertsBefore = m_harness.system()->alerts().size();
    }

    // The dialog takes the progress of long files scaled into its bar, and a Cancel with no
    // import running only closes it.
    void progressDialogWithoutAnImport()
    {
        DBImportViewController *controller = m_harness.system()->getDBImportViewController();
        auto *bar = progressDialog()->findChild<QProgressBar *>(QStringLiteral("progressBar"));
        controller->updateProgress(1, QStringLiteral("Please wait; importing DB file"), true,
                                   qlonglong(5) * 1000 * 1000 * 1000 * 1000,
                                   qlonglong(20) * 1000 * 1000 * 1000 * 1000);
        QTRY_VERIFY(progressDialog()->isVisible());
        QTRY_VERIFY(bar->maximum() > 1000);
        QCOMPARE(double(bar->value()) / bar->maximum(), 0.25);
        QCOMPARE(controller->getCancelKey(), 1);
        UserInput::clickCentre(
            progressDialog()->findChild<QPushButton *>(QStringLiteral("alertDismissButton")));
        QTRY_VERIFY(!progressDialog()->isVisible());
        QVERIFY(m_harness.waitForIdle());
        QCOMPARE(newAlerts(), QStringList());
    }

    // With 20 audiogroups the menu refuses before the file dialog, and a request that comes
    // another way is refused by the operation.
    void twentyAudiogroups()
    {
        SystemConfig full = oneUnreachableMeter();
        InstrumentConfig instrument = full.getInstrument(kStudio);
        for (int i = 1; i < 20; ++i)
            instrument.setAgConfig(AgConfig(QStringLiteral("Group %1").arg(i)));
        full.setInstruments({instrument});
        QVERIFY(m_harness.start(full));
        QTRY_VERIFY_WITH_TIMEOUT(window() && window()->isVisible(), 10000);
        m_alertsBefore = m_harness.system()->alerts().size();
        auto *menu = window()->findChild<NUVMenu *>(QStringLiteral("menuBar"));
        for (QAction *action : menu->fileMenu()->actions()) {
            if (action->text() == QLatin1String("&Import Log"))
                action->trigger();
        }
        QVERIFY(m_harness.waitForAlert(QStringLiteral(
            "Could not import log file because the max audiogroup count limit has been reached.")));
        m_alertsBefore = m_harness.system()->alerts().size();
        const QString path = file(QStringLiteral("source.db"));
        QVERIFY(writeKivDb(path, QStringLiteral("Radio"), kMain, samples(kT0, 100)));
        m_harness.front()->requestDbImport(path, false, QString());
        QVERIFY2(waitForResult(QStringLiteral("Could not import audiogroup. The maximum supported "
                                             "audiogroup number has been reached.")), qPrintable(newAlerts().join(QStringLiteral(" / "))));
        QCOMPARE(config().getAgConfigCount(), 20);
        QVERIFY(!QFileInfo::exists(importedPath(QStringLiteral("Radio"), QStringLiteral("Main_i"))));
        QVERIFY(m_harness.start(oneUnreachableMeter()));
        QTRY_VERIFY_WITH_TIMEOUT(window() && window()->isVisible(), 10000);
    }

private:
    static void QSqlExec(const QString &path, const char *sql);
};

#include <sqlite3.h>

void TestImport::QSqlExec(const QString &path, const char *sql)
{
    sqlite3 *db = nullptr;
    QCOMPARE(sqlite3_open(path.toUtf8().constData(), &db), SQLITE_OK);
    QCOMPARE(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
}

KIV_TEST_MAIN(TestImport, QApplication)
#include "tst_import.moc"
