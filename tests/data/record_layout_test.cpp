// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/record_layout.h"

#include <gtest/gtest.h>

#include <set>

namespace k470 {
namespace {

using G = ResultGroup;
using K = LevelTableKind;

// Word positions worked out by hand from the record layouts (row lengths, value order inside a row).
TEST(RecordLayout, WordsOfSelectedLevels) {
    struct Case {
        const char* what;
        G group;
        K kind;
        int channel, parameter, band;
        int word;
    };
    const Case cases[] = {
        {"vibration ch2 octave 2 5s max", G::Vibration, K::Octaves, 1, 5, 2, 446 + 80 + 25},
        {"vibration third 7 (octave 2, t1) 10s min", G::Vibration, K::Thirds, 0, 7, 7, 80 + 36},
        {"vibration third 2 (octave 0, t2) 1s rms", G::Vibration, K::Thirds, 0, 0, 2, 3},
        {"vibration ch3 third 23 Leq", G::Vibration, K::Thirds, 2, 9, 23, 2 * 446 + 280 + 15},
        {"vibration weighting 4 Pk", G::Vibration, K::Weighted, 0, 13, 4, 320 + 56 + 7},
        {"vibration weighting 4 1s peak", G::Vibration, K::Weighted, 0, 10, 4, 320 + 56},
        {"vibration weighting 8 10s max", G::Vibration, K::Weighted, 0, 8, 8, 320 + 112 + 13},
        {"sound octave 3 Fast max", G::SoundLevel, K::Octaves, 0, 5, 3, 37},
        {"sound third 0 Slow", G::SoundLevel, K::Thirds, 0, 0, 0, 102},
        {"sound weighted A Peak", G::SoundLevel, K::Weighted, 0, 10, 1, 417},
        {"sound weighted Z Slow max", G::SoundLevel, K::Weighted, 0, 2, 2, 435},
        {"infrasound weighted G ESlow max", G::Infrasound, K::Weighted, 0, 5, 2, 244},
        {"infrasound third 23 Leq", G::Infrasound, K::Thirds, 0, 6, 23, 219},
        {"ultrasound third 29 Imp", G::Ultrasound, K::Thirds, 0, 6, 29, 290},
        {"ultrasound weighted A Leq", G::Ultrasound, K::Weighted, 0, 9, 0, 303},
        {"field band 29 Fast max", G::FieldStrength, K::Bands, 0, 2, 29, 176},
        {"field wide band Fast min", G::FieldStrength, K::Weighted, 0, 1, 0, 193},
    };
    for (const Case& c : cases)
        EXPECT_EQ(levelWordIndex(c.group, c.kind, c.channel, c.parameter, c.band), c.word) << c.what;
    EXPECT_EQ(resultWordByteOffset(417), 20 + 834);
}

// Every level a type offers has a word of its own inside the levels, so no two choices read the same value
// and none reads the trailer.
TEST(RecordLayout, EveryOfferedLevelHasItsOwnWordBeforeTheTrailer) {
    for (int code = 0; code < kDeviceTypeCount; ++code) {
        const auto type = static_cast<DeviceType>(code);
        const RecordLayout layout = recordLayout(type);
        const auto dims = lookupRecordDimensions(type);
        if (layout.tableCount == 0) {
            EXPECT_TRUE(!dims || dims->group == G::LayoutOnly) << code;
            continue;
        }
        std::set<int> seen;
        size_t offered = 0;
        for (int ch = 0; ch < layout.channels; ++ch)
            for (const LevelTableShape& t : layout.tables())
                for (int p = 0; p < t.parameters; ++p)
                    for (int b = 0; b < t.bands; ++b) {
                        const int w = levelWordIndex(layout.group, t.kind, ch, p, b);
                        EXPECT_GE(w, 0) << code;
                        EXPECT_LT(w, dims->levelWordCount()) << code;
                        if (layout.group == G::FieldStrength) {
                            EXPECT_FALSE(isSkippedFieldStrengthWord(w)) << code;
                        }
                        seen.insert(w);
                        ++offered;
                    }
        EXPECT_EQ(seen.size(), offered) << code;
    }
}

TEST(RecordLayout, VibrationWeightedRowsShowEachPeakAfterItsMax) {
    std::vector<Word> rows;
    for (int row = 0; row < 14; ++row)
        rows.push_back(
            kVibrationParameterWords[static_cast<size_t>(parameterOfRow(G::Vibration, K::Weighted, row))]);
    const std::vector<Word> expected = {Word::Rms1s,        Word::Min1s,      Word::Max1s,  Word::Peak1s,
                                        Word::Rms5s,        Word::Min5s,      Word::Max5s,  Word::Peak5s,
                                        Word::Rms10s,       Word::Min10s,     Word::Max10s, Word::Peak10s,
                                        Word::VibrationLeq, Word::VibrationPk};
    EXPECT_EQ(rows, expected);
    EXPECT_EQ(parameterOfRow(G::Vibration, K::Octaves, 3), 3);
    EXPECT_EQ(parameterOfRow(G::SoundLevel, K::Weighted, 3), 3);
}

}  // namespace
}  // namespace k470
