// SPDX-License-Identifier: GPL-3.0-or-later
// Text conversions. Inside the program text is UTF-8; the file formats keep UTF-16LE names, and text
// outputs are written in the 8-bit code page of the active language (Windows-1252 for English and the
// other western languages, Windows-1251 for Russian), with '?' for characters the code page lacks.
#pragma once

#include <string>
#include <string_view>

namespace k470 {

enum class CodePage { Windows1252, Windows1251 };

std::string toCodePage(std::string_view utf8, CodePage codePage);
std::string fromCodePage(std::string_view bytes, CodePage codePage);

std::u16string utf8ToUtf16(std::string_view utf8);
std::string utf16ToUtf8(std::u16string_view utf16);

// Lower-cases ASCII letters and the Cyrillic and Latin-1 letters of the two code pages (UTF-8 in and out).
std::string toLowerText(std::string_view utf8);

// Text from a file made safe to show: control characters (C0, DEL and C1, which a terminal would obey)
// become "\xNN" escapes of their code, bytes that are not UTF-8 become U+FFFD, the rest stays as it is.
std::string printableText(std::string_view utf8);

}  // namespace k470
