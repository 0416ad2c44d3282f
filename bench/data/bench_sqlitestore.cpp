// The audiogroup store on disk: steady logging, bulk throughput and range reads of a
// 30-day file, each beside a raw SQLite baseline in the same run.
#include <AAgDataModel.h>
#include <AgDataAverageComputer.h>
#include <AgDataVector.h>
#include <AgDbStatements.h>
#include <AgStoreResult.h>
#include <InstrumentConfig.h>
#include <KivConstants.h>
#include <KivTypes.h>
#include <KivUtils.h>

#include <QByteArray>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

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
    // Points HOME here again, after another folder took it.
    void use() const { qputenv("HOME", m_dir.path().toLocal8Bit()); }

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
        if (err != 0 && err != kStoreGapCode) {
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
            // Both routes end with every row in the database file (the last checkpoint).
            model->close();
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
            auto raw =
                std::make_unique<RawFile>(folder.path(QStringLiteral("raw.db")), kStorePragmas);
            state.ResumeTiming();
            raw->insertRows(0, kBulkSamples);
            raw.reset();
            state.PauseTiming();
        }
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kBulkSamples);
}
BENCHMARK(BM_BulkRawLevelZero)->Unit(benchmark::kMillisecond)->Iterations(1);

// ---------------------------------------------------------------------------------------------
// 3. Range reads from a file holding 30 days: the newest 72 h at level 15 and the newest 30 s
// at level 0, as the views ask for them.

// The file written directly, without the insert path: level 0 and the events as the path writes
// them, every level's windows reduced in one pass over the samples with the same reduction.
// Checked against the insert path on two hours of samples before it is trusted.
class DirectBuilder
{
public:
    explicit DirectBuilder(const QString &path) : m_config(benchConfig())
    {
        sqlite3_open(path.toUtf8().constData(), &m_db);
        exec("PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF;");
        for (int level = 0; level < kZoomLevelCount; ++level) {
            exec(AgDbSql::createLevelTable().arg(agDataZoomLevelTableName(level)));
            m_insert[level] = RawFile::prepareInsert(m_db, level);
        }
        exec(AgDbSql::createEventsTable());
        exec(AgDbSql::createConfigTable());
        exec(AgDbSql::createVersionTable());
        exec(QStringLiteral("INSERT INTO Version VALUES ('%1', '%2', '%3');")
                 .arg(AgDbSql::dbVersionText(), AgDbSql::creatorText(),
                      KivConstants::buildString()));
        const QByteArray events = AgDbSql::insertEvent().toUtf8();
        sqlite3_prepare_v2(m_db, events.constData(), events.size(), &m_insertEvent, nullptr);
        exec("BEGIN TRANSACTION");
    }
    ~DirectBuilder()
    {
        exec("COMMIT TRANSACTION");
        // As the store leaves its own file; the switch flushes what was written unsynchronised.
        exec("PRAGMA journal_mode=WAL;");
        for (sqlite3_stmt *statement : m_insert)
            sqlite3_finalize(statement);
        sqlite3_finalize(m_insertEvent);
        sqlite3_close(m_db);
    }

    void add(const AgData &sample)
    {
        const qint64 t = sample.getTimestamp();
        RawFile::bindAndStep(m_insert[0], sample);
        if (sample.getProgramId() != m_programId) {
            if (!m_previous.isEmpty())
                event(m_previous, m_programStart,
                      m_previous.getEvents()     ? m_previous.getEvents()
                      : (sample.getEvents() & 4) ? 0
                                                 : 2);
            m_programStart = t;
            m_programId = sample.getProgramId();
            event(sample, m_programStart, sample.getEvents());
        } else if (sample.getEvents() != 0) {
            event(sample, m_programStart, sample.getEvents());
        }
        m_previous = sample;
        const bool violating = sample.hasViolation(m_config);
        for (int level = 1; level < kZoomLevelCount; ++level) {
            Window &window = m_windows[level];
            const qint64 width = zoomLevelToSampleIntervalMs(level);
            const qint64 start = t / width * width;
            if (!window.computer || start != window.start) {
                // The window before is complete: a later sample exists.
                if (window.computer)
                    RawFile::bindAndStep(m_insert[level], window.computer->getResult());
                window.start = start;
                window.computer = std::make_unique<AgDataAverageComputer>(m_config, start);
                window.computer->addSample(sample);
            } else if (violating) {
                window.computer->addSample(sample);
            }
        }
        if (++m_rows % 1000000 == 0) {
            exec("COMMIT TRANSACTION");
            exec("BEGIN TRANSACTION");
        }
    }

private:
    struct Window
    {
        qint64 start = 0;
        std::unique_ptr<AgDataAverageComputer> computer;
    };

