// One refresh of the main window with 20 audiogroups (the most the system allows), as it
// runs on the GUI thread whenever something it shows changes; and what a meter's thread pays
// to publish its status while the display sleeps. Run it with QT_QPA_PLATFORM=offscreen.
#include <QTSystemView.h>
#include <SyncSystemUIData.h>
#include <SystemUIData.h>

#include <QApplication>

#include <benchmark/benchmark.h>

namespace {

SystemUIData twentyAudioGroups()
{
    SystemConfig config;
    config.setManualAcquisitionOn(true);
    QList<AcquisitionAg> status;
    for (int i = 0; i < 4; ++i) {
        InstrumentConfig meter(QStringLiteral("Meter %1").arg(i));
        meter.setIpAdr(QStringLiteral("http://192.168.1.%1").arg(10 + i));
        for (int g = 0; g < 5; ++g)
            meter.setAgConfig(AgConfig(QStringLiteral("Program %1").arg(g)));
        config.addOrUpdateInstrument(meter);
        for (const AgConfig &ag : meter.getAgConfigs()) {
            AcquisitionAg record(meter, ag);
            record.setConnected();
            status.append(record);
        }
    }
    SystemUIData state;
    state.setSystemConfig(config);
    state.setAcquisitionStatus(status);
    return state;
}

void BM_MainWindowUpdate(benchmark::State &state)
{
    QTSystemView view(kViewTypeSystem, nullptr);
    view.initView();
    view.show();
    const SystemUIData data = twentyAudioGroups();
    view.update(data);
    QCoreApplication::processEvents();
    for (auto _ : state) {
        view.update(data);
        // What the refresh costs on screen too: layouts and painting.
        QCoreApplication::processEvents();
    }
}
BENCHMARK(BM_MainWindowUpdate)->Unit(benchmark::kMillisecond);

// One meter's round: its five records, fresher but shown alike, into the sleeping display's
// state, which then tells whether the window must be woken.
void BM_StatusPublishWhileDisplaySleeps(benchmark::State &state)
{
    const SystemUIData data = twentyAudioGroups();
    SyncSystemUIData sync;
    sync.setSystemConfig(data.getSystemConfig());
    QList<AcquisitionAg> round;
    for (const AgConfig &ag : data.getSystemConfig().getInstrument("Meter 0").getAgConfigs())
        round.append(*data.findAcquisitionAg(QStringLiteral("Meter 0"), ag.getName()));
    for (const InstrumentConfig &meter : data.getSystemConfig().getInstruments()) {
        for (const AgConfig &ag : meter.getAgConfigs())
            sync.setAcquisitionStatus({*data.findAcquisitionAg(meter.getName(), ag.getName())});
    }
    qint64 wakeAt = 0;
    sync.takeForSleepingDisplay(&wakeAt);
    for (auto _ : state) {
        for (AcquisitionAg &record : round) {
            record.setReplyResult(0);
            record.setStoreResult(0, 20);
        }
        if (sync.setAcquisitionStatus(round))
            state.SkipWithError("a round shown alike woke the display");
    }
}
BENCHMARK(BM_StatusPublishWhileDisplaySleeps)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
