// SPDX-License-Identifier: GPL-3.0-or-later
#include "signal/signal_synth.h"
#include "data/reference_values.h"

#include "signal/vibration_synth.h"

#include <charconv>
#include <cmath>
#include <numbers>

namespace k470 {

namespace {

// Paul Kellett's pink filter: seven parallel first-order sections whose sum falls by 3 dB per octave
// within +-0.5 dB from about 10 Hz to the top of the band at 44.1 and 48 kHz.
constexpr std::array<double, 6> kPinkPoles = {0.99886, 0.99332, 0.96900, 0.86650, 0.55000, -0.7616};
constexpr std::array<double, 6> kPinkGains = {0.0555179, 0.0750759, 0.1538520,
                                              0.3104856, 0.5329522, -0.0168980};
constexpr double kPinkDirect = 0.5362;
constexpr double kPinkDelayed = 0.115926;

constexpr double kDecayOnLevel = 90.0;        // dB: the noise before it is switched off
constexpr double kImpulseStartLevel = 100.0;  // dB: rms of the first moments of an impulse response
constexpr double kEventsBackground = 55.0;    // dB
constexpr double kEventsPeakLevel = 75.0;     // dB with the event on
constexpr double kEventsPeriod = 30.0;        // s between event starts
constexpr double kEventsStart = 10.0;         // s into each period
constexpr double kEventsLength = 5.0;         // s
constexpr double kCalibratorFrequency = 1000.0;
constexpr double kCalibratorLevel = 94.0;

bool parseDouble(std::string_view text, double& v) {
    auto r = std::from_chars(text.data(), text.data() + text.size(), v);
    return !text.empty() && r.ec == std::errc() && r.ptr == text.data() + text.size() && std::isfinite(v);
}

std::vector<std::string_view> split(std::string_view text, char sep) {
    std::vector<std::string_view> parts;
    for (size_t start = 0;;) {
        const size_t at = text.find(sep, start);
        parts.push_back(
            text.substr(start, at == std::string_view::npos ? std::string_view::npos : at - start));
        if (at == std::string_view::npos) return parts;
        start = at + 1;
    }
}

// The amplitude envelope of a decay: 60 dB down after t60 seconds.
double decayEnvelope(double seconds, double t60) {
    return std::pow(10.0, -3.0 * seconds / t60);
}

}  // namespace

double pressureOfLevel(double db) {
    return kReferenceSoundPressure * std::pow(10.0, db / 20.0);
}

std::string_view signalItemsHelp() {
    return "tone:F:DB (a sine of F Hz at DB dB), pink:DB (pink noise at DB dB), calibrator (1 kHz at 94 dB), "
           "decay:T60 (interrupted noise decaying with reverberation time T60 s, every 3*T60 s), impulse:T60 "
           "(a room impulse response, every 3*T60 s), events (pink noise at 55 dB with a 75 dB event of 5 s "
           "every 30 s), whole-body (z axis: 0.5 m/s^2 at 5 Hz and a 10 m/s^2 half-sine shock of 50 ms at "
           "10 s, every 20 s), hand-arm (z axis: a tool at 125 Hz, 3 m/s^2, with 1.5 and 0.75 m/s^2 at 250 "
           "and "
           "375 Hz)";
}

Result<std::vector<SynthItem>> parseSignalList(std::string_view list) {
    using K = SynthItem::Kind;
    std::vector<SynthItem> items;
    for (std::string_view text : split(list, ',')) {
        const std::vector<std::string_view> f = split(text, ':');
        SynthItem item;
        bool ok = false;
        if (f[0] == "tone" && f.size() == 3) {
            item.kind = K::Tone;
            ok = parseDouble(f[1], item.frequency) && parseDouble(f[2], item.level) && item.frequency > 0.0 &&
                 item.level <= 140.0;
        } else if (f[0] == "pink" && f.size() == 2) {
            item.kind = K::Pink;
            ok = parseDouble(f[1], item.level) && item.level <= 140.0;
        } else if ((f[0] == "decay" || f[0] == "impulse") && f.size() == 2) {
            item.kind = f[0] == "decay" ? K::Decay : K::Impulse;
            ok = parseDouble(f[1], item.t60) && item.t60 >= 0.05 && item.t60 <= 60.0;
        } else if ((f[0] == "whole-body" || f[0] == "hand-arm") && f.size() == 1) {
            item.kind = f[0] == "whole-body" ? K::WholeBody : K::HandArm;
            ok = true;
        } else if ((f[0] == "calibrator" || f[0] == "events") && f.size() == 1) {
            item.kind = f[0] == "calibrator" ? K::Calibrator : K::Events;
            ok = true;
        }
        if (!ok)
            return fail("unknown signal item '" + std::string(text) + "'; the items are " +
                        std::string(signalItemsHelp()));
        items.push_back(item);
    }
    return items;
}

PinkNoise::Shaper::Shaper(double rate) {
    // Second-order Butterworth high-pass by the bilinear transform, pre-warped to its corner.
    const double k = std::tan(std::numbers::pi * kPinkLowestFrequency / rate);
    const double d = 1.0 + std::numbers::sqrt2 * k + k * k;
    b0 = 1.0 / d;
    b1 = -2.0 / d;
    b2 = 1.0 / d;
    a1 = 2.0 * (k * k - 1.0) / d;
    a2 = (1.0 - std::numbers::sqrt2 * k + k * k) / d;
}

double PinkNoise::Shaper::step(double w) {
    double sum = 0.0;
    for (size_t i = 0; i < kPinkPoles.size(); ++i) {
        state[i] = kPinkPoles[i] * state[i] + kPinkGains[i] * w;
        sum += state[i];
    }
    sum += state[6] + kPinkDirect * w;
    state[6] = kPinkDelayed * w;
    const double y = b0 * sum + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
    x2 = x1;
    x1 = sum;
    y2 = y1;
    y1 = y;
    return y;
}

PinkNoise::PinkNoise(uint64_t seed, double rate) : random_(seed), shaper_(rate) {
    // White noise of unit rms comes out with the rms of the impulse response: the root of the sum of its
    // squares, taken until its slowest pole has died away.
    Shaper impulse(rate);
    double energy = 0.0;
    for (int n = 0; n < (1 << 18); ++n) {
        const double h = impulse.step(n == 0 ? 1.0 : 0.0);
        energy += h * h;
    }
    scale_ = 1.0 / std::sqrt(energy);
}

struct SignalSynth::Source {
    virtual ~Source() = default;
    virtual double next() = 0;
};

namespace {

class ToneSource : public SignalSynth::Source {
  public:
    ToneSource(double frequency, double level, double rate)
        : step_(frequency / rate), amplitude_(std::numbers::sqrt2 * pressureOfLevel(level)) {}
    double next() override {
        const double v = amplitude_ * std::sin(2.0 * std::numbers::pi * phase_);
        phase_ += step_;
        phase_ -= std::floor(phase_);
        return v;
    }

