// SPDX-License-Identifier: GPL-3.0-or-later
// k470-cli merge: "Merge to one .txt" for any number of files.
#include <cstdio>
#include <string>

#include "cli/cli_command.h"
#include "export/csv_export.h"
#include "export/merge.h"

namespace k470::cli {

int runMerge(std::span<const std::string> args) {
    const Command& self = commandNamed("merge");
    static constexpr std::string_view kValues[] = {"-o", "--output"};
    static constexpr std::string_view kFlags[] = {"--csv"};
    ParsedArgs p;
    if (auto done = parseCommandArgs(self, args, kFlags, kValues, p)) return *done;
    const std::string output = p.outputPath();
    if (output.empty()) return usageError(self, "give the output file with -o");
    if (p.files.empty()) return usageError(self, "no file given");
    if (!checkInputs(p.files)) return 1;

    auto out = openOutputFor(output, p.files);
    if (!out) return 1;
    const TextExporter exporter;
    const bool csv = p.has("--csv");
    const bool ok = writeTextOutput(*out, [&](TextWriter& writer) {
        return csv ? WriteRecordsAsCsv(p.files, writer, true) : MergeToText(p.files, writer, exporter);
    });
    return ok ? 0 : 1;
}

}  // namespace k470::cli
