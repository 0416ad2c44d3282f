// A meter's 72-hour log (2.6 million samples at 100 ms) imported into an audiogroup store as
// the audiogroup controller runs the import, one 30 s slice per step, and exported back into
// a file; meter XML exports of about 20 and 200 MB, read and imported as streams. Peak
// memory is the process's high-water mark after each case.
#include <AAgDataModel.h>
#include <AgConfig.h>
#include <AgDataVector.h>
#include <AgViolations.h>
#include <DBExportManager.h>
#include <DBImportManager.h>
#include <ImportFixtures.h>
#include <InstrumentConfig.h>
#include <KivUtils.h>
#include <ZQExportParser.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <malloc.h>
#include <sys/resource.h>

#include <cstdio>
#include <cstring>
#include <memory>

namespace {

constexpr int kSamples72h = 72 * 36000;
const QString kInstrument = QStringLiteral("ZQ meter");
const QString kSource = QStringLiteral("Main");

double peakMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}

class Files
{
public:
    Files()
    {
        qputenv("HOME", m_home.path().toLocal8Bit());
        createDataFolder();
        m_meterDb = m_home.filePath(QStringLiteral("meter72h.db"));
    }
    // The meter database is written when first asked for: the XML cases do without it.
    bool ready()
    {
        if (!m_written)
            writeMeterDb();
        return m_ready;
    }
    double fixturePeak() const { return m_fixturePeak; }
    QString meterDb() const { return m_meterDb; }
    QString path(const QString &name) const { return m_home.filePath(name); }

private:
    void writeMeterDb()
    {
        m_written = true;
        // An hour at a time, so that the fixture does not set the memory high-water mark.
        constexpr int kHour = 36000;
        for (int hour = 0; hour < kSamples72h / kHour; ++hour) {
            const std::vector<AgData> data = ImportFixtures::samples(
                ImportFixtures::kT0 + qint64(hour) * kHour * 100, kHour, 100, kHour, 7 + hour);
            m_ready = hour == 0 ? ImportFixtures::writeMeterDb(
                                      m_meterDb, ImportFixtures::MeterVersion::V11, false,
                                      kInstrument, {kSource}, data)
                                : ImportFixtures::appendMeterRows(m_meterDb, false, data);
            if (!m_ready)
                break;
        }
        m_fixturePeak = peakMegabytes();
        if (!m_ready)
            std::fprintf(stderr, "could not write the meter database\n");
    }

    QTemporaryDir m_home;
    QString m_meterDb;
    bool m_written = false;
    bool m_ready = false;
    double m_fixturePeak = 0.0;
};

Files &files()
{
    static Files instance;
    return instance;
}

std::unique_ptr<AAgDataModel> freshStore(const QString &source)
{
    const QString path = getAgDbFilePath(kInstrument, source);
    for (const char *suffix : {"", "-wal", "-shm", "-journal"})
        QFile::remove(path + QLatin1String(suffix));
    InstrumentConfig instrument(kInstrument);
    instrument.setAgConfig(AgConfig(source));
    auto store = std::make_unique<AAgDataModel>();
    store->init(0, instrument, AgConfig(source), false, QString());
    return store;
}

// With KIV_BENCH_KEEP naming a folder, the imported file is copied there, to be compared
// with the file another build imports.
void keepImported(const QString &source, const QString &name)
{
    const QString folder = qEnvironmentVariable("KIV_BENCH_KEEP");
    if (folder.isEmpty())
        return;
    const QString target = QDir(folder).filePath(name);
    QFile::remove(target);
    QFile::copy(getAgDbFilePath(kInstrument, source), target);
}

bool runImport(DBImportManager &manager, AAgDataModel *store)
{
    InstrumentConfig instrument(kInstrument);
    AgConfig agConfig(kSource);
    AgViolations violations;
    while (manager.isImporting())
        manager.process(true, &instrument, &agConfig, store, &violations);
    return manager.isCompleted();
}

void BM_ImportMeterDb72h(benchmark::State &state)
{
    if (!files().ready()) {
        state.SkipWithError("no fixture");
        return;
    }
    for (auto _ : state) {
        auto store = freshStore(QStringLiteral("Main_i"));
        DBImportManager manager;
        manager.startImport(1, 1, files().meterDb());
        if (!runImport(manager, store.get()))
            state.SkipWithError(qPrintable(manager.getMessage()));
        store->close();
        keepImported(QStringLiteral("Main_i"), QStringLiteral("meter72h_i.db"));
    }
    state.counters["samples"] = kSamples72h;
    state.counters["peak_before_MB"] = files().fixturePeak();
    state.counters["peak_MB"] = peakMegabytes();
}
BENCHMARK(BM_ImportMeterDb72h)->Iterations(1)->Unit(benchmark::kSecond);

