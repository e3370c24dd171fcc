// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/file_kind.h"

#include <gtest/gtest.h>

namespace k470 {
namespace {

TEST(FileKind, KnownByTheLastExtensionInAnyCase) {
    const struct {
        const char* path;
        std::optional<FileKind> kind;
    } cases[] = {
        {"LEVELS.BIN", FileKind::Records}, {"/x/y.Sdt", FileKind::Signal},
        {"a.wav", FileKind::Sound},        {"/x/B.WAV", FileKind::Sound},
        {"c.Flac", FileKind::Sound},       {"a.wav.bin", FileKind::Records},
        {"/x/bin", std::nullopt},          {"wav", std::nullopt},
        {"a.sdt.txt", std::nullopt},       {"", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(fileKindOfPath(c.path), c.kind) << c.path;
}

TEST(FileKind, PatternsListEveryExtensionOnce) {
    EXPECT_EQ(fileKindPatterns(), "*.bin *.sdt *.wav *.flac");
    EXPECT_EQ(fileKindPatterns(FileKind::Sound), "*.wav *.flac");
    for (const FileKindEntry& entry : fileKinds())
        for (std::string_view ext : entry.extensions)
            EXPECT_EQ(fileKindOfPath("x" + std::string(ext)), entry.kind);
}

}  // namespace
}  // namespace k470
