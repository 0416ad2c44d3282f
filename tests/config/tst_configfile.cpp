#include "ConfigTestUtil.h"

#include <KivTest.h>
#include <KivUtils.h>
#include <SystemConfigXml.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QThread>
#include <QVector>

#include <ctime>

using namespace ConfigTestUtil;

namespace {

const QString kFile = QStringLiteral("_config.xml");

QString configPath() { return getDataFolderFilePath(kFile); }

// Alerts on, with the SMTP settings they need.
SystemConfig alertingSystem()
{
    SystemConfig sys;
    sys.setAlertsEnabled(true);
    SMTPConfig smtp;
    smtp.setHost(QStringLiteral("smtp.example.org"));
    smtp.setSenderEmailAddress(QStringLiteral("kiv@example.org"));
    sys.setSMTPConfig(smtp);
    return sys;
}

qint64 threadCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return qint64(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), qint64(bytes.size()));
}

AgConfig fullAg()
{
    AgConfig ag(QStringLiteral("Main L/R \"&<>'"));
    setFields(ag, QStringLiteral(
                      "AudioMode=5.1;LoudnessUnit=LUFS;LoudnessMinDb=-36;LoudnessMaxDb=9.5;"
                      "LoudnessMode=EBU R128;Domain=D1;TargetLoudness=-24;HasLoggingEnabled=0;"
                      "RefTPMax=-1.5;TPUpperThreshold=-1;TPUpperSecondaryThreshold=-2;"
                      "TPCountMainThreshold=2;TPCountSecondaryThreshold=3;MUpperThreshold=7;"
                      "MUpperSecondaryThreshold=6;MCountMainThreshold=4;MCountSecondaryThreshold=5;"
                      "SUpperThreshold=2.5;SUpperSecondaryThreshold=2;SCountMainThreshold=6;"
                      "SCountSecondaryThreshold=7;IUpperThreshold=1.5;IUpperCountMainThreshold=8;"
                      "ILowerThreshold=-1.5;ILowerCountMainThreshold=9;"
                      "IUpperSecondaryThreshold=0.5;IUpperCountSecondaryThreshold=10;"
                      "ILowerSecondaryThreshold=-0.5;ILowerCountSecondaryThreshold=11;"
                      "MainThresholdActiveState=0;SecondaryThresholdActiveState=1;"
                      "Autoreconnect=1;AlertsEnabled=0;Imported=1"));
    return ag;
}

// Every field off its default, with texts that need escaping.
SystemConfig fullConfig()
{
    SystemConfig sys;
    setFields(sys, QStringLiteral("ConfigVersion=2.5;StartWithOS=1;AutoStartLogging=0;"
                                  "AcquisitionTimeout=3500;BackupCheckTimeout=1000;"
                                  "PlotLiveModeBuffer=15000;NetworkRequestTimeout=300000;"
                                  "ManualAcquisitionOn=0;AlertsEnabled=1;"
                                  "CheckIAtProgramEndOnly=0;HideProgramId=1"));
    sys.setRangeSettings({15, 14, 13, 1, 2, 3, 4});
    SMTPConfig smtp;
    setFields(smtp, QStringLiteral("SenderEmailAddress=alerts@station.example.org;"
                                   "Host=smtp.example.org;Port=587;User=user & co;"
                                   "Password=p<a>ss\"' ]]>;ConnectionType=TCP"));
    sys.setSMTPConfig(smtp);
    ReportConfig report;
    report.setCompanyName(QString::fromUtf8("\xC3\x9Cnic\xC3\xB8" "de Broadcasting \xF0\x9F\x8E\xB5"));
    report.setCompanyAddress(QStringLiteral("Street 1\r\nSecond\tline"));
    report.setCompanyAddress2(QStringLiteral("  padded  "));
    sys.setReportConfig(report);
    AlertContactConfig ann, bob;
    ann.setName(QStringLiteral("Ann O'Neil"));
    ann.setEmail(QStringLiteral("ann@x.com"));
    bob.setName(QStringLiteral(" Bob <B> & \"Co\" "));
    bob.setEmail(QStringLiteral("bob@y.org"));
    sys.setAlertContacts({ann, bob});

    InstrumentConfig meter(QStringLiteral("Meter 1 & <2>"));
    setFields(meter, QStringLiteral("IpAdr=192.168.0.10;Port=8080;Pass=s&cret<;Manufacturer=Maker;"
                                    "ModelNumber=M-2;HardwareId=HW-9;SerialNumber=SN1;"
                                    "SoftwareVersion=4.2.1;PresetName=Preset A;"
                                    "ConfigurationID=c77;LastConfigurationChange=01/02/2020 03:04;"
                                    "TimeReference=UTC"));
    meter.setAgConfig(fullAg());
    AgConfig second(QStringLiteral("Ch 2"));
    second.setLoudnessMaxDb(0.1234567);
    meter.setAgConfig(second);
    InstrumentConfig zeta(QStringLiteral("Zeta"));
    zeta.setIpAdr(QStringLiteral("host.example"));
    zeta.setLastConfigurationChange(QStringLiteral("05/06/2021 07:08"));
    sys.setInstruments({zeta, meter});
    return sys;
}

