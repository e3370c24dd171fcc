// SPDX-License-Identifier: GPL-3.0-or-later
// Helpers shared by the signal-file commands of k470-cli: record lists, progress on standard error, the data
// directory.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "acoustics/level_records_file.h"
#include "signal/sdt_conversion.h"

namespace k470::cli {

// "all" or comma-separated 1-based numbers of used entries; empty on a malformed list (error says why).
std::optional<RecordSelection> parseRecordList(const std::string& text, std::string& error);
// Checks the numbers of a list against the used entries of the file; false with a message otherwise.
bool checkRecordList(const std::string& path, const RecordSelection& selection);

// Progress of long work on standard error when it is a terminal (and not --quiet): shown once the work has
// run for half a second, updated when the percentage changes, and ended with a line break.
class ProgressLine {
  public:
    explicit ProgressLine(std::string what) : what_(std::move(what)) {}
    ~ProgressLine();
    void update(uint32_t record, uint32_t records, int percent);

  private:
    std::string what_;
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
    int last_ = -1;
    uint32_t lastRecord_ = 0;
    bool shown_ = false;
};

// Shows the progress of an analysis of the given records (numbers from 1) on the line.
std::function<bool(int record, uint64_t frames, uint64_t total)> recordProgress(
    ProgressLine& line, const std::vector<int>& records);

// The exit code of a run that wrote measurement records: prints its error, or the note that some levels
// were stored at a record's limits.
int reportRecordsWritten(const Result<acoustics::LevelRecordsWritten>& written);

// Prints what a conversion wrote (standard output) and what is missing (standard error); the exit code.
int reportConversion(const ConversionReport& report);

// Converts the selected records of every file in turn with progress on standard error; a file that fails
// does not stop the others. The exit code: 0 when every file converted completely.
using FileConversion = std::function<Result<ConversionReport>(const std::string& path, const RecordSelection&,
                                                              const ConversionProgressFn&)>;
int convertEachFile(std::span<const std::string> files, const RecordSelection& selection,
                    const FileConversion& convert);

}  // namespace k470::cli
