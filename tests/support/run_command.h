// SPDX-License-Identifier: GPL-3.0-or-later
// Runs a program with arguments and collects its exit code and both output streams (for the CLI tests).
#pragma once

#include <string>
#include <vector>

namespace k470::test {

struct CommandResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

CommandResult runCommand(const std::string& program, const std::vector<std::string>& args);

// Runs a shell line in a directory with $CLI set to the program, bounded by a 20 s timeout so that a hang
// fails the test instead of stopping it (exit code 124 then).
CommandResult runShellIn(const std::string& directory, const std::string& program, const std::string& line);

}  // namespace k470::test
