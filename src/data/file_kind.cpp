// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/file_kind.h"

#include <array>

#include "base/path_util.h"

namespace k470 {

namespace {

constexpr std::array<std::string_view, 1> kRecordExtensions = {".bin"};
constexpr std::array<std::string_view, 1> kSignalExtensions = {".sdt"};
constexpr std::array<std::string_view, 2> kSoundExtensions = {".wav", ".flac"};

const std::array<FileKindEntry, 3> kKinds = {{
    {FileKind::Records, kRecordExtensions},
    {FileKind::Signal, kSignalExtensions},
    {FileKind::Sound, kSoundExtensions},
}};

}  // namespace

std::span<const FileKindEntry> fileKinds() {
    return kKinds;
}

std::optional<FileKind> fileKindOfPath(std::string_view path) {
    const std::string lower = lowerCasePath(path);
    for (const FileKindEntry& entry : kKinds)
        for (std::string_view ext : entry.extensions)
            if (lower.ends_with(ext)) return entry.kind;
    return std::nullopt;
}

std::string fileKindPatterns(std::optional<FileKind> kind) {
    std::string out;
    for (const FileKindEntry& entry : kKinds) {
        if (kind && entry.kind != *kind) continue;
        for (std::string_view ext : entry.extensions) {
            if (!out.empty()) out += ' ';
            out += '*';
            out += ext;
        }
    }
    return out;
}

}  // namespace k470
