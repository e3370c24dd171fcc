// SPDX-License-Identifier: GPL-3.0-or-later
// The file commands of the record view without widgets: the proposed text name, "Save as text" of the
// shown (or averaged) record, one file's text translation, and the averaging range typed by the user.
#pragma once

#include <string>

#include "base/result.h"
#include "data/bin_file.h"
#include "data/dos_date_time.h"

namespace k470::views {

// The input path without its extension: the part from the last "." on is cut when that "." stands after
// the last "/".
std::string ProposedTextName(const std::string& path);

// "~k470.tmp" in the temporary directory ($TMPDIR, else /tmp).
std::string TemporaryRecordPath();

// Writes the text of record current of file to outPath (replacing it). With an averaged record, that
// record is first written, stamped with now, to tempPath and its text exported from there, so the text
// carries the average's date and time of writing. Fails with "Can't open file '<path>'" when the output or
// the temporary file cannot be created.
Status SaveShownRecordAsText(const BinFile& file, int current, const MeasurementRecord* averaged,
                             const std::string& outPath, bool linear, const std::string& tempPath,
                             const CalendarTime& now);

// Every record of one .bin file as text in dB ("Translate .bin to .txt" for one chosen file).
Status TranslateFileToText(const std::string& binPath, const std::string& txtPath);

// The averaging range as typed into the two fields: both whole numbers with 1 <= first < last <= count,
// else "Error in parameters".
Result<MeasurementRecord> AverageTypedRange(const BinFile& file, const std::string& firstText,
                                            const std::string& lastText, int current);

}  // namespace k470::views
