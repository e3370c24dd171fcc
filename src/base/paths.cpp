// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/paths.h"

#include <cstdlib>

namespace k470 {

std::string dataDirectory() {
    if (const char* d = std::getenv("K470_DATA_DIR"); d != nullptr && *d != '\0') return d;
    if (const char* x = std::getenv("XDG_DATA_HOME"); x != nullptr && *x == '/')
        return std::string(x) + "/k470";
    const char* home = std::getenv("HOME");
    return std::string(home != nullptr && *home != '\0' ? home : ".") + "/.local/share/k470";
}

}  // namespace k470
