// SPDX-License-Identifier: GPL-3.0-or-later
// k470-cli: the headless tool for device data files.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/cli_command.h"

namespace {

void printOverview(std::FILE* to) {
    std::fputs("Usage: k470-cli COMMAND [OPTIONS] [FILE...]\n\nCommands:\n", to);
    for (const auto& c : k470::cli::commands())
        std::fprintf(to, "  %-12.*s %.*s\n", static_cast<int>(c.name.size()), c.name.data(),
                     static_cast<int>(c.summary.size()), c.summary.data());
    std::fputs(
        "\nOptions of every command:\n"
        "  -h, --help     the options of the command\n"
        "  -q, --quiet    no progress and no notes on standard error, only errors\n"
        "Messages start with 'k470-cli:'; the exit code is 0 on success, 1 on a failure, 2 on a usage\n"
        "error.\n"
        "\nRun 'k470-cli COMMAND --help' for the options of a command, 'k470-cli --version' for the "
        "version.\n",
        to);
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) {
        printOverview(stderr);
        return 2;
    }
    if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        printOverview(stdout);
        return k470::cli::finishStandardOutput(0);
    }
    if (args[0] == "--version" || args[0] == "-V") {
        std::fputs("k470-cli " K470_VERSION "\n", stdout);
        return k470::cli::finishStandardOutput(0);
    }
    for (const auto& c : k470::cli::commands()) {
        if (c.name == args[0])
            return k470::cli::finishStandardOutput(c.run(std::span<const std::string>(args).subspan(1)));
    }
    k470::cli::printError("unknown command '" + args[0] + "'");
    printOverview(stderr);
    return 2;
}
