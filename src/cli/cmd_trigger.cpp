// SPDX-License-Identifier: GPL-3.0-or-later
// k470-cli trigger: sets the external-trigger event that starts an armed autorecording.
#include <cstdio>

#include "base/named_event.h"
#include "cli/cli_command.h"

namespace k470::cli {

int runTrigger(std::span<const std::string> args) {
    const Command& self = commandNamed("trigger");
    ParsedArgs p;
    if (auto done = parseCommandArgs(self, args, {}, {}, p)) return *done;
    if (!p.files.empty()) return usageError(self, "trigger takes no arguments");
    auto e = NamedEvent::Open(kAutoSaveEventName);
    if (!e) {
        printError(e.error());
        return 1;
    }
    e->Set();
    return 0;
}

}  // namespace k470::cli
