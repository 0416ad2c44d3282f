// Deleting audiogroups and switching logging through the system front, with a meter
// simulator on port 80 feeding the running system.
#include "SystemHarness.h"

#include <KivTest.h>

#include <ConfirmationViewController.h>
#include <InstrumentManager.h>
#include <KivUtils.h>
#include <SystemConfigXml.h>

#include <QFile>

namespace {

const QString kStudio = QStringLiteral("Studio");
const QString kP1 = QStringLiteral("Program 1");
const QString kP2 = QStringLiteral("Program 2");
const QString kP3 = QStringLiteral("Program 3");

QString dbPath(const QString &instrument, const QString &group)
{
    return getAgDbFilePath(instrument, group);
}

int sampleCount(const QString &group)
{
    return storedTimestamps(dbPath(kStudio, group)).size();
}

} // namespace

class TestConfigOps : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void deletesAudiogroups();
    void switchesLogging();

private:
    // Studio with the given audiogroups, logging; an SMTP server that must never reach the
    // databases.
    SystemConfig studioConfig(const QStringList &groups) const;
    // Each audiogroup database holds the current configuration, without SMTP settings.
    void verifyDatabaseConfigs(const QStringList &groups);
    void verifyEverythingPausedWhenApplied();

    SystemHarness m_harness;
    std::unique_ptr<SimulatedMeter> m_meter;
};

void TestConfigOps::initTestCase()
{
    if (!SimulatedMeter::canListenOnPort80())
        QSKIP("the meter cannot listen on port 80: not root, and not in a private network "
              "namespace (cmake/run-netns.sh)");
    SystemHarness::initGui();
}

void TestConfigOps::init()
{
    m_meter = std::make_unique<SimulatedMeter>(0);
    (*m_meter)->setInstrumentName(kStudio);
    (*m_meter)->setPassword(QStringLiteral("pw"));
    (*m_meter)->setAudioGroupNames({kP1, kP2, kP3});
    QVERIFY2(m_meter->listen(), qPrintable((*m_meter)->errorString()));
}

void TestConfigOps::cleanup()
{
    QVERIFY(m_harness.stop());
    m_meter.reset();
}

SystemConfig TestConfigOps::studioConfig(const QStringList &groups) const
{
    SystemConfig config;
    config.setAcquisitionTimeout(2000);
    SMTPConfig smtp = config.getSMTPConfig();
    smtp.setHost(QStringLiteral("mail.example.org"));
    config.setSMTPConfig(smtp);
    InstrumentConfig studio(kStudio);
    studio.setIpAdr(QStringLiteral("http://") + m_meter->address());
    studio.setPass(QStringLiteral("pw"));
    studio.setConfigurationID((*m_meter)->configurationId());
    QList<AgConfig> agConfigs;
    for (const QString &name : groups) {
        AgConfig group;
        group.setName(name);
        agConfigs.append(group);
    }
    studio.setAgConfigs(agConfigs);
    config.setInstruments({studio});
    return config;
}

void TestConfigOps::verifyDatabaseConfigs(const QStringList &groups)
{
    const QString expected = systemConfigToXmlString(m_harness.front()->getSystemConfig(), true);
    QVERIFY(!expected.contains(QStringLiteral("SMTPConfig")));
    for (const QString &group : groups)
        QTRY_COMPARE_WITH_TIMEOUT(storedConfigText(dbPath(kStudio, group)), expected, 10000);
}

void TestConfigOps::verifyEverythingPausedWhenApplied()
{
    const QList<bool> paused = m_harness.system()->pausedWhenApplied();
    QVERIFY(paused.size() >= 2); // start-up and at least one operation
    QVERIFY(!paused.contains(false));
}

void TestConfigOps::deletesAudiogroups()
{
    SystemConfig config = studioConfig({kP1, kP2, kP3});
    InstrumentConfig archive(QStringLiteral("Archive"));
    archive.setIpAdr(QStringLiteral("http://127.0.0.254"));
    AgConfig imported;
    imported.setName(QStringLiteral("Old"));
    imported.setImported(true);
    archive.setAgConfigs({imported});
    config.addOrUpdateInstrument(archive);
    QVERIFY(m_harness.start(config));
    const QString importedPath = dbPath(QStringLiteral("Archive"), QStringLiteral("Old"));
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(importedPath), 10000);
    for (const QString &group : {kP1, kP2, kP3})
        QTRY_VERIFY_WITH_TIMEOUT(sampleCount(group) > 0, 15000);

    ASystem *front = m_harness.front();
    RecordingSystem *system = m_harness.system();
    int confirmations = 0;
    QObject::connect(system->getConfirmationViewController(), &ConfirmationViewController::show,
                     system->getConfirmationViewController(),
                     [&confirmations] { ++confirmations; });

    // Refused: no alert, nothing changed.
    QCOMPARE(front->removeAudiogroups({{kStudio, kP2}}), 0);
    QTRY_VERIFY_WITH_TIMEOUT(confirmations > 0, 5000);
    QCOMPARE(front->cancelDeleteAudiogroups(), 0);
    QVERIFY(m_harness.waitForIdle());
    QVERIFY(system->alerts().isEmpty());
    QVERIFY(front->getSystemConfig().hasAgConfig(kStudio, kP2));

    // Confirmed: the audiogroups stop and leave the configuration; an instrument without
    // audiogroups goes with them.
    QMultiMap<QString, QString> selection;
    selection.insert(kStudio, kP2);
    selection.insert(QStringLiteral("Archive"), QStringLiteral("Old"));
    selection.insert(QStringLiteral("Nowhere"), QStringLiteral("Nothing"));
    QCOMPARE(front->removeAudiogroups(selection), 0);
    QCOMPARE(front->confirmDeleteAudiogroups(), 0);
    QVERIFY(m_harness.waitForAlert(QStringLiteral("Successfully deleted audiogroups")));
    QVERIFY(
        system->pleaseWaitTexts().contains(QStringLiteral("Deleting the selected audiogroups...")));

    for (const SystemConfig &held : {front->getSystemConfig(), SystemHarness::storedConfig()}) {
        QVERIFY(held.hasAgConfig(kStudio, kP1));
        QVERIFY(!held.hasAgConfig(kStudio, kP2));
        QVERIFY(held.hasAgConfig(kStudio, kP3));
        QVERIFY(!held.hasInstrument(QStringLiteral("Archive")));
    }
    InstrumentManager *manager = front->getInstrumentManager();
    QVERIFY(!manager->findAudioGroup(kStudio, kP2));
    QVERIFY(manager->findAudioGroup(kStudio, kP1));
    QVERIFY(!manager->findInstrument(QStringLiteral("Archive")));

    // The imported database goes once its controller has ended; the logged one stays and
    // no longer grows while the others do.
    QTRY_VERIFY_WITH_TIMEOUT(!QFile::exists(importedPath), 10000);
    QVERIFY(QFile::exists(dbPath(kStudio, kP2)));
    const int deletedCount = sampleCount(kP2);
    const int p1Count = sampleCount(kP1);
    const int p3Count = sampleCount(kP3);
    QTRY_VERIFY_WITH_TIMEOUT(sampleCount(kP1) > p1Count && sampleCount(kP3) > p3Count, 10000);
    QCOMPARE(sampleCount(kP2), deletedCount);

    verifyDatabaseConfigs({kP1, kP3});
    verifyEverythingPausedWhenApplied();
}

