// The reply scanner against Qt's SAX reader: whatever document the scanner takes, Qt's
// reader takes too and hands a handler the same events; the rest is left to Qt.
#include <AcquisitionResponse.h>
#include <KivTest.h>
#include <SimpleXmlScanner.h>

#include "core/XMLTag.h"
#include "data/AgData.h"
#include "data/AgDataVector.h"

#include <QCoreApplication>
#include <QRandomGenerator>

#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#include <QXmlDefaultHandler>

namespace {

QString declared(const QString &body) { return QLatin1String(kXmlDeclaration) + body; }

// Events as one list of lines; adjacent text is joined, since a reader may split it.
class Events
{
public:
    void start(const QString &name) { flush(), m_lines << "<" + name; }
    void end(const QString &name) { flush(), m_lines << "/" + name; }
    void text(const QString &text) { m_text += text; }
    void document(const QString &what) { flush(), m_lines << what; }
    QStringList lines()
    {
        flush();
        return m_lines;
    }

private:
    void flush()
    {
        if (!m_text.isEmpty())
            m_lines << "\"" + m_text;
        m_text.clear();
    }
    QStringList m_lines;
    QString m_text;
};

class QtRecorder : public QXmlDefaultHandler
{
public:
    bool startDocument() override { return events.document("start"), true; }
    bool endDocument() override { return events.document("end"), true; }
    bool startElement(const QString &ns, const QString &local, const QString &qName,
                      const QXmlAttributes &attributes) override
    {
        // The scanner takes no attributes and no namespaces; neither may Qt see any.
        if (!ns.isEmpty() || !local.isEmpty() || attributes.count() != 0)
            events.document("unexpected");
        return events.start(qName), true;
    }
    bool endElement(const QString &, const QString &, const QString &qName) override
    {
        return events.end(qName), true;
    }
    bool characters(const QString &ch) override { return events.text(ch), true; }
    Events events;
};

class ScanRecorder : public SimpleXmlSink
{
public:
    void startDocument() override { events.document("start"); }
    void endDocument() override { events.document("end"); }
    void startElement(const QString &name) override { events.start(name); }
    void endElement(const QString &name) override { events.end(name); }
    void characters(const QChar *text, int size) override { events.text(QString(text, size)); }
    Events events;
};

// Qt's events for a document, or nothing when Qt's reader refuses it.
bool readWithQt(const QString &document, QStringList *lines)
{
    QXmlInputSource source;
    source.setData(document);
    QXmlSimpleReader reader;
    QtRecorder recorder;
    reader.setContentHandler(&recorder);
    reader.setErrorHandler(&recorder);
    reader.setFeature(QStringLiteral("http://xml.org/sax/features/namespaces"), false);
    const bool ok = reader.parse(&source, false);
    *lines = recorder.events.lines();
    return ok;
}

const char *const kSeeds[] = {
    "<response><version>0.1</version><reqid>12</reqid><status><code>0</code><text>OK</text>"
    "</status><confid>cfg-7</confid><session>s&amp;1</session></response>",
    "<response>\n <version>0.1</version>\n <status>\n  <code>2</code>\n  <text>Need &lt;config&gt;"
    "</text>\n </status>\n <confid>c</confid>\n <AGDataList><Name>Studio &quot;A&quot; &apos;1&apos;"
    "</Name><numAvail>2</numAvail>\n  <AGData><tmStamp>1700000000000</tmStamp><tmCode>17</tmCode>"
    "<pgmid>3</pgmid><TP>-1.5</TP><M400ms>-23.25</M400ms><S>nan</S><I/><Flags>4</Flags></AGData>\n"
    "  <AGData ><tmStamp>1700000000100</tmStamp ><TP>-2</TP></AGData>\n </AGDataList>\n</response>\n",
    "<response><LoudnessMeasurement><Name>M\u00fcnchen \u5149 \t tab</Name><DataSource>"
    "<SourceName>Main</SourceName><LoudnessUnit>  </LoudnessUnit><TargetLoudness>-24"
    "</TargetLoudness></DataSource><DataSource/></LoudnessMeasurement></response>",
    "<a_b.c-d><e/><f></f><g> </g></a_b.c-d>",
};

// Pieces that make a document simple, not simple or not well-formed.
const char *const kPieces[] = {
    "<", ">", "/", "&", ";", "amp;", "&lt;", "&#65;", "&#x41;", "&foo;", " ", "\n", "\r", "\t",
    "<x>", "</x>", "<x/>", "<!-- c -->", "<![CDATA[t]]>", "]]>", "<?pi x?>", " a='1'", "=",
    "\"", "'", ":", "\u00e9", "\xef\xbf\xbe", "\x01", "<response>", "</response>", "<y >", "</y >",
};

QString mutate(const QString &seed, QRandomGenerator &random)
{
    QString document = seed;
    const int edits = 1 + int(random.bounded(3));
    for (int e = 0; e < edits; ++e) {
        const int at = int(random.bounded(document.size() + 1));
        switch (random.bounded(3)) {
        case 0:
            document.insert(at, QString::fromUtf8(kPieces[random.bounded(int(std::size(kPieces)))]));
            break;
        case 1:
            document.remove(at, 1 + int(random.bounded(4)));
            break;
        default: {
            const int length = int(random.bounded(12));
            document.insert(int(random.bounded(document.size() + 1)), document.mid(at, length));
            break;
        }
        }
    }
    return document;
}

} // namespace

