#include <AView.h>
#include <FakeSystem.h>
#include <GUIFactory.h>
#include <KivTest.h>
#include <PlaceholderView.h>
#include <ViewUpdateTimer.h>

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QThread>

#include <atomic>
#include <memory>
#include <stdexcept>

namespace {

// A registered window: records where it was built and how often initView ran.
class TestView : public AView
{
    Q_OBJECT
public:
    using AView::AView;
    int initView() override
    {
        ++initCount;
        return 0;
    }
    int initCount = 0;
};

struct CreatorLog
{
    std::atomic<int> calls{0};
    std::atomic<QThread *> thread{nullptr};
};

GUIFactory::ViewCreator testCreator(CreatorLog *log)
{
    return [log](ViewType type) -> AView * {
        ++log->calls;
        log->thread = QThread::currentThread();
        return new TestView(type, nullptr);
    };
}

// Runs fn on a fresh thread while the GUI thread keeps its event loop turning.
template <typename Fn> void runOnWorker(Fn fn)
{
    std::unique_ptr<QThread> worker(QThread::create(fn));
    worker->start();
    QTRY_VERIFY_WITH_TIMEOUT(worker->isFinished(), 10000);
    if (!worker->isFinished())
        worker.release(); // stuck: leave it rather than destroy a running thread
}

#define RUN_ON_WORKER(fn)                                                                          \
    do {                                                                                           \
        runOnWorker(fn);                                                                           \
        if (QTest::currentTestFailed())                                                            \
            return;                                                                                \
    } while (0)

class UpdateCounter : public QObject
{
    Q_OBJECT
public:
    ViewUpdateTimer timer;
    std::atomic<int> ticks{0};
    std::atomic<QThread *> tickThread{nullptr};
public slots:
    void onUpdateTimer()
    {
        ++ticks;
        tickThread = QThread::currentThread();
    }
};

} // namespace

class TestGuiFactory : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup();

    void buildsOnGuiThreadFromEveryThread_data();
    void buildsOnGuiThreadFromEveryThread();
    void placeholderForUnregisteredType_data();
    void placeholderForUnregisteredType();
    void unknownTypeBuildsNothing_data();
    void unknownTypeBuildsNothing();
    void failingCreatorGivesNull();

    void closeRequestOnlyEmitsViewHide();
    void onShowRestoresMinimisedWindow();

    void importLog_data();
    void importLog();

    void updateTimerRunsOnGuiThread();
};

void TestGuiFactory::initTestCase()
{
    GUIFactory::getInstance()->init();
}

void TestGuiFactory::cleanup()
{
    for (int t = 0; t < kViewTypeCount; ++t)
        GUIFactory::getInstance()->registerViewCreator(static_cast<ViewType>(t), nullptr);
}

void TestGuiFactory::buildsOnGuiThreadFromEveryThread_data()
{
    QTest::addColumn<bool>("fromWorker");
    QTest::addColumn<bool>("workerEntry"); // createViewFromWorkerThread, else createView
    QTest::newRow("worker via worker entry") << true << true;
    QTest::newRow("worker via GUI entry") << true << false;
    QTest::newRow("GUI via GUI entry") << false << false;
    QTest::newRow("GUI via worker entry") << false << true;
}

void TestGuiFactory::buildsOnGuiThreadFromEveryThread()
{
    QFETCH(bool, fromWorker);
    QFETCH(bool, workerEntry);
    CreatorLog log;
    GUIFactory *factory = GUIFactory::getInstance();
    QVERIFY(factory->registerViewCreator(kViewTypeAg, testCreator(&log)));
    QVERIFY(factory->hasViewCreator(kViewTypeAg));

    AView *view = nullptr;
    auto build = [&] {
        view = workerEntry ? factory->createViewFromWorkerThread(kViewTypeAg)
                           : factory->createView(kViewTypeAg);
    };
    if (fromWorker)
        RUN_ON_WORKER(build);
    else
        build();
    std::unique_ptr<AView> owned(view);

    auto *testView = qobject_cast<TestView *>(view);
    QVERIFY(testView);
    QCOMPARE(log.calls.load(), 1);
    QCOMPARE(log.thread.load(), qApp->thread());
    QCOMPARE(view->thread(), qApp->thread());
    QCOMPARE(testView->initCount, 1);
    QCOMPARE(view->getViewType(), kViewTypeAg);
    QVERIFY(view->isWindow());
    QVERIFY(!view->isVisible());
}

