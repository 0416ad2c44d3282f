#pragma once

#include <AAgDataModel.h>
#include <AgConfig.h>
#include <AgDataVector.h>
#include <InstrumentConfig.h>
#include <KivUtils.h>
#include <SQLiteAgDataModel.h>
#include <ReportTask.h>
#include <ReportXMLComposer.h>

#include <QFile>
#include <QTextStream>

#include <memory>
#include <vector>

// Audiogroup files written by the store itself, and report jobs run over them.
namespace ReportTest {

constexpr qint64 kT0 = 1700000000000; // 2023-11-14 22:13:20 UTC

// Main limits above the secondary ones: a value beyond only the secondary limit is a
// warning ("YELLOW"), one beyond the main limit an error ("RED"). Loudness limits are
// stored relative to the -23 target; in LUFS they lie at M -8 and -10, S -15 and -17,
// I -22 and -22.5 above, -24 and -23.5 below.
inline AgConfig agConfig(const QString &name = QStringLiteral("Main"))
{
    AgConfig config(name);
    config.setLoudnessUnit(QStringLiteral("LUFS"));
    config.setTargetLoudness(-23.0);
    config.setMainThresholdActiveState(true);
    config.setSecondaryThresholdActiveState(true);
    config.setTPUpperThreshold(-1.0);
    config.setTPUpperSecondaryThreshold(-2.0);
    config.setMUpperThreshold(15.0);
    config.setMUpperSecondaryThreshold(13.0);
    config.setSUpperThreshold(8.0);
    config.setSUpperSecondaryThreshold(6.0);
    config.setIUpperThreshold(1.0);
    config.setIUpperSecondaryThreshold(0.5);
    config.setILowerThreshold(-1.0);
    config.setILowerSecondaryThreshold(-0.5);
    return config;
}

// A timecode whose high word carries hh:mm:ss in the meters' BCD layout.
inline qint64 timecodeOf(int hours, int minutes, int seconds)
{
    const quint32 high = quint32(hours / 10) << 30 | quint32(hours % 10) << 26 |
                         quint32(minutes / 10) << 23 | quint32(minutes % 10) << 19 |
                         quint32(seconds / 10) << 16 | quint32(seconds % 10) << 12;
    return static_cast<qint64>(quint64(high) << 32);
}

// A sample within every limit at kT0 + offsetMs.
inline AgData quietSample(qint64 offsetMs, qint64 programId)
{
    AgData sample(QStringLiteral("Main"));
    sample.setEmpty(false);
    sample.setTimestamp(kT0 + offsetMs);
    sample.setProgramId(programId);
    sample.setTimecode(timecodeOf(10, int(offsetMs / 60000) % 60, int(offsetMs / 1000) % 60));
    sample.setTP(-10.0);
    sample.setM400ms(-23.0);
    sample.setS(-23.0);
    sample.setI(-23.0);
    sample.setLRA(5.0);
    return sample;
}

// Samples every 100 ms of one program, from fromMs to toMs (both included).
inline std::vector<AgData> programSamples(qint64 fromMs, qint64 toMs, qint64 programId)
{
    std::vector<AgData> samples;
    for (qint64 t = fromMs; t <= toMs; t += 100)
        samples.push_back(quietSample(t, programId));
    return samples;
}

// Six and a half hours of an audiogroup as a meter logs it: one sample a second outside
// programs (program id -1) and ten a second within four short programs. The last six hours
// begin at 1800 s; program 101 began two minutes before that, so a report of them is
// widened back to its start; program 100 ended before them and is left out. Program 102
// carries a loud passage, listed as true-peak and momentary errors.
struct LoggedDay
{
    static constexpr qint64 kNewest = kT0 + 23400000;
    static constexpr qint64 kReportStart = kT0 + 1680000; // program 101's start
    static constexpr int kReportedPrograms = 3;

    static std::vector<AgData> samples()
    {
        struct Span { qint64 from, to, programId; };
        const Span programs[] = {{600000, 900000, 100},
                                 {1680000, 1980000, 101},
                                 {10800000, 11040000, 102},
                                 {23100000, 23400000, 103}};
        std::vector<AgData> all;
        qint64 t = 0;
        for (const Span &program : programs) {
            for (; t < program.from; t += 1000)
                all.push_back(quietSample(t, -1));
            for (t = program.from; t <= program.to; t += 100) {
                AgData sample = quietSample(t, program.programId);
                if (program.programId == 102 && t >= 10900000 && t < 10910000) {
                    sample.setTP(-0.5);
                    sample.setM400ms(-6.0);
                }
                all.push_back(sample);
            }
            t = program.to + 1000;
        }
        return all;
    }
};

// A stand-in converter: a shell script with the given body; false when it cannot be written.
inline bool writeShellScript(const QString &path, const QByteArray &body,
                             bool executable = true)
{
    QFile script(path);
    if (!script.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    script.write("#!/bin/sh\n" + body + "\n");
    script.close();
    return !executable || script.setPermissions(script.permissions() | QFileDevice::ExeOwner);
}

// The audiogroup's own file in the data folder, made afresh.
inline std::unique_ptr<AAgDataModel> freshStore(const InstrumentConfig &instrument,
                                                const AgConfig &config)
{
    createDataFolder();
    const QString path = getAgDbFilePath(instrument.getName(), config.getName());
    for (const char *suffix : {"", "-wal", "-shm", "-journal"})
        QFile::remove(path + QLatin1String(suffix));
    auto model = std::make_unique<AAgDataModel>();
    model->init(0, instrument, config, false, QString());
    return model;
}

// Stores the samples in batches as the audiogroup controller does; 0 when all were stored
// (also after a gap between samples).
inline int store(AAgDataModel &model, const std::vector<AgData> &samples)
{
    for (size_t first = 0; first < samples.size(); first += 3000) {
        AgDataVector batch(QStringLiteral("Main"), 0);
        for (size_t i = first; i < samples.size() && i < first + 3000; ++i)
            batch.append(samples[i]);
        int err = -1;
        model.insertData(&batch, true, &err);
        if (err != 0 && err != kStoreGapCode)
            return err;
    }
    return 0;
}

// Calculates every program of the job; false when that does not end.
inline bool calculateAll(ReportTask &task, AAgDataModel &model, int maxSteps = 100000)
{
    for (int step = 0; step < maxSteps && !task.isAllProgramsCalculated(); ++step)
        task.calculateNextSlice(&model);
    return task.isAllProgramsCalculated();
}

inline QString compose(const ReportTask &task, bool *ok = nullptr)
{
    QString xml;
    QTextStream stream(&xml);
    stream.setCodec("UTF-8");
    const bool composed = ReportXMLComposer(&stream, &task).compose();
    if (ok)
        *ok = composed;
    return xml;
}

} // namespace ReportTest
