// k470-cli merge: "Merge to one .txt" for any number of files.
#include <cstdio>
#include <string>

#include "cli/analysis_args.h"
#include "cli/cli_command.h"
#include "export/merge.h"

namespace k470::cli {

int runMerge(std::span<const std::string> args) {
    const Command& self = commandNamed("merge");
    static constexpr std::string_view kValues[] = {"-o", "--output"};
    ParsedArgs p;
    if (auto done = parseCommandArgs(self, args, {}, kValues, p)) return *done;
    const std::string output = p.outputPath();
    if (output.empty()) return usageError(self, "give the output file with -o");
    if (p.files.empty()) return usageError(self, "no file given");

    auto out = openOutput(output);
    if (!out) {
        printError(out.error().message);
        return 1;
    }
    const TextExporter exporter;
    Status merged;
    {
        TextWriter writer(*out);
        merged = MergeToText(p.files, writer, exporter);
    }
    const Status closed = out->close();
    if (!merged) {
        printError(merged.error().message);
        return 1;
    }
    if (!closed) {
        printError("Can't write the text output '" + output + "'");
        return 1;
    }
    return 0;
}

}  // namespace k470::cli
