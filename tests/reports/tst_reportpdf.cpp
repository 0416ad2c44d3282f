#include "ReportTestUtil.h"

#include <HtmlToPdf.h>
#include <KivResources.h>
#include <KivTest.h>
#include <ReportTask.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QXmlStreamReader>

using namespace ReportTest;

namespace {

const QString kConverter = QStringLiteral(KIV_HTML2PDF_PATH);

struct Run
{
    int exitCode = -1;
    QByteArray err;
};

Run runConverter(const QStringList &arguments)
{
    QProcess process;
    process.start(kConverter, arguments);
    Run run;
    if (process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit)
        run.exitCode = process.exitCode();
    run.err = process.readAllStandardError();
    return run;
}

QByteArray runTool(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(60000);
    return process.readAllStandardOutput();
}

// pdftotext's reading of a PDF, with the lines of its pages.
QString pdfText(const QString &pdf)
{
    return QString::fromUtf8(
        runTool(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")}));
}

// For a person to look at, when KIV_SHOTS_DIR names a folder: a copy of the PDF.
void keepForShots(const QString &pdf)
{
    const QString dir = QString::fromLocal8Bit(qgetenv("KIV_SHOTS_DIR"));
    if (dir.isEmpty())
        return;
    QDir().mkpath(dir);
    const QString target = QDir(dir).filePath(QStringLiteral("report-converter.pdf"));
    QFile::remove(target);
    QFile::copy(pdf, target);
}

// What of the report XML the PDF must show: every element text and attribute value, but
// the colour words (they colour the text), the enabled flags (they show as a limit or
// "off") and the plain copies of the counts inside the violation elements.
QStringList shownValues(const QString &xml, QList<QStringList> *sampleRows)
{
    QStringList values;
    QXmlStreamReader reader(xml);
    bool inViolation = false;
    while (!reader.atEnd()) {
        reader.readNext();
        const QString name = reader.name().toString();
        if (reader.isStartElement()) {
            if (name.endsWith(QLatin1String("Violation")))
                inViolation = true;
            const QXmlStreamAttributes attributes = reader.attributes();
            if (name == QLatin1String("Sample")) {
                QStringList row;
                for (const char *key : {"flag", "status", "time", "TP", "M", "S", "I", "LRA"})
                    row << attributes.value(QLatin1String(key)).toString();
                sampleRows->append(row);
                continue;
            }
            for (const QXmlStreamAttribute &attribute : attributes) {
                const QString key = attribute.name().toString();
                const bool plainCount = inViolation && (key == QLatin1String("I") ||
                                                        key.endsWith(QLatin1String("Max")));
                if (key.endsWith(QLatin1String("Color")) || key == QLatin1String("enabled") ||
                    plainCount)
                    continue;
                values << attribute.value().toString();
            }
        } else if (reader.isEndElement() && name.endsWith(QLatin1String("Violation"))) {
            inViolation = false;
        } else if (reader.isCharacters() && !reader.isWhitespace()) {
            values << reader.text().toString().trimmed();
        }
    }
    values.removeAll(QString());
    return values;
}

// Pixels of one page of the PDF close to a colour.
int pixelsNear(const QImage &page, QColor colour)
{
    int count = 0;
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x) {
            const QColor pixel = page.pixelColor(x, y);
            if (qAbs(pixel.red() - colour.red()) < 40 && qAbs(pixel.green() - colour.green()) < 40 &&
                qAbs(pixel.blue() - colour.blue()) < 40)
                ++count;
        }
    return count;
}

} // namespace

class TestReportPdf : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_xml;
    QString m_xsl;

private slots:
    // A report job over a store file: the golden audiogroup's programs and a ten-minute
    // program whose every window is listed, enough for a second page.
    void initTestCase()
    {
        KivTest::startLog(4);
        QVERIFY(m_dir.isValid());
        initKivResources();
        m_xsl = m_dir.filePath(QStringLiteral("report.xsl"));
        QVERIFY(QFile::copy(QStringLiteral(":/assets/report/report.xsl"), m_xsl));
        QVERIFY(QFile::exists(QStringLiteral(":/assets/report/style.css")));

        const InstrumentConfig storeInstrument(QStringLiteral("Pdf"));
        std::unique_ptr<AAgDataModel> model = freshStore(storeInstrument, agConfig());
        std::vector<AgData> samples = programSamples(0, 20000, 5);
        samples[30].setM400ms(-5.0);
        samples[30].setEvents(1);
        samples[100].setTP(-1.5);
        samples[150].setS(-16.0);
        samples[200].setI(-24.5);
        samples[200].setTimecode(0);
        for (AgData sample : programSamples(20100, 620100, 8)) {
            if ((sample.getTimestamp() - kT0) % 7100 == 3000)
                sample.setM400ms(-7.0 + ((sample.getTimestamp() - kT0) / 7100) % 7 * 0.25);
            samples.push_back(sample);
        }
        QCOMPARE(store(*model, samples), 0);

        InstrumentConfig instrument(QStringLiteral("Studio <1> & \"A\" 'B' \u00e9"));
        instrument.setManufacturer(QStringLiteral("M\u00e4ker"));
        instrument.setModelNumber(QStringLiteral("LM-2"));
        instrument.setSerialNumber(QStringLiteral("SN 42"));
        instrument.setSoftwareVersion(QStringLiteral("2.1.0"));
        instrument.setPresetName(QStringLiteral("Broadcast R128"));
        AgConfig config = agConfig(QStringLiteral("Main & Back"));
        config.setLoudnessMode(QStringLiteral("EBU Mode"));
        config.setAudioMode(QStringLiteral("5.1"));
        config.setDomain(QStringLiteral("Television"));
        config.setSecondaryThresholdActiveState(false);
        ReportConfig company;
        company.setCompanyName(QStringLiteral("Acme Broadcasting"));
        company.setCompanyAddress(QStringLiteral("1 Main St."));
        company.setCompanyAddress2(QStringLiteral("Hall <3>"));
        ReportTask task(QStringLiteral("key"), true, company, instrument, config,
                        {Program(1, 5, kT0, kT0 + 20000), Program(1, 8, kT0 + 20100, kT0 + 620100)},
                        kT0, kT0 + 620100);
        QVERIFY(calculateAll(task, *model));
        m_xml = compose(task);
        QVERIFY(!m_xml.isEmpty());
    }

