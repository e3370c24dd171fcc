// SPDX-License-Identifier: GPL-3.0-or-later
#include "views/level_views.h"

#include <algorithm>
#include <chrono>
#include <cmath>

#include "base/lexicon.h"
#include "base/number_format.h"
#include "data/family_bands.h"

namespace k470::views {

namespace {

// The levels of the two-channel meter (type 24) are not decoded; its pages have the sound-level rows and
// columns without values.
DeviceType shapeType(DeviceType type) {
    return resultGroup(type) == ResultGroup::LayoutOnly ? DeviceType{3} : type;
}

int firstThird(DeviceType type) {
    const auto d = lookupRecordDimensions(shapeType(type));
    if (!d) return 0;
    switch (d->group) {
        case ResultGroup::Vibration:
            return d->wholeBody ? 0 : 9;
        case ResultGroup::Infrasound:
            return 3;
        case ResultGroup::Ultrasound:
            return 18;
        default:
            return 15;
    }
}

// The locator's table number of a table page, -1 when the type has no such table.
int locatorTable(DeviceType type, PageKind kind) {
    switch (resultGroup(shapeType(type))) {
        case ResultGroup::Vibration:
        case ResultGroup::SoundLevel:
        case ResultGroup::Infrasound:
            return kind == PageKind::OctaveTable     ? 0
                   : kind == PageKind::ThirdTable    ? 1
                   : kind == PageKind::WeightedTable ? 2
                                                     : -1;
        case ResultGroup::Ultrasound:
            return kind == PageKind::ThirdTable ? 0 : kind == PageKind::WeightedTable ? 1 : -1;
        case ResultGroup::FieldStrength:
            return kind == PageKind::BandTable ? 0 : kind == PageKind::WeightedTable ? 1 : -1;
        default:
            return -1;
    }
}

double levelAt(DeviceType type, const MeasurementRecord* record, const LevelSelection& s) {
    if (!record || resultGroup(type) == ResultGroup::LayoutOnly || !isLevelChoice(type, s)) return -1.0;
    const size_t index =
        static_cast<size_t>((levelWordOffset(type, s) - static_cast<int>(kRecordHeaderSize)) / 2);
    return index < record->levels.size() ? record->levels[index] : -1.0;
}

std::vector<LevelChoice> parametersInOrder(DeviceType type, int table) {
    auto choices = levelParameterChoices(shapeType(type), table);
    std::stable_sort(choices.begin(), choices.end(),
                     [](const LevelChoice& a, const LevelChoice& b) { return a.number < b.number; });
    return choices;
}

std::string tableTitle(DeviceType type, PageKind kind) {
    switch (kind) {
        case PageKind::OctaveTable:
            return lexicon().text(Word::OneOneOctaves);
        case PageKind::ThirdTable:
            return lexicon().text(Word::OneThirdOctaves);
        case PageKind::BandTable:
            return lexicon().text(Word::Bands);
        default:
            (void)type;
            return lexicon().text(Word::WeightedLevels);
    }
}

LevelTable buildTable(DeviceType type, PageKind kind, const MeasurementRecord* record, int channel) {
    LevelTable t;
    t.title = tableTitle(type, kind);
    const int table = locatorTable(type, kind);
    if (table < 0) return t;
    const auto parameters = parametersInOrder(type, table);
    for (const auto& p : parameters) t.columns.push_back(p.text);
    if (kind == PageKind::WeightedTable) {
        for (const auto& b : levelBandChoices(shapeType(type), table))
            t.rows.push_back(resultGroup(type) == ResultGroup::FieldStrength
                                 ? std::string("10-30kHz")
                                 : weightingName(shapeType(type), b.number));
    } else {
        t.rows = BandLabels(type, kind);
    }
    for (size_t r = 0; r < t.rows.size(); ++r) {
        std::vector<double> row;
        for (const auto& p : parameters)
            row.push_back(levelAt(type, record, {table, p.number, static_cast<int>(r), channel}));
        t.values.push_back(std::move(row));
    }
    return t;
}

// IEC 61672-1 weightings at the nominal 1/3-octave frequencies 25 Hz ... 20 kHz, 0.1 dB.
constexpr std::array<double, 30> kCCorrection = {-4.4, -3.0, -2.0, -1.3, -0.8, -0.5, -0.3, -0.2, -0.1, 0.0,
                                                 0.0,  0.0,  0.0,  0.0,  0.0,  0.0,  0.0,  0.0,  -0.1, -0.2,
                                                 -0.3, -0.5, -0.8, -1.3, -2.0, -3.0, -4.4, -6.2, -8.5, -11.2};
constexpr std::array<double, 30> kACorrection = {
    -44.7, -39.4, -34.6, -30.2, -26.2, -22.5, -19.1, -16.1, -13.4, -10.9, -8.6, -6.6, -4.8, -3.2, -1.9,
    -0.8,  0.0,   0.6,   1.0,   1.2,   1.3,   1.2,   1.0,   0.5,   -0.1,  -1.1, -2.5, -4.3, -6.6, -9.3};
constexpr std::array<double, 30> kZCorrection{};

}  // namespace

std::vector<PageKind> PagesFor(DeviceType type, int recordCount) {
    std::vector<PageKind> pages;
    switch (resultGroup(type)) {
        case ResultGroup::Vibration:
        case ResultGroup::SoundLevel:
        case ResultGroup::Infrasound:
        case ResultGroup::LayoutOnly:
            pages = {PageKind::OctaveTable, PageKind::ThirdTable, PageKind::WeightedTable};
            break;
        case ResultGroup::Ultrasound:
            pages = {PageKind::ThirdTable, PageKind::WeightedTable};
            break;
        case ResultGroup::FieldStrength:
            pages = {PageKind::BandTable, PageKind::WeightedTable};
            break;
        case ResultGroup::None:
            break;
    }
    pages.push_back(PageKind::Spectra);
    if (recordCount > 1) pages.push_back(PageKind::Multirecords);
    return pages;
}

std::string LevelCellText(double level) {
    return level < 0.0 ? std::string() : formatFixed(level, 2);
}

std::string LevelValueText(double level, bool linear, double p0) {
    if (level < 0.0) return {};
    if (!linear) return formatFixed(level, 1);
    const double v = level * 0.05 + std::log10(p0);
    const double e = std::floor(v);
    const double n = std::floor(e / 3.0);
    std::string s = formatGeneral(std::pow(10.0, v - 3.0 * n), 3);
    s += 'E';
    appendInt(s, static_cast<long long>(3.0 * n));
    return s;
}

std::vector<std::string> BandLabels(DeviceType type, PageKind kind) {
    std::vector<std::string> labels;
    if (kind == PageKind::BandTable) {
        labels.push_back("16.7");
        for (int k = 1; k < 30; ++k) labels.push_back(std::to_string(25 * k));
        return labels;
    }
    const int table = locatorTable(type, kind);
    if (table < 0) return labels;
    const int bands = static_cast<int>(levelBandChoices(shapeType(type), table).size());
    const int first = firstThird(type);
    for (int b = 0; b < bands; ++b) {
        const int i = first + (kind == PageKind::OctaveTable ? 3 * b + 1 : b);
        labels.push_back(i < static_cast<int>(familyBands().size())
                             ? familyBands()[static_cast<size_t>(i)].headerLabel
                             : "");
    }
    return labels;
}

std::vector<LevelTable> TablesFor(DeviceType type, PageKind kind, const MeasurementRecord* record,
                                  int channel) {
    std::vector<LevelTable> tables;
    if (locatorTable(type, kind) < 0) return tables;
    tables.push_back(buildTable(type, kind, record, channel));
    if (kind != PageKind::WeightedTable)
        tables.push_back(buildTable(type, PageKind::WeightedTable, record, channel));
    return tables;
}

void TableSelection::Click(bool column, int index, bool ctrl) {
    std::set<int>& set = column ? columns : rows;
    if (!ctrl) {
        set.clear();
        set.insert(index);
    } else if (!set.erase(index)) {
        set.insert(index);
    }
}

bool DecodeToggleButton(int id, ToggleButton& button) {
    if (id < 110 || id > 509) return false;
    const int set = (id - 110) / 100;
    button.table = set / 2;
    button.column = set % 2 == 0;
    button.index = (id - 110) % 100;
    return true;
}

int ToggleButtonId(int table, bool column, int index) {
    return 110 + 200 * table + (column ? 0 : 100) + index;
}

std::string TablesClipboardText(const std::vector<LevelTable>& tables, bool linear, double p0) {
    std::string s;
    for (size_t k = 0; k < tables.size(); ++k) {
        const LevelTable& t = tables[k];
        if (k > 0) s += '\n';
        s += t.title;
        s += '\n';
        for (const auto& c : t.columns) {
            s += '\t';
            s += c;
        }
        s += '\n';
        for (size_t r = 0; r < t.rows.size(); ++r) {
            s += t.rows[r];
            for (double v : t.values[r]) {
                s += '\t';
                s += LevelValueText(v, linear, p0);
            }
            s += '\n';
        }
    }
    return s;
}

const std::array<double, 30>& CorrectionTable(Correction c) {
    switch (c) {
        case Correction::C:
            return kCCorrection;
        case Correction::A:
            return kACorrection;
        default:
            return kZCorrection;
    }
}

bool HasCorrections(DeviceType type) {
    return hasSpectrumCorrections(type);
}

std::vector<TimeWeightingChoice> TimeWeightingChoicesFor(DeviceType type) {
    switch (resultGroup(shapeType(type))) {
        case ResultGroup::SoundLevel:
        case ResultGroup::Ultrasound:
            return {{"Impulse", 6}, {"Fast", 3}, {"Slow", 0}, {"Leq", 9}};
        case ResultGroup::Infrasound:
            return {{"Slow", 0}, {"ESlow", 3}, {"Leq", 6}};
        case ResultGroup::Vibration:
            return {{lexicon().text(Word::Rms1s), 0},
                    {lexicon().text(Word::Rms5s), 3},
                    {lexicon().text(Word::Rms10s), 6},
                    {lexicon().text(Word::VibrationLeq), 9}};
        case ResultGroup::FieldStrength:
            return {{"Fast", 0}, {"Fast min", 1}, {"Fast max", 2}};
        default:
            return {};
    }
}

Spectrum SpectrumFor(DeviceType type, const MeasurementRecord* record, int parameter, int channel,
                     Correction correction) {
    Spectrum s;
    const bool corrected = HasCorrections(type) && resultGroup(shapeType(type)) == ResultGroup::SoundLevel;
    const auto& table = CorrectionTable(correction);
    auto fill = [&](PageKind kind, SpectrumBars& bars) {
        const int t = locatorTable(type, kind);
        if (t < 0) return;
        bars.labels = BandLabels(type, kind);
        for (size_t b = 0; b < bars.labels.size(); ++b) {
            double v = levelAt(type, record, {t, parameter, static_cast<int>(b), channel});
            const size_t third = kind == PageKind::OctaveTable ? 3 * b + 1 : b;
            if (corrected && v >= 0.0 && third < table.size()) v += table[third];
            bars.values.push_back(v);
        }
    };
    fill(PageKind::OctaveTable, s.octaves);
    fill(resultGroup(type) == ResultGroup::FieldStrength ? PageKind::BandTable : PageKind::ThirdTable,
         s.thirds);
    return s;
}

std::optional<int64_t> LocalSeconds(const CalendarTime& t) {
    using namespace std::chrono;
    const year_month_day date{year{t.year}, month{static_cast<unsigned>(t.month)},
                              day{static_cast<unsigned>(t.day)}};
    if (!date.ok() || t.hours < 0 || t.hours > 23 || t.minutes < 0 || t.minutes > 59 || t.seconds < 0 ||
        t.seconds > 59)
        return std::nullopt;
    return sys_days(date).time_since_epoch().count() * int64_t{86400} + t.hours * 3600 + t.minutes * 60 +
           t.seconds;
}

std::vector<double> RecordStartSeconds(std::span<const RecordTiming> records) {
    std::vector<double> starts;
    starts.reserve(records.size());
    const std::optional<int64_t> origin = records.empty() ? std::nullopt : records.front().stamp;
    for (size_t i = 0; i < records.size(); ++i) {
        if (i == 0) {
            starts.push_back(0.0);
            continue;
        }
        const double follows = starts.back() + records[i - 1].intervalSeconds;
        if (!origin || !records[i].stamp) {
            starts.push_back(follows);
            continue;
        }
        const auto stamp = static_cast<double>(*records[i].stamp - *origin);
        const bool withinStep = follows >= stamp && follows < stamp + kDosSecondsStep;
        starts.push_back(withinStep || stamp <= starts.back() ? follows : stamp);
    }
    return starts;
}

Result<LevelSeriesData> ReadLevelSeries(const RecordsByIndex& records, DeviceType type,
                                        const LevelSelection& choice) {
    if (!isLevelChoice(type, choice) || resultGroup(type) == ResultGroup::LayoutOnly)
        return fail(lexicon().text(Word::ErrorInParameters));
    const auto offset = static_cast<size_t>(levelWordOffset(type, choice));
    const int count = records.recordCount();
    LevelSeriesData out;
    out.levels.reserve(static_cast<size_t>(std::max(count, 0)));
    std::vector<RecordTiming> timings;
    timings.reserve(out.levels.capacity());
    RecordBytes bytes{};
    for (int r = 1; r <= count; ++r) {
        if (Status s = records.ReadRecordBytes(r, bytes); !s) return s.error();
        out.levels.push_back(decodeLevel(static_cast<uint16_t>(bytes[offset] | (bytes[offset + 1] << 8))));
        const CalendarTime t = RecordHeader::decode(bytes.data()).dateTime();
        RecordTiming timing{LocalSeconds(t)};
        if (auto record = MeasurementRecord::decode(bytes)) timing.intervalSeconds = SeriesStep(record->tail);
        if (r == 1 && timing.stamp) out.start = t;
        timings.push_back(timing);
    }
    out.seconds = RecordStartSeconds(timings);
    return out;
}

Result<std::vector<double>> LevelSeries(const BinFile& file, DeviceType type, const LevelSelection& choice) {
    auto series = ReadLevelSeries(BinFileRecords(file), type, choice);
    if (!series) return series.error();
    return std::move(series->levels);
}

double SeriesStep(const RecordTail& tail) {
    if (!tail.intervalKnown()) return 1.0;
    const double s = tail.intervalHours * 3600.0 + tail.intervalMinutes * 60.0 + tail.intervalSeconds;
    return s > 0.0 ? s : 1.0;
}

std::string BoundText(double bound) {
    return formatGeneral(bound, 3);
}

double ParseBound(const std::string& text, double old) {
    double v = 0.0;
    return parseDouble(text, v) && std::isfinite(v) ? v : old;
}

}  // namespace k470::views
