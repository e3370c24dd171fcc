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

Result<LevelRecordsWritten> writeLevelRecords(const LevelRecordsJob& job,
                                              const LevelRecordsProgressFn& progress,
                                              const LevelRecordsInputFn& onInput) {
    std::vector<int> records = job.records;
    if (records.empty()) {
        auto count = countSignalRecords(job.input);
        if (!count) return count.error();
        for (int r = 1; r <= *count; ++r) records.push_back(r);
    }
    std::vector<std::string> inputs = {job.input};
    if (job.options.calibration) inputs.push_back(job.options.calibration->path);
    if (Status s = refuseOutputOverInput(job.output, inputs); !s) return s.error();
    auto bin = BinFileAppender::Create(job.output, Placement::Whole);
    if (!bin) return bin.error();
    for (int record : records) {
        SignalInputOptions options = job.options;
        options.record = record;
        if (Status s = checkHasSound(job.input, options); !s) return s.error();
    }
    LevelRecordsWritten written;
    const CalendarTime now = localTimeNow();
    const auto count = static_cast<uint32_t>(records.size());
    for (uint32_t i = 0; i < count; ++i) {
        SignalInputOptions options = job.options;
        options.record = records[i];
        auto in = SignalInput::Open(job.input, options);
        if (!in) return in.error();
        const SignalDescription& d = in->description();
        // A record stores levels in dB re a physical reference from 0 dB up: levels re full scale or re
        // raw counts have no place in it.
        if (!ContextOf(d).physical()) return fail(message(Word::LevelsReFullScale));
        auto recorder = LevelRecorder::Create(d, job.intervalSeconds);
        if (!recorder) return recorder.error();
        if (onInput) onInput(d, recorder->analyser());
        Status s = recorder->run(
            *in,
            [&](const IntervalLevels& l) -> Status {
                const MeasurementRecord r = soundLevelRecord(l, d.vin);
                ++written.records;
                if (r.trailer.underrangeStatus[0] || r.trailer.overloadStatus[0]) ++written.flagged;
                return bin->Append(r, intervalStart(d, l.startSeconds, now));
            },
            [&](const LevelProgress& p) {
                return !progress || progress({i, count, p});
            });
        if (!s) return s.error();
    }
    if (Status s = bin->Close(); !s) return s.error();
    return written;
}

}  // namespace k470::acoustics
