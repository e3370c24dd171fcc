// SPDX-License-Identifier: GPL-3.0-or-later
#include "acoustics/frequency_weighting.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>

#include "acoustics/acoustics_words.h"
#include "acoustics/magnitude_fit.h"

namespace k470::acoustics {

namespace {

// The pole frequencies of the weightings (IEC 61672-1, annex E), Hz.
constexpr double kF1 = 20.598997;
constexpr double kF2 = 107.65265;
constexpr double kF3 = 737.86223;
constexpr double kF4 = 12194.217;
// The weightings' values at 1 kHz before normalisation, dB.
constexpr double kA1000 = -2.000;
constexpr double kC1000 = -0.062;

// Half-length M of the correction filter (2M+1 taps) and the fitted range: the frequencies up to which the
// correction is fitted and, above that, up to which it is held near the target with a small weight.
constexpr int kCorrectionHalfLength = 8;
constexpr double kFitTop = 25000.0;   // Hz, nothing above is asked of a weighting here
constexpr double kFitFraction = 0.8;  // of half the rate
constexpr int kFitPoints = 400;

double w(double f) {
    return 2.0 * std::numbers::pi * f;
}

// The unnormalised analogue sections: s^2/(s+w1)^2, w4^2/(s+w4)^2 and for A also s^2/((s+w2)(s+w3)).
std::vector<Biquad> bilinearSections(Weighting weighting, double fs) {
    const double w1 = w(kF1), w2 = w(kF2), w3 = w(kF3), w4 = w(kF4);
    std::vector<Biquad> s;
    s.push_back(bilinear({0.0, 0.0, 1.0}, {w1 * w1, 2.0 * w1, 1.0}, fs));
    s.push_back(bilinear({w4 * w4, 0.0, 0.0}, {w4 * w4, 2.0 * w4, 1.0}, fs));
    if (weighting == Weighting::A) s.push_back(bilinear({0.0, 0.0, 1.0}, {w2 * w3, w2 + w3, 1.0}, fs));
    return s;
}

// The correction filter fitted to the ratio of the analogue weighting to the IIR's response.
std::vector<double> fitCorrection(Weighting weighting, const BiquadCascade& iir, double fs) {
    MagnitudeFitRange range;
    range.top = std::min(kFitTop, kFitFraction * 0.5 * fs);
    range.points = kFitPoints;
    range.halfLength = kCorrectionHalfLength;
    return fitMagnitudeCorrection(
        [weighting](double f) { return std::pow(10.0, analogWeightingDb(weighting, f) / 20.0); }, iir, fs,
        range);
}

}  // namespace

double analogWeightingDb(Weighting weighting, double f) {
    if (weighting == Weighting::Z) return 0.0;
    const double f2 = f * f;
    const double c = kF4 * kF4 * f2 / ((f2 + kF1 * kF1) * (f2 + kF4 * kF4));
    if (weighting == Weighting::C) return 20.0 * std::log10(c) - kC1000;
    const double a = c * f2 / std::sqrt((f2 + kF2 * kF2) * (f2 + kF3 * kF3));
    return 20.0 * std::log10(a) - kA1000;
}

Result<FrequencyWeighting> FrequencyWeighting::Create(Weighting weighting, double sampleRate) {
    if (Status ok = checkSampleRate(sampleRate); !ok) return ok.error();
    FrequencyWeighting fw;
    fw.weighting_ = weighting;
    fw.sampleRate_ = sampleRate;
    if (weighting == Weighting::Z) return fw;
    fw.iir_ = BiquadCascade(bilinearSections(weighting, sampleRate));
    fw.taps_ = fitCorrection(weighting, fw.iir_, sampleRate);
    fw.correction_ = BlockFir(fw.taps_);
    fw.reset();
    return fw;
}

void FrequencyWeighting::reset() {
    iir_.reset();
    correction_.reset();
}

void FrequencyWeighting::process(std::span<double> samples) {
    if (weighting_ == Weighting::Z) return;
    iir_.processBlock(samples);
    corrected_.clear();
    correct(samples, corrected_);
    std::copy(corrected_.begin(), corrected_.end(), samples.begin());
}

void FrequencyWeighting::correct(std::span<const double> iirOutput, std::vector<double>& out) {
    if (weighting_ == Weighting::Z)
        out.insert(out.end(), iirOutput.begin(), iirOutput.end());
    else
        correction_.process(iirOutput, out);
}

double FrequencyWeighting::responseDb(double f) const {
    if (weighting_ == Weighting::Z) return 0.0;
    const double omega = 2.0 * std::numbers::pi * f / sampleRate_;
    return 20.0 * std::log10(std::abs(iir_.response(omega)) * correctionMagnitude(taps_, f, sampleRate_));
}

namespace {

std::vector<BiquadCascade> iirsOf(const std::vector<FrequencyWeighting>& w) {
    std::vector<BiquadCascade> c;
    for (const FrequencyWeighting& f : w) c.push_back(f.sections());
    return c;
}

}  // namespace

WeightingSet::WeightingSet(std::vector<FrequencyWeighting> w)
    : weightings_(std::move(w)), iir_(iirsOf(weightings_)), outputs_(weightings_.size()) {}

Result<WeightingSet> WeightingSet::Create(std::span<const Weighting> weightings, double sampleRate) {
    if (Status ok = checkSampleRate(sampleRate); !ok) return ok.error();
    std::vector<FrequencyWeighting> w;
    for (Weighting k : weightings.first(std::min(weightings.size(), BiquadLanes::kLanes))) {
        auto f = FrequencyWeighting::Create(k, sampleRate);
        if (!f) return f.error();
        w.push_back(std::move(*f));
    }
    return WeightingSet(std::move(w));
}

void WeightingSet::process(std::span<const double> samples) {
    iir_.process(samples, lanes_);
    for (size_t k = 0; k < weightings_.size(); ++k) {
        outputs_[k].clear();
        weightings_[k].correct(BiquadLanes::lane(lanes_, k), outputs_[k]);
    }
}

void WeightingSet::reset() {
    iir_.reset();
    for (FrequencyWeighting& f : weightings_) f.reset();
}

}  // namespace k470::acoustics
