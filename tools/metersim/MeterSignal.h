#pragma once

#include <QString>
#include <QVector>

// One audiogroup of the simulated meter as its configuration reply describes it.
struct MeterAudioGroup
{
    MeterAudioGroup() = default;
    explicit MeterAudioGroup(const QString &sourceName) : name(sourceName) {}

    QString name;
    QString audioMode = QStringLiteral("Stereo");
    QString domain = QStringLiteral("Broadcast");
    QString loudnessMode = QStringLiteral("EBU R128");
    // "LU" reports loudness relative to the target, anything else absolute values.
    QString loudnessUnit = QStringLiteral("LU");
    double loudnessMinDb = -18.0;
    double loudnessMaxDb = 9.0;
    double targetLoudness = -23.0;
    double refTPMax = -1.0;
    double thresholdMinTP = -2.0;
    double thresholdMaxTP = -1.0;
    double thresholdMinMomentary = 6.0;
    double thresholdMaxMomentary = 8.0;
    double thresholdMinShort = 2.0;
    double thresholdMaxShort = 3.0;
    // The secondary limits lie inside the main ones, as the logger requires.
    double thresholdMinIntegrated = -1.0;
    double thresholdMinIntegratedSecondary = -0.5;
    double thresholdMaxIntegrated = 1.0;
    double thresholdMaxIntegratedSecondary = 0.5;
};

// One loudness sample as the meter sends it. Every double is rounded to two decimals, so
// the text sent ("%.2f") reads back as the very same double.
struct MeterSample
{
    qint64 timestamp = 0;
    quint64 timecode = 0;
    qint64 programId = 0;
    double TP = 0.0;
    double TPMax = 0.0;
    double M100ms = 0.0;
    double M400ms = 0.0;
    double MMax = 0.0;
    double S = 0.0;
    double SMax = 0.0;
    double I = 0.0;
    double LRA = 0.0;
    double SPL = 0.0;
    qint64 flags = 0;
    qint64 events = 0;
};

// A stretch of time whose momentary loudness (M400ms and M100ms) is raised, as by a loud
// passage: samples with fromMs <= timestamp < toMs.
struct MomentaryBoost
{
    qint64 fromMs = 0;
    qint64 toMs = 0;
    double lu = 0.0;
};

// The simulated measurement: a deterministic function of the audiogroup and the time
// stamp. Samples lie on every multiple of 100 ms; programs of three to five minutes (fixed
// per audiogroup name) follow each other without gaps, the first sample of a program
// carries event 1 (start) and its last one event 2 (stop); the maxima run from the
// program start.
class MeterSignal
{
public:
    static constexpr qint64 kSampleIntervalMs = 100;
    static constexpr qint64 kEventStart = 1;
    static constexpr qint64 kEventStop = 2;

    // The samples with afterMs < timestamp <= upToMs, oldest first.
    static QVector<MeterSample> samples(const MeterAudioGroup &ag, qint64 afterMs, qint64 upToMs,
                                        const QVector<MomentaryBoost> &boosts = {});
    static MeterSample sampleAt(const MeterAudioGroup &ag, qint64 timestampMs);
    // Number of samples with afterMs < timestamp <= upToMs.
    static qint64 countBetween(qint64 afterMs, qint64 upToMs);

    static qint64 programLengthMs(const QString &agName);
    static qint64 programStart(const QString &agName, qint64 timestampMs);
    static qint64 programId(const QString &agName, qint64 timestampMs);
    // Time code of a UTC time: the time of day packed into the high word, 25 frames/s.
    static quint64 timecodeOf(qint64 timestampMs);
};
