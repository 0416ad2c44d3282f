// GUI-thread work of the audiogroup window's table page and program bar: one table refresh
// (a page read from a day of samples in the audiogroup's file) and one program-bar update.
// Runs under the offscreen platform in a temporary home unless told otherwise.
#include <AAgDataModel.h>
#include <AgDataVector.h>
#include <KivEpgBarView.h>
#include <KivUtils.h>
#include <TableView.h>

#include <QApplication>
#include <QTableView>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>
#include <random>

namespace {

constexpr qint64 kStart = 1709251200000; // 2024-03-01 00:00:00 UTC
constexpr qint64 kDayMs = 24 * 3600 * 1000;
constexpr qint64 kStepMs = 100;

const InstrumentConfig &instrument()
{
    static const InstrumentConfig config(QStringLiteral("Bench"));
    return config;
}

const AgConfig &agConfig()
{
    static const AgConfig config(QStringLiteral("Main"));
    return config;
}

// A day of 100 ms samples, written once through the store as the logger writes them.
void writeDay()
{
    static bool written = false;
    if (written)
        return;
    written = true;
    createDataFolder();
    AAgDataModel store;
    store.init(0, instrument(), agConfig(), false, QString());
    constexpr int kBatch = 20000;
    for (qint64 first = 0; first < kDayMs / kStepMs; first += kBatch) {
        AgDataVector batch(QStringLiteral("Main"), 0);
        for (int i = 0; i < kBatch; ++i) {
            AgData s(QStringLiteral("Main"));
            s.setEmpty(false);
            s.setTimestamp(kStart + (first + i) * kStepMs);
            s.setProgramId(1 + (first + i) / 36000);
            s.setM400ms(-23.0 + (i % 50) * 0.1);
            batch.append(s);
        }
        store.insertData(&batch, true);
    }
    store.close();
}

// A frozen refresh at a new scroll position, as each move of the table's scroll bar asks.
void BM_TableRefresh(benchmark::State &state)
{
    writeDay();
    const int level = int(state.range(0));
    TableView view(nullptr);
    view.resize(1024, 800);
    view.show();
    TableView::Snapshot data;
    data.zoomLevel = level;
    data.spanMs = zoomLevelToMs(level);
    data.oldestTime = kStart;
    data.newestTime = kStart + kDayMs - kStepMs;
    data.instrumentConfig = instrument();
    data.agConfig = agConfig();
    std::mt19937_64 random(7);
    std::uniform_int_distribution<qint64> offset(0, kDayMs - kStepMs);
    for (auto _ : state) {
        const qint64 centre = offset(random);
        data.scrollPosition = centre;
        data.visibleStart = kStart + centre - data.spanMs / 2;
        view.updateTable(data, true);
    }
    const QAbstractItemModel *model =
        view.findChild<QTableView *>(QStringLiteral("tableView"))->model();
    state.counters["rows"] = model ? model->rowCount() : 0;
    state.SetLabel("a page from a day's file");
}

// One update of the bar with 30 programs in a 10-minute window and the layout it causes.
void BM_ProgramBarUpdate(benchmark::State &state)
{
    KivEpgBarView bar(nullptr);
    bar.resize(1200, 56);
    bar.show();
    std::vector<Program> programs;
    for (int i = 0; i < 30; ++i)
        programs.emplace_back(0, 100 + i, kStart + i * 20000, kStart + (i + 1) * 20000 - 1000);
    qint64 shift = 0;
    for (auto _ : state) {
        shift = (shift + 1000) % 20000;
        bar.updateEpgBar(ZoomLevel10min, kStart + shift, 600000, programs, false);
        QApplication::processEvents();
    }
}

BENCHMARK(BM_TableRefresh)->Arg(ZoomLevel30s)->Arg(ZoomLevel1h)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ProgramBarUpdate)->Unit(benchmark::kMillisecond);

} // namespace
