// SPDX-License-Identifier: GPL-3.0-or-later
#include "acoustics/decay_analysis.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

#include "acoustics/acoustics_words.h"
#include "base/number_format.h"

namespace k470::acoustics {

namespace {

double toDb(double energyRatio) {
    return 10.0 * std::log10(energyRatio);
}

size_t samplesOf(double seconds, double sampleRate) {
    return std::max<size_t>(1, static_cast<size_t>(std::lround(seconds * sampleRate)));
}

double meanOf(std::span<const double> v) {
    double sum = 0.0;
    for (double x : v) sum += x;
    return v.empty() ? 0.0 : sum / static_cast<double>(v.size());
}

// Mean energy of consecutive blocks; a last partial block counts when it holds at least half a block.
std::vector<double> blockMeans(std::span<const double> energy, size_t block) {
    std::vector<double> out;
    out.reserve(energy.size() / block + 1);
    for (size_t i = 0; i < energy.size(); i += block) {
        const size_t n = std::min(block, energy.size() - i);
        if (n * 2 < block) break;
        out.push_back(meanOf(energy.subspan(i, n)));
    }
    return out;
}

struct Line {
    double slope = 0.0, intercept = 0.0, correlation = 0.0;
};

// Least-squares line of y(i) against x(i) for i in [first, last); needs at least two points.
template <class X, class Y>
Line regress(size_t first, size_t last, X x, Y y) {
    const double n = static_cast<double>(last - first);
    double mx = 0.0, my = 0.0;
    for (size_t i = first; i < last; ++i) mx += x(i), my += y(i);
    mx /= n, my /= n;
    double sxx = 0.0, syy = 0.0, sxy = 0.0;
    for (size_t i = first; i < last; ++i) {
        const double dx = x(i) - mx, dy = y(i) - my;
        sxx += dx * dx, syy += dy * dy, sxy += dx * dy;
    }
    Line line;
    line.slope = sxx > 0.0 ? sxy / sxx : 0.0;
    line.intercept = my - line.slope * mx;
    line.correlation = sxx > 0.0 && syy > 0.0 ? sxy / std::sqrt(sxx * syy) : 0.0;
    return line;
}

// The envelope of a decay in blocks, with the times of the block centres.
struct Envelope {
    std::vector<double> db;
    double blockSeconds = 0.0;
    double time(size_t i) const { return (static_cast<double>(i) + 0.5) * blockSeconds; }
};

Envelope envelopeOf(std::span<const double> energy, size_t block, double sampleRate) {
    Envelope env;
    env.blockSeconds = static_cast<double>(block) / sampleRate;
    for (double m : blockMeans(energy, block))
        env.db.push_back(m > 0.0 ? toDb(m) : -std::numeric_limits<double>::infinity());
    return env;
}

Line regressEnvelope(const Envelope& env, size_t first, size_t last) {
    return regress(
        first, last, [&](size_t i) { return env.time(i); }, [&](size_t i) { return env.db[i]; });
}

// Lundeby's averaging time for the first envelope: 10 ms, longer in narrow bands whose envelope fluctuates
// slowly, up to 50 ms.
double initialIntervalSeconds(double bandwidthHz) {
    return bandwidthHz > 0.0 ? std::clamp(2.0 / bandwidthHz, 0.010, 0.050) : 0.010;
}

// Lundeby's estimate of where the decay meets the noise, and of the energy the decay would have had after
// that point had it gone on at its late slope.
struct Truncation {
    bool found = false;
    double noise = 0.0;       // mean energy of the noise tail; 0 when the signal ends in digital silence
    double startLevel = 0.0;  // mean energy at the envelope's peak
    size_t crossSample = 0;
    double compensation = 0.0;  // energy summed over the samples after crossSample
};

constexpr int kLundebyIterations = 5;
constexpr double kIntervalsPer10Db = 5.0;         // Lundeby: 3 to 10 envelope intervals per 10 dB of decay
constexpr double kNoiseStartBeyondCrossDb = 5.0;  // the noise is measured from 5 dB of decay past the cross
constexpr double kLateFitAboveNoiseDb = 7.0;      // the late slope is fitted from 7 dB above the noise ...
constexpr double kLateFitRangeDb = 20.0;          // ... over 20 dB

size_t firstAtOrBelow(const Envelope& env, size_t from, double levelDb) {
    while (from < env.db.size() && env.db[from] > levelDb) ++from;
    return from;
}

Truncation truncateAtSilence(std::span<const double> energy, double startLevel) {
    Truncation t;
    t.found = true;
    t.startLevel = startLevel;
    size_t last = energy.size();
    while (last > 0 && energy[last - 1] == 0.0) --last;
    t.crossSample = last;
    return t;
}

Truncation lundeby(std::span<const double> energy, double sampleRate, double bandwidthHz) {
    const size_t n = energy.size();
    const double duration = static_cast<double>(n) / sampleRate;
    size_t block = samplesOf(initialIntervalSeconds(bandwidthHz), sampleRate);
    if (n < 4 * block) return {};
    Envelope env = envelopeOf(energy, block, sampleRate);
    const size_t peak = static_cast<size_t>(std::max_element(env.db.begin(), env.db.end()) - env.db.begin());
    double noise = meanOf(energy.subspan(n - n / 10));
    if (noise <= 0.0) return truncateAtSilence(energy, std::pow(10.0, env.db[peak] / 10.0));
    double noiseDb = toDb(noise);
    const size_t end = firstAtOrBelow(env, peak, noiseDb + 10.0);
    if (end == env.db.size() || end < peak + 2) return {};
    Line line = regressEnvelope(env, peak, end);
    if (!(line.slope < 0.0)) return {};
    double cross = (noiseDb - line.intercept) / line.slope;
    for (int iteration = 0; iteration < kLundebyIterations; ++iteration) {
        block = std::min(samplesOf(-10.0 / line.slope / kIntervalsPer10Db, sampleRate), n / 4);
        env = envelopeOf(energy, block, sampleRate);
        const double noiseFrom =
            std::clamp(cross - kNoiseStartBeyondCrossDb / line.slope, 0.0, 0.9 * duration);
        const double tail = meanOf(energy.subspan(std::min(samplesOf(noiseFrom, sampleRate), n - 1)));
        if (tail <= 0.0) break;
        noise = tail, noiseDb = toDb(noise);
        const double low = noiseDb + kLateFitAboveNoiseDb;
        const double high = std::min(low + kLateFitRangeDb, *std::max_element(env.db.begin(), env.db.end()));
        const size_t from = firstAtOrBelow(env, 0, high), to = firstAtOrBelow(env, from, low);
        if (to < from + 2) break;
        const Line late = regressEnvelope(env, from, to);
        if (!(late.slope < 0.0)) break;
        line = late;
        const double next = (noiseDb - line.intercept) / line.slope;
        const bool settled = std::abs(next - cross) < env.blockSeconds;
        cross = next;
        if (settled) break;
    }
    Truncation t;
    t.noise = noise;
    t.startLevel = std::pow(10.0, *std::max_element(env.db.begin(), env.db.end()) / 10.0);
    if (!(t.startLevel > noise)) return {};
    cross = std::clamp(cross, 0.0, duration);
    t.crossSample = std::clamp<size_t>(static_cast<size_t>(std::lround(cross * sampleRate)), 1, n);
    // The decay's energy beyond the crosspoint, integrated at the late slope to infinity.
    const double crossEnergy = std::pow(10.0, (line.slope * cross + line.intercept) / 10.0);
    const double decayRate = -line.slope * std::numbers::ln10 / 10.0;  // of energy, per second
    t.compensation = crossEnergy * sampleRate / decayRate;
    t.found = true;
    return t;
}

// Schroeder's backward integral of the energy up to the truncation point plus the compensation, in dB
// relative to its value at the start.
std::vector<double> schroederCurve(std::span<const double> energy, double compensation) {
    std::vector<double> curve(energy.size());
    double sum = compensation;
    for (size_t i = energy.size(); i-- > 0;) {
        sum += energy[i];
        curve[i] = sum;
    }
    const double total = curve.empty() ? 0.0 : curve.front();
    for (double& c : curve)
        c = total > 0.0 && c > 0.0 ? toDb(c / total) : -std::numeric_limits<double>::infinity();
    return curve;
}

struct FitRange {
    double fromDb, toDb;
};

FitRange fitRange(DecayQuantity q) {
    switch (q) {
        case DecayQuantity::Edt:
            return {0.0, -10.0};
        case DecayQuantity::T20:
            return {-5.0, -25.0};
        case DecayQuantity::T30:
            return {-5.0, -35.0};
    }
    return {0.0, 0.0};
}

std::optional<DecayFit> fitCurve(const std::vector<double>& curve, double sampleRate, FitRange range) {
    size_t first = 0;
    while (first < curve.size() && curve[first] > range.fromDb) ++first;
    size_t last = first;
    while (last < curve.size() && curve[last] >= range.toDb) ++last;
    if (last == curve.size() || last < first + 2) return std::nullopt;
    const auto time = [&](size_t i) { return static_cast<double>(i) / sampleRate; };
    const Line line = regress(first, last, time, [&](size_t i) { return curve[i]; });
    if (!(line.slope < 0.0)) return std::nullopt;
    DecayFit fit;
    fit.slopeDbPerSecond = line.slope;
    fit.interceptDb = line.intercept;
    fit.correlation = line.correlation;
    fit.seconds = -60.0 / line.slope;
    fit.fromSeconds = time(first);
    fit.toSeconds = time(last);
    return fit;
}

// The sample where an impulse response starts: the first to come within 20 dB of the peak.
size_t impulseStart(std::span<const double> energy) {
    const double peak = *std::max_element(energy.begin(), energy.end());
    const double threshold = peak * 0.01;
    size_t i = 0;
    while (energy[i] < threshold) ++i;
    return i;
}

// Moving mean of `width` consecutive blocks; element i covers blocks i to i + width - 1.
std::vector<double> movingMean(const std::vector<double>& blocks, size_t width) {
    std::vector<double> out;
    if (blocks.size() < width) return out;
    for (size_t i = 0; i + width <= blocks.size(); ++i)
        out.push_back(meanOf(std::span(blocks).subspan(i, width)));
    return out;
}

constexpr double kMinus10Db = 0.1;  // energy ratio of -10 dB

// The first and the last element within 10 dB of the largest.
std::pair<size_t, size_t> loudSpan(const std::vector<double>& levels) {
    const double peak = *std::max_element(levels.begin(), levels.end());
    size_t first = 0, last = levels.size() - 1;
    while (levels[first] < peak * kMinus10Db) ++first;
    while (levels[last] < peak * kMinus10Db) --last;
    return {first, last};
}

double ratioOfDb(double db) {
    return std::pow(10.0, db / 10.0);
}

// The sample where an interrupted noise stops. The steady level is the median of the smoothed envelope while
// it stays within 10 dB of its peak. The early decay, from 3 to 13 dB below that level, is fitted with a
// line, and the noise stopped where that line leaves the steady level. The start is taken one envelope block
// later, so that none of the steady part enters the decay.
size_t interruptionPoint(std::span<const double> energy, double sampleRate, double bandwidthHz) {
    constexpr size_t kWidth = 4;  // blocks per smoothing window
    const double window = bandwidthHz > 0.0 ? std::clamp(4.0 / bandwidthHz, 0.02, 0.2) : 0.02;
    const size_t block = samplesOf(window / kWidth, sampleRate);
    const std::vector<double> smooth = movingMean(blockMeans(energy, block), kWidth);
    if (smooth.size() < 2) return 0;
    const auto [onset, last] = loudSpan(smooth);
    std::vector<double> held(smooth.begin() + static_cast<std::ptrdiff_t>(onset),
                             smooth.begin() + static_cast<std::ptrdiff_t>(last) + 1);
    std::nth_element(held.begin(), held.begin() + static_cast<std::ptrdiff_t>(held.size() / 2), held.end());
    const double steady = held[held.size() / 2];
    size_t from = last;
    while (from > onset && smooth[from] < steady * ratioOfDb(-3.0)) --from;
    size_t to = from;
    while (to < smooth.size() && smooth[to] >= steady * ratioOfDb(-13.0)) ++to;
    const double blockSeconds = static_cast<double>(block) / sampleRate;
    const auto centre = [&](size_t i) { return (static_cast<double>(i) + kWidth / 2.0) * blockSeconds; };
    double stop = centre(from);
    if (to >= from + 2) {
        const Line line = regress(from, to, centre, [&](size_t i) { return toDb(smooth[i]); });
        if (line.slope < 0.0) stop = std::clamp((toDb(steady) - line.intercept) / line.slope, 0.0, stop);
    }
    return std::min(samplesOf(stop + blockSeconds, sampleRate), energy.size() - 1);
}

void setShortfall(DecayResult& r, DecayShortfall why) {
    r.edtShortfall = r.t20Shortfall = r.t30Shortfall = why;
}

// The decay curve is drawn at about one point a millisecond (a whole number of samples, see AnalyzeDecay).
constexpr double kCurveStepSeconds = 0.001;

void fitQuantities(DecayResult& r, const std::vector<double>& curve, double sampleRate) {
    for (DecayQuantity q : {DecayQuantity::Edt, DecayQuantity::T20, DecayQuantity::T30}) {
        auto& fit = q == DecayQuantity::Edt ? r.edt : q == DecayQuantity::T20 ? r.t20 : r.t30;
        auto& why = q == DecayQuantity::Edt   ? r.edtShortfall
                    : q == DecayQuantity::T20 ? r.t20Shortfall
                                              : r.t30Shortfall;
        if (r.dynamicRangeDb < requiredDynamicRangeDb(q)) {
            why = DecayShortfall::DynamicRange;
            continue;
        }
        fit = fitCurve(curve, sampleRate, fitRange(q));
        if (!fit) why = DecayShortfall::CurveTooShort;
    }
}

}  // namespace

const std::optional<DecayFit>& DecayResult::fit(DecayQuantity q) const {
    return q == DecayQuantity::Edt ? edt : q == DecayQuantity::T20 ? t20 : t30;
}

DecayShortfall DecayResult::shortfall(DecayQuantity q) const {
    return q == DecayQuantity::Edt ? edtShortfall : q == DecayQuantity::T20 ? t20Shortfall : t30Shortfall;
}

double requiredDynamicRangeDb(DecayQuantity quantity) {
    return -fitRange(quantity).toDb + 10.0;
}

DecayResult AnalyzeDecay(std::span<const double> signal, double sampleRate,
                         const DecayParameters& parameters) {
    DecayResult r;
    std::vector<double> energy(signal.size());
    bool silent = true, finite = std::isfinite(sampleRate) && sampleRate > 0.0;
    for (size_t i = 0; i < signal.size(); ++i) {
        energy[i] = signal[i] * signal[i];
        silent = silent && energy[i] == 0.0;
        finite = finite && std::isfinite(energy[i]);
    }
    if (silent || !finite) return setShortfall(r, DecayShortfall::NoSignal), r;
    size_t start = 0;
    if (parameters.excitation == DecayExcitation::Impulse)
        start = impulseStart(energy);
    else if (parameters.stopSeconds)
        start = std::min(static_cast<size_t>(std::max(0.0, *parameters.stopSeconds) * sampleRate),
                         energy.size() - 1);
    else
        start = interruptionPoint(energy, sampleRate, parameters.bandwidthHz);
    r.startSeconds = static_cast<double>(start) / sampleRate;
    const auto decay = std::span<const double>(energy).subspan(start);
    const Truncation t = lundeby(decay, sampleRate, parameters.bandwidthHz);
    if (!t.found) return setShortfall(r, DecayShortfall::NoDecay), r;
    r.dynamicRangeDb = std::numeric_limits<double>::infinity();
    if (t.noise > 0.0) {
        r.floorDb = toDb(t.noise / t.startLevel);
        r.dynamicRangeDb = -*r.floorDb;
    }
    r.truncationSeconds = static_cast<double>(t.crossSample) / sampleRate;
    const std::vector<double> curve = schroederCurve(decay.first(t.crossSample), t.compensation);
    fitQuantities(r, curve, sampleRate);
    // A whole number of samples of the band's own rate, which may be decimated: the step is what those
    // samples last, not the millisecond asked for (1.5 kHz gives 2 samples, 1.33 ms).
    const size_t step = samplesOf(kCurveStepSeconds, sampleRate);
    r.curveStepSeconds = static_cast<double>(step) / sampleRate;
    for (size_t i = 0; i < curve.size(); i += step) r.curveDb.push_back(curve[i]);
    return r;
}

double FindInterruption(std::span<const double> signal, double sampleRate) {
    std::vector<double> energy(signal.size());
    for (size_t i = 0; i < signal.size(); ++i) energy[i] = signal[i] * signal[i];
    if (energy.empty() || !(sampleRate > 0.0)) return 0.0;
    return static_cast<double>(interruptionPoint(energy, sampleRate, 0.0)) / sampleRate;
}

DecayExcitation DetectExcitation(std::span<const double> signal, double sampleRate) {
    std::vector<double> energy(signal.size());
    for (size_t i = 0; i < signal.size(); ++i) energy[i] = signal[i] * signal[i];
    const std::vector<double> blocks = blockMeans(energy, samplesOf(0.010, sampleRate));
    if (blocks.size() < 8) return DecayExcitation::Impulse;
    const double peak = *std::max_element(blocks.begin(), blocks.end());
    if (!(peak > 0.0) || !std::isfinite(peak)) return DecayExcitation::Impulse;
    const auto [onset, last] = loudSpan(blocks);
    const size_t middle = onset + (last + 1 - onset) / 2;
    if (middle == onset) return DecayExcitation::Impulse;
    // An impulse response is a good 5 dB louder in the first half of its loud part than in the second;
    // a held noise is nearly as loud in both.
    const auto span = std::span(blocks);
    const double early = meanOf(span.subspan(onset, middle - onset));
    const double late = meanOf(span.subspan(middle, last + 1 - middle));
    return early > 2.0 * late ? DecayExcitation::Impulse : DecayExcitation::InterruptedNoise;
}

std::string decayNote(const DecayResult& r) {
    static constexpr std::pair<DecayQuantity, const char*> kNames[] = {
        {DecayQuantity::Edt, "EDT"}, {DecayQuantity::T20, "T20"}, {DecayQuantity::T30, "T30"}};
    std::string note, range;
    const auto add = [&note](const std::string& part) { note += (note.empty() ? "" : "; ") + part; };
    for (const auto& [q, name] : kNames) {
        switch (r.shortfall(q)) {
            case DecayShortfall::None:
                break;
            case DecayShortfall::NoSignal:
                return message(Word::DecayNoSignal);
            case DecayShortfall::NoDecay:
                return message(Word::DecayNoDecay);
            case DecayShortfall::DynamicRange:
                if (range.empty())
                    range = message(Word::DecayDynamicRange, {formatFixed(r.dynamicRangeDb, 1)});
                range += "; " +
                         message(Word::DecayQuantityNeeds, {name, formatFixed(requiredDynamicRangeDb(q), 0)});
                break;
            case DecayShortfall::CurveTooShort:
                add(message(Word::DecayCurveShort, {name, formatFixed(fitRange(q).toDb, 0)}));
                break;
        }
    }
    if (!range.empty()) add(range);
    return note;
}

}  // namespace k470::acoustics
