// Meters held by another client demand a hijack; the user's answer in the hijack window
// goes through the running system to the meters simulated on port 80.
#include "SystemHarness.h"

#include <KivTest.h>

#include <HijackRequestView.h>
#include <HijackRequestViewController.h>
#include <KivUtils.h>

#include <QDir>
#include <QLabel>
#include <QPushButton>

namespace {

const QString kStudio = QStringLiteral("Studio");
const QString kRadio = QStringLiteral("Radio");
const QString kP1 = QStringLiteral("P1");
const QString kP2 = QStringLiteral("P2");

// Logins that asked to take the meter over.
QList<MeterSimulator::Request> hijackLogins(MeterSimulator &meter)
{
    QList<MeterSimulator::Request> found;
    const QList<MeterSimulator::Request> requests = meter.requests();
    for (const MeterSimulator::Request &request : requests) {
        if (request.path == QLatin1String("/login") && request.hijack)
            found.append(request);
    }
    return found;
}

} // namespace

class TestHijack : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup();
    void allowTakesTheMeterOver();
    void denySwitchesLoggingOffForEachMeter();

private:
    std::unique_ptr<SimulatedMeter> heldMeter(int index, const QString &name);
    static InstrumentConfig instrument(const SimulatedMeter &meter, const QString &name,
                                       const QStringList &loggingOff = {});
    HijackRequestView *window() const;
    // The instrument the window asks about, once it is shown.
    QString shownInstrument() const;

    SystemHarness m_harness;
};

void TestHijack::initTestCase()
{
    if (!SimulatedMeter::canListenOnPort80())
        QSKIP("the meters cannot listen on port 80: not root, and not in a private network "
              "namespace (cmake/run-netns.sh)");
    SystemHarness::initGui();
}

void TestHijack::cleanup()
{
    QVERIFY(m_harness.stop());
}

std::unique_ptr<SimulatedMeter> TestHijack::heldMeter(int index, const QString &name)
{
    auto meter = std::make_unique<SimulatedMeter>(index);
    (*meter)->setInstrumentName(name);
    (*meter)->setPassword(QStringLiteral("pw"));
    (*meter)->setAudioGroupNames({kP1, kP2});
    (*meter)->setHistoryMs(5000);
    (*meter)->occupyByOtherClient();
    if (!meter->listen())
        return nullptr;
    return meter;
}

InstrumentConfig TestHijack::instrument(const SimulatedMeter &meter, const QString &name,
                                        const QStringList &loggingOff)
{
    InstrumentConfig config(name);
    config.setIpAdr(QStringLiteral("http://") + meter.address());
    config.setPass(QStringLiteral("pw"));
    config.setConfigurationID(meter->configurationId());
    QList<AgConfig> groups;
    for (const QString &source : {kP1, kP2}) {
        AgConfig group;
        group.setName(source);
        group.setHasLoggingEnabled(!loggingOff.contains(source));
        groups.append(group);
    }
    config.setAgConfigs(groups);
    return config;
}

HijackRequestView *TestHijack::window() const
{
    return qobject_cast<HijackRequestView *>(
        m_harness.system()->getHijackRequestViewController()->getView());
}

QString TestHijack::shownInstrument() const
{
    HijackRequestView *view = window();
    return view && view->isVisible() ? view->getRequest().getInstrumentName() : QString();
}

