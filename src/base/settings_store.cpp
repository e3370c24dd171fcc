// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/settings_store.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <optional>
#include <vector>

#include "base/safe_write.h"

namespace k470 {

namespace {

bool equalNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

struct Lines {
    std::vector<std::string> lines;  // without line ends
    bool crlf = false;
};

std::optional<std::string> readWhole(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    std::string text;
    char buffer[8192];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        text.append(buffer, static_cast<size_t>(n));
    }
    ::close(fd);
    return text;
}

Lines splitLines(const std::string& text) {
    Lines out;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
            out.crlf = true;
        }
        out.lines.push_back(std::move(line));
        start = end + 1;
    }
    return out;
}

// The name of a "[section]" line, or nothing for another line.
std::optional<std::string_view> sectionName(std::string_view line) {
    line = trim(line);
    if (line.size() < 2 || line.front() != '[') return std::nullopt;
    const size_t close = line.find(']');
    if (close == std::string_view::npos) return std::nullopt;
    return trim(line.substr(1, close - 1));
}

// Splits a "key=value" line; nothing for a line without '='.
bool splitKey(std::string_view line, std::string_view& key, std::string_view& value) {
    const size_t eq = line.find('=');
    if (eq == std::string_view::npos) return false;
    key = trim(line.substr(0, eq));
    value = line.substr(eq + 1);
    return true;
}

// Index of the line holding the key inside the section; also the index of the section's header line and
// of the line after the section's last key (where a new key goes).
struct Place {
    int section = -1;
    int key = -1;
    int insertAt = -1;
};

Place find(const std::vector<std::string>& lines, std::string_view section, std::string_view key) {
    Place p;
    bool inside = false;
    for (int i = 0; i < static_cast<int>(lines.size()); ++i) {
        const std::string_view line = lines[static_cast<size_t>(i)];
        if (auto name = sectionName(line)) {
            if (inside) break;  // the section ended; a repeated section later is not looked at
            inside = equalNoCase(*name, section);
            if (inside) {
                p.section = i;
                p.insertAt = i + 1;
            }
            continue;
        }
        if (!inside) continue;
        std::string_view k, v;
        if (splitKey(line, k, v)) {
            p.insertAt = i + 1;
            if (equalNoCase(k, key)) {
                p.key = i;
                return p;
            }
        }
    }
    return p;
}

bool makeDirectories(const std::string& dir) {
    if (dir.empty()) return true;
    struct stat st {};
    if (::stat(dir.c_str(), &st) == 0) return S_ISDIR(st.st_mode);
    const size_t slash = dir.find_last_of('/');
    if (slash != std::string::npos && slash > 0 && !makeDirectories(dir.substr(0, slash))) return false;
    return ::mkdir(dir.c_str(), 0700) == 0 || errno == EEXIST;
}

bool writeAtomically(const std::string& path, const std::string& text) {
    const size_t slash = path.find_last_of('/');
    if (slash != std::string::npos && !makeDirectories(path.substr(0, slash))) return false;
    return WriteFileSafely(path, text).ok();
}

}  // namespace

SettingsStore::SettingsStore(std::string path) : path_(std::move(path)) {}

std::string SettingsStore::defaultPath() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    std::string base;
    if (xdg && *xdg == '/') {
        base = xdg;
    } else {
        const char* home = std::getenv("HOME");
        base = std::string(home && *home ? home : ".") + "/.config";
    }
    return base + "/k470/k470.ini";
}

std::string SettingsStore::ReadString(std::string_view section, std::string_view key,
                                      std::string_view def) const {
    const auto text = readWhole(path_);
    if (!text) return std::string(def);
    const Lines l = splitLines(*text);
    const Place p = find(l.lines, section, key);
    if (p.key < 0) return std::string(def);
    std::string_view k, v;
    splitKey(l.lines[static_cast<size_t>(p.key)], k, v);
    return std::string(trim(v));  // blanks around the value are not part of it, as in profile files
}

int SettingsStore::ReadInt(std::string_view section, std::string_view key, int def) const {
    const std::string text = ReadString(section, key, {});
    std::string_view v = trim(text);
    if (!v.empty() && v.front() == '+') v.remove_prefix(1);
    // The leading decimal number counts ("12 ms" reads 12), as profile files are read; a value without one,
    // or one that does not fit, gives the default rather than a made-up 0.
    int value = 0;
    const auto r = std::from_chars(v.data(), v.data() + v.size(), value);
    if (v.empty() || r.ec != std::errc()) return def;
    return value;
}

bool SettingsStore::WriteString(std::string_view section, std::string_view key, std::string_view value) {
    // A key or section name with a line break or '=' / ']' in it could not be read back as written.
    if (trim(key).empty()) return false;
    for (char c : key)
        if (c == '\n' || c == '\r' || c == '=') return false;
    for (char c : section)
        if (c == '\n' || c == '\r' || c == ']') return false;
    for (char c : value)
        if (c == '\n' || c == '\r') return false;
    const auto text = readWhole(path_);
    Lines l = text ? splitLines(*text) : Lines{};
    const Place p = find(l.lines, section, key);
    std::string line = std::string(key) + "=" + std::string(value);
    if (p.key >= 0) {
        // The key keeps the spelling it has in the file; only its value changes.
        std::string_view oldKey, oldValue;
        splitKey(l.lines[static_cast<size_t>(p.key)], oldKey, oldValue);
        l.lines[static_cast<size_t>(p.key)] = std::string(oldKey) + "=" + std::string(value);
    } else if (p.section >= 0) {
        l.lines.insert(l.lines.begin() + p.insertAt, std::move(line));
    } else {
        if (!l.lines.empty() && !trim(l.lines.back()).empty()) l.lines.emplace_back();
        l.lines.push_back("[" + std::string(section) + "]");
        l.lines.push_back(std::move(line));
    }
    std::string out;
    const char* end = l.crlf ? "\r\n" : "\n";
    for (const auto& s : l.lines) {
        out += s;
        out += end;
    }
    return writeAtomically(path_, out);
}

bool SettingsStore::WriteInt(std::string_view section, std::string_view key, int value) {
    return WriteString(section, key, std::to_string(value));
}

}  // namespace k470
