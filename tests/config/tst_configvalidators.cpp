#include "ConfigTestUtil.h"

#include <ConfigNames.h>
#include <ConfigValidators.h>
#include <KivTest.h>
#include <TestConfigs.h>
#include <SystemConfig.h>

using namespace ConfigTestUtil;

namespace {

// True when every "Field=value" holds.
QString mismatches(const QObject &object, const QString &expected)
{
    QStringList out;
    for (const QString &part : expected.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QString field = part.section(QLatin1Char('='), 0, 0);
        const QString actual = fieldText(object, field);
        if (actual != part.section(QLatin1Char('='), 1))
            out << field + QStringLiteral(" is ") + actual;
    }
    return out.join(QStringLiteral(", "));
}

SMTPConfig validSmtp()
{
    SMTPConfig smtp;
    smtp.setHost(QStringLiteral("smtp.example.org"));
    smtp.setSenderEmailAddress(QStringLiteral("kiv@example.org"));
    return smtp;
}

using KivTest::contact;

} // namespace

class TestConfigValidators : public QObject
{
    Q_OBJECT
private slots:
    // Each row: changes to a default audiogroup, the message without repair, and what the
    // repair leaves ("" = valid, nothing repaired).
    void audioGroup_data()
    {
        QTest::addColumn<QString>("changes");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("repaired");
        const QString upper = QStringLiteral("Invalid Loudness Upper threshold value");
        const QString lower = QStringLiteral("Invalid Loudness Lower threshold value");
        const QString order = QStringLiteral("Upper threshold must be greather than the Lower");
        const QString m = QStringLiteral("Invalid Momentary threshold value");
        const QString s = QStringLiteral("Invalid Short threshold value");
        const QString tp = QStringLiteral("Invalid TruePeak value");
        const QString count = QStringLiteral("Invalid threshold count");

        QTest::newRow("defaults") << "" << "" << "";
        QTest::newRow("equal I pair") << "IUpperThreshold=1;IUpperSecondaryThreshold=1" << "" << "";
        QTest::newRow("secondary only") << "MainThresholdActiveState=0;SecondaryThresholdActiveState=1"
                                        << "" << "";
        QTest::newRow("none active") << "MainThresholdActiveState=0"
                                     << "At least one threshold must be active"
                                     << "MainThresholdActiveState=1;SecondaryThresholdActiveState=0";
        QTest::newRow("I secondary above main") << "IUpperSecondaryThreshold=1.5" << upper
                                                << "IUpperThreshold=1;IUpperSecondaryThreshold=1";
        QTest::newRow("I upper at 9") << "IUpperThreshold=9" << "" << "";
        QTest::newRow("I upper above 9") << "IUpperThreshold=9.01" << upper
                                         << "IUpperThreshold=1;IUpperSecondaryThreshold=1";
        QTest::newRow("I upper nan") << "IUpperThreshold=nan" << upper << "IUpperThreshold=1";
        QTest::newRow("I lower below -18") << "ILowerThreshold=-18.5" << lower
                                           << "ILowerThreshold=-1;ILowerSecondaryThreshold=-1";
        QTest::newRow("I lower at -18") << "ILowerThreshold=-18" << "" << "";
        QTest::newRow("I lower secondary below main")
            << "ILowerThreshold=-2;ILowerSecondaryThreshold=-3" << lower
            << "ILowerThreshold=-1;ILowerSecondaryThreshold=-1";
        // The lower check comes first: ILowerSecondary -1 lies below ILower 2.
        QTest::newRow("I lower above upper") << "ILowerThreshold=2" << lower
                                             << "IUpperThreshold=1;ILowerThreshold=-1;"
                                                "ILowerSecondaryThreshold=-1;IUpperSecondaryThreshold=1";
        QTest::newRow("I secondary crossed")
            << "IUpperSecondaryThreshold=0.5;ILowerSecondaryThreshold=0.8" << order
            << "IUpperThreshold=1;ILowerThreshold=-1;IUpperSecondaryThreshold=1;"
               "ILowerSecondaryThreshold=-1";
        QTest::newRow("M secondary above") << "MUpperSecondaryThreshold=8.5" << m
                                           << "MUpperThreshold=8;MUpperSecondaryThreshold=8";
        QTest::newRow("S above 9") << "SUpperThreshold=9.5" << s
                                   << "SUpperThreshold=3;SUpperSecondaryThreshold=3";
        QTest::newRow("TP at 9") << "TPUpperThreshold=9" << "" << "";
        QTest::newRow("TP above 9") << "TPUpperThreshold=9.5" << tp
                                    << "TPUpperThreshold=-3;TPUpperSecondaryThreshold=-3";
        QTest::newRow("TP at -18") << "TPUpperThreshold=-18;TPUpperSecondaryThreshold=-18" << ""
                                   << "";
        QTest::newRow("TP below -18") << "TPUpperThreshold=-18;TPUpperSecondaryThreshold=-18.5"
                                      << tp << "TPUpperThreshold=-3;TPUpperSecondaryThreshold=-3";
        QTest::newRow("TP nan") << "TPUpperThreshold=nan" << tp << "TPUpperThreshold=-3";
        QTest::newRow("damaged number") << "TPUpperThreshold=x" << tp << "TPUpperThreshold=-3";
        QTest::newRow("counts at bounds") << "MCountMainThreshold=1;TPCountSecondaryThreshold=99"
                                          << "" << "";
        QTest::newRow("count 0") << "IUpperCountMainThreshold=0" << count << "IUpperCountMainThreshold=1";
        QTest::newRow("count 100") << "TPCountSecondaryThreshold=100" << count
                                   << "TPCountSecondaryThreshold=1";
        QTest::newRow("count damaged") << "SCountSecondaryThreshold=abc" << count
                                       << "SCountSecondaryThreshold=1";
        QTest::newRow("threshold before count") << "ILowerCountMainThreshold=0;SUpperThreshold=10"
                                                << s << "ILowerCountMainThreshold=1;SUpperThreshold=3";
        QTest::newRow("every count")
            << "IUpperCountMainThreshold=0;ILowerCountMainThreshold=0;MCountMainThreshold=0;"
               "SCountMainThreshold=0;TPCountMainThreshold=0;IUpperCountSecondaryThreshold=0;"
               "ILowerCountSecondaryThreshold=0;MCountSecondaryThreshold=0;"
               "SCountSecondaryThreshold=0;TPCountSecondaryThreshold=0"
            << count
            << "IUpperCountMainThreshold=1;ILowerCountMainThreshold=1;MCountMainThreshold=1;"
               "SCountMainThreshold=1;TPCountMainThreshold=1;IUpperCountSecondaryThreshold=1;"
               "ILowerCountSecondaryThreshold=1;MCountSecondaryThreshold=1;"
               "SCountSecondaryThreshold=1;TPCountSecondaryThreshold=1";
    }
    void audioGroup()
    {
        QFETCH(QString, changes);
        QFETCH(QString, message);
        QFETCH(QString, repaired);
        AgConfig ag(QStringLiteral("A"));
        QVERIFY(setFields(ag, changes));
        const AgConfig before(ag);

        AgConfigValidator validator;
        validator.setConfig(&ag);
        QString text = QStringLiteral("old");
        QCOMPARE(validator.validate(text, false), message.isEmpty());
        QCOMPARE(text, message);
        QCOMPARE(allFields(ag), allFields(before)); // no repair without fix

        text = QStringLiteral("old");
        QCOMPARE(validator.validate(text, true), message.isEmpty());
        QCOMPARE(text, QString());
        QVERIFY2(mismatches(ag, repaired).isEmpty(), qPrintable(mismatches(ag, repaired)));
        // Repaired, it is valid.
        QVERIFY(validator.validate(text, false));
    }

