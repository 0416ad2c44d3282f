#include <ConfigMetaTypes.h>
#include <KivTest.h>
#include <KivTypes.h>
#include <SystemConfig.h>
#include <SystemConfigSync.h>

#include <QMetaMethod>
#include <QThread>
#include <QVariant>

#include <atomic>

namespace {

AgConfig makeAg(const QString &name, double tpUpper)
{
    AgConfig ag(name);
    ag.setTPUpperThreshold(tpUpper);
    return ag;
}

// Every invokable getter name of a class, in declaration order.
QStringList getterNames(const QMetaObject &meta)
{
    QStringList names;
    for (int i = 0; i < meta.methodCount(); ++i) {
        const QByteArray sig = meta.method(i).methodSignature();
        if (sig.startsWith("get") && sig.size() > 3)
            names << QString::fromLatin1(sig.mid(3, sig.indexOf('(') - 3));
    }
    return names;
}

} // namespace

class TestConfigRecords : public QObject
{
    Q_OBJECT
private slots:
    void defaults()
    {
        SystemConfig sys;
        // Seven distinct levels, one per zoom button, in the order of their spans.
        QCOMPARE(sys.getRangeSettings(), (QList<int>{0, 2, 3, 7, 9, 11, 13}));
        QCOMPARE(sys.getAcquisitionTimeout(), 2000);
        QCOMPARE(sys.getBackupCheckTimeout(), 600000);
        QCOMPARE(sys.getSMTPConfig().getConnectionType(), QStringLiteral("SSL"));
        QCOMPARE(sys.getSMTPConfig().getPort(), 465);
        // Absent keys give default records with empty names.
        const InstrumentConfig absent = sys.getInstrument(QStringLiteral("nope"));
        QVERIFY(absent.getName().isEmpty());
        QCOMPARE(absent.getPort(), QStringLiteral("80"));
        const AgConfig ag = sys.getAgConfig(QStringLiteral("nope"), QStringLiteral("x"));
        QVERIFY(ag.getName().isEmpty());
        QCOMPARE(ag.getLoudnessUnit(), QStringLiteral("LU"));
        QCOMPARE(ag.getTargetLoudness(), -23.0);
    }

    // The getter order is the element order of the file.
    void reflectiveSurface()
    {
        QCOMPARE(getterNames(SystemConfig::staticMetaObject),
                 QStringList({"ConfigVersion", "StartWithOS", "AutoStartLogging",
                              "AcquisitionTimeout", "BackupCheckTimeout", "PlotLiveModeBuffer",
                              "NetworkRequestTimeout", "ManualAcquisitionOn", "AlertsEnabled",
                              "CheckIAtProgramEndOnly", "HideProgramId", "RangeSettings"}));
        QCOMPARE(getterNames(InstrumentConfig::staticMetaObject),
                 QStringList({"IpAdr", "Port", "Pass", "Manufacturer", "ModelNumber",
                              "HardwareId", "SerialNumber", "SoftwareVersion", "PresetName",
                              "ConfigurationID", "LastConfigurationChange", "TimeReference"}));
        QCOMPARE(getterNames(SMTPConfig::staticMetaObject),
                 QStringList({"SenderEmailAddress", "Host", "Port", "User", "Password",
                              "ConnectionType"}));
        QCOMPARE(getterNames(AlertContactConfig::staticMetaObject), QStringList({"Email"}));
        QCOMPARE(getterNames(AgConfig::staticMetaObject),
                 QStringList({"AudioMode", "LoudnessUnit", "LoudnessMinDb", "LoudnessMaxDb",
                              "LoudnessMode", "Domain", "TargetLoudness", "HasLoggingEnabled",
                              "RefTPMax", "TPUpperThreshold", "TPUpperSecondaryThreshold",
                              "TPCountMainThreshold", "TPCountSecondaryThreshold",
                              "MUpperThreshold", "MUpperSecondaryThreshold", "MCountMainThreshold",
                              "MCountSecondaryThreshold", "SUpperThreshold",
                              "SUpperSecondaryThreshold", "SCountMainThreshold",
                              "SCountSecondaryThreshold", "IUpperThreshold",
                              "IUpperCountMainThreshold", "ILowerThreshold",
                              "ILowerCountMainThreshold", "IUpperSecondaryThreshold",
                              "IUpperCountSecondaryThreshold", "ILowerSecondaryThreshold",
                              "ILowerCountSecondaryThreshold", "MainThresholdActiveState",
                              "SecondaryThresholdActiveState", "Autoreconnect", "AlertsEnabled",
                              "Imported"}));
    }

