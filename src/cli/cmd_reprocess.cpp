// SPDX-License-Identifier: GPL-3.0-or-later
// k470-cli reprocess: a signal file through the processing chain into a new signal file, with the settings
// the "Signal parameters" dialog leaves behind: a named preset from the data directory, or no preset and a
// decimation factor.
#include <charconv>
#include <cstdio>
#include <string>

#include "base/paths.h"
#include "base/text_encoding.h"
#include "cli/cli_command.h"
#include "cli/signal_cli_support.h"
#include "signal/processor_preset.h"
#include "signal/reprocess.h"

namespace k470::cli {

int runReprocess(std::span<const std::string> args) {
    const Command& self = commandNamed("reprocess");
    static constexpr std::string_view kValues[] = {"--preset", "--decimation", "-o", "--output"};
    ParsedArgs p;
    if (auto done = parseCommandArgs(self, args, {}, kValues, p)) return *done;
    if (p.files.size() != 1) return usageError(self, "give exactly one signal file");
    const std::string output = p.outputPath();
    if (output.empty()) return usageError(self, "no output given (-o OUT.sdt)");
    int decimation = 1;
    if (p.has("--decimation")) {
        const std::string r = p.value("--decimation");
        auto res = std::from_chars(r.data(), r.data() + r.size(), decimation);
        if (res.ec != std::errc() || res.ptr != r.data() + r.size() || decimation < 1 || decimation > 65536)
            return usageError(self, "bad decimation '" + r + "': give a whole number from 1");
    }
    const std::string& input = p.files[0];
    if (!checkInputs(p.files)) return 1;
    if (auto s = refuseOutputOverInput(output, p.files); !s) {
        printError(s.error());
        return 1;
    }
    auto source = SdtContainer::Open(input);
    if (!source) {
        printError(source.error());
        return 1;
    }

    const std::string dir = dataDirectory();
    FilterLibraryLoad library = loadFilterLibrary(dir);
    for (const Error& e : library.problems) printError(e.message);
    PresetLoad presets = loadPresets(dir + "/" + kPresetFileName);
    if (presets.problem) printError(presets.problem->message);
    addBuiltinPresets(presets.presets);

    SignalState state;
    state.sampleRate = source->header().sampleRate;
    if (p.has("--preset")) {
        state.presetActive = true;
        state.presetName = p.value("--preset");
        if (findPreset(presets.presets, utf8ToUtf16(state.presetName)) == nullptr) {
            printError("No preset named '" + state.presetName + "' in " + dir + "/" + kPresetFileName);
            return 1;
        }
    } else {
        state.decimation = decimation;
    }
    ProcessingChain chain;
    applyActivePreset(state, presets.presets, library.library, chain);

    // The output is written beside its target and takes its name only when whole (base/safe_write.h).
    ReprocessContext ctx{state, library.library, chain, {}, utf8ToUtf16(state.presetName), std::nullopt};
    ProgressLine line(input);
    auto done = ReprocessSignalFile(input, output, ctx, [&](const ReprocessProgress& pr) {
        line.update(pr.record, pr.records, pr.percent);
        return true;
    });
    if (!done) {
        printError(done.error());
        return 1;
    }
    for (const Error& e : done->problems) printError(e);
    return 0;
}

}  // namespace k470::cli
