// The audiogroup store on disk: steady logging, bulk throughput and range reads of a
// 30-day file, each beside a raw SQLite baseline in the same run.
#include <AAgDataModel.h>
#include <AgDataAverageComputer.h>
#include <AgDataVector.h>
#include <InstrumentConfig.h>
#include <KivTypes.h>
#include <KivUtils.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

constexpr qint64 kT0 = 1700000000000 - 1700000000000 % 506250; // aligned to every level
constexpr qint64 kStep = 100;
constexpr qint64 kProgramMs = 3600000; // a new program every hour

AgConfig benchConfig()
{
    AgConfig config(QStringLiteral("Main"));
    config.setMainThresholdActiveState(true);
    config.setMUpperThreshold(-10.0);
    config.setSUpperThreshold(-15.0);
    config.setTPUpperThreshold(-1.0);
    config.setIUpperThreshold(-20.0);
    config.setILowerThreshold(-26.0);
    config.setMUpperSecondaryThreshold(-8.0);
    config.setSUpperSecondaryThreshold(-12.0);
    config.setTPUpperSecondaryThreshold(0.0);
    config.setIUpperSecondaryThreshold(-18.0);
    config.setILowerSecondaryThreshold(-28.0);
    return config;
}

const InstrumentConfig &benchInstrument()
{
    static const InstrumentConfig instrument(QStringLiteral("Studio 1"));
    return instrument;
}

// The k-th 100 ms sample: programme material with an occasional loud passage.
AgData sampleAt(qint64 k)
{
    const qint64 t = kT0 + k * kStep;
    AgData sample(QStringLiteral("Main"));
    sample.setEmpty(false);
    sample.setTimestamp(t);
    sample.setTimecode(k);
    sample.setProgramId(1 + (t - kT0) / kProgramMs);
    const double level = -23.0 + 6.0 * std::sin(k * 0.0007) + 3.0 * std::sin(k * 0.031);
    sample.setM100ms(level + 1.0);
    sample.setM400ms(k % 5000 < 20 ? -5.0 : level);
    sample.setMMax(-5.0);
    sample.setS(level - 1.0);
    sample.setSMax(-9.0);
    sample.setI(-23.0 + std::sin(k * 0.00001));
    sample.setLRA(7.0);
    sample.setTP(level + 12.0);
    sample.setTPMax(-0.5);
    return sample;
}

AgDataVector *batchOf(qint64 first, int count)
{
    auto *batch = new AgDataVector(QStringLiteral("Main"), 0);
    batch->reserve(count);
    for (qint64 k = first; k < first + count; ++k)
        batch->append(sampleAt(k));
    return batch;
}

// A fresh data folder per benchmark: the store's own file lives there.
class Folder
{
public:
    Folder()
    {
        qputenv("HOME", m_dir.path().toLocal8Bit());
        QDir().mkpath(getDataFolderPath());
    }
    QString path(const QString &name) const { return m_dir.filePath(name); }

private:
    QTemporaryDir m_dir;
};

std::unique_ptr<AAgDataModel> openStore()
{
    auto model = std::make_unique<AAgDataModel>();
    model->init(0, benchInstrument(), benchConfig(), false, QString());
    return model;
}

// Inserts samples [first, first + count) through the full path in batches.
void fill(AAgDataModel &model, qint64 first, qint64 count, int batchSize)
{
    for (qint64 k = first; k < first + count; k += batchSize) {
        std::unique_ptr<AgDataVector> batch(
            batchOf(k, int(std::min<qint64>(batchSize, first + count - k))));
        int err = 0;
        model.insertData(batch.get(), true, &err);
        if (err != 0 && err != 0x50100001) {
            std::fprintf(stderr, "insert failed: %d\n", err);
            std::abort();
        }
    }
}

// Raw baseline: a connection with the store's pragmas and the level-0 table.
struct RawFile
{
    sqlite3 *db = nullptr;
    sqlite3_stmt *insert = nullptr;

    RawFile(const QString &path, const char *pragmas)
    {
        sqlite3_open(path.toUtf8().constData(), &db);
        sqlite3_exec(db, pragmas, nullptr, nullptr, nullptr);
        sqlite3_exec(db,
                     "CREATE TABLE IF NOT EXISTS AgDataZoomLevel0 (timestamp INTEGER primary key, "
                     "timecode INTEGER, programId INTEGER, TP FLOAT, TPMax FLOAT, M100ms FLOAT, "
                     "M400ms FLOAT, MMax FLOAT, S FLOAT, SMax FLOAT, I FLOAT, LRA FLOAT, Events "
                     "INTEGER, Flags INTEGER);",
                     nullptr, nullptr, nullptr);
        insert = prepareInsert(db, 0);
    }
    ~RawFile()
    {
        sqlite3_finalize(insert);
        sqlite3_close(db);
    }

