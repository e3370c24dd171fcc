// SPDX-License-Identifier: GPL-3.0-or-later
#include "acoustics/level_recorder.h"

#include "data/record_layout.h"

#include <algorithm>
#include <cmath>

#include "acoustics/acoustics_words.h"

namespace k470::acoustics {

namespace {

constexpr size_t kReadBlock = 4096;  // frames taken from the input at once
// Word positions within the sound-level record's rows.
// The bands of the sound-level record: octaves 31.5 Hz to 16 kHz, thirds 25 Hz to 20 kHz.
constexpr int kFirstOctave = -5, kOctaveBands = 10;
constexpr int kFirstThird = -16, kThirdBands = 30;

LevelRow rowOf(const LevelReading& r, double reference) {
    LevelRow row;
    row.leq = levelDb(r.leq, reference);
    row.fast = levelDb(r.fast.current, reference);
    row.fastMax = levelDb(r.fast.max, reference);
    row.fastMin = levelDb(r.fast.min, reference);
    row.slow = levelDb(r.slow.current, reference);
    row.slowMax = levelDb(r.slow.max, reference);
    row.slowMin = levelDb(r.slow.min, reference);
    row.imp = levelDb(r.impulse.current, reference);
    row.impMax = levelDb(r.impulse.max, reference);
    row.impMin = levelDb(r.impulse.min, reference);
    row.peak = levelDb(r.peak, reference);
    return row;
}

// A row of levels into the sound-level record's table: its parameters in the record layout's numbering
// (Slow, Slow min, Slow max, Fast, Fast min, Fast max, Imp, Imp min, Imp max, Leq; Peak in the weighted
// table).
void putSoundRow(std::vector<double>& words, LevelTableKind kind, int band, const LevelRow& r) {
    const double values[] = {r.slow, r.slowMin, r.slowMax, r.fast, r.fastMin, r.fastMax,
                             r.imp,  r.impMin,  r.impMax,  r.leq,  r.peak};
    const int parameters = kind == LevelTableKind::Weighted ? 11 : 10;
    for (int p = 0; p < parameters; ++p)
        words[static_cast<size_t>(levelWordIndex(ResultGroup::SoundLevel, kind, 0, p, band))] = values[p];
}

}  // namespace

Result<LevelAnalyser> LevelAnalyser::Create(double sampleRate, double referenceValue, double intervalSeconds,
                                            LevelWeightings weightings, const BandRequest& bands) {
    const bool withAC = weightings == LevelWeightings::AcousticACZ;
    auto bank = OctaveFilterBank::Create(sampleRate, bands);
    if (!bank) return bank.error();
    LevelAnalyser a(std::move(*bank));
    a.reference_ = referenceValue;
    a.withAC_ = withAC;
    a.intervals_ = IntervalSplitter(sampleRate, intervalSeconds);
    if (bands.thirds)
        for (int x = bands.firstThird; x <= bands.lastThird; ++x) a.bandIds_.push_back({BandSet::Third, x});
    if (bands.octaves)
        for (int x = bands.firstOctave; x <= bands.lastOctave; ++x)
            a.bandIds_.push_back({BandSet::Octave, x});
    for (BandId id : a.bandIds_) a.bankIndex_.push_back(a.bank_.indexOf(id));
    for (size_t i = 0; i < a.bank_.bandCount(); ++i) a.bandMeters_.emplace_back(a.bank_.band(i).sampleRate);
    if (withAC) {
        constexpr Weighting kWeighted[] = {Weighting::C, Weighting::A};
        auto set = WeightingSet::Create(kWeighted, sampleRate);
        if (!set) return set.error();
        a.weightings_.emplace(std::move(*set));
    }
    a.weightedMeters_.assign(withAC ? 3 : 1, LevelMeter(sampleRate));
    return a;
}

void LevelAnalyser::feed(std::span<const double> samples) {
    if (weightings_) {
        weightings_->process(samples);
        for (size_t k = 0; k < weightings_->size(); ++k) weightedMeters_[k].process(weightings_->output(k));
    }
    weightedMeters_.back().process(samples);
    bank_.process(samples, [this](size_t band, std::span<const double> y) { bandMeters_[band].process(y); });
}

Status LevelAnalyser::process(std::span<const double> samples, const IntervalFn& onInterval) {
    return intervals_.run(
        samples.size(), [&](size_t from, size_t n) { feed(samples.subspan(from, n)); },
        [&] { return closeInterval(onInterval); });
}

Status LevelAnalyser::finish(const IntervalFn& onInterval) {
    return intervals_.finish([&] { return closeInterval(onInterval); });
}

Result<LevelAnalyser> LevelAnalyser::Create(const MeasurementContext& context, double intervalSeconds) {
    return Create(context.sampleRate, context.referenceValue, intervalSeconds,
                  context.acoustic() ? LevelWeightings::AcousticACZ : LevelWeightings::ZOnly);
}

IntervalLevels LevelAnalyser::current() const {
    IntervalLevels levels;
    levels.startSeconds = intervals_.startSeconds();
    levels.durationSeconds = intervals_.durationSeconds();
    if (withAC_) {
        levels.weighted[0] = rowOf(weightedMeters_[0].reading(), reference_);
        levels.weighted[1] = rowOf(weightedMeters_[1].reading(), reference_);
    }
    levels.weighted[2] = rowOf(weightedMeters_.back().reading(), reference_);
    levels.bandIds = bandIds_;
    for (int i : bankIndex_) {
        if (i < 0)
            levels.bands.emplace_back();
        else
            levels.bands.emplace_back(rowOf(bandMeters_[i].reading(), reference_));
    }
    return levels;
}

Status LevelAnalyser::closeInterval(const IntervalFn& onInterval) {
    const IntervalLevels levels = current();
    for (LevelMeter& m : weightedMeters_) m.startInterval();
    for (LevelMeter& m : bandMeters_) m.startInterval();
    return onInterval(levels);
}

MeasurementRecord soundLevelRecord(const IntervalLevels& levels, uint32_t vin) {
    constexpr DeviceType kSoundLevelType = 3;  // "Sound level and spectrum meter"
    MeasurementRecord r = MeasurementRecord::blank(kSoundLevelType).value();
    r.header.vin = vin;
    for (size_t i = 0; i < levels.bands.size() && i < levels.bandIds.size(); ++i) {
        if (!levels.bands[i]) continue;
        const BandId id = levels.bandIds[i];
        const bool octave = id.set == BandSet::Octave;
        const int band = id.index - (octave ? kFirstOctave : kFirstThird);
        if (band >= 0 && band < (octave ? kOctaveBands : kThirdBands))
            putSoundRow(r.levels, octave ? LevelTableKind::Octaves : LevelTableKind::Thirds, band,
                        *levels.bands[i]);
    }
    for (size_t w = 0; w < levels.weighted.size(); ++w)
        if (levels.weighted[w])
            putSoundRow(r.levels, LevelTableKind::Weighted, static_cast<int>(w), *levels.weighted[w]);
    // A level the words cannot hold is stored at their limit and the record says so, as an instrument's
    // record does for a signal beyond its range.
    for (double v : r.levels) {
        if (v < 0.0) r.trailer.underrangeStatus[0] = 1;
        if (v > kMaxStoredLevelDb) r.trailer.overloadStatus[0] = 1;
    }
    setRecordInterval(r, levels.durationSeconds);
    return r;
}

void setRecordInterval(MeasurementRecord& r, double seconds) {
    const long long whole = std::llround(seconds);
    r.tail.intervalHours = static_cast<uint16_t>(std::min<long long>(whole / 3600, 255));
    r.tail.intervalMinutes = static_cast<uint16_t>(whole / 60 % 60);
    r.tail.intervalSeconds = static_cast<uint16_t>(whole % 60);
}

CalendarTime intervalStart(const SignalDescription& d, double startSeconds, const CalendarTime& fallback) {
    return shiftedBy(d.recordStart.value_or(fallback), static_cast<int64_t>(std::floor(startSeconds)));
}

Result<LevelRecorder> LevelRecorder::Create(const SignalDescription& input, double intervalSeconds) {
    auto a = LevelAnalyser::Create(ContextOf(input), intervalSeconds);
    if (!a) return a.error();
    return LevelRecorder(std::move(*a));
}

Status LevelRecorder::run(SignalInput& input, const IntervalFn& onInterval, const LevelProgressFn& progress) {
    const double offset = input.description().startSeconds();
    IntervalFn shifted = [&](const IntervalLevels& levels) {
        IntervalLevels l = levels;
        l.startSeconds += offset;
        return onInterval(l);
    };
    std::vector<double> block(kReadBlock);
    while (true) {
        auto n = input.read(block);
        if (!n) return n.error();
        if (*n == 0) break;
        if (Status s = analyser_.process(std::span(block.data(), *n), shifted); !s) return s;
        if (progress && !progress({input.framesRead(), input.description().frames}))
            return fail(message(Word::Cancelled));
    }
    return analyser_.finish(shifted);
}

}  // namespace k470::acoustics
