// SPDX-License-Identifier: GPL-3.0-or-later
// Reprocessing of a signal file: every record runs through the processing chain in file mode and the result
// is stored as a new signal file (the processed file kept beside the opened one), with the marker positions
// moved by the chain's delay and decimation.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/result.h"
#include "signal/channel_setup.h"
#include "signal/filter_library.h"
#include "signal/processing_chain.h"
#include "signal/signal_state.h"

namespace k470 {

struct ReprocessProgress {
    uint32_t record = 0;  // 0-based record being processed
    uint32_t records = 0;
    int percent = 0;  // of the current record
};
// Called after every piece of 1000 frames; returning false cancels (the output is then removed).
using ReprocessProgressFn = std::function<bool(const ReprocessProgress&)>;

struct ReprocessContext {
    SignalState& state;
    const FilterLibrary& library;
    ProcessingChain& chain;
    ChannelSetupSource setup;    // the instrument quantities; the replayed file is set here
    std::u16string profileName;  // stored in the new header
    // The device type and VIN stamped on the new entries; by default those of each source record.
    std::optional<std::pair<DeviceType, uint32_t>> device;
};

struct ProcessedFile {
    std::string path;
    uint32_t records = 0;
    double sampleRate = 0.0;      // the processed rate: the input rate over the decimation
    std::vector<Error> problems;  // markers left out because their table or block lies outside the source
};

// A new empty file "k470XXXXXX" in the directory (the system's temporary directory when empty).
Result<std::string> createTemporarySignalFile(const std::string& directory = {});

// Processes every record of the source into a new container at outputPath. Refuses, before anything is
// written, a source whose directory or records are damaged and a set-up without any output channel.
Result<ProcessedFile> ReprocessSignalFile(const std::string& sourcePath, const std::string& outputPath,
                                          ReprocessContext& context,
                                          const ReprocessProgressFn& progress = {});

}  // namespace k470
