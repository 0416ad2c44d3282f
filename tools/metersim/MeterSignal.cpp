#include "MeterSignal.h"

#include <QByteArray>

#include <algorithm>
#include <cmath>

namespace {

constexpr double kTwoPi = 6.283185307179586;

// FNV-1a over the UTF-8 name: stable across runs and platforms, unlike qHash.
quint64 nameHash(const QString &name)
{
    quint64 h = 1469598103934665603ull;
    for (char c : name.toUtf8()) {
        h ^= static_cast<unsigned char>(c);
        h *= 1099511628211ull;
    }
    return h;
}

quint64 mix(quint64 a, quint64 b)
{
    quint64 z = a + 0x9E3779B97F4A7C15ull * (b + 1);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

// Uniform in [0, 1).
double unit(quint64 a, quint64 b) { return double(mix(a, b) >> 11) / 9007199254740992.0; }
// Uniform in [-1, 1).
double noise(quint64 a, quint64 b) { return 2.0 * unit(a, b) - 1.0; }

qint64 floorDiv(qint64 a, qint64 b)
{
    qint64 q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0)))
        --q;
    return q;
}

double round2(double v) { return std::round(v * 100.0) / 100.0; }

double wave(qint64 t, qint64 periodMs, double phase)
{
    const qint64 r = ((t % periodMs) + periodMs) % periodMs;
    return std::sin(kTwoPi * double(r) / double(periodMs) + phase);
}

struct Program
{
    qint64 index = 0;
    qint64 start = 0;
    qint64 length = 0;
};

Program programOf(quint64 h, qint64 t)
{
    Program p;
    p.length = (180 + qint64(h % 5) * 30) * 1000;
    const qint64 offset = qint64((h >> 8) % quint64(p.length / 100)) * 100;
    p.index = floorDiv(t - offset, p.length);
    p.start = offset + p.index * p.length;
    return p;
}

// The sample without its running maxima.
MeterSample rawSample(const MeterAudioGroup &ag, quint64 h, qint64 t)
{
    const Program p = programOf(h, t);
    const double phase1 = unit(h, 1) * kTwoPi;
    const double phase2 = unit(h, 2) * kTwoPi;
    const double level = -24.5 + 3.0 * unit(h ^ 0x5157, quint64(p.index));
    // A two-second burst now and then, loud enough to cross the usual thresholds.
    const double burst = (mix(h ^ 0xB0057, quint64(floorDiv(t, 2000))) % 50 == 0) ? 7.0 : 0.0;
    const quint64 tick = quint64(floorDiv(t, MeterSignal::kSampleIntervalMs));
    const double slow = 2.5 * wave(t, 37000, phase1);
    const double fast = 1.2 * wave(t, 7300, phase2);
    const double momentary = level + slow + fast + noise(h ^ 0x11, tick) + burst;
    const double shortTerm =
        level + 0.9 * slow + 0.45 * fast + 0.3 * noise(h ^ 0x22, tick) + 0.6 * burst;
    const double since = double(t - p.start);
    const double integrated =
        level + 3.0 * (unit(h ^ 0x33, quint64(p.index)) - 0.5) * std::exp(-since / 40000.0);
    const double range =
        (4.0 + 6.0 * unit(h ^ 0x44, quint64(p.index))) * (1.0 - std::exp(-since / 60000.0));
    const double offset = ag.loudnessUnit.trimmed() == QLatin1String("LU") ? ag.targetLoudness : 0.0;

    MeterSample s;
    s.timestamp = t;
    s.timecode = MeterSignal::timecodeOf(t);
    s.programId = p.index;
    s.M400ms = round2(momentary - offset);
    s.M100ms = round2(momentary + 1.5 * noise(h ^ 0x55, tick) - offset);
    s.S = round2(shortTerm - offset);
    s.I = round2(integrated - offset);
    s.LRA = round2(range);
    s.TP = round2(std::min(momentary + 11.0 + noise(h ^ 0x66, tick), 2.0));
    s.SPL = round2(momentary + 98.0);
    s.flags = 0;
    if (t == p.start)
        s.events = MeterSignal::kEventStart;
    else if (t == p.start + p.length - MeterSignal::kSampleIntervalMs)
        s.events = MeterSignal::kEventStop;
    return s;
}

} // namespace

qint64 MeterSignal::countBetween(qint64 afterMs, qint64 upToMs)
{
    if (upToMs <= afterMs)
        return 0;
    return floorDiv(upToMs, kSampleIntervalMs) - floorDiv(afterMs, kSampleIntervalMs);
}

QVector<MeterSample> MeterSignal::samples(const MeterAudioGroup &ag, qint64 afterMs,
                                          qint64 upToMs, const QVector<MomentaryBoost> &boosts)
{
    QVector<MeterSample> out;
    const qint64 count = countBetween(afterMs, upToMs);
    if (count <= 0)
        return out;
    out.reserve(int(std::min<qint64>(count, 1 << 24)));
    const quint64 h = nameHash(ag.name);
    const qint64 first = (floorDiv(afterMs, kSampleIntervalMs) + 1) * kSampleIntervalMs;
    const qint64 last = floorDiv(upToMs, kSampleIntervalMs) * kSampleIntervalMs;
    // The maxima need the whole program up to each sample.
    qint64 t = programOf(h, first).start;
    double tpMax = 0, mMax = 0, sMax = 0;
    for (; t <= last; t += kSampleIntervalMs) {
        MeterSample s = rawSample(ag, h, t);
        for (const MomentaryBoost &boost : boosts) {
            if (t >= boost.fromMs && t < boost.toMs) {
                s.M400ms = round2(s.M400ms + boost.lu);
                s.M100ms = round2(s.M100ms + boost.lu);
            }
        }
        if (s.events == kEventStart) {
            tpMax = s.TP;
            mMax = s.M400ms;
            sMax = s.S;
        } else {
            tpMax = std::max(tpMax, s.TP);
            mMax = std::max(mMax, s.M400ms);
            sMax = std::max(sMax, s.S);
        }
        if (t < first)
            continue;
        s.TPMax = tpMax;
        s.MMax = mMax;
        s.SMax = sMax;
        out.append(s);
    }
    return out;
}

MeterSample MeterSignal::sampleAt(const MeterAudioGroup &ag, qint64 timestampMs)
{
    const QVector<MeterSample> one = samples(ag, timestampMs - 1, timestampMs);
    if (one.isEmpty())
        return MeterSample();
    return one.first();
}

qint64 MeterSignal::programLengthMs(const QString &agName)
{
    return programOf(nameHash(agName), 0).length;
}

qint64 MeterSignal::programStart(const QString &agName, qint64 timestampMs)
{
    return programOf(nameHash(agName), timestampMs).start;
}

qint64 MeterSignal::programId(const QString &agName, qint64 timestampMs)
{
    return programOf(nameHash(agName), timestampMs).index;
}

quint64 MeterSignal::timecodeOf(qint64 timestampMs)
{
    const qint64 dayMs = ((timestampMs % 86400000) + 86400000) % 86400000;
    const int hours = int(dayMs / 3600000);
    const int minutes = int(dayMs / 60000 % 60);
    const int seconds = int(dayMs / 1000 % 60);
    const int frames = int(dayMs % 1000 / 40);
    const quint32 high = (quint32(hours / 10) << 30) | (quint32(hours % 10) << 26) |
                         (quint32(minutes / 10) << 23) | (quint32(minutes % 10) << 19) |
                         (quint32(seconds / 10) << 16) | (quint32(seconds % 10) << 12) |
                         (quint32(frames / 10) << 4) | quint32(frames % 10);
    return quint64(high) << 32;
}
