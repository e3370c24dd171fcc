// SPDX-License-Identifier: GPL-3.0-or-later
#include "signal/sample_signals.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <functional>
#include <numbers>
#include <random>
#include <vector>

#include "base/clock.h"
#include "base/text_encoding.h"
#include "data/reference_values.h"
#include "signal/signal_recorder.h"
#include "signal/signal_synth.h"
#include "signal/vibration_synth.h"

namespace k470 {

namespace {

constexpr uint32_t kSampleVin = 0x00A1B2C3;
constexpr DeviceType kRawSignalType = 26;
constexpr DeviceType kVibrationType = 1;  // three-channel whole-body vibration meter
constexpr DeviceType kHandArmType = 2;    // three-channel hand-arm vibration meter
// The rates of the vibration cases: whole-body up to 80 Hz, hand-arm up to 1250 Hz, with room above.
constexpr double kWholeBodyRate = 2000.0;
constexpr double kHandArmRate = 12000.0;

struct NamedMarker {
    double seconds;
    const char* name;
};

// One record: its length, the markers in it, and the source of its frames (all present channels).
struct SampleRecordPlan {
    double seconds;
    std::vector<NamedMarker> markers;
    std::function<void(std::span<double> frame)> next;
};

struct SamplePlan {
    double rate;
    uint16_t mask;
    const char* units;
    double reference;
    DeviceType type;
    std::vector<SampleRecordPlan> records;
};

std::function<void(std::span<double>)> synthFrames(std::vector<SynthItem> items, double rate, uint64_t seed) {
    auto synth = std::make_shared<SignalSynth>(items, rate, seed);
    return [synth](std::span<double> frame) { frame[0] = synth->next(); };
}

SynthItem tone(double f, double db) {
    return {SynthItem::Kind::Tone, f, db, 0.0};
}
SynthItem pink(double db) {
    return {SynthItem::Kind::Pink, 0.0, db, 0.0};
}

// A room answering a shot at `shotAt` seconds: in every octave a set of decaying modes, sines spaced evenly
// across the middle two thirds of the octave with random phases, all falling by 60 dB in that octave's
// reverberation time; under it pink noise whose share in each octave lies 70 dB below the octave's start.
// The modes stand far enough apart (kModeSpacing times the bandwidth of their decay) that their beats
// average out of the energy decay, which therefore falls as a straight line in dB; low octaves get few
// modes, as small rooms have.
class RoomResponse {
  public:
    RoomResponse(double rate, double shotAt, uint64_t seed)
        : floor_(seed + 99, rate), shotAt_(shotAt), rate_(rate) {
        std::mt19937_64 random(seed);
        std::uniform_real_distribution<double> unit(0.0, 1.0);
        for (size_t b = 0; b < 6; ++b) {
            const double t60 = kRoomReverberationTimes[b];
            const double low = kRoomOctaveCentres[b] * std::pow(2.0, -1.0 / 3.0);
            const double high = kRoomOctaveCentres[b] * std::pow(2.0, 1.0 / 3.0);
            const double decayBandwidth = std::log(1e6) / (2.0 * std::numbers::pi * t60);  // Hz
            const int modes =
                std::clamp(static_cast<int>((high - low) / (kModeSpacing * decayBandwidth)), 1, 48);
            const double amplitude = std::numbers::sqrt2 * pressureOfLevel(kBandLevel) / std::sqrt(modes);
            Band band;
            band.decay = std::pow(10.0, -3.0 / (t60 * rate));
            for (int i = 0; i < modes; ++i) {
                const double f = low + (high - low) * (i + 0.5) / modes;
                band.step.push_back(std::polar(1.0, 2.0 * std::numbers::pi * f / rate));
                band.phasor.push_back(std::polar(amplitude, 2.0 * std::numbers::pi * unit(random)));
            }
            bands_.push_back(std::move(band));
        }
        // The floor's pink noise spreads over log2(rate / 2 / 16 Hz) octaves: its total lies that much above
        // its share in one octave.
        const double octaves = std::log2(rate / 2.0 / kPinkLowestFrequency);
        floorRms_ = pressureOfLevel(kBandLevel + kRoomFloorDb + 10.0 * std::log10(octaves));
    }

    double next() {
        double v = floorRms_ * floor_.next();
        if (static_cast<double>(n_++) / rate_ >= shotAt_) {
            for (Band& b : bands_) {
                double sum = 0.0;
                for (size_t i = 0; i < b.phasor.size(); ++i) {
                    sum += b.phasor[i].imag();
                    b.phasor[i] *= b.step[i];
                }
                v += sum * b.envelope;
                b.envelope *= b.decay;
            }
        }
        return v;
    }

