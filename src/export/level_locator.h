// SPDX-License-Identifier: GPL-3.0-or-later
// Locating one level word inside a stored record by channel, table, parameter and band (or weighting), and
// the texts of the choices that the percentile and report dialogs offer, each paired with the number that
// the locator takes for it.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "data/device_type.h"

namespace k470 {

// A level as the locator numbers it. Table 0 = octave bands (Ultrasound: 1/3-octave bands; field meters:
// the bands), 1 = 1/3-octave bands (Ultrasound and field meters: the weighted row), 2 = weighted levels.
// Parameters follow the row order of the text export for the band tables; in the vibration weighted table
// 0-9 are as in the band tables and 10-13 are the 1s, 5s and 10s peaks and Pk. Channel is 0-based.
struct LevelSelection {
    int table = 0;
    int parameter = 0;
    int band = 0;
    int channel = 0;

    friend bool operator==(const LevelSelection&, const LevelSelection&) = default;
};

// Byte offset inside a 3072-byte record of the selected level word. Types without decoded levels (no layout,
// and the two-channel meter) give 20, the first result word; so does a selection outside the type's
// choices, so that a read never leaves the record.
int levelWordOffset(DeviceType type, int channel, int table, int parameter, int band);
inline int levelWordOffset(DeviceType type, const LevelSelection& s) {
    return levelWordOffset(type, s.channel, s.table, s.parameter, s.band);
}

// True when the type has decoded levels to choose from.
bool hasLevelChoices(DeviceType type);
// True when the selection is one of the type's choices.
bool isLevelChoice(DeviceType type, const LevelSelection& s);

// One entry of a choice list: the text the dialog shows (UTF-8, in the words of the active lexicon) and the
// locator's number for it.
struct LevelChoice {
    std::string text;
    int number = 0;

    friend bool operator==(const LevelChoice&, const LevelChoice&) = default;
};

// The tables of the type in the locator's numbering ("1/1 octaves", "1/3 octaves", "Weighted levels"; the
// ultrasound meters have no octave table, the field meters offer "Bands" and "Weighted levels").
std::vector<LevelChoice> levelTableChoices(DeviceType type);
// The row labels of the text export for the table, in its row order, each with its parameter number.
std::vector<LevelChoice> levelParameterChoices(DeviceType type, int table);
// Band labels with " Hz" (an octave is labelled by its middle 1/3-octave band), or the weighting names.
std::vector<LevelChoice> levelBandChoices(DeviceType type, int table);
// "channel 1" ... for the three-channel types; empty when the type has one channel.
std::vector<LevelChoice> levelChannelChoices(DeviceType type);

// The text of a choice by its number ("" when the number is not offered).
std::string levelChoiceText(const std::vector<LevelChoice>& choices, int number);

// Centre frequency in Hz of a band of the octave, 1/3-octave or field-meter band table; nothing for a
// weighted level or a selection that is not offered.
std::optional<double> bandCentreFrequency(DeviceType type, int table, int band);
// The name of a weighted level as the band header of the text export gives it, "10-30 kHz" for the wide band
// of the field meters; "" when not offered.
std::string weightingName(DeviceType type, int band);

}  // namespace k470
