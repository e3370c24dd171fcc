// SPDX-License-Identifier: GPL-3.0-or-later
// The program's settings file: "[section]" and "key=value" lines, read and written key by key like a
// Windows private profile file. Sections and keys are compared without regard to case, values are kept
// verbatim, files written on Windows (CR LF line ends) read the same. Nothing is cached: every read goes to
// the file, so a value written by one part of the program is seen by every other at once.
#pragma once

#include <string>
#include <string_view>

namespace k470 {

class SettingsStore {
  public:
    explicit SettingsStore(std::string path);
    // $XDG_CONFIG_HOME/k470/k470.ini (with $HOME/.config when XDG_CONFIG_HOME is not set).
    static std::string defaultPath();

    const std::string& path() const { return path_; }

    // The integer of a key (its leading decimal number); def when the file, the section or the key is
    // missing or the value does not start with a decimal number that fits an int.
    int ReadInt(std::string_view section, std::string_view key, int def) const;
    // The value of a key as written, without blanks around it; def when the file, the section or the key
    // is missing.
    std::string ReadString(std::string_view section, std::string_view key, std::string_view def) const;
    // Sets a key, adding the section and the key when missing and keeping every other line as it was.
    // Creates the file and its directory when needed; the file is replaced in one step, so a failed write
    // leaves the old file whole. Returns false when it could not be written.
    bool WriteInt(std::string_view section, std::string_view key, int value);
    bool WriteString(std::string_view section, std::string_view key, std::string_view value);

  private:
    std::string path_;
};

}  // namespace k470
