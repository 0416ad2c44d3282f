#include <ClosingPleaseWaitDialog.h>
#include <GUIFactory.h>
#include <GuiShots.h>
#include <KIVAlertBox.h>
#include <KivConstants.h>
#include <KivPleaseWaitBox.h>
#include <KivResources.h>
#include <KivTest.h>
#include <QTSplashScreen.h>

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTextLayout>
#include <QThread>

#include <cstdio>
#include <memory>

namespace {

template <typename T> T *child(QWidget *parent, const char *name)
{
    return parent->findChild<T *>(QLatin1String(name));
}

// The closing dialog as start-up sets it up, shown as the stopping system controller does.
bool showClosingDialog(ClosingPleaseWaitDialog &dialog, QThread *watched)
{
    dialog.connectSignals(watched);
    dialog.requestShow();
    for (int i = 0; i < 500 && !dialog.isVisible(); ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return dialog.isVisible();
}

int childRunner(const QString &scenario, int argc, char **argv)
{
    QApplication app(argc, argv);
    QThread systemController; // stands in for the system control thread
    ClosingPleaseWaitDialog dialog(nullptr);
    if (!showClosingDialog(dialog, &systemController))
        return 5;
    if (scenario == QLatin1String("force-close")) {
        child<QPushButton>(&dialog, "pushButton")->click();
    } else if (scenario == QLatin1String("close-timer")) {
        // What 30000 ms without a finished system controller lead to.
        QMetaObject::invokeMethod(const_cast<QTimer *>(&dialog.closeTimer()), "timeout");
    } else if (scenario == QLatin1String("normal-end")) {
        QObject::connect(&systemController, &QThread::started, &systemController, &QThread::quit);
        systemController.start();
        const int rc = app.exec(); // must return through the finished() of the thread
        systemController.wait();
        std::printf("exec=%d hidden=%d timer=%d\n", rc, int(!dialog.isVisible()),
                    int(dialog.closeTimer().isActive()));
        std::fflush(stdout);
        return 42;
    }
    std::printf("still alive\n");
    std::fflush(stdout);
    return 7;
}

} // namespace

class TestDialogs : public QObject
{
    Q_OBJECT
private slots:
    void resourcesLoad_data();
    void resourcesLoad();

    void splashShowsVersionAndPicture();
    void splashShowAndHideRequests();

    void alertBoxTexts();
    void alertBoxDismiss();
    void alertBoxShowsALongPathWhole();
    void pleaseWaitBox();

    void closeRequestLeavesBoxOpen_data();
    void closeRequestLeavesBoxOpen();

