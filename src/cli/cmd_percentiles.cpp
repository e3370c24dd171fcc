// SPDX-License-Identifier: GPL-3.0-or-later
// k470-cli percentiles: "Calc percentiles" for one level over the records of any number of files.
#include <cmath>
#include <cstdio>
#include <string>

#include "base/number_format.h"
#include "cli/analysis_args.h"
#include "cli/cli_command.h"
#include "export/file_set.h"
#include "export/percentiles.h"

namespace k470::cli {

int runPercentiles(std::span<const std::string> args) {
    const Command& self = commandNamed("percentiles");
    static constexpr std::string_view kFlags[] = {"--histogram"};
    static constexpr std::string_view kValues[] = {"--level", "--percent"};
    ParsedArgs p;
    if (auto done = parseCommandArgs(self, args, kFlags, kValues, p)) return *done;
    if (!p.has("--level")) return usageError(self, "give the level with --level T,P,B[,C]");
    const std::string levelText = p.value("--level");
    LevelSelection level;
    if (!parseLevelArgument(levelText, level))
        return usageError(self,
                          "--level takes T,P,B or T,P,B,C (numbers from 0 to 255), not '" + levelText + "'");
    std::vector<double> percents;
    for (const std::string& text : p.values("--percent")) {
        double percent = 0.0;
        if (!parseDouble(text, percent) || !std::isfinite(percent) || percent < 0.0 || percent > 100.0)
            return usageError(self, "--percent takes a number from 0 to 100, not '" + text + "'");
        percents.push_back(percent);
    }
    if (p.files.empty()) return usageError(self, "no file given");

    if (!checkInputs(p.files)) return 1;
    auto set = ScanFileSet(p.files);
    if (!set) {
        printError(set.error());
        return 1;
    }
    if (set->typeKnown)
        if (auto problem = checkLevelArgument(set->type, level, levelText); !problem.empty())
            return usageError(self, problem);
    const std::vector<double> distinct = fractionsOfPercents(percents);

    auto result = CalculatePercentiles(p.files, levelWordOffset(set->type, level), distinct);
    if (!result) {
        printError(result.error());
        return 1;
    }
    std::string out;
    for (size_t i = 0; i < result->fractions.size(); ++i) {
        out += 'L';
        appendGeneral(out, result->fractions[i] * 100.0, 3);
        out += ';';
        appendFixed(out, result->answers[i], 2);
        out += '\n';
    }
    out += "min;";
    appendFixed(out, result->minimum, 2);
    out += "\nmax;";
    appendFixed(out, result->maximum, 2);
    out += '\n';
    if (p.has("--histogram")) {
        for (int u = 0; u < kHistogramClasses; ++u) {
            const uint64_t count = result->classCounts[static_cast<size_t>(u)];
            if (count == 0) continue;
            out += "class;";
            appendFixed(out, classLowerEdge(u), 1);
            out += ';';
            appendInt(out, static_cast<long long>(count));
            out += '\n';
        }
    }
    printOut(out);
    return 0;
}

}  // namespace k470::cli
