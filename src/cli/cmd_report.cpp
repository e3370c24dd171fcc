// SPDX-License-Identifier: GPL-3.0-or-later
// k470-cli report: "Make report" with the columns given on the command line or stored in a report.cfg.
#include <cstdio>
#include <string>

#include "base/safe_write.h"
#include "cli/analysis_args.h"
#include "cli/cli_command.h"
#include "export/file_set.h"
#include "export/report.h"
#include "export/report_config.h"

namespace k470::cli {

int runReport(std::span<const std::string> args) {
    const Command& self = commandNamed("report");
    static constexpr std::string_view kFlags[] = {"--no-date", "--no-time", "--no-vin", "--no-interval",
                                                  "--frequency-names"};
    static constexpr std::string_view kValues[] = {"--column", "--config", "-o", "--output"};
    ParsedArgs p;
    if (auto done = parseCommandArgs(self, args, kFlags, kValues, p)) return *done;
    const std::string output = p.outputPath();
    if (output.empty()) return usageError(self, "give the output file with -o");
    if (p.files.empty()) return usageError(self, "no file given");
    std::vector<std::pair<std::string, LevelSelection>> levels;
    for (const std::string& text : p.values("--column")) {
        LevelSelection level;
        if (!parseLevelArgument(text, level))
            return usageError(self,
                              "--column takes T,P,B or T,P,B,C (numbers from 0 to 255), not '" + text + "'");
        levels.emplace_back(text, level);
    }

    if (!checkInputs(p.files)) return 1;
    // The configuration is read and written back: neither it nor an input may be the output.
    std::vector<std::string> guarded = p.files;
    if (const std::string config = p.value("--config"); !config.empty()) {
        guarded.push_back(config);
        if (auto s = refuseOutputOverInput(config, p.files); !s) {
            printError(s.error());
            return 1;
        }
    }
    auto set = ScanFileSet(p.files);
    if (!set) {
        printError(set.error());
        return 1;
    }
    const DeviceType type = set->type;
    if (!levels.empty() && (!set->typeKnown || !hasLevelChoices(type)))
        return usageError(self, set->typeKnown
                                    ? "the device type '" + deviceTypeName(type) + "' has no levels to choose"
                                    : "no record to tell the device type by");
    for (const auto& [text, level] : levels)
        if (auto problem = checkLevelArgument(type, level, text); !problem.empty())
            return usageError(self, problem);

    const std::string configPath = p.value("--config");
    ReportConfig config;
    ReportColumnList columns;
    if (!configPath.empty() && set->typeKnown) {
        config = ReportConfig::Read(configPath);
        columns = config.columnsFor(type);
    }
    for (const auto& level : levels) columns.Add(makeReportColumn(type, level.second));

    ReportSwitches switches;
    switches.date = !p.has("--no-date");
    switches.time = !p.has("--no-time");
    switches.vin = !p.has("--no-vin");
    switches.interval = !p.has("--no-interval");
    switches.frequencyNamesOnly = p.has("--frequency-names");

    auto out = openOutputFor(output, guarded);
    if (!out) return 1;
    const bool ok = writeTextOutput(
        *out, [&](TextWriter& writer) { return WriteReport(*set, columns.columns(), switches, writer); });
    if (!ok) return 1;
    // The dialog stores the type's list when it closes; a configuration that cannot be written is only noted.
    if (!configPath.empty() && set->typeKnown) {
        config.setColumns(type, columns);
        if (auto s = config.Write(configPath); !s) printError("note: " + describe(s.error()));
    }
    return 0;
}

}  // namespace k470::cli
