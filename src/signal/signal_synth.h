// SPDX-License-Identifier: GPL-3.0-or-later
// Made-up acoustic signals in pascals, for the simulated raw-signal instrument and the sample signal files:
// tones, pink noise, an acoustic calibrator, interrupted-noise decays, room impulse responses and noise
// events. Every random part comes from a seeded generator, so equal settings give equal signals.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <random>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/result.h"
#include "data/reference_values.h"

namespace k470 {

// The simulated raw-signal instrument's fixed sensitivity: 1 Pa gives 100,000 counts, so that its 24-bit
// full scale (8,388,607 counts, 83.9 Pa peak) is 132.4 dB peak, and a sine reaches 129.4 dB before it clips.
constexpr double kSimulatorCountsPerPascal = 100'000.0;

// The rms pressure of a level in dB re 20 uPa.
double pressureOfLevel(double db);

struct SynthItem {
    enum class Kind { Tone, Pink, Calibrator, Decay, Impulse, Events, WholeBody, HandArm };
    Kind kind = Kind::Tone;
    double frequency = 0.0;  // Hz (tone)
    double level = 0.0;      // dB re 20 uPa (tone, pink)
    double t60 = 0.0;        // reverberation time in s (decay, impulse)
};

// The items a signal description may hold, as its usage text lists them.
std::string_view signalItemsHelp();
// A comma-separated description: tone:F:DB, pink:DB, calibrator, decay:T60, impulse:T60, events,
// whole-body, hand-arm (the z axis of the vibration cases of signal/vibration_synth.h). An unknown
// or malformed item fails with a message naming it and listing the valid ones.
Result<std::vector<SynthItem>> parseSignalList(std::string_view list);

// Pink noise (equal power per octave) of unit rms from a seeded white Gaussian source, shaped by a sum of
// first-order low-passes whose poles are spread over the audio band, and freed of the slow swell below the
// audio band by a high-pass at kPinkLowestFrequency.
constexpr double kPinkLowestFrequency = 16.0;  // Hz

class PinkNoise {
  public:
    PinkNoise(uint64_t seed, double sampleRate);
    double next() { return scale_ * shaper_.step(white_(random_)); }

    // The pink filter and the high-pass, sample by sample.
    struct Shaper {
        explicit Shaper(double sampleRate);
        double step(double white);

        std::array<double, 7> state{};
        double b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0;  // the high-pass
        double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
    };

  private:
    std::mt19937_64 random_;
    std::normal_distribution<double> white_{0.0, 1.0};
    Shaper shaper_;
    double scale_ = 1.0;
};

// The sum of the items, sample by sample at the given rate.
class SignalSynth {
  public:
    SignalSynth(const std::vector<SynthItem>& items, double sampleRate, uint64_t seed = 1);
    ~SignalSynth();
    SignalSynth(SignalSynth&&) noexcept;
    SignalSynth& operator=(SignalSynth&&) noexcept;

    // The next sample in pascals.
    double next();
    void fill(std::span<double> out) {
        for (double& v : out) v = next();
    }

    struct Source;

  private:
    std::vector<std::unique_ptr<Source>> sources_;
};

}  // namespace k470
