// SPDX-License-Identifier: GPL-3.0-or-later
#include "acoustics/level_records_file.h"

#include <algorithm>

#include "acoustics/acoustics_words.h"
#include "acoustics/measurement_context.h"
#include "base/safe_write.h"
#include "data/bin_file.h"

namespace k470::acoustics {

int LevelRecordsProgress::percent() const {
    if (records == 0) return 0;
    const double within_ =
        within.total ? static_cast<double>(within.frames) / static_cast<double>(within.total) : 1.0;
    return std::clamp(static_cast<int>(100.0 * (record + within_) / records), 0, 100);
}

Result<LevelRecordsWritten> writeSignalRecords(
    const SignalRecordsTarget& target, const std::function<Status(int record)>& check,
    const std::function<Status(int record, uint32_t nth, const MeasurementRecordSink&)>& run) {
    std::vector<int> records = target.records;
    if (records.empty()) {
        auto count = countSignalRecords(target.input);
        if (!count) return count.error();
        for (int r = 1; r <= *count; ++r) records.push_back(r);
    }
    std::vector<std::string> inputs = {target.input};
    inputs.insert(inputs.end(), target.otherInputs.begin(), target.otherInputs.end());
    if (Status s = refuseOutputOverInput(target.output, inputs); !s) return s.error();
    auto bin = BinFileAppender::Create(target.output, Placement::Whole);
    if (!bin) return bin.error();
    for (int record : records)
        if (Status s = check(record); !s) return s.error();
    LevelRecordsWritten written;
    MeasurementRecordSink sink;
    sink.now = localTimeNow();
    sink.append = [&](const MeasurementRecord& r, const CalendarTime& stamp) -> Status {
        ++written.records;
        for (size_t k = 0; k < r.trailer.overloadStatus.size(); ++k)
            if (r.trailer.underrangeStatus[k] || r.trailer.overloadStatus[k]) {
                ++written.flagged;
                break;
            }
        return bin->Append(r, stamp);
    };
    for (uint32_t i = 0; i < records.size(); ++i)
        if (Status s = run(records[i], i, sink); !s) return s.error();
    if (Status s = bin->Close(); !s) return s.error();
    return written;
}

Result<LevelRecordsWritten> writeLevelRecords(const LevelRecordsJob& job,
                                              const LevelRecordsProgressFn& progress,
                                              const LevelRecordsInputFn& onInput) {
    SignalRecordsTarget target{job.input, {}, job.records, job.output};
    if (job.options.calibration) target.otherInputs.push_back(job.options.calibration->path);
    auto options = [&job](int record) {
        SignalInputOptions o = job.options;
        o.record = record;
        return o;
    };
    auto check = [&](int record) { return checkHasSound(job.input, options(record)); };
    const auto count = static_cast<uint32_t>(job.records.empty() ? 0 : job.records.size());
    auto run = [&](int record, uint32_t nth, const MeasurementRecordSink& sink) -> Status {
        auto in = SignalInput::Open(job.input, options(record));
        if (!in) return in.error();
        const SignalDescription& d = in->description();
        // A record stores levels in dB re a physical reference from 0 dB up: levels re full scale or re
        // raw counts have no place in it.
        if (!ContextOf(d).physical()) return fail(message(Word::LevelsReFullScale));
        auto recorder = LevelRecorder::Create(d, job.intervalSeconds);
        if (!recorder) return recorder.error();
        if (onInput) onInput(d, recorder->analyser());
        const uint32_t total = count ? count : static_cast<uint32_t>(d.recordCount);
        return recorder->run(
            *in,
            [&](const IntervalLevels& l) -> Status {
                return sink.append(soundLevelRecord(l, d.vin), intervalStart(d, l.startSeconds, sink.now));
            },
            [&](const LevelProgress& p) {
                return !progress || progress({nth, total, p});
            });
    };
    return writeSignalRecords(target, check, run);
}

}  // namespace k470::acoustics
