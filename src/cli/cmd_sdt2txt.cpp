// SPDX-License-Identifier: GPL-3.0-or-later
// k470-cli sdt2txt: "Translate .sdt to .txt" for the records of signal files.
#include <cstdio>
#include <string>

#include "cli/cli_command.h"
#include "cli/signal_cli_support.h"
#include "signal/sdt_conversion.h"

namespace k470::cli {

int runSdt2Txt(std::span<const std::string> args) {
    const Command& self = commandNamed("sdt2txt");
    static constexpr std::string_view kValues[] = {"--records"};
    ParsedArgs p;
    if (auto done = parseCommandArgs(self, args, {}, kValues, p)) return *done;
    if (p.files.empty()) return usageError(self, "no file given");
    std::string listError;
    const auto selection = parseRecordList(p.value("--records", "all"), listError);
    if (!selection) return usageError(self, listError);

    return convertEachFile(
        p.files, *selection,
        [&p](const std::string& path, const RecordSelection& s, const ConversionProgressFn& progress) {
            return ConvertSdtToText(path, s, progress, p.files);
        });
}

}  // namespace k470::cli