    void noRecordIsInvalid()
    {
        QString message;
        AgConfigValidator validator;
        QVERIFY(!validator.validate(message, false));
        QVERIFY(!validator.validate(message, true));
    }

    void instrumentAddress_data()
    {
        QTest::addColumn<QString>("ip");
        QTest::addColumn<QString>("port");
        QTest::addColumn<bool>("imported");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<QString>("repairedIp");
        QTest::addColumn<QString>("repairedPort");
        const QString local = InstrumentConfigValidator::defaultIpAdr();
        QTest::newRow("dotted") << "192.168.0.10" << "80" << false << true << "192.168.0.10" << "80";
        QTest::newRow("host name") << "meter.example" << "1" << false << true << "meter.example" << "1";
        QTest::newRow("url without port") << "http://meter" << "49151" << false << true << "http://meter" << "49151";
        QTest::newRow("url with port") << "http://meter:8080" << "80" << false << false << local << "80";
        QTest::newRow("empty ip") << "" << "80" << false << false << local << "80";
        QTest::newRow("port 49152") << "10.0.0.1" << "49152" << false << false << "10.0.0.1" << "80";
        QTest::newRow("port 0") << "10.0.0.1" << "0" << false << false << "10.0.0.1" << "80";
        QTest::newRow("port negative") << "10.0.0.1" << "-1" << false << false << "10.0.0.1" << "80";
        QTest::newRow("port text") << "10.0.0.1" << "http" << false << false << "10.0.0.1" << "80";
        QTest::newRow("all imported") << "" << "x" << true << true << "" << "x";
    }
    void instrumentAddress()
    {
        QFETCH(QString, ip);
        QFETCH(QString, port);
        QFETCH(bool, imported);
        QFETCH(bool, valid);
        InstrumentConfig meter(QStringLiteral("M"));
        meter.setIpAdr(ip);
        meter.setPort(port);
        AgConfig ag(QStringLiteral("A"));
        ag.setImported(imported);
        meter.setAgConfig(ag);

        InstrumentConfigValidator validator;
        validator.setConfig(&meter);
        QString message;
        QCOMPARE(validator.validate(message, false), valid);
        QCOMPARE(message, valid ? QString() : QStringLiteral("Invalid ip address or port"));
        QCOMPARE(validator.validate(message, true), valid);
        QTEST(meter.getIpAdr(), "repairedIp");
        QTEST(meter.getPort(), "repairedPort");
    }

