// Loads and saves "_config.xml" with 20 audiogroups (the most the system allows), as at
// every start and every settings change.
#include <KivUtils.h>
#include <SystemConfigXml.h>

#include <QBuffer>
#include <QCoreApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

SystemConfig twentyAudioGroups()
{
    SystemConfig sys;
    sys.setAlertsEnabled(true);
    SMTPConfig smtp;
    smtp.setHost(QStringLiteral("smtp.example.org"));
    smtp.setSenderEmailAddress(QStringLiteral("kiv@example.org"));
    sys.setSMTPConfig(smtp);
    sys.setRangeSettings({0, 2, 7, 11, 12, 14, 15});
    for (int c = 0; c < 3; ++c) {
        AlertContactConfig contact;
        contact.setName(QStringLiteral("Contact %1").arg(c));
        contact.setEmail(QStringLiteral("c%1@example.org").arg(c));
        sys.addOrUpdateAlertContact(contact);
    }
    for (int i = 0; i < 4; ++i) {
        InstrumentConfig meter(QStringLiteral("Meter %1").arg(i));
        meter.setIpAdr(QStringLiteral("192.168.1.%1").arg(10 + i));
        meter.setPass(QStringLiteral("secret"));
        meter.setModelNumber(QStringLiteral("LM-%1").arg(i));
        for (int g = 0; g < 5; ++g) {
            AgConfig ag(QStringLiteral("Program %1").arg(g));
            ag.setTPUpperThreshold(-1.0 - g * 0.5);
            ag.setTPUpperSecondaryThreshold(-3.0 - g * 0.5);
            ag.setLoudnessMode(QStringLiteral("EBU"));
            meter.setAgConfig(ag);
        }
        sys.addOrUpdateInstrument(meter);
    }
    return sys;
}

void BM_SaveConfig(benchmark::State &state)
{
    const SystemConfig sys = twentyAudioGroups();
    for (auto _ : state)
        benchmark::DoNotOptimize(saveSystemConfigToFile(sys, QStringLiteral("_config.xml")));
}

void BM_LoadConfig(benchmark::State &state)
{
    const SystemConfig sys = twentyAudioGroups();
    saveSystemConfigToFile(sys, QStringLiteral("_config.xml"));
    for (auto _ : state) {
        const SystemConfig loaded = loadSystemConfigFromFile(QStringLiteral("_config.xml"));
        if (loaded.getAgConfigCount() != 20)
            state.SkipWithError("audiogroups lost");
    }
}

void BM_ConfigToXmlString(benchmark::State &state)
{
    const SystemConfig sys = twentyAudioGroups();
    for (auto _ : state)
        benchmark::DoNotOptimize(systemConfigToXmlString(sys, true));
}

void BM_LoadFromInputDocument(benchmark::State &state)
{
    QByteArray bytes = systemConfigToXmlString(twentyAudioGroups(), true).toUtf8();
    for (auto _ : state) {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        benchmark::DoNotOptimize(loadSystemConfigFromInputDocument(&buffer));
    }
}

void BM_CopyConfig(benchmark::State &state)
{
    const SystemConfig sys = twentyAudioGroups();
    for (auto _ : state) {
        SystemConfig copy(sys);
        benchmark::DoNotOptimize(copy);
    }
}

} // namespace

BENCHMARK(BM_SaveConfig)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadConfig)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ConfigToXmlString)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadFromInputDocument)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CopyConfig)->Unit(benchmark::kMicrosecond);

int main(int argc, char **argv)
{
    // The data folder lies under HOME: keep it in a temporary folder.
    QTemporaryDir home;
    qputenv("HOME", home.path().toUtf8());
    qputenv("XDG_DOCUMENTS_DIR", (home.path() + QStringLiteral("/Documents")).toUtf8());
    QCoreApplication app(argc, argv);
    createDataFolder();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