  private:
    static constexpr double kModeSpacing = 8.0;
    static constexpr double kBandLevel = 90.0;  // dB in each octave as the decay starts
    struct Band {
        std::vector<std::complex<double>> step, phasor;
        double envelope = 1.0, decay = 1.0;
    };
    std::vector<Band> bands_;
    PinkNoise floor_;
    double floorRms_ = 0.0, shotAt_, rate_;
    uint64_t n_ = 0;
};

// A machine on its mount: the shaft's rotation and its harmonics, a gear mesh, and broadband noise, with a
// different share on each axis; `load` scales it from `loadAt` seconds on.
class MachineVibration {
  public:
    MachineVibration(double rate, double startAt, double loadAt, uint64_t seed)
        : random_(seed), rate_(rate), startAt_(startAt), loadAt_(loadAt) {}
    void next(std::span<double> frame) {
        const double t = static_cast<double>(n_++) / rate_;
        const double on = t < startAt_ ? 0.05 : (t < loadAt_ ? 1.0 : 1.6);
        constexpr double kShaft = 24.75;  // Hz: 1485 rpm
        constexpr double kMesh = 24.75 * 37;
        constexpr double kAxisGain[3] = {0.8, 0.5, 1.2};  // m/s^2 rms of the shaft tone per axis
        for (size_t k = 0; k < 3; ++k) {
            const double w = 2.0 * std::numbers::pi * t;
            const double a = kAxisGain[k] * std::numbers::sqrt2;
            const double v = a * std::sin(w * kShaft + static_cast<double>(k)) +
                             0.4 * a * std::sin(2.0 * w * kShaft) +
                             0.15 * a * std::sin(3.0 * w * kShaft + 0.5) +
                             0.3 * a * std::sin(w * kMesh + 1.3 * static_cast<double>(k));
            frame[k] = on * v + 0.05 * white_(random_);
        }
    }

