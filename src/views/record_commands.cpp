// SPDX-License-Identifier: GPL-3.0-or-later
#include "views/record_commands.h"

#include <cstdlib>

#include "base/file.h"
#include "base/lexicon.h"
#include "base/safe_write.h"
#include "data/record_range_average.h"
#include "export/text_export.h"

namespace k470::views {

std::string ProposedTextName(const std::string& path) {
    const size_t dot = path.rfind('.');
    const size_t slash = path.rfind('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return path;
    return path.substr(0, dot);
}

std::string TemporaryRecordPath() {
    const char* t = std::getenv("TMPDIR");
    std::string dir = t && *t ? t : "/tmp";
    if (dir.back() != '/') dir += '/';
    return dir + "~k470.tmp";
}

namespace {

Status writeText(const std::string& outPath, const std::string& text) {
    return WriteFileSafely(outPath, text);
}

}  // namespace

Status SaveShownRecordAsText(const BinFile& file, int current, const MeasurementRecord* averaged,
                             const std::string& outPath, bool linear, const std::string& tempPath,
                             const CalendarTime& now) {
    if (auto s = refuseOutputOverInput(outPath, std::span(&file.path(), 1)); !s) return s;
    const TextExporter exporter;
    std::string text;
    if (averaged) {
        if (Status s = WriteSingleRecordFile(tempPath, *averaged, now); !s) return s;
        auto temp = BinFile::Open(tempPath);
        if (!temp) return temp.error();
        auto r = exportRecordAsText(temp->file(), 0, text, linear,
                                    log10Reference(averaged->header.deviceType), exporter);
        if (!r) return r.error();
    } else {
        auto header = file.ReadHeader(current);
        if (!header) return header.error();
        auto r = exportRecordAsText(file.file(), BinFile::recordOffset(current), text, linear,
                                    log10Reference(header->deviceType), exporter);
        if (!r) return r.error();
    }
    return writeText(outPath, text);
}

Status TranslateFileToText(const std::string& binPath, const std::string& txtPath) {
    auto file = BinFile::Open(binPath);
    if (!file) return file.error();
    if (auto s = refuseOutputOverInput(txtPath, std::span(&binPath, 1)); !s) return s;
    auto out = OutputFile::Create(txtPath);
    if (!out) return out.error();
    const TextExporter exporter;
    {
        TextWriter w(out->file());
        if (Status s = translateBinToText(*file, w, false, exporter); !s) return s;
    }
    return out->Commit();
}

Result<MeasurementRecord> AverageTypedRange(const BinFile& file, const std::string& firstText,
                                            const std::string& lastText, int current) {
    auto whole = [](const std::string& t, int& v) {
        char* end = nullptr;
        const long n = std::strtol(t.c_str(), &end, 10);
        if (end == t.c_str()) return false;
        while (*end == ' ') ++end;
        if (*end != '\0' || n < 0 || n > 1000000000L) return false;
        v = static_cast<int>(n);
        return true;
    };
    int first = 0;
    int last = 0;
    if (!whole(firstText, first) || !whole(lastText, last))
        return fail(lexicon().text(Word::ErrorInParameters));
    return RecordRangeAverage(file, first, last, current);
}

}  // namespace k470::views
