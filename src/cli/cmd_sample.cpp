// SPDX-License-Identifier: GPL-3.0-or-later
// k470-cli sample: a .bin file of made-up records, for trying the program without an instrument.
#include <charconv>
#include <cstdio>
#include <string>

#include "cli/cli_command.h"
#include "data/bin_file.h"
#include "data/sample_records.h"
#include "signal/sample_signals.h"

namespace k470::cli {

namespace {

// At most as many records as an autorecording writes into one file (920 MB): more would only fill the disk.
constexpr long long kMaxSampleRecords = 300'000;

bool parseNumber(const std::string& text, long long& value, int base = 10) {
    auto r = std::from_chars(text.data(), text.data() + text.size(), value, base);
    return r.ec == std::errc() && r.ptr == text.data() + text.size();
}

// A signal file (.sdt) of the kind named by --sdt.
int writeSampleSignal(const Command& self, const ParsedArgs& p, const std::string& output) {
    for (std::string_view other : {"--type", "--records", "--seed", "--vin"})
        if (p.has(other)) return usageError(self, std::string(other) + " does not go with --sdt");
    const auto kind = sampleSignalKindNamed(p.value("--sdt"));
    if (!kind) return usageError(self, "--sdt takes one of " + std::string(sampleSignalKindNames()));
    if (Status s = WriteSampleSignalFile(*kind, output); !s) {
        printError(s.error());
        return 1;
    }
    return 0;
}

}  // namespace

int runSample(std::span<const std::string> args) {
    const Command& self = commandNamed("sample");
    static constexpr std::string_view kValues[] = {"--type", "--records", "--seed",  "--vin",
                                                   "--sdt",  "-o",        "--output"};
    ParsedArgs p;
    if (auto done = parseCommandArgs(self, args, {}, kValues, p)) return *done;
    const std::string output = p.outputPath();
    if (output.empty() || !p.files.empty()) return usageError(self, "give the output file with -o");
    if (p.has("--sdt")) return writeSampleSignal(self, p, output);
    long long type = 0, records = 0, seed = 0, vin = 0;
    if (!parseNumber(p.value("--type", "3"), type) || type < 0 || type > 0xFFFF)
        return usageError(self, "--type takes a device type code");
    if (!parseNumber(p.value("--records", "1"), records) || records < 1 || records > kMaxSampleRecords)
        return usageError(self, "--records takes a number from 1 to " + std::to_string(kMaxSampleRecords));
    if (!parseNumber(p.value("--seed", "1"), seed) || seed < 0 || seed > 0xFFFFFFFFll)
        return usageError(self, "--seed takes a number from 0 to 4294967295");
    if (!parseNumber(p.value("--vin", "00A1B2C3"), vin, 16) || vin < 0 || vin > 0xFFFFFFFFll)
        return usageError(self, "--vin takes up to eight hex digits");
    // Checked before the file is made: a type without a layout would leave an empty file behind.
    if (!lookupRecordDimensions(static_cast<DeviceType>(type))) {
        printError("device type " + std::to_string(type) + " has no record layout: no records can be made");
        return 1;
    }

    // "-" writes the records to standard output; a file takes its name only when every record is in it.
    auto writer = BinFileAppender::Create(output, Placement::Whole);
    if (!writer) {
        printError(writer.error());
        return 1;
    }
    for (long long i = 0; i < records; ++i) {
        SampleRecordOptions o;
        o.type = static_cast<DeviceType>(type);
        o.vin = static_cast<uint32_t>(vin);
        o.seed = static_cast<uint32_t>(seed);
        o.index = static_cast<int>(i);
        auto record = makeSampleRecord(o);
        if (!record) {
            printError(record.error());
            return 1;
        }
        // The sample keeps the date and time it was made up with, so that equal arguments give equal files.
        const CalendarTime stamp = record->header.dateTime();
        if (auto s = writer->Append(*record, stamp); !s) {
            printError(s.error());
            return 1;
        }
    }
    if (auto s = writer->Close(); !s) {
        printError(s.error());
        return 1;
    }
    return 0;
}

}  // namespace k470::cli
