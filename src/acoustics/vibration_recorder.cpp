// SPDX-License-Identifier: GPL-3.0-or-later
#include "acoustics/vibration_recorder.h"

#include <algorithm>

#include "acoustics/acoustics_words.h"

namespace k470::acoustics {

namespace {

constexpr size_t kReadBlock = 4096;  // frames taken from each channel at once
constexpr int kMaxChannels = 3;

SignalInputOptions channelOptions(const VibrationJob& job, int record, int channel) {
    SignalInputOptions o = job.options;
    o.record = record;
    o.channel = channel;
    o.quantity = ScaledQuantity::Acceleration;
    o.rates = vibrationKindInfo(job.kind).rates;
    return o;
}

// The job's channels, or those of the file: every channel from 1 to 3 that opens.
std::vector<int> channelsOf(const VibrationJob& job, int record) {
    if (!job.channels.empty()) return job.channels;
    std::vector<int> found;
    for (int c = 1; c <= kMaxChannels; ++c)
        if (SignalInput::Open(job.input, channelOptions(job, record, c))) found.push_back(c);
    return found.empty() ? std::vector<int>{1} : found;
}

// At least one channel must carry a signal.
Status checkRecord(const VibrationJob& job, int record) {
    Status first;
    for (int c : channelsOf(job, record)) {
        Status s = checkHasSound(job.input, channelOptions(job, record, c));
        if (s) return s;
        if (first) first = s;
    }
    return first;
}

}  // namespace

Result<VibrationInput> VibrationInput::Open(const VibrationJob& job, int record) {
    VibrationInput v;
    v.channels_ = channelsOf(job, record);
    for (int c : v.channels_) {
        auto in = SignalInput::Open(job.input, channelOptions(job, record, c));
        if (!in) return in.error();
        const SignalDescription& d = in->description();
        if (!accelerationUnit(d.units))
            return fail(message(Word::NotAcceleration, {std::to_string(c), d.units}));
        v.inputs_.push_back(std::move(*in));
    }
    return v;
}

Result<size_t> VibrationInput::read(std::vector<std::vector<double>>& blocks) {
    blocks.resize(inputs_.size());
    size_t got = 0;
    for (size_t c = 0; c < inputs_.size(); ++c) {
        blocks[c].resize(kReadBlock);
        auto n = inputs_[c].read(blocks[c]);
        if (!n) return n.error();
        got = c == 0 ? *n : std::min(got, *n);
    }
    for (auto& b : blocks) b.resize(got);
    return got;
}

Status runVibration(const VibrationJob& job, int record, const VibrationIntervalFn& onInterval,
                    const VibrationProgressFn& progress) {
    auto in = VibrationInput::Open(job, record);
    if (!in) return in.error();
    const SignalDescription& d = in->description();
    auto analyser = VibrationAnalyser::Create(job.kind, ContextOf(d), in->channels(), job.intervalSeconds);
    if (!analyser) return analyser.error();
    const double offset = d.startSeconds();
    const VibrationIntervalFn shifted = [&](const VibrationInterval& v) {
        VibrationInterval moved = v;
        moved.startSeconds += offset;
        return onInterval(moved);
    };
    std::vector<std::vector<double>> blocks;
    std::vector<std::span<const double>> spans;
    while (true) {
        auto n = in->read(blocks);
        if (!n) return n.error();
        if (*n == 0) break;
        spans.assign(blocks.begin(), blocks.end());
        if (Status s = analyser->process(spans, shifted); !s) return s;
        if (progress && !progress(record, in->framesRead(), d.frames)) return fail(message(Word::Cancelled));
    }
    return analyser->finish(shifted);
}

Result<LevelRecordsWritten> writeVibrationRecords(const VibrationJob& job, const std::string& output,
                                                  const VibrationProgressFn& progress) {
    const SignalRecordsTarget target{job.input, {}, job.records, output};
    auto check = [&job](int record) { return checkRecord(job, record); };
    auto run = [&](int record, uint32_t, const MeasurementRecordSink& sink) -> Status {
        auto in = VibrationInput::Open(job, record);
        if (!in) return in.error();
        const SignalDescription d = in->description();
        return runVibration(
            job, record,
            [&](const VibrationInterval& v) {
                return sink.append(vibrationRecord(v, job.kind, d.vin),
                                   intervalStart(d, v.startSeconds, sink.now));
            },
            progress);
    };
    return writeSignalRecords(target, check, run);
}

Result<VibrationInterval> measureVibration(const VibrationJob& job, int record,
                                           const VibrationProgressFn& progress) {
    if (Status s = checkRecord(job, record); !s) return s.error();
    VibrationJob whole = job;
    whole.intervalSeconds = 0.0;
    VibrationInterval result;
    Status s = runVibration(
        whole, record,
        [&result](const VibrationInterval& v) -> Status {
            result = v;
            return {};
        },
        progress);
    if (!s) return s.error();
    return result;
}

}  // namespace k470::acoustics
