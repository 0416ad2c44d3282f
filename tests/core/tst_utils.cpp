#include <AFileAction.h>
#include <KivConstants.h>
#include <KivTest.h>
#include <KivTypes.h>
#include <KivUtils.h>

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QPixmap>
#include <QProcess>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <atomic>
#include <cmath>
#include <limits>
#include <stdexcept>

namespace {

class Collector : public AFileAction
{
public:
    int execute(const QString &path) override
    {
        paths.append(path);
        return path.endsWith(QLatin1String(".bad")) ? 7 : 0;
    }
    void reset() override { paths.clear(); }
    QStringList paths;
};

// Packs hours, minutes and seconds into the high word of a timecode.
qint64 packTimecode(int hTens, int hUnits, int mTens, int mUnits, int sTens, int sUnits)
{
    quint32 high = (quint32(hTens) << 30) | (quint32(hUnits) << 26) | (quint32(mTens) << 23) |
                   (quint32(mUnits) << 19) | (quint32(sTens) << 16) | (quint32(sUnits) << 12) |
                   0xABCu;
    return static_cast<qint64>((quint64(high) << 32) | 0x12345678u);
}

} // namespace

class TestUtils : public QObject
{
    Q_OBJECT
private slots:
    void zoomLevels_data()
    {
        QTest::addColumn<int>("level");
        QTest::addColumn<int>("seconds");
        QTest::addColumn<QString>("label");
        QTest::addColumn<int>("interval");
        QTest::addColumn<int>("minSpan");
        QTest::newRow("0") << 0 << 30 << "30 s" << 100 << 500;
        QTest::newRow("1") << 1 << 60 << "1 min" << 117 << 1000;
        QTest::newRow("2") << 2 << 300 << "5 min" << 585 << 5000;
        QTest::newRow("3") << 3 << 600 << "10 min" << 1171 << 10000;
        QTest::newRow("4") << 4 << 1200 << "20 min" << 2343 << 20000;
        QTest::newRow("5") << 5 << 1800 << "30 min" << 3515 << 30000;
        QTest::newRow("6") << 6 << 2400 << "40 min" << 4687 << 40000;
        QTest::newRow("7") << 7 << 3000 << "50 min" << 5859 << 50000;
        QTest::newRow("8") << 8 << 3600 << "1 h" << 7031 << 60000;
        QTest::newRow("9") << 9 << 7200 << "2 h" << 14062 << 120000;
        QTest::newRow("10") << 10 << 10800 << "3 h" << 21093 << 180000;
        QTest::newRow("11") << 11 << 21600 << "6 h" << 42187 << 360000;
        QTest::newRow("12") << 12 << 32400 << "9 h" << 63281 << 540000;
        QTest::newRow("13") << 13 << 43200 << "12 h" << 84375 << 720000;
        QTest::newRow("14") << 14 << 86400 << "24 h" << 168750 << 1440000;
        QTest::newRow("15") << 15 << 259200 << "72 h" << 506250 << 4320000;
    }

    void zoomLevels()
    {
        QFETCH(int, level);
        QFETCH(int, seconds);
        QFETCH(QString, label);
        QFETCH(int, interval);
        QFETCH(int, minSpan);
        QCOMPARE(zoomLevelToSeconds(level), seconds);
        QCOMPARE(zoomLevelToMs(level), seconds * 1000);
        QCOMPARE(zoomLevelToTickSeconds(level), seconds / 6);
        QCOMPARE(zoomLevelToSampleIntervalMs(level), interval);
        QCOMPARE(zoomLevelToMinSpanMs(level), minSpan);
        QCOMPARE(KivConstants::zoomLevelLabel(level), label);
    }

    void unknownZoomLevels()
    {
        QVERIFY_EXCEPTION_THROWN(zoomLevelToSeconds(16), std::out_of_range);
        QVERIFY_EXCEPTION_THROWN(zoomLevelToSampleIntervalMs(-1), std::out_of_range);
        QCOMPARE(KivConstants::zoomLevelLabel(16), QString());
        QCOMPARE(KivConstants::zoomLevelLabels().size(), 16);
    }

    void plotValues()
    {
        QCOMPARE(plotValueUnit(PlotValueTP), QStringLiteral("dBTP"));
        QCOMPARE(plotValueUnit(PlotValueI), QStringLiteral("LU"));
        QCOMPARE(plotValueUnit(9), QString());
        QCOMPARE(plotValueScaleTop(PlotValueTP), 4.5);
        QCOMPARE(plotValueScaleTop(PlotValueM), 10.5);
        QCOMPARE(plotValueColor(PlotValueM), QColor(2, 254, 255));
        QCOMPARE(plotValueColor(PlotValueS), QColor(255, 0, 254));
        QCOMPARE(plotValueColor(0), QColor(255, 255, 255));
        QCOMPARE(plotValuePen(PlotValueI).capStyle(), Qt::RoundCap);
    }

