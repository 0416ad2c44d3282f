// Alert generation: which windows of an audiogroup's samples raise an alert, and the text
// of its description.
#include <KivTest.h>
#include <TestConfigs.h>

#include <AgConfig.h>
#include <AgData.h>
#include <AgDataVector.h>
#include <Alert.h>
#include <AlertGenerator.h>
#include <FakeSystem.h>
#include <InstrumentConfig.h>
#include <KivTypes.h>
#include <KivUtils.h>

#include <QCoreApplication>
#include <QDateTime>

#include <ctime>

namespace {

constexpr qint64 kT0 = 1700000000000; // 2023.11.14 22:13:20 UTC
// Samples every 100 ms; a window of 7031 ms holds 71 of them.
constexpr qint64 kStep = 100;
constexpr int kWindowSamples = 71;
constexpr qint64 kWindowMs = kWindowSamples * kStep;

using KivTest::thresholds;

// The values of every sample of one window.
struct Window
{
    double M = -10.0;
    double S = -10.0;
    double TP = -20.0;
    double I = 0.0;
    qint64 programId = 1;
};
using Windows = QVector<Window>;

Window loud(double M, qint64 programId = 1)
{
    Window w;
    w.M = M;
    w.programId = programId;
    return w;
}

Window quiet(qint64 programId = 1)
{
    Window w;
    w.programId = programId;
    return w;
}

// The same window from a meter reporting absolute loudness at a -23 target.
Window absolute(Window w)
{
    w.M -= 23.0;
    w.S -= 23.0;
    w.I -= 23.0;
    return w;
}

AgConfig absoluteThresholds(const QString &unit)
{
    AgConfig config = thresholds();
    config.setLoudnessUnit(unit);
    config.setTargetLoudness(-23.0);
    return config;
}

QVector<AgData> samplesOf(const Windows &windows)
{
    QVector<AgData> samples;
    for (int k = 0; k < windows.size(); ++k) {
        for (int i = 0; i < kWindowSamples; ++i) {
            AgData s(QStringLiteral("Main"));
            s.setEmpty(false);
            s.setTimestamp(kT0 + k * kWindowMs + i * kStep);
            s.setProgramId(windows[k].programId);
            s.setM400ms(windows[k].M);
            s.setS(windows[k].S);
            s.setTP(windows[k].TP);
            s.setI(windows[k].I);
            samples.append(s);
        }
    }
    return samples;
}

QString header(qint64 timestamp, const QString &instrument = QStringLiteral("Studio"))
{
    return QStringLiteral("Threshold violation at %1 UTC in %2:Main\n")
        .arg(QDateTime::fromMSecsSinceEpoch(timestamp, Qt::UTC)
                 .toString(QStringLiteral("yyyy.MM.dd hh:mm:ss")),
             instrument);
}

const QString kMomentary =
    QStringLiteral("Momentary: 9.50LU (Threshold main: 8.00LU/ Threshold secondary: 5.00LU)\n");

} // namespace

Q_DECLARE_METATYPE(Windows)

class TestAlertGenerator : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void judgesEachWindowOnceOneWindowLate_data();
    void judgesEachWindowOnceOneWindowLate();
};

void TestAlertGenerator::initTestCase()
{
    // Far from UTC (the headers' day differs there), so a local time in place of the UTC one
    // shows.
    qputenv("TZ", "Pacific/Kiritimati");
    tzset();
}

