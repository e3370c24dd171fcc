// The subcommands of k470-cli. Each command parses its own arguments, writes its results to standard
// output, its messages to standard error, and returns the process exit code.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace k470::cli {

struct Command {
    std::string_view name;
    std::string_view summary;
    std::string_view usage;  // the --help text of the command
    int (*run)(std::span<const std::string> args);
};

// Every command, in the order that the overview lists them.
std::span<const Command> commands();

// Splits command arguments into options and files. Options are given by name; those in withValue take the
// next argument (or "--name=value"). "--" ends the options. Unknown options are errors.
struct ParsedArgs {
    std::vector<std::pair<std::string, std::string>> options;  // in order, repeats kept
    std::vector<std::string> files;
    std::string error;  // non-empty on a usage error
    bool help = false;

    bool has(std::string_view name) const;
    // The last value given for an option, or fallback.
    std::string value(std::string_view name, std::string_view fallback = {}) const;
    std::vector<std::string> values(std::string_view name) const;
    // The output file given with -o or --output (the last one given), or empty.
    std::string outputPath() const;
};
ParsedArgs parseArgs(std::span<const std::string> args, std::span<const std::string_view> flags,
                     std::span<const std::string_view> withValue);

const Command& commandNamed(std::string_view name);

// Parses a command's arguments into parsed. Gives the exit code when the command ends here: 0 after --help
// printed its usage, 2 after a usage error.
std::optional<int> parseCommandArgs(const Command& self, std::span<const std::string> args,
                                    std::span<const std::string_view> flags,
                                    std::span<const std::string_view> withValue, ParsedArgs& parsed);

// Prints the message on a line of its own on standard error.
void printError(std::string_view message);
// Prints the usage error and the command's usage; returns the exit code for usage errors (2).
int usageError(const Command& command, std::string_view message);

int runInfo(std::span<const std::string> args);
int runExport(std::span<const std::string> args);
int runSample(std::span<const std::string> args);
int runMerge(std::span<const std::string> args);
int runPercentiles(std::span<const std::string> args);
int runReport(std::span<const std::string> args);
int runSdt2Wav(std::span<const std::string> args);
int runSdt2Txt(std::span<const std::string> args);
int runReprocess(std::span<const std::string> args);
int runLevels(std::span<const std::string> args);
int runFft(std::span<const std::string> args);
int runRt60(std::span<const std::string> args);
int runAcquire(std::span<const std::string> args);
int runRecord(std::span<const std::string> args);
int runTrigger(std::span<const std::string> args);

}  // namespace k470::cli
