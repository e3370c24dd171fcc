// SPDX-License-Identifier: GPL-3.0-or-later
#include "signal/filter_library.h"

#include <algorithm>
#include <filesystem>

#include "base/byte_order.h"
#include "base/file.h"
#include "base/lexicon.h"
#include "base/text_encoding.h"

namespace k470 {

namespace {

constexpr size_t kNameBytes = 256;
// Smallest entry: two integers, the name and three empty arrays.
constexpr uint64_t kMinEntryBytes = 4 + 4 + kNameBytes + 3 * 4;

// Reads one file field by field with the bytes left known, so that no count is trusted before it is checked.
class Reader {
  public:
    Reader(const File& file, uint64_t size) : file_(file), size_(size) {}
    uint64_t left() const { return size_ - at_; }
    bool u32(uint32_t& v) {
        uint8_t b[4];
        if (left() < 4 || !file_.readAt(at_, b, 4)) return false;
        at_ += 4;
        v = readU32(b);
        return true;
    }
    bool bytes(uint8_t* p, size_t n) {
        if (left() < n || !file_.readAt(at_, p, n)) return false;
        at_ += n;
        return true;
    }
    bool doubles(std::vector<double>& out) {
        uint32_t count = 0;
        if (!u32(count) || left() / 8 < count) return false;
        std::vector<uint8_t> raw(size_t{count} * 8);
        if (!bytes(raw.data(), raw.size())) return false;
        out.resize(count);
        for (uint32_t i = 0; i < count; ++i) out[i] = readF64(&raw[size_t{i} * 8]);
        return true;
    }

  private:
    const File& file_;
    uint64_t size_;
    uint64_t at_ = 0;
};

std::u16string readName(uint8_t* p) {
    p[kNameBytes - 1] = 0;  // the last byte is always taken as 0
    std::u16string s;
    for (size_t i = 0; i < kNameBytes / 2; ++i) {
        const char16_t c = readU16(p + 2 * i);
        if (c == 0) break;
        s += c;
    }
    return s;
}

void appendU32(std::vector<uint8_t>& out, uint32_t v) {
    const size_t at = out.size();
    out.resize(at + 4);
    writeU32(&out[at], v);
}

void appendDoubles(std::vector<uint8_t>& out, const std::vector<double>& v) {
    appendU32(out, static_cast<uint32_t>(v.size()));
    const size_t at = out.size();
    out.resize(at + 8 * v.size());
    for (size_t i = 0; i < v.size(); ++i) writeF64(&out[at + 8 * i], v[i]);
}

}  // namespace

const FilterDefinition* FilterLibrary::at(int index) const {
    if (index < 0 || static_cast<size_t>(index) >= filters.size()) return nullptr;
    return &filters[static_cast<size_t>(index)];
}

int FilterLibrary::find(const std::u16string& name) const {
    for (size_t i = 0; i < filters.size(); ++i)
        if (filters[i].name == name) return static_cast<int>(i);
    return -1;
}

Status readFilterLibraryFile(const std::string& path, FilterLibrary& library) {
    auto file = File::Open(path, File::Mode::Read);
    if (!file) return file.error();
    Reader r(*file, file->size());
    uint32_t count = 0;
    if (!r.u32(count)) return fail(Word::FilterLibraryCutShort, {path});
    if (count > r.left() / kMinEntryBytes)
        return fail(Word::FilterLibraryTooManyFilters, {path, std::to_string(count)});
    for (uint32_t i = 0; i < count; ++i) {
        FilterDefinition f;
        uint8_t name[kNameBytes];
        if (!r.u32(f.decimation) || !r.u32(f.order) || !r.bytes(name, sizeof name) || !r.doubles(f.lowPass) ||
            !r.doubles(f.numerator) || !r.doubles(f.denominator))
            return fail(Word::FilterCutShort, {std::to_string(i + 1), path});
        if (f.order > kMaxFilterDelay)
            return fail(Word::FilterDelayBeyondLimit, {std::to_string(i + 1), path, std::to_string(f.order)});
        f.name = readName(name);
        library.filters.push_back(std::move(f));
    }
    return {};
}

FilterLibraryLoad loadFilterLibrary(const std::string& directory) {
    FilterLibraryLoad load;
    std::vector<std::string> names;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(directory, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.size() < 4) continue;
        std::string ext = name.substr(name.size() - 4);
        std::transform(ext.begin(), ext.end(), ext.begin(),
                       [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
        if (ext == ".slb") names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
        const std::string path = (std::filesystem::path(directory) / name).string();
        if (auto s = readFilterLibraryFile(path, load.library); !s) load.problems.push_back(s.error());
    }
    return load;
}

std::vector<uint8_t> encodeFilterLibrary(const std::vector<FilterDefinition>& filters) {
    std::vector<uint8_t> out;
    appendU32(out, static_cast<uint32_t>(filters.size()));
    for (const FilterDefinition& f : filters) {
        appendU32(out, f.decimation);
        appendU32(out, f.order);
        const size_t at = out.size();
        out.resize(at + kNameBytes, 0);
        for (size_t i = 0; i < std::min<size_t>(f.name.size(), kNameBytes / 2); ++i)
            writeU16(&out[at + 2 * i], f.name[i]);
        appendDoubles(out, f.lowPass);
        appendDoubles(out, f.numerator);
        appendDoubles(out, f.denominator);
    }
    return out;
}

}  // namespace k470
