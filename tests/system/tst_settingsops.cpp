// The settings dialog's save path and a meter's changed configuration, against the running
// system with a meter simulator on port 80.
#include "SystemHarness.h"

#include <KivTest.h>

#include <KivUtils.h>
#include <SettingsViewController.h>

#include <QDir>

#include <atomic>

namespace {

const QString kStudio = QStringLiteral("Studio");
const QString kP1 = QStringLiteral("P1");
const QString kP2 = QStringLiteral("P2");

QList<qint64> stamps(const QString &group)
{
    return storedTimestamps(getAgDbFilePath(kStudio, group));
}

double truePeak(const SystemConfig &config)
{
    return config.getAgConfig(kStudio, kP1).getTPUpperThreshold();
}

} // namespace

class TestSettingsOps : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void savesOnlyValidatedAndStoredSettings();
    void mergesMeterConfigurationWhileLogging();

private:
    SystemConfig studioConfig() const;
    // The dialog's edit of P1's true-peak threshold, as its audiogroup page hands it over.
    void editTruePeak(double value);

    SystemHarness m_harness;
    std::unique_ptr<SimulatedMeter> m_meter;
};

void TestSettingsOps::initTestCase()
{
    if (!SimulatedMeter::canListenOnPort80())
        QSKIP("the meter cannot listen on port 80: not root, and not in a private network "
              "namespace (cmake/run-netns.sh)");
    SystemHarness::initGui();
}

void TestSettingsOps::init()
{
    m_meter = std::make_unique<SimulatedMeter>(0);
    (*m_meter)->setInstrumentName(kStudio);
    (*m_meter)->setPassword(QStringLiteral("pw"));
    (*m_meter)->setAudioGroupNames({kP1, kP2});
    QVERIFY2(m_meter->listen(), qPrintable((*m_meter)->errorString()));
}

void TestSettingsOps::cleanup()
{
    // A failed test may leave the file blocked.
    QDir(getDataFolderFilePath(QStringLiteral("_config.xml"))).removeRecursively();
    QVERIFY(m_harness.stop());
    m_meter.reset();
}

SystemConfig TestSettingsOps::studioConfig() const
{
    SystemConfig config;
    config.setAcquisitionTimeout(2000);
    InstrumentConfig studio(kStudio);
    studio.setIpAdr(QStringLiteral("http://") + m_meter->address());
    studio.setPass(QStringLiteral("pw"));
    studio.setConfigurationID((*m_meter)->configurationId());
    QList<AgConfig> groups;
    for (const QString &name : {kP1, kP2}) {
        AgConfig group;
        group.setName(name);
        groups.append(group);
    }
    studio.setAgConfigs(groups);
    config.setInstruments({studio});
    return config;
}

void TestSettingsOps::editTruePeak(double value)
{
    SettingsViewController *settings = m_harness.system()->getSettingsViewController();
    AgConfig group = settings->getSystemConfig().getAgConfig(kStudio, kP1);
    group.setTPUpperThreshold(value);
    settings->onAudioGroupSettingsChanged(group, kStudio);
}

