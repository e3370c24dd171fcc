// k470-cli export: "Translate .bin to .txt" for any number of files.
#include <cstdio>
#include <string>

#include "base/file.h"
#include "base/lexicon.h"
#include "base/path_util.h"
#include "cli/cli_command.h"
#include "export/text_export.h"

namespace k470::cli {

namespace {

// Reports records that the export had to leave out, so that a partial output is never taken for a whole.
bool checkRecords(const BinFile& file) {
    bool ok = true;
    if (file.recordCount() == 0) {
        printError(file.path() + ": " + lexicon().text(Word::NoSourceData));
        ok = false;
    }
    for (int k = 1; k <= file.recordCount(); ++k) {
        auto h = file.ReadHeader(k);
        if (h && lookupRecordDimensions(h->deviceType)) continue;
        printError(file.path() + ", record " + std::to_string(k) + ": " +
                   (h ? lexicon().text(Word::UnknownFileFormat) : h.error().message));
        ok = false;
    }
    const uint64_t rest = file.file().size() % kRecordSize;
    if (rest != 0)
        printError(file.path() + ": the last " + std::to_string(rest) +
                   " bytes do not make a whole record and are not exported");
    return ok;
}

}  // namespace

int runExport(std::span<const std::string> args) {
    const Command& self = commandNamed("export");
    static constexpr std::string_view kFlags[] = {"--linear"};
    static constexpr std::string_view kValues[] = {"-o", "--output"};
    ParsedArgs p;
    if (auto done = parseCommandArgs(self, args, kFlags, kValues, p)) return *done;
    if (p.files.empty()) return usageError(self, "no file given");
    const bool linear = p.has("--linear");
    const bool outputGiven = p.has("-o") || p.has("--output");
    const std::string output = p.outputPath();
    if (outputGiven && p.files.size() != 1) return usageError(self, "-o takes exactly one input file");

    const TextExporter exporter;
    bool ok = true;
    for (const std::string& path : p.files) {
        auto bin = BinFile::Open(path);
        if (!bin) {
            printError(bin.error().message);
            return 1;  // the whole command stops; outputs already written stay
        }
        const std::string target = outputGiven ? output : withoutExtension(path) + ".txt";
        File out;
        if (target == "-") {
            out = File::StandardOutput();
        } else {
            auto created = File::Open(target, File::Mode::Create);
            if (!created) {
                printError(created.error().message);
                return 1;
            }
            out = std::move(*created);
        }
        TextWriter writer(out);
        if (auto s = translateBinToText(*bin, writer, linear, exporter); !s) {
            printError(s.error().message + " '" + target + "'");
            return 1;
        }
        if (auto s = out.close(); !s) {
            printError("Can't write the text output '" + target + "'");
            return 1;
        }
        ok = checkRecords(*bin) && ok;
    }
    return ok ? 0 : 1;
}

}  // namespace k470::cli
