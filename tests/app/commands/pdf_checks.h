// SPDX-License-Identifier: GPL-3.0-or-later
// Looking into a written PDF with poppler's tools: its text (pdftotext) and, per page, how many pixels of
// a small greyscale rendering (pdftoppm) are dark. Tests skip these checks when the tools are missing.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "support/run_command.h"
#include "support/temp_dir.h"

namespace k470::test {

// The full path of a program found on PATH.
inline std::optional<std::string> findTool(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::istringstream dirs(path ? path : "/usr/bin:/bin");
    std::string dir;
    while (std::getline(dirs, dir, ':')) {
        const std::string candidate = (dir.empty() ? std::string(".") : dir) + "/" + name;
        if (::access(candidate.c_str(), X_OK) == 0) return candidate;
    }
    return std::nullopt;
}

inline bool havePoppler() {
    return findTool("pdftoppm") && findTool("pdftotext");
}

inline constexpr const char* kNoPoppler =
    "poppler-utils (pdftoppm, pdftotext) is not installed, so the PDF's pages are not looked into; "
    "scripts/setup installs it";

// The text of the PDF, pages separated by form feeds; empty when pdftotext fails.
inline std::string pdfText(const std::string& pdf) {
    const CommandResult r = runCommand(*findTool("pdftotext"), {"-layout", pdf, "-"});
    return r.exitCode == 0 ? r.out : std::string();
}

// Per page, the number of pixels darker than mid-grey in a 30 dpi greyscale rendering.
inline std::vector<long> darkPixelsPerPage(const std::string& pdf) {
    TempDir dir;
    const CommandResult r = runCommand(*findTool("pdftoppm"), {"-gray", "-r", "30", pdf, dir.file("page")});
    if (r.exitCode != 0) return {};
    std::vector<std::string> pages;
    for (const auto& e : std::filesystem::directory_iterator(dir.path())) pages.push_back(e.path().string());
    std::sort(pages.begin(), pages.end());
    std::vector<long> dark;
    for (const std::string& page : pages) {
        // Binary PGM: "P5", width, height, maximum value, one whitespace, then one byte per pixel.
        const std::vector<uint8_t> bytes = readBytes(page);
        std::istringstream header(
            std::string(bytes.begin(), bytes.begin() + std::min<size_t>(bytes.size(), 64)));
        std::string magic;
        long width = 0, height = 0, maximum = 0;
        header >> magic >> width >> height >> maximum;
        const auto start = static_cast<size_t>(header.tellg()) + 1;
        long count = 0;
        if (magic == "P5" && maximum == 255 && start + static_cast<size_t>(width * height) <= bytes.size())
            for (size_t i = start; i < start + static_cast<size_t>(width * height); ++i)
                count += bytes[i] < 128;
        dark.push_back(count);
    }
    return dark;
}

}  // namespace k470::test
