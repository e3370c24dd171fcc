// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/path_util.h"

namespace k470 {

namespace {

size_t lastSeparator(std::string_view path) {
    return path.find_last_of("/\\");
}

}  // namespace

std::string withoutExtension(std::string_view path) {
    const size_t dot = path.rfind('.');
    const size_t sep = lastSeparator(path);
    if (dot == std::string_view::npos || (sep != std::string_view::npos && dot < sep))
        return std::string(path);
    return std::string(path.substr(0, dot));
}

std::string fileNameOf(std::string_view path) {
    const size_t sep = lastSeparator(path);
    return std::string(sep == std::string_view::npos ? path : path.substr(sep + 1));
}

std::string lowerCasePath(std::string_view path) {
    std::string s(path);
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    return s;
}

}  // namespace k470