    void closingDialogShowAndHide();
    void closingDialogEndsProcess_data();
    void closingDialogEndsProcess();
};

void TestDialogs::resourcesLoad_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QSize>("size");
    const struct
    {
        const char *path;
        int w, h;
    } pictures[] = {
        {":/components/components/ScrollBar/Horizontal/PlotHorizontal/scroll-bar-horizontal.png",
         64, 58},
        {":/components/components/ScrollBar/Horizontal/scroll-bar_arrow_left.png", 22, 30},
        {":/components/components/ScrollBar/Horizontal/scroll-bar_arrow_right.png", 22, 30},
        {":/components/components/ScrollBar/Vertical/scroll-bar_arrow_down.png", 30, 30},
        {":/components/components/ScrollBar/Vertical/scroll-bar_arrow_up.png", 30, 30},
        {":/components/components/ScrollBar/Vertical/scroll-bar_vertical.png", 56, 64},
        {":/components/components/checkboxoff.png", 25, 26},
        {":/components/components/checkboxoffdisabled.png", 25, 26},
        {":/components/components/checkboxon.png", 32, 26},
        {":/components/components/checkboxondisabled.png", 32, 26},
        {":/dialog/dialog/IconMessageboxAlertYellow.png", 48, 48},
        {":/gui/menubar/aglistview/Semaphore/semaphore_gray_light.png", 31, 31},
        {":/gui/menubar/aglistview/Semaphore/semaphore_green_light.png", 31, 31},
        {":/gui/menubar/aglistview/Semaphore/semaphore_red_light.png", 31, 31},
        {":/gui/menubar/aglistview/Semaphore/semaphore_yellow_light.png", 31, 31},
        {":/gui/menubar/kiv_icon.ico", 48, 48},
        {":/gui/menubar/kiv_icon.png", 64, 64},
        {":/gui/menubar/kiv_splashscreen.png", 640, 480},
        {":/gui/menubar/menubar_logo.png", 44, 20},
        {":/main/NUV_logo.png", 86, 16},
        {":/main/NUV_logo_black.png", 200, 40},
        {":/markers/agview/markers/MarkerAn.png", 35, 34},
        {":/markers/agview/markers/MarkerBn.png", 35, 35},
        {":/markers/agview/markers/markerA.png", 36, 52},
        {":/markers/agview/markers/markerB.png", 36, 52},
        {":/plot/events/agview/events/eventMulti.png", 19, 24},
        {":/plot/events/agview/events/eventPlay.png", 19, 24},
        {":/plot/events/agview/events/eventReset.png", 19, 24},
        {":/plot/events/agview/events/eventStop.png", 19, 24},
    };
    for (const auto &p : pictures)
        QTest::newRow(p.path) << QString::fromLatin1(p.path) << QSize(p.w, p.h);
    // The paths that the core hands out for the event icons and lamps.
    for (const char *path : {KivConstants::kIconEventPlay, KivConstants::kIconEventStop,
                             KivConstants::kIconEventReset, KivConstants::kIconEventMulti})
        QTest::newRow(path) << QString::fromLatin1(path) << QSize(19, 24);
    for (const char *path : {KivConstants::kIconLightRed, KivConstants::kIconLightGreen,
                             KivConstants::kIconLightYellow, KivConstants::kIconLightGray})
        QTest::newRow(path) << QString::fromLatin1(path) << QSize(31, 31);
}

void TestDialogs::resourcesLoad()
{
    QFETCH(QString, path);
    QFETCH(QSize, size);
    initKivResources();
    const QImage image(path);
    QVERIFY2(!image.isNull(), qPrintable(path));
    QCOMPARE(image.size(), size);
    QVERIFY(image.hasAlphaChannel());
}

void TestDialogs::splashShowsVersionAndPicture()
{
    std::unique_ptr<ASplashScreen> splash(GUIFactory::getInstance()->createSplashScreen());
    QVERIFY(qobject_cast<QTSplashScreen *>(splash.get()));
    QVERIFY(!splash->parent());
    QCOMPARE(splash->size(), QSize(640, 480));
    QCOMPARE(splash->pixmap().size(), QSize(640, 480));
    QCOMPARE(child<QLabel>(splash.get(), "vLabel")->text(), QStringLiteral("v"));
    QCOMPARE(child<QLabel>(splash.get(), "versionNumberLabel")->text(), QStringLiteral("1.7"));
    QCOMPARE(child<QLabel>(splash.get(), "vfullVersionString")->text(),
             KivConstants::buildString());
    QVERIFY(KivConstants::buildString().startsWith(QLatin1String("1.7-V-")));
    QVERIFY(!child<QLabel>(splash.get(), "copyrightLabel")->text().isEmpty());
    QCOMPARE(QTSplashScreen::setLetterSpacing(nullptr, 2.5), -1);
    KivTest::saveShot(splash.get(), QStringLiteral("splash"));
}

void TestDialogs::splashShowAndHideRequests()
{
    std::unique_ptr<ASplashScreen> splash(GUIFactory::getInstance()->createSplashScreen());
    splash->showSplash();
    QVERIFY(!splash->isVisible()); // carried over the event loop, not at once
    QTRY_VERIFY(splash->isVisible());

    // The system controller hides it from its own thread once the instruments are built.
    std::unique_ptr<QThread> worker(QThread::create([&] { emit splash->hideEvent(); }));
    worker->start();
    QVERIFY(worker->wait(10000));
    QVERIFY(splash->isVisible());
    QTRY_VERIFY(!splash->isVisible());

    // Shown again as the About window.
    emit splash->showEvent();
    QTRY_VERIFY(splash->isVisible());
    splash->hideSplash();
    QTRY_VERIFY(!splash->isVisible());

    // Esc closes the About window.
    splash->showSplash();
    QTRY_VERIFY(splash->isVisible());
    QTest::keyClick(splash.get(), Qt::Key_Escape);
    QVERIFY(!splash->isVisible());
}

