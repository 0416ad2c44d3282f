#include "ReportTestUtil.h"

#include <KivTest.h>
#include <LoudnessReference.h>
#include <ReportProgramCalculator.h>
#include <ReportTask.h>

#include <QCoreApplication>

#include <cmath>
#include <random>

using namespace ReportTest;
using TimeList = QList<qint64>;

namespace {

const InstrumentConfig &instrument()
{
    static const InstrumentConfig config(QStringLiteral("Studio 1"));
    return config;
}

// Offsets from kT0 of the samples a calculator lists.
TimeList listed(const ReportProgramCalculator &calculator)
{
    TimeList times;
    for (const AgData &sample : calculator.getReportSamples())
        times << sample.getTimestamp() - kT0;
    return times;
}

// The ten counters, each as main then secondary: momentary, short-term, true peak,
// integrated above, integrated below.
using Counts = QList<int>;

Counts countsOf(const AgViolations &v)
{
    return {v.getMomentaryMainCount(),       v.getMomentarySecondaryCount(),
            v.getShortTermMainCount(),       v.getShortTermSecondaryCount(),
            v.getTruePeakMainCount(),        v.getTruePeakSecondaryCount(),
            v.getIntegratedUpperMainCount(), v.getIntegratedUpperSecondaryCount(),
            v.getIntegratedLowerMainCount(), v.getIntegratedLowerSecondaryCount()};
}

} // namespace

