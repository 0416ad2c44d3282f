// The add-device dialog, the delete confirmation and the go-to-time dialog with their
// controllers: texts, sizes, keys, and what reaches the system.
#include <FakeSystem.h>
#include <GuiShots.h>
#include <KivTest.h>

#include <AAddInstrumentView.h>
#include <AConfirmationView.h>
#include <AddInstrumentDialog.h>
#include <AddInstrumentViewController.h>
#include <ConfirmationDialog.h>
#include <ConfirmationViewController.h>
#include <GUIFactory.h>
#include <GoToTimeDialog.h>
#include <KIVAlertBox.h>
#include <KivPleaseWaitBox.h>

#include <QApplication>
#include <QDateTimeEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>

#include <cstdio>
#include <memory>

namespace {

// Counts how often a window is raised or lowered.
class ZOrderCounter : public QObject
{
public:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::ZOrderChange)
            ++count;
        return false;
    }
    int count = 0;
};

KivPleaseWaitBox *pleaseWaitBox()
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (auto *box = qobject_cast<KivPleaseWaitBox *>(widget))
            return box;
    }
    return nullptr;
}

// A moment that does not exist on the clocks of Berlin (spring forward at 02:00).
const qint64 kTypedMs = 1711852200000; // 2024-03-31 02:30:00 UTC
const char *const kTypedText = "2024.03.31 2:30:00";

// In a child process with the time zone of the test row: the dialog as the user meets it,
// the typed time confirmed with Return. Prints the edit's first value, the emitted moment
// and the text shown.
int goToTimeChild(const QString &, int argc, char **argv)
{
    QApplication app(argc, argv);
    GUIFactory::getInstance()->init();
    GoToTimeDialog::registerCreator();
    std::unique_ptr<AGoToTimeView> view(
        GUIFactory::getInstance()->createViewAs<AGoToTimeView>(kViewTypeGoToTime));
    auto *dialog = qobject_cast<GoToTimeDialog *>(view.get());
    if (!dialog)
        return 2;
    auto *edit = dialog->findChild<QDateTimeEdit *>(QStringLiteral("dateTimeEdit"));
    const qint64 first = edit->dateTime().toMSecsSinceEpoch();
    QSignalSpy moments(dialog, &GoToTimeDialog::GoToTime);
    dialog->showAndFocus();
    if (!QTest::qWaitForWindowExposed(dialog) || QApplication::focusWidget() != edit)
        return 3;
    // Every field selected and typed over in turn, as with a double click into it.
    const QList<QPair<QDateTimeEdit::Section, const char *>> fields{
        {QDateTimeEdit::YearSection, "2024"},  {QDateTimeEdit::MonthSection, "03"},
        {QDateTimeEdit::DaySection, "31"},     {QDateTimeEdit::HourSection, "2"},
        {QDateTimeEdit::MinuteSection, "30"}, {QDateTimeEdit::SecondSection, "00"}};
    for (const auto &field : fields) {
        edit->setSelectedSection(field.first);
        QTest::keyClicks(edit, QString::fromLatin1(field.second));
    }
    QTest::keyClick(edit, Qt::Key_Return);
    std::printf("first=%lld moment=%lld text=%s\n", static_cast<long long>(first),
                moments.isEmpty() ? -1LL : static_cast<long long>(moments.first().at(0).toLongLong()),
                qPrintable(edit->text()));
    return 0;
}

} // namespace

class TestMainDialogs : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void addDevice();
    void addDeviceKeys_data();
    void addDeviceKeys();
    void deleteConfirmation();
    void goToTimeKeys();
    void goToTimeIsUtc_data();
    void goToTimeIsUtc();

private:
    struct AddDevice
    {
        std::unique_ptr<AddInstrumentViewController> controller;
        AddInstrumentDialog *dialog = nullptr;
        QLineEdit *address = nullptr;
        QLineEdit *password = nullptr;
        QPushButton *ok = nullptr;
        QPushButton *cancel = nullptr;
    };
    AddDevice openAddDevice();
};

