// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/report_config.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "base/byte_order.h"
#include "base/file.h"
#include "base/lexicon.h"
#include "base/safe_write.h"
#include "base/text_encoding.h"

namespace k470 {

namespace {

class Reader {
  public:
    explicit Reader(const std::vector<uint8_t>& bytes) : bytes_(bytes) {}
    uint64_t left() const { return bytes_.size() - pos_; }
    bool u32(uint32_t& v) {
        if (left() < 4) return false;
        v = readU32(bytes_.data() + pos_);
        pos_ += 4;
        return true;
    }
    bool text(uint32_t units, std::u16string& s) {
        if (left() / 2 < units) return false;
        s.resize(units);
        for (uint32_t i = 0; i < units; ++i)
            s[i] = static_cast<char16_t>(readU16(bytes_.data() + pos_ + 2 * i));
        pos_ += 2 * static_cast<uint64_t>(units);
        return true;
    }

  private:
    const std::vector<uint8_t>& bytes_;
    size_t pos_ = 0;
};

void putU32(std::vector<uint8_t>& out, uint32_t v) {
    uint8_t b[4];
    writeU32(b, v);
    out.insert(out.end(), b, b + 4);
}

}  // namespace

ReportConfig ReportConfig::Parse(const std::vector<uint8_t>& bytes) {
    ReportConfig config;
    if (bytes.empty()) return config;
    Reader in(bytes);
    uint32_t count = 0;
    bool sound = in.u32(count);
    // An entry takes at least 8 bytes and a column at least 8, so no count can exceed what is left / 8.
    for (uint32_t e = 0; sound && e < count; ++e) {
        ReportConfigEntry entry;
        uint32_t columns = 0;
        if (!in.u32(entry.type) || !in.u32(columns)) {
            sound = false;
            break;
        }
        for (uint32_t c = 0; c < columns; ++c) {
            StoredReportColumn column;
            uint32_t length = 0;
            if (!in.u32(column.code) || !in.u32(length) || !in.text(length, column.name)) {
                sound = false;
                break;
            }
            entry.columns.push_back(std::move(column));
        }
        auto same = std::find_if(config.entries_.begin(), config.entries_.end(),
                                 [&](const ReportConfigEntry& x) { return x.type == entry.type; });
        if (same != config.entries_.end())
            same->columns = std::move(entry.columns);
        else
            config.entries_.push_back(std::move(entry));
    }
    if (sound && in.left() != 0) sound = false;
    config.damaged_ = !sound;
    return config;
}

ReportConfig ReportConfig::Read(const std::string& path) {
    ReportConfig unreadable;
    unreadable.unreadable_ = true;
    auto file = File::Open(path, File::Mode::Read);
    if (!file) {
        std::error_code ec;
        return std::filesystem::exists(path, ec) || ec ? unreadable : ReportConfig{};
    }
    std::vector<uint8_t> bytes(static_cast<size_t>(file->size()));
    if (!bytes.empty() && !file->readAt(0, bytes.data(), bytes.size())) return unreadable;
    return Parse(bytes);
}

std::vector<uint8_t> ReportConfig::Serialize() const {
    std::vector<uint8_t> out;
    putU32(out, static_cast<uint32_t>(entries_.size()));
    for (const ReportConfigEntry& e : entries_) {
        putU32(out, e.type);
        putU32(out, static_cast<uint32_t>(e.columns.size()));
        for (const StoredReportColumn& c : e.columns) {
            putU32(out, c.code);
            putU32(out, static_cast<uint32_t>(c.name.size()));
            for (char16_t u : c.name) {
                out.push_back(static_cast<uint8_t>(u & 0xFF));
                out.push_back(static_cast<uint8_t>(u >> 8));
            }
        }
    }
    return out;
}

Status ReportConfig::Write(const std::string& path) const {
    if (unreadable_) return fail(lexicon().cantWriteFile(path));
    const std::vector<uint8_t> bytes = Serialize();
    return WriteFileSafely(path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

ReportColumnList ReportConfig::columnsFor(DeviceType type) const {
    ReportColumnList list;
    for (const ReportConfigEntry& e : entries_) {
        if (e.type != type) continue;
        for (const StoredReportColumn& c : e.columns)
            if (isLevelChoice(type, reportColumnSelection(c.code))) list.Add({c.code, utf16ToUtf8(c.name)});
    }
    return list;
}

void ReportConfig::setColumns(DeviceType type, const ReportColumnList& columns) {
    ReportConfigEntry entry{type, {}};
    for (const ReportColumn& c : columns.columns()) entry.columns.push_back({c.code, utf8ToUtf16(c.name)});
    for (ReportConfigEntry& e : entries_) {
        if (e.type == type) {
            e = std::move(entry);
            return;
        }
    }
    entries_.push_back(std::move(entry));
}

}  // namespace k470
