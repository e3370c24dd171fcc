// SPDX-License-Identifier: GPL-3.0-or-later
// "Merge to one .txt": the text export of every record of several record files in one text output, each
// file's part opened by a line naming the file.
#pragma once

#include <span>
#include <string>

#include "base/file.h"
#include "base/result.h"
#include "export/text_export.h"

namespace k470 {

// For each file in order: an empty line and "    File <path>", then every record in dB (a "Record" line
// before each when the file holds more than one). A file that cannot be opened ends the merge with
// "Can't open file '<path>'"; what was written before it stays in the output.
Status MergeToText(std::span<const std::string> paths, TextWriter& out, const TextExporter& exporter);

}  // namespace k470
