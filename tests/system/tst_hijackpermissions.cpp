// The queue of hijack-permission requests between the meters and the hijack window.
#include <FakeSystem.h>
#include <KivTest.h>

#include <AInstrument.h>
#include <HijackPermissionManager.h>
#include <HijackRequestViewController.h>
#include <InstrumentManager.h>

#include <QElapsedTimer>
#include <QSignalSpy>

#include <memory>

namespace {

// Meters without acquisition; stopped and waited for however the test ends.
struct RunningInstruments
{
    InstrumentManager manager;
    ~RunningInstruments()
    {
        manager.stopAll();
        QElapsedTimer clock;
        clock.start();
        while (!manager.areAllFinished() && clock.elapsed() < 10000)
            QTest::qWait(10);
    }
};

} // namespace

class TestHijackPermissions : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { qRegisterMetaType<HijackPermissionRequest>(); }
    void requestQueue_data();
    void requestQueue();
};

// Each row is a script, steps parted by "; ", run against a manager, with meters "M1" and "M2"
// running:
//   add <meter> <result>        addRequest
//   add50 <meter>               50 requests, each held
//   step show <meter>|hide      one cycle: the window shows that meter's request, or hides
//   answer <which> <result>     answerRequest with the id of the request shown last
//                               ("shown"), of the one answered before ("previous") or an id
//                               no request has ("unknown"); 0 also hides the window
//   remove <meter>              the meter leaves the instrument manager
//   count <n>                   requests held
void TestHijackPermissions::requestQueue_data()
{
    QTest::addColumn<QString>("script");
    QTest::newRow("oldest first, shown until answered")
        << "add M1 0; add M2 0; count 2; step show M1; step show M1; answer shown 0; count 1; "
           "step show M2; answer shown 0; count 0; step hide";
    QTest::newRow("50 held, the 51st refused")
        << "add50 M1; add M2 -1; count 50; step show M1; answer shown 0; add M2 0; count 50; "
           "add M2 -1";
    QTest::newRow("a removed meter's request is dropped unanswered")
        << "add M1 0; add M2 0; step show M1; remove M1; step hide; count 1; step show M2; "
           "answer shown 0; count 0";
    QTest::newRow("an answer with another id changes nothing")
        << "add M1 0; add M2 0; step show M1; answer unknown -1; count 2; step show M1; "
           "answer shown 0; step show M2; answer previous -1; count 1; answer shown 0; "
           "answer shown -1";
}

void TestHijackPermissions::requestQueue()
{
    QFETCH(QString, script);
    FakeSystem fake;
    HijackRequestViewController view;
    FakeSystem::Objects objects;
    objects.hijackRequestViewController = &view;
    fake.setObjects(objects);
    RunningInstruments running;
    InstrumentManager &instruments = running.manager;
    fake.setInstrumentManager(&instruments);
    for (const char *name : {"M1", "M2"})
        QCOMPARE(instruments.addInstrument(false, InstrumentConfig(QString::fromLatin1(name))), 0);

    QSignalSpy shown(&view, &HijackRequestViewController::show);
    QSignalSpy hidden(&view, &HijackRequestViewController::hide);
    HijackPermissionManager manager;
    QString shownId;
    QString previousId;
    for (const QString &line : script.split(QStringLiteral("; "))) {
        const QStringList word = line.split(QLatin1Char(' '));
        const QString op = word.at(0);
        const int shows = shown.count();
        const int hides = hidden.count();
        if (op == QLatin1String("add")) {
            QVERIFY2(manager.addRequest(word.at(1)) == word.at(2).toInt(), qPrintable(line));
        } else if (op == QLatin1String("add50")) {
            for (int i = 0; i < HijackPermissionManager::kMaxRequests; ++i)
                QCOMPARE(manager.addRequest(word.at(1)), 0);
        } else if (op == QLatin1String("step")) {
            manager.step();
            if (word.at(1) == QLatin1String("hide")) {
                QVERIFY2(shown.count() == shows && hidden.count() == hides + 1, qPrintable(line));
            } else {
                QVERIFY2(shown.count() == shows + 1 && hidden.count() == hides, qPrintable(line));
                const auto request = shown.last().at(0).value<HijackPermissionRequest>();
                QVERIFY2(request.getInstrumentName() == word.at(2), qPrintable(line));
                shownId = request.getId();
            }
        } else if (op == QLatin1String("answer")) {
            const QString id = word.at(1) == QLatin1String("shown")      ? shownId
                               : word.at(1) == QLatin1String("previous") ? previousId
                                                                         : QStringLiteral("M1_0");
            const int expected = word.at(2).toInt();
            QVERIFY2(manager.answerRequest(id) == expected, qPrintable(line));
            QVERIFY2(hidden.count() == hides + (expected == 0 ? 1 : 0), qPrintable(line));
            if (expected == 0)
                previousId = id;
        } else if (op == QLatin1String("remove")) {
            std::unique_ptr<AInstrument> removed(instruments.removeInstrument(word.at(1)));
            QVERIFY(removed);
            removed->stop();
            QTRY_VERIFY(removed->areAllFinished());
        } else if (op == QLatin1String("count")) {
            QVERIFY2(manager.requestCount() == word.at(1).toInt(), qPrintable(line));
        } else {
            QFAIL(qPrintable("unknown step: " + line));
        }
    }
}

KIV_TEST_MAIN(TestHijackPermissions, QCoreApplication)

#include "tst_hijackpermissions.moc"