void TestConfigOps::switchesLogging()
{
    QVERIFY(m_harness.start(studioConfig({kP1, kP2})));
    ASystem *front = m_harness.front();
    RecordingSystem *system = m_harness.system();
    auto dataRequests = [this] { return (*m_meter)->requestCount(QStringLiteral("/getData")); };
    QTRY_VERIFY_WITH_TIMEOUT(sampleCount(kP1) > 0 && sampleCount(kP2) > 0, 15000);

    // Everything off: the file follows and the requests stop.
    QVERIFY(m_harness.applyAndWait([front] { return front->stopManualAcquisition(); }));
    QVERIFY(!SystemHarness::storedConfig().getManualAcquisitionOn());
    QVERIFY(!front->getSystemConfig().getManualAcquisitionOn());
    verifyDatabaseConfigs({kP1, kP2});
    int requests = dataRequests();
    QTest::qWait(4500);                      // two acquisition intervals and more
    QVERIFY(dataRequests() <= requests + 1); // one may have been on its way

    // On again: the samples missed meanwhile are fetched; none twice.
    QVERIFY(m_harness.applyAndWait([front] { return front->startManualAcquisition(); }));
    QVERIFY(SystemHarness::storedConfig().getManualAcquisitionOn());
    requests = dataRequests();
    QTRY_VERIFY_WITH_TIMEOUT(dataRequests() >= requests + 2, 10000);

    // One audiogroup off: the other goes on logging; the operations of one type queue once,
    // different types behind each other, oldest first.
    QVERIFY(m_harness.applyAndWait(
        [front] {
            // The second is refused while the first of its type is queued.
            return front->disableAgLogging(kStudio, kP2) + front->disableAgLogging(kStudio, kP1) +
                   front->enableAgLogging(kStudio, kP1);
        },
        2));
    SystemConfig stored = SystemHarness::storedConfig();
    QVERIFY(stored.getAgConfig(kStudio, kP1).getHasLoggingEnabled());
    QVERIFY(!stored.getAgConfig(kStudio, kP2).getHasLoggingEnabled());
    const int offCount = sampleCount(kP2);
    const int onCount = sampleCount(kP1);
    QTRY_VERIFY_WITH_TIMEOUT(sampleCount(kP1) >= onCount + 40, 15000);
    QVERIFY(sampleCount(kP2) <= offCount + 30); // at most a reply that was on its way

    // The audiogroup window's start: that audiogroup and the system logging on at once.
    QVERIFY(m_harness.applyAndWait([front] { return front->stopAutoAcquisition(); }));
    QVERIFY(m_harness.applyAndWait([front] { return front->startAcquisition(kStudio, kP2); }));
    stored = SystemHarness::storedConfig();
    QVERIFY(stored.getManualAcquisitionOn());
    QVERIFY(stored.getAgConfig(kStudio, kP2).getHasLoggingEnabled());
    const int resumedCount = sampleCount(kP2);
    QTRY_VERIFY_WITH_TIMEOUT(sampleCount(kP2) > resumedCount + 40, 15000);

    // Auto start leaves the system's logging off.
    QVERIFY(m_harness.applyAndWait([front] { return front->startAutoAcquisition(); }));
    QVERIFY(!SystemHarness::storedConfig().getManualAcquisitionOn());

    QCOMPARE(system->alerts(), QStringList());
    QCOMPARE(
        system->pleaseWaitTexts(),
        QStringList({"Stopping logging manual mode...", "Starting logging manual mode...",
                     "Updating audiogroup logging list...", "Updating audiogroup logging list...",
                     "Stopping logging auto mode...", "Starting logging for Studio Program 2...",
                     "Starting logging auto mode..."}));
    QCOMPARE(gapsOrDuplicates(dbPath(kStudio, kP1)), QString());
    QCOMPARE(gapsOrDuplicates(dbPath(kStudio, kP2)), QString());
    verifyDatabaseConfigs({kP1, kP2});
    verifyEverythingPausedWhenApplied();
}

KIV_TEST_MAIN(TestConfigOps, QApplication)
#include "tst_configops.moc"
