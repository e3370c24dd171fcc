// SPDX-License-Identifier: GPL-3.0-or-later
// Locale-independent number formatting for files and exports. The GUI sets the process locale from the
// environment, so the printf family would write "1234,57" under a German locale; these functions give the
// digits of the C formats named beside them in every locale.
#pragma once

#include <cstdint>
#include <string>

namespace k470 {

// "%.<precision>lf"
void appendFixed(std::string& out, double value, int precision);
// "%.<precision>lg"
void appendGeneral(std::string& out, double value, int precision);
// "%d", or "%0<width>d" when width > 0
void appendInt(std::string& out, long long value, int width = 0);
// "%08X"
void appendHex8(std::string& out, uint32_t value);

std::string formatFixed(double value, int precision);
std::string formatGeneral(double value, int precision);
std::string formatHex8(uint32_t value);

// Parses a whole text as a number, as "%lg" would read it (leading blanks allowed, trailing text not).
bool parseDouble(std::string_view text, double& value);

}  // namespace k470
