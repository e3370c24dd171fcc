// SPDX-License-Identifier: GPL-3.0-or-later
#include "acoustics/octave_filter_bank.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

#include "acoustics/acoustics_words.h"
#include "base/number_format.h"
#include "data/family_bands.h"

namespace k470::acoustics {

namespace {

constexpr double kG = 1.9952623149688795;  // 10^(3/10), the base-10 octave ratio

// The bands labelled as the sound-level records' band header labels them: thirds 25 Hz to 20 kHz, octaves
// 31.5 Hz to 16 kHz; others by their rounded midband.
constexpr int kFirstLabelledThird = -16, kLastLabelledThird = 13;

// The low-pass in front of each halving of the rate, Kaiser-windowed (beta 7.9): flat to 1e-4 up to an
// eighth of the input rate (the highest band edge at the halved rate), below -80 dB from 0.28 of it on, so
// whatever folds back onto the bands of the halved rate is gone; what folds from between lands above
// twice their edges, where the band filters themselves take it down.
constexpr int kDecimatorTaps = 33;
constexpr double kDecimatorCutoff = 0.2025;  // of the input rate, the middle of the transition
constexpr double kKaiserBeta = 7.86;

double besselI0(double x) {
    double sum = 1.0, term = 1.0;
    for (int k = 1; k < 50; ++k) {
        term *= (x / (2.0 * k)) * (x / (2.0 * k));
        sum += term;
        if (term < 1e-17 * sum) break;
    }
    return sum;
}

std::array<double, kDecimatorTaps> makeDecimator() {
    std::array<double, kDecimatorTaps> h{};
    const int c = kDecimatorTaps / 2;
    double sum = 0.0;
    for (int n = 0; n < kDecimatorTaps; ++n) {
        const int m = n - c;
        const double x = 2.0 * kDecimatorCutoff * m;
        const double sinc = m == 0 ? 1.0 : std::sin(std::numbers::pi * x) / (std::numbers::pi * x);
        const double r = static_cast<double>(m) / c;
        const double w =
            besselI0(kKaiserBeta * std::sqrt(std::max(0.0, 1.0 - r * r))) / besselI0(kKaiserBeta);
        h[n] = sinc * w;
        sum += h[n];
    }
    for (double& v : h) v /= sum;
    return h;
}

const std::array<double, kDecimatorTaps>& decimator() {
    static const std::array<double, kDecimatorTaps> taps = makeDecimator();
    return taps;
}

// The class-1 acceptance limits on relative attenuation (dB) at the octave-band breakpoints G^e; the
// breakpoints of a 1/b-octave band follow from them. Each band's filter order is the lowest that keeps its
// response inside them with a margin; near half the sampling rate the bilinear transform squeezes the upper
// side of a band and widens the lower, which a higher order makes up for.
struct AttenuationLimit {
    double exponent;
    double min, max;
};
constexpr AttenuationLimit kClassOneLimits[] = {{0.0, -0.4, 0.4},   {0.125, -0.4, 0.5}, {0.25, -0.4, 0.7},
                                                {0.375, -0.4, 1.4}, {0.5, -0.4, 5.3},   {1.0, 16.6, 1e9},
                                                {2.0, 40.5, 1e9},   {3.0, 60.0, 1e9},   {4.0, 70.0, 1e9}};
constexpr double kDesignMargin = 0.3;  // dB kept from each limit
constexpr int kMaxOrder = 8;

bool withinLimits(const BiquadCascade& f, BandId id, double rate) {
    const double b = id.bandsPerOctave();
    for (const AttenuationLimit& l : kClassOneLimits) {
        const double above = 1.0 + (std::pow(kG, 0.5 / b) - 1.0) / (std::pow(kG, 0.5) - 1.0) *
                                       (std::pow(kG, l.exponent) - 1.0);
        for (double omega : {above, 1.0 / above}) {
            const double freq = id.midband() * omega;
            if (freq >= 0.5 * rate) continue;
            const double a = -20.0 * std::log10(f.magnitude(freq, rate));
            if (a < l.min + kDesignMargin || a > l.max - kDesignMargin) return false;
        }
    }
    return true;
}

BiquadCascade designBand(BandId id, double rate) {
    BiquadCascade f;
    for (int order = OctaveFilterBank::kOrder; order <= kMaxOrder; ++order) {
        f = BiquadCascade(designButterworthBandPass(order, id.lowerEdge(), id.upperEdge(), rate));
        if (withinLimits(f, id, rate)) break;
    }
    return f;
}

// Each band runs at the lowest halved rate at which its upper edge stays below a quarter of the rate, so
// that its filter is well conditioned and the half-band filters in front of it keep aliases out.
constexpr double kUpperEdgeToRate = 0.25;

}  // namespace

std::span<const double> decimatorTaps() {
    return decimator();
}

double BandId::midband() const {
    return 1000.0 * std::pow(kG, index / bandsPerOctave());
}
double BandId::lowerEdge() const {
    return midband() * std::pow(kG, -0.5 / bandsPerOctave());
}
double BandId::upperEdge() const {
    return midband() * std::pow(kG, 0.5 / bandsPerOctave());
}

std::string BandId::label() const {
    const int third = set == BandSet::Third ? index : 3 * index;
    if (third >= kFirstLabelledThird && third <= kLastLabelledThird)
        if (const auto band = familyBand(third)) return band->headerLabel;
    const double f = midband();
    const double scale = std::pow(10.0, std::floor(std::log10(f)) - 2.0);
    const double rounded = std::round(f / scale) * scale;
    std::string text =
        rounded >= 1000.0 ? formatGeneral(rounded / 1000.0, 3) + "k" : formatGeneral(rounded, 3);
    return text;
}

Result<OctaveFilterBank> OctaveFilterBank::Create(double sampleRate, const BandRequest& request,
                                                  const SampleRateRange& rates) {
    if (Status ok = checkSampleRate(sampleRate, rates); !ok) return ok.error();
    OctaveFilterBank bank;
    bank.sampleRate_ = sampleRate;
    if (request.thirds)
        for (int x = request.firstThird; x <= request.lastThird; ++x) bank.addBand({BandSet::Third, x});
    if (request.octaves)
        for (int x = request.firstOctave; x <= request.lastOctave; ++x) bank.addBand({BandSet::Octave, x});
    for (size_t i = 0; i < bank.bands_.size(); ++i) bank.stages_[bank.bands_[i].stage].bandsHere.push_back(i);
    for (Stage& s : bank.stages_) {
        // Bands of equal order side by side, so that few lanes run padding sections.
        std::stable_sort(s.bandsHere.begin(), s.bandsHere.end(), [&](size_t a, size_t b) {
            return bank.filters_[a].sections().size() < bank.filters_[b].sections().size();
        });
        for (size_t at = 0; at < s.bandsHere.size(); at += BiquadLanes::kLanes) {
            std::vector<BiquadCascade> group;
            for (size_t j = at; j < std::min(at + BiquadLanes::kLanes, s.bandsHere.size()); ++j)
                group.push_back(bank.filters_[s.bandsHere[j]]);
            s.groups.emplace_back(group);
        }
    }
    bank.reset();
    return bank;
}

void OctaveFilterBank::addBand(BandId id) {
    const double f2 = id.upperEdge();
    if (!(f2 < 0.5 * sampleRate_)) {
        missing_.push_back(id);
        return;
    }
    int stage = 0;
    double rate = sampleRate_;
    while (f2 < kUpperEdgeToRate * rate * 0.5) {
        rate *= 0.5;
        ++stage;
    }
    while (static_cast<int>(stages_.size()) <= stage) {
        Stage s;
        s.rate = sampleRate_ / std::pow(2.0, static_cast<double>(stages_.size()));
        s.down = BlockFir(decimator(), BlockFir::Keep::EverySecond);
        stages_.push_back(std::move(s));
    }
    bands_.push_back({id, rate, stage});
    filters_.push_back(designBand(id, rate));
}

int OctaveFilterBank::indexOf(BandId id) const {
    for (size_t i = 0; i < bands_.size(); ++i)
        if (bands_[i].id.set == id.set && bands_[i].id.index == id.index) return static_cast<int>(i);
    return -1;
}

void OctaveFilterBank::reset() {
    for (Stage& s : stages_) {
        s.down.reset();
        for (BiquadLanes& g : s.groups) g.reset();
    }
}

void OctaveFilterBank::process(std::span<const double> samples, const BandSink& sink) {
    std::span<const double> in = samples;
    for (size_t k = 0; k < stages_.size(); ++k) {
        Stage& s = stages_[k];
        if (k > 0) {
            s.input.clear();
            s.down.process(in, s.input);
            in = s.input;
        }
        if (in.empty()) break;
        for (size_t g = 0; g < s.groups.size(); ++g) {
            s.groups[g].process(in, lanesOut_);
            for (size_t l = 0; l < s.groups[g].lanes(); ++l)
                sink(s.bandsHere[g * BiquadLanes::kLanes + l], BiquadLanes::lane(lanesOut_, l));
        }
    }
}

}  // namespace k470::acoustics
