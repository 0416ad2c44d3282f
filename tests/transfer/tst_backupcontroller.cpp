// The backup controller's thread against backups the store wrote: its three commands, the
// deletions and what it refuses to delete, and its stop.
#include <ABackupManagerViewController.h>
#include <BackupController.h>
#include <BackupDeleteRequestCommandParameter.h>
#include <BackupFixtures.h>
#include <Command.h>
#include <FakeSystem.h>
#include <KivTest.h>
#include <KivUtils.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>

#include <functional>
#include <memory>

namespace {

using namespace BackupFixtures;

// The window's controller as the controller thread reaches it: every call, in order.
class RecordingViewController : public ABackupManagerViewController
{
public:
    void showManager() override { lines.add(QStringLiteral("showManager")); }
    void hideManager() override { lines.add(QStringLiteral("hideManager")); }
    void stopUpdateTimer() override { lines.add(QStringLiteral("stopUpdateTimer")); }
    void showPleaseWait(const QString &text) override
    {
        lines.add(QStringLiteral("showPleaseWait ") + text);
    }
    void hidePleaseWait() override { lines.add(QStringLiteral("hidePleaseWait")); }

    KivTest::LineRecorder lines;
};

QStringList filePaths(const QList<BackupItem> &items)
{
    QStringList paths;
    for (const BackupItem &item : items)
        paths << item.getFilePath();
    return paths;
}

const QString kDeleting = QStringLiteral("showPleaseWait Deleting backup files. Please wait...");
const QString kDeleteError =
    QStringLiteral("An error has been encountered while deleting backup files");

} // namespace

using Forge = std::function<BackupItem(const BackupItem &listed)>;
Q_DECLARE_METATYPE(Forge)

class TestBackupController : public QObject
{
    Q_OBJECT

    std::unique_ptr<FakeSystem> m_fake;
    std::unique_ptr<RecordingViewController> m_view;
    std::unique_ptr<BackupController> m_controller;

    void post(int type, CommandParameter *parameter = nullptr)
    {
        QCOMPARE(m_controller->enqueue(new Command(type, parameter)), 0);
    }

    // Opens the manager and waits until the scan has listed count files.
    void scanned(int count)
    {
        post(BackupController::CmdShowManager);
        QTRY_COMPARE(m_controller->getModel().getItemCount(), count);
    }

    void deleteAndWait(const QList<BackupItem> &items)
    {
        const int before = m_view->lines.lines().size();
        m_controller->enqueue(new Command(BackupController::CmdDelete,
                                          new BackupDeleteRequestCommandParameter(items)));
        QTRY_VERIFY(m_view->lines.lines().mid(before).contains("hidePleaseWait"));
    }

private slots:
    void init()
    {
        QDir(getLogBackupFolderPath()).removeRecursively();
        m_fake = std::make_unique<FakeSystem>();
        m_view = std::make_unique<RecordingViewController>();
        FakeSystem::Objects objects;
        objects.backupManagerViewController = m_view.get();
        m_fake->setObjects(objects);
        m_controller = std::make_unique<BackupController>(nullptr);
        m_controller->initBackupFolder();
        QCOMPARE(m_controller->startThread(), 0);
    }

    void cleanup()
    {
        m_controller->stop();
        QTRY_VERIFY(m_controller->isStopped());
        m_controller.reset();
        m_fake.reset();
    }

    void showManagerOpensTheWindowAndScans()
    {
        QCOMPARE(writeBackups({"Studio 1", "Main"}, 3, 100).size(), 3);
        QElapsedTimer answered;
        answered.start();
        post(BackupController::CmdShowManager);
        QTRY_VERIFY(m_view->lines.lines().contains("showManager"));
        qInfo("showManager after %lld ms", answered.elapsed());
        QTRY_COMPARE(m_controller->getModel().getItemCount(), 3);
        QCOMPARE(m_controller->getModel().getItems().first().getProgramId(), 100);

        // A refresh lists what is there now.
        QVERIFY(QFile::remove(m_controller->getModel().getItems().first().getFilePath()));
        post(BackupController::CmdRefresh);
        QTRY_COMPARE(m_controller->getModel().getItemCount(), 2);
        QCOMPARE(m_view->lines.lines(), QStringList{"showManager"});
        QCOMPARE(m_fake->alertTexts(), QStringList());
    }

    void scanRequestedAgainStartsOver()
    {
        const QStringList files = writeBackups({"Studio 1", "Main"}, 1, 100);
        QCOMPARE(files.size(), 1);
        for (int i = 0; i < 80; ++i)
            QVERIFY(QFile::copy(files[0], getLogBackupFolderPath() + QStringLiteral("/c%1.db").arg(i)));
        // Each request empties the list and the files still to read: no file twice.
        post(BackupController::CmdShowManager);
        QTRY_VERIFY(m_controller->getModel().getItemCount() > 0);
        post(BackupController::CmdRefresh);
        post(BackupController::CmdShowManager);
        QTRY_COMPARE(m_controller->getModel().getItemCount(), 81);
        const QStringList paths = filePaths(m_controller->getModel().getItems());
        QCOMPARE(QSet<QString>(paths.begin(), paths.end()).size(), 81);
    }