    void cleanupTestCase() { m_dir.setAutoRemove(!QTest::currentTestFailed()); }

    // The converter, started as the report job starts it, writes a PDF that shows every
    // value of the report XML, each sample on one line in the order of the table, with
    // the colour words as text colours.
    void pdfShowsTheReport()
    {
        const QString xmlPath = m_dir.filePath(QStringLiteral("Report 1.xml"));
        QFile xmlFile(xmlPath);
        QVERIFY(xmlFile.open(QIODevice::WriteOnly));
        xmlFile.write(m_xml.toUtf8());
        xmlFile.close();
        const QString tmp = m_dir.filePath(QStringLiteral("Report 1.tmp"));
        const QString pdf = m_dir.filePath(QStringLiteral("Report 1.pdf"));

        HtmlToPdf htmlToPdf(kConverter);
        QVERIFY(htmlToPdf.start(xmlPath, m_xsl, tmp, pdf));
        QTRY_VERIFY_WITH_TIMEOUT(htmlToPdf.isFinished(), 60000);
        QCOMPARE(htmlToPdf.getExitCode(), 0);
        QVERIFY(QFile::exists(pdf));
        QVERIFY(!QFile::exists(tmp));

        const QString text = pdfText(pdf);
        QVERIFY(text.count(QLatin1Char('\f')) >= 2);
        QList<QStringList> sampleRows;
        const QStringList values = shownValues(m_xml, &sampleRows);
        QVERIFY(values.contains(QStringLiteral("Studio <1> & \"A\" 'B' \u00e9")));
        for (const QString &value : values)
            QVERIFY2(text.contains(value), qPrintable(value));
        QVERIFY(sampleRows.size() > 80);
        const QStringList lines = text.split(QLatin1Char('\n'));
        for (QStringList row : sampleRows) {
            row.removeAll(QString());
            const QString cells = row.join(QLatin1Char(' '));
            QVERIFY2(std::any_of(lines.begin(), lines.end(),
                                 [&](const QString &line) {
                                     return line.simplified().contains(cells);
                                 }),
                     qPrintable(cells));
        }
        QVERIFY(text.contains(QStringLiteral("14.11.2023")));
        QVERIFY(text.contains(QStringLiteral("off")));
        keepForShots(pdf);

        // No rows under no name: every later page begins with a program's heading or with
        // the header its table repeats, and a heading stands over its program's first row.
        const QStringList pages = text.split(QLatin1Char('\f'));
        for (int i = 1; i < pages.size(); ++i) {
            const QString first = pages.at(i).trimmed().section(QLatin1Char('\n'), 0, 0);
            QVERIFY2(first.isEmpty() || first.startsWith(QLatin1String("Program ")),
                     qPrintable(QStringLiteral("page %1: %2").arg(i + 1).arg(first)));
        }
        const QRegularExpression program(
            QStringLiteral("<Pgm pgmId=\"(\\d+)\".*?<Sample [^>]*time=\"([^\"]+)\""),
            QRegularExpression::DotMatchesEverythingOption);
        int programs = 0;
        for (auto it = program.globalMatch(m_xml); it.hasNext(); ++programs) {
            const QRegularExpressionMatch match = it.next();
            const auto page = std::find_if(pages.begin(), pages.end(), [&](const QString &p) {
                return p.contains(QRegularExpression(
                    QStringLiteral("(^|\n)Program %1\n").arg(match.captured(1))));
            });
            QVERIFY(page != pages.end());
            QVERIFY2(page->contains(match.captured(2)), qPrintable(match.captured(0)));
        }
        QCOMPARE(programs, 2);

        QVERIFY(!runTool(QStringLiteral("pdftoppm"),
                         {QStringLiteral("-r"), QStringLiteral("60"), QStringLiteral("-f"),
                          QStringLiteral("1"), QStringLiteral("-l"), QStringLiteral("1"),
                          QStringLiteral("-png"), pdf, m_dir.filePath(QStringLiteral("page"))})
                        .contains("Error"));
        QImage page(m_dir.filePath(QStringLiteral("page-1.png")));
        QVERIFY(!page.isNull());
        QVERIFY(pixelsNear(page, Qt::red) > 0);
        QVERIFY(pixelsNear(page, QColor(0, 128, 0)) > 0);
    }