  private:
    std::mt19937_64 random_;
    std::normal_distribution<double> white_{0.0, 1.0};
    double rate_, startAt_, loadAt_;
    uint64_t n_ = 0;
};

SamplePlan acousticPlan(double rate, std::vector<SampleRecordPlan> records) {
    return {rate, 1, "Pa", kReferenceSoundPressure, kRawSignalType, std::move(records)};
}

// A vibration case on three axes: a steady record and one with the case's shock at 10 s.
SamplePlan vibrationCasePlan(VibrationCase c) {
    const bool whole = c == VibrationCase::WholeBody;
    const double rate = whole ? kWholeBodyRate : kHandArmRate;
    const double seconds = whole ? 20.0 : 8.0;
    auto steady = std::make_shared<VibrationCaseSynth>(c, rate);
    auto shock = std::make_shared<VibrationCaseSynth>(c, rate, whole ? 10.0 : -1.0);
    return {rate,
            7,
            "m/c^2",
            kReferenceAcceleration,
            whole ? kVibrationType : kHandArmType,
            {{seconds, {{1.0, "Steady"}}, [steady](std::span<double> f) { steady->next(f); }},
             {seconds, {{10.0 * seconds / 20.0, whole ? "Shock" : "Steady"}}, [shock](std::span<double> f) {
                  shock->next(f);
              }}}};
}

SamplePlan planFor(SampleSignalKind kind) {
    using K = SampleSignalKind;
    switch (kind) {
        case K::Calibrator:
            // A class-1 calibrator at 94 dB and at 114 dB, over a quiet room.
            return acousticPlan(
                48000.0,
                {{4.0, {{1.0, "94 dB settled"}}, synthFrames({tone(1000.0, 94.0), pink(30.0)}, 48000.0, 1)},
                 {4.0,
                  {{1.0, "114 dB settled"}},
                  synthFrames({tone(1000.0, 114.0), pink(30.0)}, 48000.0, 2)}});
        case K::Pink:
            return acousticPlan(
                48000.0,
                {{5.0, {{1.0, "Marker 1"}, {3.0, "Marker 2"}}, synthFrames({pink(80.0)}, 48000.0, 3)},
                 {5.0, {{1.0, "Marker 1"}, {3.0, "Marker 2"}}, synthFrames({pink(60.0)}, 48000.0, 4)}});
        case K::Events: {
            const std::vector<NamedMarker> m = {{10.0, "Event start"}, {15.0, "Event end"}};
            const SynthItem events{SynthItem::Kind::Events, 0.0, 0.0, 0.0};
            return acousticPlan(24000.0, {{32.0, m, synthFrames({events}, 24000.0, 5)},
                                          {32.0, m, synthFrames({events}, 24000.0, 6)}});
        }
        case K::Room: {
            std::vector<SampleRecordPlan> records;
            for (uint64_t i = 0; i < 3; ++i) {
                auto room = std::make_shared<RoomResponse>(48000.0, 0.5, 10 + i);
                records.push_back(
                    {3.5, {{0.5, "Shot"}}, [room](std::span<double> f) { f[0] = room->next(); }});
            }
            return acousticPlan(48000.0, std::move(records));
        }
        case K::Vibration: {
            auto idle = std::make_shared<MachineVibration>(12000.0, 2.0, 1e9, 20);
            auto loaded = std::make_shared<MachineVibration>(12000.0, 0.0, 3.0, 21);
            return {12000.0,
                    7,
                    "m/c^2",
                    kReferenceAcceleration,
                    kVibrationType,
                    {{6.0, {{2.0, "Motor start"}}, [idle](std::span<double> f) { idle->next(f); }},
                     {6.0, {{3.0, "Load applied"}}, [loaded](std::span<double> f) { loaded->next(f); }}}};
        }
        case K::WholeBody:
        case K::HandArm:
            return vibrationCasePlan(kind == K::WholeBody ? VibrationCase::WholeBody
                                                          : VibrationCase::HandArm);
    }
    return {};
}

Status writePlan(const SamplePlan& plan, const std::string& path) {
    ManualClock clock;
    int record = 0;
    // Fixed dates, one minute apart, so that equal arguments give equal files.
    RecorderDeps deps{clock, [&record] { return CalendarTime{2026, 5, 14, 10, record++, 0}; }, nullptr};
    SignalRecorder recorder(deps);
    SdtHeader header;
    header.sampleRate = plan.rate;
    header.channelMask = plan.mask;
    for (size_t k = 0; k < 3; ++k) {
        header.units[k] = utf8ToUtf16(plan.units);
        header.referenceValue[k] = plan.reference;
    }
    // Made in one go: the file takes its name when whole, and an earlier file stays until then.
    if (Status s = recorder.Start(path, header, {plan.type, kSampleVin}, Placement::Whole); !s) return s;
    const size_t channels = static_cast<size_t>(recorder.channelCount());
    std::vector<double> piece;
    for (size_t r = 0; r < plan.records.size(); ++r) {
        const SampleRecordPlan& rp = plan.records[r];
        if (r > 0)
            if (Status s = recorder.NextRecord(); !s) return s;
        const auto frames = static_cast<uint64_t>(std::llround(rp.seconds * plan.rate));
        size_t marker = 0;
        for (uint64_t f = 0; f < frames; ++f) {
            while (marker < rp.markers.size() &&
                   f == static_cast<uint64_t>(std::llround(rp.markers[marker].seconds * plan.rate))) {
                if (Status s = recorder.Append(piece); !s) return s;
                piece.clear();
                if (Status s = recorder.AddMarker(utf8ToUtf16(rp.markers[marker++].name)); !s) return s;
            }
            piece.resize(piece.size() + channels);
            rp.next(std::span<double>(piece).last(channels));
            if (piece.size() >= 4096 * channels) {
                if (Status s = recorder.Append(piece); !s) return s;
                piece.clear();
            }
        }
        if (Status s = recorder.Append(piece); !s) return s;
        piece.clear();
    }
    return recorder.Stop();
}

}  // namespace

std::optional<SampleSignalKind> sampleSignalKindNamed(std::string_view name) {
    using K = SampleSignalKind;
    if (name == "calibrator") return K::Calibrator;
    if (name == "pink") return K::Pink;
    if (name == "events") return K::Events;
    if (name == "room") return K::Room;
    if (name == "vibration") return K::Vibration;
    if (name == "whole-body") return K::WholeBody;
    if (name == "hand-arm") return K::HandArm;
    return std::nullopt;
}

std::string_view sampleSignalKindNames() {
    return "calibrator, pink, events, room, vibration, whole-body, hand-arm";
}

Status WriteSampleSignalFile(SampleSignalKind kind, const std::string& path) {
    return writePlan(planFor(kind), path);
}

}  // namespace k470
