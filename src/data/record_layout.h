// SPDX-License-Identifier: GPL-3.0-or-later
// Where each level of a stored record lies among its result words: the tables each result group offers,
// the order and names of their rows (level parameters), their band counts, and the word of a level by
// channel, table, parameter and band. The text export, the level locator and the views share it.
#pragma once

#include <array>
#include <span>

#include "base/lexicon.h"
#include "data/device_type.h"
#include "data/measurement_record.h"

namespace k470 {

enum class LevelTableKind {
    Octaves,   // 1/1-octave bands
    Thirds,    // 1/3-octave bands
    Weighted,  // frequency-weighted levels (the field meters: the 10-30 kHz wide band)
    Bands      // the plain bands of the field meters
};

struct LevelTableShape {
    LevelTableKind kind = LevelTableKind::Octaves;
    int parameters = 0;  // rows
    int bands = 0;       // columns (bands or weightings)
};

// The decoded tables of a type, in the locator's numbering (table 0, 1, 2).
struct RecordLayout {
    ResultGroup group =
        ResultGroup::None;  // None also for the two-channel meter, whose levels are not decoded
    std::array<LevelTableShape, 3> tableSlots{};
    int tableCount = 0;
    int channels = 0;
    bool wholeBody = false;

    std::span<const LevelTableShape> tables() const {
        return std::span<const LevelTableShape>(tableSlots.data(), static_cast<size_t>(tableCount));
    }
};

RecordLayout recordLayout(DeviceType type);

// Index among the result words (0 = the first word after the header) of a level. The parameter numbers the
// rows as the locator does: in the vibration weighted table 0-9 as in the band tables and 10-13 the 1s, 5s
// and 10s peaks and Pk. The caller keeps the selection within the layout's tables.
int levelWordIndex(ResultGroup group, LevelTableKind kind, int channel, int parameter, int band);

// Byte offset inside the 3072-byte record of a result word.
constexpr int resultWordByteOffset(int wordIndex) {
    return static_cast<int>(kRecordHeaderSize) + 2 * wordIndex;
}

// Row names of the sound-type tables in parameter order (fixed text); the sound-level weighted table adds
// "Peak" (parameter 10); the ultrasound tables have the first ten.
inline constexpr std::array<const char*, 11> kSoundParameterNames = {
    "Slow", "Slow min", "Slow max", "Fast", "Fast min", "Fast max",
    "Imp",  "Imp min",  "Imp max",  "Leq",  "Peak"};
inline constexpr std::array<const char*, 7> kInfraParameterNames = {
    "Slow", "Slow min", "Slow max", "ESlow", "ESlow min", "ESlow max", "Leq"};
inline constexpr std::array<const char*, 3> kFieldParameterNames = {"Fast", "Fast min", "Fast max"};

// Vibration rows in parameter order: 0-9 in every table, 10-13 only in the weighted table.
inline constexpr std::array<Word, 14> kVibrationParameterWords = {
    Word::Rms1s,  Word::Min1s,  Word::Max1s,   Word::Rms5s,      Word::Min5s,
    Word::Max5s,  Word::Rms10s, Word::Min10s,  Word::Max10s,     Word::VibrationLeq,
    Word::Peak1s, Word::Peak5s, Word::Peak10s, Word::VibrationPk};
// The vibration weighted table shows each peak after the max of its averaging time: parameter of each row.
inline constexpr std::array<int, 14> kVibrationWeightedRowOrder = {0,  1, 2, 10, 3,  4, 5,
                                                                   11, 6, 7, 8,  12, 9, 13};

// The parameter shown in a row of a table (rows follow parameter order except in the vibration weighted
// table).
inline int parameterOfRow(ResultGroup group, LevelTableKind kind, int row) {
    return group == ResultGroup::Vibration && kind == LevelTableKind::Weighted
               ? kVibrationWeightedRowOrder[static_cast<size_t>(row)]
               : row;
}

}  // namespace k470