    static sqlite3_stmt *prepareInsert(sqlite3 *db, int level)
    {
        const QByteArray sql =
            QStringLiteral("INSERT OR REPLACE INTO %1 (timestamp, timecode, programId, TP, TPMax, "
                           "M100ms, M400ms, MMax, S, SMax, I, LRA, Events, Flags) VALUES (?, ?, ?, "
                           "?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?);")
                .arg(agDataZoomLevelTableName(level))
                .toUtf8();
        sqlite3_stmt *statement = nullptr;
        sqlite3_prepare_v2(db, sql.constData(), sql.size(), &statement, nullptr);
        return statement;
    }

    static void bindAndStep(sqlite3_stmt *statement, const AgData &s)
    {
        sqlite3_bind_int64(statement, 1, s.getTimestamp());
        sqlite3_bind_int64(statement, 2, s.getTimecode());
        sqlite3_bind_int64(statement, 3, s.getProgramId());
        const double values[] = {s.getTP(), s.getTPMax(), s.getM100ms(), s.getM400ms(), s.getMMax(),
                                 s.getS(),  s.getSMax(),  s.getI(),      s.getLRA()};
        for (int i = 0; i < 9; ++i)
            sqlite3_bind_double(statement, 4 + i, values[i]);
        sqlite3_bind_int64(statement, 13, s.getEvents());
        sqlite3_bind_int64(statement, 14, s.getFlags());
        sqlite3_step(statement);
        sqlite3_reset(statement);
    }

    void insertRows(qint64 first, qint64 count)
    {
        sqlite3_exec(db, "BEGIN TRANSACTION", nullptr, nullptr, nullptr);
        for (qint64 k = first; k < first + count; ++k)
            bindAndStep(insert, sampleAt(k));
        sqlite3_exec(db, "COMMIT TRANSACTION", nullptr, nullptr, nullptr);
    }
};

const char *kStorePragmas = "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL;";
const char *kFullSyncPragmas = "PRAGMA journal_mode=DELETE; PRAGMA synchronous=FULL;";

// ---------------------------------------------------------------------------------------------
// 1. Steady logging: one 2 s batch of 20 samples after an hour of stored data.

constexpr qint64 kHour = 36000;

void BM_SteadyBatch(benchmark::State &state)
{
    Folder folder;
    std::unique_ptr<AAgDataModel> model = openStore();
    fill(*model, 0, kHour, 20);
    qint64 next = kHour;
    for (auto _ : state) {
        state.PauseTiming();
        std::unique_ptr<AgDataVector> batch(batchOf(next, 20));
        next += 20;
        state.ResumeTiming();
        int err = 0;
        model->insertData(batch.get(), true, &err);
        benchmark::DoNotOptimize(err);
    }
    state.SetItemsProcessed(state.iterations() * 20);
}
BENCHMARK(BM_SteadyBatch)->Unit(benchmark::kMicrosecond);

void steadyRaw(benchmark::State &state, const char *pragmas)
{
    Folder folder;
    RawFile raw(folder.path(QStringLiteral("raw.db")), pragmas);
    raw.insertRows(0, kHour);
    qint64 next = kHour;
    for (auto _ : state) {
        raw.insertRows(next, 20);
        next += 20;
    }
    state.SetItemsProcessed(state.iterations() * 20);
}

void BM_SteadyBatchRawLevelZero(benchmark::State &state)
{
    steadyRaw(state, kStorePragmas);
}
BENCHMARK(BM_SteadyBatchRawLevelZero)->Unit(benchmark::kMicrosecond);

// The rollback journal with full synchronisation, for comparison of the journal choice.
void BM_SteadyBatchRawFullSync(benchmark::State &state)
{
    steadyRaw(state, kFullSyncPragmas);
}
BENCHMARK(BM_SteadyBatchRawFullSync)->Unit(benchmark::kMicrosecond);

// ---------------------------------------------------------------------------------------------
// 2. Bulk throughput: import-sized batches (30 s, 300 samples) through the full path, against
// the same rows into level 0 with one prepared statement in one transaction.

// 24 h; KIV_BENCH_BULK_SAMPLES gives fewer for instruction counting under callgrind.
const qint64 kBulkSamples = qEnvironmentVariableIsSet("KIV_BENCH_BULK_SAMPLES")
                                ? qgetenv("KIV_BENCH_BULK_SAMPLES").toLongLong()
                                : 864000;

void BM_BulkFullPath(benchmark::State &state)
{
    const int batchSize = int(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        {
            Folder folder;
            std::unique_ptr<AAgDataModel> model = openStore();
            state.ResumeTiming();
            fill(*model, 0, kBulkSamples, batchSize);
            state.PauseTiming();
        }
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kBulkSamples);
}
BENCHMARK(BM_BulkFullPath)->Arg(300)->Arg(3000)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_BulkRawLevelZero(benchmark::State &state)
{
    for (auto _ : state) {
        state.PauseTiming();
        {
            Folder folder;
            RawFile raw(folder.path(QStringLiteral("raw.db")), kStorePragmas);
            state.ResumeTiming();
            raw.insertRows(0, kBulkSamples);
            state.PauseTiming();
        }
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kBulkSamples);
}
BENCHMARK(BM_BulkRawLevelZero)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char **argv)
{
    // As the program runs it: each connection used by one thread, no SQLite mutexes.
    sqlite3_config(SQLITE_CONFIG_MULTITHREAD);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
