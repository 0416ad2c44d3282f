#include "MemoryAgDataModel.h"

#include <AAgDataModel.h>
#include <ActiveProgram.h>
#include <AgDataVector.h>
#include <KivTest.h>
#include <LiveProgramCalculator.h>
#include <LoudnessReference.h>
#include <MarkersProgramCalculator.h>

#include <QCoreApplication>

#include <cmath>
#include <limits>
#include <memory>
#include <random>

namespace {

using namespace LoudnessReference;

constexpr qint64 kT0 = 1700000000000;
constexpr double kTarget = -23.0;

AgConfig configFor(const QString &unit)
{
    AgConfig config(QStringLiteral("Main"));
    config.setLoudnessUnit(unit);
    config.setTargetLoudness(kTarget);
    return config;
}

AgData sampleAt(qint64 timestamp, double m400)
{
    AgData sample(QStringLiteral("Main"));
    sample.setEmpty(false);
    sample.setTimestamp(timestamp);
    sample.setTimecode(timestamp / 10);
    sample.setProgramId(7);
    sample.setM400ms(m400);
    return sample;
}

// Runs a calculator until its span is done; false when it never finishes.
bool runToEnd(ProgramCalculator &calculator, AAgDataModel &model)
{
    for (int i = 0; i < 100000 && !calculator.isFinished(); ++i)
        calculator.processNextChunk(&model);
    return calculator.isFinished();
}

} // namespace