void TestDialogs::alertBoxTexts()
{
    KIVAlertBox box(nullptr);
    auto *text = child<QLabel>(&box, "alertTextLabel");
    auto *button = child<QPushButton>(&box, "alertDismissButton");
    QVERIFY(text->text().isEmpty());
    QCOMPARE(button->text(), QStringLiteral("OK"));
    QVERIFY(box.windowFlags() & Qt::FramelessWindowHint);
    QCOMPARE(box.windowModality(), Qt::ApplicationModal);
    QVERIFY(!child<QLabel>(&box, "alertIconlabel")->pixmap(Qt::ReturnByValue).isNull());

    const QString message = QStringLiteral("Successfully deleted audiogroups");
    QCOMPARE(box.setText(message), 0);
    QCOMPARE(box.setText(QString()), -1);
    QCOMPARE(text->text(), message);
    QCOMPARE(box.setButtonText(QStringLiteral("Close")), 0);
    QCOMPARE(box.setButtonText(QString()), -1);
    QCOMPARE(button->text(), QStringLiteral("Close"));
}

void TestDialogs::alertBoxDismiss()
{
    KIVAlertBox box(nullptr);
    box.setText(QStringLiteral("Could not delete audiogroups; report generation in progress."));
    box.adjustSize();
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    KivTest::saveShot(&box, QStringLiteral("alert"));
    QSignalSpy closes(&box, &KIVAlertBox::onClose);
    QSignalSpy hides(&box, &ADialog::viewHide);
    QTest::mouseClick(child<QPushButton>(&box, "alertDismissButton"), Qt::LeftButton);
    QCOMPARE(closes.count(), 1);
    QCOMPARE(closes.at(0).at(0).value<KIVAlertBox *>(), &box);
    QCOMPARE(hides.count(), 1);
    QVERIFY(box.isVisible()); // its owner deletes it
    QTest::mouseClick(child<QPushButton>(&box, "alertDismissButton"), Qt::LeftButton);
    QCOMPARE(closes.count(), 2);
}

void TestDialogs::alertBoxShowsALongPathWhole()
{
    const QString text = QStringLiteral(
        "Could not open the report folder on this desktop. The report is in /root/Documents/NUV/"
        "KIV/reports_I___bertragungMeterZwei_A__Hauptprogramm_Abendsendung");
    KIVAlertBox box(nullptr);
    box.setText(text);
    box.adjustSize();
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    KivTest::saveShot(&box, QStringLiteral("alert-long-path"));
    auto *label = child<QLabel>(&box, "alertTextLabel");
    QCOMPARE(label->text(), text);

    // Every line fits the label once the path wraps inside itself, and the label, inside the
    // box, is tall enough for all of them.
    QTextLayout layout(text, label->font());
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    qreal height = 0;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(label->contentsRect().width());
        height += line.height();
    }
    layout.endLayout();
    QVERIFY(layout.lineCount() >= 4);
    QVERIFY2(label->contentsRect().height() >= height,
             qPrintable(QStringLiteral("%1 < %2").arg(label->contentsRect().height()).arg(height)));
    QVERIFY(box.rect().contains(label->geometry().translated(label->parentWidget()->pos())));
}

