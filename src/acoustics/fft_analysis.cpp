// SPDX-License-Identifier: GPL-3.0-or-later
// Welch spectra on FFTW3's real-input transform.
#include "acoustics/fft_analysis.h"

#include <fftw3.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstring>
#include <mutex>
#include <numbers>
#include <string>

#include "acoustics/acoustics_words.h"
#include "acoustics/signal_checks.h"
#include "base/number_format.h"

namespace k470::acoustics {

namespace {

// FFTW's planner keeps global state and may be used by one thread at a time; executing a plan is safe.
std::mutex& plannerMutex() {
    static std::mutex m;
    return m;
}

bool isPowerOfTwo(size_t n) {
    return n != 0 && (n & (n - 1)) == 0;
}

// Sum of cosines a0 - a1 cos(x) + a2 cos(2x) - ..., periodic over the frame (the DFT-even form, whose
// scalloping and side lobes are those quoted for the window).
std::vector<double> cosineSum(std::initializer_list<double> terms, size_t size) {
    std::vector<double> w(size, 0.0);
    const double step = 2.0 * std::numbers::pi / static_cast<double>(size);
    for (size_t n = 0; n < size; ++n) {
        double sign = 1.0, sum = 0.0;
        size_t k = 0;
        for (double a : terms) {
            sum += sign * a * std::cos(step * static_cast<double>(k * n));
            sign = -sign;
            ++k;
        }
        w[n] = sum;
    }
    return w;
}

}  // namespace

namespace {

template <class T, size_t N>
bool lookUp(const std::pair<std::string_view, T> (&names)[N], std::string_view name, T& out) {
    for (const auto& [n, v] : names)
        if (n == name) return out = v, true;
    return false;
}

}  // namespace

bool parseFftWindow(std::string_view name, FftWindow& window) {
    static constexpr std::pair<std::string_view, FftWindow> kNames[] = {
        {"rect", FftWindow::Rectangular},
        {"hann", FftWindow::Hann},
        {"flattop", FftWindow::FlatTop},
        {"blackman-harris", FftWindow::BlackmanHarris}};
    return lookUp(kNames, name, window);
}

bool parseSpectrumAveraging(std::string_view name, SpectrumAveraging& averaging) {
    static constexpr std::pair<std::string_view, SpectrumAveraging> kNames[] = {
        {"linear", SpectrumAveraging::Linear},
        {"exponential", SpectrumAveraging::Exponential},
        {"max", SpectrumAveraging::MaxHold}};
    return lookUp(kNames, name, averaging);
}

std::vector<double> fftWindowCoefficients(FftWindow window, size_t size) {
    switch (window) {
        case FftWindow::Rectangular:
            return std::vector<double>(size, 1.0);
        case FftWindow::Hann:
            return cosineSum({0.5, 0.5}, size);
        case FftWindow::FlatTop:
            // The five-term flat-top: passband flat to a few thousandths of a dB between bins.
            return cosineSum({0.21557895, 0.41663158, 0.277263158, 0.083578947, 0.006947368}, size);
        case FftWindow::BlackmanHarris:
            // The four-term form with side lobes below -92 dB (Harris, 1978).
            return cosineSum({0.35875, 0.48829, 0.14128, 0.01168}, size);
    }
    return {};
}

Status checkFftParameters(const FftParameters& p) {
    if (!isPowerOfTwo(p.size) || p.size < kMinFftSize || p.size > kMaxFftSize)
        return fail(message(Word::FftSizeInvalid, {std::to_string(p.size)}));
    if (!(p.overlapPercent >= 0.0 && p.overlapPercent <= kMaxOverlapPercent))
        return fail(message(Word::FftOverlapInvalid, {formatGeneral(p.overlapPercent, 6)}));
    return {};
}

struct FftAnalyzer::Plan {
    double* in = nullptr;
    fftw_complex* out = nullptr;
    fftw_plan plan = nullptr;

