#include "ReportTestUtil.h"

#include <HtmlToPdf.h>
#include <KivTest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <utility>

using KivTest::childProcesses;

class TestHtmlToPdf : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    // A stand-in converter: a shell script with the given body.
    QString converter(const QString &name, const QByteArray &body, bool executable = true)
    {
        const QString path = m_dir.filePath(name);
        return ReportTest::writeShellScript(path, body, executable) ? path : QString();
    }

    bool start(HtmlToPdf &htmlToPdf)
    {
        return htmlToPdf.start(m_dir.filePath(QStringLiteral("a.xml")),
                               m_dir.filePath(QStringLiteral("a.xsl")),
                               m_dir.filePath(QStringLiteral("a.tmp")),
                               m_dir.filePath(QStringLiteral("a.pdf")));
    }

private slots:
    void initTestCase()
    {
        KivTest::startLog(4);
        QVERIFY(m_dir.isValid());
    }

    void cleanup()
    {
        // Whatever a case did, it left no converter behind, running or unreaped.
        QCOMPARE(childProcesses(), (QList<QPair<int, QChar>>{}));
        m_dir.setAutoRemove(!QTest::currentTestFailed());
    }

    void idleBeforeStart()
    {
        HtmlToPdf htmlToPdf;
        QVERIFY(!htmlToPdf.isFinished());
        QCOMPARE(htmlToPdf.getExitCode(), HtmlToPdf::kNotStarted);
        QVERIFY(!htmlToPdf.terminate());
        QCOMPARE(HtmlToPdf::defaultProgramPath(),
                 QCoreApplication::applicationDirPath() + QStringLiteral("/KivHtml2Pdf.exe"));
    }

    void outcome_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<bool>("executable");
        QTest::addColumn<bool>("started");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QByteArray>("logged");
        QTest::newRow("converted") << QByteArray("exit 0") << true << true << 0 << QByteArray();
        QTest::newRow("fails with 3")
            << QByteArray("echo 'the template broke' >&2; exit 3") << true << true << 3
            << QByteArray("the converter ended with 3: the template broke");
        QTest::newRow("killed by a signal") << QByteArray("kill -SEGV $$") << true << true
                                            << 128 + 11 << QByteArray("ended with 139");
        QTest::newRow("not executable") << QByteArray("exit 0") << false << false
                                        << int(HtmlToPdf::kNotStarted)
                                        << QByteArray("cannot start");
    }

    void outcome()
    {
        QFETCH(QByteArray, body);
        QFETCH(bool, executable);
        QFETCH(bool, started);
        QFETCH(int, exitCode);
        QFETCH(QByteArray, logged);
        HtmlToPdf htmlToPdf(converter(QString::fromLatin1(QTest::currentDataTag()) +
                                          QStringLiteral(".sh"),
                                      body, executable));
        QCOMPARE(start(htmlToPdf), started);
        if (started)
            QTRY_VERIFY_WITH_TIMEOUT(htmlToPdf.isFinished(), 20000);
        else
            QVERIFY(!htmlToPdf.isFinished());
        QCOMPARE(htmlToPdf.getExitCode(), exitCode);
        QVERIFY(!htmlToPdf.terminate());
        QVERIFY(KivTest::readLog().contains(logged));
    }

    void missingConverter()
    {
        HtmlToPdf htmlToPdf(m_dir.filePath(QStringLiteral("nowhere/KivHtml2Pdf.exe")));
        QVERIFY(!start(htmlToPdf));
        QVERIFY(!htmlToPdf.isFinished());
        QCOMPARE(htmlToPdf.getExitCode(), HtmlToPdf::kNotStarted);
        // The converter beside this test program does not exist either.
        HtmlToPdf besideProgram;
        QVERIFY(!start(besideProgram));
    }

    // Paths reach the converter whole, as single arguments, however they are spelled.
    void argumentsArriveWhole()
    {
        const QString record = m_dir.filePath(QStringLiteral("args.txt"));
        HtmlToPdf htmlToPdf(converter(
            QStringLiteral("record.sh"),
            QStringLiteral("for a in \"$@\"; do printf '%s\\n' \"$a\"; done > '%1'").arg(record).toUtf8()));
        const QStringList paths = {
            QStringLiteral("/data folder/tmp_I__a/Report \"x\".xml"),
            QStringLiteral("/data folder/tmp_I__a/report.xsl; rm -rf $HOME"),
            QStringLiteral("/data folder/reports_I__a/Report 'y' `z`.tmp"),
            QStringLiteral("/data folder/reports_I__a/R\u00e9port.pdf")};
        QVERIFY(htmlToPdf.start(paths[0], paths[1], paths[2], paths[3]));
        QVERIFY(!htmlToPdf.start(paths[0], paths[1], paths[2], paths[3]));
        QTRY_VERIFY_WITH_TIMEOUT(htmlToPdf.isFinished(), 20000);
        QCOMPARE(htmlToPdf.getExitCode(), 0);
        QFile file(record);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QStringList expected = {QStringLiteral("--input"), paths[0], paths[1],
                                      QStringLiteral("--output"), paths[2], paths[3]};
        QCOMPARE(QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts),
                 expected);
    }

    void terminateKillsAndReaps()
    {
        HtmlToPdf htmlToPdf(converter(QStringLiteral("sleeper.sh"), "exec sleep 60"));
        QVERIFY(start(htmlToPdf));
        QVERIFY(!htmlToPdf.isFinished());
        QCOMPARE(htmlToPdf.getExitCode(), HtmlToPdf::kUnknown);
        QCOMPARE(childProcesses().size(), 1);
        QVERIFY(htmlToPdf.terminate());
        QVERIFY(htmlToPdf.isFinished());
        QCOMPARE(htmlToPdf.getExitCode(), HtmlToPdf::kTerminated);
        QVERIFY(!htmlToPdf.terminate());
    }

    // Going away kills a converter still running; a move hands it over instead.
    void destructionKillsMoveHandsOver()
    {
        auto first = std::make_unique<HtmlToPdf>(
            converter(QStringLiteral("sleeper.sh"), "exec sleep 60"));
        QVERIFY(start(*first));
        QCOMPARE(childProcesses().size(), 1);
        const int pid = childProcesses().front().first;
        {
            HtmlToPdf second(std::move(*first));
            first.reset();
            QCOMPARE(childProcesses().size(), 1);
            QCOMPARE(childProcesses().front().first, pid);
            QVERIFY(!second.isFinished());
        }
        QVERIFY(childProcesses().isEmpty());
    }
};

KIV_TEST_MAIN(TestHtmlToPdf, QCoreApplication)
#include "tst_htmltopdf.moc"
