// The backup manager window with its controller and the real backup controller thread over
// backups the store wrote: what it lists, IMPORT, DELETE, REFRESH, closing, the choice kept
// while the list changes, and a folder of 500 backups.
#include <BackupController.h>
#include <BackupDeleteRequestCommandParameter.h>
#include <BackupFixtures.h>
#include <BackupManagerView.h>
#include <BackupManagerViewController.h>
#include <Command.h>
#include <FakeSystem.h>
#include <GUIFactory.h>
#include <GuiShots.h>
#include <KivTest.h>
#include <KivUtils.h>
#include <UserInput.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHeaderView>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTimer>

#include <memory>

namespace {

using namespace BackupFixtures;

// The system front as far as the backup manager uses it: its three posts reach the real
// backup controller; everything else is recorded.
class BackupSystem : public FakeSystem
{
public:
    BackupController *controller = nullptr;

    int showBackupManager() override
    {
        FakeSystem::showBackupManager();
        return controller->enqueue(new Command(BackupController::CmdShowManager));
    }
    int refreshBackups() override
    {
        FakeSystem::refreshBackups();
        return controller->enqueue(new Command(BackupController::CmdRefresh));
    }
    int deleteBackups(const QList<BackupItem> &items) override
    {
        FakeSystem::deleteBackups(items);
        return controller->enqueue(new Command(BackupController::CmdDelete,
                                               new BackupDeleteRequestCommandParameter(items)));
    }
};

QString timeText(qint64 ms)
{
    return QDateTime::fromMSecsSinceEpoch(ms, Qt::UTC).toString("yyyy.MM.dd hh:mm:ss");
}

} // namespace

class TestBackupManager : public QObject
{
    Q_OBJECT

    std::unique_ptr<BackupSystem> m_system;
    std::unique_ptr<BackupManagerViewController> m_viewController;
    std::unique_ptr<BackupController> m_controller;
    BackupManagerView *m_view = nullptr;

    QTableView *table() const { return m_view->tableView(); }
    QAbstractItemModel *rows() const { return table()->model(); }
    QPushButton *button(const char *name) const
    {
        return m_view->findChild<QPushButton *>(QLatin1String(name));
    }
    QString cell(int row, int column) const
    {
        return rows()->index(row, column).data().toString();
    }
    // The program ids of the rows, or of the selected rows.
    QStringList programIds(bool selectedOnly = false) const
    {
        QStringList ids;
        for (int row = 0; row < rows()->rowCount(); ++row)
            if (!selectedOnly || table()->selectionModel()->isRowSelected(row, QModelIndex()))
                ids << cell(row, 2);
        return ids;
    }
    void clickRow(int row, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        table()->scrollTo(rows()->index(row, 0));
        const QRect rect = table()->visualRect(rows()->index(row, 1));
        QVERIFY(rect.isValid());
        QTest::mouseClick(table()->viewport(), Qt::LeftButton, modifiers, rect.center());
    }
    // The menu entry: the window opens and shows the scan's result.
    void open(int expectedRows)
    {
        m_system->showBackupManager();
        QTRY_VERIFY(m_view->isVisible());
        QTRY_COMPARE(rows()->rowCount(), expectedRows);
    }

private slots:
    void initTestCase()
    {
        qRegisterMetaType<BackupModel>("BackupModel");
        GUIFactory::getInstance()->init();
        BackupManagerView::registerCreator();
    }

    void init()
    {
        QDir(getLogBackupFolderPath()).removeRecursively();
        m_system = std::make_unique<BackupSystem>();
        m_controller = std::make_unique<BackupController>(nullptr);
        m_viewController = std::make_unique<BackupManagerViewController>(nullptr);
        m_system->controller = m_controller.get();
        FakeSystem::Objects objects;
        objects.backupController = m_controller.get();
        objects.backupManagerViewController = m_viewController.get();
        m_system->setObjects(objects);
        QCOMPARE(m_viewController->init(), 0);
        m_view = dynamic_cast<BackupManagerView *>(m_viewController->getView());
        QVERIFY(m_view);
        m_controller->initBackupFolder();
        QCOMPARE(m_controller->startThread(), 0);
    }

    void cleanup()
    {
        m_controller->stop();
        QTRY_VERIFY(m_controller->isStopped());
        m_controller.reset();
        m_viewController.reset(); // the window goes with the next event loop
        QTest::qWait(0);
        m_system.reset();
    }