void TestGuiFactory::placeholderForUnregisteredType_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("className");
    const char *const names[] = {"QTSystemView",         "QTAgView",          "AddInstrumentDialog",
                                 "ConfirmationDialog",   "SettingsDialog",    "GoToTimeDialog",
                                 "GenerateReportDialog", "BackupManagerView", "HijackRequestView"};
    for (int t = 0; t < kViewTypeCount; ++t)
        QTest::newRow(names[t]) << t << QString::fromLatin1(names[t]);
}

void TestGuiFactory::placeholderForUnregisteredType()
{
    QFETCH(int, type);
    QFETCH(QString, className);
    // A creator for another type must not be used for this one.
    CreatorLog log;
    const ViewType other = static_cast<ViewType>((type + 1) % kViewTypeCount);
    GUIFactory::getInstance()->registerViewCreator(other, testCreator(&log));

    std::unique_ptr<AView> view(GUIFactory::getInstance()->createView(static_cast<ViewType>(type)));
    auto *placeholder = qobject_cast<PlaceholderView *>(view.get());
    QVERIFY(placeholder);
    QCOMPARE(log.calls.load(), 0);
    QCOMPARE(static_cast<int>(view->getViewType()), type);
    QVERIFY(view->windowTitle().startsWith(QLatin1String("KIV - ")));
    auto *label = view->findChild<QLabel *>(QStringLiteral("placeholderLabel"));
    QVERIFY(label);
    QVERIFY(label->text().contains(className));

    // Removing a creator brings the placeholder back for that type too.
    GUIFactory::getInstance()->registerViewCreator(other, nullptr);
    std::unique_ptr<AView> again(GUIFactory::getInstance()->createViewFromWorkerThread(other));
    QVERIFY(qobject_cast<PlaceholderView *>(again.get()));
}

void TestGuiFactory::unknownTypeBuildsNothing_data()
{
    QTest::addColumn<int>("type");
    QTest::newRow("9") << 9;
    QTest::newRow("-1") << -1;
    QTest::newRow("1000") << 1000;
}

void TestGuiFactory::unknownTypeBuildsNothing()
{
    QFETCH(int, type);
    const auto viewType = static_cast<ViewType>(type);
    CreatorLog log;
    GUIFactory *factory = GUIFactory::getInstance();
    QVERIFY(!factory->registerViewCreator(viewType, testCreator(&log)));
    QCOMPARE(factory->createView(viewType), nullptr);
    AView *fromWorker = reinterpret_cast<AView *>(1);
    RUN_ON_WORKER([&] { fromWorker = factory->createViewFromWorkerThread(viewType); });
    QCOMPARE(fromWorker, nullptr);
    QCOMPARE(log.calls.load(), 0);
}

void TestGuiFactory::failingCreatorGivesNull()
{
    GUIFactory *factory = GUIFactory::getInstance();
    factory->registerViewCreator(kViewTypeSettings, [](ViewType) -> AView * { return nullptr; });
    QCOMPARE(factory->createView(kViewTypeSettings), nullptr);
    // An exception must stay on the GUI thread's side and not reach the waiting worker.
    factory->registerViewCreator(kViewTypeSettings, [](ViewType) -> AView * {
        throw std::runtime_error("no memory for the settings");
    });
    AView *view = reinterpret_cast<AView *>(1);
    RUN_ON_WORKER([&] { view = factory->createViewFromWorkerThread(kViewTypeSettings); });
    QCOMPARE(view, nullptr);
}

void TestGuiFactory::closeRequestOnlyEmitsViewHide()
{
    std::unique_ptr<AView> view(GUIFactory::getInstance()->createView(kViewTypeSystem));
    QVERIFY(view);
    view->onShow();
    QVERIFY(QTest::qWaitForWindowExposed(view.get()));
    QSignalSpy hides(view.get(), &AView::viewHide);
    QVERIFY(!view->close());
    QCOMPARE(hides.count(), 1);
    QVERIFY(view->isVisible());
    view->onHide();
    QVERIFY(!view->isVisible());
}

void TestGuiFactory::onShowRestoresMinimisedWindow()
{
    std::unique_ptr<AView> view(GUIFactory::getInstance()->createView(kViewTypeBackupManager));
    view->show();
    view->setWindowState(Qt::WindowMinimized);
    QVERIFY(view->windowState() & Qt::WindowMinimized);
    view->onShow();
    QVERIFY(!(view->windowState() & Qt::WindowMinimized));
    QVERIFY(view->windowState() & Qt::WindowActive);
    QVERIFY(view->isVisible());
}