  private:
    double step_, amplitude_, phase_ = 0.0;
};

class PinkSource : public SignalSynth::Source {
  public:
    PinkSource(double level, double rate, uint64_t seed) : noise_(seed, rate), rms_(pressureOfLevel(level)) {}
    double next() override { return rms_ * noise_.next(); }

  private:
    PinkNoise noise_;
    double rms_;
};

// Noise that is switched on for t60 seconds and then decays for 2 * t60 seconds, over and over.
class DecaySource : public SignalSynth::Source {
  public:
    DecaySource(double t60, double rate, uint64_t seed)
        : noise_(seed, rate),
          t60_(t60),
          rate_(rate),
          period_(static_cast<uint64_t>(std::llround(3.0 * t60 * rate))) {}
    double next() override {
        const double t = static_cast<double>(n_++ % period_) / rate_;
        const double v = pressureOfLevel(kDecayOnLevel) * noise_.next();
        return t < t60_ ? v : v * decayEnvelope(t - t60_, t60_);
    }

  private:
    PinkNoise noise_;
    double t60_, rate_;
    uint64_t period_, n_ = 0;
};

// White noise under an exponential envelope, as a room answers a shot: it starts at once and falls by 60 dB
// in t60 seconds; again every 3 * t60 seconds.
class ImpulseSource : public SignalSynth::Source {
  public:
    ImpulseSource(double t60, double rate, uint64_t seed)
        : random_(seed),
          t60_(t60),
          rate_(rate),
          period_(static_cast<uint64_t>(std::llround(3.0 * t60 * rate))) {}
    double next() override {
        const double t = static_cast<double>(n_++ % period_) / rate_;
        return pressureOfLevel(kImpulseStartLevel) * white_(random_) * decayEnvelope(t, t60_);
    }

