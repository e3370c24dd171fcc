// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/merge.h"

#include "base/lexicon.h"
#include "data/bin_file.h"

namespace k470 {

Status MergeToText(std::span<const std::string> paths, TextWriter& out, const TextExporter& exporter) {
    const Lexicon& words = lexicon();
    for (const std::string& path : paths) {
        std::string& text = out.buffer();
        text += "\r\n    ";
        text += exporter.word(Word::File);
        text += ' ';
        text += toCodePage(path, words.codePage());
        text += "\r\n";
        auto file = BinFile::Open(path);
        if (!file) {
            out.flush();
            return file.error();
        }
        if (auto s = translateBinToText(*file, out, false, exporter); !s) return s;
    }
    if (!out.flush()) return fail("Can't write the text output");
    return {};
}

}  // namespace k470
