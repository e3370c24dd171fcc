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

}  // namespace k470::test
