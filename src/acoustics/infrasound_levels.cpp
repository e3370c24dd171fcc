// SPDX-License-Identifier: GPL-3.0-or-later
#include "acoustics/infrasound_levels.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "acoustics/level_meter.h"
#include "acoustics/level_recorder.h"
#include "acoustics/vibration_weighting.h"
#include "base/number_format.h"
#include "data/record_layout.h"

namespace k470::acoustics {

namespace {

constexpr size_t kReadBlock = 4096;
// The detectors run on the mean squares of steps of at most a millisecond (a thousandth of Slow).
constexpr double kStepRate = 1000.0;
// The infrasound meters' bands: 1/3-octaves 1.6-315 Hz and octaves 2-250 Hz (base-10 band numbers).
constexpr BandRequest kInfrasoundBands{true, -28, -5, true, -9, -2};
constexpr DeviceType kInfrasoundType = 6;  // "Infrasound meter"
constexpr size_t kA = 0, kZ = 1, kG = 2;

}  // namespace

class InfrasoundAnalyser::Meter {
  public:
    explicit Meter(double rate)
        : step_(std::max<size_t>(1, static_cast<size_t>(std::llround(rate / kStepRate)))) {
        const double stepRate = rate / static_cast<double>(step_);
        const double taus[2] = {kSlowSeconds, kExtraSlowSeconds};
        for (size_t k = 0; k < 2; ++k) {
            d_[k].factor = 1.0 - std::exp(-1.0 / (taus[k] * stepRate));
            d_[k].settle = static_cast<uint64_t>(
                std::ceil(LevelMeter::kMinimumSettleTimeConstants * taus[k] * stepRate));
        }
    }

    void process(std::span<const double> x) {
        for (double v : x) {
            const double q = v * v;
            sum_ += q;
            stepSum_ += q;
            if (++fill_ == step_) endStep();
        }
        count_ += x.size();
    }

    InfrasoundRow row(double reference) const {
        InfrasoundRow r;
        r.leq = levelDb(count_ ? sum_ / static_cast<double>(count_) : d_[0].y, reference);
        double* out[2][3] = {{&r.slow, &r.slowMin, &r.slowMax}, {&r.eslow, &r.eslowMin, &r.eslowMax}};
        for (size_t k = 0; k < 2; ++k) {
            *out[k][0] = levelDb(d_[k].y, reference);
            *out[k][1] = levelDb(d_[k].hasMin ? d_[k].min : d_[k].y, reference);
            *out[k][2] = levelDb(std::max(d_[k].max, d_[k].y), reference);
        }
        return r;
    }

    void startInterval() {
        sum_ = 0.0;
        count_ = 0;
        for (Detector& d : d_) {
            d.max = d.y;
            d.hasMin = steps_ >= d.settle;
            d.min = d.y;
        }
    }

  private:
    struct Detector {
        double y = 0.0, max = 0.0, min = 0.0, factor = 0.0;
        bool hasMin = false;
        uint64_t settle = 0;
    };
    void endStep() {
        const double p = stepSum_ / static_cast<double>(step_);
        ++steps_;
        for (Detector& d : d_) {
            d.y += (p - d.y) * d.factor;
            d.max = std::max(d.max, d.y);
            if (steps_ >= d.settle) {
                d.min = d.hasMin ? std::min(d.min, d.y) : d.y;
                d.hasMin = true;
            }
        }
        stepSum_ = 0.0;
        fill_ = 0;
    }

