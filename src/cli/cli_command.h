// SPDX-License-Identifier: GPL-3.0-or-later
// The subcommands of k470-cli. Each command parses its own arguments, writes its results to standard
// output, its messages to standard error, and returns the process exit code.
#pragma once

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/file.h"
#include "base/result.h"
#include "base/safe_write.h"

namespace k470::cli {

// The name that every message of the program starts with.
inline constexpr std::string_view kProgramName = "k470-cli";

struct Command {
    std::string_view name;
    std::string_view summary;
    std::string_view usage;  // the --help text of the command
    int (*run)(std::span<const std::string> args);
};

// Every command, in the order that the overview lists them.
std::span<const Command> commands();

// Splits command arguments into options and files. Options are given by name; those in withValue take the
// next argument (or "--name=value"). "--" ends the options. Unknown options are errors. -q/--quiet is
// accepted by every command and makes quiet() true.
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

// Prints "k470-cli: message" on a line of its own on standard error.
void printError(std::string_view message);
// Prints "k470-cli: message: reason" (the reason when the error carries one).
void printError(const Error& error);
// Progress and notes on standard error; silent with -q/--quiet.
void printNote(std::string_view message);
// True after -q/--quiet.
bool quiet();
// True when progress lines may be drawn: standard error is a terminal and -q/--quiet was not given.
bool showProgress();

// The output a command writes: standard output for "-", otherwise a safe output (base/safe_write.h).
Result<OutputFile> openOutput(const std::string& path);
// Opens the output after checking that it is none of the inputs; prints the message and gives nullopt when
// it cannot be opened or would overwrite an input.
std::optional<OutputFile> openOutputFor(const std::string& path, std::span<const std::string> inputs);
// Puts a finished output in place; prints the message and returns false when that fails.
bool commitOutput(OutputFile& out);
// Writes a text output through fill and puts it in place. A failed write is reported as "Can't write file
// 'OUT'" with the system's reason, another failure with fill's message; the output is then dropped (an
// earlier file of that name stays as it was). False when anything failed.
bool writeTextOutput(OutputFile& out, const std::function<Status(TextWriter&)>& fill);
// Input files must be regular files ("-" stands for standard input where a command allows it); prints the
// message and returns false otherwise.
bool checkInputs(std::span<const std::string> inputs);
// Writes results to standard output; a failure is remembered with its reason for finishStandardOutput.
void printOut(std::string_view text);
// Remembers a write to standard output that failed elsewhere (errno error), for finishStandardOutput.
void standardOutputFailed(int error);
// Standard input copied into an anonymous file, for commands that take "-" as their one input; the path
// to open it by. Empty (with the message printed) when it cannot be read.
std::string standardInputAsFile();
// The process's exit code once the command has returned code: standard output is flushed and its state
// checked, so that lost output (a full disk, a closed pipe) is never reported as success.
int finishStandardOutput(int code);
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
int runVibration(std::span<const std::string> args);
int runInfrasound(std::span<const std::string> args);
int runFft(std::span<const std::string> args);
int runRt60(std::span<const std::string> args);
int runAcquire(std::span<const std::string> args);
int runRecord(std::span<const std::string> args);
int runTrigger(std::span<const std::string> args);

}  // namespace k470::cli
