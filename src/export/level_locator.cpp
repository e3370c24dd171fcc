#include "export/level_locator.h"

#include <array>
#include <span>

#include "base/lexicon.h"
#include "base/number_format.h"

namespace k470 {

namespace {

enum class TableKind { Octaves, Thirds, Weighted, Bands };

// The 1/3-octave band labels of the whole family, lowest first, and their centre frequencies in Hz; each
// group's band set is a run of them starting at the group's lowest band.
constexpr std::array<const char*, 48> kBandLabels = {
    "0.8",   "1.0",  "1.25", "1.6",  "2.0",  "2.5",  "3.15",  "4.0",  "5.0",   "6.3",  "8.0",  "10.0",
    "12.5",  "16.0", "20.0", "25.0", "31.5", "40.0", "50.0",  "63.0", "80.0",  "100",  "125",  "160",
    "200",   "250",  "315",  "400",  "500",  "630",  "800",   "1.0k", "1.25k", "1.6k", "2.0k", "2.5k",
    "3.15k", "4.0k", "5.0k", "6.3k", "8.0k", "10k",  "12.5k", "16k",  "20k",   "25k",  "32k",  "40k"};
constexpr std::array<double, 48> kBandCentres = {
    0.8,    1.0,    1.25,   1.6,    2.0,    2.5,     3.15,    4.0,     5.0,     6.3,     8.0,     10.0,
    12.5,   16.0,   20.0,   25.0,   31.5,   40.0,    50.0,    63.0,    80.0,    100.0,   125.0,   160.0,
    200.0,  250.0,  315.0,  400.0,  500.0,  630.0,   800.0,   1000.0,  1250.0,  1600.0,  2000.0,  2500.0,
    3150.0, 4000.0, 5000.0, 6300.0, 8000.0, 10000.0, 12500.0, 16000.0, 20000.0, 25000.0, 32000.0, 40000.0};

constexpr const char* kWholeBodyWeightings[] = {"Fk", "Fm", "Wb", "Wc", "Wd", "We", "Wj", "Wk", "Wm"};
constexpr const char* kHandArmWeightings[] = {"Fh", "Wh"};
constexpr const char* kSoundWeightings[] = {"C", "A", "Z"};
constexpr const char* kInfraWeightings[] = {"A", "Z", "G", "Fi"};
constexpr const char* kUltraWeightings[] = {"A"};
constexpr const char* kFieldWideBand = "10-30 kHz";

// Row labels of the sound-type tables in parameter order; the SoundLevel weighted table adds "Peak" (10).
constexpr const char* kSoundRows[] = {"Slow", "Slow min", "Slow max", "Fast", "Fast min", "Fast max",
                                      "Imp",  "Imp min",  "Imp max",  "Leq",  "Peak"};
constexpr const char* kInfraRows[] = {"Slow",      "Slow min",  "Slow max", "ESlow",
                                      "ESlow min", "ESlow max", "Leq"};
constexpr const char* kFieldRows[] = {"Fast", "Fast min", "Fast max"};

// Vibration rows in parameter order: 0-9 in every table, 10-13 only in the weighted table.
constexpr Word kVibrationParameterWords[] = {Word::Rms1s,   Word::Min1s,        Word::Max1s,  Word::Rms5s,
                                             Word::Min5s,   Word::Max5s,        Word::Rms10s, Word::Min10s,
                                             Word::Max10s,  Word::VibrationLeq, Word::Peak1s, Word::Peak5s,
                                             Word::Peak10s, Word::VibrationPk};
// The weighted table of the text export shows each peak after the max of its averaging time.
constexpr int kVibrationWeightedRowOrder[] = {0, 1, 2, 10, 3, 4, 5, 11, 6, 7, 8, 12, 9, 13};

// Word within a row for each parameter number, from the record layouts.
constexpr int kVibrationOctaveWords[] = {0, 16, 17, 4, 24, 25, 8, 32, 33, 12};
constexpr int kVibrationThirdBase[] = {1, 18, 19, 5, 26, 27, 9, 34, 35, 13};
constexpr int kVibrationThirdStep[] = {1, 2, 2, 1, 2, 2, 1, 2, 2, 1};
constexpr int kVibrationWeightedWords[] = {3, 8, 9, 4, 10, 11, 5, 12, 13, 6, 0, 1, 2, 7};
constexpr int kSoundBandWords[] = {2, 8, 9, 1, 6, 7, 0, 4, 5, 3};
constexpr int kSoundWeightedWords[] = {2, 10, 11, 1, 8, 9, 0, 6, 7, 3, 5};
constexpr int kInfraWords[] = {0, 3, 4, 1, 5, 6, 2};

constexpr int kRecordWordsStart = 20;

struct Table {
    TableKind kind;
    int parameters;
    int bands;
};

// What a type offers: its tables in the locator's numbering, its channels and where its bands start among
// the family's 1/3-octave labels.
struct Shape {
    ResultGroup group = ResultGroup::None;
    std::array<Table, 3> tables{};
    int tableCount = 0;
    int channels = 0;
    int firstThird = 0;
    bool wholeBody = false;
};

Shape shapeOf(DeviceType type) {
    Shape s;
    const auto d = lookupRecordDimensions(type);
    if (!d) return s;
    s.group = d->group;
    s.channels = d->channels;
    s.wholeBody = d->wholeBody;
    switch (d->group) {
        case ResultGroup::Vibration:
            s.firstThird = d->wholeBody ? 0 : 9;  // 0.8 Hz or 6.3 Hz
            s.tables = {{{TableKind::Octaves, 10, 8},
                         {TableKind::Thirds, 10, 24},
                         {TableKind::Weighted, 14, d->weightedCount}}};
            s.tableCount = 3;
            break;
        case ResultGroup::SoundLevel:
            s.firstThird = 15;  // 25 Hz
            s.tables = {
                {{TableKind::Octaves, 10, 10}, {TableKind::Thirds, 10, 30}, {TableKind::Weighted, 11, 3}}};
            s.tableCount = 3;
            break;
        case ResultGroup::Infrasound:
            s.firstThird = 3;  // 1.6 Hz
            s.tables = {
                {{TableKind::Octaves, 7, 8}, {TableKind::Thirds, 7, 24}, {TableKind::Weighted, 7, 4}}};
            s.tableCount = 3;
            break;
        case ResultGroup::Ultrasound:
            s.firstThird = 18;  // 50 Hz
            s.tables = {{{TableKind::Thirds, 10, 30}, {TableKind::Weighted, 10, 1}, {}}};
            s.tableCount = 2;
            break;
        case ResultGroup::FieldStrength:
            s.tables = {{{TableKind::Bands, 3, 30}, {TableKind::Weighted, 3, 1}, {}}};
            s.tableCount = 2;
            break;
        case ResultGroup::LayoutOnly:  // the two-channel meter's levels are not decoded
        case ResultGroup::None:
            s.group = ResultGroup::None;
            s.channels = 0;
            break;
    }
    return s;
}

bool offered(const Shape& s, const LevelSelection& l) {
    if (l.table < 0 || l.table >= s.tableCount) return false;
    const Table& t = s.tables[static_cast<size_t>(l.table)];
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
int thirdIndex(const Shape& s, TableKind kind, int band) {
    return s.firstThird + (kind == TableKind::Octaves ? 3 * band + 1 : band);
}

std::string parameterText(const Shape& s, int parameter) {
    switch (s.group) {
        case ResultGroup::Vibration:
            return lexicon().text(kVibrationParameterWords[parameter]);
        case ResultGroup::SoundLevel:
        case ResultGroup::Ultrasound:
            return kSoundRows[parameter];
        case ResultGroup::Infrasound:
            return kInfraRows[parameter];
        case ResultGroup::FieldStrength:
            return kFieldRows[parameter];
        default:
            return {};
    }
}

}  // namespace

int levelWordOffset(DeviceType type, int channel, int table, int parameter, int band) {
    const Shape s = shapeOf(type);
    const LevelSelection l{table, parameter, band, channel};
    if (!offered(s, l)) return kRecordWordsStart;
    const int p = parameter;
    switch (s.group) {
        case ResultGroup::Vibration: {
            const int base = kRecordWordsStart + 2 * 446 * channel;
            if (table == 0) return base + 80 * band + 2 * kVibrationOctaveWords[p];
            if (table == 1)
                return base + 80 * (band / 3) +
                       2 * (kVibrationThirdBase[p] + kVibrationThirdStep[p] * (band % 3));
            return base + 640 + 28 * band + 2 * kVibrationWeightedWords[p];
        }
        case ResultGroup::SoundLevel:
            if (table == 0) return kRecordWordsStart + 20 * band + 2 * kSoundBandWords[p];
            if (table == 1) return kRecordWordsStart + 20 * (10 + band) + 2 * kSoundBandWords[p];
            return kRecordWordsStart + 800 + 24 * band + 2 * kSoundWeightedWords[p];
        case ResultGroup::Infrasound: {
            const int row = table == 0 ? band : table == 1 ? 8 + band : 32 + band;
            return kRecordWordsStart + 14 * row + 2 * kInfraWords[p];
        }
        case ResultGroup::Ultrasound:
            if (table == 0) return kRecordWordsStart + 20 * band + 2 * kSoundBandWords[p];
            return kRecordWordsStart + 20 * 30 + 2 * kSoundBandWords[p];
        case ResultGroup::FieldStrength:
            // The wide band row follows the 30 band rows and 12 unused words.
            if (table == 0) return kRecordWordsStart + 12 * band + 2 * p;
            return kRecordWordsStart + 12 * (30 + 2) + 2 * p;
        default:
            return kRecordWordsStart;
    }
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
        switch (s.tables[static_cast<size_t>(t)].kind) {
            case TableKind::Octaves:
                w = Word::OneOneOctaves;
                break;
            case TableKind::Thirds:
                w = Word::OneThirdOctaves;
                break;
            case TableKind::Weighted:
                w = Word::WeightedLevels;
                break;
            case TableKind::Bands:
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
    const Table& t = s.tables[static_cast<size_t>(table)];
    for (int row = 0; row < t.parameters; ++row) {
        const int p = (s.group == ResultGroup::Vibration && t.kind == TableKind::Weighted)
                          ? kVibrationWeightedRowOrder[row]
                          : row;
        out.push_back({parameterText(s, p), p});
    }
    return out;
}

std::vector<LevelChoice> levelBandChoices(DeviceType type, int table) {
    const Shape s = shapeOf(type);
    std::vector<LevelChoice> out;
    if (table < 0 || table >= s.tableCount) return out;
    const Table& t = s.tables[static_cast<size_t>(table)];
    for (int b = 0; b < t.bands; ++b) {
        std::string text;
        switch (t.kind) {
            case TableKind::Octaves:
            case TableKind::Thirds:
                text = std::string(kBandLabels[static_cast<size_t>(thirdIndex(s, t.kind, b))]) + " Hz";
                break;
            case TableKind::Bands:
                if (b == 0) {
                    text = "16.7 Hz";
                } else {
                    appendInt(text, 25 * b);
                    text += " Hz";
                }
                break;
            case TableKind::Weighted:
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
    const Table& t = s.tables[static_cast<size_t>(table)];
    if (band < 0 || band >= t.bands) return std::nullopt;
    switch (t.kind) {
        case TableKind::Octaves:
        case TableKind::Thirds:
            return kBandCentres[static_cast<size_t>(thirdIndex(s, t.kind, band))];
        case TableKind::Bands:
            return band == 0 ? 16.7 : 25.0 * band;
        case TableKind::Weighted:
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