    void rangeSettingsPadding_data()
    {
        QTest::addColumn<QList<int>>("given");
        QTest::addColumn<QList<int>>("held");
        QTest::newRow("four") << QList<int>{0, 2, 7, 11} << QList<int>{0, 2, 7, 11, 0, 0, 0};
        QTest::newRow("empty") << QList<int>{} << QList<int>{0, 0, 0, 0, 0, 0, 0};
        QTest::newRow("nine") << QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 9}
                              << QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 9};
    }
    void rangeSettingsPadding()
    {
        QFETCH(QList<int>, given);
        QFETCH(QList<int>, held);
        SystemConfig sys;
        sys.setRangeSettings(given);
        QCOMPARE(sys.getRangeSettings(), held);
    }

    void thresholdLookups_data()
    {
        QTest::addColumn<int>("plotValue");
        QTest::addColumn<double>("upper");
        QTest::addColumn<double>("upperSecondary");
        QTest::addColumn<double>("lower");
        QTest::addColumn<double>("lowerSecondary");
        QTest::newRow("TP") << int(PlotValueTP) << -1.0 << -2.0 << 0.0 << 0.0;
        QTest::newRow("M") << int(PlotValueM) << 7.0 << 6.0 << 0.0 << 0.0;
        QTest::newRow("S") << int(PlotValueS) << 2.5 << 2.0 << 0.0 << 0.0;
        QTest::newRow("I") << int(PlotValueI) << 1.5 << 0.5 << -1.5 << -0.5;
        QTest::newRow("none") << 0 << 0.0 << 0.0 << 0.0 << 0.0;
        QTest::newRow("five") << 5 << 0.0 << 0.0 << 0.0 << 0.0;
    }
    void thresholdLookups()
    {
        QFETCH(int, plotValue);
        AgConfig ag(QStringLiteral("A"));
        ag.setTPUpperThreshold(-1.0);
        ag.setTPUpperSecondaryThreshold(-2.0);
        ag.setMUpperThreshold(7.0);
        ag.setMUpperSecondaryThreshold(6.0);
        ag.setSUpperThreshold(2.5);
        ag.setSUpperSecondaryThreshold(2.0);
        ag.setIUpperThreshold(1.5);
        ag.setIUpperSecondaryThreshold(0.5);
        ag.setILowerThreshold(-1.5);
        ag.setILowerSecondaryThreshold(-0.5);
        QTEST(ag.getUpperThreshold(plotValue), "upper");
        QTEST(ag.getUpperSecondaryThreshold(plotValue), "upperSecondary");
        QTEST(ag.getLowerThreshold(plotValue), "lower");
        QTEST(ag.getLowerSecondaryThreshold(plotValue), "lowerSecondary");
    }

    // A meter's report changes what the meter knows and keeps the user's settings.
    void instrumentUpdateMerges()
    {
        InstrumentConfig stored(QStringLiteral("Meter"));
        stored.setIpAdr(QStringLiteral("10.0.0.5"));
        stored.setPort(QStringLiteral("8080"));
        stored.setPass(QStringLiteral("secret"));
        AgConfig ag = makeAg(QStringLiteral("A"), -1.0);
        ag.setMCountMainThreshold(5);
        ag.setHasLoggingEnabled(false);
        stored.setAgConfig(ag);
        stored.setAgConfig(makeAg(QStringLiteral("OnlyStored"), -2.0));

        InstrumentConfig report(QStringLiteral("Meter"));
        report.setIpAdr(QStringLiteral("other"));
        report.setPass(QStringLiteral("x"));
        report.setModelNumber(QStringLiteral("M2"));
        report.setHardwareId(QStringLiteral("HW9"));
        report.setLastConfigurationChange(QStringLiteral("01/02/2020 10:00"));
        AgConfig reportedAg = makeAg(QStringLiteral("A"), 5.0);
        reportedAg.setLoudnessUnit(QStringLiteral("LUFS"));
        reportedAg.setTargetLoudness(-24.0);
        reportedAg.setLoudnessMinDb(-36.0);
        report.setAgConfig(reportedAg);
        report.setAgConfig(makeAg(QStringLiteral("OnlyReported"), 0.0));

        InstrumentConfig other(report);
        other.setName(QStringLiteral("Another"));
        InstrumentConfig untouched(stored);
        untouched.update(other);
        QCOMPARE(untouched.getModelNumber(), QString());

        stored.update(report);
        QCOMPARE(stored.getModelNumber(), QStringLiteral("M2"));
        QCOMPARE(stored.getHardwareId(), QStringLiteral("HW9"));
        QCOMPARE(stored.getLastConfigurationChange(), QStringLiteral("01/02/2020 10:00"));
        QCOMPARE(stored.getIpAdr() + stored.getPort() + stored.getPass(),
                 QStringLiteral("10.0.0.58080secret"));
        QCOMPARE(stored.getAgConfigCount(), 2);
        QVERIFY(!stored.hasAgConfig(QStringLiteral("OnlyReported")));
        const AgConfig merged = stored.getAgConfig(QStringLiteral("A"));
        QCOMPARE(merged.getLoudnessUnit(), QStringLiteral("LUFS"));
        QCOMPARE(merged.getTargetLoudness(), -24.0);
        QCOMPARE(merged.getLoudnessMinDb(), -36.0);
        QCOMPARE(merged.getTPUpperThreshold(), -1.0);
        QCOMPARE(merged.getMCountMainThreshold(), 5);
        QVERIFY(!merged.getHasLoggingEnabled());

        // SystemConfig::updateInstruments never adds an instrument.
        SystemConfig sys;
        sys.addOrUpdateInstrument(stored);
        report.setModelNumber(QStringLiteral("M3"));
        sys.updateInstruments({report, InstrumentConfig(QStringLiteral("Stranger"))});
        QCOMPARE(sys.getInstruments().size(), 1);
        QCOMPARE(sys.getInstrument(QStringLiteral("Meter")).getModelNumber(), QStringLiteral("M3"));
    }

    void addOrUpdateInstrumentKeepsStoredAudiogroups()
    {
        SystemConfig sys;
        InstrumentConfig first(QStringLiteral("Meter"));
        first.setIpAdr(QStringLiteral("old"));
        first.setAgConfig(makeAg(QStringLiteral("A"), -1.0));
        first.setAgConfig(makeAg(QStringLiteral("StoredOnly"), -2.0));
        sys.addOrUpdateInstrument(first);

        InstrumentConfig again(QStringLiteral("Meter"));
        again.setIpAdr(QStringLiteral("new"));
        again.setModelNumber(QStringLiteral("M9"));
        again.setAgConfig(makeAg(QStringLiteral("A"), 0.0));
        again.setAgConfig(makeAg(QStringLiteral("GivenOnly"), -4.0));
        sys.addOrUpdateInstrument(again);

        const InstrumentConfig held = sys.getInstrument(QStringLiteral("Meter"));
        QCOMPARE(held.getIpAdr(), QStringLiteral("new"));
        QCOMPARE(held.getModelNumber(), QStringLiteral("M9"));
        QCOMPARE(held.getAgConfig(QStringLiteral("A")).getTPUpperThreshold(), -1.0);
        QVERIFY(held.hasAgConfig(QStringLiteral("StoredOnly")));
        QVERIFY(held.hasAgConfig(QStringLiteral("GivenOnly")));
        QCOMPARE(sys.getAgConfigCount(), 3);
    }

    void keyedCollections()
    {
        SystemConfig sys;
        InstrumentConfig b(QStringLiteral("B")), a(QStringLiteral("A")), a2(QStringLiteral("A"));
        b.setIpAdr(QStringLiteral("1.2.3.4"));
        a.setIpAdr(QStringLiteral("1.2.3.4"));
        a2.setIpAdr(QStringLiteral("5.6.7.8"));
        sys.setInstruments({b, a, a2}); // a later Name replaces an earlier one
        QCOMPARE(sys.getInstruments().size(), 2);
        QCOMPARE(sys.getInstrument(QStringLiteral("A")).getIpAdr(), QStringLiteral("5.6.7.8"));
        QCOMPARE(sys.getInstrumentByIp(QStringLiteral("1.2.3.4")).getName(), QStringLiteral("B"));

        AlertContactConfig ann, bob, ann2;
        ann.setName(QStringLiteral("Ann"));
        bob.setName(QStringLiteral("Bob"));
        ann2.setName(QStringLiteral("Ann"));
        ann2.setEmail(QStringLiteral("new@x.com"));
        sys.setAlertContacts({bob, ann});
        sys.addOrUpdateAlertContact(ann2);
        QCOMPARE(sys.getAlertContacts().size(), 2);
        QCOMPARE(sys.getAlertContacts().at(1).getEmail(), QStringLiteral("new@x.com"));

        InstrumentConfig none(QStringLiteral("I"));
        QVERIFY(none.areAllAgConfigsImported());
        AgConfig imported(QStringLiteral("A"));
        imported.setImported(true);
        InstrumentConfig other(QStringLiteral("I"));
        other.setAgConfigs({imported, AgConfig(QStringLiteral("B"))});
        none.setAgConfigs({AgConfig(QStringLiteral("A")), AgConfig(QStringLiteral("B"))});
        QCOMPARE(none.getImportedStateMismatchAg(other), QStringLiteral("A"));
        QVERIFY(!none.hasImportedStateMismatch(none));
        // A file may give an audiogroup an empty SourceName.
        AgConfig unnamed;
        InstrumentConfig withUnnamed(QStringLiteral("I"));
        withUnnamed.setAgConfig(unnamed);
        unnamed.setImported(true);
        other.setAgConfigs({unnamed});
        QVERIFY(withUnnamed.hasImportedStateMismatch(other));
    }

    // Copies are deep: changing one leaves the other alone, also through QVariant.
    void copiesAreIndependent()
    {
        registerConfigMetaTypes();
        SystemConfig sys;
        InstrumentConfig inst(QStringLiteral("I"));
        inst.setAgConfig(makeAg(QStringLiteral("A"), -1.0));
        sys.addOrUpdateInstrument(inst);
        SMTPConfig smtp;
        smtp.setHost(QStringLiteral("mail"));
        sys.setSMTPConfig(smtp);

        SystemConfig copy(sys);
        inst.setAgConfig(makeAg(QStringLiteral("A"), -5.0));
        copy.addOrUpdateInstrument(inst); // stored audiogroups win: still -1
        copy.removeAgConfig(QStringLiteral("I"), QStringLiteral("A"));
        QVERIFY(sys.hasAgConfig(QStringLiteral("I"), QStringLiteral("A")));

        const QVariant v = QVariant::fromValue(sys);
        SystemConfig back = v.value<SystemConfig>();
        QCOMPARE(back.getSMTPConfig().getHost(), QStringLiteral("mail"));
        QCOMPARE(back.getAgConfig(QStringLiteral("I"), QStringLiteral("A")).getTPUpperThreshold(),
                 -1.0);
        QVERIFY(QMetaType::type("QList<AlertContactConfig>") != QMetaType::UnknownType);
    }

    // A reader sees the whole old or the whole new configuration, never a mixture.
    void syncHandsOutWholeConfigurations()
    {
        auto make = [](int generation) {
            SystemConfig sys;
            sys.setAcquisitionTimeout(generation);
            for (int i = 0; i < 5; ++i) {
                InstrumentConfig inst(QStringLiteral("I%1").arg(i));
                inst.setPass(QString::number(generation));
                AgConfig ag(QStringLiteral("A"));
                ag.setIUpperCountMainThreshold(generation);
                inst.setAgConfig(ag);
                sys.addOrUpdateInstrument(inst);
            }
            return sys;
        };
        SystemConfigSync sync;
        sync.setSystemConfig(make(0));
        std::atomic<bool> stop{false};
        QThread *writer = QThread::create([&] {
            for (int generation = 1; !stop.load(); ++generation)
                sync.setSystemConfig(make(generation % 2 ? 1 : 2));
        });
        writer->start();
        int mixed = 0;
        for (int round = 0; round < 3000; ++round) {
            const SystemConfig seen = sync.getSystemConfig();
            const int generation = seen.getAcquisitionTimeout();
            for (const InstrumentConfig &inst : seen.getInstruments()) {
                if (inst.getPass() != QString::number(generation) ||
                    inst.getAgConfig(QStringLiteral("A")).getIUpperCountMainThreshold() !=
                        generation)
                    ++mixed;
            }
        }
        stop = true;
        writer->wait();
        delete writer;
        QCOMPARE(mixed, 0);
    }
};

KIV_TEST_MAIN(TestConfigRecords, QCoreApplication)
#include "tst_configrecords.moc"
