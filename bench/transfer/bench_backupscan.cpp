// Listing a "log_backup" folder of 500 backups written by the store: the reader alone (walk
// and every file read), and the backup controller's thread from the refresh command until
// its list holds every backup.
#include <BackupController.h>
#include <BackupFixtures.h>
#include <BackupModel.h>
#include <Command.h>
#include <KivDbBackupFileReader.h>
#include <KivUtils.h>

#include <QCoreApplication>
#include <QDir>
#include <QMutex>
#include <QTemporaryDir>
#include <QThread>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>

namespace {

constexpr int kBackups = 500;

// The data folder in a temporary HOME, with the backups written once.
class BackupFolder
{
public:
    BackupFolder()
    {
        qputenv("HOME", m_home.path().toLocal8Bit());
        m_files = BackupFixtures::writeBackups({"Studio 1", "Main"}, kBackups, 1000,
                                               BackupFixtures::kT0, 2000, 1000);
        if (m_files.size() != kBackups)
            std::fprintf(stderr, "could not write the backups\n");
    }
    bool ready() const { return m_files.size() == kBackups; }

private:
    QTemporaryDir m_home;
    QStringList m_files;
};

BackupFolder &folder()
{
    static BackupFolder instance;
    return instance;
}

void BM_ReadFolder(benchmark::State &state)
{
    if (!folder().ready()) {
        state.SkipWithError("no backups");
        return;
    }
    BackupModel model;
    QMutex mutex;
    KivDbBackupFileReader reader(&model, &mutex);
    for (auto _ : state) {
        reader.reset();
        walkDirectory(getLogBackupFolderPath(), &reader);
        while (reader.hasPendingFiles())
            reader.readNextFile();
        benchmark::DoNotOptimize(model.getItemCount());
    }
    if (model.getItemCount() != kBackups)
        state.SkipWithError("not every backup listed");
    state.counters["files/s"] =
        benchmark::Counter(double(kBackups), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_ReadFolder)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ControllerRefresh(benchmark::State &state)
{
    if (!folder().ready()) {
        state.SkipWithError("no backups");
        return;
    }
    BackupController controller(nullptr);
    controller.initBackupFolder();
    controller.startThread();
    for (auto _ : state) {
        controller.enqueue(new Command(BackupController::CmdRefresh));
        // The refresh empties the list first; then it fills again.
        while (controller.getModel().getItemCount() == kBackups)
            QThread::usleep(100);
        while (controller.getModel().getItemCount() < kBackups)
            QThread::usleep(100);
    }
    controller.stop();
    controller.wait();
}
BENCHMARK(BM_ControllerRefresh)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char **argv)
{
    // The SQL driver plugin needs the application object.
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
