// SPDX-License-Identifier: GPL-3.0-or-later
// k470-cli info: what a device data file holds.
#include <cstdio>
#include <string>

#include "base/lexicon.h"
#include "base/number_format.h"
#include "base/path_util.h"
#include "base/text_encoding.h"
#include "cli/cli_command.h"
#include "data/bin_file.h"
#include "data/file_kind.h"
#include "data/sdt_container.h"

namespace k470::cli {

namespace {

std::string dateText(const CalendarTime& t) {
    std::string s;
    appendDate(s, t);
    return s;
}

std::string timeText(const CalendarTime& t) {
    std::string s;
    appendTime(s, t);
    return s;
}

// Writes the listing gathered so far once it has grown to a chunk, so that memory stays flat whatever the
// number of records.
void flushChunk(std::string& out) {
    constexpr size_t kChunk = 1 << 16;
    if (out.size() < kChunk) return;
    printOut(out);
    out.clear();
}

bool infoBin(const std::string& path, const std::string& name, std::string& out) {
    auto file = BinFile::Open(path);
    if (!file) {
        printError(file.error());
        return false;
    }
    const uint64_t size = file->file().size();
    out += "File: " + name + "\n";
    out += "Records: " + std::to_string(file->recordCount()) + "\n";
    BinRecordReader reader(*file);
    bool ok = true;
    for (int k = 1; k <= file->recordCount(); ++k) {
        auto h = reader.Header(k);
        if (!h) {
            printError(h.error());
            return false;
        }
        const CalendarTime t = h->dateTime();
        out += std::to_string(k) + ": " + dateText(t) + " " + timeText(t) + "; " +
               deviceTypeName(h->deviceType) + "; VIN: " + formatHex8(h->vin) + "\n";
        if (!lookupRecordDimensions(h->deviceType)) {
            printError(name + ", record " + std::to_string(k) + ": " +
                       lexicon().text(Word::UnknownFileFormat));
            ok = false;
        }
        flushChunk(out);
    }
    if (size % kRecordSize != 0)
        printError(name + ": the last " + std::to_string(size % kRecordSize) +
                   " bytes do not make a whole record and are not counted");
    return ok;
}

bool infoSdt(const std::string& path, const std::string& name, std::string& out) {
    auto sdt = SdtContainer::Open(path);
    if (!sdt) {
        printError(sdt.error());
        return false;
    }
    const SdtHeader& h = sdt->header();
    out += "File: " + name + "\n";
    out += "Sample rate: " + formatGeneral(h.sampleRate, 10) + " Hz\n";
    out += "Processor: " + printableText(utf16ToUtf8(h.processor)) + "\n";
    out += "Channels: " + std::to_string(h.presentChannels()) + " (mask " +
           std::to_string(h.channelMask & 7) + ")\n";
    for (int k = 0; k < 3; ++k) {
        if (!(h.channelMask & (1 << k))) continue;
        out += "  ch" + std::to_string(k + 1) + ": units '" + printableText(utf16ToUtf8(h.units[k])) +
               "', 0 dB = " + formatGeneral(h.referenceValue[k], 10) + "\n";
    }
    const DirectoryWalk walk = sdt->walkEntries();
    out += "Records: " + std::to_string(walk.entries.size()) + "\n";
    bool ok = true;
    for (const IndexedEntry& e : walk.entries) {
        const CalendarTime t = unpackEntry(e.entry.date, e.entry.time);
        const double seconds = h.sampleRate > 0 ? e.entry.frameCount / h.sampleRate : 0.0;
        out += std::to_string(e.ordinal + 1) + ": entry " + std::to_string(e.number) + "; " + dateText(t) +
               " " + timeText(t) + "; " + std::to_string(e.entry.frameCount) + " frames (" +
               formatFixed(seconds, 1) + " s); " + deviceTypeName(e.entry.deviceType) +
               "; VIN: " + formatHex8(e.entry.vin) + "\n";
        if (auto s = sdt->checkEntryData(e.entry); !s) {
            printError(s.error().message + " (record " + std::to_string(e.ordinal + 1) + ")");
            ok = false;
        }
    }
    if (walk.problem) {
        printError(walk.problem->message);
        ok = false;
    }
    return ok;
}

}  // namespace

int runInfo(std::span<const std::string> args) {
    const Command& self = commandNamed("info");
    ParsedArgs p;
    if (auto done = parseCommandArgs(self, args, {}, {}, p)) return *done;
    if (p.files.empty()) return usageError(self, "no file given");
    bool ok = true;
    for (size_t i = 0; i < p.files.size(); ++i) {
        std::string out;
        if (i > 0) out += "\n";
        const std::string& name = p.files[i];
        bool done = false;
        if (name == "-") {
            // Standard input has no name to tell the kind by: a signal file has a header that says so.
            const std::string path = standardInputAsFile();
            done = !path.empty() &&
                   (SdtContainer::Open(path) ? infoSdt(path, name, out) : infoBin(path, name, out));
        } else if (checkInputs(std::span(&name, 1))) {
            done =
                fileKindOfPath(name) == FileKind::Records ? infoBin(name, name, out) : infoSdt(name, name, out);
        }
        printOut(out);
        ok = ok && done;
    }
    return ok ? 0 : 1;
}

}  // namespace k470::cli
