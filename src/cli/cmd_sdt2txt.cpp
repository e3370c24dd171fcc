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

    int code = 0;
    for (const std::string& path : p.files) {
        if (!checkRecordList(path, *selection)) {
            code = 1;
            continue;
        }
        ProgressLine line(path);
        auto report = ConvertSdtToText(path, *selection, [&](const ConversionProgress& pr) {
            line.update(pr.record, pr.records, pr.percent);
            return true;
        });
        if (!report) {
            printError(report.error().message);
            code = 1;
            continue;
        }
        code = std::max(code, reportConversion(*report));
    }
    return code;
}

}  // namespace k470::cli
