// SPDX-License-Identifier: GPL-3.0-or-later
// The 1/3-octave bands of the whole instrument family, 0.8 Hz to 40 kHz, lowest first, with every way the
// program names them: the label of the records' band headers and the level views ("0.63k", "2.0k"), the
// label of the text export's band locator ("630", "1.0k"), the nominal frequency of IEC 61260-1 ("630",
// "2k") and the frequency the locator reports for the band. Each group's bands are a run of this table;
// band x of the analysers (midband 1000 · 10^(3x/10) Hz) is entry x + kFamilyBandOf1kHz.
#pragma once

#include <optional>
#include <span>

namespace k470 {

struct FamilyBand {
    const char* headerLabel;
    const char* locatorLabel;
    const char* nominalLabel;
    double locatorHz;  // as the instruments count it (32000 for the 31.5 kHz band)
};

inline constexpr int kFamilyBandOf1kHz = 31;

std::span<const FamilyBand> familyBands();

// The band of analyser index x (1/3-octave steps from 1 kHz); none outside the family's range.
std::optional<FamilyBand> familyBand(int thirdIndex);

}  // namespace k470
