// One 50 ms update cycle of the audiogroup window at the 72 h zoom level of an audiogroup
// with 30 days stored: the snapshot as the controller builds it (configurations, the
// program and event lists of the month, filtered to the stored range), its two queued
// copies, the plot-page update (curves, thresholds, events, numeric panel, histogram,
// markers, scroll bar), the program bar's queued update and the paint of what changed.
// The cycle reads no database; a month of data weighs in through those lists.
#include <AgDataVector.h>
#include <KivUtils.h>
#include <PlotSamples.h>
#include <PlotUIData.h>
#include <QTAgView.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

namespace {

constexpr qint64 kOldest = 1709251200000; // 2024-03-01 00:00:00 UTC
constexpr qint64 kDayMs = 24 * 3600 * 1000;
constexpr qint64 kNewest = kOldest + 30 * kDayMs;
constexpr qint64 kProgramMs = 30 * 60 * 1000;
constexpr ZoomLevel kZoom = ZoomLevel72h;

struct Month
{
    InstrumentConfig instrument{QStringLiteral("Bench")};
    AgConfig agConfig{QStringLiteral("Main")};
    std::vector<Program> programs;
    std::vector<AgEvent> events;
    ProgramCalculationData calculation;

    Month()
    {
        instrument.setIpAdr(QStringLiteral("http://127.0.0.1"));
        agConfig.setLoudnessUnit(QStringLiteral("LUFS"));
        for (qint64 start = kOldest; start < kNewest; start += kProgramMs) {
            programs.emplace_back(1, 1000 + (start - kOldest) / kProgramMs, start,
                                  start + kProgramMs - 100);
            programs.back().setStartWord(1);
        }
        // A start and a stop per program.
        events = PlotSamples::makeEvents(kOldest, kNewest, int(2 * programs.size()));
        QList<double> counts;
        for (int bin = 0; bin < 200; ++bin)
            counts.append(bin > 80 && bin < 120 ? 1000.0 - 20.0 * qAbs(bin - 100) : 0.0);
        calculation = ProgramCalculationData(-16.2, -15.1, -2.3, -23.4, counts, {}, -70.0, 30.0,
                                             0.5, kNewest - kProgramMs, kNewest, 0, 0, kNewest);
    }

    // What the controller's tick does while frozen on the newest data.
    PlotUIData snapshot(AgDataVector *block) const
    {
        const qint64 span = zoomLevelToMs(kZoom);
        const qint64 scroll = kNewest - kOldest - span / 2;
        std::vector<AgEvent> shownEvents;
        for (const AgEvent &event : events) {
            if (event.getTimestamp() >= kOldest && event.getTimestamp() <= kNewest)
                shownEvents.push_back(event);
        }
        std::vector<Program> shownPrograms;
        for (const Program &program : programs) {
            if (program.getStart() >= kOldest && program.getEnd() <= kNewest)
                shownPrograms.push_back(program);
        }
        const Program current = programs.back();
        return PlotUIData(false, false, false, false, -1, -1, kZoom, PlotValueTP, PlotValueM,
                          PlotValueS, PlotValueI, kOldest + scroll - span / 2, span, kOldest,
                          kNewest, scroll, block, true, instrument, agConfig, current, calculation,
                          std::move(shownEvents), std::move(shownPrograms), false);
    }
};

AgDataVector *newBlock()
{
    const qint64 span = zoomLevelToMs(kZoom);
    const qint64 interval = zoomLevelToSampleIntervalMs(kZoom);
    return PlotSamples::makeBlock(kNewest - span, int(span / interval), interval);
}

// range(0): 1 when the cycle brings new samples (one tick in ten: replies come every
// 500 ms), 0 when it brings none.
void BM_UpdateCycle72h(benchmark::State &state)
{
    static const Month month;
    const bool withSamples = state.range(0) != 0;
    QTAgView view(kViewTypeAg, nullptr);
    view.initView();
    view.resize(1024, 722);
    view.show();
    view.onUpdateUi(month.snapshot(newBlock()));
    QApplication::processEvents();
    // Where the time goes, ms per cycle.
    double snapshotMs = 0.0, updateMs = 0.0, programBarMs = 0.0, paintMs = 0.0;
    QElapsedTimer clock;
    for (auto _ : state) {
        AgDataVector *block = nullptr;
        if (withSamples) {
            state.PauseTiming();
            block = newBlock(); // the store's work on its own thread
            state.ResumeTiming();
        }
        clock.start();
        const PlotUIData sent = month.snapshot(block);
        const PlotUIData queued(sent);     // into the queued event
        const PlotUIData received(queued); // into the slot's argument
        snapshotMs += clock.nsecsElapsed() / 1e6;
        clock.start();
        view.onUpdateUi(received);
        updateMs += clock.nsecsElapsed() / 1e6;
        // The program bar's queued update, then the paint of what the cycle changed, as the
        // event loop delivers both.
        clock.start();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
        programBarMs += clock.nsecsElapsed() / 1e6;
        clock.start();
        QApplication::processEvents();
        paintMs += clock.nsecsElapsed() / 1e6;
    }
    const double n = double(state.iterations());
    state.counters["snapshot_ms"] = snapshotMs / n;
    state.counters["page_update_ms"] = updateMs / n;
    state.counters["program_bar_ms"] = programBarMs / n;
    state.counters["paint_ms"] = paintMs / n;
    state.SetLabel(withSamples ? "with a new 72 h sample block" : "without new samples");
}

BENCHMARK(BM_UpdateCycle72h)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

} // namespace
