// SPDX-License-Identifier: GPL-3.0-or-later
// Where the program keeps its own files.
#pragma once

#include <string>

namespace k470 {

// The data directory for presets ("cust_proc.dat"), filter libraries ("*.slb"), "report.cfg" and
// language files: $K470_DATA_DIR, else $XDG_DATA_HOME/k470, else ~/.local/share/k470.
std::string dataDirectory();

}  // namespace k470
