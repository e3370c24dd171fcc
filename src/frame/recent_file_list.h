// SPDX-License-Identifier: GPL-3.0-or-later
// The recently opened files, newest first, at most four. They are kept in the settings as "Doc1".."Doc4"
// of section "K470Dlg" and shown as the four recent-file items of the File menu ("-" for an item without a
// file).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "base/settings_store.h"

namespace k470::app {

class RecentFileList {
  public:
    static constexpr int kSize = 4;

    // Reads "Doc1".."Doc4"; empty values are skipped, the others kept in order.
    void Load(const SettingsStore& store);
    // Writes the entries to "Doc1".."Doc4", empty strings for the keys without an entry.
    void Save(SettingsStore& store) const;

    // Puts a file at the top; an entry of the same path moves up instead of appearing twice.
    void Add(const std::string& path);
    const std::vector<std::string>& entries() const { return entries_; }
    // The text of recent-file item i (0..3): the i-th entry, or "-".
    std::string MenuText(int i) const;
    // The file that recent-file item i opens; nothing for an item without a file.
    std::optional<std::string> FileAt(int i) const;

  private:
    std::vector<std::string> entries_;
};

}  // namespace k470::app