    explicit Plan(size_t size) {
        std::lock_guard lock(plannerMutex());
        in = fftw_alloc_real(size);
        out = fftw_alloc_complex(size / 2 + 1);
        plan = fftw_plan_dft_r2c_1d(static_cast<int>(size), in, out, FFTW_ESTIMATE);
    }
    ~Plan() {
        std::lock_guard lock(plannerMutex());
        fftw_destroy_plan(plan);
        fftw_free(in);
        fftw_free(out);
    }
    Plan(const Plan&) = delete;
    Plan& operator=(const Plan&) = delete;
};

Result<FftAnalyzer> FftAnalyzer::create(const FftParameters& parameters, double sampleRate) {
    if (Status s = checkFftParameters(parameters); !s) return s.error();
    if (Status s = checkSampleRate(sampleRate); !s) return s.error();
    return FftAnalyzer(parameters, sampleRate);
}

FftAnalyzer::FftAnalyzer(const FftParameters& parameters, double sampleRate)
    : parameters_(parameters),
      sampleRate_(sampleRate),
      window_(fftWindowCoefficients(parameters.window, parameters.size)),
      pending_(parameters.size),
      plan_(std::make_unique<Plan>(parameters.size)) {
    const size_t n = parameters.size;
    const auto overlap =
        static_cast<size_t>(std::lround(static_cast<double>(n) * parameters.overlapPercent / 100.0));
    hop_ = n - std::min(overlap, n - 1);
    // One-sided scaling: the interior bins carry the power of both the positive and the negative frequency.
    double sum = 0.0, sumSquares = 0.0;
    for (double w : window_) sum += w, sumSquares += w * w;
    const double base = parameters.scaling == SpectrumScaling::Amplitude ? 1.0 / (sum * sum)
                                                                         : 1.0 / (sampleRate * sumSquares);
    binScale_.assign(bins(), 2.0 * base);
    binScale_.front() = base;
    binScale_.back() = base;
    average_.assign(bins(), 0.0);
}

FftAnalyzer::FftAnalyzer(FftAnalyzer&&) noexcept = default;
FftAnalyzer& FftAnalyzer::operator=(FftAnalyzer&&) noexcept = default;
FftAnalyzer::~FftAnalyzer() = default;

void FftAnalyzer::push(std::span<const double> samples) {
    const size_t n = parameters_.size;
    while (!samples.empty()) {
        const size_t take = std::min(n - filled_, samples.size());
        std::memcpy(pending_.data() + filled_, samples.data(), take * sizeof(double));
        filled_ += take;
        samples = samples.subspan(take);
        if (filled_ < n) break;
        transformFrame();
        std::memmove(pending_.data(), pending_.data() + hop_, (n - hop_) * sizeof(double));
        filled_ = n - hop_;
    }
}

void FftAnalyzer::transformFrame() {
    const size_t n = parameters_.size;
    for (size_t i = 0; i < n; ++i) plan_->in[i] = pending_[i] * window_[i];
    fftw_execute(plan_->plan);
    ++frames_;
    const double weight = parameters_.averaging == SpectrumAveraging::Exponential
                              ? 1.0 / static_cast<double>(std::clamp<size_t>(
                                          frames_, 1, std::max<size_t>(parameters_.exponentialFrames, 1)))
                              : 1.0 / static_cast<double>(frames_);
    for (size_t k = 0; k < bins(); ++k) {
        const double re = plan_->out[k][0], im = plan_->out[k][1];
        const double p = (re * re + im * im) * binScale_[k];
        if (parameters_.averaging == SpectrumAveraging::MaxHold)
            average_[k] = frames_ == 1 ? p : std::max(average_[k], p);
        else
            average_[k] += (p - average_[k]) * weight;
    }
}

void FftAnalyzer::reset() {
    filled_ = 0;
    frames_ = 0;
    std::fill(average_.begin(), average_.end(), 0.0);
}

std::vector<double> FftAnalyzer::levels(double referenceValue) const {
    std::vector<double> out(average_.size());
    const double reference2 = referenceValue * referenceValue;
    for (size_t k = 0; k < out.size(); ++k) {
        const double ratio = average_[k] / reference2;
        out[k] = ratio > 0.0 ? std::max(10.0 * std::log10(ratio), kSpectrumFloorDb) : kSpectrumFloorDb;
    }
    return out;
}

Result<FftAnalyzer> AnalyzeSpectrum(std::span<const double> samples, double sampleRate,
                                    const FftParameters& parameters) {
    auto analyzer = FftAnalyzer::create(parameters, sampleRate);
    if (!analyzer) return analyzer;
    if (samples.size() < parameters.size)
        return fail(message(Word::FftSizeAboveSignal,
                            {std::to_string(parameters.size), std::to_string(samples.size())}));
    if (Status s = checkSamples(samples); !s) return s.error();
    analyzer->push(samples);
    return analyzer;
}

std::string SpectrumCsv(const FftAnalyzer& analyzer, double referenceValue) {
    std::string out = "frequency_hz,level_db\n";
    const std::vector<double> levels = analyzer.levels(referenceValue);
    for (size_t k = 0; k < levels.size(); ++k) {
        appendGeneral(out, static_cast<double>(k) * analyzer.binWidth(), 6);
        out += ',';
        appendFixed(out, levels[k], 2);
        out += '\n';
    }
    return out;
}

}  // namespace k470::acoustics