void TestDialogs::pleaseWaitBox()
{
    KivPleaseWaitBox box(nullptr);
    auto *text = child<QLabel>(&box, "alertTextLabel");
    auto *bar = child<QProgressBar>(&box, "progressBar");
    QVERIFY(text->text().isEmpty());
    QCOMPARE(bar->minimum(), 0);
    QCOMPARE(bar->maximum(), 0); // busy indicator
    QCOMPARE(box.size(), QSize(426, 150));
    box.setText(QStringLiteral("Please wait. Connecting..."));
    QCOMPARE(text->text(), QStringLiteral("Please wait. Connecting..."));
    KivTest::saveShot(&box, QStringLiteral("pleasewait"));
    box.setText(QString());
    QVERIFY(text->text().isEmpty());
}

void TestDialogs::closeRequestLeavesBoxOpen_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("alert box") << QStringLiteral("alert");
    QTest::newRow("please-wait box") << QStringLiteral("wait");
    QTest::newRow("closing dialog") << QStringLiteral("closing");
}

void TestDialogs::closeRequestLeavesBoxOpen()
{
    QFETCH(QString, kind);
    std::unique_ptr<ADialog> box;
    if (kind == QLatin1String("alert"))
        box = std::make_unique<KIVAlertBox>(nullptr);
    else if (kind == QLatin1String("wait"))
        box = std::make_unique<KivPleaseWaitBox>(nullptr);
    else
        box = std::make_unique<ClosingPleaseWaitDialog>(nullptr);
    box->show();
    QVERIFY(QTest::qWaitForWindowExposed(box.get()));
    QSignalSpy hides(box.get(), &ADialog::viewHide);
    QVERIFY(!box->close());
    QCOMPARE(hides.count(), 1);
    QVERIFY(box->isVisible());
}

void TestDialogs::closingDialogShowAndHide()
{
    QThread systemController;
    ClosingPleaseWaitDialog dialog(nullptr);
    QCOMPARE(child<QLabel>(&dialog, "alertTextLabel")->text(),
             QStringLiteral("Closing... please wait."));
    QCOMPARE(child<QPushButton>(&dialog, "pushButton")->text(), QStringLiteral("FORCE CLOSE"));
    QCOMPARE(child<QProgressBar>(&dialog, "progressBar")->maximum(), 0);
    QCOMPARE(dialog.size(), QSize(426, 225));
    QVERIFY(!dialog.isVisible());
    QVERIFY(!dialog.closeTimer().isActive());

    // requestShow comes from the system control thread.
    QCOMPARE(dialog.connectSignals(&systemController), 0);
    std::unique_ptr<QThread> worker(QThread::create([&] { dialog.requestShow(); }));
    worker->start();
    QVERIFY(worker->wait(10000));
    QTRY_VERIFY(dialog.isVisible());
    QVERIFY(dialog.closeTimer().isActive());
    QVERIFY(dialog.closeTimer().isSingleShot());
    QCOMPARE(dialog.closeTimer().interval(), 30000);
    QCOMPARE(dialog.closeTimer().thread(), qApp->thread());
    KivTest::saveShot(&dialog, QStringLiteral("closing"));

    emit dialog.hideEvent();
    QTRY_VERIFY(!dialog.isVisible());
    QVERIFY(!dialog.closeTimer().isActive());
}

void TestDialogs::closingDialogEndsProcess_data()
{
    QTest::addColumn<QString>("scenario");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("output");
    QTest::newRow("FORCE CLOSE") << QStringLiteral("force-close") << 0 << QByteArray();
    QTest::newRow("close timer") << QStringLiteral("close-timer") << 0 << QByteArray();
    // The system controller finished: the event loop returns, the dialog hides, the count stops.
    QTest::newRow("controller finished")
        << QStringLiteral("normal-end") << 42 << QByteArray("exec=0 hidden=1 timer=0\n");
}

void TestDialogs::closingDialogEndsProcess()
{
    QFETCH(QString, scenario);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, output);
    const KivTest::ChildResult result = KivTest::runChild(scenario);
    QVERIFY2(result.finished, result.err.constData());
    QCOMPARE(result.exitStatus, QProcess::NormalExit);
    QCOMPARE(result.exitCode, exitCode);
    QCOMPARE(result.out, output);
}

KIV_TEST_MAIN_WITH(TestDialogs, QApplication, childRunner)

#include "tst_dialogs.moc"