    void exec(const QString &sql) { exec(sql.toUtf8().constData()); }
    void exec(const char *sql)
    {
        char *message = nullptr;
        if (sqlite3_exec(m_db, sql, nullptr, nullptr, &message) != SQLITE_OK) {
            std::fprintf(stderr, "%s: %s\n", sql, message);
            std::abort();
        }
    }
    void event(const AgData &s, qint64 start, qint64 word)
    {
        const qint64 values[] = {s.getTimestamp(), start, s.getTimecode(),
                                 s.getProgramId(), word,  s.getFlags()};
        for (int i = 0; i < 6; ++i)
            sqlite3_bind_int64(m_insertEvent, i + 1, values[i]);
        sqlite3_step(m_insertEvent);
        sqlite3_reset(m_insertEvent);
    }

    AgConfig m_config;
    sqlite3 *m_db = nullptr;
    sqlite3_stmt *m_insert[kZoomLevelCount] = {};
    sqlite3_stmt *m_insertEvent = nullptr;
    Window m_windows[kZoomLevelCount];
    AgData m_previous;
    qint64 m_programStart = -1;
    qint64 m_programId = -1;
    qint64 m_rows = 0;
};

// Both routes over two hours must leave the same rows in every table.
void checkDirectBuilder()
{
    Folder folder;
    const qint64 samples = 72000 + 7;
    {
        std::unique_ptr<AAgDataModel> model = openStore();
        fill(*model, 0, samples, 20);
        model->close();
    }
    const QString direct = folder.path(QStringLiteral("direct.db"));
    {
        DirectBuilder builder(direct);
        for (qint64 k = 0; k < samples; ++k)
            builder.add(sampleAt(k));
    }
    sqlite3 *db = nullptr;
    sqlite3_open(
        getAgDbFilePath(benchInstrument().getName(), QStringLiteral("Main")).toUtf8().constData(),
        &db);
    if (sqlite3_exec(db, QStringLiteral("ATTACH '%1' AS d").arg(direct).toUtf8().constData(),
                     nullptr, nullptr, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "cannot attach %s: %s\n", qPrintable(direct), sqlite3_errmsg(db));
        std::abort();
    }
    QStringList tables{QStringLiteral("events"), QStringLiteral("Version")};
    for (int level = 0; level < kZoomLevelCount; ++level)
        tables << agDataZoomLevelTableName(level);
    for (const QString &table : tables) {
        const QByteArray sql =
            QStringLiteral("SELECT (SELECT count(*) FROM %1), (SELECT count(*) FROM (SELECT * FROM "
                           "%1 EXCEPT SELECT * FROM d.%1)), (SELECT count(*) FROM (SELECT * FROM "
                           "d.%1 EXCEPT SELECT * FROM %1))")
                .arg(table)
                .toUtf8();
        sqlite3_stmt *statement = nullptr;
        sqlite3_prepare_v2(db, sql.constData(), -1, &statement, nullptr);
        sqlite3_step(statement);
        const qint64 rows = sqlite3_column_int64(statement, 0);
        const qint64 differences =
            sqlite3_column_int64(statement, 1) + sqlite3_column_int64(statement, 2);
        sqlite3_finalize(statement);
        if (rows == 0 || differences != 0) {
            std::fprintf(stderr, "direct build differs in %s: %lld rows, %lld differences\n",
                         qPrintable(table), rows, differences);
            const QByteArray rowsSql =
                QStringLiteral(
                    "SELECT 'store', * FROM (SELECT * FROM %1 EXCEPT SELECT * FROM d.%1) "
                    "UNION ALL SELECT 'direct', * FROM (SELECT * FROM d.%1 EXCEPT "
                    "SELECT * FROM %1)")
                    .arg(table)
                    .toUtf8();
            sqlite3_prepare_v2(db, rowsSql.constData(), -1, &statement, nullptr);
            while (sqlite3_step(statement) == SQLITE_ROW) {
                for (int c = 0; c < sqlite3_column_count(statement); ++c)
                    std::fprintf(stderr, "%s ", sqlite3_column_text(statement, c));
                std::fprintf(stderr, "\n");
            }
            std::abort();
        }
    }
    sqlite3_close(db);
}

