// One redraw of the audiogroup window's plot, as an update with new samples does it: four
// curves of a full sample block, thresholds, events and markers, at the shortest and the
// longest zoom level. Runs under the offscreen platform unless another one is named.
#include <AgDataVector.h>
#include <KivResources.h>
#include <KivUtils.h>
#include <NUVCustomPlot.h>
#include <PlotSamples.h>

#include <QApplication>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

constexpr qint64 kNoon = 1709294400000;

struct Scene
{
    QWidget window;
    NUVCustomPlot *plot = nullptr;
    AgConfig config{QStringLiteral("Main")};
    qint64 start = 0;
    int span = 0;
    ZoomLevel zoom = ZoomLevel30s;
    std::vector<AgEvent> events;

    explicit Scene(ZoomLevel level) : zoom(level)
    {
        window.resize(1024, 327);
        plot = new NUVCustomPlot(&window);
        plot->setGeometry(0, 0, 1024, 327);
        plot->initPlot();
        window.show();
        span = zoomLevelToMs(zoom);
        start = kNoon - span;
        events = PlotSamples::makeEvents(start, kNoon, 40);
        plot->setMarkerTimes(start - span, kNoon, start + span / 4, start + span / 2);
        plot->showMarkers();
        QApplication::processEvents();
    }
    // The samples of one window at the level's interval: 512 at 72 h, 300 at 30 s.
    AgDataVector *block() const
    {
        const qint64 interval = zoomLevelToSampleIntervalMs(zoom);
        return PlotSamples::makeBlock(start, int(span / interval), interval);
    }
    void redraw(AgDataVector *data)
    {
        plot->updatePlot(PlotValueTP, PlotValueM, PlotValueS, PlotValueI, start, span, zoom, data,
                         InstrumentConfig(), config);
        plot->updateEvents(events);
        plot->setMarkerTimes(start - span, kNoon, start + span / 4, start + span / 2);
        plot->showMarkers();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
};

void runRedraws(benchmark::State &state, bool paint)
{
    Scene scene(ZoomLevel(state.range(0)));
    const qint64 interval = zoomLevelToSampleIntervalMs(scene.zoom);
    bool moved = false;
    for (auto _ : state) {
        // Every redraw brings other samples and moves the window by one of them, as a live
        // update does: an update that changes nothing draws nothing.
        moved = !moved;
        scene.start += moved ? interval : -interval;
        state.PauseTiming();
        AgDataVector *data = scene.block(); // the store's work, not the plot's
        state.ResumeTiming();
        scene.redraw(data);
        if (paint)
            scene.window.repaint();
    }
    const std::unique_ptr<AgDataVector> sample(scene.block());
    state.SetLabel(QStringLiteral("%1 rows per curve").arg(sample->size()).toStdString());
}

// The widgets' own work: curves refilled and replotted, thresholds redrawn, icons laid out.
void BM_PlotUpdate(benchmark::State &state)
{
    runRedraws(state, false);
}

// The same, and the window painted to its backing store as the screen would get it.
void BM_PlotUpdateAndPaint(benchmark::State &state)
{
    runRedraws(state, true);
}

BENCHMARK(BM_PlotUpdate)->Arg(ZoomLevel30s)->Arg(ZoomLevel72h)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlotUpdateAndPaint)
    ->Arg(ZoomLevel30s)
    ->Arg(ZoomLevel72h)
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    initKivResources();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
