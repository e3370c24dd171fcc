#include "base/settings_store.h"

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "base/number_format.h"

namespace k470 {

namespace {

std::string trim(std::string_view s) {
    size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t' || s[e - 1] == '\r')) --e;
    return std::string(s.substr(b, e - b));
}

bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

std::vector<std::string> readLines(const std::string& path) {
    std::vector<std::string> lines;
    std::ifstream in(path, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::move(line));
    }
    return lines;
}

// The section name of a "[name]" line.
std::optional<std::string> sectionOf(const std::string& line) {
    std::string t = trim(line);
    if (t.size() < 2 || t.front() != '[') return std::nullopt;
    size_t close = t.find(']');
    if (close == std::string::npos) return std::nullopt;
    return trim(std::string_view(t).substr(1, close - 1));
}

// The key of a "key=value" line, and where its value starts.
std::optional<std::pair<std::string, size_t>> keyOf(const std::string& line) {
    size_t eq = line.find('=');
    if (eq == std::string::npos) return std::nullopt;
    std::string key = trim(std::string_view(line).substr(0, eq));
    if (key.empty() || key[0] == ';') return std::nullopt;
    return std::make_pair(key, eq + 1);
}

std::optional<std::string> lookup(const std::string& path, std::string_view section, std::string_view key) {
    bool inSection = false;
    for (const std::string& line : readLines(path)) {
        if (auto s = sectionOf(line)) {
            inSection = sameName(*s, section);
            continue;
        }
        if (!inSection) continue;
        if (auto k = keyOf(line); k && sameName(k->first, key)) return trim(std::string_view(line).substr(k->second));
    }
    return std::nullopt;
}

bool makeParents(const std::string& path) {
    for (size_t i = 1; i < path.size(); ++i) {
        if (path[i] != '/') continue;
        std::string dir = path.substr(0, i);
        if (::mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) return false;
    }
    return true;
}

}  // namespace

std::string SettingsStore::defaultPath() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    std::string base;
    if (config && *config) {
        base = config;
    } else {
        const char* home = std::getenv("HOME");
        base = std::string(home ? home : ".") + "/.config";
    }
    return base + "/k470/k470.ini";
}

int SettingsStore::readInt(std::string_view section, std::string_view key, int fallback) const {
    auto v = lookup(path_, section, key);
    if (!v) return fallback;
    // Like the platform's profile reader: the leading decimal number, 0 when the text has none.
    const char* p = v->c_str();
    bool negative = false;
    if (*p == '-' || *p == '+') negative = *p++ == '-';
    long long n = 0;
    while (*p >= '0' && *p <= '9') {
        n = n * 10 + (*p++ - '0');
        if (n > 0xFFFFFFFFll) break;
    }
    return static_cast<int>(static_cast<uint32_t>(negative ? -n : n));
}

std::string SettingsStore::readString(std::string_view section, std::string_view key,
                                      std::string_view fallback) const {
    auto v = lookup(path_, section, key);
    return v ? *v : std::string(fallback);
}

bool SettingsStore::writeInt(std::string_view section, std::string_view key, int value) {
    std::string text;
    appendInt(text, value);
    return writeString(section, key, text);
}

bool SettingsStore::writeString(std::string_view section, std::string_view key, std::string_view value) {
    // Nothing is escaped, so a line break in any part, '=' in a key or ']' in a section would change what
    // the file says on the next read: such entries are refused.
    auto hasBreak = [](std::string_view t) { return t.find_first_of("\r\n") != std::string_view::npos; };
    if (hasBreak(section) || hasBreak(key) || hasBreak(value) || key.find('=') != std::string_view::npos ||
        section.find(']') != std::string_view::npos || trim(key).empty())
        return false;
    std::vector<std::string> lines = readLines(path_);
    const std::string entry = std::string(key) + "=" + std::string(value);
    bool inSection = false, done = false;
    size_t sectionEnd = std::string::npos;  // line after the last line of the section
    for (size_t i = 0; i < lines.size() && !done; ++i) {
        if (auto s = sectionOf(lines[i])) {
            inSection = sameName(*s, section);
            if (inSection) sectionEnd = i + 1;
            continue;
        }
        if (!inSection) continue;
        if (auto k = keyOf(lines[i]); k && sameName(k->first, key)) {
            lines[i] = std::string(k->first) + "=" + std::string(value);
            done = true;
        } else if (!trim(lines[i]).empty()) {
            sectionEnd = i + 1;
        }
    }
    if (!done) {
        if (sectionEnd == std::string::npos) {
            if (!lines.empty() && !trim(lines.back()).empty()) lines.emplace_back();
            lines.push_back("[" + std::string(section) + "]");
            lines.push_back(entry);
        } else {
            lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(sectionEnd), entry);
        }
    }
    if (!makeParents(path_)) return false;
    // Written beside the file and renamed over it, so a failed write leaves the old settings intact.
    const std::string temp = path_ + ".tmp";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out) return false;
        for (const std::string& l : lines) out << l << '\n';
        out.flush();
        if (!out) {
            ::unlink(temp.c_str());
            return false;
        }
    }
    return ::rename(temp.c_str(), path_.c_str()) == 0;
}

}  // namespace k470
