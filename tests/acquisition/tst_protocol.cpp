#include <AcquisitionRequest.h>
#include <AcquisitionResponse.h>
#include <GetConfigRequest.h>
#include <GetConfigResponse.h>
#include <KivTest.h>
#include <LoginRequest.h>
#include <LoginResponse.h>
#include <ORQLogging.h>
#include <ReplyText.h>

#include "core/XMLTag.h"
#include "data/AgData.h"
#include "data/AgDataVector.h"

#include <QCoreApplication>
#include <QRegularExpression>

#include <cmath>
#include <memory>

namespace {

QString declared(const QString &body) { return QLatin1String(kXmlDeclaration) + body; }

// A reply with the usual header around the given content.
QString reply(const QString &content, const QString &code = QStringLiteral("0"),
              const QString &confid = QStringLiteral("cfg-7"))
{
    return QStringLiteral("<response><version>0.1</version><reqid>12</reqid>"
                          "<status><code>%1</code><text>OK</text></status>"
                          "<confid>%2</confid>%3</response>")
        .arg(code, confid, content);
}

const char *const kConfigReply = R"(<response>
 <version>0.1</version><reqid>3</reqid>
 <status><code>0</code><text>OK</text></status>
 <confid>cfg-42</confid>
 <LoudnessMeasurement>
  <Name>Meter &amp; Co</Name>
  <Manufacturer>Maker</Manufacturer>
  <ModelNumber>LM-1</ModelNumber>
  <HardwareID>HW-9</HardwareID>
  <SerialNumber>SN-5</SerialNumber>
  <SoftwareVersion>2.1</SoftwareVersion>
  <PresetName>Night</PresetName>
  <TimeReference>UTC</TimeReference>
  <DataSource>
   <SourceName>Main</SourceName>
   <AudioMode>5.1</AudioMode><Domain>TV</Domain><LoudnessMode>R128</LoudnessMode>
   <LoudnessUnit>LUFS</LoudnessUnit>
   <LoudnessMinDb>-36.5</LoudnessMinDb><LoudnessMaxDb>12.25</LoudnessMaxDb>
   <TargetLoudness>-24</TargetLoudness><RefTPMax>-2.5</RefTPMax>
   <ThresholdMinTP>-4.5</ThresholdMinTP><ThresholdMaxTP>-1.5</ThresholdMaxTP>
   <ThresholdMinMomentary>5.5</ThresholdMinMomentary><ThresholdMaxMomentary>7.5</ThresholdMaxMomentary>
   <ThresholdMinShort>1.25</ThresholdMinShort><ThresholdMaxShort>2.75</ThresholdMaxShort>
   <ThresholdMinIntegrated>-1.5</ThresholdMinIntegrated>
   <ThresholdMinIntegratedSecondary>-2.5</ThresholdMinIntegratedSecondary>
   <ThresholdMaxIntegrated>1.5</ThresholdMaxIntegrated>
   <ThresholdMaxIntegratedSecondary>2.5</ThresholdMaxIntegratedSecondary>
  </DataSource>
  <DataSource><SourceName>Blank unit</SourceName><LoudnessUnit>  </LoudnessUnit>
   <LoudnessMinDb>abc</LoudnessMinDb><LoudnessMaxDb>nan</LoudnessMaxDb>
   <TargetLoudness>inf</TargetLoudness><ThresholdMaxTP>1e99</ThresholdMaxTP></DataSource>
  <DataSource><AudioMode>lost</AudioMode></DataSource>
  <DataSource><SourceName>Twice</SourceName><AudioMode>first</AudioMode></DataSource>
  <DataSource><SourceName>Twice</SourceName><AudioMode>second</AudioMode></DataSource>
  <DataSource><SourceName>M&#xfc;ller</SourceName></DataSource>
 </LoudnessMeasurement>
</response>)";

const char *const kSample = R"(<AGData><tmCode>18446744073709551615</tmCode><tmStamp>1700000000100</tmStamp>
<pgmid>77</pgmid><TP>-1.25</TP><TPMax>-0.5</TPMax><M100ms>-20.5</M100ms><M400ms>-21.75</M400ms>
<MMax>-18</MMax><S>-22.5</S><SMax>-19.25</SMax><I>-23.125</I><LRA>6.5</LRA><SPL>81</SPL>
<Flags>9223372036854775807</Flags><EventList>5</EventList></AGData>)";

} // namespace