    void scalePlotValueCases_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("plotValue");
        QTest::addColumn<double>("min");
        QTest::addColumn<double>("max");
        QTest::addColumn<double>("expected");
        QTest::newRow("TP bottom ignores min and max") << -18.0 << 1 << 0.0 << 1.0 << 0.0;
        QTest::newRow("TP top ignores min and max") << 10.5 << 1 << -50.0 << 50.0 << 150.0;
        QTest::newRow("M defaults for 0/0") << 10.5 << 2 << 0.0 << 0.0 << 150.0;
        QTest::newRow("M own scale") << 0.0 << 2 << -10.0 << 10.0 << 75.0;
        QTest::newRow("empty scale") << 1.0 << 3 << 5.0 << 5.0 << -1.0;
        QTest::newRow("reversed scale") << 1.0 << 3 << 6.0 << 5.0 << -1.0;
        QTest::newRow("unknown value 0/0") << 1.0 << 7 << 0.0 << 0.0 << -1.0;
    }

    void scalePlotValueCases()
    {
        QFETCH(double, value);
        QFETCH(int, plotValue);
        QFETCH(double, min);
        QFETCH(double, max);
        QFETCH(double, expected);
        QCOMPARE(scalePlotValue(value, plotValue, min, max), expected);
    }

    void timeTexts()
    {
        QString date, time;
        msToDateTimeStrings(Q_INT64_C(1700000000123), date, time);
        QCOMPARE(date, QStringLiteral("2023.11.14"));
        QCOMPARE(time, QStringLiteral("22:13:20"));
        QCOMPARE(formatTimestampWithTimecode(Q_INT64_C(1700000000123), 0),
                 QStringLiteral("2023.11.14 22:13:20"));
        QCOMPARE(formatTimestampWithTimecode(Q_INT64_C(1700000000123), packTimecode(0, 1, 0, 2, 0, 3)),
                 QStringLiteral("2023.11.14 22:13:20 (01:02:03)"));
        QCOMPARE(msToSeconds(1500), 1.5);
        QVERIFY(qAbs(currentUtcMSecs() - QDateTime::currentMSecsSinceEpoch()) < 1000);
    }

    void timecodes_data()
    {
        QTest::addColumn<qint64>("timecode");
        QTest::addColumn<QString>("text");
        QTest::newRow("01:02:03") << packTimecode(0, 1, 0, 2, 0, 3) << "01:02:03";
        QTest::newRow("23:59:58") << packTimecode(2, 3, 5, 9, 5, 8) << "23:59:58";
        QTest::newRow("fields not range-tested") << packTimecode(0, 0, 4, 6, 7, 9) << "00:46:79";
        QTest::newRow("zero") << qint64(0) << "00:00:00";
    }

    void timecodes()
    {
        QFETCH(qint64, timecode);
        QFETCH(QString, text);
        QCOMPARE(formatTimecode(timecode), text);
    }

    void timecodeFromDouble()
    {
        QCOMPARE(toTimecode(qint64(12345)), qint64(12345));
        QCOMPARE(toTimecode(12345.0), qint64(12344));
        QCOMPARE(toTimecode(std::nan("")), qint64(0));
        QCOMPARE(toTimecode(std::numeric_limits<double>::infinity()), qint64(0));
        QCOMPARE(toTimecode(1e30), qint64(0));
        // Up to 2^64 survive with the lowest bit lost.
        const double big = 18446744073709549568.0; // 2^64 - 2048
        QCOMPARE(static_cast<quint64>(toTimecode(big)), Q_UINT64_C(18446744073709549568));
    }

    void fileNames()
    {
        QCOMPARE(sanitizeFileName(QStringLiteral("a b/c")), QStringLiteral("ab_c"));
        QCOMPARE(agDbFileName(QStringLiteral("ZQ 7"), QStringLiteral("Ag-1")),
                 QStringLiteral("I__ZQ7A__Ag_1_kivDb.db"));
        QCOMPARE(agDbFileName(QStringLiteral("Zürich"), QStringLiteral("x")),
                 QStringLiteral("I__Z_richA__x_kivDb.db"));
        QCOMPARE(agDataZoomLevelTableName(15), QStringLiteral("AgDataZoomLevel15"));
        const QString data = getDataFolderPath();
        QCOMPARE(getAgDbFilePath(QStringLiteral("x"), QStringLiteral("y")), data + "/I__xA__y_kivDb.db");
        QCOMPARE(getBackupDbFilePath(QStringLiteral("x"), QStringLiteral("y"), 1000, 2000),
                 data + "/log_backup/I__xA__y_bckp_1000_2000__kivDb.db");
    }

    void dataFolder()
    {
        const QString home = QString::fromLocal8Bit(qgetenv("HOME"));
        QVERIFY(home.contains(QLatin1String("kivhome")));
        QCOMPARE(getDataFolderPath(), home + "/Documents/NUV/KIV");
        QCOMPARE(getDataFolderFilePath(QStringLiteral("log.txt")), home + "/Documents/NUV/KIV/log.txt");
        QCOMPARE(getLogBackupFolderPath(), home + "/Documents/NUV/KIV/log_backup");
        QCOMPARE(joinPath(QStringLiteral("/a/./b"), QStringLiteral("../c")), QStringLiteral("/a/c"));
        QVERIFY(createDataFolder());
        QVERIFY(QDir(getDataFolderPath()).exists());
    }

    void directlyInDataFolder_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("expected");
        const QString data = getDataFolderPath();
        QTest::newRow("file in the folder") << data + "/x.db" << true;
        QTest::newRow("double slash") << data + "//x.db" << true;
        QTest::newRow("dot") << data + "/./x.db" << true;
        QTest::newRow("dot dot") << data + "/sub/../x.db" << true;
        QTest::newRow("subfolder") << data + "/log_backup/x.db" << false;
        QTest::newRow("other folder") << QStringLiteral("/tmp/x.db") << false;
        QTest::newRow("sibling with the same prefix") << data + "X/x.db" << false;
        QTest::newRow("escape by dot dot") << data + "/../x.db" << false;
        QTest::newRow("relative") << QStringLiteral("x.db") << false;
        QTest::newRow("empty") << QString() << false;
    }

    void directlyInDataFolder()
    {
        QFETCH(QString, path);
        QFETCH(bool, expected);
        createDataFolder();
        QCOMPARE(isDirectlyInDataFolder(path), expected);
    }

    void inDataFolderTree_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("expected");
        const QString data = getDataFolderPath();
        QTest::newRow("the folder itself") << data << true;
        QTest::newRow("file in the folder") << data + "/x.db" << true;
        QTest::newRow("subfolder not made yet") << data + "/a/b/x.db" << true;
        QTest::newRow("sibling with the same prefix") << data + "X/x.db" << false;
        QTest::newRow("escape by dot dot") << data + "/log_backup/../../x.db" << false;
        QTest::newRow("its parent") << data + "/.." << false;
        QTest::newRow("empty") << QString() << false;
    }

    void inDataFolderTree()
    {
        QFETCH(QString, path);
        QFETCH(bool, expected);
        createDataFolder();
        QCOMPARE(isInDataFolderTree(path), expected);
    }

    void directlyInDataFolderThroughASymlink()
    {
        createDataFolder();
        QTemporaryDir dir;
        const QString link = dir.filePath(QStringLiteral("link"));
        QVERIFY(QFile::link(getDataFolderPath(), link));
        QVERIFY(isDirectlyInDataFolder(link + "/x.db"));
        QVERIFY(!isDirectlyInDataFolder(dir.filePath(QStringLiteral("x.db"))));
    }

    void unescape_data()
    {
        QTest::addColumn<QString>("in");
        QTest::addColumn<QString>("out");
        QTest::newRow("all") << "&lt;a&gt; &amp; &apos;b&apos; &quot;c&quot;" << "<a> & 'b' \"c\"";
        QTest::newRow("single pass") << "&amp;quot;" << "&quot;";
        QTest::newRow("double amp") << "&amp;amp;" << "&amp;";
        QTest::newRow("no entity") << "a & b;" << "a & b;";
    }

    void unescape()
    {
        QFETCH(QString, in);
        QFETCH(QString, out);
        QCOMPARE(unescapeXml(in), out);
    }

    void argListApplies()
    {
        QCOMPARE(argList(QStringLiteral("%1-%2-%3"), {"a", "b", "c"}), QStringLiteral("a-b-c"));
    }

    void walkDirectoryVisitsFilesNotLinkedFolders()
    {
        QTemporaryDir dir;
        QDir root(dir.path());
        root.mkpath(QStringLiteral("sub/deeper"));
        for (const char *name : {"a.db", "sub/b.db", "sub/deeper/c.bad"}) {
            QFile f(root.filePath(QString::fromLatin1(name)));
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        QTemporaryDir outside;
        QFile f(QDir(outside.path()).filePath(QStringLiteral("outside.db")));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        QVERIFY(QFile::link(outside.path(), root.filePath(QStringLiteral("linked"))));
        Collector collector;
        QCOMPARE(walkDirectory(dir.path(), &collector), 7);
        collector.paths.sort();
        QCOMPARE(collector.paths, QStringList({root.filePath("a.db"), root.filePath("sub/b.db"),
                                               root.filePath("sub/deeper/c.bad")}));
        QCOMPARE(walkDirectory(dir.path() + "/none", &collector), 0);
    }

    void pixmapAlpha()
    {
        QPixmap pixmap(4, 4);
        pixmap.fill(QColor(10, 20, 30, 255));
        const QImage image = setPixmapAlpha(pixmap, 128).toImage();
        QCOMPARE(image.size(), QSize(4, 4));
        QVERIFY(qAbs(qAlpha(image.pixel(1, 1)) - 128) <= 1);
    }

    void enumerationTexts()
    {
        QCOMPARE(smtpConnectionTypeToString(0), QStringLiteral("TCP"));
        QCOMPARE(smtpConnectionTypeToString(1), QStringLiteral("SSL"));
        QCOMPARE(smtpConnectionTypeToString(5), QStringLiteral("Unknown"));
        QCOMPARE(smtpConnectionTypeFromString(QStringLiteral("SSL")), 1);
        QCOMPARE(smtpConnectionTypeFromString(QStringLiteral("ssl")), 2);
        QCOMPARE(priorityToString(2), QStringLiteral("High"));
        QCOMPARE(priorityToString(3), QStringLiteral("Unknown"));
        QCOMPARE(violationTypeToString(0), QStringLiteral("Violation"));
        QCOMPARE(entityTypeToString(1), QStringLiteral("Unknown"));
        QCOMPARE(requestCommandPath(ARequestTypes::GETCONFIG), QStringLiteral("/getConfiguration"));
        QCOMPARE(requestCommandName(3), QString());
    }

    void versionAndBuild()
    {
        QCOMPARE(KivConstants::versionText(), QStringLiteral("1.7"));
        QVERIFY(QRegularExpression(QStringLiteral("^1\\.7-V-\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d-M\\d+\\.\\d+$"))
                    .match(KivConstants::buildString())
                    .hasMatch());
        QCOMPARE(KivConstants::epoch().toString(Qt::ISODate), QStringLiteral("1970-01-01T00:00:00"));
    }

    // The user's guide is laid out by the build from the README, beside the program; it is
    // looked for beside the program and handed to the desktop's opener, whose exit status
    // tells whether it opened.
    void documentationIsBuiltAndFound_data()
    {
        QTest::addColumn<bool>("present");
        QTest::addColumn<int>("viewerStatus");
        QTest::addColumn<bool>("opened");
        QTest::newRow("shown") << true << 0 << true;
        QTest::newRow("the viewer fails") << true << 3 << false;
        QTest::newRow("missing") << false << 0 << false;
    }

    void documentationIsBuiltAndFound()
    {
        QFETCH(bool, present);
        QFETCH(int, viewerStatus);
        QFETCH(bool, opened);
        const QString built = QStringLiteral(KIV_PROGRAM_DIR "/KIV_documentation.pdf");
        QFile guide(built);
        QVERIFY2(guide.open(QIODevice::ReadOnly), qPrintable(built));
        QCOMPARE(guide.read(5), QByteArray("%PDF-"));
        guide.close();
        const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
        if (!pdftotext.isEmpty()) {
            QProcess text;
            text.start(pdftotext, {built, QStringLiteral("-")});
            QVERIFY(text.waitForFinished(30000));
            const QString words = QString::fromUtf8(text.readAllStandardOutput());
            QVERIFY(words.contains(QStringLiteral("KIV loudness logger")));
            QVERIFY(words.contains(QStringLiteral("What the program does not do")));
        }

        QTemporaryDir bin;
        QFile viewer(bin.filePath(QStringLiteral("xdg-open")));
        QVERIFY(viewer.open(QIODevice::WriteOnly));
        viewer.write(QStringLiteral("#!/bin/sh\necho \"$1\" > '%1'\nexit %2\n")
                         .arg(bin.filePath(QStringLiteral("asked")))
                         .arg(viewerStatus)
                         .toUtf8());
        viewer.close();
        QVERIFY(viewer.setPermissions(viewer.permissions() | QFileDevice::ExeOwner));
        const QByteArray path = qgetenv("PATH");
        auto restore = qScopeGuard([path] {
            qputenv("PATH", path);
            QFile::remove(documentationFilePath());
        });
        qputenv("PATH", QFile::encodeName(bin.path()) + ':' + path);
        QFile::remove(documentationFilePath());
        if (present)
            QVERIFY(QFile::copy(built, documentationFilePath()));

        std::atomic<int> told{-1};
        openDocumentation([&told](bool yes) { told = yes ? 1 : 0; });
        QTRY_COMPARE_WITH_TIMEOUT(told.load(), opened ? 1 : 0, 10000);
        QFile asked(bin.filePath(QStringLiteral("asked")));
        QCOMPARE(asked.open(QIODevice::ReadOnly), present);
        if (present)
            QCOMPARE(asked.readAll().trimmed(), QFile::encodeName(documentationFilePath()));
    }
};

KIV_TEST_MAIN(TestUtils, QGuiApplication)
#include "tst_utils.moc"