  private:
    std::mt19937_64 random_;
    std::normal_distribution<double> white_{0.0, 1.0};
    double t60_, rate_;
    uint64_t period_, n_ = 0;
};

// A steady background with an event that raises the total to its peak level for a few seconds of every
// period.
class EventsSource : public SignalSynth::Source {
  public:
    EventsSource(double rate, uint64_t seed)
        : background_(seed, rate),
          event_(seed + 1, rate),
          rate_(rate),
          eventRms_(kReferenceSoundPressure * std::sqrt(std::pow(10.0, kEventsPeakLevel / 10.0) -
                                                        std::pow(10.0, kEventsBackground / 10.0))) {}
    double next() override {
        const double t = std::fmod(static_cast<double>(n_++) / rate_, kEventsPeriod);
        const double v = pressureOfLevel(kEventsBackground) * background_.next();
        const double e = eventRms_ * event_.next();
        return t >= kEventsStart && t < kEventsStart + kEventsLength ? v + e : v;
    }

  private:
    PinkNoise background_, event_;
    double rate_, eventRms_;
    uint64_t n_ = 0;
};

// The z axis of a vibration case, its shock (if any) every kVibrationCaseRepeat seconds from 10 s on.
class VibrationCaseSource : public SignalSynth::Source {
  public:
    VibrationCaseSource(VibrationCase c, double rate) : case_(c), rate_(rate), synth_(c, rate, kShockAt) {}
    double next() override {
        std::array<double, 3> frame{};
        synth_.next(frame);
        if (++n_ >= static_cast<uint64_t>(kVibrationCaseRepeat * rate_)) {
            n_ = 0;
            synth_ = VibrationCaseSynth(case_, rate_, kShockAt);
        }
        return frame[2];
    }

  private:
    static constexpr double kShockAt = 10.0;
    static constexpr double kVibrationCaseRepeat = 20.0;
    VibrationCase case_;
    double rate_;
    VibrationCaseSynth synth_;
    uint64_t n_ = 0;
};

}  // namespace

SignalSynth::SignalSynth(const std::vector<SynthItem>& items, double rate, uint64_t seed) {
    using K = SynthItem::Kind;
    for (const SynthItem& item : items) {
        const uint64_t s = seed * 1000003u + sources_.size() * 7919u;  // each noise its own
        switch (item.kind) {
            case K::Tone:
                sources_.push_back(std::make_unique<ToneSource>(item.frequency, item.level, rate));
                break;
            case K::Calibrator:
                sources_.push_back(
                    std::make_unique<ToneSource>(kCalibratorFrequency, kCalibratorLevel, rate));
                break;
            case K::Pink:
                sources_.push_back(std::make_unique<PinkSource>(item.level, rate, s));
                break;
            case K::Decay:
                sources_.push_back(std::make_unique<DecaySource>(item.t60, rate, s));
                break;
            case K::Impulse:
                sources_.push_back(std::make_unique<ImpulseSource>(item.t60, rate, s));
                break;
            case K::Events:
                sources_.push_back(std::make_unique<EventsSource>(rate, s));
                break;
            case K::WholeBody:
            case K::HandArm:
                sources_.push_back(std::make_unique<VibrationCaseSource>(
                    item.kind == K::WholeBody ? VibrationCase::WholeBody : VibrationCase::HandArm, rate));
                break;
        }
    }
}

SignalSynth::~SignalSynth() = default;
SignalSynth::SignalSynth(SignalSynth&&) noexcept = default;
SignalSynth& SignalSynth::operator=(SignalSynth&&) noexcept = default;

double SignalSynth::next() {
    double v = 0.0;
    for (auto& s : sources_) v += s->next();
    return v;
}

}  // namespace k470
