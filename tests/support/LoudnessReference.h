#pragma once

// Test signals and what the reference meter (libebur128, test-only) measures of them. Only
// tests that link the reference include this.

#include <QMetaType>
#include <QVector>

#include <ebur128.h>

#include <cmath>
#include <limits>
#include <vector>

namespace LoudnessReference {

// One stretch of a stereo 1 kHz tone whose level moves linearly (in dB) from startDb to
// endDb; -inf is digital silence.
struct Segment
{
    double seconds = 0.0;
    double startDb = 0.0;
    double endDb = 0.0;
};
using Signal = QVector<Segment>;

inline Segment tone(double seconds, double db)
{
    return {seconds, db, db};
}

inline Segment silence(double seconds)
{
    const double off = -std::numeric_limits<double>::infinity();
    return {seconds, off, off};
}

// What the reference meter reports: the 400 ms momentary loudness every 100 ms once the
// first block is full, and the gated integrated loudness of the whole signal.
struct Reference
{
    std::vector<double> momentary;
    double integrated = 0.0;
};

inline Reference measure(const Signal &signal)
{
    constexpr unsigned long kRate = 48000;
    constexpr size_t kFramesPer100ms = kRate / 10;
    ebur128_state *state = ebur128_init(2, kRate, EBUR128_MODE_I);
    Reference ref;
    if (!state)
        return ref;
    std::vector<float> block(kFramesPer100ms * 2);
    const double step = 2.0 * M_PI * 1000.0 / kRate;
    double phase = 0.0;
    size_t filled = 0;
    int blocks = 0;
    for (const Segment &segment : signal) {
        const size_t frames = static_cast<size_t>(segment.seconds * kRate);
        for (size_t i = 0; i < frames; ++i) {
            const double db =
                segment.startDb == segment.endDb
                    ? segment.startDb
                    : segment.startDb + (segment.endDb - segment.startDb) * i / frames;
            const double gain = std::isinf(db) ? 0.0 : std::pow(10.0, db / 20.0);
            const float value = static_cast<float>(gain * std::sin(phase));
            phase = std::fmod(phase + step, 2.0 * M_PI);
            block[filled * 2] = value;
            block[filled * 2 + 1] = value;
            if (++filled == kFramesPer100ms) {
                ebur128_add_frames_float(state, block.data(), kFramesPer100ms);
                filled = 0;
                if (++blocks >= 4) {
                    double momentary = 0.0;
                    ebur128_loudness_momentary(state, &momentary);
                    ref.momentary.push_back(momentary);
                }
            }
        }
    }
    ebur128_loudness_global(state, &ref.integrated);
    ebur128_destroy(&state);
    return ref;
}

} // namespace LoudnessReference

Q_DECLARE_METATYPE(LoudnessReference::Signal)