void TestMainDialogs::initTestCase()
{
    GUIFactory::getInstance()->init();
    AddInstrumentDialog::registerCreator();
    ConfirmationDialog::registerCreator();
    GoToTimeDialog::registerCreator();
}

TestMainDialogs::AddDevice TestMainDialogs::openAddDevice()
{
    AddDevice d;
    d.controller = std::make_unique<AddInstrumentViewController>();
    if (d.controller->init() != 0)
        return d;
    d.dialog = qobject_cast<AddInstrumentDialog *>(d.controller->getView());
    d.address = d.dialog->findChild<QLineEdit *>("iPLineEdit");
    d.password = d.dialog->findChild<QLineEdit *>("pWDLineEdit");
    d.ok = d.dialog->findChild<QPushButton *>("okButton");
    d.cancel = d.dialog->findChild<QPushButton *>("cancelButton");
    d.controller->showView();
    return d;
}

void TestMainDialogs::addDevice()
{
    FakeSystem fake;
    AddDevice d = openAddDevice();
    QVERIFY(d.dialog && d.address && d.password && d.ok && d.cancel);
    QTRY_VERIFY(d.dialog->isVisible());
    QVERIFY(QTest::qWaitForWindowExposed(d.dialog));
    QTRY_COMPARE(QApplication::focusWidget(), d.address);

    // The form.
    QCOMPARE(d.dialog->size(), QSize(508, 380));
    QVERIFY(d.dialog->windowFlags() & Qt::FramelessWindowHint);
    QCOMPARE(d.dialog->windowModality(), Qt::ApplicationModal);
    QCOMPARE(d.dialog->findChild<QLabel *>("addDeviceStaticLabel")->text(),
             QStringLiteral("ADD NEW DEVICE"));
    QCOMPARE(d.dialog->findChild<QLabel *>("iPStaticLabel")->text(), QStringLiteral("IP"));
    QCOMPARE(d.dialog->findChild<QLabel *>("pwdStaticLabel")->text(), QStringLiteral("PASSWORD"));
    QCOMPARE(d.dialog->findChild<QLabel *>("confirmAndSaveLabel")->text(),
             QStringLiteral("confirm and save changes"));
    QCOMPARE(d.dialog->findChild<QLabel *>("discardChanges")->text(),
             QStringLiteral("discard changes"));
    QCOMPARE(d.ok->text(), QStringLiteral("OK"));
    QCOMPARE(d.cancel->text(), QStringLiteral("CANCEL"));
    QCOMPARE(d.address->geometry(), QRect(133, 108, 337, 30));
    QCOMPARE(d.password->geometry(), QRect(133, 174, 337, 30));
    QCOMPARE(d.ok->geometry(), QRect(38, 246, 197, 45));
    QCOMPARE(d.cancel->geometry(), QRect(270, 246, 197, 45));
    QCOMPARE(d.password->echoMode(), QLineEdit::Password);
    KivTest::saveShot(d.dialog, QStringLiteral("add-device"));

    // Both fields empty: posted as they are.
    QTest::mouseClick(d.ok, Qt::LeftButton);
    QCOMPARE(fake.lastCall("submitAddInstrument").args, (QVariantList{QString(), QString()}));

    // The operation asks again on every step: caret, focus and text stay where they are.
    QTest::mouseClick(d.address, Qt::LeftButton);
    QTest::keyClicks(d.address, QStringLiteral("10.0.0.17"));
    QTest::keyClick(d.address, Qt::Key_Left);
    QTest::keyClick(d.address, Qt::Key_Left);
    const int caret = d.address->cursorPosition();
    for (int i = 0; i < 3; ++i)
        d.controller->showView();
    QCoreApplication::sendPostedEvents(d.dialog);
    QCOMPARE(QApplication::focusWidget(), d.address);
    QCOMPARE(d.address->cursorPosition(), caret);
    QCOMPARE(d.address->text(), QStringLiteral("10.0.0.17"));

    // Submitted: the operation hides the dialog and shows its please-wait box.
    QTest::keyClick(d.address, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), d.password);
    QTest::keyClicks(d.password, QStringLiteral("pw 1"));
    QTest::keyClick(d.password, Qt::Key_Return);
    QCOMPARE(fake.lastCall("submitAddInstrument").args,
             (QVariantList{QStringLiteral("10.0.0.17"), QStringLiteral("pw 1")}));
    d.controller->hideView();
    d.controller->showPleaseWait(QStringLiteral("Please wait. Connecting..."));
    QTRY_VERIFY(d.dialog->isHidden());
    KivPleaseWaitBox *wait = pleaseWaitBox();
    QVERIFY(wait);
    QTRY_VERIFY(wait->isVisible());
    QCOMPARE(wait->findChild<QLabel *>("alertTextLabel")->text(),
             QStringLiteral("Please wait. Connecting..."));
    d.controller->hidePleaseWait();
    QTRY_VERIFY(wait->isHidden());

    // The next use starts with what was typed before, the focus in the address field.
    d.controller->showView();
    QTRY_VERIFY(d.dialog->isVisible());
    QCOMPARE(d.address->text(), QStringLiteral("10.0.0.17"));
    QCOMPARE(d.password->text(), QStringLiteral("pw 1"));
    QTRY_COMPARE(QApplication::focusWidget(), d.address);

    // A close request from the window system leaves it to the operation.
    QVERIFY(!d.dialog->close());
    QVERIFY(d.dialog->isVisible());
    QCOMPARE(fake.callCount("cancelAddInstrument"), 0);
}