void TestAlertGenerator::judgesEachWindowOnceOneWindowLate_data()
{
    QTest::addColumn<Windows>("windows");
    QTest::addColumn<AgConfig>("config");
    QTest::addColumn<bool>("checkIAtProgramEndOnly");
    QTest::addColumn<QString>("instrument");
    QTest::addColumn<QStringList>("descriptions");

    const AgConfig main = thresholds();
    const QString studio = QStringLiteral("Studio");
    const QString h0 = header(kT0);

    QTest::newRow("a violation is judged once its successor has closed") << Windows{loud(9.5), quiet(), quiet()}
                                                 << main << true << studio
                                                 << QStringList{h0 + kMomentary};
    QTest::newRow("the first window alone raises nothing")
        << Windows{loud(9.5), quiet()} << main << true << studio << QStringList{};

    Window momentaryAndPeak = loud(9.5);
    momentaryAndPeak.TP = -2.456;
    QTest::newRow("momentary and true peak make one alert of three lines")
        << Windows{momentaryAndPeak, quiet(), quiet()} << main << true << studio
        << QStringList{h0 + kMomentary +
                       "TP: -2.46dBTP (Threshold main: -3.00dBTP/ Threshold secondary: "
                       "-6.00dBTP)\n"};

    Window all = loud(9.5);
    all.S = 3.25;
    all.TP = -1.0;
    all.I = 1.5;
    QTest::newRow("lines in the order momentary, short, integrated, true peak")
        << Windows{all, quiet(), quiet()} << main << false << studio
        << QStringList{h0 + kMomentary +
                       "Short: 3.25LU (Threshold main: 3.00LU/ Threshold secondary: 1.00LU)\n"
                       "Integrated: 1.50LU (Thresholds main: -1.00LU 1.00LU/ Thresholds "
                       "secondary: -2.00LU 2.00LU)\n"
                       "TP: -1.00dBTP (Threshold main: -3.00dBTP/ Threshold secondary: "
                       "-6.00dBTP)\n"};

    Window integrated = quiet();
    integrated.I = -1.5;
    const QString integratedLine = QStringLiteral(
        "Integrated: -1.50LU (Thresholds main: -1.00LU 1.00LU/ Thresholds secondary: "
        "-2.00LU 2.00LU)\n");
    QTest::newRow("integrated inside a program, checked at program ends only")
        << Windows{integrated, quiet(), quiet()} << main << true << studio << QStringList{};
    QTest::newRow("integrated inside a program, checked everywhere")
        << Windows{integrated, quiet(), quiet()} << main << false << studio
        << QStringList{h0 + integratedLine};
    // The program's last window is represented by its last sample.
    QTest::newRow("integrated at the end of a program")
        << Windows{integrated, quiet(2), quiet(2)} << main << true << studio
        << QStringList{header(kT0 + kWindowMs - kStep) + integratedLine};

    Window atLimits = loud(8.0);
    atLimits.S = 3.0;
    atLimits.TP = -3.0;
    atLimits.I = 1.0;
    QTest::newRow("a value equal to its threshold is no violation")
        << Windows{atLimits, quiet(), quiet()} << main << false << studio << QStringList{};

    QTest::newRow("secondary set only, both thresholds shown")
        << Windows{loud(6.0), quiet(), quiet()} << thresholds(false, true) << true << studio
        << QStringList{h0 + "Momentary: 6.00LU (Threshold main: 8.00LU/ Threshold secondary: "
                            "5.00LU)\n"};
    QTest::newRow("crossing an inactive set is no violation")
        << Windows{loud(6.0), quiet(), quiet()} << main << true << studio << QStringList{};

    AgConfig off = main;
    off.setAlertsEnabled(false);
    QTest::newRow("alerts off for the audiogroup")
        << Windows{loud(9.5), loud(9.5), quiet(), quiet()} << off << true << studio
        << QStringList{};

    QTest::newRow("two violating windows, two alerts")
        << Windows{loud(9.5), loud(12.0), quiet(), quiet()} << main << true << studio
        << QStringList{h0 + kMomentary,
                       header(kT0 + kWindowMs) +
                           "Momentary: 12.00LU (Threshold main: 8.00LU/ Threshold secondary: "
                           "5.00LU)\n"};

    // Stored thresholds are relative to the target: an absolute unit shifts them onto it,
    // for the test and for the text; true peak stays in dBTP.
    const AgConfig lufs = absoluteThresholds(QStringLiteral("LUFS"));
    const Window quietLufs = absolute(quiet());
    Window momentaryLufs = absolute(loud(9.5));
    momentaryLufs.TP = -2.456;
    QTest::newRow("LUFS: momentary and true peak against the shifted limits")
        << Windows{momentaryLufs, quietLufs, quietLufs} << lufs << false << studio
        << QStringList{h0 + "Momentary: -13.50LU (Threshold main: -15.00LU/ Threshold secondary: "
                            "-18.00LU)\n"
                            "TP: -2.46dBTP (Threshold main: -3.00dBTP/ Threshold secondary: "
                            "-6.00dBTP)\n"};
    Window lowerLimitLufs = quietLufs;
    lowerLimitLufs.I = -24.0;
    QTest::newRow("LUFS: on the target and at the lower limit is no violation")
        << Windows{quietLufs, lowerLimitLufs, quietLufs, quietLufs} << lufs << false << studio
        << QStringList{};
    Window belowLufs = quietLufs;
    belowLufs.I = -24.01;
    QTest::newRow("LKFS: integrated just below the lower limit")
        << Windows{belowLufs, quietLufs, quietLufs} << absoluteThresholds(QStringLiteral("LKFS"))
        << false << studio
        << QStringList{h0 + "Integrated: -24.01LU (Thresholds main: -24.00LU -22.00LU/ "
                            "Thresholds secondary: -25.00LU -21.00LU)\n"};

    QTest::newRow("characters XML cannot carry are left out of the description")
        << Windows{loud(9.5), quiet(), quiet()} << main << true
        << QStringLiteral("Stu\x01" "di\x1bo\uFFFF")
        << QStringList{h0 + kMomentary};
}

void TestAlertGenerator::judgesEachWindowOnceOneWindowLate()
{
    QFETCH(Windows, windows);
    QFETCH(AgConfig, config);
    QFETCH(bool, checkIAtProgramEndOnly);
    QFETCH(QString, instrument);
    QFETCH(QStringList, descriptions);

    InstrumentConfig instrumentConfig(instrument);
    const QVector<AgData> samples = samplesOf(windows);
    // The same stream in one batch and in small batches: windows carry over.
    for (const int batchSize : {samples.size(), 13}) {
        FakeSystem fake;
        AlertGenerator generator;
        const qint64 before = currentUtcMSecs();
        for (int from = 0; from < samples.size(); from += batchSize) {
            AgDataVector batch;
            for (int i = from; i < qMin(from + batchSize, samples.size()); ++i)
                batch.append(samples[i]);
            generator.checkData(checkIAtProgramEndOnly, &instrumentConfig, &config, &batch);
        }
        const qint64 after = currentUtcMSecs();

        QStringList raised;
        for (const Alert &alert : fake.alerts()) {
            raised << alert.getDescription();
            QCOMPARE(alert.getType(), int(ViolationTypeViolation));
            QCOMPARE(alert.getSeverity(), int(PriorityNormal));
            QCOMPARE(alert.getSource(), int(EntityTypeAudiogroup));
            // Raised now, not at the sample's time.
            QVERIFY(alert.getTime() >= before && alert.getTime() <= after);
        }
        QCOMPARE(raised, descriptions);
    }
}

KIV_TEST_MAIN(TestAlertGenerator, QCoreApplication)
#include "tst_alertgenerator.moc"