void compareConfigs(const SystemConfig &actual, const SystemConfig &expected)
{
    QCOMPARE(allFields(actual), allFields(expected));
    QCOMPARE(actual.getRangeSettings(), expected.getRangeSettings());
    QCOMPARE(allFields(actual.getSMTPConfig()), allFields(expected.getSMTPConfig()));
    QCOMPARE(allFields(actual.getReportConfig()), allFields(expected.getReportConfig()));
    QCOMPARE(actual.getAlertContacts().size(), expected.getAlertContacts().size());
    for (int i = 0; i < expected.getAlertContacts().size(); ++i) {
        QCOMPARE(actual.getAlertContacts().at(i).getName(), expected.getAlertContacts().at(i).getName());
        QCOMPARE(actual.getAlertContacts().at(i).getEmail(), expected.getAlertContacts().at(i).getEmail());
    }
    const QList<InstrumentConfig> a = actual.getInstruments(), e = expected.getInstruments();
    QCOMPARE(a.size(), e.size());
    for (int i = 0; i < e.size(); ++i) {
        QCOMPARE(a.at(i).getName(), e.at(i).getName());
        QCOMPARE(allFields(a.at(i)), allFields(e.at(i)));
        const QList<AgConfig> aa = a.at(i).getAgConfigs(), ea = e.at(i).getAgConfigs();
        QCOMPARE(aa.size(), ea.size());
        for (int j = 0; j < ea.size(); ++j) {
            QCOMPARE(aa.at(j).getName(), ea.at(j).getName());
            QCOMPARE(allFields(aa.at(j)), allFields(ea.at(j)));
        }
    }
}

// Replaces the text of the first <element> after the anchor.
QByteArray editElement(const QByteArray &xml, const QString &anchor, const QString &element,
                       const QString &text)
{
    QString s = QString::fromUtf8(xml);
    const int from = anchor.isEmpty() ? 0 : s.indexOf(anchor);
    const QRegularExpression re(QStringLiteral("<%1>[^<]*</%1>|<%1/>").arg(element));
    const QRegularExpressionMatch m = re.match(s, from);
    if (from < 0 || !m.hasMatch())
        return QByteArray();
    s.replace(m.capturedStart(), m.capturedLength(),
              QStringLiteral("<%1>%2</%1>").arg(element, text));
    return s.toUtf8();
}

} // namespace