// 30 days; KIV_BENCH_DAYS gives a shorter file for trying the benchmark out.
const qint64 kMonthSamples =
    (qEnvironmentVariableIsSet("KIV_BENCH_DAYS") ? qgetenv("KIV_BENCH_DAYS").toLongLong() : 30) *
    864000;

// The 30-day audiogroup file, built on first use and kept for the run.
struct MonthFile
{
    Folder folder;
    std::unique_ptr<AAgDataModel> model;
    QString path;
    qint64 newest = 0;
    double buildSeconds = 0;
    double openMs = 0;

    MonthFile()
    {
        checkDirectBuilder();
        folder.use();
        path = getAgDbFilePath(benchInstrument().getName(), QStringLiteral("Main"));
        QElapsedTimer clock;
        clock.start();
        {
            DirectBuilder builder(path);
            for (qint64 k = 0; k < kMonthSamples; ++k)
                builder.add(sampleAt(k));
        }
        buildSeconds = clock.elapsed() / 1000.0;
        clock.restart();
        model = openStore();
        int err = 0;
        newest = model->getMaxTimestamp(0, &err);
        openMs = clock.nsecsElapsed() / 1e6;
        std::fprintf(stderr, "30-day file: %.1f s to build, %.1f MB, model opened in %.1f ms\n",
                     buildSeconds, QFile(path).size() / 1e6, openMs);
    }
};

MonthFile &monthFile()
{
    static MonthFile file;
    return file;
}

void readThroughStore(benchmark::State &state, int level, qint64 spanMs)
{
    MonthFile &file = monthFile();
    int rows = 0;
    for (auto _ : state) {
        int err = 0;
        std::unique_ptr<AgDataVector> data(
            file.model->getData(level, file.newest - spanMs, file.newest, &err));
        rows = data ? data->size() : -1;
        benchmark::DoNotOptimize(rows);
    }
    state.counters["rows"] = rows;
}

void readRaw(benchmark::State &state, int level, qint64 spanMs)
{
    MonthFile &file = monthFile();
    sqlite3 *db = nullptr;
    sqlite3_open(file.path.toUtf8().constData(), &db);
    const QByteArray sql =
        AgDbSql::selectLevelRange().arg(agDataZoomLevelTableName(level)).toUtf8();
    sqlite3_stmt *select = nullptr;
    sqlite3_prepare_v2(db, sql.constData(), sql.size(), &select, nullptr);
    int rows = 0;
    for (auto _ : state) {
        sqlite3_bind_int64(select, 1, file.newest - spanMs);
        sqlite3_bind_int64(select, 2, file.newest);
        rows = 0;
        double sum = 0;
        while (sqlite3_step(select) == SQLITE_ROW) {
            for (int column = 0; column < 14; ++column)
                sum += sqlite3_column_double(select, column);
            ++rows;
        }
        sqlite3_reset(select);
        benchmark::DoNotOptimize(sum);
    }
    state.counters["rows"] = rows;
    sqlite3_finalize(select);
    sqlite3_close(db);
}

void BM_Read72hLevel15(benchmark::State &state)
{
    readThroughStore(state, 15, 72 * 3600000LL);
}
BENCHMARK(BM_Read72hLevel15)->Unit(benchmark::kMicrosecond);
void BM_Read72hLevel15Raw(benchmark::State &state)
{
    readRaw(state, 15, 72 * 3600000LL);
}
BENCHMARK(BM_Read72hLevel15Raw)->Unit(benchmark::kMicrosecond);
void BM_Read30sLevel0(benchmark::State &state)
{
    readThroughStore(state, 0, 30000);
}
BENCHMARK(BM_Read30sLevel0)->Unit(benchmark::kMicrosecond);
void BM_Read30sLevel0Raw(benchmark::State &state)
{
    readRaw(state, 0, 30000);
}
BENCHMARK(BM_Read30sLevel0Raw)->Unit(benchmark::kMicrosecond);

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
