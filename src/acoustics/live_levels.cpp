// SPDX-License-Identifier: GPL-3.0-or-later
#include "acoustics/live_levels.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "acoustics/acoustics_words.h"
#include "acoustics/level_csv.h"
#include "base/number_format.h"

namespace k470::acoustics {

namespace {

// The band filters ring in from silence; the calibrator's band is measured after this much signal.
constexpr double kBandSettleSeconds = 0.25;
// The steadiness of a calibrator's tone is judged on blocks this long: a few hundred periods of the tone,
// short enough to show a level that drifts over the measurement.
constexpr double kBlockSeconds = 0.5;

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
    const std::vector<BandId>& rows = l.analyser_.bandIds();
    for (const BandId& id : bandsShown()) {
        const auto row = std::find_if(rows.begin(), rows.end(),
                                      [&](const BandId& r) { return r.set == id.set && r.index == id.index; });
        l.chart_.push_back(static_cast<size_t>(row - rows.begin()));  // every band shown is among them
    }
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
    for (size_t row : chart_)
        r.bandLeq.push_back(l.bands[row] ? l.bands[row]->leq : std::numeric_limits<double>::quiet_NaN());
    r.seconds = l.durationSeconds;
    return r;
}

double nominalHz(CalibratorTone tone) {
    return tone == CalibratorTone::Hz250 ? 250.0 : 1000.0;
}

Result<CalibratorMeasurement> CalibratorMeasurement::Create(double sampleRate, CalibratorTone tone,
                                                            double seconds) {
    BandRequest request;
    request.octaves = false;
    // The 1/3-octave band of the tone: 1 kHz is band 0, 250 Hz six thirds below.
    request.firstThird = request.lastThird = tone == CalibratorTone::Hz250 ? -6 : 0;
    auto bank = OctaveFilterBank::Create(sampleRate, request);
    if (!bank) return bank.error();
    CalibratorMeasurement m(std::move(*bank));
    m.tone_ = tone;
    m.bandRate_ = m.bank_.band(0).sampleRate;
    m.skip_ = static_cast<uint64_t>(kBandSettleSeconds * m.bandRate_);
    m.blockLength_ = static_cast<uint64_t>(std::llround(kBlockSeconds * m.bandRate_));
    m.wanted_ =
        seconds > 0 ? static_cast<uint64_t>(std::llround(std::max(seconds, kBandSettleSeconds * 2) * sampleRate))
                    : 0;
    return m;
}

void CalibratorMeasurement::process(std::span<const double> samples) {
    if (done()) return;
    if (wanted_ > 0)
        samples = samples.first(static_cast<size_t>(std::min<uint64_t>(samples.size(), wanted_ - taken_)));
    for (double x : samples) sum_ += x * x;
    taken_ += samples.size();
    bank_.process(samples, [this](size_t, std::span<const double> y) { takeBand(y); });
}

void CalibratorMeasurement::takeBand(std::span<const double> y) {
    for (double v : y) {
        // The band's first samples are its filter ringing in: not part of the tone.
        if (bandCount_++ < skip_) {
            previous_ = v;
            continue;
        }
        bandSum_ += v * v;
        if (previous_ < 0.0 && v >= 0.0) {
            const double at = static_cast<double>(bandCount_ - 1) - v / (v - previous_);
            if (rises_++ == 0) firstRise_ = at;
            lastRise_ = at;
        }
        previous_ = v;
        blockSum_ += v * v;
        if (++inBlock_ == blockLength_) {
            const double level = blockSum_ / static_cast<double>(blockLength_);
            blockMin_ = blocks_ == 0 ? level : std::min(blockMin_, level);
            blockMax_ = blocks_ == 0 ? level : std::max(blockMax_, level);
            ++blocks_;
            blockSum_ = 0.0;
            inBlock_ = 0;
        }
    }
}

double CalibratorMeasurement::fraction() const {
    return wanted_ == 0 ? 1.0 : static_cast<double>(taken_) / static_cast<double>(wanted_);
}

double CalibratorMeasurement::bandMeanSquare() const {
    return bandCount_ > skip_ ? bandSum_ / static_cast<double>(bandCount_ - skip_) : 0.0;
}

double CalibratorMeasurement::broadbandMeanSquare() const {
    return taken_ ? sum_ / static_cast<double>(taken_) : 0.0;
}

double CalibratorMeasurement::toneHz() const {
    if (rises_ < 2 || !(lastRise_ > firstRise_)) return 0.0;
    return static_cast<double>(rises_ - 1) * bandRate_ / (lastRise_ - firstRise_);
}

double CalibratorMeasurement::spreadDb() const {
    if (blocks_ < 2 || !(blockMin_ > 0.0)) return blocks_ < 2 ? 0.0 : std::numeric_limits<double>::infinity();
    return 10.0 * std::log10(blockMax_ / blockMin_);
}

CalibrationCheck CheckCalibration(const CalibratorMeasurement& m, double sensitivity, double referenceValue,
                                  double wantedDb, const std::string& sourceName) {
    CalibrationCheck c;
    const double band = m.bandMeanSquare();
    const double broad = m.broadbandMeanSquare();
    const double nominal = nominalHz(m.tone());
    c.bandDb = levelDb(band, referenceValue);
    c.broadbandDb = levelDb(broad, referenceValue);
    c.toneHz = m.toneHz();
    c.spreadDb = m.spreadDb();
    c.oldSensitivity = sensitivity;
    c.newSensitivity = band > 0.0 ? sensitivity * std::pow(10.0, (wantedDb - c.bandDb) / 20.0) : sensitivity;
    c.changeDb = 20.0 * std::log10(c.newSensitivity / sensitivity);
    // The rest of the signal: what the broadband level holds beyond the tone's band.
    const double rest = broad - band;
    const double restBelowDb = rest > 0.0 ? 10.0 * std::log10(band / rest) : HUGE_VAL;
    const std::string hz = formatGeneral(nominal, 5);
    if (!(band > 0.0) || !(restBelowDb >= kCalibratorToneMarginDb))
        c.refusal = fail(message(Word::NoCalibrationTone,
                                 {sourceName, band > 0.0 ? formatFixed(restBelowDb, 1) : "-inf", hz}));
    else if (!(std::fabs(c.toneHz / nominal - 1.0) <= kCalibratorFrequencyTolerance))
        c.refusal =
            fail(message(Word::CalibratorToneOffFrequency, {sourceName, formatFixed(c.toneHz, 1), hz}));
    else if (!(c.spreadDb <= kCalibratorSteadinessDb))
        c.refusal = fail(message(Word::CalibratorToneUnsteady,
                                 {sourceName, formatFixed(c.spreadDb, 2), formatFixed(kCalibratorSteadinessDb, 1)}));
    return c;
}

double calibrationDriftDb(double previousSensitivity, double sensitivity) {
    return 20.0 * std::log10(sensitivity / previousSensitivity);
}

}  // namespace k470::acoustics
