// SPDX-License-Identifier: GPL-3.0-or-later
#include "views/level_series.h"

#include <algorithm>

#include "base/byte_order.h"
#include "base/lexicon.h"

namespace k470::views {

LevelSeriesLoader::LevelSeriesLoader(const BinFile& file, DeviceType type, const LevelSelection& choice)
    : reader_(file) {
    if (!isLevelChoice(type, choice)) {
        problem_ = fail(lexicon().text(Word::ErrorInParameters));
        done_ = true;
        return;
    }
    offset_ = static_cast<size_t>(levelWordOffset(type, choice));
    values_.reserve(static_cast<size_t>(file.recordCount()));
}

bool LevelSeriesLoader::Step(int maxRecords) {
    const int count = reader_.recordCount();
    for (int n = 0; !done_ && n < maxRecords; ++n) {
        const int k = static_cast<int>(values_.size()) + 1;
        if (k > count) break;
        auto bytes = reader_.Record(k);
        if (!bytes) {
            problem_ = bytes.error();
            done_ = true;
            break;
        }
        values_.push_back(decodeLevel(readU16(bytes->data() + offset_)));
    }
    if (static_cast<int>(values_.size()) >= count) done_ = true;
    return done_;
}

}  // namespace k470::views
