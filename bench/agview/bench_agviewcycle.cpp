// One 50 ms update cycle of a shown audiogroup window, as the user's screen gets it: the
// snapshot as the controller builds it (configurations, the program and event lists of a
// month, filtered to the stored range when frozen), its two queued copies, the plot-page
// update, the program bar's queued update, and what the event loop then does for the
// window: queued replots, layouts and the paint of what changed into the exposed window.
// Two views: 30 s LIVE, where the window moves 50 ms a cycle and every tenth cycle brings
// new samples and the running program's grown histogram (a reply every 500 ms), and 72 h
// frozen on a month of data, with or without new samples. The cycle reads no database.
#include <AgDataVector.h>
#include <KivUtils.h>
#include <PlotSamples.h>
#include <PlotUIData.h>
#include <QTAgView.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QThread>
#include <QWindow>

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

namespace {

constexpr qint64 kOldest = 1709251200000; // 2024-03-01 00:00:00 UTC
constexpr qint64 kDayMs = 24 * 3600 * 1000;
constexpr qint64 kNewest = kOldest + 30 * kDayMs;
constexpr qint64 kProgramMs = 30 * 60 * 1000;
constexpr qint64 kBufferMs = 2000;
constexpr qint64 kTickMs = 50;
constexpr int kTicksPerReply = 10;

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
        calculation = runningProgram(0);
    }

    // The running program's calculation after a number of replies: its histogram grows.
    static ProgramCalculationData runningProgram(int replies)
    {
        QList<double> counts;
        for (int bin = 0; bin < 200; ++bin)
            counts.append(bin > 80 && bin < 120
                              ? 1000.0 - 20.0 * qAbs(bin - 100) + replies * (bin % 3)
                              : 0.0);
        return ProgramCalculationData(-16.2, -15.1, -2.3, -23.4, counts, {}, -70.0, 30.0, 0.5,
                                      kNewest - kProgramMs, kNewest, 0, 0, kNewest);
    }

    // What the controller's tick does while frozen on the newest data.
    PlotUIData frozen(ZoomLevel zoom, AgDataVector *block) const
    {
        const qint64 span = zoomLevelToMs(zoom);
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
        return PlotUIData(false, false, false, false, -1, -1, zoom, PlotValueTP, PlotValueM,
                          PlotValueS, PlotValueI, kOldest + scroll - span / 2, span, kOldest,
                          kNewest, scroll, block, true, instrument, agConfig, programs.back(),
                          calculation, std::move(shownEvents), std::move(shownPrograms), false);
    }

    // What the tick does live, its clock at liveClock: all events and programs go along.
    PlotUIData live(ZoomLevel zoom, qint64 liveClock, AgDataVector *block) const
    {
        const qint64 span = zoomLevelToMs(zoom);
        const qint64 newest = liveClock + kBufferMs;
        return PlotUIData(true, false, false, false, -1, -1, zoom, PlotValueTP, PlotValueM,
                          PlotValueS, PlotValueI, liveClock - span - kBufferMs, span, kOldest,
                          newest, newest - span / 2 - kBufferMs - kOldest, block, true, instrument,
                          agConfig, programs.back(), calculation, events, programs, false);
    }
};

// The samples a reply brings for the span that ends at endMs.
AgDataVector *newBlock(ZoomLevel zoom, qint64 endMs)
{
    const qint64 span = zoomLevelToMs(zoom);
    const qint64 interval = zoomLevelToSampleIntervalMs(zoom);
    const qint64 first = (endMs - span) / interval * interval;
    return PlotSamples::makeBlock(first, int(span / interval), interval);
}

// Counts the paints of the window's widgets.
class PaintCounter : public QObject
{
public:
    explicit PaintCounter(QWidget *window) : m_window(window)
    {
        QCoreApplication::instance()->installEventFilter(this);
    }
    ~PaintCounter() override { QCoreApplication::instance()->removeEventFilter(this); }
    qint64 paints = 0;

protected:
    bool eventFilter(QObject *object, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            auto *widget = qobject_cast<QWidget *>(object);
            if (widget && (widget == m_window || m_window->isAncestorOf(widget)))
                ++paints;
        }
        return false;
    }

