// SPDX-License-Identifier: GPL-3.0-or-later
// Every input that ever made a fuzz target fail, fed again through the same entry function: the folder
// fuzz/regressions/<surface>/ holds the inputs of each surface.
#include <gtest/gtest.h>

#include <filesystem>

#include "fuzz/fuzz_entries.h"
#include "support/temp_dir.h"

namespace k470 {
namespace {

namespace fs = std::filesystem;

TEST(FuzzRegressions, EveryKeptInputRunsCleanThroughItsSurface) {
    const fs::path root = K470_FUZZ_REGRESSIONS;
    ASSERT_TRUE(fs::is_directory(root)) << root;
    int inputs = 0;
    for (const auto& folder : fs::directory_iterator(root)) {
        if (!folder.is_directory()) continue;
        const std::string name = folder.path().filename().string();
        const fuzz::Surface* surface = fuzz::surfaceNamed(name);
        ASSERT_NE(surface, nullptr) << "no surface named " << name;
        for (const auto& file : fs::directory_iterator(folder.path())) {
            SCOPED_TRACE(file.path().string());
            const std::vector<uint8_t> bytes = test::readBytes(file.path().string());
            surface->entry(bytes.data(), bytes.size());
            ++inputs;
        }
    }
    RecordProperty("inputs", inputs);
}

// Each surface takes the empty input and a little noise without failing, so a surface that breaks outright
// shows here even before a regression input exists for it.
TEST(FuzzRegressions, EverySurfaceTakesEmptyAndShortInputs) {
    const std::vector<uint8_t> noise = {'S', 'D', 'T', 'A', 0xFF, 0x00, 0x7F, 0x80,
                                        'T', 'q', '-', 'v', 'o',  'r',  'n'};
    for (const fuzz::Surface& s : fuzz::surfaces()) {
        SCOPED_TRACE(std::string(s.name));
        s.entry(noise.data(), 0);
        s.entry(noise.data(), noise.size());
    }
}

}  // namespace
}  // namespace k470
