// SPDX-License-Identifier: GPL-3.0-or-later
// The kinds of file the program opens, told apart by extension (any case): measurement records (".bin"),
// signal containers (".sdt") and sound files (".wav", ".flac"). The one table that "Open", drops onto the
// window, the session factory, the analyses and `info` read.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace k470 {

enum class FileKind { Records, Signal, Sound };

struct FileKindEntry {
    FileKind kind;
    std::span<const std::string_view> extensions;  // with the dot, lower case
};

// Every kind with its extensions, in the order "Open" lists them.
std::span<const FileKindEntry> fileKinds();

// The kind a path names by its extension; nothing for any other name.
std::optional<FileKind> fileKindOfPath(std::string_view path);

// The kind's extensions as file-dialog patterns: "*.wav *.flac". Without a kind: every kind's.
std::string fileKindPatterns(std::optional<FileKind> kind = std::nullopt);

}  // namespace k470
