// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/level_locator.h"

#include <array>
#include <span>

#include "base/lexicon.h"
#include "base/number_format.h"
#include "data/family_bands.h"
#include "data/record_layout.h"

namespace k470 {

namespace {

constexpr const char* kWholeBodyWeightings[] = {"Fk", "Fm", "Wb", "Wc", "Wd", "We", "Wj", "Wk", "Wm"};
constexpr const char* kHandArmWeightings[] = {"Fh", "Wh"};
constexpr const char* kSoundWeightings[] = {"C", "A", "Z"};
constexpr const char* kInfraWeightings[] = {"A", "Z", "G", "Fi"};
constexpr const char* kUltraWeightings[] = {"A"};
constexpr const char* kFieldWideBand = "10-30 kHz";

// What a type offers: its decoded tables in the locator's numbering, and where its bands start among the
// family's 1/3-octave labels.
struct Shape : RecordLayout {
    int firstThird = 0;
};

Shape shapeOf(DeviceType type) {
    Shape s{recordLayout(type)};
    switch (s.group) {
        case ResultGroup::Vibration:
            s.firstThird = s.wholeBody ? 0 : 9;  // 0.8 Hz or 6.3 Hz
            break;
        case ResultGroup::SoundLevel:
            s.firstThird = 15;  // 25 Hz
            break;
        case ResultGroup::Infrasound:
            s.firstThird = 3;  // 1.6 Hz
            break;
        case ResultGroup::Ultrasound:
            s.firstThird = 18;  // 50 Hz
            break;
        default:
            break;
    }
    return s;
}

bool offered(const Shape& s, const LevelSelection& l) {
    if (l.table < 0 || l.table >= s.tableCount) return false;
    const LevelTableShape& t = s.tables()[static_cast<size_t>(l.table)];
    return l.parameter >= 0 && l.parameter < t.parameters && l.band >= 0 && l.band < t.bands &&
           l.channel >= 0 && l.channel < s.channels;
}

std::span<const char* const> weightingsOf(const Shape& s) {
    switch (s.group) {
        case ResultGroup::Vibration:
            return s.wholeBody ? std::span<const char* const>(kWholeBodyWeightings)
                               : std::span<const char* const>(kHandArmWeightings);
        case ResultGroup::SoundLevel:
            return kSoundWeightings;
        case ResultGroup::Infrasound:
            return kInfraWeightings;
        case ResultGroup::Ultrasound:
            return kUltraWeightings;
        default:
            return {};
    }
}

// Index among the family's 1/3-octave labels of a band of an octave or 1/3-octave table.
int thirdIndex(const Shape& s, LevelTableKind kind, int band) {
    return s.firstThird + (kind == LevelTableKind::Octaves ? 3 * band + 1 : band);
}

std::string parameterText(const Shape& s, int parameter) {
    switch (s.group) {
        case ResultGroup::Vibration:
            return lexicon().text(kVibrationParameterWords[static_cast<size_t>(parameter)]);
        case ResultGroup::SoundLevel:
        case ResultGroup::Ultrasound:
            return kSoundParameterNames[static_cast<size_t>(parameter)];
        case ResultGroup::Infrasound:
            return kInfraParameterNames[static_cast<size_t>(parameter)];
        case ResultGroup::FieldStrength:
            return kFieldParameterNames[static_cast<size_t>(parameter)];
        default:
            return {};
    }
}

}  // namespace

int levelWordOffset(DeviceType type, int channel, int table, int parameter, int band) {
    const Shape s = shapeOf(type);
    const LevelSelection l{table, parameter, band, channel};
    // Outside the choices: the first result word, so that a read never leaves the record.
    if (!offered(s, l)) return resultWordByteOffset(0);
    const LevelTableKind kind = s.tables()[static_cast<size_t>(table)].kind;
    return resultWordByteOffset(levelWordIndex(s.group, kind, channel, parameter, band));
}

bool hasLevelChoices(DeviceType type) {
    return shapeOf(type).tableCount > 0;
}

bool isLevelChoice(DeviceType type, const LevelSelection& s) {
    return offered(shapeOf(type), s);
}

std::vector<LevelChoice> levelTableChoices(DeviceType type) {
    const Shape s = shapeOf(type);
    std::vector<LevelChoice> out;
    for (int t = 0; t < s.tableCount; ++t) {
        Word w = Word::WeightedLevels;
        switch (s.tables()[static_cast<size_t>(t)].kind) {
            case LevelTableKind::Octaves:
                w = Word::OneOneOctaves;
                break;
            case LevelTableKind::Thirds:
                w = Word::OneThirdOctaves;
                break;
            case LevelTableKind::Weighted:
                w = Word::WeightedLevels;
                break;
            case LevelTableKind::Bands:
                w = Word::Bands;
                break;
        }
        out.push_back({lexicon().text(w), t});
    }
    return out;
}

std::vector<LevelChoice> levelParameterChoices(DeviceType type, int table) {
    const Shape s = shapeOf(type);
    std::vector<LevelChoice> out;
    if (table < 0 || table >= s.tableCount) return out;
    const LevelTableShape& t = s.tables()[static_cast<size_t>(table)];
    for (int row = 0; row < t.parameters; ++row) {
        const int p = parameterOfRow(s.group, t.kind, row);
        out.push_back({parameterText(s, p), p});
    }
    return out;
}

std::vector<LevelChoice> levelBandChoices(DeviceType type, int table) {
    const Shape s = shapeOf(type);
    std::vector<LevelChoice> out;
    if (table < 0 || table >= s.tableCount) return out;
    const LevelTableShape& t = s.tables()[static_cast<size_t>(table)];
    for (int b = 0; b < t.bands; ++b) {
        std::string text;
        switch (t.kind) {
            case LevelTableKind::Octaves:
            case LevelTableKind::Thirds:
                text =
                    std::string(familyBands()[static_cast<size_t>(thirdIndex(s, t.kind, b))].locatorLabel) +
                    " Hz";
                break;
            case LevelTableKind::Bands:
                if (b == 0) {
                    text = "16.7 Hz";
                } else {
                    appendInt(text, 25 * b);
                    text += " Hz";
                }
                break;
            case LevelTableKind::Weighted:
                text = weightingName(type, b);
                break;
        }
        out.push_back({std::move(text), b});
    }
    return out;
}

std::vector<LevelChoice> levelChannelChoices(DeviceType type) {
    const Shape s = shapeOf(type);
    std::vector<LevelChoice> out;
    if (s.channels < 2) return out;
    for (int c = 0; c < s.channels; ++c) {
        std::string text = lexicon().text(Word::Channel) + " ";
        appendInt(text, c + 1);
        out.push_back({std::move(text), c});
    }
    return out;
}

std::string levelChoiceText(const std::vector<LevelChoice>& choices, int number) {
    for (const auto& c : choices)
        if (c.number == number) return c.text;
    return {};
}

std::optional<double> bandCentreFrequency(DeviceType type, int table, int band) {
    const Shape s = shapeOf(type);
    if (table < 0 || table >= s.tableCount) return std::nullopt;
    const LevelTableShape& t = s.tables()[static_cast<size_t>(table)];
    if (band < 0 || band >= t.bands) return std::nullopt;
    switch (t.kind) {
        case LevelTableKind::Octaves:
        case LevelTableKind::Thirds:
            return familyBands()[static_cast<size_t>(thirdIndex(s, t.kind, band))].locatorHz;
        case LevelTableKind::Bands:
            return band == 0 ? 16.7 : 25.0 * band;
        case LevelTableKind::Weighted:
            break;
    }
    return std::nullopt;
}

std::string weightingName(DeviceType type, int band) {
    const Shape s = shapeOf(type);
    if (s.group == ResultGroup::FieldStrength) return band == 0 ? kFieldWideBand : "";
    const auto names = weightingsOf(s);
    // Hand-arm records carry nine weighted rows, but only the first two are named and offered.
    if (band < 0 || static_cast<size_t>(band) >= names.size()) return {};
    if (s.group == ResultGroup::Vibration && band >= lookupRecordDimensions(type)->weightedCount) return {};
    return names[static_cast<size_t>(band)];
}

}  // namespace k470