class TestConfigFile : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        QDir(getDataFolderPath()).removeRecursively();
        QVERIFY(createDataFolder());
    }

    void defaultFileText()
    {
        QCOMPARE(saveSystemConfigToFile(SystemConfig(), kFile), 0);
        const QByteArray expected =
            "<?xml version='1.0' encoding='UTF-8'?><SystemConfig>\n"
            " <ConfigVersion>1.0</ConfigVersion>\n"
            " <StartWithOS>0</StartWithOS>\n"
            " <AutoStartLogging>1</AutoStartLogging>\n"
            " <AcquisitionTimeout>2000</AcquisitionTimeout>\n"
            " <BackupCheckTimeout>600000</BackupCheckTimeout>\n"
            " <PlotLiveModeBuffer>2000</PlotLiveModeBuffer>\n"
            " <NetworkRequestTimeout>30000</NetworkRequestTimeout>\n"
            " <ManualAcquisitionOn>1</ManualAcquisitionOn>\n"
            " <AlertsEnabled>0</AlertsEnabled>\n"
            " <CheckIAtProgramEndOnly>1</CheckIAtProgramEndOnly>\n"
            " <HideProgramId>0</HideProgramId>\n"
            " <RangeSettings>\n"
            "  <Button0>0</Button0>\n"
            "  <Button1>2</Button1>\n"
            "  <Button2>3</Button2>\n"
            "  <Button3>7</Button3>\n"
            "  <Button4>9</Button4>\n"
            "  <Button5>11</Button5>\n"
            "  <Button6>13</Button6>\n"
            " </RangeSettings>\n"
            " <SMTPConfig>\n"
            "  <SenderEmailAddress></SenderEmailAddress>\n"
            "  <Host></Host>\n"
            "  <Port>465</Port>\n"
            "  <User></User>\n"
            "  <Password></Password>\n"
            "  <ConnectionType>SSL</ConnectionType>\n"
            " </SMTPConfig>\n"
            " <ReportConfig>\n"
            "  <CompanyName></CompanyName>\n"
            "  <CompanyAddress></CompanyAddress>\n"
            "  <CompanyAddress2></CompanyAddress2>\n"
            " </ReportConfig>\n"
            " <AlertContactsConfig/>\n"
            " <Instruments/>\n"
            "</SystemConfig>\n";
        QCOMPARE(readFile(configPath()), expected);
        const QFileDevice::Permissions perms = QFile::permissions(configPath());
        QVERIFY(perms.testFlag(QFileDevice::ReadOwner) && perms.testFlag(QFileDevice::WriteOwner));
        QCOMPARE(int(perms & 0x00FF), 0); // nothing for group and others

        QCOMPARE(loadSystemConfigFromFile(kFile).getRangeSettings(),
                 SystemConfig::defaultRangeSettings());
    }

    // Element order within the records comes from their getters (checked with the
    // records); here the nesting and the attributes.
    void instrumentAndAudioGroupLayout()
    {
        SystemConfig sys;
        InstrumentConfig meter(QStringLiteral("M"));
        meter.setAgConfig(AgConfig(QStringLiteral("A")));
        sys.addOrUpdateInstrument(meter);
        const QString text = systemConfigToXmlString(sys, false);
        QVERIFY(text.contains(QStringLiteral(" <Instruments>\n  <Instrument Name=\"M\">\n"
                                             "   <IpAdr></IpAdr>\n   <Port>80</Port>\n")));
        QVERIFY(text.contains(QStringLiteral("   <TimeReference></TimeReference>\n   <AudioGroups>\n"
                                             "    <AudioGroup SourceName=\"A\">\n"
                                             "     <AudioMode></AudioMode>\n")));
        QVERIFY(text.contains(QStringLiteral("     <LoudnessMinDb>-18</LoudnessMinDb>\n"
                                             "     <LoudnessMaxDb>10.5</LoudnessMaxDb>\n")));
        QVERIFY(text.endsWith(QStringLiteral("     <Imported>0</Imported>\n    </AudioGroup>\n"
                                             "   </AudioGroups>\n  </Instrument>\n"
                                             " </Instruments>\n</SystemConfig>\n")));
        QVERIFY(!systemConfigToXmlString(sys, true).contains(QStringLiteral("SMTPConfig")));
    }

    void roundTripKeepsEveryField()
    {
        const SystemConfig written = fullConfig();
        QCOMPARE(saveSystemConfigToFile(written, kFile), 0);
        const SystemConfig read = loadSystemConfigFromFile(kFile);
        compareConfigs(read, written);
        // Written with six significant digits.
        QCOMPARE(read.getAgConfig(QStringLiteral("Meter 1 & <2>"), QStringLiteral("Ch 2"))
                     .getLoudnessMaxDb(),
                 0.123457);
        QCOMPARE(systemConfigToXmlString(read, false), systemConfigToXmlString(written, false));
        QVERIFY(!QFile::exists(configPath() + QStringLiteral(".bad")));

        // The database copy leaves the SMTP settings out and reads back through a device.
        QByteArray copy = systemConfigToXmlString(written, true).toUtf8();
        QBuffer buffer(&copy);
        QVERIFY(buffer.open(QIODevice::ReadOnly));
        const SystemConfig fromCopy = loadSystemConfigFromInputDocument(&buffer);
        QCOMPARE(fromCopy.getInstruments().size(), 2);
        QCOMPARE(allFields(fromCopy.getAgConfig(QStringLiteral("Meter 1 & <2>"), fullAg().getName())),
                 allFields(fullAg()));
        QCOMPARE(fromCopy.getSMTPConfig().getHost(), QString());
        QCOMPARE(fromCopy.getReportConfig().getCompanyAddress2(), QStringLiteral("  padded  "));
        QCOMPARE(fromCopy.getRangeSettings(), SystemConfig::defaultRangeSettings());
    }

    // Only the first seven buttons are read; each must be a zoom level.
    void rangeButtons_data()
    {
        QTest::addColumn<QList<int>>("written");
        QTest::addColumn<QStringList>("edits");
        QTest::addColumn<QList<int>>("read");
        const QList<int> seven{1, 2, 3, 4, 5, 6, 7};
        QTest::newRow("seven") << seven << QStringList() << seven;
        QTest::newRow("nine") << QList<int>{9, 8, 7, 6, 5, 4, 3, 2, 1} << QStringList()
                              << QList<int>{9, 8, 7, 6, 5, 4, 3};
        QTest::newRow("not a number") << seven << QStringList{"Button2=x"}
                                      << QList<int>{1, 2, 0, 4, 5, 6, 7};
        QTest::newRow("out of range") << seven << QStringList{"Button0=16", "Button6=-1"}
                                      << QList<int>{0, 2, 3, 4, 5, 6, 0};
        // Fewer than seven: the default buttons, not the file's few.
        const QList<int> defaults = SystemConfig::defaultRangeSettings();
        QTest::newRow("one empty") << seven << QStringList{"Button3="} << defaults;
        QTest::newRow("four") << seven << QStringList{"Button4=", "Button5=", "Button6="}
                              << defaults;
        QTest::newRow("seven unsorted, as stored")
            << QList<int>{13, 0, 15, 2, 2, 7, 1} << QStringList()
            << QList<int>{13, 0, 15, 2, 2, 7, 1};
    }
    void rangeButtons()
    {
        QFETCH(QList<int>, written);
        QFETCH(QStringList, edits);
        SystemConfig sys;
        sys.setRangeSettings(written);
        QByteArray xml = systemConfigToXmlString(sys, false).toUtf8();
        for (const QString &edit : edits)
            xml = editElement(xml, QStringLiteral("<RangeSettings>"), edit.section('=', 0, 0),
                              edit.section('=', 1));
        writeFile(configPath(), xml);
        QTEST(loadSystemConfigFromFile(kFile).getRangeSettings(), "read");
    }

    // Damaged values load as the repaired ones; texts are read as the file gives them.
    void damagedValues_data()
    {
        QTest::addColumn<QStringList>("edits"); // "anchor|element|text"
        QTest::addColumn<QString>("record");    // system, instrument, ag, smtp
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<bool>("repaired"); // by the validators: logged, told, file kept
        auto row = [](const char *name, QStringList edits, const char *record, const char *field,
                      const char *expected, bool repaired) {
            QTest::newRow(name) << edits << QString::fromLatin1(record)
                                << QString::fromLatin1(field) << QString::fromLatin1(expected)
                                << repaired;
        };
        row("int not a number", {"|AcquisitionTimeout|abc"}, "system", "AcquisitionTimeout", "3000", true);
        row("backup exponent", {"|BackupCheckTimeout|1e3"}, "system", "BackupCheckTimeout", "500000", true);
        row("buffer empty keeps default", {"|PlotLiveModeBuffer|"}, "system", "PlotLiveModeBuffer", "2000", false);
        row("request timeout low", {"|NetworkRequestTimeout|9999"}, "system", "NetworkRequestTimeout", "30000", true);
        row("bool true", {"|StartWithOS|true"}, "system", "StartWithOS", "1", false);
        row("bool TRUE", {"|AutoStartLogging|TRUE"}, "system", "AutoStartLogging", "0", false);
        row("bool digit 2", {"|AutoStartLogging|2"}, "system", "AutoStartLogging", "0", false);
        row("bool empty keeps default", {"|AutoStartLogging|"}, "system", "AutoStartLogging", "1", false);
        row("threshold not a number", {"<AudioGroup|TPUpperThreshold|x"}, "ag", "TPUpperThreshold", "-3", true);
        row("threshold nan", {"<AudioGroup|IUpperThreshold|nan"}, "ag", "IUpperThreshold", "1", true);
        row("threshold inf", {"<AudioGroup|SUpperThreshold|inf"}, "ag", "SUpperThreshold", "3", true);
        row("count not a number", {"<AudioGroup|SCountSecondaryThreshold|abc"}, "ag", "SCountSecondaryThreshold", "1", true);
        row("unit text kept", {"<AudioGroup|LoudnessUnit|LKFS"}, "ag", "LoudnessUnit", "LKFS", false);
        row("min db junk unchecked", {"<AudioGroup|LoudnessMinDb|x"}, "ag", "LoudnessMinDb", "-32767", false);
        row("instrument port", {"<Instrument|Port|99999"}, "instrument", "Port", "80", true);
        row("instrument port 0", {"<Instrument|Port|0"}, "instrument", "Port", "80", true);
        row("instrument ip with port", {"<Instrument|IpAdr|http://10.0.0.1:8080"}, "instrument", "IpAdr", "http://localhost", true);
        row("smtp port, alerts on", {"<SMTPConfig|Port|abc"}, "smtp", "Port", "465", true);
        row("smtp port, alerts off", {"<SMTPConfig|Port|abc", "|AlertsEnabled|0"}, "smtp", "Port", "-32767", false);
        row("connection word kept", {"<SMTPConfig|ConnectionType|ssl"}, "smtp", "ConnectionType", "ssl", false);
    }
    void damagedValues()
    {
        QFETCH(QStringList, edits);
        QFETCH(QString, record);
        QFETCH(QString, field);
        SystemConfig sys = alertingSystem();
        InstrumentConfig meter(QStringLiteral("M"));
        meter.setIpAdr(QStringLiteral("10.0.0.1"));
        meter.setAgConfig(AgConfig(QStringLiteral("A")));
        sys.addOrUpdateInstrument(meter);
        QByteArray xml = systemConfigToXmlString(sys, false).toUtf8();
        for (const QString &edit : edits) {
            const QStringList p = edit.split(QLatin1Char('|'));
            xml = editElement(xml, p.at(0), p.at(1), p.at(2));
            QVERIFY2(!xml.isEmpty(), qPrintable(edit));
        }
        writeFile(configPath(), xml);
        const int logged = KivTest::captureLog()->lines().size();
        ConfigLoadNotes notes;
        const SystemConfig read = loadSystemConfigFromFile(kFile, &notes);
        QString actual;
        if (record == QLatin1String("system"))
            actual = fieldText(read, field);
        else if (record == QLatin1String("instrument"))
            actual = fieldText(read.getInstrument(QStringLiteral("M")), field);
        else if (record == QLatin1String("ag"))
            actual = fieldText(read.getAgConfig(QStringLiteral("M"), QStringLiteral("A")), field);
        else
            actual = fieldText(read.getSMTPConfig(), field);
        QTEST(actual, "expected");
        // A refused address or port is named with its value; the instrument does not log, and
        // any later save keeps the value found rather than the stand-in.
        if (record == QLatin1String("instrument")) {
            QVERIFY(read.getInstrument(QStringLiteral("M")).getRefusedAtLoad().startsWith(field));
            const QString found = edits.first().section(QLatin1Char('|'), 2);
            QVERIFY(systemConfigToXmlString(read, false).contains(
                QStringLiteral("<%1>%2</%1>").arg(field, found)));
        }
        QVERIFY(!QFile::exists(configPath() + QStringLiteral(".bad")));

        QFETCH(bool, repaired);
        const QString repair = QStringLiteral("%1 \"%2\" changed to \"%3\"")
                                   .arg(field, edits.first().section(QLatin1Char('|'), 2), actual);
        const QStringList newLines = KivTest::captureLog()->lines().mid(logged);
        if (repaired) {
            QCOMPARE(notes.changes.filter(repair).size(), 1);
            QCOMPARE(newLines.filter(QStringLiteral("repaired: ")).filter(repair).size(), 1);
            QVERIFY2(notes.alertText().contains(repair), qPrintable(notes.alertText()));
            QCOMPARE(readFile(notes.keptCopy), xml);
            // The next start finds the same file (a refused value stays in it): no second
            // copy, the same one named.
            const QStringList copies = QDir(getDataFolderPath()).entryList({kFile + ".*.bad"});
            ConfigLoadNotes again;
            loadSystemConfigFromFile(kFile, &again);
            QCOMPARE(again.keptCopy, notes.keptCopy);
            QCOMPARE(again.changes, notes.changes);
            QCOMPARE(QDir(getDataFolderPath()).entryList({kFile + ".*.bad"}), copies);
        } else {
            QCOMPARE(notes.changes, QStringList());
            QVERIFY(notes.keptCopy.isEmpty());
        }
    }

    void firstDuplicateWins()
    {
        const QByteArray xml =
            "<?xml version='1.0' encoding='UTF-8'?><SystemConfig>"
            "<AcquisitionTimeout>3500</AcquisitionTimeout>"
            "<AcquisitionTimeout>2500</AcquisitionTimeout>"
            "<Unknown>1</Unknown>"
            "<AlertContactsConfig>"
            "<AlertContactConfig Name=\"Ann\"><Email>first@x.com</Email></AlertContactConfig>"
            "<AlertContactConfig Name=\"Ann\"><Email>second@x.com</Email></AlertContactConfig>"
            "</AlertContactsConfig>"
            "<Instruments>"
            "<Instrument Name=\"M\"><IpAdr>first</IpAdr><AudioGroups>"
            "<AudioGroup SourceName=\"A\"><TPUpperThreshold>-1</TPUpperThreshold></AudioGroup>"
            "<AudioGroup SourceName=\"A\"><TPUpperThreshold>-2</TPUpperThreshold></AudioGroup>"
            "<AudioGroup SourceName=\"B\"><x:Domain xmlns:x=\"urn:x\">prefixed</x:Domain></AudioGroup>"
            "</AudioGroups></Instrument>"
            "<Instrument Name=\"M\"><IpAdr>second</IpAdr><AudioGroups>"
            "<AudioGroup SourceName=\"C\"/></AudioGroups></Instrument>"
            "</Instruments></SystemConfig>";
        writeFile(configPath(), xml);
        const SystemConfig read = loadSystemConfigFromFile(kFile);
        QCOMPARE(read.getAcquisitionTimeout(), 3500);
        QCOMPARE(read.getAlertContacts().size(), 1);
        QCOMPARE(read.getAlertContacts().first().getEmail(), QStringLiteral("first@x.com"));
        QCOMPARE(read.getInstruments().size(), 1);
        const InstrumentConfig m = read.getInstrument(QStringLiteral("M"));
        QCOMPARE(m.getIpAdr(), QStringLiteral("first"));
        QCOMPARE(m.getAgConfigCount(), 2);
        QCOMPARE(m.getAgConfig(QStringLiteral("A")).getTPUpperThreshold(), -1.0);
        QCOMPARE(m.getAgConfig(QStringLiteral("B")).getDomain(), QStringLiteral("prefixed"));
        // A missing SMTP section leaves the defaults.
        QCOMPARE(read.getSMTPConfig().getConnectionType(), QStringLiteral("SSL"));
        QCOMPARE(read.getSMTPConfig().getPort(), 465);
    }

    // Audiogroups whose names give one database file: a file from before that was checked,
    // or edited by hand, loads the first of them only, so that no two controllers write
    // into one file; the log names both.
    void sharedDatabaseFileLoadsOnce_data()
    {
        QTest::addColumn<QStringList>("groups"); // "instrument|source"
        QTest::addColumn<QStringList>("loaded");
        QTest::addColumn<QString>("line");
        QTest::newRow("blank in a source name")
            << QStringList{"Studio|Main L", "Studio|MainL", "Studio|Other"}
            << QStringList{"Studio|Main L", "Studio|Other"}
            << "Audiogroup \"MainL\" of instrument \"Studio\" left out of the configuration: its "
               "database file I__StudioA__MainL_kivDb.db is that of audiogroup \"Main L\" of "
               "instrument \"Studio\"";
        QTest::newRow("blank in an instrument name")
            << QStringList{"Studio A|P1", "StudioA|P1", "StudioA|P2"}
            << QStringList{"Studio A|P1", "StudioA|P2"}
            << "Audiogroup \"P1\" of instrument \"StudioA\" left out of the configuration: its "
               "database file I__StudioAA__P1_kivDb.db is that of audiogroup \"P1\" of "
               "instrument \"Studio A\"";
        QTest::newRow("slash and underscore, letter case")
            << QStringList{"M|A/B", "M|A_B", "M|a_b"} << QStringList{"M|A/B"}
            << "Audiogroup \"a_b\" of instrument \"M\" left out of the configuration: its "
               "database file I__MA__a_b_kivDb.db is that of audiogroup \"A/B\" of instrument "
               "\"M\"";
        QTest::newRow("no shared file") << QStringList{"M|A", "M|B", "N|A"}
                                        << QStringList{"M|A", "M|B", "N|A"} << QString();
    }

    void sharedDatabaseFileLoadsOnce()
    {
        QFETCH(QStringList, groups);
        QFETCH(QStringList, loaded);
        QFETCH(QString, line);
        SystemConfig config;
        for (const QString &pair : groups) {
            const QString instrumentName = pair.section(QLatin1Char('|'), 0, 0);
            InstrumentConfig instrument = config.getInstrument(instrumentName);
            instrument.setName(instrumentName);
            AgConfig group;
            group.setName(pair.section(QLatin1Char('|'), 1));
            instrument.setAgConfig(group);
            config.addOrUpdateInstrument(instrument);
        }
        QCOMPARE(saveSystemConfigToFile(config, kFile), 0);
        const int logged = KivTest::captureLog()->lines().size();
        const SystemConfig read = loadSystemConfigFromFile(kFile);
        QStringList pairs;
        for (const InstrumentConfig &instrument : read.getInstruments()) {
            for (const AgConfig &group : instrument.getAgConfigs())
                pairs << instrument.getName() + QLatin1Char('|') + group.getName();
        }
        QCOMPARE(pairs, loaded);
        const QString log = KivTest::captureLog()->lines().mid(logged).join(QString());
        QCOMPARE(log.count(QStringLiteral(" left out of the configuration")),
                 groups.size() - loaded.size());
        QVERIFY2(log.contains(line), qPrintable(log));
    }

    void missingFileGivesDefaults()
    {
        const SystemConfig read = loadSystemConfigFromFile(kFile);
        QCOMPARE(systemConfigToXmlString(read, false), systemConfigToXmlString(SystemConfig(), false));
        QVERIFY(!QFile::exists(configPath()));
        QVERIFY(!QFile::exists(configPath() + QStringLiteral(".bad")));
    }

    // A file that cannot be a configuration is kept aside before anything can overwrite
    // it, and the log says why. Shapes that would hold the parser for minutes are refused
    // before it sees them.
    void unreadableFileIsKept_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("reason");
        const QByteArray full = systemConfigToXmlString(fullConfig(), false).toUtf8();
        const QByteArray head = "<?xml version='1.0' encoding='UTF-8'?><SystemConfig>";
        QTest::newRow("truncated") << full.left(full.size() / 2) << "not well-formed";
        QTest::newRow("junk") << QByteArray("\x01\x02junk\xff\xfe not xml at all")
                              << "not well-formed";
        QTest::newRow("invalid UTF-8")
            << head + "<ConfigVersion>a\xff\xfe</ConfigVersion></SystemConfig>"
            << "not well-formed";
        QTest::newRow("empty") << QByteArray() << "empty";
        QTest::newRow("foreign root")
            << QByteArray("<?xml version='1.0'?>"
                          "<Other><AcquisitionTimeout>3000</AcquisitionTimeout></Other>")
            << "\"Other\"";
        QTest::newRow("entities")
            << QByteArray(
                   "<?xml version='1.0'?><!DOCTYPE SystemConfig [<!ENTITY t '3500'>]>"
                   "<SystemConfig><AcquisitionTimeout>&t;</AcquisitionTimeout></SystemConfig>")
            << "document type";
        QTest::newRow("NUL byte") << head + QByteArray(2, '\0') + "</SystemConfig>"
                                  << "NUL";
        QTest::newRow("too large") << head + QByteArray(4 * 1024 * 1024, ' ') + "</SystemConfig>"
                                   << "larger than";
        QByteArray nested = head;
        for (int i = 0; i < 100000; ++i)
            nested += "<a xmlns:p" + QByteArray::number(i) + "='u'>";
        for (int i = 0; i < 100000; ++i)
            nested += "</a>";
        QTest::newRow("deep namespaces") << nested + "</SystemConfig>"
                                         << "nest deeper";
        QByteArray attributes = head + "<Instruments><Instrument Name='M' ";
        for (int i = 0; i < 100000; ++i)
            attributes += "a" + QByteArray::number(i) + "='1' ";
        QTest::newRow("attribute flood") << attributes + "/></Instruments></SystemConfig>"
                                         << "attributes";
    }
    void unreadableFileIsKept()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, reason);
        writeFile(configPath() + QStringLiteral(".bad"), "older bad file");
        // Two starts with a damaged file, within one second or not: two copies of their own.
        QStringList kept;
        for (int start = 0; start < 2; ++start) {
            writeFile(configPath(), content);
            const int logged = KivTest::captureLog()->lines().size();
            ConfigLoadNotes notes;
            const SystemConfig read = loadSystemConfigFromFile(kFile, &notes);
            QCOMPARE(systemConfigToXmlString(read, false),
                     systemConfigToXmlString(SystemConfig(), false));
            QVERIFY(!QFile::exists(configPath()));
            QVERIFY(notes.unreadable.contains(reason));
            QVERIFY(!kept.contains(notes.keptCopy));
            kept << notes.keptCopy;
            QCOMPARE(readFile(notes.keptCopy), content);
            QVERIFY(notes.alertText().contains(QStringLiteral("could not be read")));
            const QString line = KivTest::captureLog()->lines().value(logged);
            QVERIFY2(line.contains(QStringLiteral("cannot be read (")) && line.contains(reason) &&
                         line.contains(notes.keptCopy),
                     qPrintable(line));
        }
        QCOMPARE(readFile(configPath() + QStringLiteral(".bad")), QByteArray("older bad file"));
        QCOMPARE(QDir(getDataFolderPath())
                     .entryList({kFile + QStringLiteral(".*.bad")}, QDir::Files)
                     .size(),
                 2);
    }

    // Reading costs time in proportion to the file, however many records it holds: eight
    // times the records take about eight times as long, not sixty-four.
    void manyRecordsLoadInLinearTime()
    {
        auto loadMs = [](int count) -> qint64 {
            SystemConfig sys = alertingSystem();
            QList<InstrumentConfig> instruments;
            QList<AlertContactConfig> contacts;
            for (int i = 0; i < count; ++i) {
                InstrumentConfig meter(QStringLiteral("M%1").arg(i));
                meter.setIpAdr(QStringLiteral("10.0.%1.%2").arg(i / 200).arg(i % 200));
                if (i % 1000 == 0)
                    meter.setAgConfigs(
                        {AgConfig(QStringLiteral("A")), AgConfig(QStringLiteral("B"))});
                instruments.append(meter);
                AlertContactConfig contact;
                contact.setName(QStringLiteral("C%1").arg(i));
                contact.setEmail(QStringLiteral("c%1@example.org").arg(i));
                contacts.append(contact);
            }
            sys.setInstruments(instruments);
            sys.setAlertContacts(contacts);
            if (saveSystemConfigToFile(sys, kFile) != 0)
                return -1;
            // The thread's CPU time, best of three runs: a busy machine must not make a
            // linear load look quadratic.
            qint64 best = -1;
            for (int run = 0; run < 3; ++run) {
                const qint64 start = threadCpuMs();
                const SystemConfig read = loadSystemConfigFromFile(kFile);
                const qint64 elapsed = threadCpuMs() - start;
                if (read.getInstruments().size() != count ||
                    read.getAgConfigCount() != 2 * ((count + 999) / 1000) ||
                    read.getAlertContacts().size() != count ||
                    read.getAlertContacts().last().getEmail() != contacts.last().getEmail())
                    return -1;
                best = best < 0 ? elapsed : qMin(best, elapsed);
            }
            return best;
        };
        const qint64 small = loadMs(250);
        const qint64 large = loadMs(2000);
        QVERIFY(small >= 0 && large >= 0);
        QVERIFY2(large < 24 * qMax<qint64>(small, 10),
                 qPrintable(QStringLiteral("%1 ms, then %2 ms").arg(small).arg(large)));
    }

    void saveFailureKeepsOldFile()
    {
        QCOMPARE(saveSystemConfigToFile(fullConfig(), kFile), 0);
        const QByteArray before = readFile(configPath());
        // A folder where the file should be: nothing can be written.
        QVERIFY(QDir(getDataFolderPath()).mkpath(QStringLiteral("sub/_config.xml")));
        QCOMPARE(saveSystemConfigToFile(SystemConfig(), QStringLiteral("sub/_config.xml")), -1);
        QVERIFY(QFileInfo(getDataFolderFilePath(QStringLiteral("sub/_config.xml"))).isDir());
        // No data folder at all.
        QCOMPARE(saveSystemConfigToFile(SystemConfig(), QStringLiteral("missing/_config.xml")), -1);
        // More than the loader reads.
        SystemConfig huge;
        ReportConfig report;
        report.setCompanyName(QString(4 * 1024 * 1024, QLatin1Char('x')));
        huge.setReportConfig(report);
        QCOMPARE(saveSystemConfigToFile(huge, kFile), -1);
        QCOMPARE(readFile(configPath()), before);
        // An overwrite leaves no temporary file behind.
        QCOMPARE(saveSystemConfigToFile(SystemConfig(), kFile), 0);
        QCOMPARE(QDir(getDataFolderPath()).entryList(QDir::Files), QStringList{kFile});
    }

    // Each load builds its own queries: loads on several threads at once agree.
    void concurrentLoads()
    {
        const SystemConfig written = fullConfig();
        QCOMPARE(saveSystemConfigToFile(written, kFile), 0);
        const QString expected = systemConfigToXmlString(written, false);
        QVector<QString> seen(4);
        QVector<QThread *> threads;
        for (int t = 0; t < seen.size(); ++t) {
            threads << QThread::create([&seen, t] {
                for (int i = 0; i < 5; ++i) {
                    const QString text = systemConfigToXmlString(loadSystemConfigFromFile(kFile), false);
                    if (i == 0 || text != seen[t])
                        seen[t] = i == 0 ? text : QStringLiteral("differs");
                }
            });
            threads.last()->start();
        }
        for (QThread *thread : threads) {
            QVERIFY(thread->wait(30000));
            delete thread;
        }
        for (const QString &text : seen)
            QCOMPARE(text, expected);
    }

    // Characters XML cannot carry are dropped from text fields; the file still reads.
    void nonXmlCharactersAreDropped()
    {
        SystemConfig sys;
        ReportConfig report;
        report.setCompanyName(QStringLiteral("Bad") + QChar(0x1) + QStringLiteral("Name") + QChar(0xFFFF));
        sys.setReportConfig(report);
        InstrumentConfig meter(QStringLiteral("M"));
        meter.setIpAdr(QStringLiteral("10.0.0.1"));
        meter.setPresetName(QStringLiteral("P") + QChar(0x1B) + QStringLiteral("[0m"));
        sys.addOrUpdateInstrument(meter);
        QCOMPARE(saveSystemConfigToFile(sys, kFile), 0);
        const SystemConfig read = loadSystemConfigFromFile(kFile);
        QCOMPARE(read.getReportConfig().getCompanyName(), QStringLiteral("BadName"));
        QCOMPARE(read.getInstrument(QStringLiteral("M")).getPresetName(), QStringLiteral("P[0m"));
        QVERIFY(!QFile::exists(configPath() + QStringLiteral(".bad")));
    }
};

KIV_TEST_MAIN(TestConfigFile, QCoreApplication)
#include "tst_configfile.moc"
