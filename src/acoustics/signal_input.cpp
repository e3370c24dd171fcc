// SPDX-License-Identifier: GPL-3.0-or-later
#include "acoustics/signal_input.h"

#include "acoustics/live_levels.h"
#include "signal/signal_synth.h"

#include <sndfile.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <vector>

#include "acoustics/acoustics_words.h"
#include "acoustics/octave_filter_bank.h"
#include "base/number_format.h"
#include "base/path_util.h"
#include "base/safe_write.h"
#include "base/text_encoding.h"
#include "data/file_kind.h"
#include "data/reference_values.h"
#include "data/sdt_container.h"
#include "data/signal_limits.h"
#include "signal/signal_record.h"

namespace k470::acoustics {

namespace {

constexpr size_t kBlockFrames = 4096;  // frames read from the file at once

std::string number(double v) {
    return formatGeneral(v, 10);
}

std::string channelList(uint16_t mask) {
    std::string out;
    for (int k = 0; k < 3; ++k) {
        if (!(mask & (1u << k))) continue;
        if (!out.empty()) out += ", ";
        out += std::to_string(k + 1);
    }
    return out.empty() ? "no channels" : "channels " + out;
}

}  // namespace

// Interleaved frames of the file, from a frame position on.
class SignalInput::Source {
  public:
    virtual ~Source() = default;
    // Reads up to `frames` frames into out (channels values each); the number read, or an error.
    virtual Result<size_t> readFrames(double* out, size_t frames) = 0;
    int column = 0;     // the chosen channel's position in a frame
    int stride = 1;     // values per frame
    uint64_t next = 0;  // next frame of the record to read
};

namespace {

class SdtSource : public SignalInput::Source {
  public:
    SdtSource(SdtContainer file, SignalRecord record) : file_(std::move(file)), record_(std::move(record)) {}
    Result<size_t> readFrames(double* out, size_t frames) override {
        const uint64_t offset = record_.dataOffset() + next * record_.frameBytes();
        if (!readDoubles(file_.file(), offset, out, frames * static_cast<size_t>(stride)))
            return fail(lexicon().cantOpenFile(file_.path()));
        next += frames;
        return frames;
    }

  private:
    SdtContainer file_;
    SignalRecord record_;
};

struct SndCloser {
    void operator()(SNDFILE* f) const { sf_close(f); }
};

class SoundSource : public SignalInput::Source {
  public:
    SoundSource(std::unique_ptr<SNDFILE, SndCloser> file, std::string path)
        : file_(std::move(file)), path_(std::move(path)) {}
    Result<size_t> readFrames(double* out, size_t frames) override {
        const sf_count_t got = sf_readf_double(file_.get(), out, static_cast<sf_count_t>(frames));
        if (got < 0 || (got == 0 && frames > 0)) {
            // A file that ends before the frames its header announces is no error to libsndfile.
            const bool error = sf_error(file_.get()) != SF_ERR_NO_ERROR;
            return fail(
                message(Word::CantReadSoundFile,
                        {path_, error ? sf_strerror(file_.get()) : "the file ends before its last frame"}));
        }
        next += static_cast<uint64_t>(got);
        return static_cast<size_t>(got);
    }
    bool seek(uint64_t frame) {
        next = frame;
        return sf_seek(file_.get(), static_cast<sf_count_t>(frame), SEEK_SET) >= 0;
    }