class TestProgramLoudness : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { KivTest::startLog(4); }

    void agreesWithReferenceMeter_data()
    {
        QTest::addColumn<Signal>("signal");
        QTest::newRow("steady tones -36/-23/-36")
            << Signal{tone(10, -36), tone(10, -23), tone(10, -36)};
        QTest::newRow("tones with -72 dBFS lead-in and tail")
            << Signal{tone(10, -72), tone(10, -36), tone(10, -23), tone(10, -36), tone(10, -72)};
        // Shorter than one slice: the gate must come from this very slice.
        QTest::newRow("short span, quiet second half") << Signal{tone(12, -20), tone(12, -42)};
        // 13 LU below the rest, then minutes of silence: the quiet passage lies below the
        // relative gate, and the silence must not drag the gate down.
        QTest::newRow("quiet passage then silence")
            << Signal{tone(40, -23), tone(30, -36), silence(120)};
        QTest::newRow("pauses below the absolute gate")
            << Signal{tone(20, -24), tone(40, -80), tone(15, -36), silence(20), tone(15, -24)};
        QTest::newRow("level ramp") << Signal{{30, -45, -15}};
        Signal varied;
        std::mt19937 random(1770);
        for (int i = 0; i < 25; ++i)
            varied.append(tone(1.6, -42.0 + 27.0 * (random() / 4294967296.0)));
        QTest::newRow("varied levels") << varied;
    }

    void agreesWithReferenceMeter()
    {
        QFETCH(Signal, signal);
        const Reference ref = measure(signal);
        QVERIFY(!ref.momentary.empty());
        QVERIFY(std::isfinite(ref.integrated));

        for (const QString &unit : {QStringLiteral("LUFS"), QStringLiteral("LU")}) {
            const double offset = unit == QLatin1String("LU") ? kTarget : 0.0;
            auto *store = new MemoryAgDataModel;
            AAgDataModel model(store);
            for (size_t k = 0; k < ref.momentary.size(); ++k)
                store->addRow(sampleAt(kT0 + qint64(k) * 100, ref.momentary[k] - offset));
            const qint64 end = kT0 + qint64(ref.momentary.size() - 1) * 100;

            // The whole span at once, in 30 s slices.
            LiveProgramCalculator whole;
            whole.setAgConfig(configFor(unit));
            whole.setInterval(7, kT0, end);
            QVERIFY(runToEnd(whole, model));
            const double wholeResult = whole.getCalculationData().getIntegrated() + offset;
            QVERIFY2(std::abs(wholeResult - ref.integrated) <= 0.1,
                     qPrintable(QStringLiteral("%1: %2 LUFS, reference %3 LUFS")
                                    .arg(unit)
                                    .arg(wholeResult)
                                    .arg(ref.integrated)));

            // Live: the span grows by 2 s at a time, as samples arrive.
            LiveProgramCalculator live;
            live.setAgConfig(configFor(unit));
            for (qint64 growing = kT0 + 2000;; growing += 2000) {
                live.setInterval(7, kT0, std::min(growing, end));
                QVERIFY(runToEnd(live, model));
                if (growing >= end)
                    break;
            }
            const double liveResult = live.getCalculationData().getIntegrated() + offset;
            QVERIFY2(std::abs(liveResult - ref.integrated) <= 0.1,
                     qPrintable(QStringLiteral("live %1: %2 LUFS, reference %3 LUFS")
                                    .arg(unit)
                                    .arg(liveResult)
                                    .arg(ref.integrated)));
        }
    }

    void histogramBinsAndGates_data()
    {
        QTest::addColumn<double>("m400");
        QTest::addColumn<int>("bin");
        QTest::addColumn<double>("integrated");
        const double inf = std::numeric_limits<double>::infinity();
        QTest::newRow("-23 LUFS") << -23.0 << 94 << -23.0;
        QTest::newRow("half rounds up") << -22.75 << 95 << -22.75;
        QTest::newRow("at the absolute gate") << -70.0 << 0 << ProgramCalculator::kGatedOut;
        QTest::newRow("just above the absolute gate") << -69.9 << 0 << -69.9;
        QTest::newRow("below the scale") << -90.0 << 0 << ProgramCalculator::kGatedOut;
        QTest::newRow("above the scale") << 45.0 << 200 << 30.0;
        QTest::newRow("silence") << -inf << 0 << ProgramCalculator::kGatedOut;
        QTest::newRow("infinitely loud") << inf << 200 << 30.0;
        QTest::newRow("not a number") << std::nan("") << -1 << ProgramCalculator::kGatedOut;
    }

    void histogramBinsAndGates()
    {
        QFETCH(double, m400);
        QFETCH(int, bin);
        QFETCH(double, integrated);
        LiveProgramCalculator calculator;
        calculator.setAgConfig(configFor(QStringLiteral("LUFS")));
        AgDataVector batch;
        for (int i = 0; i < 3; ++i)
            batch.append(sampleAt(kT0 + i * 100, m400));
        calculator.addSamples(&batch, true);
        const ProgramCalculationData data = calculator.getCalculationData();
        const QList<double> counts = data.getHistogramCounts();
        QCOMPARE(counts.size(), 201);
        double total = 0.0;
        for (double count : counts)
            total += count;
        QCOMPARE(total, bin < 0 ? 0.0 : 3.0);
        if (bin >= 0)
            QCOMPARE(counts.at(bin), 3.0);
        QVERIFY2(std::abs(data.getIntegrated() - integrated) < 1e-9,
                 qPrintable(QString::number(data.getIntegrated())));
    }

    // Samples of one bin add their energies: -23.2 and -22.8 LUFS share the bin of -23.
    void binEnergiesAreSums()
    {
        LiveProgramCalculator calculator;
        calculator.setAgConfig(configFor(QStringLiteral("LUFS")));
        AgDataVector batch;
        batch.append(sampleAt(kT0, -23.2));
        batch.append(sampleAt(kT0 + 100, -22.8));
        calculator.addSamples(&batch, true);
        const double expected =
            10.0 * std::log10((std::pow(10.0, -2.32) + std::pow(10.0, -2.28)) / 2.0);
        QVERIFY(std::abs(calculator.getCalculationData().getIntegrated() - expected) < 1e-9);
    }

    void relativeUnitIsOffsetByTarget()
    {
        LiveProgramCalculator calculator;
        calculator.setAgConfig(configFor(QStringLiteral("LU")));
        AgDataVector batch;
        for (int i = 0; i < 10; ++i)
            batch.append(sampleAt(kT0 + i * 100, 0.0));
        calculator.addSamples(&batch, true);
        const ProgramCalculationData data = calculator.getCalculationData();
        QCOMPARE(data.getHistogramCounts().at(94), 10.0);
        QVERIFY(std::abs(data.getIntegrated()) < 1e-9);
    }

    void slicesAndSentinels()
    {
        auto *store = new MemoryAgDataModel;
        AAgDataModel model(store);
        for (qint64 t = kT0 + 1000; t <= kT0 + 65000; t += 100) {
            AgData sample = sampleAt(t, -30.0);
            sample.setS(t == kT0 + 40000 ? -12.0 : -25.0);
            sample.setTP(t == kT0 + 64000 ? -1.5 : -9.0);
            store->addRow(sample);
        }
        LiveProgramCalculator calculator;
        calculator.setAgConfig(configFor(QStringLiteral("LUFS")));
        calculator.setInterval(7, kT0, kT0 + 65000);
        QCOMPARE(calculator.getCalculationData().getIntegrated(), ProgramCalculator::kNoValue);

        // The first stored sample comes a second after the start.
        calculator.processNextChunk(&model);
        calculator.processNextChunk(&model);
        calculator.processNextChunk(&model);
        QVERIFY(calculator.isFinished());
        const std::vector<QPair<qint64, qint64>> expected = {
            {kT0, kT0 + 30000}, {kT0 + 30001, kT0 + 60001}, {kT0 + 60002, kT0 + 65000}};
        QCOMPARE(store->reads, expected);
        const ProgramCalculationData data = calculator.getCalculationData();
        QCOMPARE(data.getStartTimecode(), (kT0 + 1000) / 10);
        QCOMPARE(data.getEndTimecode(), (kT0 + 65000) / 10);
        QCOMPARE(data.getProcessedUntil(), kT0 + 65001);
        QCOMPARE(data.getMomentaryMax(), -30.0);
        QCOMPARE(data.getShortTermMax(), -12.0);
        QCOMPARE(data.getTruePeakMax(), -1.5);
        QVERIFY(std::abs(data.getIntegrated() + 30.0) < 1e-9);

        // A span without samples is gated out once read; an empty first slice leaves the
        // first timecode unset.
        LiveProgramCalculator empty;
        empty.setInterval(8, kT0 - 20000, kT0 - 10000);
        empty.processNextChunk(&model);
        QCOMPARE(empty.getCalculationData().getIntegrated(), ProgramCalculator::kGatedOut);
        QCOMPARE(empty.getCalculationData().getStartTimecode(), qint64(-1));
    }

    // A slice that cannot be read is read again, never left out of the result; the failure
    // is logged once per slice, not at every retry.
    void failedSliceIsRetried()
    {
        const QString logged = QStringLiteral("cannot read the samples from");
        auto lines = [&] { return QString::fromUtf8(KivTest::readLog()).count(logged); };
        const int before = lines();
        auto *store = new MemoryAgDataModel;
        AAgDataModel model(store);
        for (qint64 t = kT0; t <= kT0 + 10000; t += 100)
            store->addRow(sampleAt(t, t < kT0 + 5000 ? -20.0 : -26.0));
        LiveProgramCalculator calculator;
        calculator.setInterval(7, kT0, kT0 + 10000);
        store->failReads = 1;
        calculator.processNextChunk(&model);
        QVERIFY(!calculator.isFinished());
        QCOMPARE(calculator.getCalculationData().getIntegrated(), ProgramCalculator::kNoValue);
        calculator.processNextChunk(&model);
        QVERIFY(calculator.isFinished());
        QCOMPARE(store->reads.size(), size_t(2));
        QCOMPARE(store->reads[1], qMakePair(kT0, kT0 + 10000));
        QCOMPARE(lines() - before, 1);

        // A store that throws is reported, not thrown through.
        store->throwOnRead = true;
        LiveProgramCalculator other;
        other.setInterval(9, kT0, kT0 + 10000);
        for (int i = 0; i < 3; ++i)
            other.processNextChunk(&model);
        QVERIFY(!other.isFinished());
        QCOMPARE(lines() - before, 2);
    }

    void resets_data()
    {
        QTest::addColumn<bool>("markers");
        QTest::addColumn<qint64>("programId");
        QTest::addColumn<qint64>("start");
        QTest::addColumn<qint64>("end");
        QTest::addColumn<bool>("reset");
        QTest::newRow("live, new program id") << false << qint64(8) << kT0 << kT0 + 5000 << true;
        QTest::newRow("markers, new program id") << true << qint64(8) << kT0 << kT0 + 5000 << false;
        QTest::newRow("live, new start") << false << qint64(7) << kT0 + 100 << kT0 + 5000 << true;
        QTest::newRow("markers, new start") << true << qint64(7) << kT0 + 100 << kT0 + 5000 << true;
        QTest::newRow("live, end moved back") << false << qint64(7) << kT0 << kT0 + 4900 << true;
        QTest::newRow("markers, end moved back") << true << qint64(7) << kT0 << kT0 + 4900 << true;
        QTest::newRow("live, same end") << false << qint64(7) << kT0 << kT0 + 5000 << false;
        QTest::newRow("markers, later end") << true << qint64(7) << kT0 << kT0 + 9000 << false;
    }

    void resets()
    {
        QFETCH(bool, markers);
        QFETCH(qint64, programId);
        QFETCH(qint64, start);
        QFETCH(qint64, end);
        QFETCH(bool, reset);
        auto *store = new MemoryAgDataModel;
        AAgDataModel model(store);
        for (qint64 t = kT0; t <= kT0 + 9000; t += 100)
            store->addRow(sampleAt(t, -20.0));
        std::unique_ptr<ProgramCalculator> calculator;
        if (markers)
            calculator = std::make_unique<MarkersProgramCalculator>();
        else
            calculator = std::make_unique<LiveProgramCalculator>();
        calculator->setInterval(7, kT0, kT0 + 5000);
        calculator->processNextChunk(&model);
        QVERIFY(calculator->isFinished());
        calculator->setInterval(programId, start, end);
        QCOMPARE(calculator->getCalculationData().getIntegrated() == ProgramCalculator::kNoValue,
                 reset);
        QCOMPARE(calculator->getProcessedUntil(), reset ? start : kT0 + 5001);
    }

    void activeProgramChoosesCalculator()
    {
        auto *store = new MemoryAgDataModel;
        AAgDataModel model(store);
        for (qint64 t = kT0; t <= kT0 + 9000; t += 100)
            store->addRow(sampleAt(t, t <= kT0 + 3000 ? -20.0 : -24.0));
        ActiveProgram active;
        active.setAgConfig(configFor(QStringLiteral("LUFS")));
        active.setProgram(Program(0, -1, kT0, kT0 + 9000));
        active.setProgram(Program(0, 7, 0, kT0 + 9000));
        active.processNextChunk(&model);
        QCOMPARE(active.getCalculationData().getStartTime(), qint64(0));
        QVERIFY(store->reads.empty());

        active.setProgram(Program(0, 7, kT0, kT0 + 9000));
        active.processNextChunk(&model);
        const double wholeProgram = active.getCalculationData().getIntegrated();
        active.setProgram(Program(2, 7, kT0, kT0 + 3000));
        active.processNextChunk(&model);
        QCOMPARE(active.getCalculationData().getEndTime(), kT0 + 3000);
        QVERIFY(std::abs(active.getCalculationData().getIntegrated() + 20.0) < 1e-9);
        // The live result is kept while the markers are shown.
        active.setProgram(Program(0, 7, kT0, kT0 + 9000));
        QCOMPARE(active.getCalculationData().getIntegrated(), wholeProgram);
    }
};

KIV_TEST_MAIN(TestProgramLoudness, QCoreApplication)
#include "tst_programloudness.moc"