void TestMainDialogs::addDeviceKeys_data()
{
    QTest::addColumn<QString>("focus"); // object name of the focused widget
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("call"); // what reaches the system, once; empty: nothing

    QTest::newRow("Return in the password field") << "pWDLineEdit" << int(Qt::Key_Return)
                                                  << "submitAddInstrument";
    QTest::newRow("Enter in the address field") << "iPLineEdit" << int(Qt::Key_Enter)
                                                << "submitAddInstrument";
    QTest::newRow("Return on OK") << "okButton" << int(Qt::Key_Return) << "submitAddInstrument";
    QTest::newRow("Return on CANCEL") << "cancelButton" << int(Qt::Key_Return)
                                      << "cancelAddInstrument";
    QTest::newRow("Enter on CANCEL") << "cancelButton" << int(Qt::Key_Enter)
                                     << "cancelAddInstrument";
    QTest::newRow("Escape") << "pWDLineEdit" << int(Qt::Key_Escape) << "cancelAddInstrument";
    QTest::newRow("a letter") << "pWDLineEdit" << int(Qt::Key_A) << "";
}

void TestMainDialogs::addDeviceKeys()
{
    QFETCH(QString, focus);
    QFETCH(int, key);
    QFETCH(QString, call);
    FakeSystem fake;
    AddDevice d = openAddDevice();
    QVERIFY(d.dialog);
    QTRY_VERIFY(d.dialog->isVisible());
    QVERIFY(QTest::qWaitForWindowExposed(d.dialog));
    QTest::keyClicks(d.address, QStringLiteral("192.168.1.20"));
    QTest::keyClicks(d.password, QStringLiteral("secret"));
    auto *target = d.dialog->findChild<QWidget *>(focus);
    target->setFocus(Qt::TabFocusReason);
    QTRY_COMPARE(QApplication::focusWidget(), target);

    QTest::keyClick(target, static_cast<Qt::Key>(key));
    QCoreApplication::processEvents();
    if (call.isEmpty()) {
        QCOMPARE(fake.callNames(), QStringList());
    } else {
        QCOMPARE(fake.callNames(), QStringList{call});
        if (call == QLatin1String("submitAddInstrument"))
            QCOMPARE(fake.lastCall(call).args,
                     (QVariantList{QStringLiteral("192.168.1.20"), QStringLiteral("secret")}));
    }
    // The dialog hides only when the operation says so.
    QVERIFY(d.dialog->isVisible());
}