    void opensWithTheBackupsFound()
    {
        open(0);
        QCOMPARE(m_view->windowTitle(), QStringLiteral("Backup Manager"));
        QCOMPARE(m_view->size(), QSize(1024, 692));
        QCOMPARE(table()->geometry(), QRect(0, 0, 1024, 641));
        QStringList headers;
        for (int section = 0; section < rows()->columnCount(); ++section)
            headers << rows()->headerData(section, Qt::Horizontal).toString();
        QCOMPARE(headers, QStringList({"Device", "Audiogroup", "Program ID", "Start Time",
                                       "End Time", "Creation Time"}));
        QCOMPARE(button("importAgButton")->text(), QStringLiteral("IMPORT"));
        QCOMPARE(button("pushButton")->text(), QStringLiteral("REFRESH"));
        QCOMPARE(button("deleteAgButton")->text(), QStringLiteral("DELETE"));

        const QStringList studio = writeBackups({"Studio 1", "Main"}, 3, 100, kT0);
        const QStringList radio = writeBackups({"Radio", "Morning Show", false}, 2, 7, kT0 + 3600000);
        QVERIFY(QDir().mkpath(getLogBackupFolderPath() + "/2023"));
        QVERIFY(QFile::rename(studio[2], getLogBackupFolderPath() + "/2023/kept.db"));
        m_view->close(); // by the frame's close button
        QTRY_VERIFY(!m_view->isVisible());
        open(5);
        const qint64 created = QFileInfo(studio[0]).birthTime().isValid()
                                   ? QFileInfo(studio[0]).birthTime().toMSecsSinceEpoch()
                                   : QFileInfo(studio[0]).metadataChangeTime().toMSecsSinceEpoch();
        QCOMPARE((QStringList{cell(0, 0), cell(0, 1), cell(0, 2), cell(0, 3), cell(0, 4),
                              cell(0, 5)}),
                 (QStringList{"Studio 1", "Main", "100", timeText(kT0), timeText(kT0 + 59000),
                              timeText(created)}));
        QCOMPARE(programIds(), QStringList({"100", "101", "102", "7", "8"}));
        QCOMPARE(cell(3, 0), QStringLiteral("---"));
        QCOMPARE(cell(3, 1), QFileInfo(radio[0]).fileName());
        QCOMPARE(rows()->index(0, 4).data(Qt::TextAlignmentRole).toInt(), int(Qt::AlignCenter));
        QCOMPARE(table()->columnWidth(0), 166);
        clickRow(1);
        KivTest::saveShot(m_view, "backupmanager");
    }

    void importTakesOneBackup()
    {
        writeBackups({"Studio 1", "Main"}, 3, 100, kT0);
        open(3);
        UserInput::clickCentre(button("importAgButton"));
        QCOMPARE(m_system->alertTexts(), QStringList{"Please select at least one audiogroup"});
        clickRow(0);
        clickRow(2, Qt::ControlModifier);
        UserInput::clickCentre(button("importAgButton"));
        QCOMPARE(m_system->alertTexts().last(), QStringLiteral("Too many audiogroups selected"));
        QCOMPARE(m_system->callCount("requestDbImport"), 0);
        clickRow(1);
        UserInput::clickCentre(button("importAgButton"));
        QCOMPARE(m_system->lastCall("requestDbImport").args,
                 QVariantList({getLogBackupFolderPath() + "/" +
                                   QFileInfo(getBackupDbFilePath("Studio 1", "Main", 101,
                                                                 kT0 + 60000))
                                       .fileName(),
                               true, "101"}));
        QCOMPARE(m_system->alertTexts().size(), 2);
    }

    void deleteAndRefreshThroughTheWindow()
    {
        const QStringList files = writeBackups({"Studio 1", "Main"}, 4, 100, kT0);
        open(4);
        clickRow(1);
        clickRow(3, Qt::ControlModifier);
        UserInput::clickCentre(button("deleteAgButton"));
        QVERIFY(!table()->selectionModel()->hasSelection());
        QTRY_COMPARE(programIds(), QStringList({"100", "102"}));
        QVERIFY(!QFile::exists(files[1]));
        QVERIFY(!QFile::exists(files[3]));
        QVERIFY(QFile::exists(files[0]));
        QCOMPARE(m_system->alertTexts(), QStringList());

        UserInput::clickCentre(button("deleteAgButton"));
        QTRY_COMPARE(m_system->alertTexts(), QStringList{"Please select at least one audiogroup"});

        // REFRESH shows what the folder holds now, and drops the choice.
        writeBackups({"Archive", "Main"}, 1, 500, kT0);
        clickRow(0);
        UserInput::clickCentre(button("pushButton"));
        QVERIFY(!table()->selectionModel()->hasSelection());
        QTRY_COMPARE(programIds(), QStringList({"500", "100", "102"}));
    }

