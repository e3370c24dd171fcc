// SPDX-License-Identifier: GPL-3.0-or-later
// k470-cli export: "Translate .bin to .txt" for any number of files.
#include <algorithm>
#include <cstdio>
#include <string>

#include "base/lexicon.h"
#include "base/path_util.h"
#include "cli/cli_command.h"
#include "export/csv_export.h"
#include "export/text_export.h"

namespace k470::cli {

namespace {

// Reports records that the export had to leave out, so that a partial output is never taken for a whole.
bool checkRecords(const BinFile& file, const std::string& name) {
    bool ok = true;
    if (file.recordCount() == 0) {
        printError(name + ": " + lexicon().text(Word::NoSourceData));
        ok = false;
    }
    for (int k = 1; k <= file.recordCount(); ++k) {
        auto h = file.ReadHeader(k);
        if (h && lookupRecordDimensions(h->deviceType)) continue;
        printError(name + ", record " + std::to_string(k) + ": " +
                   (h ? lexicon().text(Word::UnknownFileFormat) : h.error().message));
        ok = false;
    }
    const uint64_t rest = file.file().size() % kRecordSize;
    if (rest != 0)
        printError(name + ": the last " + std::to_string(rest) +
                   " bytes do not make a whole record and are not exported");
    return ok;
}

struct ExportJob {
    std::span<const std::string> inputs;  // every input of the command, none of which may be overwritten
    bool linear = false;
    bool csv = false;
    const TextExporter& exporter;
};

// One input to its text output; false when anything of it failed (the message is printed).
bool exportOne(const std::string& name, const std::string& target, const ExportJob& job) {
    const std::string path = name == "-" ? standardInputAsFile() : name;
    if (path.empty()) return false;
    if (name != "-" && !checkInputs(std::span(&name, 1))) return false;
    auto bin = BinFile::Open(path);
    if (!bin) {
        printError(bin.error());
        return false;
    }
    auto out = openOutputFor(target, job.inputs);
    if (!out) return false;
    if (!writeTextOutput(*out, [&](TextWriter& writer) {
            if (job.csv) return WriteRecordsAsCsv(std::span(&path, 1), writer, false);
            return translateBinToText(*bin, writer, job.linear, job.exporter);
        }))
        return false;
    return checkRecords(*bin, name);
}

}  // namespace

int runExport(std::span<const std::string> args) {
    const Command& self = commandNamed("export");
    static constexpr std::string_view kFlags[] = {"--linear", "--csv"};
    static constexpr std::string_view kValues[] = {"-o", "--output"};
    ParsedArgs p;
    if (auto done = parseCommandArgs(self, args, kFlags, kValues, p)) return *done;
    if (p.files.empty()) return usageError(self, "no file given");
    const bool outputGiven = p.has("-o") || p.has("--output");
    if (outputGiven && p.files.size() != 1) return usageError(self, "-o takes exactly one input file");
    if (std::count(p.files.begin(), p.files.end(), "-") > 1)
        return usageError(self, "standard input ('-') can be read only once");

    const TextExporter exporter;
    const bool csv = p.has("--csv");
    if (csv && p.has("--linear")) return usageError(self, "--csv writes levels in dB; it takes no --linear");
    const ExportJob job{p.files, p.has("--linear"), csv, exporter};
    // Like the conversions of signal files, a file that fails does not stop the others.
    std::vector<std::string> failed;
    for (const std::string& name : p.files) {
        const std::string target =
            outputGiven ? p.outputPath()
                        : (name == "-" ? "-" : withoutExtension(name) + (csv ? ".csv" : ".txt"));
        if (!exportOne(name, target, job)) failed.push_back(name);
    }
    if (!failed.empty() && p.files.size() > 1) {
        std::string list;
        for (const std::string& f : failed) list += "\n  " + f;
        printError(std::to_string(failed.size()) + " of " + std::to_string(p.files.size()) +
                   " files not exported completely:" + list);
    }
    return failed.empty() ? 0 : 1;
}

}  // namespace k470::cli
