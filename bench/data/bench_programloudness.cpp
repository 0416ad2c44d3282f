// Program loudness over 24 hours of 100 ms samples, from memory.
#include <AAgDataModel.h>
#include <AgDataModel.h>
#include <AgDataVector.h>
#include <LiveProgramCalculator.h>

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>

namespace {

constexpr qint64 kT0 = 1700000000000;
constexpr int kSamples = 864000; // 24 h at 100 ms

AgData sampleAt(int k)
{
    AgData sample(QStringLiteral("Main"));
    sample.setEmpty(false);
    sample.setTimestamp(kT0 + qint64(k) * 100);
    sample.setProgramId(1);
    // Slowly varying programme material with pauses.
    const double level = -23.0 + 8.0 * std::sin(k * 0.0007) + 3.0 * std::sin(k * 0.031);
    sample.setM400ms(k % 9000 < 600 ? -90.0 : level);
    sample.setS(level);
    sample.setTP(level + 10.0);
    return sample;
}

AgConfig absoluteUnits()
{
    AgConfig config(QStringLiteral("Main"));
    config.setLoudnessUnit(QStringLiteral("LUFS"));
    return config;
}

// Level-0 rows held in one vector; a range read copies the slice out, as a store would.
class MemoryModel : public AgDataModel
{
public:
    MemoryModel() : AgDataModel(InstrumentConfig(), AgConfig(), true, QString())
    {
        for (int k = 0; k < kSamples; ++k)
            m_rows.append(sampleAt(k));
    }
    AgDataVector *readData(int level, qint64 from, qint64 to, int *err) override
    {
        auto *out = new AgDataVector(level);
        const qint64 first = std::max<qint64>(0, (from - kT0 + 99) / 100);
        const qint64 last = std::min<qint64>(kSamples - 1, (to - kT0) / 100);
        out->reserve(int(last - first + 1));
        for (qint64 k = first; k <= last; ++k)
            out->append(m_rows.at(int(k)));
        *err = 0;
        return out;
    }
    void closeDatabase() override {}
    AgStoreResult storeData(AgDataVector *, bool) override { return AgStoreResult(); }
    void storeEvents(const std::vector<AgEvent> &, int *err) override { *err = 0; }
    void storeConfig(const AgDbConfig &, int *err) override { *err = 0; }
    void storeVersion(int *err) override { *err = 0; }
    void backupProgramData(const std::vector<Program> &, int *err) override { *err = 0; }
    int buildZoomLevels(const std::vector<AgData> &, QMap<int, std::vector<AgData>> *) override
    {
        return 0;
    }
    int storeProgramEvents(std::vector<AgData> *, std::vector<AgEvent> *) override { return 0; }
    int storeZoomLevel(int, qint64, qint64, std::vector<AgData> *) override { return 0; }
    qint64 readMaxTimestamp(int, int *err, bool) override { return *err = 0; }
    qint64 readMinTimestamp(int, int *err, bool) override { return *err = 0; }
    std::vector<AgEvent> readEvents(qint64, qint64, int *err, bool) override
    {
        return *err = 0, std::vector<AgEvent>();
    }
    std::vector<AgEvent> readAllEvents(int *err, bool) override
    {
        return *err = 0, std::vector<AgEvent>();
    }
    AgData readLastData(int, int *err) override { return *err = 0, AgData(); }
    std::vector<AgData> readRecentData(int, int *err, bool) override
    {
        return *err = 0, std::vector<AgData>();
    }
    AgDbConfig readLatestConfig(int *err) override { return *err = 0, AgDbConfig(); }
    Program readProgram(int, qint64, int *err) override { return *err = 0, Program(); }
    std::vector<Program> readPrograms(int *err) override
    {
        return *err = 0, std::vector<Program>();
    }
    int readCount(int, int *err) override { return *err = 0, kSamples; }
    int readVersionCount(int *err) override { return *err = 0, 1; }
    int openDatabase() override { return 0; }
    int checkDatabase() override { return 0; }
    int applyConfigs(const InstrumentConfig &, const AgConfig &) override { return 0; }

private:
    AgDataVector m_rows;
};

// The whole calculation: 30 s slices read from the store, histogram, gating, maxima.
void BM_ProgramDay(benchmark::State &state)
{
    AAgDataModel model(new MemoryModel);
    double integrated = 0.0;
    for (auto _ : state) {
        LiveProgramCalculator calculator;
        calculator.setAgConfig(absoluteUnits());
        calculator.setInterval(1, kT0, kT0 + qint64(kSamples - 1) * 100);
        while (!calculator.isFinished())
            calculator.processNextChunk(&model);
        benchmark::DoNotOptimize(calculator);
        integrated = calculator.getIntegrated();
    }
    state.SetItemsProcessed(state.iterations() * kSamples);
    state.counters["integrated_LUFS"] = integrated;
}
BENCHMARK(BM_ProgramDay)->Unit(benchmark::kMillisecond);

// The histogram alone: the day's samples folded in 30 s batches with gating after each.
void BM_HistogramDay(benchmark::State &state)
{
    std::vector<std::unique_ptr<AgDataVector>> slices;
    for (int k = 0; k < kSamples; k += 300) {
        auto slice = std::make_unique<AgDataVector>(0);
        for (int i = k; i < std::min(k + 300, kSamples); ++i)
            slice->append(sampleAt(i));
        slices.push_back(std::move(slice));
    }
    for (auto _ : state) {
        LiveProgramCalculator calculator;
        calculator.setAgConfig(absoluteUnits());
        for (const auto &slice : slices)
            calculator.addSamples(slice.get(), true);
        benchmark::DoNotOptimize(calculator);
    }
    state.SetItemsProcessed(state.iterations() * kSamples);
}
BENCHMARK(BM_HistogramDay)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