void BM_ExportBack72h(benchmark::State &state)
{
    InstrumentConfig instrument(kInstrument);
    instrument.setAgConfig(AgConfig(QStringLiteral("Main_i")));
    AAgDataModel source;
    source.init(0, instrument, AgConfig(QStringLiteral("Main_i")), false, QString());
    int err = 0;
    const qint64 first = source.getMinTimestamp(0, &err);
    const qint64 last = source.getMaxTimestamp(0, &err);
    if (err != 0 || first <= 0) {
        state.SkipWithError("run the import case first");
        return;
    }
    for (auto _ : state) {
        DBExportManager manager;
        manager.startExport(instrument, AgConfig(QStringLiteral("Main_i")), first, last,
                            files().path(QStringLiteral("export72h.db")));
        while (!manager.isFinished())
            manager.process(0, &source);
        manager.process(0, &source);
        if (!manager.isCompleted())
            state.SkipWithError(qPrintable(manager.getMessage()));
        manager.reset();
    }
    source.close();
    state.counters["peak_MB"] = peakMegabytes();
}
BENCHMARK(BM_ExportBack72h)->Iterations(1)->Unit(benchmark::kSecond);

// The process's resident memory now and its high-water mark, in MB.
double statusMegabytes(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0.0;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(int(std::strlen(field))).trimmed().split(' ').first().toDouble() /
                   1024.0;
    return 0.0;
}

// Sets the high-water mark back to the resident memory of now.
void resetPeak()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

// A meter XML export of the given hours of samples at 100 ms, about 10.5 MB an hour.
QString xmlExport(int hours)
{
    const QString path = files().path(QStringLiteral("export%1h.xml").arg(hours));
    if (QFile::exists(path))
        return path;
    // Written an hour at a time: the file, not its making, is measured.
    const QString frame = ImportFixtures::exportXml(kInstrument, {kSource}, {});
    const QString numAvail = QStringLiteral("<numAvail>0</numAvail>");
    const int split = frame.indexOf(numAvail) + numAvail.size();
    QFile out(path);
    out.open(QIODevice::WriteOnly);
    out.write(frame.left(split).toUtf8());
    for (int hour = 0; hour < hours; ++hour) {
        const QString part = ImportFixtures::exportXml(
            kInstrument, {kSource},
            ImportFixtures::samples(ImportFixtures::kT0 + qint64(hour) * 3600000, 36000, 100, 36000,
                                    7 + hour));
        const int from = part.indexOf(QStringLiteral("<AGData>"));
        const int to = part.lastIndexOf(QStringLiteral("</AGDataList>"));
        out.write(part.mid(from, to - from).toUtf8());
    }
    out.write(frame.mid(split).toUtf8());
    // The making's freed memory goes back to the system: it is not the import's.
    malloc_trim(0);
    return path;
}

// The import as the program runs it: the export read once as a stream for its
// configuration and where its samples lie, then imported by the audiogroup's manager, which
// reads the samples again slice by slice. Peak memory is measured from the start of the case.
void BM_ImportXml(benchmark::State &state)
{
    const QString path = xmlExport(int(state.range(0)));
    state.counters["file_MB"] = double(QFileInfo(path).size()) / 1e6;
    resetPeak();
    const double before = statusMegabytes("VmRSS:");
    for (auto _ : state) {
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        ZQExportParser parser;
        parser.parseFile(&file);
        if (!parser.isValid()) {
            state.SkipWithError("invalid export");
            return;
        }
        XmlSampleList list = parser.getSampleList(kSource);
        list.filePath = path;
        auto store = freshStore(QStringLiteral("Xml_i"));
        DBImportManager manager;
        manager.startXmlStreamImport(1, list, 2);
        if (!runImport(manager, store.get()))
            state.SkipWithError(qPrintable(manager.getMessage()));
        store->close();
        keepImported(QStringLiteral("Xml_i"), QStringLiteral("xml%1h_i.db").arg(state.range(0)));
    }
    state.counters["rss_before_MB"] = before;
    state.counters["peak_MB"] = statusMegabytes("VmHWM:");
    state.counters["peak_over_MB"] = statusMegabytes("VmHWM:") - before;
}
// About 20 MB (2 hours) and 200 MB (19 hours).
BENCHMARK(BM_ImportXml)->Arg(2)->Arg(19)->Iterations(1)->Unit(benchmark::kSecond);

} // namespace

int main(int argc, char **argv)
{
    // As the program runs it (SystemController::prepare): each connection used by one
    // thread, no SQLite mutexes, no memory statistics.
    sqlite3_config(SQLITE_CONFIG_MULTITHREAD);
    sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0);
    QCoreApplication app(argc, argv);
    // A larger export on request, e.g. KIV_BENCH_XML_HOURS=190 for about 2 GB.
    const int hours = qEnvironmentVariableIntValue("KIV_BENCH_XML_HOURS");
    if (hours > 0)
        benchmark::RegisterBenchmark("BM_ImportXml", BM_ImportXml)
            ->Arg(hours)
            ->Iterations(1)
            ->Unit(benchmark::kSecond);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
