// SPDX-License-Identifier: GPL-3.0-or-later
// The level of one choice over all records of a file, built in steps: a window shows the file at once and
// fills the series while it is idle or when its page is first shown, instead of reading every record
// before the first paint.
#pragma once

#include <optional>
#include <vector>

#include "base/result.h"
#include "data/bin_file.h"
#include "export/level_locator.h"

namespace k470::views {

class LevelSeriesLoader {
  public:
    // The file must outlive the loader. A choice the type does not offer (or a type without decoded
    // levels) leaves the loader done at once with "Error in parameters".
    LevelSeriesLoader(const BinFile& file, DeviceType type, const LevelSelection& choice);

    // Reads up to maxRecords further records; true when the series is complete or reading failed.
    bool Step(int maxRecords);
    bool done() const { return done_; }
    // The levels of the records read so far, record 1 first.
    const std::vector<double>& values() const { return values_; }
    std::vector<double> takeValues() { return std::move(values_); }
    // Why the series stopped short, if it did.
    const std::optional<Error>& problem() const { return problem_; }
    int recordCount() const { return reader_.recordCount(); }

  private:
    BinRecordReader reader_;
    size_t offset_ = 0;
    std::vector<double> values_;
    std::optional<Error> problem_;
    bool done_ = false;
};

}  // namespace k470::views