    size_t step_, fill_ = 0;
    double stepSum_ = 0.0, sum_ = 0.0;
    uint64_t count_ = 0, steps_ = 0;
    std::array<Detector, 2> d_{};  // Slow, ESlow
};

InfrasoundAnalyser::InfrasoundAnalyser() = default;
InfrasoundAnalyser::InfrasoundAnalyser(InfrasoundAnalyser&&) noexcept = default;
InfrasoundAnalyser& InfrasoundAnalyser::operator=(InfrasoundAnalyser&&) noexcept = default;
InfrasoundAnalyser::~InfrasoundAnalyser() = default;

Result<InfrasoundAnalyser> InfrasoundAnalyser::Create(const MeasurementContext& context,
                                                      double intervalSeconds) {
    const double rate = context.sampleRate;
    if (Status ok = checkSampleRate(rate, kInfrasoundRates); !ok) return ok.error();
    auto bank = OctaveFilterBank::Create(rate, kInfrasoundBands, kInfrasoundRates);
    if (!bank) return bank.error();
    InfrasoundAnalyser a;
    a.bank_.emplace(std::move(*bank));
    a.reference_ = context.referenceValue;
    a.intervals_ = IntervalSplitter(rate, intervalSeconds);
    const BandRequest& b = kInfrasoundBands;
    for (int x = b.firstThird; x <= b.lastThird; ++x) a.bandIds_.push_back({BandSet::Third, x});
    for (int x = b.firstOctave; x <= b.lastOctave; ++x) a.bandIds_.push_back({BandSet::Octave, x});
    for (BandId id : a.bandIds_) a.bankIndex_.push_back(a.bank_->indexOf(id));
    for (size_t i = 0; i < a.bank_->bandCount(); ++i) a.bandMeters_.emplace_back(a.bank_->band(i).sampleRate);
    // The A weighting is designed for sound level meters' rates only.
    if (Status ok = checkSampleRate(rate); ok) {
        auto w = FrequencyWeighting::Create(Weighting::A, rate);
        if (!w) return w.error();
        a.a_.emplace(std::move(*w));
    }
    a.g_ = AnalogWeightingFilter::Design(gWeightingShape(), rate);
    a.weightedMeters_.assign(3, Meter(rate));
    return a;
}

void InfrasoundAnalyser::feed(std::span<const double> samples) {
    weightedMeters_[kZ].process(samples);
    work_.assign(samples.begin(), samples.end());
    g_.process(work_);
    weightedMeters_[kG].process(work_);
    if (a_) {
        work_.assign(samples.begin(), samples.end());
        a_->process(work_);
        weightedMeters_[kA].process(work_);
    }
    bank_->process(samples, [this](size_t band, std::span<const double> y) { bandMeters_[band].process(y); });
}

Status InfrasoundAnalyser::process(std::span<const double> samples, const InfrasoundIntervalFn& onInterval) {
    return intervals_.run(
        samples.size(), [&](size_t from, size_t n) { feed(samples.subspan(from, n)); },
        [&] { return closeInterval(onInterval); });
}

Status InfrasoundAnalyser::finish(const InfrasoundIntervalFn& onInterval) {
    return intervals_.finish([&] { return closeInterval(onInterval); });
}

InfrasoundInterval InfrasoundAnalyser::current() const {
    InfrasoundInterval v;
    v.startSeconds = intervals_.startSeconds();
    v.durationSeconds = intervals_.durationSeconds();
    if (a_) v.weighted[kA] = weightedMeters_[kA].row(reference_);
    v.weighted[kZ] = weightedMeters_[kZ].row(reference_);
    v.weighted[kG] = weightedMeters_[kG].row(reference_);
    for (int i : bankIndex_) v.bands.push_back(bandMeters_[static_cast<size_t>(i)].row(reference_));
    return v;
}

Status InfrasoundAnalyser::closeInterval(const InfrasoundIntervalFn& onInterval) {
    const InfrasoundInterval v = current();
    for (Meter& m : weightedMeters_) m.startInterval();
    for (Meter& m : bandMeters_) m.startInterval();
    return onInterval(v);
}

namespace {

// The levels of a row in the parameter order of the record layout: Slow, Slow min, Slow max, ESlow,
// ESlow min, ESlow max, Leq.
std::array<double, 7> rowValues(const InfrasoundRow& r) {
    return {r.slow, r.slowMin, r.slowMax, r.eslow, r.eslowMin, r.eslowMax, r.leq};
}

void putRow(MeasurementRecord& rec, LevelTableKind kind, int band, const InfrasoundRow& row) {
    const auto v = rowValues(row);
    for (int p = 0; p < 7; ++p) {
        const double db = v[static_cast<size_t>(p)];
        if (db < 0.0) rec.trailer.underrangeStatus[0] = 1;
        if (db > kMaxStoredLevelDb) rec.trailer.overloadStatus[0] = 1;
        rec.levels[static_cast<size_t>(levelWordIndex(ResultGroup::Infrasound, kind, 0, p, band))] =
            std::clamp(db, 0.0, kMaxStoredLevelDb);
    }
}

}  // namespace

MeasurementRecord infrasoundRecord(const InfrasoundInterval& levels, uint32_t vin) {
    MeasurementRecord r = MeasurementRecord::blank(kInfrasoundType).value();
    r.header.vin = vin;
    const int thirds = kInfrasoundBands.lastThird - kInfrasoundBands.firstThird + 1;
    for (size_t i = 0; i < levels.bands.size(); ++i) {
        const bool third = static_cast<int>(i) < thirds;
        putRow(r, third ? LevelTableKind::Thirds : LevelTableKind::Octaves,
               third ? static_cast<int>(i) : static_cast<int>(i) - thirds, levels.bands[i]);
    }
    // The weighted rows of the record: A, Z, G, Fi.
    for (size_t w = 0; w < levels.weighted.size(); ++w)
        if (levels.weighted[w]) putRow(r, LevelTableKind::Weighted, static_cast<int>(w), *levels.weighted[w]);
    setRecordInterval(r, levels.durationSeconds);
    return r;
}

std::string InfrasoundCsvHeader() {
    return "start_s,duration_s,row,leq_db,slow_db,slow_min_db,slow_max_db,eslow_db,eslow_min_db,eslow_max_"
           "db\n";
}

void AppendInfrasoundCsvRows(std::string& out, const InfrasoundInterval& levels,
                             const std::vector<BandId>& bandIds) {
    auto line = [&](const std::string& name, const InfrasoundRow& row) {
        appendFixed(out, levels.startSeconds, 3);
        out += ',';
        appendFixed(out, levels.durationSeconds, 3);
        out += ',' + name;
        const auto v = rowValues(row);
        for (size_t p : {6, 0, 1, 2, 3, 4, 5}) {
            out += ',';
            appendFixed(out, v[p], 2);
        }
        out += '\n';
    };
    for (size_t w : {kG, kZ, kA})
        if (levels.weighted[w]) line(kInfrasoundWeightingNames[w], *levels.weighted[w]);
    for (size_t i = 0; i < levels.bands.size() && i < bandIds.size(); ++i)
        line((bandIds[i].set == BandSet::Third ? "third_" : "octave_") + bandIds[i].label(), levels.bands[i]);
}

Status runInfrasound(
    const std::string& path, const SignalInputOptions& options, double intervalSeconds,
    const std::function<Status(const InfrasoundInterval&, const std::vector<BandId>&)>& onInterval,
    const InfrasoundProgressFn& progress) {
    SignalInputOptions o = options;
    o.rates = kInfrasoundRates;
    auto in = SignalInput::Open(path, o);
    if (!in) return in.error();
    const SignalDescription& d = in->description();
    auto analyser = InfrasoundAnalyser::Create(ContextOf(d), intervalSeconds);
    if (!analyser) return analyser.error();
    const double offset = d.startSeconds();
    const InfrasoundIntervalFn shifted = [&](const InfrasoundInterval& v) {
        InfrasoundInterval moved = v;
        moved.startSeconds += offset;
        return onInterval(moved, analyser->bandIds());
    };
    std::vector<double> block(kReadBlock);
    while (true) {
        auto n = in->read(block);
        if (!n) return n.error();
        if (*n == 0) break;
        if (Status s = analyser->process(std::span(block.data(), *n), shifted); !s) return s;
        if (progress && !progress(o.record, in->framesRead(), d.frames))
            return fail(message(Word::Cancelled));
    }
    return analyser->finish(shifted);
}

Result<LevelRecordsWritten> writeInfrasoundRecords(const std::string& input,
                                                   const SignalInputOptions& options,
                                                   const std::vector<int>& records, double intervalSeconds,
                                                   const std::string& output,
                                                   const InfrasoundProgressFn& progress) {
    auto optionsOf = [&](int record) {
        SignalInputOptions o = options;
        o.record = record;
        o.rates = kInfrasoundRates;
        return o;
    };
    auto check = [&](int record) { return checkHasSound(input, optionsOf(record)); };
    auto run = [&](int record, uint32_t, const MeasurementRecordSink& sink) -> Status {
        auto in = SignalInput::Open(input, optionsOf(record));
        if (!in) return in.error();
        const SignalDescription d = in->description();
        if (!ContextOf(d).physical()) return fail(message(Word::LevelsReFullScale));
        return runInfrasound(
            input, optionsOf(record), intervalSeconds,
            [&](const InfrasoundInterval& v, const std::vector<BandId>&) {
                return sink.append(infrasoundRecord(v, d.vin), intervalStart(d, v.startSeconds, sink.now));
            },
            progress);
    };
    SignalRecordsTarget target{input, {}, records, output};
    if (options.calibration) target.otherInputs.push_back(options.calibration->path);
    return writeSignalRecords(target, check, run);
}

}  // namespace k470::acoustics
