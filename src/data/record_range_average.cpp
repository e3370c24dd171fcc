// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/record_range_average.h"

#include <cmath>
#include <vector>

#include "base/byte_order.h"
#include "base/lexicon.h"

namespace k470 {

namespace {

// In a field-meter record every row has six words: Fast, Fast min, Fast max, Slow, Slow min, Slow max.
bool isFieldStrengthFastWord(int word) {
    return word % 6 < 3;
}

}  // namespace

Result<MeasurementRecord> RecordRangeAverage(const BinFile& file, int first, int last, int current) {
    if (!(1 <= first && first < last && last <= file.recordCount()))
        return fail(lexicon().text(Word::ErrorInParameters));
    auto base = file.ReadRecord(current);
    if (!base) return base;
    MeasurementRecord& record = *base;
    const int n = record.dimensions.levelWordCount();
    const bool fieldStrength = record.dimensions.group == ResultGroup::FieldStrength;

    std::vector<double> power(static_cast<size_t>(n), 0.0);
    std::vector<uint8_t> block(static_cast<size_t>(2 * n));
    for (int k = first; k <= last; ++k) {
        if (!file.file().readAt(BinFile::recordOffset(k) + kRecordHeaderSize, block.data(), block.size()))
            return fail(lexicon().cantOpenFile(file.path()));
        for (int i = 0; i < n; ++i) {
            const uint16_t word = readU16(block.data() + 2 * i);
            if (fieldStrength && !isFieldStrengthFastWord(i)) {
                power[i] = decodeLevel(word);  // carried over from the last record of the range
                continue;
            }
            power[i] += std::pow(10.0, word / 2560.0);
        }
    }
    const double count = last - first + 1;
    for (int i = 0; i < n; ++i) {
        if (fieldStrength && (isSkippedFieldStrengthWord(i) || !isFieldStrengthFastWord(i))) {
            record.levels[i] = isSkippedFieldStrengthWord(i) ? 0.0 : power[i];
            continue;
        }
        record.levels[i] = 10.0 * std::log10(power[i] / count);
    }
    return base;
}

}  // namespace k470
