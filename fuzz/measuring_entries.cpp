// SPDX-License-Identifier: GPL-3.0-or-later
#include "fuzz/measuring_entries.h"

#include <sndfile.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "acoustics/fft_analysis.h"
#include "acoustics/fft_settings.h"
#include "acoustics/level_csv.h"
#include "acoustics/level_recorder.h"
#include "acoustics/level_records_file.h"
#include "acoustics/live_levels.h"
#include "acoustics/measurement_context.h"
#include "acoustics/reverberation.h"
#include "acoustics/reverberation_table.h"
#include "acoustics/signal_input.h"
#include "acoustics/sound_file_settings.h"
#include "acoustics/sound_signal_file.h"
#include "base/settings_store.h"
#include "data/bin_file.h"
#include "data/measurement_record.h"
#include "data/reference_values.h"
#include "data/sdt_container.h"
#include "data/signal_limits.h"
#include "fuzz/fuzz_support.h"
#include "signal/signal_record.h"
#include "signal/signal_synth.h"

namespace k470::fuzz {

namespace {

using namespace k470::acoustics;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// Frames an entry reads of one input at most: a FLAC file holds far more samples than bytes.
constexpr uint64_t kMostFrames = uint64_t{1} << 17;

// Seconds a user may give for a start or a length, and values around them that no one should pass.
constexpr double kSeconds[16] = {0.0, 1e-4, 1e-3, 0.01, 0.05, 0.1,  0.125, 0.25,
                                 0.5, 1.0,  2.0,  1e9,  -1.0, kNaN, kInf,  5e-324};
// Scales (index 0: none given), ordinary and absurd.
constexpr double kScales[16] = {0.0,   1.0,  0.5,   2e-5,   1e-3, 10.0, 1e3,  1e6,
                                1e-12, 1e12, 1e300, 5e-324, 0.0,  -1.0, kNaN, kInf};
// Level intervals in seconds as the levels command takes them: 0 (one interval for the whole record), or
// from 0.1 s on.
constexpr double kIntervals[16] = {0.0, 0.1, 0.125, 0.2, 0.25, 0.3, 0.5,  1.0,
                                   2.0, 1e9, 0.15,  0.4, 0.75, 1.5, 0.11, 5.0};

// The option bytes of the signal surfaces:
//   0: channel (bits 0-1: 1, 2, 3, 0), record (bits 2-3: 1, 2, 3, 0), scale (bits 4-7, kScales)
//   1: start (bits 0-3, kSeconds), length (bits 4-7: 0 none, else kSeconds)
//   2: the surface's own (interval, FFT size and window, bands)
//   3: the surface's own; bit 7: the file is a sound file rather than a .sdt file
SignalInputOptions inputOptions(const Choices& c) {
    constexpr int kNumbers[4] = {1, 2, 3, 0};
    SignalInputOptions o;
    o.channel = kNumbers[c[0] & 3];
    o.record = kNumbers[(c[0] >> 2) & 3];
    if (c[0] >> 4) o.scale = kScales[c[0] >> 4];
    o.start = kSeconds[c[1] & 15];
    if (c[1] >> 4) o.length = kSeconds[c[1] >> 4];
    return o;
}

std::string inputFile(const Choices& c, const uint8_t* data, size_t size) {
    return scratch().input((c[3] & 0x80) ? "in.wav" : "in.sdt", data, size);
}

bool finite(double v) {
    return std::isfinite(v);
}

// What an opened input promises about itself, whatever the file held.
void checkDescription(const SignalDescription& d, const SignalInputOptions& o) {
    require(d.sampleRate >= 8000.0 && d.sampleRate <= 192000.0,
            "an opened input's rate is within 8..192 kHz");
    require(d.frames >= 1, "an opened input has frames");
    require(d.scale >= kMinScale && d.scale <= kMaxScale, "an input's scale is within the range of scales");
    require(d.referenceValue >= kMinReferenceValue && d.referenceValue <= kMaxReferenceValue,
            "an input's reference is within the range of references");
    require(!o.scale || o.calibration || d.scale == *o.scale, "the scale given is the scale applied");
    require(d.firstFrame == static_cast<uint64_t>(std::llround(o.start * d.sampleRate)),
            "reading starts at the frame of the start given");
    if (o.length)
        require(std::fabs(static_cast<double>(d.frames) - *o.length * d.sampleRate) <=
                    0.5 + 1e-6 * static_cast<double>(d.frames),
                "an input of a given length delivers that length");
    require(!d.fullScale || (d.units == kFullScaleUnit && d.referenceValue == 1.0),
            "levels re full scale are re 1.0");
}

// A sample every analysis can take: finite, within 300 dB of the reference, and its square finite.
void checkSamples(std::span<const double> samples, double reference) {
    for (double v : samples) {
        require(sampleInRange(v, reference), "a delivered sample lies within range of the reference");
        require(finite(v * v), "a delivered sample's square is a finite number");
    }
}

// Reads the input to its end (or kMostFrames) through sink; false when a read was refused.
bool readAll(SignalInput& in, const std::function<void(std::span<const double>)>& sink) {
    std::vector<double> block(4096);
    uint64_t total = 0;
    while (total < kMostFrames) {
        auto n = in.read(block);
        if (!n) return false;
        if (*n == 0) break;
        require(*n <= block.size(), "a read delivers at most what was asked");
        const std::span<const double> got(block.data(), *n);
        checkSamples(got, in.description().referenceValue);
        sink(got);
        total += *n;
    }
    require(total >= kMostFrames || total == in.description().frames,
            "an input delivers the frames it announced");
    return true;
}

bool silent(std::span<const double> samples) {
    return std::all_of(samples.begin(), samples.end(), [](double v) { return v == 0.0; });
}

}  // namespace

// A sound file as the analyses open it: the input's samples are the file's, of the chosen channel, from the
// start given, times the scale; a second, plain reading through libsndfile is the reference.
void soundInput(const uint8_t* data, size_t size) {
    Cleared cleared;
    const Choices c(data, size, kSignalChoiceBytes);
    const SignalInputOptions o = inputOptions(c);
    const std::string path = scratch().input("in.wav", data, size);
    auto in = SignalInput::Open(path, o);
    if (!in) return;
    const SignalDescription d = in->description();
    checkDescription(d, o);
    require(d.kind == SignalFileKind::Sound && d.recordCount == 1, "a sound file is one record");

    SF_INFO info{};
    SNDFILE* f = sf_open(path.c_str(), SFM_READ, &info);
    require(f != nullptr, "a sound file that opened as an input opens with libsndfile");
    std::unique_ptr<SNDFILE, int (*)(SNDFILE*)> closer(f, sf_close);
    require(info.channels == d.channelCount && info.samplerate == static_cast<int>(d.sampleRate),
            "an input describes the sound file's channels and rate");
    require(d.firstFrame + d.frames <= static_cast<uint64_t>(info.frames),
            "what is read lies inside the file");
    // The frames from the start on, straight from the file. (A damaged file may read differently without
    // the seek: libsndfile then reads nothing, and there is nothing to compare with.)
    std::vector<double> plain(static_cast<size_t>(info.channels) * 4096);
    if (sf_seek(f, static_cast<sf_count_t>(d.firstFrame), SEEK_SET) < 0) return;
    const size_t column = static_cast<size_t>(o.channel - 1);
    std::vector<double> block(4096);
    uint64_t total = 0;
    while (total < kMostFrames) {
        auto n = in->read(block);
        if (!n) return;
        if (*n == 0) break;
        checkSamples(std::span(block.data(), *n), d.referenceValue);
        if (sf_readf_double(f, plain.data(), static_cast<sf_count_t>(*n)) != static_cast<sf_count_t>(*n))
            return;
        for (size_t i = 0; i < *n; ++i)
            require(block[i] == plain[i * static_cast<size_t>(info.channels) + column] * d.scale,
                    "a sample is the file's sample of the chosen channel times the scale");
        total += *n;
    }
    require(total >= kMostFrames || total == d.frames, "an input delivers the frames it announced");
}

// A .sdt record as the analyses open it: the samples are the stored values of the chosen channel of the
// chosen record, from the start given, times the scale.
void sdtInput(const uint8_t* data, size_t size) {
    Cleared cleared;
    const Choices c(data, size, kSignalChoiceBytes);
    const SignalInputOptions o = inputOptions(c);
    const std::string path = scratch().input("in.sdt", data, size);
    auto in = SignalInput::Open(path, o);
    if (!in) return;
    const SignalDescription d = in->description();
    checkDescription(d, o);
    require(d.kind == SignalFileKind::Sdt, "a .sdt file opens as one");

    auto sdt = SdtContainer::Open(path);
    require(sdt.ok(), "a file that opened as an input opens as a container");
    const DirectoryWalk walk = sdt->walkEntries();
    require(o.record >= 1 && static_cast<size_t>(o.record) <= walk.entries.size() &&
                d.recordCount == static_cast<int>(walk.entries.size()),
            "the record opened is one of the file's");
    auto record = SignalRecord::From(*sdt, walk.entries[static_cast<size_t>(o.record - 1)]);
    require(record.ok(), "the record opened can be read");
    require(d.firstFrame + d.frames <= record->frameCount(), "what is read lies inside the record");
    const uint16_t mask = sdt->header().channelMask & 7;
    require(o.channel >= 1 && o.channel <= 3 && (mask & (1u << (o.channel - 1))),
            "the channel opened is present");
    const size_t stride = static_cast<size_t>(record->channelCount);
    const size_t column =
        static_cast<size_t>(std::popcount(static_cast<unsigned>(mask & ((1u << (o.channel - 1)) - 1))));
    std::vector<double> block(4096), stored(4096 * stride);
    uint64_t total = 0;
    while (true) {
        auto n = in->read(block);
        if (!n) return;
        if (*n == 0) break;
        checkSamples(std::span(block.data(), *n), d.referenceValue);
        require(readDoubles(sdt->file(), record->dataOffset() + (d.firstFrame + total) * record->frameBytes(),
                            stored.data(), *n * stride),
                "the stored values of what was read can be read");
        for (size_t i = 0; i < *n; ++i)
            require(block[i] == stored[i * stride + column] * d.scale,
                    "a sample is the stored value of the chosen channel times the scale");
        total += *n;
    }
    require(total == d.frames, "an input delivers the frames it announced");
}

namespace {

// The levels of a row: finite, and silence at the floor.
void checkRow(const std::optional<LevelRow>& row) {
    if (!row) return;
    for (double v : {row->leq, row->fast, row->fastMax, row->fastMin, row->slow, row->slowMax, row->slowMin,
                     row->imp, row->impMax, row->impMin, row->peak})
        require(finite(v) && v >= kLevelFloorDb, "a level is a finite number, not below the floor");
}

}  // namespace

// k470-cli levels --csv: every interval's levels are finite numbers (or refused), the intervals follow each
// other and cover the signal, and each makes a CSV row with a field per column.
void levelAnalysis(const uint8_t* data, size_t size) {
    Cleared cleared;
    const Choices c(data, size, kSignalChoiceBytes);
    const SignalInputOptions o = inputOptions(c);
    const std::string path = inputFile(c, data, size);
    if (!checkHasSound(path, o)) return;  // refused: a silent record, or one the input check refuses
    auto in = SignalInput::Open(path, o);
    require(in.ok(), "a record that has sound opens");
    const SignalDescription d = in->description();
    checkDescription(d, o);
    const double interval = kIntervals[c[2] & 15];
    auto recorder = LevelRecorder::Create(d, interval);
    if (!recorder) return;
    const bool acoustic = ContextOf(d).acoustic();
    const std::string header = LevelsCsvHeader(recorder->analyser().bandIds());
    const auto columns = std::count(header.begin(), header.end(), ',');
    double next = d.startSeconds();
    uint64_t intervals = 0;
    Status s = recorder->run(*in, [&](const IntervalLevels& l) -> Status {
        require(l.bands.size() == l.bandIds.size(), "an interval has a row per band");
        require(l.weighted[0].has_value() == acoustic && l.weighted[1].has_value() == acoustic &&
                    l.weighted[2].has_value(),
                "A and C for sound only, Z always");
        for (const auto& row : l.weighted) checkRow(row);
        for (const auto& row : l.bands) checkRow(row);
        require(std::fabs(l.startSeconds - next) <= 1e-6 * std::max(1.0, next),
                "intervals follow each other");
        require(l.durationSeconds > 0.0 &&
                    (interval == 0.0 || l.durationSeconds <= interval + 1.0 / d.sampleRate),
                "an interval lasts no longer than asked");
        next = l.startSeconds + l.durationSeconds;
        std::string row;
        AppendLevelsCsvRow(row, l);
        require(std::count(row.begin(), row.end(), ',') == columns, "a CSV row has a field per column");
        ++intervals;
        return {};
    });
    if (!s) return;
    require(intervals >= 1, "a signal has at least one interval");
    const double end = d.startSeconds() + static_cast<double>(d.frames) / d.sampleRate;
    require(std::fabs(next - end) <= 1e-6 * std::max(1.0, end), "the intervals cover the signal");
}

// k470-cli fft: the averaged spectrum of a record, its levels finite and never below the floor.
void fftAnalysis(const uint8_t* data, size_t size) {
    Cleared cleared;
    const Choices c(data, size, kSignalChoiceBytes);
    const SignalInputOptions o = inputOptions(c);
    constexpr double kOverlaps[8] = {0.0, 25.0, 50.0, 75.0, 90.0, 66.7, 95.0, -5.0};
    FftParameters p;
    p.size = size_t{256} << (c[2] & 7);
    p.window = static_cast<FftWindow>((c[2] >> 3) & 3);
    p.averaging = static_cast<SpectrumAveraging>(((c[2] >> 5) & 3) % 3);
    p.scaling = (c[3] & 1) ? SpectrumScaling::PowerDensity : SpectrumScaling::Amplitude;
    p.overlapPercent = kOverlaps[(c[3] >> 1) & 7];
    p.exponentialFrames = 1 + ((c[3] >> 4) & 7);
    if (!checkFftParameters(p)) return;
    auto in = SignalInput::Open(inputFile(c, data, size), o);
    if (!in) return;
    const SignalDescription d = in->description();
    checkDescription(d, o);
    if (d.frames < p.size) return;  // refused: a record shorter than one transform
    auto analyzer = FftAnalyzer::create(p, d.sampleRate);
    if (!analyzer) return;
    bool quiet = true;
    if (!readAll(*in, [&](std::span<const double> s) {
            quiet = quiet && silent(s);
            analyzer->push(s);
        }))
        return;
    if (quiet) return;  // refused: a silent signal
    require(analyzer->frames() >= 1, "a record of a transform's length makes a frame");
    require(analyzer->power().size() == analyzer->bins(), "a power per bin");
    for (double v : analyzer->power())
        require(finite(v) && v >= 0.0, "a bin's power is a finite number from 0");
    const std::vector<double> levels = analyzer->levels(d.referenceValue);
    require(levels.size() == analyzer->bins(), "a level per bin");
    for (double v : levels)
        require(finite(v) && v >= kSpectrumFloorDb, "a bin's level is finite and not below the floor");
    const std::string csv = SpectrumCsv(*analyzer, d.referenceValue);
    require(static_cast<size_t>(std::count(csv.begin(), csv.end(), '\n')) == analyzer->bins() + 1,
            "the spectrum's CSV has a heading and a line per bin");
}

namespace {

void checkFit(const std::optional<DecayFit>& fit) {
    if (!fit) return;
    require(finite(fit->seconds) && fit->seconds > 0.0, "a decay time is a positive finite number");
    require(finite(fit->correlation) && fit->correlation >= -1.0 - 1e-9 && fit->correlation <= 1.0 + 1e-9,
            "a decay fit's correlation lies within -1..1");
    require(finite(fit->slopeDbPerSecond) && fit->slopeDbPerSecond < 0.0, "a decay falls");
    require(finite(fit->interceptDb) && finite(fit->fromSeconds) && finite(fit->toSeconds) &&
                fit->fromSeconds <= fit->toSeconds,
            "a decay fit spans a finite range");
}

}  // namespace

// k470-cli rt60: EDT, T20 and T30 per band, each positive and finite when given.
void decayAnalysis(const uint8_t* data, size_t size) {
    Cleared cleared;
    const Choices c(data, size, kSignalChoiceBytes);
    const SignalInputOptions o = inputOptions(c);
    const ReverberationBands bands = (c[2] & 1) ? ReverberationBands::Third : ReverberationBands::Octave;
    auto in = SignalInput::Open(inputFile(c, data, size), o);
    if (!in) return;
    const SignalDescription d = in->description();
    checkDescription(d, o);
    if (!checkDecayLength(d.frames, d.sampleRate)) return;
    std::vector<double> samples;
    if (!readAll(*in, [&](std::span<const double> s) { samples.insert(samples.end(), s.begin(), s.end()); }))
        return;
    if (silent(samples)) return;  // refused: a silent signal
    auto result = AnalyzeReverberation(samples, d.sampleRate, bands);
    if (!result) return;
    for (const BandDecay& b : result->bands) {
        const DecayResult& r = b.decay;
        require(b.inRange || (!r.edt && !r.t20 && !r.t30), "a band above half the rate has no decay");
        checkFit(r.edt);
        checkFit(r.t20);
        checkFit(r.t30);
        require(!r.floorDb || (finite(*r.floorDb) && *r.floorDb <= 0.0),
                "the noise floor lies below the decay start");
        // A signal that ends in digital silence has no floor, and its range has no end.
        require(finite(r.dynamicRangeDb) || (!r.floorDb && r.dynamicRangeDb == kInf),
                "a decay's dynamic range is a number, or unbounded above digital silence");
        require(finite(r.startSeconds) && finite(r.truncationSeconds), "a decay's times are numbers");
        require(r.curveDb.empty() || (finite(r.curveStepSeconds) && r.curveStepSeconds > 0.0),
                "a decay curve has a step");
        for (double v : r.curveDb) require(finite(v), "a decay curve is finite");
        (void)bandNote(b);
    }
    (void)ReverberationCsv(*result);
}

namespace {

// Whether a row holds a level below what a record holds (0 dB) or above it (255.99 dB).
void beyondRecord(const std::optional<LevelRow>& row, bool& under, bool& over) {
    if (!row) return;
    for (double v : {row->leq, row->fast, row->fastMax, row->fastMin, row->slow, row->slowMax, row->slowMin,
                     row->imp, row->impMax, row->impMin, row->peak}) {
        under = under || v < 0.0;
        over = over || v > kMaxStoredLevelDb;
    }
}

}  // namespace

// k470-cli levels -o OUT.bin: what is written reads back with the .bin reader, a record per interval of
// the sound-level type, and a level a record cannot hold is never stored without a word: the record is
// flagged under-range (below 0 dB) or overloaded (above 255.99 dB), and the run counts it.
void levelRecords(const uint8_t* data, size_t size) {
    Cleared cleared;
    const Choices c(data, size, kSignalChoiceBytes);
    LevelRecordsJob job;
    job.options = inputOptions(c);
    job.input = inputFile(c, data, size);
    job.intervalSeconds = kIntervals[c[2] & 15];
    if (!(c[3] & 0x40)) job.records = {job.options.record};  // else every record of the file
    job.output = scratch().path("out.bin");
    auto written = writeLevelRecords(job);
    if (!written) return;

    // The same intervals once more, as the levels command computes them.
    std::vector<int> records = job.records;
    if (records.empty()) {
        auto count = countSignalRecords(job.input);
        require(count.ok(), "a file whose levels were written has records");
        for (int r = 1; r <= *count; ++r) records.push_back(r);
    }
    std::vector<IntervalLevels> intervals;
    for (int r : records) {
        SignalInputOptions o = job.options;
        o.record = r;
        auto in = SignalInput::Open(job.input, o);
        require(in.ok(), "a record whose levels were written opens again");
        auto recorder = LevelRecorder::Create(in->description(), job.intervalSeconds);
        require(recorder.ok(), "its analyser is made again");
        const Status s = recorder->run(*in, [&](const IntervalLevels& l) -> Status {
            intervals.push_back(l);
            return {};
        });
        require(s.ok(), "its levels are computed again");
    }
    auto bin = BinFile::Open(job.output);
    require(bin.ok(), "written level records read back with the .bin reader");
    require(
        static_cast<size_t>(bin->recordCount()) == intervals.size() && written->records == intervals.size(),
        "a record per interval");
    uint64_t flagged = 0;
    for (int k = 1; k <= bin->recordCount(); ++k) {
        auto r = bin->ReadRecord(k);
        require(r.ok(), "every written record decodes");
        require(r->header.deviceType == 3, "a written record is a sound-level record");
        const IntervalLevels& l = intervals[static_cast<size_t>(k - 1)];
        bool under = false, over = false;
        for (const auto& row : l.weighted) beyondRecord(row, under, over);
        for (const auto& row : l.bands) beyondRecord(row, under, over);
        require(!under || r->trailer.underrangeStatus[0] != 0,
                "a level below 0 dB flags its record under-range");
        require(!over || r->trailer.overloadStatus[0] != 0,
                "a level above 255.99 dB flags its record overloaded");
        if (r->trailer.underrangeStatus[0] != 0 || r->trailer.overloadStatus[0] != 0) ++flagged;
        const long long seconds = std::llround(l.durationSeconds);
        require(
            !r->tail.intervalKnown() || seconds >= 255 * 3600 ||
                r->tail.intervalHours * 3600LL + r->tail.intervalMinutes * 60LL + r->tail.intervalSeconds ==
                    seconds,
            "a record's interval is the interval's duration");
    }
    require(written->flagged == flagged, "the run counts the flagged records");
}

namespace {

// Levels of an acoustic calibrator; the one the user picks in the calibration dialog first.
constexpr double kCalibratorLevels[4] = {94.0, 114.0, 124.0, 94.0};
// What --calibration F:L may say: the calibrators' levels and values no calibrator has.
constexpr double kCalibrationLevels[16] = {94.0, 114.0, 124.0,  0.0,  -20.0, 200.0, 255.9, 300.0,
                                           1e3,  1e308, -1e308, 93.5, 140.0, 40.0,  1e-9,  94.0};
// Sensitivities of a channel (units per count) before the calibration.
constexpr double kSensitivities[8] = {1.0, 1e-5, 1e5, 1e-3, 1e3, 2.5, 0.01, 100.0};

}  // namespace

// The calibration from a calibrator recording, as --calibration F[:L] and the calibration dialog take it:
// a scale or sensitivity it gives is a positive finite number, and one it accepts comes from a steady tone
// at the calibrator's frequency.
//   byte 0: bits 0-3 the level (kCalibrationLevels), bit 4 a 250 Hz pistonphone, bits 5-6 the dialog's level
//   byte 1: bits 0-1 channel (1, 2, 3, 0), bits 2-4 sensitivity, bit 7 a sound file
void calibration(const uint8_t* data, size_t size) {
    Cleared cleared;
    const Choices c(data, size, 2);
    constexpr int kNumbers[4] = {1, 2, 3, 0};
    const int channel = kNumbers[c[1] & 3];
    const std::string path = scratch().input((c[1] & 0x80) ? "cal.wav" : "cal.sdt", data, size);
    const CalibrationSource source{path, kCalibrationLevels[c[0] & 15]};
    if (auto scale = calibrationScale(source, channel)) {
        require(finite(*scale) && *scale > 0.0, "a calibration's scale is a positive finite number");
        SignalInputOptions o;
        o.channel = channel;
        o.calibration = source;
        if (auto in = SignalInput::Open(path, o)) {
            require(in->description().scale == *scale,
                    "an input calibrated from a recording takes its scale");
            require(in->description().scaleOrigin == ScaleOrigin::Calibration, "and says where it came from");
        }
    }

    // The dialog's way: the live signal measured for five seconds, checked against the calibrator.
    SignalInputOptions o;
    o.channel = channel;
    auto in = SignalInput::Open(path, o);
    if (!in) return;
    const CalibratorTone tone = (c[0] & 0x10) ? CalibratorTone::Hz250 : CalibratorTone::Hz1000;
    auto m = CalibratorMeasurement::Create(in->description().sampleRate, tone);
    if (!m) return;
    if (!readAll(*in, [&](std::span<const double> s) { m->process(s); })) return;
    const double sensitivity = kSensitivities[(c[1] >> 2) & 7];
    const CalibrationCheck check =
        CheckCalibration(*m, sensitivity, kReferenceSoundPressure, kCalibratorLevels[(c[0] >> 5) & 3], path);
    require(!std::isnan(check.bandDb) && !std::isnan(check.broadbandDb), "the measured levels are numbers");
    if (check.refusal) return;
    require(finite(check.newSensitivity) && check.newSensitivity > 0.0,
            "an accepted calibration's sensitivity is a positive finite number");
    require(finite(check.changeDb), "an accepted calibration's change is a number of dB");
    require(std::fabs(check.toneHz / nominalHz(tone) - 1.0) <= kCalibratorFrequencyTolerance,
            "an accepted tone is at the calibrator's frequency");
    require(check.spreadDb <= kCalibratorSteadinessDb, "an accepted tone is steady");
}

namespace {

// A short sound file of a 1 kHz tone (a quarter of full scale, 0.1 s at 8 kHz, two channels), for the
// settings to act on.
std::string toneFile() {
    const std::string p = scratch().path("tone.wav");
    SF_INFO info{};
    info.samplerate = 8000;
    info.channels = 2;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* f = sf_open(p.c_str(), SFM_WRITE, &info);
    require(f != nullptr, "the tone file can be written");
    std::vector<double> frames(2 * 800);
    for (size_t i = 0; i < 800; ++i)
        frames[2 * i] = frames[2 * i + 1] =
            0.25 * std::sin(2.0 * M_PI * 1000.0 * static_cast<double>(i) / 8000.0);
    sf_writef_double(f, frames.data(), 800);
    sf_close(f);
    return p;
}

}  // namespace

// The settings of sound files, [SoundFile]: the options they give are usable (a positive finite scale and
// reference, a unit), a sound file copied with them opens as a signal file in that unit and reference, and
// the analyses read it with the scale of the settings.
void soundFileSettings(const uint8_t* data, size_t size) {
    Cleared cleared;
    const SettingsStore store(scratch().input("k470.ini", data, size));
    const SoundAsSignalOptions o = LoadSoundFileOptions(store);
    require(!o.units.empty(), "a sound file has a unit");
    require(finite(o.referenceValue) && o.referenceValue > 0.0,
            "a sound file's reference is a positive number");
    require(finite(o.scale) && o.scale > 0.0, "a sound file's scale is a positive number");
    const std::string sound = toneFile();
    const SignalInputOptions io = SoundFileInputOptions(store, sound);
    require(!io.scale || (finite(*io.scale) && *io.scale > 0.0), "an analysis's scale is a positive number");
    require(!io.scale || *io.scale == o.scale, "the analyses and the replay take the same scale");
    if (auto in = SignalInput::Open(sound, io)) {
        checkDescription(in->description(), io);
        (void)readAll(*in, [](std::span<const double>) {});
    }
    const std::string sdt = scratch().path("sound.sdt");
    if (!writeSoundAsSignalFile(sound, sdt, o)) return;
    SignalInputOptions first;
    auto in = SignalInput::Open(sdt, first);
    require(in.ok(), "a sound file copied as a signal file opens");
    const SignalDescription& d = in->description();
    require(d.referenceValue == o.referenceValue, "the copy keeps the reference of the settings");
    (void)readAll(*in, [](std::span<const double>) {});
}

// The FFT page's choices, [FFT]: whatever the settings hold, the choices read are ones the analysis takes,
// and they read back as written.
void fftSettings(const uint8_t* data, size_t size) {
    Cleared cleared;
    SettingsStore store(scratch().input("k470.ini", data, size));
    const FftChoices choices = ReadFftChoices(store);
    require(checkFftParameters(choices.parameters).ok(), "the FFT choices of any settings are usable");
    require(FftAnalyzer::create(choices.parameters, 48000.0).ok(), "an analyser is made of them");
    WriteFftChoices(store, choices);
    require(ReadFftChoices(store) == choices, "FFT choices read back as written");
}

}  // namespace k470::fuzz