private:
    QWidget *m_window;
};

// A window as the controller shows it, exposed on the screen (or the offscreen one).
struct ShownView
{
    QTAgView view{kViewTypeAg, nullptr};

    explicit ShownView(const PlotUIData &first)
    {
        view.initView();
        view.resize(1024, 722);
        view.show();
        for (int i = 0; i < 200 && !(view.windowHandle() && view.windowHandle()->isExposed());
             ++i) {
            QApplication::processEvents();
            QThread::msleep(5);
        }
        view.onUpdateUi(first);
        settle();
    }
    static void settle()
    {
        for (int i = 0; i < 3; ++i) {
            QCoreApplication::sendPostedEvents();
            QApplication::processEvents();
        }
    }
};

struct Phases
{
    double snapshotMs = 0.0, updateMs = 0.0, programBarMs = 0.0, paintMs = 0.0;
    QElapsedTimer clock;

    template <typename MakeSnapshot> void cycle(QTAgView &view, MakeSnapshot make)
    {
        clock.start();
        const PlotUIData sent = make();
        const PlotUIData queued(sent);     // into the queued event
        const PlotUIData received(queued); // into the slot's argument
        snapshotMs += clock.nsecsElapsed() / 1e6;
        clock.start();
        view.onUpdateUi(received);
        updateMs += clock.nsecsElapsed() / 1e6;
        // The program bar's queued update, then what the event loop does for the window:
        // queued replots, layouts and paints.
        clock.start();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
        programBarMs += clock.nsecsElapsed() / 1e6;
        clock.start();
        QApplication::processEvents();
        paintMs += clock.nsecsElapsed() / 1e6;
    }
    void report(benchmark::State &state, qint64 paints) const
    {
        const double n = double(state.iterations());
        state.counters["snapshot_ms"] = snapshotMs / n;
        state.counters["page_update_ms"] = updateMs / n;
        state.counters["program_bar_ms"] = programBarMs / n;
        state.counters["paint_ms"] = paintMs / n;
        state.counters["paints"] = double(paints) / n;
    }
};

void BM_UpdateCycle30sLive(benchmark::State &state)
{
    static Month month;
    const ZoomLevel zoom = ZoomLevel30s;
    qint64 liveClock = kNewest - kBufferMs;
    ShownView shown(month.live(zoom, liveClock, newBlock(zoom, liveClock + kBufferMs)));
    PaintCounter counter(&shown.view);
    Phases phases;
    int tick = 0;
    for (auto _ : state) {
        liveClock += kTickMs;
        AgDataVector *block = nullptr;
        if (++tick % kTicksPerReply == 0) {
            state.PauseTiming();
            // The store's work on its own thread: new samples, the program's new histogram.
            block = newBlock(zoom, liveClock + kBufferMs);
            month.calculation = Month::runningProgram(tick / kTicksPerReply);
            state.ResumeTiming();
        }
        phases.cycle(shown.view, [&] { return month.live(zoom, liveClock, block); });
    }
    phases.report(state, counter.paints);
    state.SetLabel("moving 50 ms a cycle, new samples and histogram every tenth");
}

// range(0): 1 when the cycle brings new samples, 0 when it brings none.
void BM_UpdateCycle72hFrozen(benchmark::State &state)
{
    static const Month month;
    const ZoomLevel zoom = ZoomLevel72h;
    const bool withSamples = state.range(0) != 0;
    ShownView shown(month.frozen(zoom, newBlock(zoom, kNewest)));
    PaintCounter counter(&shown.view);
    Phases phases;
    for (auto _ : state) {
        AgDataVector *block = nullptr;
        if (withSamples) {
            state.PauseTiming();
            block = newBlock(zoom, kNewest);
            state.ResumeTiming();
        }
        phases.cycle(shown.view, [&] { return month.frozen(zoom, block); });
    }
    phases.report(state, counter.paints);
    state.SetLabel(withSamples ? "with a new 72 h sample block" : "without new samples");
}

BENCHMARK(BM_UpdateCycle30sLive)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UpdateCycle72hFrozen)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

} // namespace