    void failuresExitNonZero_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<int>("exitCode");
        QTest::newRow("wrong command line") << "usage" << 1;
        QTest::newRow("bad XML") << "xml" << 2;
        QTest::newRow("missing XSL") << "xsl" << 2;
        QTest::newRow("broken XSL") << "broken" << 2;
        QTest::newRow("unwritable target") << "target" << 3;
        QTest::newRow("PDF name taken by a folder") << "folder" << 3;
    }

    // Every failure leaves one line on stderr, and neither a PDF nor the temporary file.
    void failuresExitNonZero()
    {
        QFETCH(QString, fault);
        QFETCH(int, exitCode);
        const QString dir = m_dir.filePath(QString::fromLatin1(QTest::currentDataTag()));
        QVERIFY(QDir().mkpath(dir));
        QString xml = dir + QStringLiteral("/r.xml");
        QString xsl = m_xsl;
        QString tmp = dir + QStringLiteral("/r.tmp");
        QString pdf = dir + QStringLiteral("/r.pdf");
        QFile xmlFile(xml);
        QVERIFY(xmlFile.open(QIODevice::WriteOnly));
        xmlFile.write(fault == QLatin1String("xml") ? m_xml.left(m_xml.size() / 2).toUtf8()
                                                   : m_xml.toUtf8());
        xmlFile.close();
        if (fault == QLatin1String("xsl"))
            xsl = dir + QStringLiteral("/missing.xsl");
        if (fault == QLatin1String("broken")) {
            xsl = dir + QStringLiteral("/broken.xsl");
            QFile broken(xsl);
            QVERIFY(broken.open(QIODevice::WriteOnly));
            broken.write("<xsl:stylesheet version=\"2.0\" "
                         "xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\"><xsl:template "
                         "match=\"/\"><xsl:value-of select=\"((\"/></xsl:template>"
                         "</xsl:stylesheet>");
        }
        if (fault == QLatin1String("target")) {
            tmp = xml + QStringLiteral("/r.tmp");
            pdf = xml + QStringLiteral("/r.pdf");
        }
        if (fault == QLatin1String("folder")) {
            QVERIFY(QDir().mkpath(pdf));
            QFile inside(pdf + QStringLiteral("/kept"));
            QVERIFY(inside.open(QIODevice::WriteOnly));
        }
        const QStringList arguments =
            fault == QLatin1String("usage")
                ? QStringList{QStringLiteral("--input"), xml, xsl}
                : QStringList{QStringLiteral("--input"), xml, xsl, QStringLiteral("--output"), tmp,
                              pdf};
        const Run run = runConverter(arguments);
        QCOMPARE(run.exitCode, exitCode);
        const QStringList lines =
            QString::fromUtf8(run.err).split(QLatin1Char('\n'), Qt::SkipEmptyParts).filter(
                QStringLiteral("KivHtml2Pdf: "));
        QCOMPARE(lines.size(), 1);
        QVERIFY(!QFile::exists(tmp));
        QVERIFY(!QFileInfo(pdf).isFile());
    }
};

KIV_TEST_MAIN(TestReportPdf, QCoreApplication)
#include "tst_reportpdf.moc"
