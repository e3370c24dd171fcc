// SPDX-License-Identifier: GPL-3.0-or-later
// Path helpers for the names that commands propose for their outputs.
#pragma once

#include <string>
#include <string_view>

namespace k470 {

// The path without its extension: the part from the last '.' on is cut when that '.' stands after the last
// directory separator ('/', and '\' of paths written on Windows).
std::string withoutExtension(std::string_view path);
// The file name without its directory.
std::string fileNameOf(std::string_view path);
// The path in lower case (ASCII), as the "Open" command compares extensions.
std::string lowerCasePath(std::string_view path);

}  // namespace k470
