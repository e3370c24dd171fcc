// The program's settings file: "[section]" and "key=value" lines. Sections and keys match without regard to
// case, values are kept verbatim (no quoting or escaping), integers are decimal text. Every read goes to the
// file and every write rewrites it, so two parts of the program never see different values. Files written
// on Windows (CR LF line ends) read the same.
#pragma once

#include <string>
#include <string_view>

namespace k470 {

class SettingsStore {
public:
    // The settings at the given path; the directory is created on the first write when missing.
    explicit SettingsStore(std::string path) : path_(std::move(path)) {}
    // $XDG_CONFIG_HOME/k470/k470.ini, or ~/.config/k470/k470.ini.
    static std::string defaultPath();

    const std::string& path() const { return path_; }

    // The value of the key, or the default when the file, the section or the key is missing. An integer
    // value is read like the leading decimal number of the text (0 when there is none).
    int readInt(std::string_view section, std::string_view key, int fallback) const;
    std::string readString(std::string_view section, std::string_view key, std::string_view fallback) const;
    // False when the file cannot be written, or for an entry that the file cannot hold (a line break
    // anywhere, '=' in the key, ']' in the section, an empty key).
    bool writeInt(std::string_view section, std::string_view key, int value);
    bool writeString(std::string_view section, std::string_view key, std::string_view value);

private:
    std::string path_;
};

}  // namespace k470