// The export-file reader will derive from both readers over one AResponse; this one
// does what it will do, so the shape is known to work.
class BothReader : public GetConfigResponse, public AcquisitionResponse
{
public:
    bool endDocument() override
    {
        GetConfigResponse::endDocument();
        return AcquisitionResponse::endDocument();
    }

protected:
    bool handleStartElement(const QString &name) override
    {
        GetConfigResponse::handleStartElement(name);
        return AcquisitionResponse::handleStartElement(name);
    }
    bool handleEndElement(const QString &name) override
    {
        if (isInLoudnessMeasurement())
            return GetConfigResponse::handleEndElement(name);
        if (isInList())
            return AcquisitionResponse::handleEndElement(name);
        return true;
    }
    bool isContentValid() const override
    {
        return !getInstrumentConfig().getName().isEmpty() &&
               getInstrumentConfig().getAgConfigCount() > 0;
    }
};

class TestProtocol : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { KivTest::startLog(4); }

    void requestTexts_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("expected");
        const QString head = QStringLiteral("<?xml version='1.0' encoding='UTF-8'?><Request>\n"
                                            " <version>0.1</version>\n <reqid>%1</reqid>\n"
                                            " <cmd>%2</cmd>\n");
        QTest::newRow("login")
            << "login"
            << head.arg("0", "LOGIN") +
                   " <logindata>\n  <password>secret</password>\n  <hijack>false</hijack>\n"
                   " </logindata>\n</Request>\n";
        QTest::newRow("login escaped, flag clear ignores the id")
            << "login-escaped"
            << head.arg("1", "LOGIN") +
                   " <logindata>\n  <password>a&amp;b&lt;c>d</password>\n"
                   "  <hijack>false</hijack>\n </logindata>\n</Request>\n";
        QTest::newRow("login hijack")
            << "login-hijack"
            << head.arg("2", "LOGIN") +
                   " <logindata>\n  <password></password>\n  <hijack>true</hijack>\n"
                   "  <hijackid>S-9</hijackid>\n </logindata>\n</Request>\n";
        QTest::newRow("login hijack unknown id")
            << "login-hijack-unknown"
            << head.arg("3", "LOGIN") +
                   " <logindata>\n  <password>p</password>\n  <hijack>true</hijack>\n"
                   " </logindata>\n</Request>\n";
        QTest::newRow("getconfig escaped")
            << "getconfig"
            << head.arg("4", "GETCONFIG") +
                   " <getconfigdata>\n  <password>&lt;&amp;&amp;></password>\n"
                   "  <session>s&amp;1</session>\n </getconfigdata>\n</Request>\n";
        QTest::newRow("getdata sorted, one entry per name")
            << "getdata"
            << head.arg("5", "GETDATA") +
                   " <confid>cfg-1</confid>\n <session>S&lt;1</session>\n <AGReqList>\n"
                   "  <AG>\n   <Name>Alpha</Name>\n   <LastTmStamp>0</LastTmStamp>\n  </AG>\n"
                   "  <AG>\n   <Name>beta</Name>\n   <LastTmStamp>1700000000200</LastTmStamp>\n"
                   "  </AG>\n </AGReqList>\n</Request>\n";
        QTest::newRow("getdata empty")
            << "getdata-empty"
            << head.arg("199999", "GETDATA") +
                   " <confid></confid>\n <session></session>\n <AGReqList/>\n</Request>\n";
    }

    void requestTexts()
    {
        QFETCH(QString, kind);
        QFETCH(QString, expected);
        std::unique_ptr<ARequest> request;
        if (kind == "login") {
            auto *r = new LoginRequest("0", ARequest::LOGIN);
            r->setLoginData("secret", false, "unknown");
            request.reset(r);
        } else if (kind == "login-escaped") {
            auto *r = new LoginRequest("1", ARequest::LOGIN);
            r->setLoginData("a&b<c>d", false, "S-9");
            request.reset(r);
            QCOMPARE(r->getPassword(), QString("a&b<c>d"));
        } else if (kind == "login-hijack") {
            auto *r = new LoginRequest("2", ARequest::LOGIN);
            r->setLoginData("", true, "S-9");
            request.reset(r);
        } else if (kind == "login-hijack-unknown") {
            auto *r = new LoginRequest("3", ARequest::LOGIN);
            r->setLoginData("p", true, "unknown");
            request.reset(r);
        } else if (kind == "getconfig") {
            auto *r = new GetConfigRequest("4", ARequest::GETCONFIG);
            r->setCredentials("<&&>", "s&1");
            request.reset(r);
        } else if (kind == "getdata") {
            auto *r = new AcquisitionRequest("5", ARequest::GETDATA);
            QMap<QString, QString> stamps;
            stamps.insert("beta", "1");
            stamps.insert("Alpha", "0");
            stamps.insert("beta", "1700000000200");
            r->setRequestData("cfg-1", "S<1", stamps);
            request.reset(r);
        } else {
            request.reset(new AcquisitionRequest("199999", ARequest::GETDATA));
        }
        const QString text = request->toXml();
        QCOMPARE(text, expected);
        QCOMPARE(request->toXml(), text);
        QCOMPARE(request->toBody(), expected.toUtf8());
    }

    void requestBodyIsUtf8()
    {
        AcquisitionRequest r("9");
        QMap<QString, QString> stamps;
        stamps.insert(QString::fromUtf8("Müller ♪"), "5");
        r.setRequestData("c", "s", stamps);
        QVERIFY(r.toBody().contains("<Name>M\xc3\xbcller \xe2\x99\xaa</Name>"));
        QCOMPARE(r.getCommandType(), ARequest::GETDATA);
        QCOMPARE(requestCommandPath(r.getCommandType()), QString("/getData"));
    }

    void loginReplies_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("session");
        QTest::addColumn<QString>("statusText");

        QTest::newRow("ok") << reply("<session>S-1</session>") << true << 0 << "S-1" << "OK";
        QTest::newRow("hijack demanded")
            << reply("<session>other</session>", "7") << true << 7 << "other" << "OK";
        QTest::newRow("no confid")
            << reply("<session>S-1</session>", "0", "") << false << 0 << "S-1" << "OK";
        QTest::newRow("no session") << reply("") << false << 0 << "" << "OK";
        QTest::newRow("empty but complete")
            << "<response><confid>c</confid><session>s</session></response>" << true << -1
            << "s" << "";
        QTest::newRow("no response element")
            << "<reply><status><code>0</code></status><confid>c</confid><session>s</session>"
               "</reply>"
            << false << 0 << "s" << "";
        QTest::newRow("code and text outside status")
            << reply("<code>5</code><text>nope</text><session>s</session>") << true << 0 << "s"
            << "OK";
        QTest::newRow("code not an integer")
            << reply("<session>s</session>", "zero") << false << -1 << "s" << "OK";
        QTest::newRow("bad code before the response element")
            << "<r><status><code>x</code></status><response><confid>c</confid>"
               "<session>s</session></response></r>"
            << false << -1 << "s" << "";
        QTest::newRow("malformed")
            << "<response><confid>c</confid><session>s</session></reply>" << false << -1 << "s"
            << "";
        QTest::newRow("empty document") << "" << false << -1 << "" << "";
        QTest::newRow("namespace declarations change nothing")
            << "<response xmlns='urn:m' xmlns:p='urn:p'><status><code>0</code><text>OK</text>"
               "</status><confid>c</confid><session>s</session><p:extra>1</p:extra></response>"
            << true << 0 << "s"
            << "OK";
        // Deep enough to overflow the stack of a reader that follows every level.
        QTest::newRow("nested too deep") << "<response><confid>c</confid><session>s</session>" +
                                                QString("<a>").repeated(100000) +
                                                QString("</a>").repeated(100000) + "</response>"
                                         << false << -1 << "s"
                                         << "";
    }

    void loginReplies()
    {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        LoginResponse r;
        QCOMPARE(r.parse(declared(text)), valid);
        QCOMPARE(r.isValid(), valid);
        QFETCH(int, code);
        QFETCH(QString, session);
        QFETCH(QString, statusText);
        QCOMPARE(r.getCode(), code);
        QCOMPARE(r.getSession(), session);
        QCOMPARE(r.getStatusText(), statusText);
    }

    void replyHeaderFields()
    {
        LoginResponse r;
        QVERIFY(r.parse(declared(reply("<session>s</session>", "7", "cfg-9"))));
        QCOMPARE(r.getVersion(), QString("0.1"));
        QCOMPARE(r.getReqId(), QString("12"));
        QCOMPARE(r.getConfid(), QString("cfg-9"));
    }

    void configReply()
    {
        GetConfigResponse r;
        QVERIFY(r.parse(replyDocumentText(QString::fromUtf8(kConfigReply))));
        QCOMPARE(r.getCode(), 0);
        const InstrumentConfig ic = r.getInstrumentConfig();
        QCOMPARE(ic.getName(), QString("Meter & Co"));
        QCOMPARE(ic.getManufacturer(), QString("Maker"));
        QCOMPARE(ic.getModelNumber(), QString("LM-1"));
        QCOMPARE(ic.getHardwareId(), QString("HW-9"));
        QCOMPARE(ic.getSerialNumber(), QString("SN-5"));
        QCOMPARE(ic.getSoftwareVersion(), QString("2.1"));
        QCOMPARE(ic.getPresetName(), QString("Night"));
        QCOMPARE(ic.getTimeReference(), QString("UTC"));
        QCOMPARE(ic.getConfigurationID(), QString("cfg-42"));
        // Address, port and password never come from a meter.
        QCOMPARE(ic.getIpAdr(), QString());
        QCOMPARE(ic.getPort(), QString("80"));
        QCOMPARE(ic.getPass(), QString());
        QCOMPARE(ic.getAgConfigs().size(), 4);

        const AgConfig main = ic.getAgConfig("Main");
        QCOMPARE(main.getAudioMode(), QString("5.1"));
        QCOMPARE(main.getDomain(), QString("TV"));
        QCOMPARE(main.getLoudnessMode(), QString("R128"));
        QCOMPARE(main.getLoudnessUnit(), QString("LUFS"));
        QCOMPARE(main.getLoudnessMinDb(), -36.5);
        QCOMPARE(main.getLoudnessMaxDb(), 12.25);
        QCOMPARE(main.getTargetLoudness(), -24.0);
        QCOMPARE(main.getRefTPMax(), -2.5);
        // "Min" is the warning (secondary) level, "Max" the main one; for I the pairs are
        // the lower and upper limits.
        QCOMPARE(main.getTPUpperSecondaryThreshold(), -4.5);
        QCOMPARE(main.getTPUpperThreshold(), -1.5);
        QCOMPARE(main.getMUpperSecondaryThreshold(), 5.5);
        QCOMPARE(main.getMUpperThreshold(), 7.5);
        QCOMPARE(main.getSUpperSecondaryThreshold(), 1.25);
        QCOMPARE(main.getSUpperThreshold(), 2.75);
        QCOMPARE(main.getILowerThreshold(), -1.5);
        QCOMPARE(main.getILowerSecondaryThreshold(), -2.5);
        QCOMPARE(main.getIUpperThreshold(), 1.5);
        QCOMPARE(main.getIUpperSecondaryThreshold(), 2.5);

        // Blank unit keeps "LU"; text that is no finite float keeps the default.
        const AgConfig blank = ic.getAgConfig("Blank unit");
        const AgConfig defaults("x");
        QCOMPARE(blank.getLoudnessUnit(), QString("LU"));
        QCOMPARE(blank.getLoudnessMinDb(), defaults.getLoudnessMinDb());
        QCOMPARE(blank.getLoudnessMaxDb(), defaults.getLoudnessMaxDb());
        QCOMPARE(blank.getTargetLoudness(), defaults.getTargetLoudness());
        QCOMPARE(blank.getTPUpperThreshold(), defaults.getTPUpperThreshold());

        QCOMPARE(ic.getAgConfig("Twice").getAudioMode(), QString("second"));
        QVERIFY(ic.hasAgConfig(QString::fromUtf8("Müller")));
    }

    void configNumbersAreSinglePrecision()
    {
        GetConfigResponse r;
        r.parse(declared(reply("<DataSource><SourceName>a</SourceName>"
                               "<TargetLoudness>-23.1</TargetLoudness></DataSource>")));
        QCOMPARE(r.getInstrumentConfig().getAgConfig("a").getTargetLoudness(),
                 double(-23.1f));
    }

    void configUnitIsTrimmed()
    {
        GetConfigResponse r;
        r.parse(declared(reply("<DataSource><SourceName>a</SourceName>"
                               "<LoudnessUnit>\n  LUFS </LoudnessUnit></DataSource>")));
        QCOMPARE(r.getInstrumentConfig().getAgConfig("a").getLoudnessUnit(), QString("LUFS"));
    }

    void configValidity_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        const QString ident = "<Name>%1</Name><ModelNumber>%2</ModelNumber>"
                              "<SerialNumber>%3</SerialNumber>";
        QTest::newRow("complete") << reply(ident.arg("n", "m", "s")) << true;
        QTest::newRow("no name") << reply(ident.arg("", "m", "s")) << false;
        QTest::newRow("no model") << reply(ident.arg("n", "", "s")) << false;
        QTest::newRow("no serial") << reply(ident.arg("n", "m", "")) << false;
        QTest::newRow("no confid") << reply(ident.arg("n", "m", "s"), "0", "") << false;
        QTest::newRow("status code not 0 is still valid")
            << reply(ident.arg("n", "m", "s"), "6") << true;
        QTest::newRow("audiogroup name XML cannot carry")
            << reply(ident.arg("n", "m", "s") +
                     "<DataSource><SourceName>a&#xFFFE;b</SourceName></DataSource>")
            << false;
        QTest::newRow("instrument name XML cannot carry")
            << reply(ident.arg("a&#xFFFF;", "m", "s")) << false;
    }

    void configValidity()
    {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        GetConfigResponse r;
        QCOMPARE(r.parse(declared(text)), valid);
    }

    void dataReply()
    {
        AcquisitionResponse r;
        const QString text =
            reply(QStringLiteral("<AGDataList><Name>B</Name><numAvail>12</numAvail>%1%1"
                                 "<Unknown>7</Unknown></AGDataList>"
                                 "<AGDataList><Name>A</Name><numAvail>x</numAvail></AGDataList>")
                      .arg(kSample));
        QVERIFY(r.parse(declared(text)));
        const QMap<QString, AgDataVector *> &lists = r.getAgDataLists();
        QCOMPARE(lists.keys(), QStringList({"A", "B"}));
        QCOMPARE(r.getAvailableCounts().value("B"), 12);
        QCOMPARE(r.getAvailableCounts().value("A"), 0);
        QCOMPARE(lists.value("A")->size(), 0);
        const AgDataVector *b = lists.value("B");
        QCOMPARE(b->getName(), QString("B"));
        QCOMPARE(b->size(), 2);
        const AgData &s = b->at(1);
        QVERIFY(!s.isEmpty());
        QCOMPARE(s.getTimecode(), qint64(-1));
        QCOMPARE(s.getTimestamp(), qint64(1700000000100));
        QCOMPARE(s.getProgramId(), qint64(77));
        QCOMPARE(s.getTP(), -1.25);
        QCOMPARE(s.getTPMax(), -0.5);
        QCOMPARE(s.getM100ms(), -20.5);
        QCOMPARE(s.getM400ms(), -21.75);
        QCOMPARE(s.getMMax(), -18.0);
        QCOMPARE(s.getS(), -22.5);
        QCOMPARE(s.getSMax(), -19.25);
        QCOMPARE(s.getI(), -23.125);
        QCOMPARE(s.getLRA(), 6.5);
        QCOMPARE(s.getSPL(), 81.0);
        QCOMPARE(s.getFlags(), qint64(9223372036854775807LL));
        QCOMPARE(s.getEvents(), qint64(5));

        std::unique_ptr<AgDataVector> taken(r.takeAgDataList("B"));
        QVERIFY(taken);
        QVERIFY(!r.getAgDataLists().contains("B"));
    }

    void dataReplyListRules_data()
    {
        QTest::addColumn<QString>("content");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<int>("firstSize");
        QTest::addColumn<int>("firstAvail");
        const QString sample = "<AGData><tmStamp>%1</tmStamp></AGData>";
        QTest::newRow("repeated name keeps the second")
            << "<AGDataList><Name>A</Name><numAvail>1</numAvail>" + sample.arg(1) +
                   "</AGDataList><AGDataList><Name>A</Name><numAvail>2</numAvail>" +
                   sample.arg(2) + sample.arg(3) + "</AGDataList>"
            << true << QStringList{"A"} << 2 << 2;
        QTest::newRow("sample outside a list is dropped")
            << sample.arg(1) + "<AGDataList><Name>A</Name>" + sample.arg(2) + "</AGDataList>"
            << true << QStringList{"A"} << 1 << 0;
        QTest::newRow("unclosed list")
            << "<AGDataList><Name>A</Name>" + sample.arg(1) << false << QStringList() << 0 << 0;
        QTest::newRow("nested list restarts")
            << "<AGDataList><Name>A</Name>" + sample.arg(1) + "<AGDataList><Name>B</Name>" +
                   sample.arg(2) + "</AGDataList></AGDataList>"
            << true << QStringList{"B"} << 1 << 0;
    }

    void dataReplyListRules()
    {
        QFETCH(QString, content);
        QFETCH(bool, valid);
        QFETCH(QStringList, names);
        AcquisitionResponse r;
        QString text = reply(content);
        if (!valid)
            text.remove("</response>");
        QCOMPARE(r.parse(declared(text)), valid);
        QCOMPARE(r.getAgDataLists().keys(), names);
        if (names.isEmpty())
            return;
        QFETCH(int, firstSize);
        QFETCH(int, firstAvail);
        QCOMPARE(r.getAgDataLists().first()->size(), firstSize);
        QCOMPARE(r.getAvailableCounts().value(names.first()), firstAvail);
    }

    void dataReplyBadNumbers_data()
    {
        QTest::addColumn<QString>("element");
        QTest::addColumn<QString>("text");
        for (const char *t : {"abc", "nan", "NaN", "inf", "-inf", "1e999", ""})
            QTest::newRow(qPrintable(QString("M400ms ") + t)) << "M400ms" << t;
        QTest::newRow("tmCode negative") << "tmCode" << "-3";
        QTest::newRow("pgmid") << "pgmid" << "9223372036854775808";
        QTest::newRow("Flags") << "Flags" << "0x10";
        QTest::newRow("EventList") << "EventList" << "1 2";
    }

    void dataReplyBadNumbers()
    {
        QFETCH(QString, element);
        QFETCH(QString, text);
        AcquisitionResponse r;
        // Every field starts non-zero so that a failed conversion shows.
        QString sample = QString::fromLatin1(kSample);
        sample.replace(QRegularExpression("<" + element + ">[^<]*</" + element + ">"),
                       "<" + element + ">" + text + "</" + element + ">");
        const QString logged = QStringLiteral("stored as no value in M400ms (\"%1\")\n").arg(text);
        const int before = QString::fromUtf8(KivTest::readLog()).count(logged);
        // Two samples with the bad value: the reply's entry names the field once.
        QVERIFY(r.parse(
            declared(reply("<AGDataList><Name>A</Name>" + sample + sample + "</AGDataList>"))));
        const AgData &s = r.getAgDataLists().value("A")->at(0);
        QCOMPARE(s.getTP(), -1.25);
        if (element == QLatin1String("M400ms")) {
            // Never a plausible reading: 0 would read as a sample right at the target.
            QVERIFY(std::isnan(s.getM400ms()));
            QCOMPARE(QString::fromUtf8(KivTest::readLog()).count(logged), before + 1);
            return;
        }
        const QMap<QString, double> values = {{"tmCode", double(s.getTimecode())},
                                              {"pgmid", double(s.getProgramId())},
                                              {"Flags", double(s.getFlags())},
                                              {"EventList", double(s.getEvents())}};
        QCOMPARE(values.value(element), 0.0);
    }

    // Every form a number may take reads as QString's conversions read it, to the bit.
    void dataReplyNumberForms_data()
    {
        QTest::addColumn<QString>("element");
        QTest::addColumn<QString>("text");
        for (const char *t : {"-0", "-0.0", "0.000", "007.5", "+1.5", " -23.4\t", "1.", ".5",
                              "-2.5e1", "123456789012345", "1234567890123456", "-0.1000000000000001",
                              "0.30000000000000004", "-23.4", "498800878.68040626", "12-3",
                              "1.2.3", "--1", "1e5", "-.5", "-", "123456789012.345",
                              "1234567890123.456", "5.0 ", "-23.40"})
            QTest::newRow(qPrintable(QString("M400ms ") + t)) << "M400ms" << t;
        for (const char *t : {"+1700000000100", " 1700000000100", "0001700000000100", "-0",
                              "1700000000100-", "000000000001700000000100"})
            QTest::newRow(qPrintable(QString("tmStamp ") + t)) << "tmStamp" << t;
        for (const char *t : {"+5", "-0", "18446744073709551615", "018446744073709551615",
                              "-5", "1844674407370955161", "18446744073709551616"})
            QTest::newRow(qPrintable(QString("tmCode ") + t)) << "tmCode" << t;
    }

    void dataReplyNumberForms()
    {
        QFETCH(QString, element);
        QFETCH(QString, text);
        QString sample = QString::fromLatin1(kSample);
        sample.replace(QRegularExpression("<" + element + ">[^<]*</" + element + ">"),
                       "<" + element + ">" + text + "</" + element + ">");
        const QString body = reply("<AGDataList><Name>A</Name>" + sample + "</AGDataList>");
        AcquisitionResponse r;
        QVERIFY(r.parse(declared(body)));
        const AgDataVector *list = r.getAgDataLists().value("A");
        QVERIFY(list);
        // Read from the bytes, the same.
        AcquisitionResponse fromBytes;
        QVERIFY(fromBytes.parseReplyBytes(body.toUtf8()));
        const AgDataVector *same = fromBytes.getAgDataLists().value("A");
        QVERIFY(same);
        QCOMPARE(same->size(), list->size());
        if (element == QLatin1String("M400ms")) {
            const double read = list->at(0).getM400ms();
            bool ok = false;
            double expected = text.toDouble(&ok);
            if (!ok || !std::isfinite(expected))
                expected = AgData::noValue();
            QCOMPARE(QByteArray(reinterpret_cast<const char *>(&read), sizeof read),
                     QByteArray(reinterpret_cast<const char *>(&expected), sizeof expected));
            const double again = same->at(0).getM400ms();
            QCOMPARE(QByteArray(reinterpret_cast<const char *>(&again), sizeof again),
                     QByteArray(reinterpret_cast<const char *>(&read), sizeof read));
        } else if (element == QLatin1String("tmStamp")) {
            const qint64 stamp = text.toLongLong();
            QCOMPARE(list->size(), AgData::isStorableTimestamp(stamp) ? 1 : 0);
            if (list->size() == 1) {
                QCOMPARE(list->at(0).getTimestamp(), stamp);
                QCOMPARE(same->at(0).getTimestamp(), stamp);
            }
        } else {
            QCOMPARE(list->at(0).getTimecode(), qint64(text.toULongLong()));
            QCOMPARE(same->at(0).getTimecode(), list->at(0).getTimecode());
        }
    }

    // A sample whose time stamp cannot be stored is dropped, with a log line per list; the
    // rest of the list is kept.
    void dataReplyDropsUnstorableStamps_data()
    {
        QTest::addColumn<QString>("stamp");
        QTest::addColumn<bool>("kept");
        QTest::newRow("first millisecond") << "1" << true;
        QTest::newRow("last millisecond before 3000") << "32503679999999" << true;
        QTest::newRow("year 3000") << "32503680000000" << false;
        QTest::newRow("largest") << "9223372036854775807" << false;
        QTest::newRow("beyond 64 bits") << "9223372036854775808" << false;
        QTest::newRow("zero") << "0" << false;
        QTest::newRow("negative") << "-100" << false;
        QTest::newRow("not a whole number") << "12.5" << false;
        QTest::newRow("missing") << QString() << false;
    }

    void dataReplyDropsUnstorableStamps()
    {
        QFETCH(QString, stamp);
        QFETCH(bool, kept);
        const QString sample = QStringLiteral("<AGData><tmStamp>%1</tmStamp><TP>%2</TP></AGData>");
        const QString tested = stamp.isNull() ? QStringLiteral("<AGData><TP>2</TP></AGData>")
                                              : sample.arg(stamp).arg(2);
        const QString logged = QStringLiteral("1 samples of A dropped for their time stamp");
        // A fresh repeat count: the same line of an earlier row is no repeat.
        ORQ::gLogger.load()->setRepeatClock({});
        const int before = QString::fromUtf8(KivTest::readLog()).count(logged);
        AcquisitionResponse r;
        QVERIFY(
            r.parse(declared(reply("<AGDataList><Name>A</Name>" + sample.arg(1700000000000).arg(1) +
                                   tested + sample.arg(1700000000200).arg(3) + "</AGDataList>"))));
        QList<double> values;
        for (const AgData &s : *r.getAgDataLists().value("A"))
            values << s.getTP();
        const QList<double> expected = kept ? QList<double>{1, 2, 3} : QList<double>{1, 3};
        QCOMPARE(values, expected);
        QCOMPARE(QString::fromUtf8(KivTest::readLog()).count(logged) - before, kept ? 0 : 1);
    }

    void replyBodyHelper_data()
    {
        QTest::addColumn<QByteArray>("body");
        const QByteArray content = reply("<session>S\xc3\xa9</session>").toUtf8();
        QTest::newRow("plain") << content;
        QTest::newRow("own declaration")
            << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" + content;
        QTest::newRow("single quotes, no line break")
            << "<?xml version='1.0' encoding='utf-8' standalone='yes'?>" + content;
        QTest::newRow("byte-order mark") << "\xEF\xBB\xBF" + content;
        QTest::newRow("mark and declaration")
            << "\xEF\xBB\xBF<?xml version=\"1.0\"?>\r\n" + content;
        QTest::newRow("white space before the declaration")
            << "\n  <?xml version=\"1.0\"?>" + content;
        QTest::newRow("leading line break") << "\n" + content;
        QTest::newRow("other processing instruction stays")
            << "<?xml-stylesheet href='a'?>" + content;
    }

    void replyBodyHelper()
    {
        QFETCH(QByteArray, body);
        LoginResponse r;
        QVERIFY(r.parse(replyDocumentText(decodeReplyBody(body))));
        QCOMPARE(r.getSession(), QString::fromUtf8("Sé"));
        // Read in place, the body gives the same.
        LoginResponse direct;
        QVERIFY(direct.parseReply(decodeReplyBody(body)));
        QCOMPARE(direct.getSession(), r.getSession());
    }

    void secondDeclarationIsFatal()
    {
        // Putting the declaration in front of a body that has its own makes the document
        // unreadable; the helper removes the meter's one.
        const QString body = "<?xml version=\"1.0\"?>" + reply("<session>s</session>");
        LoginResponse plain;
        QVERIFY(!plain.parse(declared(body)));
        LoginResponse helped;
        QVERIFY(helped.parse(replyDocumentText(body)));
        LoginResponse direct;
        QVERIFY(direct.parseReply(body));
    }

    void bothReadersOverOneBase()
    {
        BothReader r;
        const QString text =
            "<response><confid>c</confid><LoudnessMeasurement><Name>M</Name><DataSource><SourceName>A</SourceName>"
            "</DataSource></LoudnessMeasurement>"
            "<AGDataList><Name>A</Name>" +
            QString::fromLatin1(kSample) + "</AGDataList></response>";
        QVERIFY(r.parse(declared(text)));
        QCOMPARE(r.getInstrumentConfig().getName(), QString("M"));
        QVERIFY(r.getInstrumentConfig().hasAgConfig("A"));
        QCOMPARE(r.getAgDataLists().keys(), QStringList{"A"});
        QCOMPARE(r.getAgDataLists().value("A")->size(), 1);
    }
};

KIV_TEST_MAIN(TestProtocol, QCoreApplication)
#include "tst_protocol.moc"
