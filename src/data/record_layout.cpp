// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/record_layout.h"

namespace k470 {

namespace {

using K = LevelTableKind;

// Words of one vibration channel: eight octave rows of 40 words (each the octave's ten values and its three
// 1/3-octaves' thirty), then nine weighting rows of 14 words.
constexpr int kVibrationChannelWords = 446;
constexpr int kVibrationOctaveRowWords = 40;
constexpr int kVibrationWeightedStart = 320;
constexpr int kVibrationWeightedRowWords = 14;
// Word within an octave row: the octave value of each parameter, and the first of its three 1/3-octave
// values with the step between them.
constexpr std::array<int, 10> kVibrationOctaveWords = {0, 16, 17, 4, 24, 25, 8, 32, 33, 12};
constexpr std::array<int, 10> kVibrationThirdBase = {1, 18, 19, 5, 26, 27, 9, 34, 35, 13};
constexpr std::array<int, 10> kVibrationThirdStep = {1, 2, 2, 1, 2, 2, 1, 2, 2, 1};
// Word within a weighting row for each parameter.
constexpr std::array<int, 14> kVibrationWeightedWords = {3, 8, 9, 4, 10, 11, 5, 12, 13, 6, 0, 1, 2, 7};

// Sound level and ultrasound: band rows of ten words; the sound-level weighted rows have twelve.
constexpr int kSoundBandRowWords = 10;
constexpr int kSoundOctaveCount = 10;
constexpr int kSoundWeightedStart = 400;
constexpr int kSoundWeightedRowWords = 12;
constexpr int kUltraThirdCount = 30;
constexpr std::array<int, 10> kSoundBandWords = {2, 8, 9, 1, 6, 7, 0, 4, 5, 3};
constexpr std::array<int, 11> kSoundWeightedWords = {2, 10, 11, 1, 8, 9, 0, 6, 7, 3, 5};

// Infrasound: rows of seven words, 8 octaves, then 24 thirds, then 4 weightings.
constexpr int kInfraRowWords = 7;
constexpr int kInfraOctaveCount = 8;
constexpr int kInfraThirdCount = 24;
constexpr std::array<int, 7> kInfraWords = {0, 3, 4, 1, 5, 6, 2};

// Field meters: rows of six words (three used); the wide band follows the 30 band rows and two unused rows.
constexpr int kFieldRowWords = 6;
constexpr int kFieldWideBandRow = 32;

size_t at(int i) {
    return static_cast<size_t>(i);
}

}  // namespace

RecordLayout recordLayout(DeviceType type) {
    RecordLayout s;
    const auto d = lookupRecordDimensions(type);
    if (!d) return s;
    s.group = d->group;
    s.channels = d->channels;
    s.wholeBody = d->wholeBody;
    switch (d->group) {
        case ResultGroup::Vibration:
            s.tableSlots = {{{K::Octaves, 10, 8}, {K::Thirds, 10, 24}, {K::Weighted, 14, d->weightedCount}}};
            s.tableCount = 3;
            break;
        case ResultGroup::SoundLevel:
            s.tableSlots = {{{K::Octaves, 10, 10}, {K::Thirds, 10, 30}, {K::Weighted, 11, 3}}};
            s.tableCount = 3;
            break;
        case ResultGroup::Infrasound:
            s.tableSlots = {{{K::Octaves, 7, 8}, {K::Thirds, 7, 24}, {K::Weighted, 7, 4}}};
            s.tableCount = 3;
            break;
        case ResultGroup::Ultrasound:
            s.tableSlots = {{{K::Thirds, 10, 30}, {K::Weighted, 10, 1}, {}}};
            s.tableCount = 2;
            break;
        case ResultGroup::FieldStrength:
            s.tableSlots = {{{K::Bands, 3, d->bands}, {K::Weighted, 3, 1}, {}}};
            s.tableCount = 2;
            break;
        case ResultGroup::LayoutOnly:  // the two-channel meter's levels are not decoded
        case ResultGroup::None:
            return RecordLayout{};
    }
    return s;
}

int levelWordIndex(ResultGroup group, LevelTableKind kind, int channel, int parameter, int band) {
    const int p = parameter;
    switch (group) {
        case ResultGroup::Vibration: {
            const int base = kVibrationChannelWords * channel;
            if (kind == K::Octaves)
                return base + kVibrationOctaveRowWords * band + kVibrationOctaveWords[at(p)];
            if (kind == K::Thirds)
                return base + kVibrationOctaveRowWords * (band / 3) + kVibrationThirdBase[at(p)] +
                       kVibrationThirdStep[at(p)] * (band % 3);
            return base + kVibrationWeightedStart + kVibrationWeightedRowWords * band +
                   kVibrationWeightedWords[at(p)];
        }
        case ResultGroup::SoundLevel:
            if (kind == K::Octaves) return kSoundBandRowWords * band + kSoundBandWords[at(p)];
            if (kind == K::Thirds)
                return kSoundBandRowWords * (kSoundOctaveCount + band) + kSoundBandWords[at(p)];
            return kSoundWeightedStart + kSoundWeightedRowWords * band + kSoundWeightedWords[at(p)];
        case ResultGroup::Infrasound: {
            const int row = kind == K::Octaves  ? band
                            : kind == K::Thirds ? kInfraOctaveCount + band
                                                : kInfraOctaveCount + kInfraThirdCount + band;
            return kInfraRowWords * row + kInfraWords[at(p)];
        }
        case ResultGroup::Ultrasound:
            if (kind == K::Thirds) return kSoundBandRowWords * band + kSoundBandWords[at(p)];
            return kSoundBandRowWords * kUltraThirdCount + kSoundBandWords[at(p)];
        case ResultGroup::FieldStrength:
            if (kind == K::Bands) return kFieldRowWords * band + p;
            return kFieldRowWords * kFieldWideBandRow + p;
        case ResultGroup::LayoutOnly:
        case ResultGroup::None:
            break;
    }
    return 0;
}

}  // namespace k470
