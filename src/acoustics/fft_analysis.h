// SPDX-License-Identifier: GPL-3.0-or-later
// Averaged narrow-band spectra (Welch's method): the signal is cut into overlapping frames, each frame is
// windowed and transformed, and the frames' power spectra are averaged. Streams in constant memory.
#pragma once

#include <cstddef>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/result.h"
#include "data/signal_limits.h"

namespace k470::acoustics {

enum class FftWindow { Rectangular, Hann, FlatTop, BlackmanHarris };
enum class SpectrumAveraging { Linear, Exponential, MaxHold };
// Amplitude: a sinusoid of rms X at a bin centre reads X^2 at that bin. PowerDensity: power per hertz.
enum class SpectrumScaling { Amplitude, PowerDensity };

struct FftParameters {
    size_t size = 8192;  // a power of two from kMinFftSize to kMaxFftSize
    FftWindow window = FftWindow::Hann;
    double overlapPercent = 50.0;  // 0 to kMaxOverlapPercent
    SpectrumAveraging averaging = SpectrumAveraging::Linear;
    SpectrumScaling scaling = SpectrumScaling::Amplitude;
    // Exponential averaging: the newest frame weighs 1/n for the first frames and 1/exponentialFrames after,
    // so the start is not biased towards zero.
    size_t exponentialFrames = 8;
};

inline constexpr size_t kMinFftSize = 256;
inline constexpr size_t kMaxFftSize = 65536;
inline constexpr double kMaxOverlapPercent = 90.0;
// Level given to a bin without any power, so that outputs never hold infinities.
inline constexpr double kSpectrumFloorDb = kLevelFloorDb;

// Names as the command line takes them ("rect", "hann", "flattop", "blackman-harris"; "linear",
// "exponential", "max"); false for an unknown name.
bool parseFftWindow(std::string_view name, FftWindow& window);
bool parseSpectrumAveraging(std::string_view name, SpectrumAveraging& averaging);

// The periodic window of a frame of the given size.
std::vector<double> fftWindowCoefficients(FftWindow window, size_t size);

// Checks the size and the overlap; the message says what is wrong.
Status checkFftParameters(const FftParameters& parameters);

class FftAnalyzer {
  public:
    // Fails on a size that is not a power of two in range, an overlap out of range or a bad sampling rate.
    static Result<FftAnalyzer> create(const FftParameters& parameters, double sampleRate);
    FftAnalyzer(FftAnalyzer&&) noexcept;
    FftAnalyzer& operator=(FftAnalyzer&&) noexcept;
    ~FftAnalyzer();

    // Feeds samples in any block size; every completed frame enters the average.
    void push(std::span<const double> samples);
    // Forgets the average and any partial frame.
    void reset();

    size_t frames() const { return frames_; }
    size_t bins() const { return parameters_.size / 2 + 1; }
    double binWidth() const { return sampleRate_ / static_cast<double>(parameters_.size); }
    const FftParameters& parameters() const { return parameters_; }
    // The averaged spectrum in squared signal units (per hertz for PowerDensity), bins 0 to size/2.
    const std::vector<double>& power() const { return average_; }
    // The spectrum in dB re the reference value (kSpectrumFloorDb where a bin holds no power).
    std::vector<double> levels(double referenceValue) const;

  private:
    struct Plan;
    FftAnalyzer(const FftParameters& parameters, double sampleRate);
    void transformFrame();

    FftParameters parameters_;
    double sampleRate_ = 0.0;
    size_t hop_ = 0;
    std::vector<double> window_;
    std::vector<double> pending_;  // the frame being filled
    size_t filled_ = 0;
    std::vector<double> binScale_;
    std::vector<double> average_;
    size_t frames_ = 0;
    std::unique_ptr<Plan> plan_;
};

// The averaged spectrum as CSV: "frequency_hz,level_db" and a line per bin, frequency with 6 significant
// digits, level in dB re the reference with two decimals. The fft command prints it; the FFT page copies it.
std::string SpectrumCsv(const FftAnalyzer& analyzer, double referenceValue);

// The whole-signal spectrum in one call; fails, besides the parameter checks, when the signal is shorter
// than one frame, holds NaN or infinite samples, or is silent.
Result<FftAnalyzer> AnalyzeSpectrum(std::span<const double> samples, double sampleRate,
                                    const FftParameters& parameters);

}  // namespace k470::acoustics
