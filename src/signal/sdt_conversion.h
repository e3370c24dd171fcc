// SPDX-License-Identifier: GPL-3.0-or-later
// Conversions of signal files: selected records to 32-bit float WAV files ("Translate .sdt to .wav") and to
// tab-separated text tables ("Translate .sdt to .txt"). Samples stream in pieces of 48000 values with
// buffers allocated once per conversion, so records of any length convert in constant memory.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "base/result.h"
#include "signal/signal_record.h"
#include "signal/wav_writer.h"

namespace k470 {

enum class SavingMode {
    SeparateFiles = 0,   // one file per channel and record: "<base>_ch<k>_<n>.wav"
    FilePerChannel = 1,  // one file per channel, records one after the other: "<base>_ch<k>.wav"
    FilePerRecord = 2,   // one file per record, channels one after the other: "<base>_<n>.wav"
};

enum class PlaybackRate { FromDevice = 0, Rate24k = 1, Rate48k = 2 };

struct TranslationParameters {
    SavingMode savingMode = SavingMode::SeparateFiles;
    PlaybackRate playbackRate = PlaybackRate::FromDevice;
    bool normalize = true;
    // Files no output may replace (the other inputs of the same command); the input itself never is.
    std::vector<std::string> keep;
};

// Which used entries (by their ordinal, from 0 in directory order) to convert.
struct RecordSelection {
    bool all = false;
    std::vector<bool> flags;

    static RecordSelection All() { return {true, {}}; }
    bool selected(uint32_t ordinal) const { return all || (ordinal < flags.size() && flags[ordinal]); }
};

struct ConversionProgress {
    uint32_t record = 0;   // records converted before this one
    uint32_t records = 0;  // records selected
    int percent = 0;       // of the current record's pass
};
// Called after every piece; returning false cancels the conversion (files already written stay).
using ConversionProgressFn = std::function<bool(const ConversionProgress&)>;

struct ConversionReport {
    std::vector<std::string> written;  // outputs completed
    std::vector<std::string> missing;  // outputs that could not be created or written completely
    std::vector<Error> problems;       // why: unreadable records, a damaged directory, failed outputs
    bool cancelled = false;

    bool complete() const { return missing.empty() && problems.empty() && !cancelled; }
};

// The path with its extension cut off: the part from the last '.' on, when that '.' stands at position 1
// or more and after the last directory separator.
std::string signalBaseName(const std::string& path);

// Fails when the file cannot be opened, is not a signal file, or its rate gives no usable WAV rate.
Result<ConversionReport> ConvertSdtToWav(const std::string& path, const RecordSelection& selection,
                                         const TranslationParameters& parameters,
                                         const ConversionProgressFn& progress = {});
// Text tables "<base>_<n>.txt" in the code page of the active lexicon, lines ending in CR LF.
// keep: as TranslationParameters::keep.
Result<ConversionReport> ConvertSdtToText(const std::string& path, const RecordSelection& selection,
                                          const ConversionProgressFn& progress = {},
                                          std::span<const std::string> keep = {});

// Where one channel of a record goes: appended to a writer, or at a fixed place of its "data" chunk.
struct WavChannelTarget {
    int column = 0;  // the channel's place in a frame
    WavFileWriter* writer = nullptr;
    std::optional<uint64_t> dataPosition;  // none: append
    Status status;  // the first failure of this target; a failed target receives nothing more
};

// Several channels of one record in one reading pass (two with normalize), each channel computed as
// writeChannelToWav does. Fails when the record cannot be read, at a sample that is NaN, infinite or more
// than 300 dB above its channel's reference, or when the progress callback cancels.
Status writeChannelsToWav(const SdtContainer& source, const SignalRecord& record,
                          std::span<WavChannelTarget> targets, bool normalize,
                          const std::function<bool(int percent)>& progress = {});

// One channel of one record appended to an open writer as floats: (value - mean) * gain, with mean 0 and
// gain 1 unless normalize, which scales the channel's peak around its mean to 0.5 (a channel whose values
// are all equal gives silence). stride = values per frame, column = the channel's place in a frame.
Status writeChannelToWav(const SdtContainer& source, const SignalRecord& record, WavFileWriter& writer,
                         int column, bool normalize, const std::function<bool(int percent)>& progress = {});

}  // namespace k470