void TestSettingsOps::savesOnlyValidatedAndStoredSettings()
{
    QVERIFY(m_harness.start(studioConfig()));
    ASystem *front = m_harness.front();
    RecordingSystem *system = m_harness.system();
    SettingsViewController *settings = system->getSettingsViewController();
    std::atomic<int> shown{0};
    std::atomic<int> hidden{0};
    QObject::connect(settings, &SettingsViewController::show, settings, [&shown] { ++shown; });
    QObject::connect(settings, &SettingsViewController::hide, settings, [&hidden] { ++hidden; });
    const double before = truePeak(front->getSystemConfig());

    // Cancel: closed, nothing said, nothing changed.
    QCOMPARE(front->openSettings(), 0);
    QTRY_COMPARE_WITH_TIMEOUT(shown.load(), 1, 5000);
    editTruePeak(5.0);
    QCOMPARE(front->cancelSettings(), 0);
    QVERIFY(m_harness.waitForIdle());
    QTRY_VERIFY_WITH_TIMEOUT(hidden.load() >= 1, 5000);
    QCOMPARE(truePeak(front->getSystemConfig()), before);

    // Reopened: the saved configuration again, not the discarded edit.
    QCOMPARE(front->openSettings(), 0);
    QTRY_COMPARE_WITH_TIMEOUT(shown.load(), 2, 5000);
    QCOMPARE(truePeak(settings->getSystemConfig()), before);

    // Out of range: the validator's text, the dialog stays open with the edit.
    editTruePeak(20.0);
    hidden = 0;
    QCOMPARE(front->saveSettings(), 0);
    const QString invalid = QStringLiteral("Error\nInstrument: Studio. Invalid TruePeak value in "
                                           "AudioGroup: P1");
    QVERIFY(m_harness.waitForAlert(invalid));
    QCOMPARE(truePeak(settings->getSystemConfig()), 20.0);
    QCOMPARE(truePeak(SystemHarness::storedConfig()), before);

    // A file that cannot be written: not applied, and not reported as a success.
    editTruePeak(2.0);
    const QString configPath = getDataFolderFilePath(QStringLiteral("_config.xml"));
    QVERIFY(QFile::remove(configPath) && QDir().mkdir(configPath));
    QCOMPARE(front->saveSettings(), 0);
    QVERIFY(m_harness.waitForAlert(QStringLiteral("Could not save the settings change.")));
    QCOMPARE(truePeak(front->getSystemConfig()), before);
    QCOMPARE(system->getSystemController()->getConfigController().operationCount(), 1);
    QVERIFY(QDir(configPath).removeRecursively());

    // Corrected and saved: applied with everything paused, stored, the dialog closed.
    const int applied = system->pausedWhenApplied().size();
    QCOMPARE(front->saveSettings(), 0);
    QVERIFY(m_harness.waitForAlert(QStringLiteral("Settings changed successfully.")));
    QVERIFY(m_harness.waitForIdle());
    // The hide is queued to this thread.
    QTRY_COMPARE_WITH_TIMEOUT(hidden.load(), 1, 5000);
    QCOMPARE(truePeak(front->getSystemConfig()), 2.0);
    QCOMPARE(truePeak(SystemHarness::storedConfig()), 2.0);
    QCOMPARE(system->pausedWhenApplied().mid(applied), QList<bool>{true});
    QCOMPARE(system->alerts(), QStringList({invalid, "Could not save the settings change.",
                                            "Settings changed successfully."}));
}

void TestSettingsOps::mergesMeterConfigurationWhileLogging()
{
    QVERIFY(m_harness.start(studioConfig()));
    ASystem *front = m_harness.front();
    RecordingSystem *system = m_harness.system();
    QTRY_VERIFY_WITH_TIMEOUT(stamps(kP1).size() > 10, 15000);
    const int applied = system->pausedWhenApplied().size();

    // The meter is reconfigured: its next data reply says so (2), the device reads the
    // configuration, and the system takes it over.
    (*m_meter)->setIdentity(QStringLiteral("Loopback Instruments"), QStringLiteral("LM-200"),
                            QStringLiteral("SN-000002"));
    const QString id = (*m_meter)->changeConfigurationId();
    QTRY_COMPARE_WITH_TIMEOUT(SystemHarness::storedConfig().getInstrument(kStudio).getModelNumber(),
                              QStringLiteral("LM-200"), 15000);
    const InstrumentConfig stored = SystemHarness::storedConfig().getInstrument(kStudio);
    QCOMPARE(stored.getConfigurationID(), id);
    QCOMPARE(stored.getSerialNumber(), QStringLiteral("SN-000002"));
    QCOMPARE(stored.getPass(), QStringLiteral("pw")); // the user's fields stay
    QCOMPARE(front->getSystemConfig().getInstrument(kStudio).getConfigurationID(), id);

    // The device polls with the new id and logging goes on; nothing was paused, nothing
    // shown, no sample lost.
    const int count = stamps(kP1).size();
    QTRY_VERIFY_WITH_TIMEOUT(stamps(kP1).size() > count + 20, 15000);
    QCOMPARE((*m_meter)->lastRequest(QStringLiteral("/getData")).confid, id);
    QCOMPARE(system->pausedWhenApplied().size(), applied);
    QCOMPARE(system->alerts(), QStringList());
    QCOMPARE(gapsOrDuplicates(getAgDbFilePath(kStudio, kP1)), QString());
    QCOMPARE(gapsOrDuplicates(getAgDbFilePath(kStudio, kP2)), QString());
}

KIV_TEST_MAIN(TestSettingsOps, QApplication)
#include "tst_settingsops.moc"