    void instrumentAudioGroups()
    {
        InstrumentConfig meter(QStringLiteral("M"));
        meter.setIpAdr(QStringLiteral("10.0.0.1"));
        AgConfig good(QStringLiteral("A"));
        AgConfig bad(QStringLiteral("B"));
        bad.setMCountMainThreshold(0);
        bad.setDomain(QStringLiteral("kept"));
        meter.setAgConfigs({good, bad});

        InstrumentConfigValidator validator;
        validator.setConfig(&meter);
        QString message;
        QVERIFY(!validator.validate(message, false));
        QCOMPARE(message, QStringLiteral("Error\nInstrument: M. Invalid threshold count in AudioGroup: B"));
        QCOMPARE(meter.getAgConfig(QStringLiteral("B")).getMCountMainThreshold(), 0);

        // The repair also goes on past a bad address.
        meter.setPort(QStringLiteral("99999"));
        QVERIFY(!validator.validate(message, true));
        QCOMPARE(meter.getPort(), QStringLiteral("80"));
        QCOMPARE(meter.getAgConfig(QStringLiteral("B")).getMCountMainThreshold(), 1);
        QCOMPARE(meter.getAgConfig(QStringLiteral("B")).getDomain(), QStringLiteral("kept"));
        QCOMPARE(meter.getAgConfigCount(), 2);
        QVERIFY(validator.validate(message, false));
    }

    void smtp_data()
    {
        QTest::addColumn<QString>("changes");
        QTest::addColumn<bool>("noHost");
        QTest::addColumn<bool>("fix");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("port");
        QTest::newRow("ssl") << "" << false << false << true << "" << 465;
        QTest::newRow("tcp port bounds") << "ConnectionType=TCP;Port=65535" << false << false << true << "" << 65535;
        QTest::newRow("port 0") << "Port=0" << false << false << true << "" << 0;
        QTest::newRow("lower-case type") << "ConnectionType=ssl" << false << false << false
                                         << "Unknown connection type." << 465;
        QTest::newRow("lower-case type, fix") << "ConnectionType=tcp" << false << true << false
                                              << "Unknown connection type." << 465;
        QTest::newRow("empty host") << "" << true << false << false << "Invalid fields in SMTP section." << 465;
        QTest::newRow("empty host keeps bad port") << "Port=-5" << true << true << false
                                                   << "Invalid fields in SMTP section." << -5;
        QTest::newRow("port 65536") << "Port=65536" << false << false << false << "Invalid SMTP port." << 65536;
        QTest::newRow("port -1") << "Port=-1" << false << false << false << "Invalid SMTP port." << -1;
        QTest::newRow("port repaired") << "Port=-32767" << false << true << false << "" << 465;
        QTest::newRow("bad sender") << "SenderEmailAddress=kiv@example" << false << false << false
                                    << "Invalid sender email address." << 465;
        QTest::newRow("bad sender after repair") << "Port=70000;SenderEmailAddress=x" << false << true << false
                                                 << "Invalid sender email address." << 465;
    }
    void smtp()
    {
        QFETCH(QString, changes);
        QFETCH(bool, noHost);
        QFETCH(bool, fix);
        SMTPConfig smtp = validSmtp();
        if (noHost)
            smtp.setHost(QString());
        QVERIFY(setFields(smtp, changes));
        SMTPConfigValidator validator;
        validator.setConfig(&smtp);
        QString message = QStringLiteral("old");
        QTEST(validator.validate(message, fix), "valid");
        QTEST(message, "message");
        QTEST(smtp.getPort(), "port");
    }

