#include "ReportTestUtil.h"

#include <KivTest.h>
#include <KivTypes.h>
#include <ReportTask.h>
#include <ReportXMLComposer.h>

#include <QCoreApplication>
#include <QFile>
#include <QRegularExpression>

using namespace ReportTest;
using Programs = std::vector<Program>;

namespace {

const InstrumentConfig &storeInstrument()
{
    static const InstrumentConfig config(QStringLiteral("Golden"));
    return config;
}

// Meter names reach the report as the meter sends them, characters XML cannot carry
// included.
InstrumentConfig reportedInstrument()
{
    InstrumentConfig config(QStringLiteral("Studio <1> & \"A\" 'B'") + QChar(0x01) +
                            QChar(0xD800) + QStringLiteral("\u00e9"));
    config.setManufacturer(QStringLiteral("M\u00e4ker"));
    config.setModelNumber(QStringLiteral("LM-2"));
    config.setSerialNumber(QStringLiteral("SN 42"));
    config.setSoftwareVersion(QStringLiteral("2.1.0"));
    return config;
}

// An "LU" audiogroup: its limits are compared as they stand, so these give the limits
// agConfig() gives in LUFS, and the report lists the stored values.
AgConfig reportedAgConfig()
{
    AgConfig config = agConfig(QStringLiteral("Main & Back"));
    config.setLoudnessUnit(QStringLiteral("LU"));
    config.setMUpperThreshold(-8.0);
    config.setMUpperSecondaryThreshold(-10.0);
    config.setSUpperThreshold(-15.0);
    config.setSUpperSecondaryThreshold(-17.0);
    config.setIUpperThreshold(-22.0);
    config.setIUpperSecondaryThreshold(-22.5);
    config.setILowerThreshold(-24.0);
    config.setILowerSecondaryThreshold(-23.5);
    config.setLoudnessMode(QStringLiteral("EBU R128"));
    config.setAudioMode(QStringLiteral("5.1"));
    config.setDomain(QStringLiteral("Broadcast"));
    config.setMCountMainThreshold(2);
    return config;
}

// The report of the golden job below: one line, attributes in name order, start and end
// tags for empty elements, escaped text without what XML cannot carry.
const char *const kGolden =
    "<?xml version='1.0' encoding='UTF-8'?>"
    "<Report>"
    "<DateTime endDate=\"15.11.2023\" endTime=\"04:13\" startDate=\"14.11.2023\""
    " startTime=\"22:13\">"
    "</DateTime>"
    "<SegmentDuration>00:00</SegmentDuration>"
    "<CompanyName>Acme Broadcasting, </CompanyName>"
    "<Address1>1 Main St. &lt;Studio B&gt;</Address1>"
    "<InstrumentConfig firmware=\"2.1.0\" manufacturer=\"M\xc3\xa4ker\" model=\"LM-2\""
    " name=\"Studio &lt;1&gt; &amp; &quot;A&quot; 'B'\xc3\xa9\" presetName=\"\""
    " serialNo=\"SN 42\">"
    "</InstrumentConfig>"
    "<AgConfig audioMode=\"5.1\" domain=\"Broadcast\" loudnessUnit=\"LU\" mode=\"EBU R128\""
    " sourceName=\"Main &amp; Back\" target=\"-23.00\" targetUnit=\"LUFS\">"
    "<ThresholdMain>"
    "<Upper I=\"-22.00\" MMax=\"-8.00\" SMax=\"-15.00\" TPMax=\"-1.00\"></Upper>"
    "<Lower I=\"-24.00\" MMax=\"none\" SMax=\"none\" TPMax=\"none\"></Lower>"
    "</ThresholdMain>"
    "<ThresholdSecondary>"
    "<Upper I=\"-22.50\" MMax=\"-10.00\" SMax=\"-17.00\" TPMax=\"-2.00\"></Upper>"
    "<Lower I=\"-23.50\" MMax=\"none\" SMax=\"none\" TPMax=\"none\"></Lower>"
    "</ThresholdSecondary>"
    "</AgConfig>"
    "<LoudnessErrorCount>1</LoudnessErrorCount>"
    "<TPErrorCount>0</TPErrorCount>"
    "<Pgms count=\"5\">"
    "<Pgm pgmId=\"5\" start=\"22:13:20\" stop=\"22:13:40\">"
    "<Violations>"
    "<ThresholdMainViolation enabled=\"1\">"
    "<Upper I=\"1\" IColor=\"RED\" ICount=\"1\" MCount=\"1\" MMax=\"1\" MMaxColor=\"GREEN\""
    " SCount=\"0\" SMax=\"0\" SMaxColor=\"GREEN\" TPCount=\"0\" TPMax=\"0\""
    " TPMaxColor=\"GREEN\">"
    "</Upper>"
    "<Lower I=\"0\" IColor=\"GREEN\" ICount=\"0\"></Lower></ThresholdMainViolation>"
    "<ThresholdSecondaryViolation enabled=\"1\">"
    "<Upper I=\"1\" IColor=\"RED\" ICount=\"1\" MCount=\"1\" MMax=\"1\" MMaxColor=\"RED\""
    " SCount=\"1\" SMax=\"1\" SMaxColor=\"RED\" TPCount=\"1\" TPMax=\"1\""
    " TPMaxColor=\"RED\">"
    "</Upper>"
    "<Lower I=\"0\" IColor=\"GREEN\" ICount=\"0\"></Lower>"
    "</ThresholdSecondaryViolation>"
    "</Violations>"
    "<Samples>"
    "<Sample I=\"-24.50\" IColor=\"RED\" LRA=\"5.00\" LRAColor=\"black\" M=\"-5.00\""
    " MColor=\"RED\" S=\"-23.00\" SColor=\"BLACK\" TP=\"-10.00\" TPColor=\"BLACK\""
    " flag=\"-\" status=\"Reset\" time=\"22:13:20 (10:00:03)\">"
    "</Sample>"
    "<Sample I=\"-22.20\" IColor=\"YELLOW\" LRA=\"5.00\" LRAColor=\"black\" M=\"-23.00\""
    " MColor=\"BLACK\" S=\"-23.00\" SColor=\"BLACK\" TP=\"-1.00\" TPColor=\"YELLOW\""
    " flag=\"-\" status=\"\" time=\"22:13:27 (10:00:10)\">"
    "</Sample>"
    "<Sample I=\"-21.00\" IColor=\"RED\" LRA=\"5.00\" LRAColor=\"black\" M=\"-23.00\""
    " MColor=\"BLACK\" S=\"-16.00\" SColor=\"YELLOW\" TP=\"-10.00\" TPColor=\"BLACK\""
    " flag=\"-\" status=\"\" time=\"22:13:34 (10:00:15)\">"
    "</Sample>"
    "<Sample I=\"-21.50\" IColor=\"RED\" LRA=\"5.00\" LRAColor=\"black\" M=\"-10.00\""
    " MColor=\"BLACK\" S=\"-23.00\" SColor=\"BLACK\" TP=\"-10.00\" TPColor=\"BLACK\""
    " flag=\"-\" status=\"Stop\" time=\"22:13:40\">"
    "</Sample>"
    "</Samples>"
    "</Pgm>"
    "<Pgm pgmId=\"6\" start=\"22:13:50\" stop=\"22:13:50\">"
    "<Violations>"
    "<ThresholdMainViolation enabled=\"1\">"
    "<Upper I=\"0\" IColor=\"GREEN\" ICount=\"0\" MCount=\"0\" MMax=\"0\""
    " MMaxColor=\"GREEN\" SCount=\"0\" SMax=\"0\" SMaxColor=\"GREEN\" TPCount=\"0\""
    " TPMax=\"0\" TPMaxColor=\"GREEN\">"
    "</Upper>"
    "<Lower I=\"0\" IColor=\"GREEN\" ICount=\"0\"></Lower></ThresholdMainViolation>"
    "<ThresholdSecondaryViolation enabled=\"1\">"
    "<Upper I=\"0\" IColor=\"GREEN\" ICount=\"0\" MCount=\"0\" MMax=\"0\""
    " MMaxColor=\"GREEN\" SCount=\"0\" SMax=\"0\" SMaxColor=\"GREEN\" TPCount=\"0\""
    " TPMax=\"0\" TPMaxColor=\"GREEN\">"
    "</Upper>"
    "<Lower I=\"0\" IColor=\"GREEN\" ICount=\"0\"></Lower>"
    "</ThresholdSecondaryViolation>"
    "</Violations>"
    "<Samples>"
    "<Sample I=\"-23.00\" IColor=\"BLACK\" LRA=\"5.00\" LRAColor=\"black\" M=\"-23.00\""
    " MColor=\"BLACK\" S=\"-23.00\" SColor=\"BLACK\" TP=\"-10.00\" TPColor=\"BLACK\""
    " flag=\"-\" status=\"\" time=\"22:13:50 (10:00:30)\">"
    "</Sample>"
    "</Samples>"
    "</Pgm>"
    "</Pgms>"
    "</Report>";

// The element of that name, from its start tag to its end tag.
QString element(const QString &xml, const QString &name)
{
    const QRegularExpression pattern(
        QStringLiteral("<%1[ >].*?</%1>").arg(QRegularExpression::escape(name)));
    return pattern.match(xml).captured(0);
}

} // namespace