class TestReportCalculator : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { KivTest::startLog(4); }

    // Three programs as the store records them: program 11 (95 s, a momentary error, a
    // true-peak warning in a window that spans two slices, a momentary value exactly at the
    // main limit, a short-term warning in the final window), program 12 (35 s, integrated loudness above both upper limits), then
    // program 11 again.
    void followsTheRulesSliceBySlice_data()
    {
        QTest::addColumn<bool>("checkIAtProgramEndOnly");
        QTest::addColumn<Counts>("integratedCounts");
        QTest::addColumn<TimeList>("integratedListed");
        // Program 12's integrated errors count once, at its end; only its final window and
        // last sample are listed.
        QTest::newRow("integrated judged at program end")
            << true << Counts{0, 0, 0, 0, 0, 0, 1, 1, 0, 0} << TimeList{123500, 130000};
        // Every sample counts, and every window is listed.
        QTest::newRow("integrated judged throughout")
            << false << Counts{0, 0, 0, 0, 0, 0, 350, 350, 0, 0}
            << TimeList{95100, 102200, 109300, 116400, 123500, 130000};
    }

    void followsTheRulesSliceBySlice()
    {
        QFETCH(bool, checkIAtProgramEndOnly);
        QFETCH(Counts, integratedCounts);
        QFETCH(TimeList, integratedListed);

        const AgConfig config = agConfig();
        std::unique_ptr<AAgDataModel> model = freshStore(instrument(), config);
        std::vector<AgData> samples = programSamples(0, 95000, 11);
        samples[200].setM400ms(-5.0);  // 20.0 s: above both momentary limits
        samples[305].setTP(-1.5);      // 30.5 s: above the secondary true-peak limit only
        samples[500].setM400ms(-8.0);  // 50.0 s: at the main limit, above the secondary one
        samples[930].setS(-16.0);      // 93.0 s, in the final window: a short-term warning
        for (AgData &sample : programSamples(95100, 130000, 12)) {
            sample.setI(-21.0);
            samples.push_back(sample);
        }
        for (const AgData &sample : programSamples(130100, 140000, 11))
            samples.push_back(sample);
        QCOMPARE(store(*model, samples), 0);

        int err = -1;
        const std::vector<Program> programs = model->getPrograms(&err);
        QCOMPARE(err, 0);
        QCOMPARE(int(programs.size()), 3);
        QCOMPARE(programs[0].getEnd(), kT0 + 95000);
        QCOMPARE(programs[2].getProgramId(), qint64(11));

        ReportTask task(QStringLiteral("key"), checkIAtProgramEndOnly, ReportConfig(),
                        instrument(), config, programs, kT0, kT0 + 140000);
        // Program 11 in four slices; a window is listed once the window after it closes,
        // which for the 28.4 s window happens only in the second slice.
        const QList<TimeList> afterSlice = {
            {14200}, {14200, 28400}, {14200, 28400, 49700}, {14200, 28400, 49700, 92300, 95000}};
        for (const TimeList &expected : afterSlice) {
            QVERIFY(!task.isAllProgramsCalculated());
            task.calculateNextSlice(model.get());
            QCOMPARE(listed(task.getCalculators().value(11)), expected);
        }
        const ReportProgramCalculator first = task.getCalculators().value(11);
        QVERIFY(first.isFinished());
        QCOMPARE(countsOf(first.getViolations()), (Counts{1, 2, 0, 1, 0, 1, 0, 0, 0, 0}));
        const ProgramCalculationData data = first.getCalculationData();
        QCOMPARE(data.getStartTimecode(), timecodeOf(10, 0, 0));
        QCOMPARE(data.getEndTimecode(), timecodeOf(10, 1, 35));
        QCOMPARE(data.getStartTime(), kT0);
        QCOMPARE(data.getEndTime(), kT0 + 95000);
        QCOMPARE(data.getMomentaryMax(), -5.0);
        QCOMPARE(data.getTruePeakMax(), -1.5);
        // A listed window carries its start time and its worst sample's values.
        const AgData spike = first.getReportSamples().front();
        QCOMPARE(spike.getM400ms(), -5.0);
        QCOMPARE(spike.getTimecode(), timecodeOf(10, 0, 20));

        // Program 12 in two slices, then program 11 again, which adds nothing.
        task.calculateNextSlice(model.get());
        QVERIFY(!task.isAllProgramsCalculated());
        task.calculateNextSlice(model.get());
        QVERIFY(!task.isAllProgramsCalculated());
        task.calculateNextSlice(model.get());
        QVERIFY(task.isAllProgramsCalculated());
        QCOMPARE(task.getCalculators().keys(), (QList<qint64>{11, 12}));
        const ReportProgramCalculator second = task.getCalculators().value(12);
        QCOMPARE(countsOf(second.getViolations()), integratedCounts);
        QCOMPARE(listed(second), integratedListed);
        QCOMPARE(listed(task.getCalculators().value(11)), afterSlice.last());
    }

    // A final window whose worst sample is the program's last one (its stop row) lists that
    // sample once, not once as the window and once as the last sample.
    void listsTheLastSampleOnce()
    {
        const AgConfig config = agConfig();
        std::unique_ptr<AAgDataModel> model = freshStore(instrument(), config);
        std::vector<AgData> samples = programSamples(0, 10000, 3);
        samples.back().setM400ms(-5.0);
        samples.back().setEvents(2); // stop
        QCOMPARE(store(*model, samples), 0);

        ReportTask task(QStringLiteral("key"), true, ReportConfig(), instrument(), config,
                        {Program(1, 3, kT0, kT0 + 10000)}, kT0, kT0 + 10000);
        QVERIFY(calculateAll(task, *model));
        const ReportProgramCalculator calculator = task.getCalculators().value(3);
        QCOMPARE(listed(calculator), TimeList{10000});
        QCOMPARE(calculator.getReportSamples().front().getM400ms(), -5.0);
    }

    // The program's loudness as the reference meter measures it: the report uses the same
    // two-stage gating as the live display.
    void agreesWithReferenceMeter_data()
    {
        using namespace LoudnessReference;
        QTest::addColumn<Signal>("signal");
        QTest::addColumn<QString>("unit");
        QTest::newRow("steady tones") << Signal{tone(20, -36), tone(40, -23), tone(20, -30)}
                                      << QStringLiteral("LUFS");
        QTest::newRow("quiet passage then a long pause")
            << Signal{tone(45, -23), tone(40, -37), silence(400)} << QStringLiteral("LUFS");
        QTest::newRow("long pause between two levels")
            << Signal{tone(60, -20), silence(300), tone(60, -27)} << QStringLiteral("LU");
        Signal varied;
        std::mt19937 random(20);
        for (int i = 0; i < 60; ++i)
            varied.append(tone(1.3, -45.0 + 30.0 * (random() / 4294967296.0)));
        QTest::newRow("varied levels") << varied << QStringLiteral("LKFS");
    }

    void agreesWithReferenceMeter()
    {
        QFETCH(LoudnessReference::Signal, signal);
        QFETCH(QString, unit);
        const LoudnessReference::Reference ref = LoudnessReference::measure(signal);
        QVERIFY(!ref.momentary.empty());

        AgConfig config = agConfig();
        config.setLoudnessUnit(unit);
        const double offset = unit == QLatin1String("LU") ? config.getTargetLoudness() : 0.0;
        std::unique_ptr<AAgDataModel> model = freshStore(instrument(), config);
        std::vector<AgData> samples;
        for (size_t k = 0; k < ref.momentary.size(); ++k) {
            samples.push_back(quietSample(qint64(k) * 100, 3));
            samples.back().setM400ms(ref.momentary[k] - offset);
        }
        QCOMPARE(store(*model, samples), 0);
        const qint64 end = kT0 + qint64(ref.momentary.size() - 1) * 100;

        ReportTask task(QStringLiteral("key"), true, ReportConfig(), instrument(), config,
                        {Program(1, 3, kT0, end)}, kT0, end);
        QVERIFY(calculateAll(task, *model));
        const double integrated =
            task.getCalculators().value(3).getCalculationData().getIntegrated() + offset;
        QVERIFY2(std::abs(integrated - ref.integrated) <= 0.1,
                 qPrintable(QStringLiteral("%1 %2, reference %3 LUFS")
                                .arg(integrated)
                                .arg(unit)
                                .arg(ref.integrated)));
    }
};

KIV_TEST_MAIN(TestReportCalculator, QCoreApplication)
#include "tst_reportcalculator.moc"