class SimpleXmlTest : public QObject
{
    Q_OBJECT

private slots:
    void takesWhatQtReadsAlike()
    {
        for (const char *seed : kSeeds) {
            const QString document = declared(QString::fromUtf8(seed));
            ScanRecorder scanned;
            QVERIFY2(scanSimpleXml(document, 256, scanned), seed);
            QStringList qt;
            QVERIFY(readWithQt(document, &qt));
            QCOMPARE(scanned.events.lines(), qt);
        }
    }

    void leavesTheRestToQt_data()
    {
        QTest::addColumn<QString>("document");
        auto row = [](const char *name, const QString &body, bool declare = true) {
            QTest::newRow(name) << (declare ? declared(body) : body);
        };
        row("no declaration", "<a>1</a>", false);
        row("another declaration", "<?xml version=\"1.0\"?><a>1</a>", false);
        row("attribute", "<a b='1'>1</a>");
        row("comment", "<a><!-- c -->1</a>");
        row("CDATA", "<a><![CDATA[x]]></a>");
        row("processing instruction", "<a><?p x?></a>");
        row("doctype", "<!DOCTYPE a><a/>");
        row("character reference", "<a>&#65;</a>");
        row("other entity", "<a>&nbsp;</a>");
        row("carriage return", "<a>1\r\n</a>");
        row("greater-than in text", "<a>]]></a>");
        row("control character", QStringLiteral("<a>\x01</a>"));
        row("surrogate pair", QString::fromUtf8("<a>\xf0\x9f\x8e\xb5</a>"));
        row("non-ASCII name", QString::fromUtf8("<\xc3\xa9>1</\xc3\xa9>"));
        row("colon in name", "<a:b>1</a:b>");
        row("mismatched end", "<a><b></a></b>");
        row("unclosed", "<a><b></b>");
        row("text after the root", "<a/>x");
        row("second root", "<a/><a/>");
        row("no root", "  ");
        QString deep;
        for (int i = 0; i < 257; ++i)
            deep += "<d>";
        for (int i = 0; i < 257; ++i)
            deep += "</d>";
        row("257 levels", deep);
    }

    void leavesTheRestToQt()
    {
        QFETCH(QString, document);
        ScanRecorder scanned;
        QVERIFY(!scanSimpleXml(document, 256, scanned));
        QVERIFY(scanned.events.lines().isEmpty());
    }

    void mutantsTakenAreReadAlike()
    {
        // Random edits of the seeds: each mutant the scanner takes must be one Qt's reader
        // takes with the same events. Enough of them are taken for that to mean something.
        QRandomGenerator random(20261210);
        const int kMutants = qEnvironmentVariableIntValue("KIV_XML_MUTANTS") > 0
                                 ? qEnvironmentVariableIntValue("KIV_XML_MUTANTS")
                                 : 20000;
        int taken = 0;
        for (int i = 0; i < kMutants; ++i) {
            const QString seed = QString::fromUtf8(kSeeds[i % int(std::size(kSeeds))]);
            const QString document = declared(mutate(seed, random));
            ScanRecorder scanned;
            if (!scanSimpleXml(document, 256, scanned))
                continue;
            ++taken;
            QStringList qt;
            if (!readWithQt(document, &qt) || scanned.events.lines() != qt) {
                qWarning().noquote() << "document:" << document;
                QCOMPARE(scanned.events.lines(), qt);
                QFAIL("Qt's reader refused a document the scanner took");
            }
        }
        qInfo("%d of %d mutants taken", taken, kMutants);
        QVERIFY2(taken > 500, qPrintable(QString::number(taken)));
    }

    void replyReadAlikeEitherWay()
    {
        // A comment sends the same reply through Qt's reader: every value read is the same.
        const QString body = QString::fromUtf8(kSeeds[1]);
        AcquisitionResponse scanned;
        AcquisitionResponse viaQt;
        QVERIFY(scanned.parse(declared(body)));
        QVERIFY(viaQt.parse(declared(QString(body).replace("<confid>", "<!--x--><confid>"))));
        QCOMPARE(scanned.getCode(), 2);
        QCOMPARE(scanned.getStatusText(), viaQt.getStatusText());
        QCOMPARE(scanned.getConfid(), viaQt.getConfid());
        const QStringList names = scanned.getAgDataLists().keys();
        QCOMPARE(names, viaQt.getAgDataLists().keys());
        QCOMPARE(names, QStringList{"Studio \"A\" '1'"});
        const AgDataVector *a = scanned.getAgDataLists().value(names.first());
        const AgDataVector *b = viaQt.getAgDataLists().value(names.first());
        QCOMPARE(a->size(), 2);
        QCOMPARE(a->size(), b->size());
        for (int i = 0; i < a->size(); ++i) {
            QCOMPARE(a->at(i).getTimestamp(), b->at(i).getTimestamp());
            QCOMPARE(a->at(i).getTimecode(), b->at(i).getTimecode());
            QCOMPARE(a->at(i).getProgramId(), b->at(i).getProgramId());
            QCOMPARE(a->at(i).getTP(), b->at(i).getTP());
            QCOMPARE(a->at(i).getM400ms(), b->at(i).getM400ms());
            QCOMPARE(a->at(i).getS(), b->at(i).getS());
            QCOMPARE(a->at(i).getFlags(), b->at(i).getFlags());
        }
    }
};

KIV_TEST_MAIN(SimpleXmlTest, QCoreApplication)

#include "tst_simplexml.moc"