Q_DECLARE_METATYPE(std::vector<Program>)

class TestReportXml : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { KivTest::startLog(4); }

    // Five programs: 5 with errors and warnings of every kind, one without id, the
    // one-sample program 6, one starting at 0, and 5 again. Company, meter and audiogroup
    // texts that need escaping.
    void goldenDocument()
    {
        std::unique_ptr<AAgDataModel> model = freshStore(storeInstrument(), agConfig());
        std::vector<AgData> samples = programSamples(0, 20000, 5);
        samples[30].setM400ms(-5.0);        // 3.0 s: a momentary error,
        samples[30].setI(-24.5);            // below the lower limits,
        samples[30].setEvents(0x100000004); // a reset, with a high bit set
        samples[100].setTP(-1.0);           // 10.0 s: at the main limit, above the secondary
        samples[100].setI(-22.2);           // above the secondary upper limit
        samples[150].setS(-16.0);           // 15.0 s, in the final window: a warning,
        samples[150].setI(-21.0);           // above the upper limits
        samples[200].setM400ms(-10.0);      // 20.0 s, the last: at the secondary limit,
        samples[200].setI(-21.5);           // above the upper limits at the program's end
        samples[200].setEvents(2);
        samples[200].setTimecode(0);
        for (const AgData &sample : programSamples(20100, 29900, -1))
            samples.push_back(sample);
        samples.push_back(quietSample(30000, 6));
        for (const AgData &sample : programSamples(30100, 40000, 7))
            samples.push_back(sample);
        QCOMPARE(store(*model, samples), 0);

        ReportConfig company;
        company.setCompanyName(QStringLiteral("Acme Broadcasting"));
        company.setCompanyAddress(QStringLiteral("1 Main St. <Studio B>"));
        const std::vector<Program> programs = {
            Program(1, 5, kT0, kT0 + 20000),          Program(1, -1, kT0 + 20100, kT0 + 29900),
            Program(1, 6, kT0 + 30000, kT0 + 30000),  Program(1, 7, 0, kT0 + 40000),
            Program(1, 5, kT0 + 30100, kT0 + 40000)};
        ReportTask task(QStringLiteral("key"), true, company, reportedInstrument(),
                        reportedAgConfig(), programs, kT0, kT0 + 21600000);
        QVERIFY(calculateAll(task, *model));
        bool ok = false;
        const QString xml = compose(task, &ok);
        QVERIFY(ok);
        QCOMPARE(xml, QString::fromUtf8(kGolden));
    }

    void segmentDuration_data()
    {
        QTest::addColumn<Programs>("programs");
        QTest::addColumn<QString>("duration");
        QTest::newRow("no programs") << Programs{} << QStringLiteral("00:00");
        QTest::newRow("seconds are dropped")
            << Programs{Program(1, 1, kT0, kT0 + 3599999)} << QStringLiteral("00:59");
        QTest::newRow("90 minutes") << Programs{Program(1, 1, kT0, kT0 + 5400000)}
                                    << QStringLiteral("01:30");
        QTest::newRow("99 hours 59 minutes")
            << Programs{Program(1, 1, kT0, kT0 + 100), Program(1, 2, kT0 + 200, kT0 + 359940000)}
            << QStringLiteral("99:59");
        QTest::newRow("125 hours") << Programs{Program(1, 1, kT0, kT0 + 450000000)}
                                   << QStringLiteral("125:00");
        QTest::newRow("last program ends before the first starts")
            << Programs{Program(1, 1, kT0 + 9000000, kT0 + 9900000), Program(1, 2, kT0, kT0 + 10)}
            << QStringLiteral("00:00");
    }

    // Only the programs' times count; nothing is calculated.
    void segmentDuration()
    {
        QFETCH(Programs, programs);
        QFETCH(QString, duration);
        ReportTask task(QStringLiteral("key"), true, ReportConfig(), storeInstrument(),
                        agConfig(), programs, kT0, kT0 + 1000);
        const QString xml = compose(task);
        QCOMPARE(element(xml, QStringLiteral("SegmentDuration")),
                 QStringLiteral("<SegmentDuration>%1</SegmentDuration>").arg(duration));
        QCOMPARE(element(xml, QStringLiteral("Pgms")),
                 QStringLiteral("<Pgms count=\"%1\"></Pgms>").arg(programs.size()));
        if (programs.empty()) {
            QCOMPARE(element(xml, QStringLiteral("LoudnessErrorCount")),
                     QStringLiteral("<LoudnessErrorCount>0</LoudnessErrorCount>"));
            QCOMPARE(element(xml, QStringLiteral("TPErrorCount")),
                     QStringLiteral("<TPErrorCount>0</TPErrorCount>"));
        }
    }

    void settingsAndCompany_data()
    {
        QTest::addColumn<QString>("unit");
        QTest::addColumn<bool>("secondaryActive");
        QTest::addColumn<QString>("companyName");
        QTest::addColumn<QString>("address2");
        QTest::addColumn<QStringList>("present");
        QTest::addColumn<QStringList>("absent");
        QTest::newRow("LKFS, no company")
            << QStringLiteral("LKFS") << true << QString() << QString()
            << QStringList{QStringLiteral("loudnessUnit=\"LKFS\""),
                           QStringLiteral("targetUnit=\"LKFS\"")}
            << QStringList{QStringLiteral("<CompanyName>"), QStringLiteral("<Address1>"),
                           QStringLiteral("<Address2>")};
        QTest::newRow("no unit, second address line only")
            << QString() << true << QString() << QStringLiteral("Hall 3")
            << QStringList{QStringLiteral("loudnessUnit=\"\""),
                           QStringLiteral("targetUnit=\"LKFS\""),
                           QStringLiteral("</AgConfig><LoudnessErrorCount>"),
                           QStringLiteral("</DateTime><SegmentDuration>"),
                           QStringLiteral("<Address2>Hall 3</Address2><InstrumentConfig ")}
            << QStringList{QStringLiteral("<CompanyName>"), QStringLiteral("<Address1>")};
        // A switched-off set still shows its counts and colours.
        QTest::newRow("secondary set off")
            << QStringLiteral("LUFS") << false << QStringLiteral("A") << QString()
            << QStringList{QStringLiteral("targetUnit=\"LUFS\""),
                           QStringLiteral("<CompanyName>A, </CompanyName>"),
                           QStringLiteral("<ThresholdSecondaryViolation enabled=\"0\"><Upper "
                                          "I=\"0\" IColor=\"GREEN\" ICount=\"0\" MCount=\"0\"")}
            << QStringList{QStringLiteral("<Address1>")};
    }

    void settingsAndCompany()
    {
        QFETCH(QString, unit);
        QFETCH(bool, secondaryActive);
        QFETCH(QString, companyName);
        QFETCH(QString, address2);
        QFETCH(QStringList, present);
        QFETCH(QStringList, absent);
        AgConfig config = agConfig();
        config.setLoudnessUnit(unit);
        config.setSecondaryThresholdActiveState(secondaryActive);
        ReportConfig company;
        company.setCompanyName(companyName);
        company.setCompanyAddress2(address2);
        std::unique_ptr<AAgDataModel> model = freshStore(storeInstrument(), config);
        QCOMPARE(store(*model, programSamples(0, 5000, 3)), 0);
        ReportTask task(QStringLiteral("key"), true, company, storeInstrument(), config,
                        {Program(1, 3, kT0, kT0 + 5000)}, kT0, kT0 + 5000);
        QVERIFY(calculateAll(task, *model));
        const QString xml = compose(task);
        for (const QString &fragment : present)
            QVERIFY2(xml.contains(fragment), qPrintable(fragment));
        for (const QString &fragment : absent)
            QVERIFY2(!xml.contains(fragment), qPrintable(fragment));
    }

    void sampleColors_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<double>("value");
        QTest::addColumn<bool>("mainActive");
        QTest::addColumn<bool>("secondaryActive");
        QTest::addColumn<QString>("color");
        // True peak: main -1, secondary -2.
        QTest::newRow("TP above main") << int(PlotValueTP) << -0.5 << true << true << "RED";
        QTest::newRow("TP at main, above secondary")
            << int(PlotValueTP) << -1.0 << true << true << "YELLOW";
        QTest::newRow("TP at secondary") << int(PlotValueTP) << -2.0 << true << true << "BLACK";
        QTest::newRow("TP above both, main off")
            << int(PlotValueTP) << -0.5 << false << true << "YELLOW";
        QTest::newRow("TP above both, both off")
            << int(PlotValueTP) << -0.5 << false << false << "BLACK";
        // Momentary: main -8, secondary -10; short-term: main -15, secondary -17.
        QTest::newRow("M above main") << int(PlotValueM) << -7.0 << true << true << "RED";
        QTest::newRow("M above secondary, secondary off")
            << int(PlotValueM) << -9.0 << true << false << "BLACK";
        QTest::newRow("S above secondary") << int(PlotValueS) << -16.0 << true << true << "YELLOW";
        // Integrated: upper main -22, secondary -22.5; lower main -24, secondary -23.5.
        QTest::newRow("I above main upper") << int(PlotValueI) << -21.0 << true << true << "RED";
        QTest::newRow("I above secondary upper")
            << int(PlotValueI) << -22.2 << true << true << "YELLOW";
        QTest::newRow("I below main lower") << int(PlotValueI) << -24.5 << true << true << "RED";
        QTest::newRow("I below secondary lower")
            << int(PlotValueI) << -23.8 << true << true << "YELLOW";
        QTest::newRow("I at main lower") << int(PlotValueI) << -24.0 << true << false << "BLACK";
        QTest::newRow("unknown kind") << 5 << 100.0 << true << true << "BLACK";
    }

    void sampleColors()
    {
        QFETCH(int, kind);
        QFETCH(double, value);
        QFETCH(bool, mainActive);
        QFETCH(bool, secondaryActive);
        QFETCH(QString, color);
        AgConfig config = agConfig();
        config.setMainThresholdActiveState(mainActive);
        config.setSecondaryThresholdActiveState(secondaryActive);
        AgData sample = quietSample(0, 1);
        sample.setTP(kind == PlotValueTP ? value : -30.0);
        sample.setM400ms(kind == PlotValueM ? value : -30.0);
        sample.setS(kind == PlotValueS ? value : -30.0);
        if (kind == PlotValueI || kind == 5)
            sample.setI(value);
        QCOMPARE(sampleValueColor(kind, sample, config), color);
    }

    void eventStatus_data()
    {
        QTest::addColumn<qint64>("events");
        QTest::addColumn<QString>("status");
        QTest::newRow("start") << qint64(1) << QStringLiteral("Start");
        QTest::newRow("stop") << qint64(2) << QStringLiteral("Stop");
        QTest::newRow("reset") << qint64(4) << QStringLiteral("Reset");
        QTest::newRow("start and stop") << qint64(3) << QString();
        QTest::newRow("none") << qint64(0) << QString();
        QTest::newRow("high word ignored") << qint64(0x700000002) << QStringLiteral("Stop");
    }

    void eventStatus()
    {
        QFETCH(qint64, events);
        QFETCH(QString, status);
        AgData sample = quietSample(0, 1);
        sample.setEvents(events);
        QCOMPARE(eventStatusText(sample), status);
    }

    // A stream that cannot be written, or no stream or job at all: false, never an exception.
    void failedWrites()
    {
        ReportTask task(QStringLiteral("key"), true, ReportConfig(), storeInstrument(),
                        agConfig(), {}, kT0, kT0 + 1000);
        QFile full(QStringLiteral("/dev/full"));
        QVERIFY(full.open(QIODevice::WriteOnly));
        QTextStream stream(&full);
        QVERIFY(!ReportXMLComposer(&stream, &task).compose());

        QString text;
        QTextStream toText(&text);
        QVERIFY(!ReportXMLComposer(nullptr, &task).compose());
        QVERIFY(!ReportXMLComposer(&toText, nullptr).compose());
        toText.flush();
        QVERIFY(text.isEmpty());
    }
};

KIV_TEST_MAIN(TestReportXml, QCoreApplication)
#include "tst_reportxml.moc"
