// SPDX-License-Identifier: GPL-3.0-or-later
#include "acoustics/live_levels.h"

#include <cmath>
#include <limits>

#include "acoustics/acoustics_words.h"
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

BandRequest LiveLevels::thirdBands() {
    BandRequest r;
    r.octaves = false;
    return r;
}

std::vector<BandId> LiveLevels::bandsShown() {
    const BandRequest r = thirdBands();
    std::vector<BandId> ids;
    for (int x = r.firstThird; x <= r.lastThird; ++x) ids.push_back({BandSet::Third, x});
    return ids;
}

Result<LiveLevels> LiveLevels::Create(double sampleRate, double referenceValue, bool acoustic) {
    auto bank = OctaveFilterBank::Create(sampleRate, thirdBands());
    if (!bank) return bank.error();
    LiveLevels l(std::move(*bank));
    l.rate_ = sampleRate;
    l.reference_ = referenceValue;
    l.acoustic_ = acoustic;
    if (acoustic) {
        constexpr Weighting kWeighted[] = {Weighting::A, Weighting::C};
        auto set = WeightingSet::Create(kWeighted, sampleRate);
        if (!set) return set.error();
        l.weightings_.emplace(std::move(*set));
    }
    l.bandIds_ = bandsShown();
    for (BandId id : l.bandIds_) l.bankIndex_.push_back(l.bank_.indexOf(id));
    for (size_t i = 0; i < l.bank_.bandCount(); ++i) l.bandMeters_.emplace_back(l.bank_.band(i).sampleRate);
    l.meters_.assign(2, LevelMeter(sampleRate));
    return l;
}

void LiveLevels::process(std::span<const double> samples) {
    if (samples.empty()) return;
    if (acoustic_) {
        weightings_->process(samples);
        meters_[0].process(weightings_->output(0));
        meters_[1].process(weightings_->output(1));
    } else {
        meters_[0].process(samples);
        meters_[1].process(samples);
    }
    bank_.process(samples, [this](size_t band, std::span<const double> y) { bandMeters_[band].process(y); });
    samples_ += samples.size();
}

void LiveLevels::reset() {
    for (LevelMeter& m : meters_) m.startInterval();
    for (LevelMeter& m : bandMeters_) m.startInterval();
    samples_ = 0;
}

LiveReadout LiveLevels::readout() const {
    LiveReadout r;
    r.main = acoustic_ ? Weighting::A : Weighting::Z;
    r.peakWeighting = acoustic_ ? Weighting::C : Weighting::Z;
    const LevelReading main = meters_[0].reading();
    r.fast = levelDb(main.fast.current, reference_);
    r.leq = levelDb(main.leq, reference_);
    r.fastMax = levelDb(main.fast.max, reference_);
    r.peak = levelDb(meters_[1].reading().peak, reference_);
    r.bands = bandIds_;
    for (int i : bankIndex_)
        r.bandLeq.push_back(i < 0 ? std::numeric_limits<double>::quiet_NaN()
                                  : levelDb(bandMeters_[static_cast<size_t>(i)].reading().leq, reference_));
    r.seconds = static_cast<double>(samples_) / rate_;
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