    void emailAddresses_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<bool>("valid");
        QTest::newRow("plain") << "a@b.com" << true;
        QTest::newRow("upper case") << "A.B+C_D%E-F@X-Y.ORG" << true;
        QTest::newRow("four letters") << "x@example.info" << true;
        QTest::newRow("five letters") << "x@example.abcde" << false;
        QTest::newRow("one letter") << "x@example.c" << false;
        QTest::newRow("no at") << "example.com" << false;
        QTest::newRow("blank") << "a b@c.com" << false;
        QTest::newRow("empty") << "" << false;
    }
    void emailAddresses()
    {
        QFETCH(QString, address);
        QTEST(isValidEmailAddress(address), "valid");
    }

    void contacts_data()
    {
        QTest::addColumn<QStringList>("entries"); // "Name|Email"
        QTest::addColumn<bool>("valid");
        QTest::addColumn<QString>("message");
        QTest::newRow("none") << QStringList() << true << "old";
        QTest::newRow("two") << QStringList{"Ann|ann@x.com", "Bob|bob@x.com"} << true << "old";
        QTest::newRow("duplicate before bad contact")
            << QStringList{"|bad", "Ann|ann@x.com", "Ann|other@x.com"} << false
            << "Duplicate alert contact name";
        QTest::newRow("empty name") << QStringList{"Ann|ann@x.com", "|bob@x.com"} << false
                                    << "Error in Alert Contact Config: First name and last name are "
                                       "mandatory fields !";
        QTest::newRow("bad address") << QStringList{"Ann|ann@x"} << false
                                     << "Error in Alert Contact Config: Invalid E-mail address !";
    }
    void contacts()
    {
        QFETCH(QStringList, entries);
        QList<AlertContactConfig> list;
        for (const QString &entry : entries)
            list << contact(entry.section('|', 0, 0), entry.section('|', 1));
        AlertContactConfigListValidator validator;
        validator.setConfig(&list);
        QString message = QStringLiteral("old");
        QTEST(validator.validate(message, true), "valid");
        QTEST(message, "message");
    }

    void systemRanges_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<int>("value");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<int>("repaired");
        const struct {
            const char *field;
            int min, max, repair;
        } ranges[] = {{"AcquisitionTimeout", 2000, 4000, 3000},
                      {"BackupCheckTimeout", 1000, 21600000, 500000},
                      {"PlotLiveModeBuffer", 0, 15000, 2000},
                      {"NetworkRequestTimeout", 10000, 300000, 30000}};
        for (const auto &r : ranges) {
            QTest::addRow("%s min-1", r.field) << r.field << r.min - 1 << false << r.repair;
            QTest::addRow("%s min", r.field) << r.field << r.min << true << r.min;
            QTest::addRow("%s max", r.field) << r.field << r.max << true << r.max;
            QTest::addRow("%s max+1", r.field) << r.field << r.max + 1 << false << r.repair;
            QTest::addRow("%s damaged", r.field) << r.field << -32767 << false << r.repair;
        }
    }
    void systemRanges()
    {
        QFETCH(QString, field);
        QFETCH(int, value);
        QFETCH(bool, valid);
        SystemConfig sys;
        QVERIFY(setField(sys, field, QString::number(value)));
        SystemConfigValidator validator;
        validator.setConfig(&sys);
        QString message = QStringLiteral("old");
        QCOMPARE(validator.validate(message, false), valid);
        QCOMPARE(message, valid ? QString() : QStringLiteral("Invalid System settings"));
        QCOMPARE(validator.validate(message, true), valid);
        QTEST(fieldText(sys, field).toInt(), "repaired");
    }

    void systemAlertsSection()
    {
        SystemConfig sys;
        SMTPConfig smtp;
        smtp.setPort(-1); // no host either
        sys.setSMTPConfig(smtp);
        sys.setAlertContacts({contact(QStringLiteral("Ann"), QStringLiteral("bad"))});
        SystemConfigValidator validator;
        validator.setConfig(&sys);
        QString message;
        // Alerts off: neither SMTP nor contacts are checked.
        QVERIFY(validator.validate(message, false));
        QVERIFY(validator.validate(message, true));

        sys.setAlertsEnabled(true);
        QVERIFY(!validator.validate(message, false));
        QCOMPARE(message, QStringLiteral("Invalid fields in SMTP section."));
        QVERIFY(!validator.validate(message, true));
        QCOMPARE(sys.getSMTPConfig().getPort(), -1);

        smtp = validSmtp();
        smtp.setPort(70000);
        sys.setSMTPConfig(smtp);
        QVERIFY(!validator.validate(message, false));
        QCOMPARE(message, QStringLiteral("Invalid SMTP port."));
        QVERIFY(!validator.validate(message, true));
        QCOMPARE(sys.getSMTPConfig().getPort(), 465);
        QCOMPARE(message, QStringLiteral("Error in Alert Contact Config: Invalid E-mail address !"));

        sys.setAlertContacts({contact(QStringLiteral("Ann"), QStringLiteral("ann@x.com"))});
        QVERIFY(validator.validate(message, false));
        QCOMPARE(message, QString());
    }

    void systemInstruments()
    {
        SystemConfig sys;
        InstrumentConfig a(QStringLiteral("A")), b(QStringLiteral("B"));
        a.setIpAdr(QStringLiteral("10.0.0.1"));
        AgConfig ag(QStringLiteral("G"));
        ag.setTPUpperThreshold(12.0);
        a.setAgConfig(ag);
        b.setAgConfig(AgConfig(QStringLiteral("H"))); // no address
        sys.setInstruments({a, b});
        sys.setAcquisitionTimeout(1);

        SystemConfigValidator validator;
        validator.setConfig(&sys);
        QString message;
        QVERIFY(!validator.validate(message, false));
        QCOMPARE(message, QStringLiteral("Invalid System settings"));
        sys.setAcquisitionTimeout(2000);
        QVERIFY(!validator.validate(message, false));
        QCOMPARE(message, QStringLiteral("Error\nInstrument: A. Invalid TruePeak value in AudioGroup: G"));

        QVERIFY(!validator.validate(message, true));
        QCOMPARE(sys.getAgConfig(QStringLiteral("A"), QStringLiteral("G")).getTPUpperThreshold(), -3.0);
        QCOMPARE(sys.getInstrument(QStringLiteral("B")).getIpAdr(),
                 InstrumentConfigValidator::defaultIpAdr());
        QVERIFY(validator.validate(message, false));
        QCOMPARE(message, QString());
    }

    void keyNames()
    {
        QString message;
        QVERIFY(checkConfigKeyName(QStringLiteral("Main L/R \"&<>"), QStringLiteral("Instrument"), &message));
        QVERIFY(!checkConfigKeyName(QStringLiteral("A") + QChar(0x7) + QStringLiteral("B"),
                                    QStringLiteral("Audiogroup"), &message));
        QCOMPARE(message, QStringLiteral("Audiogroup name \"AB\" holds characters that cannot be "
                                         "stored in the configuration file."));
        QVERIFY(!checkConfigKeyName(QString(), QStringLiteral("Contact"), &message));
        QCOMPARE(message, QStringLiteral("Contact name is empty."));
    }

    void databaseFileCollisions_data()
    {
        QTest::addColumn<QString>("instrument");
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("collidesWith"); // "instrument|source" or ""
        QTest::newRow("itself") << "Meter 1" << "Main L" << "";
        QTest::newRow("blank removed") << "Meter 1" << "MainL" << "Meter 1|Main L";
        QTest::newRow("instrument blank") << "Meter1" << "Main L" << "Meter 1|Main L";
        QTest::newRow("slash and underscore") << "A_B" << "x" << "A/B|x";
        QTest::newRow("case") << "a/b" << "X" << "A/B|x";
        QTest::newRow("other audiogroup") << "Meter 1" << "Main R" << "";
        QTest::newRow("other instrument") << "Meter 2" << "Main L" << "";
    }
    void databaseFileCollisions()
    {
        QFETCH(QString, instrument);
        QFETCH(QString, source);
        QFETCH(QString, collidesWith);
        SystemConfig sys;
        InstrumentConfig m1(QStringLiteral("Meter 1"));
        m1.setAgConfigs({AgConfig(QStringLiteral("Main L")), AgConfig(QStringLiteral("Main R"))});
        InstrumentConfig ab(QStringLiteral("A/B"));
        ab.setAgConfig(AgConfig(QStringLiteral("x")));
        sys.setInstruments({m1, ab});
        QString otherInstrument, otherSource;
        QCOMPARE(agDbFileCollides(sys, instrument, source, &otherInstrument, &otherSource),
                 !collidesWith.isEmpty());
        if (!collidesWith.isEmpty())
            QCOMPARE(otherInstrument + QLatin1Char('|') + otherSource, collidesWith);
    }
};

KIV_TEST_MAIN(TestConfigValidators, QCoreApplication)
#include "tst_configvalidators.moc"