void TestMainDialogs::deleteConfirmation()
{
    FakeSystem fake;
    ConfirmationViewController controller;
    QCOMPARE(controller.init(), 0);
    auto *dialog = qobject_cast<ConfirmationDialog *>(controller.getView());
    QVERIFY(dialog);
    auto *message = dialog->findChild<QLabel *>("confirmationMessage");
    auto *yes = dialog->findChild<QPushButton *>("okButton");
    auto *no = dialog->findChild<QPushButton *>("cancelButton");
    QCOMPARE(yes->text(), QStringLiteral("OK"));
    QCOMPARE(no->text(), QStringLiteral("CANCEL"));
    QCOMPARE(dialog->size(), QSize(426, 150));
    QCOMPARE(message->geometry(), QRect(42, 14, 340, 54));
    QCOMPARE(yes->geometry(), QRect(40, 94, 150, 45));
    QCOMPARE(no->geometry(), QRect(240, 94, 150, 45));

    // The progress texts of other operations show while the question is hidden.
    controller.showPleaseWait(QStringLiteral("Starting logging manual mode..."));
    KivPleaseWaitBox *wait = nullptr;
    QTRY_VERIFY((wait = pleaseWaitBox()) && wait->isVisible());
    QVERIFY(dialog->isHidden());
    QCOMPARE(wait->findChild<QLabel *>("alertTextLabel")->text(),
             QStringLiteral("Starting logging manual mode..."));
    controller.hidePleaseWait();
    QTRY_VERIFY(wait->isHidden());

    controller.showDeleteConfirmation();
    QTRY_VERIFY(dialog->isVisible());
    QVERIFY(QTest::qWaitForWindowExposed(dialog));
    QCOMPARE(message->text(),
             QStringLiteral("Are you sure you want to delete the selected audiogroups?"));
    QCOMPARE(yes->text(), QStringLiteral("Yes"));
    QCOMPARE(no->text(), QStringLiteral("No"));
    KivTest::saveShot(dialog, QStringLiteral("delete-confirmation"));

    // Asked again on every step: it stays, with its focus, and is not raised over a box
    // opened after it (that box alone takes input).
    no->setFocus(Qt::TabFocusReason);
    KIVAlertBox later(nullptr);
    later.setText(QStringLiteral("Could not generate reports; delete audiogroup operation "
                                 "pending."));
    later.show();
    ZOrderCounter raised;
    dialog->installEventFilter(&raised);
    for (int i = 0; i < 3; ++i)
        controller.showDeleteConfirmation();
    QCoreApplication::sendPostedEvents(dialog);
    QCOMPARE(raised.count, 0);
    QVERIFY(dialog->isVisible());
    QCOMPARE(dialog->focusWidget(), no);
    dialog->removeEventFilter(&raised);
    later.hide();

    // The answers; the dialog waits for the operation to hide it.
    QTest::mouseClick(yes, Qt::LeftButton);
    QTest::mouseClick(no, Qt::LeftButton);
    QTest::keyClick(dialog, Qt::Key_Escape);
    QCOMPARE(fake.callNames(), QStringList({"confirmDeleteAudiogroups", "cancelDeleteAudiogroups",
                                            "cancelDeleteAudiogroups"}));
    QVERIFY(dialog->isVisible());
    controller.hideView();
    QTRY_VERIFY(dialog->isHidden());
}

