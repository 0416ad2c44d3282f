// One audiogroup's report over six hours of samples (216,000 rows) in a file written by the
// store: the calculation of every program in 30 s slices, and the report XML.
#include <AAgDataModel.h>
#include <AgDataVector.h>
#include <InstrumentConfig.h>
#include <KivUtils.h>
#include <ReportTask.h>
#include <ReportXMLComposer.h>

#include <QDir>
#include <QTemporaryDir>
#include <QTextStream>

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

constexpr qint64 kT0 = 1700000000000;
constexpr qint64 kSamples = 216000;          // 6 h at 100 ms
constexpr qint64 kProgramSamples = 18000;    // a program every 30 min

AgConfig benchConfig()
{
    AgConfig config(QStringLiteral("Main"));
    config.setLoudnessUnit(QStringLiteral("LUFS"));
    config.setTargetLoudness(-23.0);
    config.setMainThresholdActiveState(true);
    config.setSecondaryThresholdActiveState(true);
    // Loudness limits relative to the target: M -8/-10, S -15/-17, I -22..-24 LUFS.
    config.setMUpperThreshold(15.0);
    config.setMUpperSecondaryThreshold(13.0);
    config.setSUpperThreshold(8.0);
    config.setSUpperSecondaryThreshold(6.0);
    config.setTPUpperThreshold(-1.0);
    config.setTPUpperSecondaryThreshold(-2.0);
    config.setIUpperThreshold(1.0);
    config.setIUpperSecondaryThreshold(0.5);
    config.setILowerThreshold(-1.0);
    config.setILowerSecondaryThreshold(-0.5);
    return config;
}

const InstrumentConfig &benchInstrument()
{
    static const InstrumentConfig instrument(QStringLiteral("Studio 1"));
    return instrument;
}

// Programme material with a loud passage now and then: a few hundred listed windows.
AgData sampleAt(qint64 k)
{
    AgData sample(QStringLiteral("Main"));
    sample.setEmpty(false);
    sample.setTimestamp(kT0 + k * 100);
    sample.setTimecode(k);
    sample.setProgramId(1 + k / kProgramSamples);
    const double level = -23.0 + 6.0 * std::sin(k * 0.0007) + 3.0 * std::sin(k * 0.031);
    sample.setM400ms(k % 3000 < 10 ? -5.0 : level);
    sample.setS(level - 1.0);
    sample.setTP(level + 12.0 > -1.5 ? -1.5 : level + 12.0);
    sample.setI(-23.0 + 1.5 * std::sin(k * 0.0001));
    sample.setLRA(7.0);
    return sample;
}

// The store's own file of six hours, written once through the store's insert path.
class Fixture
{
public:
    Fixture()
    {
        qputenv("HOME", m_dir.path().toLocal8Bit());
        QDir().mkpath(getDataFolderPath());
        m_model.init(0, benchInstrument(), benchConfig(), false, QString());
        for (qint64 k = 0; k < kSamples; k += 3000) {
            AgDataVector batch(QStringLiteral("Main"), 0);
            for (qint64 i = k; i < k + 3000; ++i)
                batch.append(sampleAt(i));
            int err = 0;
            m_model.insertData(&batch, true, &err);
            if (err != 0) {
                std::fprintf(stderr, "insert failed: %d\n", err);
                std::abort();
            }
        }
        int err = 0;
        m_programs = m_model.getPrograms(&err);
        if (err != 0 || m_programs.size() != size_t(kSamples / kProgramSamples)) {
            std::fprintf(stderr, "programs: %d, %zu\n", err, m_programs.size());
            std::abort();
        }
    }

    ReportTask task() const
    {
        ReportConfig company;
        company.setCompanyName(QStringLiteral("Acme Broadcasting"));
        return ReportTask(QStringLiteral("bench"), true, company, benchInstrument(),
                          benchConfig(), m_programs, kT0, kT0 + (kSamples - 1) * 100);
    }
    AAgDataModel *model() { return &m_model; }

private:
    QTemporaryDir m_dir;
    AAgDataModel m_model;
    std::vector<Program> m_programs;
};

Fixture &fixture()
{
    static Fixture instance;
    return instance;
}

int calculate(ReportTask &task)
{
    int steps = 0;
    while (!task.isAllProgramsCalculated()) {
        task.calculateNextSlice(fixture().model());
        ++steps;
    }
    return steps;
}

QString compose(const ReportTask &task)
{
    QString xml;
    QTextStream stream(&xml);
    stream.setCodec("UTF-8");
    if (!ReportXMLComposer(&stream, &task).compose())
        std::abort();
    return xml;
}

void BM_ReportCalculation(benchmark::State &state)
{
    fixture();
    int steps = 0;
    for (auto _ : state) {
        ReportTask task = fixture().task();
        steps = calculate(task);
        benchmark::DoNotOptimize(task.getCalculators().size());
    }
    state.counters["steps"] = steps;
    state.counters["step_us"] = benchmark::Counter(
        double(steps) * state.iterations(),
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.SetItemsProcessed(state.iterations() * kSamples);
}
BENCHMARK(BM_ReportCalculation)->Unit(benchmark::kMillisecond)->MinTime(3.0);

void BM_ReportXml(benchmark::State &state)
{
    ReportTask task = fixture().task();
    calculate(task);
    size_t bytes = 0;
    int listed = 0;
    for (const ReportProgramCalculator &calculator : task.getCalculators())
        listed += int(calculator.getReportSamples().size());
    for (auto _ : state) {
        const QString xml = compose(task);
        bytes = size_t(xml.toUtf8().size());
    }
    state.counters["bytes"] = double(bytes);
    state.counters["listed"] = listed;
}
BENCHMARK(BM_ReportXml)->Unit(benchmark::kMillisecond);

void BM_ReportWhole(benchmark::State &state)
{
    fixture();
    for (auto _ : state) {
        ReportTask task = fixture().task();
        calculate(task);
        benchmark::DoNotOptimize(compose(task).size());
    }
    state.SetItemsProcessed(state.iterations() * kSamples);
}
BENCHMARK(BM_ReportWhole)->Unit(benchmark::kMillisecond)->MinTime(3.0);

} // namespace

BENCHMARK_MAIN();
