// SPDX-License-Identifier: GPL-3.0-or-later
// k470-cli sdt2wav: "Translate .sdt to .wav" for the records of signal files.
#include <cstdio>
#include <string>

#include "cli/cli_command.h"
#include "cli/signal_cli_support.h"
#include "signal/sdt_conversion.h"

namespace k470::cli {

int runSdt2Wav(std::span<const std::string> args) {
    const Command& self = commandNamed("sdt2wav");
    static constexpr std::string_view kFlags[] = {"--no-normalize"};
    static constexpr std::string_view kValues[] = {"--mode", "--rate", "--records"};
    ParsedArgs p;
    if (auto done = parseCommandArgs(self, args, kFlags, kValues, p)) return *done;
    if (p.files.empty()) return usageError(self, "no file given");
    TranslationParameters params;
    const std::string mode = p.value("--mode", "separate");
    if (mode == "separate")
        params.savingMode = SavingMode::SeparateFiles;
    else if (mode == "channel")
        params.savingMode = SavingMode::FilePerChannel;
    else if (mode == "record")
        params.savingMode = SavingMode::FilePerRecord;
    else
        return usageError(self, "unknown saving mode '" + mode + "'");
    const std::string rate = p.value("--rate", "device");
    if (rate == "device")
        params.playbackRate = PlaybackRate::FromDevice;
    else if (rate == "24000")
        params.playbackRate = PlaybackRate::Rate24k;
    else if (rate == "48000")
        params.playbackRate = PlaybackRate::Rate48k;
    else
        return usageError(self, "unknown rate '" + rate + "'");
    params.normalize = !p.has("--no-normalize");
    params.keep = p.files;
    std::string listError;
    const auto selection = parseRecordList(p.value("--records", "all"), listError);
    if (!selection) return usageError(self, listError);

    return convertEachFile(
        p.files, *selection,
        [&params](const std::string& path, const RecordSelection& s, const ConversionProgressFn& progress) {
            return ConvertSdtToWav(path, s, params, progress);
        });
}

}  // namespace k470::cli
