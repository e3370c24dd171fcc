// SPDX-License-Identifier: GPL-3.0-or-later
#include "acoustics/live_levels.h"

#include <cmath>
#include <limits>

#include "acoustics/acoustics_words.h"
#include "acoustics/level_csv.h"
#include "base/number_format.h"

namespace k470::acoustics {

namespace {

// The band filters ring in from silence; the calibrator's band is measured after this much signal.
constexpr double kBandSettleSeconds = 0.25;

}  // namespace

double LevelDisplayTop(double top, double highest) {
    constexpr double kStep = 20.0, kHeadroom = 5.0, kDrop = 60.0;
    if (!std::isfinite(highest) || (highest <= top - kHeadroom && highest >= top - kDrop)) return top;
    return std::ceil((highest + kHeadroom) / kStep) * kStep;
}

double HighestLevel(const LiveReadout& r) {
    double h = -std::numeric_limits<double>::infinity();
    if (std::isfinite(r.fast)) h = r.fast;
    for (double v : r.bandLeq)
        if (std::isfinite(v)) h = std::max(h, v);
    return h;
}

std::vector<BandId> LiveLevels::bandsShown() {
    const BandRequest r;
    std::vector<BandId> ids;
    for (int x = r.firstThird; x <= r.lastThird; ++x) ids.push_back({BandSet::Third, x});
    return ids;
}

Result<LiveLevels> LiveLevels::Create(const MeasurementContext& context, double startSeconds) {
    auto analyser = LevelAnalyser::Create(context, 0.0);
    if (!analyser) return analyser.error();
    LiveLevels l(std::move(*analyser), context);
    l.startSeconds_ = startSeconds;
    return l;
}

void LiveLevels::process(std::span<const double> samples) {
    if (samples.empty()) return;
    // One interval from the start: the analyser never closes it by itself.
    (void)analyser_.process(samples, [](const IntervalLevels&) { return Status{}; });
}

void LiveLevels::reset() {
    before_ += analyser_.currentSamples();
    (void)analyser_.finish([](const IntervalLevels&) { return Status{}; });
}

IntervalLevels LiveLevels::levels() const {
    IntervalLevels l = analyser_.current();
    l.startSeconds = startSeconds_ + static_cast<double>(before_) / context_.sampleRate;
    return l;
}

std::string LiveLevels::csv() const {
    const IntervalLevels l = levels();
    std::string out = LevelsCsvHeader(l.bandIds);
    AppendLevelsCsvRow(out, l);
    return out;
}

LiveReadout LiveLevels::readout() const {
    const IntervalLevels l = levels();
    const bool acoustic = context_.acoustic();
    LiveReadout r;
    r.main = acoustic ? Weighting::A : Weighting::Z;
    r.peakWeighting = acoustic ? Weighting::C : Weighting::Z;
    const double none = -std::numeric_limits<double>::infinity();
    if (const auto& main = l.weightedRow(r.main)) {
        r.fast = main->fast;
        r.leq = main->leq;
        r.fastMax = main->fastMax;
    } else {
        r.fast = r.leq = r.fastMax = none;
    }
    const auto& peak = l.weightedRow(r.peakWeighting);
    r.peak = peak ? peak->peak : none;
    r.bands = bandsShown();
    for (const BandId& id : r.bands) {
        double v = std::numeric_limits<double>::quiet_NaN();
        for (size_t i = 0; i < l.bandIds.size() && i < l.bands.size(); ++i)
            if (l.bandIds[i].set == id.set && l.bandIds[i].index == id.index && l.bands[i]) v = l.bands[i]->leq;
        r.bandLeq.push_back(v);
    }
    r.seconds = l.durationSeconds;
    return r;
}

Result<CalibratorMeasurement> CalibratorMeasurement::Create(double sampleRate, double seconds) {
    BandRequest request;
    request.octaves = false;
    request.firstThird = request.lastThird = 0;  // the 1 kHz band
    auto bank = OctaveFilterBank::Create(sampleRate, request);
    if (!bank) return bank.error();
    CalibratorMeasurement m(std::move(*bank));
    m.wanted_ = static_cast<uint64_t>(std::llround(std::max(seconds, kBandSettleSeconds * 2) * sampleRate));
    return m;
}

void CalibratorMeasurement::process(std::span<const double> samples) {
    if (done()) return;
    samples = samples.first(static_cast<size_t>(std::min<uint64_t>(samples.size(), wanted_ - taken_)));
    for (double x : samples) sum_ += x * x;
    taken_ += samples.size();
    const double bandRate = bank_.band(0).sampleRate;
    const auto skip = static_cast<uint64_t>(kBandSettleSeconds * bandRate);
    bank_.process(samples, [&](size_t, std::span<const double> y) {
        for (double v : y) {
            // The band's first samples are its filter ringing in: not part of the tone's level.
            if (bandCount_ >= skip) bandSum_ += v * v;
            ++bandCount_;
        }
    });
}

double CalibratorMeasurement::fraction() const {
    return wanted_ == 0 ? 1.0 : static_cast<double>(taken_) / static_cast<double>(wanted_);
}

double CalibratorMeasurement::bandMeanSquare() const {
    const double bandRate = bank_.band(0).sampleRate;
    const auto skip = static_cast<uint64_t>(kBandSettleSeconds * bandRate);
    return bandCount_ > skip ? bandSum_ / static_cast<double>(bandCount_ - skip) : 0.0;
}

double CalibratorMeasurement::broadbandMeanSquare() const {
    return taken_ ? sum_ / static_cast<double>(taken_) : 0.0;
}

Result<Calibration> calibrate(double sensitivity, double bandMeanSquare, double broadbandMeanSquare,
                              double referenceValue, double wantedDb, const std::string& sourceName) {
    const double below = 10.0 * std::log10(broadbandMeanSquare / bandMeanSquare);
    if (!(bandMeanSquare > 0.0) || !(below <= kCalibratorToneMarginDb))
        return fail(message(Word::NoCalibrationTone,
                            {sourceName, bandMeanSquare > 0.0 ? formatFixed(below, 1) : "infinitely"}));
    Calibration c;
    c.measuredDb = levelDb(bandMeanSquare, referenceValue);
    c.broadbandDb = levelDb(broadbandMeanSquare, referenceValue);
    c.sensitivity = sensitivity * std::pow(10.0, (wantedDb - c.measuredDb) / 20.0);
    return c;
}

double calibrationDriftDb(double previousSensitivity, double sensitivity) {
    return 20.0 * std::log10(sensitivity / previousSensitivity);
}

}  // namespace k470::acoustics