void TestMainDialogs::goToTimeKeys()
{
    std::unique_ptr<AGoToTimeView> view(
        GUIFactory::getInstance()->createViewAs<AGoToTimeView>(kViewTypeGoToTime));
    auto *dialog = qobject_cast<GoToTimeDialog *>(view.get());
    QVERIFY(dialog);
    auto *edit = dialog->findChild<QDateTimeEdit *>("dateTimeEdit");
    auto *ok = dialog->findChild<QPushButton *>("okButton");
    auto *cancel = dialog->findChild<QPushButton *>("cancelButton");
    QCOMPARE(dialog->size(), QSize(508, 290));
    QCOMPARE(edit->geometry(), QRect(120, 100, 341, 30));
    QCOMPARE(edit->displayFormat(), QStringLiteral("yyyy.MM.dd h:mm:ss"));
    QCOMPARE(edit->timeSpec(), Qt::UTC);
    QCOMPARE(dialog->findChild<QLabel *>("addDeviceStaticLabel")->text(),
             QStringLiteral("Go To Time"));
    QCOMPARE(dialog->findChild<QLabel *>("iPStaticLabel")->text(), QStringLiteral("TIME"));
    QCOMPARE(dialog->findChild<QLabel *>("iPStaticLabel_2")->text(),
             QStringLiteral("Format: YYYY.MM.DD  hh:mm:ss"));
    QCOMPARE(ok->text(), QStringLiteral("OK"));
    QCOMPARE(cancel->text(), QStringLiteral("CANCEL"));
    QSignalSpy moments(dialog, &GoToTimeDialog::GoToTime);

    dialog->showAndFocus();
    QVERIFY(QTest::qWaitForWindowExposed(dialog));
    QCOMPARE(dialog->focusWidget(), edit);
    edit->setDateTime(QDateTime::fromMSecsSinceEpoch(kTypedMs, Qt::UTC));
    KivTest::saveShot(dialog, QStringLiteral("go-to-time"));

    // OK, Return and Enter send the moment; the dialog stays for its receiver to hide.
    QTest::mouseClick(ok, Qt::LeftButton);
    QTest::keyClick(edit, Qt::Key_Return);
    QTest::keyClick(edit, Qt::Key_Enter);
    QCOMPARE(moments.count(), 3);
    for (const QList<QVariant> &moment : qAsConst(moments))
        QCOMPARE(moment.at(0).toLongLong(), kTypedMs);
    QVERIFY(dialog->isVisible());

    // Return with CANCEL focused cancels; so does Escape. The time typed stays.
    cancel->setFocus(Qt::TabFocusReason);
    QTest::keyClick(cancel, Qt::Key_Return);
    QVERIFY(dialog->isHidden());
    dialog->showAndFocus();
    QCOMPARE(dialog->focusWidget(), edit);
    QTest::keyClick(edit, Qt::Key_Escape);
    QVERIFY(dialog->isHidden());
    QCOMPARE(moments.count(), 3);
    QCOMPARE(edit->dateTime().toMSecsSinceEpoch(), kTypedMs);
}

void TestMainDialogs::goToTimeIsUtc_data()
{
    QTest::addColumn<QString>("zone");
    QTest::newRow("UTC") << "UTC";
    QTest::newRow("Berlin, the hour that does not exist there") << "Europe/Berlin";
    QTest::newRow("St. John's, half an hour off") << "America/St_Johns";
    QTest::newRow("Kiritimati, 14 hours ahead") << "Pacific/Kiritimati";
}

void TestMainDialogs::goToTimeIsUtc()
{
    QFETCH(QString, zone);
    const qint64 before = QDateTime::currentMSecsSinceEpoch();
    const KivTest::ChildResult child =
        KivTest::runChild(QStringLiteral("goToTime"), 30000, {QStringLiteral("TZ=") + zone});
    QVERIFY2(child.finished && child.exitCode == 0, child.err.constData());
    const QString out = QString::fromLocal8Bit(child.out).trimmed();
    const QStringList fields = out.split(QLatin1Char(' '));
    QVERIFY2(fields.size() >= 3, qPrintable(out));
    // The edit starts at the present moment, whatever the zone.
    const qint64 first = fields.at(0).section(QLatin1Char('='), 1).toLongLong();
    QVERIFY2(first >= before - 1000 && first <= QDateTime::currentMSecsSinceEpoch(),
             qPrintable(out));
    QCOMPARE(fields.at(1), QStringLiteral("moment=%1").arg(kTypedMs));
    QCOMPARE(out.section(QStringLiteral("text="), 1), QString::fromLatin1(kTypedText));
}

KIV_TEST_MAIN_WITH(TestMainDialogs, QApplication, goToTimeChild)
#include "tst_maindialogs.moc"