  private:
    std::unique_ptr<SNDFILE, SndCloser> file_;
    std::string path_;
};

struct Opened {
    SignalDescription description;
    std::unique_ptr<SignalInput::Source> source;
    uint64_t recordFrames = 0;
};

Result<Opened> openSdt(const std::string& path, const SignalInputOptions& o) {
    auto file = SdtContainer::Open(path);
    if (!file) return file.error();
    const SdtHeader& h = file->header();
    if (Status ok = checkSampleRate(h.sampleRate, o.rates); !ok) return ok.error();
    const uint16_t mask = h.channelMask & 0x7;
    if (o.channel < 1 || o.channel > 3 || !(mask & (1u << (o.channel - 1))))
        return fail(message(Word::ChannelNotInFile, {std::to_string(o.channel), channelList(mask)}));
    auto entries = file->signalEntries();
    if (!entries) return entries.error();
    const int records = static_cast<int>(entries->size());
    if (o.record < 1 || o.record > records)
        return fail(message(Word::NoSuchRecord, {std::to_string(o.record), std::to_string(records)}));
    auto record = SignalRecord::From(*file, (*entries)[static_cast<size_t>(o.record - 1)]);
    if (!record) return record.error();
    Opened r;
    SignalDescription& d = r.description;
    d.kind = SignalFileKind::Sdt;
    d.sampleRate = h.sampleRate;
    d.channelCount = record->channelCount;
    d.recordCount = records;
    const int k = o.channel - 1;
    d.units = printableText(utf16ToUtf8(h.units[k]));           // it reaches messages and CSV
    d.referenceValue = referenceInEffect(h.referenceValue[k]);  // the container checked it
    // A signal file made from a sound file without a scale keeps its full-scale units.
    d.fullScale = d.units == kFullScaleUnit;
    if (!physicalUnit(d.units)) d.scaleOrigin = ScaleOrigin::None;
    const DirectoryEntry& e = record->entry;
    d.recordStart = unpackEntry(e.date, e.time);
    d.deviceType = e.deviceType;
    d.vin = e.vin;
    r.recordFrames = record->frameCount();
    auto source = std::make_unique<SdtSource>(std::move(*file), *record);
    source->stride = record->channelCount;
    source->column = std::popcount(static_cast<unsigned>(mask & ((1u << k) - 1)));
    r.source = std::move(source);
    return r;
}

Result<Opened> openSound(const std::string& path, const SignalInputOptions& o) {
    SF_INFO info{};
    std::unique_ptr<SNDFILE, SndCloser> file(sf_open(path.c_str(), SFM_READ, &info));
    if (!file) return fail(message(Word::CantReadSoundFile, {path, sf_strerror(nullptr)}));
    if (Status ok = checkSampleRate(info.samplerate, o.rates); !ok) return ok.error();
    if (o.channel < 1 || o.channel > info.channels)
        return fail(message(Word::ChannelNotInFile,
                            {std::to_string(o.channel), std::to_string(info.channels) + " channels"}));
    if (o.record != 1) return fail(message(Word::NoSuchRecord, {std::to_string(o.record), "1"}));
    Opened r;
    SignalDescription& d = r.description;
    d.kind = SignalFileKind::Sound;
    d.sampleRate = info.samplerate;
    d.channelCount = info.channels;
    d.recordCount = 1;
    d.units = kFullScaleUnit;
    d.referenceValue = 1.0;
    d.fullScale = true;
    d.scaleOrigin = ScaleOrigin::None;
    r.recordFrames = info.frames > 0 ? static_cast<uint64_t>(info.frames) : 0;
    auto source = std::make_unique<SoundSource>(std::move(file), path);
    source->stride = info.channels;
    source->column = o.channel - 1;
    r.source = std::move(source);
    return r;
}

// Applies start, length and scale to an opened record.
Status placeAndScale(Opened& r, const SignalInputOptions& o) {
    SignalDescription& d = r.description;
    const std::string recordNo = std::to_string(o.record);
    if (r.recordFrames == 0) return fail(message(Word::RecordWithoutFrames, {recordNo}));
    const double seconds = static_cast<double>(r.recordFrames) / d.sampleRate;
    if (!(o.start >= 0.0) || o.start * d.sampleRate >= static_cast<double>(r.recordFrames))
        return fail(message(Word::StartBeyondEnd, {number(o.start), recordNo, number(seconds)}));
    d.firstFrame = static_cast<uint64_t>(std::llround(o.start * d.sampleRate));
    // A start within the last half frame rounds to the end: nothing would be left to read.
    if (d.firstFrame >= r.recordFrames)
        return fail(message(Word::StartBeyondEnd, {number(o.start), recordNo, number(seconds)}));
    d.frames = r.recordFrames - d.firstFrame;
    if (o.length) {
        // A range that the record does not hold is refused rather than cut short, so an analysis never
        // reports a shorter span than the one asked for (half a frame is rounding).
        const double wanted = std::max(0.0, *o.length * d.sampleRate);
        if (!(wanted <= static_cast<double>(d.frames) + 0.5))
            return fail(message(Word::RangeBeyondEnd,
                                {number(*o.length), number(o.start), recordNo, number(seconds)}));
        d.frames = std::min<uint64_t>(d.frames, static_cast<uint64_t>(std::llround(wanted)));
        if (d.frames == 0) return fail(message(Word::RecordWithoutFrames, {recordNo}));
    }
    if (o.scale) {
        if (Status ok = checkScale(*o.scale); !ok) return ok.error();
    }
    if (o.scale || o.calibration) {
        double scale = 1.0;
        if (o.calibration) {
            auto s = calibrationScale(*o.calibration, o.channel);
            if (!s) return s.error();
            scale = *s;
        } else {
            scale = *o.scale;
        }
        d.scale = scale;
        d.scaleOrigin = o.calibration ? ScaleOrigin::Calibration : ScaleOrigin::SoundFile;
        if (o.quantity == ScaledQuantity::Acceleration) {
            if (!accelerationUnit(d.units)) {
                d.fullScale = false;
                d.units = kAccelerationUnit;
                d.referenceValue = kReferenceAcceleration;
            }
        } else if (d.fullScale) {
            d.fullScale = false;
            d.units = "Pa";
            d.referenceValue = kReferenceSoundPressure;
        }
    }
    return {};
}

}  // namespace

bool accelerationUnit(const std::string& units) {
    return units == kAccelerationUnit || units == "m/c^2";
}

SignalInput::SignalInput(SignalDescription d, std::unique_ptr<Source> source)
    : description_(std::move(d)), source_(std::move(source)) {}
SignalInput::SignalInput(SignalInput&&) noexcept = default;
SignalInput& SignalInput::operator=(SignalInput&&) noexcept = default;
SignalInput::~SignalInput() = default;

Result<SignalInput> SignalInput::Open(const std::string& path, const SignalInputOptions& options) {
    // A FIFO would block the open for ever, and a directory or device holds no signal.
    if (Status ok = checkInputFile(path); !ok) return ok.error();
    auto opened =
        fileKindOfPath(path) == FileKind::Signal ? openSdt(path, options) : openSound(path, options);
    if (!opened) return opened.error();
    if (Status ok = placeAndScale(*opened, options); !ok) return ok.error();
    opened->description.path = path;
    opened->description.record = options.record;
    Source& s = *opened->source;
    s.next = opened->description.firstFrame;
    if (auto* sound = dynamic_cast<SoundSource*>(&s); sound && !sound->seek(s.next))
        return fail(message(Word::CantReadSoundFile, {path, "seek"}));
    return SignalInput(std::move(opened->description), std::move(opened->source));
}

Result<size_t> SignalInput::read(std::span<double> out) {
    const uint64_t left = description_.frames - done_;
    size_t wanted = static_cast<size_t>(std::min<uint64_t>(left, out.size()));
    wanted = std::min(wanted, kBlockFrames);
    if (wanted == 0) return size_t{0};
    const size_t stride = static_cast<size_t>(source_->stride);
    std::vector<double>& frames = frames_;
    frames.resize(wanted * stride);
    auto got = source_->readFrames(frames.data(), wanted);
    if (!got) return got.error();
    const double scale = description_.scale;
    const double reference = description_.referenceValue;
    for (size_t i = 0; i < *got; ++i) {
        const double v = frames[i * stride + static_cast<size_t>(source_->column)] * scale;
        if (!sampleInRange(v, reference))
            return sampleOutOfRange(v, description_.firstFrame + done_ + i + 1, description_.record);
        out[i] = v;
        sound_ = sound_ || v != 0.0;
    }
    done_ += *got;
    return *got;
}

Result<int> countSignalRecords(const std::string& path) {
    if (Status ok = checkInputFile(path); !ok) return ok.error();
    if (fileKindOfPath(path) != FileKind::Signal) return 1;
    auto file = SdtContainer::Open(path);
    if (!file) return file.error();
    auto entries = file->signalEntries();
    if (!entries) return entries.error();
    return static_cast<int>(entries->size());
}

Status checkHasSound(const std::string& path, const SignalInputOptions& options) {
    auto in = SignalInput::Open(path, options);
    if (!in) return in.error();
    std::vector<double> block(kBlockFrames);
    while (true) {
        auto n = in->read(block);
        if (!n) return n.error();
        if (*n == 0) return fail(message(Word::SignalSilent));
        if (in->heardSound()) return {};
    }
}

Result<double> calibrationScale(const CalibrationSource& calibration, int channel) {
    if (Status ok = checkCalibrationLevel(calibration.level); !ok) return ok.error();
    SignalInputOptions o;
    o.channel = channel;
    auto in = SignalInput::Open(calibration.path, o);
    if (!in) return in.error();
    const SignalDescription& d = in->description();
    // The whole recording, checked as the window checks a calibrator on the live signal.
    auto m = CalibratorMeasurement::Create(d.sampleRate, CalibratorTone::Hz1000, 0.0);
    if (!m) return m.error();
    std::vector<double> block(kBlockFrames);
    while (true) {
        auto n = in->read(block);
        if (!n) return n.error();
        if (*n == 0) break;
        m->process(std::span(block.data(), *n));
    }
    const double reference = d.fullScale ? kReferenceSoundPressure : d.referenceValue;
    const CalibrationCheck c = CheckCalibration(*m, 1.0, reference, calibration.level, calibration.path);
    if (c.refusal) return *c.refusal;
    // A scale no sound file could need means the recording is not of the calibrator at all.
    if (Status ok = checkScale(c.newSensitivity); !ok) return ok.error();
    return c.newSensitivity;
}

}  // namespace k470::acoustics
