// One refresh of the main window with 20 audiogroups (the most the system allows), as it
// runs twice a second on the GUI thread for as long as the program runs. Run it with
// QT_QPA_PLATFORM=offscreen.
#include <QTSystemView.h>
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

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