void TestHijack::allowTakesTheMeterOver()
{
    std::unique_ptr<SimulatedMeter> meter = heldMeter(0, kStudio);
    QVERIFY(meter);
    const QString holder = (*meter)->currentSession();
    SystemConfig config;
    config.setAcquisitionTimeout(2000);
    config.setInstruments({instrument(*meter, kStudio)});
    QVERIFY(m_harness.start(config));

    // The login is answered with 7; the window asks about the meter and nothing more
    // happens until the user answers.
    QTRY_COMPARE_WITH_TIMEOUT(shownInstrument(), kStudio, 10000);
    HijackRequestView *view = window();
    QCOMPARE(view->findChild<QLabel *>(QStringLiteral("confirmationMessage"))->text(),
             QStringLiteral("Instrument Studio needs to perform a hijack in order to continue "
                            "acquisition.\nChanged settings could lead to wrong renderings of "
                            "old data."));
    const QString shotDir = qEnvironmentVariable("KIV_SHOTS_DIR");
    if (!shotDir.isEmpty() && QDir().mkpath(shotDir))
        QVERIFY(view->grab().save(shotDir + QStringLiteral("/hijack.png")));
    QTest::qWait(1500);
    QCOMPARE((*meter)->requestCount(QStringLiteral("/getData")), 0);
    QVERIFY(hijackLogins(meter->meter()).isEmpty());

    // Allowed: one login takes the held session over, the window closes, logging runs.
    view->findChild<QPushButton *>(QStringLiteral("okButton"))->click();
    QTRY_VERIFY_WITH_TIMEOUT(!hijackLogins(meter->meter()).isEmpty(), 10000);
    const MeterSimulator::Request login = hijackLogins(meter->meter()).first();
    QVERIFY(login.hasHijackId);
    QCOMPARE(login.hijackId, holder);
    QTRY_VERIFY_WITH_TIMEOUT(view->isHidden(), 5000);
    QTRY_VERIFY_WITH_TIMEOUT(storedTimestamps(getAgDbFilePath(kStudio, kP1)).size() > 20, 10000);
    QCOMPARE(hijackLogins(meter->meter()).size(), 1);
    QVERIFY(m_harness.system()->alerts().isEmpty());
}

void TestHijack::denySwitchesLoggingOffForEachMeter()
{
    std::unique_ptr<SimulatedMeter> studio = heldMeter(0, kStudio);
    std::unique_ptr<SimulatedMeter> radio = heldMeter(1, kRadio);
    QVERIFY(studio && radio);
    SystemConfig config;
    config.setAcquisitionTimeout(2000);
    config.setInstruments({instrument(*studio, kStudio, {kP2}), instrument(*radio, kRadio)});
    QVERIFY(m_harness.start(config));
    ASystem *front = m_harness.front();

    // While the settings dialog holds the operation queue, both meters are denied: the
    // second meter's uncheck must queue behind the first one's.
    QCOMPARE(front->openSettings(), 0);
    QTRY_VERIFY_WITH_TIMEOUT(!shownInstrument().isEmpty(), 10000);
    const QString first = shownInstrument();
    const QString second = first == kStudio ? kRadio : kStudio;
    window()->findChild<QPushButton *>(QStringLiteral("cancelButton"))->click();
    QTRY_COMPARE_WITH_TIMEOUT(shownInstrument(), second, 5000);
    window()->findChild<QPushButton *>(QStringLiteral("cancelButton"))->click();
    QTRY_VERIFY_WITH_TIMEOUT(window()->isHidden(), 5000);
    QCOMPARE(front->cancelSettings(), 0);

    const QString studioDenied =
        QStringLiteral("Hijack deny successfull; audiogroups P1 acquisition has been set to off");
    const QString radioDenied = QStringLiteral(
        "Hijack deny successfull; audiogroups P1, P2 acquisition has been set to off");
    QVERIFY(m_harness.waitForAlert(studioDenied));
    QVERIFY(m_harness.waitForAlert(radioDenied));
    QVERIFY(m_harness.waitForIdle());
    QCOMPARE(m_harness.system()->pleaseWaitTexts(),
             QStringList({"Please wait; processing", "Please wait; processing"}));
    for (const SystemConfig &held : {front->getSystemConfig(), SystemHarness::storedConfig()}) {
        for (const QString &name : {kStudio, kRadio}) {
            for (const QString &group : {kP1, kP2})
                QVERIFY(!held.getAgConfig(name, group).getHasLoggingEnabled());
        }
    }

    // Released without a take-over: the meters stay with their holder, asked no more.
    const int logins = (*studio)->requestCount(QStringLiteral("/login")) +
                       (*radio)->requestCount(QStringLiteral("/login"));
    QTest::qWait(2500);
    QCOMPARE((*studio)->requestCount(QStringLiteral("/login")) +
                 (*radio)->requestCount(QStringLiteral("/login")),
             logins);
    QVERIFY(hijackLogins(studio->meter()).isEmpty());
    QVERIFY(hijackLogins(radio->meter()).isEmpty());
    QVERIFY(window()->isHidden());
}

KIV_TEST_MAIN(TestHijack, QApplication)
#include "tst_hijack.moc"