void TestGuiFactory::importLog_data()
{
    QTest::addColumn<int>("configured");
    QTest::addColumn<bool>("choose"); // pick the file in the dialog, else cancel it
    QTest::addColumn<bool>("expectDialog");
    QTest::addColumn<bool>("expectImport");
    QTest::newRow("19 configured, file chosen") << 19 << true << true << true;
    QTest::newRow("19 configured, cancelled") << 19 << false << true << false;
    QTest::newRow("20 configured") << 20 << true << false << false;
    QTest::newRow("25 configured") << 25 << true << false << false;
}

void TestGuiFactory::importLog()
{
    QFETCH(int, configured);
    QFETCH(bool, choose);
    QFETCH(bool, expectDialog);
    QFETCH(bool, expectImport);

    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("I__meterA__pgm_kivDb.db"));
    QFile f(file);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.close();

    FakeSystem fake;
    // The audiogroups spread over meters of at most eight.
    SystemConfig config;
    for (int i = 0; i < configured; i += 8) {
        InstrumentConfig meter(QStringLiteral("meter%1").arg(i));
        for (int j = i; j < qMin(configured, i + 8); ++j)
            meter.setAgConfig(AgConfig(QStringLiteral("pgm%1").arg(j)));
        config.addOrUpdateInstrument(meter);
    }
    QCOMPARE(config.getAgConfigCount(), configured);
    fake.setCurrentConfig(config);

    bool dialogSeen = false;
    QTimer answer;
    answer.setInterval(10);
    connect(&answer, &QTimer::timeout, this, [&] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        dialogSeen = true;
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Select log file"));
        QCOMPARE(dialog->nameFilters(),
                 (QStringList{QStringLiteral("KIV db (*.db)"), QStringLiteral("ZQ XML (*.xml)")}));
        if (choose) {
            // Typed as a user would: selectFile() leaves the name field alone once it has the
            // focus, and the dialog then accepts nothing and stays open.
            auto *name = dialog->findChild<QLineEdit *>();
            QVERIFY(name);
            name->setText(file);
            QMetaObject::invokeMethod(dialog, "accept");
        } else {
            dialog->reject();
        }
    });
    answer.start();

    std::unique_ptr<AView> view(GUIFactory::getInstance()->createView(kViewTypeSystem));
    view->onImportLog();
    answer.stop();

    QCOMPARE(dialogSeen, expectDialog);
    if (expectDialog)
        QCOMPARE(fake.callCount(QStringLiteral("showAlert")), 0);
    else
        QCOMPARE(fake.lastCall(QStringLiteral("showAlert")).args,
                 QVariantList{QStringLiteral("Could not import log file because the max "
                                             "audiogroup count limit has been reached.")});
    if (expectImport) {
        QCOMPARE(fake.callCount(QStringLiteral("requestDbImport")), 1);
        QCOMPARE(fake.lastCall(QStringLiteral("requestDbImport")).args,
                 (QVariantList{file, false, QString()}));
    } else {
        QCOMPARE(fake.callCount(QStringLiteral("requestDbImport")), 0);
    }
}

void TestGuiFactory::updateTimerRunsOnGuiThread()
{
    // The controller belongs to a worker thread, as the audiogroup window's does.
    UpdateCounter *counter = nullptr;
    RUN_ON_WORKER([&] {
        counter = new UpdateCounter;
        counter->timer.init(10, counter, &UpdateCounter::onUpdateTimer);
        counter->timer.start();
    });
    std::unique_ptr<UpdateCounter> owned(counter);
    QCOMPARE(counter->timer.interval(), 10);
    QTRY_VERIFY(counter->ticks.load() >= 2);
    QCOMPARE(counter->tickThread.load(), qApp->thread());

    // Stop and wait from a worker returns only once the GUI thread has stopped it.
    bool activeAfterWait = true;
    RUN_ON_WORKER([&] {
        counter->timer.stopAndWait();
        activeAfterWait = counter->timer.isActive();
    });
    QVERIFY(!activeAfterWait);

    // On the GUI thread itself it stops at once instead of waiting for itself.
    counter->timer.start();
    QTRY_VERIFY(counter->timer.isActive());
    counter->timer.stopAndWait();
    QVERIFY(!counter->timer.isActive());
}

KIV_TEST_MAIN(TestGuiFactory, QApplication)

#include "tst_guifactory.moc"
