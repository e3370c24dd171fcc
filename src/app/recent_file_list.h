// The recently opened files, newest first, at most four. They are kept in the settings as "Doc1".."Doc4"
// of section "K470Dlg" and shown as the menu items 208..211 ("-" for an item without a file).
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
    // The text of menu item 208 + i: the i-th entry, or "-".
    std::string MenuText(int i) const;
    // The file that menu item id opens; nothing for an id outside 208..211 or an item without a file.
    std::optional<std::string> FileForCommand(int id) const;

  private:
    std::vector<std::string> entries_;
};

}  // namespace k470::app
