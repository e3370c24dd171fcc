// SPDX-License-Identifier: GPL-3.0-or-later
#include "frame/recent_file_list.h"

#include <algorithm>

namespace k470::app {

namespace {
std::string docKey(int i) {
    return "Doc" + std::to_string(i + 1);
}
}  // namespace

void RecentFileList::Load(const SettingsStore& store) {
    entries_.clear();
    for (int i = 0; i < kSize; ++i) {
        std::string value = store.ReadString("K470Dlg", docKey(i), "");
        if (!value.empty()) entries_.push_back(std::move(value));
    }
}

void RecentFileList::Save(SettingsStore& store) const {
    for (int i = 0; i < kSize; ++i)
        store.WriteString("K470Dlg", docKey(i),
                          i < static_cast<int>(entries_.size()) ? entries_[static_cast<size_t>(i)] : "");
}

void RecentFileList::Add(const std::string& path) {
    if (path.empty()) return;
    entries_.erase(std::remove(entries_.begin(), entries_.end(), path), entries_.end());
    entries_.insert(entries_.begin(), path);
    if (entries_.size() > static_cast<size_t>(kSize)) entries_.resize(kSize);
}

std::string RecentFileList::MenuText(int i) const {
    if (i < 0 || i >= static_cast<int>(entries_.size())) return "-";
    return entries_[static_cast<size_t>(i)];
}

std::optional<std::string> RecentFileList::FileAt(int i) const {
    if (i < 0 || i >= static_cast<int>(entries_.size())) return std::nullopt;
    return entries_[static_cast<size_t>(i)];
}

}  // namespace k470::app
