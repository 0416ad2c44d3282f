// The hijack request window and its controller: what it shows and what its answers carry.
#include <FakeSystem.h>
#include <KivTest.h>

#include <GUIFactory.h>
#include <HijackRequestView.h>
#include <HijackRequestViewController.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>

namespace {

class ZOrderCounter : public QObject
{
public:
    explicit ZOrderCounter(int *count) : m_count(count) {}
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::ZOrderChange)
            ++*m_count;
        return false;
    }

private:
    int *m_count;
};

} // namespace

class TestHijackView : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void answersCarryTheRequestShownLast();
};

void TestHijackView::initTestCase()
{
    qRegisterMetaType<HijackPermissionRequest>("HijackPermissionRequest");
    GUIFactory::getInstance()->init();
}

void TestHijackView::answersCarryTheRequestShownLast()
{
    FakeSystem fake;
    {
        // Without its creator the factory builds a placeholder, which cannot ask.
        HijackRequestViewController unregistered;
        QCOMPARE(unregistered.init(), -1);
    }
    HijackRequestView::registerCreator();
    HijackRequestViewController controller;
    QCOMPARE(controller.init(), 0);
    auto *view = qobject_cast<HijackRequestView *>(controller.getView());
    QVERIFY(view);
    QVERIFY(view->isHidden());
    auto *message = view->findChild<QLabel *>(QStringLiteral("confirmationMessage"));
    auto *allow = view->findChild<QPushButton *>(QStringLiteral("okButton"));
    auto *deny = view->findChild<QPushButton *>(QStringLiteral("cancelButton"));
    QVERIFY(message && allow && deny);

    // Placeholders in the name go through unchanged, in the text and in the id.
    const HijackPermissionRequest studio(QStringLiteral("Studio %1 100%"), 1700000000123);
    QCOMPARE(studio.getId(), QStringLiteral("Studio %1 100%_1700000000123"));
    controller.showRequest(studio);
    QTRY_VERIFY(view->isVisible());
    QCOMPARE(message->text(),
             QStringLiteral("Instrument Studio %1 100% needs to perform a hijack in order to "
                            "continue acquisition.\nChanged settings could lead to wrong "
                            "renderings of old data."));

    // The system repeats the pending request every cycle: the window must not be raised
    // again each time, or it covers any box opened after it.
    int raised = 0;
    ZOrderCounter counter(&raised);
    view->installEventFilter(&counter);
    for (int i = 0; i < 3; ++i)
        controller.showRequest(studio);
    QCoreApplication::processEvents();
    QCOMPARE(raised, 0);
    view->removeEventFilter(&counter);

    // Two clicks before the system hides the window: two answers for the same request.
    allow->click();
    allow->click();
    QCOMPARE(fake.callCount(QStringLiteral("allowHijack")), 2);
    QCOMPARE(fake.lastCall(QStringLiteral("allowHijack")).args,
             QVariantList({studio.getInstrumentName(), studio.getId()}));
    QVERIFY(view->isVisible());

    // A newer request replaces the shown one; the answer is for the newer one.
    const HijackPermissionRequest radio(QStringLiteral("Radio"), 1700000000456);
    controller.showRequest(radio);
    QTRY_VERIFY(message->text().startsWith(QStringLiteral("Instrument Radio ")));
    deny->click();
    QCOMPARE(fake.callCount(QStringLiteral("denyHijack")), 1);
    QCOMPARE(fake.lastCall(QStringLiteral("denyHijack")).args,
             QVariantList({QStringLiteral("Radio"), radio.getId()}));

    emit controller.hide();
    QTRY_VERIFY(view->isHidden());
    // Once hidden, the same request shows the window again.
    controller.showRequest(radio);
    QTRY_VERIFY(view->isVisible());
}

KIV_TEST_MAIN(TestHijackView, QApplication)
#include "tst_hijackview.moc"
