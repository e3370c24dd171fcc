// k470-cli report: "Make report" with the columns given on the command line or stored in a report.cfg.
#include <cstdio>
#include <string>

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

    auto set = ScanFileSet(p.files);
    if (!set) {
        printError(set.error().message);
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

    auto out = openOutput(output);
    if (!out) {
        printError(out.error().message);
        return 1;
    }
    Status written;
    {
        TextWriter writer(*out);
        written = WriteReport(*set, columns.columns(), switches, writer);
    }
    const Status closed = out->close();
    if (!written) {
        printError(written.error().message);
        return 1;
    }
    if (!closed) {
        printError("Can't write the report '" + output + "'");
        return 1;
    }
    // The dialog stores the type's list when it closes; a configuration that cannot be written is only noted.
    if (!configPath.empty() && set->typeKnown) {
        config.setColumns(type, columns);
        if (auto s = config.Write(configPath); !s) printError("note: " + s.error().message);
    }
    return 0;
}

}  // namespace k470::cli