    // The scan inserts rows anywhere while the user chooses: the chosen backups and the one
    // at the top stay, wherever they now stand.
    void aChangedListKeepsTheChosenBackups()
    {
        writeBackups({"Studio 1", "Main"}, 60, 100, kT0, 2000, 1000);
        open(60);
        table()->scrollTo(rows()->index(20, 0), QAbstractItemView::PositionAtTop);
        QCOMPARE(table()->indexAt(QPoint(5, 0)).row(), 20);
        clickRow(22);
        clickRow(25, Qt::ControlModifier);
        QCOMPARE(programIds(true), QStringList({"122", "125"}));

        writeBackups({"Archive", "Main"}, 3, 900, kT0, 2000, 1000);
        m_system->showBackupManager(); // the menu again, with the window open
        QTRY_COMPARE(rows()->rowCount(), 63);
        QCOMPARE(programIds(true), QStringList({"122", "125"}));
        QCOMPARE(cell(25, 2), QStringLiteral("122"));
        QCOMPARE(cell(table()->indexAt(QPoint(5, 0)).row(), 2), QStringLiteral("120"));

        // The chosen backups are the ones deleted.
        UserInput::clickCentre(button("deleteAgButton"));
        QTRY_COMPARE(rows()->rowCount(), 61);
        QVERIFY(!programIds().contains("122"));
        QVERIFY(!programIds().contains("125"));
    }

    // A rescan starts over and lists the folder in steps: the choice outlives the steps that
    // do not hold the chosen backups yet.
    void theChoiceOutlivesARescanFromAnEmptyList()
    {
        writeBackups({"Studio 1", "Main"}, 60, 100, kT0, 2000, 1000);
        open(60);
        table()->scrollTo(rows()->index(20, 0), QAbstractItemView::PositionAtTop);
        clickRow(22);
        clickRow(24, Qt::ControlModifier);
        QCOMPARE(programIds(true), QStringList({"122", "124"}));
        const BackupModel listed = m_controller->getModel();
        m_view->onUpdateGUI(BackupModel());
        QCOMPARE(programIds(true), QStringList());
        m_view->onUpdateGUI(listed);
        QCOMPARE(programIds(true), QStringList({"122", "124"}));
        // The view comes back to the backup that was at its top.
        QCOMPARE(cell(table()->indexAt(QPoint(5, 0)).row(), 2), QStringLiteral("120"));
        // Also through a step that holds it but is too short to scroll it to the top.
        BackupModel firstRows;
        firstRows.setItems(listed.getItems().mid(0, 30));
        m_view->onUpdateGUI(BackupModel());
        m_view->onUpdateGUI(firstRows);
        QVERIFY(cell(table()->indexAt(QPoint(5, 0)).row(), 2) != QStringLiteral("120"));
        m_view->onUpdateGUI(listed);
        QCOMPARE(cell(table()->indexAt(QPoint(5, 0)).row(), 2), QStringLiteral("120"));
        // A choice the user dropped stays dropped.
        clickRow(24, Qt::ControlModifier);
        m_view->onUpdateGUI(BackupModel());
        m_view->onUpdateGUI(listed);
        QCOMPARE(programIds(true), QStringList({"122"}));
    }

    void closingHidesAndReopeningRescans()
    {
        const QStringList files = writeBackups({"Studio 1", "Main"}, 2, 100, kT0);
        open(2);
        clickRow(0);
        m_view->close();
        QTRY_VERIFY(!m_view->isVisible());
        QVERIFY(!m_viewController->isVisible());
        QTRY_VERIFY(!m_viewController->isUpdateTimerActive());
        QVERIFY(!table()->selectionModel()->hasSelection());
        // Esc on the table, which has the keyboard, closes the window as its close button.
        open(2);
        table()->setFocus();
        QTest::keyClick(table(), Qt::Key_Escape);
        QTRY_VERIFY(!m_view->isVisible());
        QVERIFY(!m_viewController->isVisible());
        // The controller keeps its list; the window, opened again, shows the folder anew.
        QTRY_COMPARE(m_controller->getModel().getItemCount(), 2);
        QVERIFY(QFile::remove(files[0]));
        open(1);
        QCOMPARE(programIds(), QStringList{"101"});
    }

    void fiveHundredBackupsListWithoutFreezing()
    {
        QElapsedTimer made;
        made.start();
        QCOMPARE(writeBackups({"Studio 1", "Main"}, 500, 1000, kT0, 2000, 1000).size(), 500);
        qInfo("500 backups written in %lld ms", made.elapsed());

        // The window's thread keeps turning while the folder is read.
        QElapsedTimer sinceTick;
        qint64 longestGap = 0;
        QTimer tick;
        tick.setInterval(5);
        connect(&tick, &QTimer::timeout, [&] {
            longestGap = std::max(longestGap, sinceTick.restart());
        });
        QElapsedTimer listed;
        listed.start();
        sinceTick.start();
        tick.start();
        m_system->showBackupManager();
        QTRY_COMPARE_WITH_TIMEOUT(rows()->rowCount(), 500, 30000);
        const qint64 windowMs = listed.elapsed();
        tick.stop();
        qInfo("500 backups listed in the window after %lld ms; longest pause of the window's "
              "thread %lld ms",
              windowMs, longestGap);
        QVERIFY2(longestGap < 1000, qPrintable(QString::number(longestGap)));
        QCOMPARE(cell(499, 2), QStringLiteral("1499"));
    }
};

KIV_TEST_MAIN(TestBackupManager, QApplication)
#include "tst_backupmanager.moc"