    void deleteRemovesTheFilesItCan()
    {
        const QStringList files = writeBackups({"Studio 1", "Main"}, 4, 100);
        scanned(4);
        const QList<BackupItem> listed = m_controller->getModel().getItems();
        // The second one went meanwhile.
        QVERIFY(QFile::remove(listed[1].getFilePath()));
        deleteAndWait(listed.mid(0, 3));
        QCOMPARE(m_view->lines.lines(),
                 QStringList({"showManager", kDeleting, "hidePleaseWait"}));
        QCOMPARE(m_fake->alertTexts(), QStringList{kDeleteError});
        QCOMPARE(filePaths(m_controller->getModel().getItems()),
                 QStringList({listed[1].getFilePath(), listed[3].getFilePath()}));
        QVERIFY(!QFile::exists(listed[0].getFilePath()));
        QVERIFY(!QFile::exists(listed[2].getFilePath()));
        QVERIFY(QFile::exists(listed[3].getFilePath()));

        // Nothing chosen: nothing touched, the box hidden all the same.
        m_fake->clearCalls();
        deleteAndWait({});
        QCOMPARE(m_fake->alertTexts(), QStringList{"Please select at least one audiogroup"});
        QCOMPARE(m_view->lines.lines().mid(3), QStringList{"hidePleaseWait"});
        QVERIFY(QFile::exists(listed[3].getFilePath()));

        m_fake->clearCalls();
        deleteAndWait({listed[3]});
        QCOMPARE(m_fake->alertTexts(), QStringList());
        QCOMPARE(m_controller->getModel().getItemCount(), 1);
        QVERIFY(!QFile::exists(listed[3].getFilePath()));
    }

    // Only a file that the scan listed, inside "log_backup" as the file system resolves it.
    void deleteRefusesWhatWasNotListed_data()
    {
        QTest::addColumn<Forge>("forge");
        QTest::newRow("a file of the data folder") << Forge([](const BackupItem &listed) {
            BackupItem forged(listed);
            forged.setFilePath(getDataFolderFilePath("_config.xml"));
            return forged;
        });
        QTest::newRow("up and out of the folder") << Forge([](const BackupItem &listed) {
            BackupItem forged(listed);
            forged.setFilePath(getLogBackupFolderPath() + "/../_config.xml");
            return forged;
        });
        QTest::newRow("another name for the listed file") << Forge([](const BackupItem &listed) {
            BackupItem forged(listed);
            forged.setName(listed.getName() + "x");
            return forged;
        });
        QTest::newRow("listed, but its folder is now a link elsewhere")
            << Forge([](const BackupItem &listed) {
                   const QString folder = QFileInfo(listed.getFilePath()).path();
                   const QString moved = getDataFolderFilePath("moved");
                   QDir().rename(folder, moved);
                   QFile::link(moved, folder);
                   return listed;
               });
    }

    void deleteRefusesWhatWasNotListed()
    {
        QFETCH(Forge, forge);
        const QStringList files = writeBackups({"Studio 1", "Main"}, 1, 100);
        QVERIFY(QDir().mkpath(getLogBackupFolderPath() + "/sub"));
        QVERIFY(QFile::rename(files[0], getLogBackupFolderPath() + "/sub/b.db"));
        QFile config(getDataFolderFilePath("_config.xml"));
        QVERIFY(config.open(QIODevice::WriteOnly));
        config.close();
        scanned(1);
        const BackupItem forged = forge(m_controller->getModel().getItems().first());
        const QString target = QFileInfo(forged.getFilePath()).canonicalFilePath();
        QVERIFY(QFile::exists(target));
        deleteAndWait({forged});
        QVERIFY(QFile::exists(target));
        QCOMPARE(m_fake->alertTexts(), QStringList{kDeleteError});
        QCOMPARE(m_controller->getModel().getItemCount(), 1);
        QDir(getDataFolderFilePath("moved")).removeRecursively();
    }

    void unknownCommandsAndScanErrorsLeaveTheLoopRunning()
    {
        const int logged = KivTest::captureLog()->lines().size();
        post(7);
        post(BackupController::CmdShowManager);
        QTRY_VERIFY(m_view->lines.lines().contains("showManager"));
        QCOMPARE(KivTest::captureLog()->lines().mid(logged).filter("Unknown command type 7 in "
                                                                   "BackupController").size(),
                 1);

        // A controller that was never told its folder scans nothing (not the working folder).
        BackupController unset(nullptr);
        QCOMPARE(unset.startThread(), 0);
        QCOMPARE(unset.enqueue(new Command(BackupController::CmdRefresh)), 0);
        QTRY_COMPARE(m_fake->alertTexts(), QStringList{"An error has been encountered while scanning"});
        QCOMPARE(unset.getModel().getItemCount(), 0);
        unset.stop();
        QTRY_VERIFY(unset.isStopped());
    }

    void stopHidesTheWindowAndEndsTheLoop()
    {
        m_controller->stop();
        QTRY_VERIFY(m_controller->isStopped());
        QCOMPARE(m_view->lines.lines(), QStringList({"hideManager", "stopUpdateTimer"}));
        QCOMPARE(m_controller->enqueue(new Command(BackupController::CmdShowManager)), -1);

        // Commands queued before the stop are dropped unexecuted.
        BackupController queued(nullptr);
        QVERIFY(queued.isStopped()); // never started
        QCOMPARE(queued.enqueue(new Command(BackupController::CmdShowManager)), 0);
        queued.stop();
        QCOMPARE(queued.startThread(), 0);
        QTRY_VERIFY(queued.isStopped());
        QCOMPARE(m_view->lines.lines().count("showManager"), 0);
    }
};

KIV_TEST_MAIN(TestBackupController, QCoreApplication)
#include "tst_backupcontroller.moc"
