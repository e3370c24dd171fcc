// SPDX-License-Identifier: GPL-3.0-or-later
#include "views/report_document_data.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "base/byte_order.h"
#include "base/lexicon.h"
#include "data/bin_file.h"
#include "data/record_layout.h"
#include "export/file_set.h"
#include "export/percentiles.h"
#include "export/report.h"
#include "views/level_views.h"

namespace k470::views {

namespace {

// Progress is told between blocks of this many records: often enough for a bar, seldom enough to cost
// nothing.
constexpr int kRecordsPerProgress = 256;

// The parameter of a table whose fixed row name is name, when the type's table has it.
std::optional<int> parameterNamed(DeviceType type, int table, const char* name) {
    std::span<const char* const> names;
    switch (resultGroup(type)) {
        case ResultGroup::SoundLevel:
        case ResultGroup::Ultrasound:
            names = kSoundParameterNames;
            break;
        case ResultGroup::Infrasound:
            names = kInfraParameterNames;
            break;
        case ResultGroup::FieldStrength:
            names = kFieldParameterNames;
            break;
        default:
            return std::nullopt;
    }
    for (size_t p = 0; p < names.size(); ++p)
        if (std::strcmp(names[p], name) == 0 && isLevelChoice(type, {table, static_cast<int>(p), 0, 0}))
            return static_cast<int>(p);
    return std::nullopt;
}

// The table of a kind in the locator's numbering.
std::optional<int> tableOfKind(DeviceType type, LevelTableKind kind) {
    const RecordLayout layout = recordLayout(type);
    for (int t = 0; t < layout.tableCount; ++t)
        if (layout.tables()[static_cast<size_t>(t)].kind == kind) return t;
    return std::nullopt;
}

// The weighted level of a fixed parameter name and weighting, when the type records it.
std::optional<LevelSelection> weightedLevel(DeviceType type, const char* parameter, const char* weighting,
                                            int channel) {
    const auto table = tableOfKind(type, LevelTableKind::Weighted);
    if (!table) return std::nullopt;
    const auto p = parameterNamed(type, *table, parameter);
    if (!p) return std::nullopt;
    for (const LevelChoice& band : levelBandChoices(type, *table))
        if (weightingName(type, band.number) == weighting) {
            const LevelSelection s{*table, *p, band.number, channel};
            if (isLevelChoice(type, s)) return s;
        }
    return std::nullopt;
}

// The band table of the spectrum: the chosen level's table when it is a band table, else the 1/3-octave
// table, else the first band table. Its parameter: Leq where the table has it, else the chosen parameter
// where the table has that, else the first.
std::optional<LevelSelection> spectrumLevel(DeviceType type, const LevelSelection& chosen) {
    const RecordLayout layout = recordLayout(type);
    std::optional<int> table;
    const auto kindOf = [&](int t) { return layout.tables()[static_cast<size_t>(t)].kind; };
    if (chosen.table < layout.tableCount && kindOf(chosen.table) != LevelTableKind::Weighted)
        table = chosen.table;
    if (!table) table = tableOfKind(type, LevelTableKind::Thirds);
    if (!table) table = tableOfKind(type, LevelTableKind::Octaves);
    if (!table) table = tableOfKind(type, LevelTableKind::Bands);
    if (!table) return std::nullopt;
    int parameter = 0;
    if (auto leq = parameterNamed(type, *table, "Leq"))
        parameter = *leq;
    else if (isLevelChoice(type, {*table, chosen.parameter, 0, chosen.channel}))
        parameter = chosen.parameter;
    return LevelSelection{*table, parameter, 0, chosen.channel};
}

std::string baseName(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Sums of 10^(L/10) for energy averages.
struct EnergySum {
    double sum = 0.0;
    long long count = 0;
    void add(double level) {
        sum += std::pow(10.0, level / 10.0);
        ++count;
    }
    double average() const { return count > 0 ? 10.0 * std::log10(sum / static_cast<double>(count)) : 0.0; }
};

double levelAt(std::span<const uint8_t, kRecordSize> record, const LevelSelection& s, DeviceType type) {
    return decodeLevel(readU16(record.data() + levelWordOffset(type, s)));
}

ReportHistogram histogramOf(const ClassCounts& counts, long long total) {
    int first = -1;
    int last = -1;
    for (int u = 0; u < kHistogramClasses; ++u)
        if (counts[static_cast<size_t>(u)] != 0) {
            if (first < 0) first = u;
            last = u;
        }
    ReportHistogram h;
    if (first < 0 || total <= 0) return h;
    // Widths in 0.5 dB classes; the narrowest that keeps the bars to 40 or fewer.
    constexpr int kMostBars = 40;
    int merge = 20;
    for (int m : {1, 2, 4, 10, 20}) {
        const int lo = (first - 1) / m;
        const int hi = (last - 1) / m;
        if (hi - lo + 1 <= kMostBars) {
            merge = m;
            break;
        }
    }
    const int lo = (first - 1) / merge;
    const int hi = (last - 1) / merge;
    h.classWidth = 0.5 * merge;
    h.firstEdge = lo * h.classWidth;
    h.percents.assign(static_cast<size_t>(hi - lo + 1), 0.0);
    for (int u = first; u <= last; ++u)
        h.percents[static_cast<size_t>((u - 1) / merge - lo)] +=
            100.0 * static_cast<double>(counts[static_cast<size_t>(u)]) / static_cast<double>(total);
    return h;
}

// The spectrum's table, parameter and band labels, its levels still to come.
ReportSpectrum spectrumHeading(DeviceType type, const LevelSelection& bandLevel,
                               const std::vector<LevelChoice>& bands) {
    ReportSpectrum spectrum;
    spectrum.table = bandLevel.table;
    spectrum.parameter = bandLevel.parameter;
    spectrum.tableName = levelChoiceText(levelTableChoices(type), bandLevel.table);
    spectrum.parameterName =
        levelChoiceText(levelParameterChoices(type, bandLevel.table), bandLevel.parameter);
    const RecordLayout layout = recordLayout(type);
    const LevelTableKind kind = layout.tables()[static_cast<size_t>(bandLevel.table)].kind;
    const PageKind page = kind == LevelTableKind::Octaves  ? PageKind::OctaveTable
                          : kind == LevelTableKind::Thirds ? PageKind::ThirdTable
                                                           : PageKind::BandTable;
    spectrum.bandLabels = BandLabels(type, page);
    if (spectrum.bandLabels.size() != bands.size()) {
        spectrum.bandLabels.clear();
        for (const LevelChoice& b : bands) spectrum.bandLabels.push_back(b.text);
    }
    return spectrum;
}

// The percentiles of the chosen level from its class counts, L10 first: the level exceeded for the shortest
// time.
std::vector<ReportPercentile> percentilesOf(const ClassCounts& counts, long long total) {
    std::vector<double> percents;
    for (int p : kReportPercents) percents.push_back(p);
    const std::vector<double> fractions = fractionsOfPercents(percents);
    const std::vector<double> answers = answerFractions(counts, total, fractions);
    std::vector<ReportPercentile> out;
    for (size_t i = 0; i < fractions.size(); ++i)
        out.push_back({static_cast<int>(std::lround(fractions[i] * 100.0)), answers[i]});
    std::sort(out.begin(), out.end(),
              [](const ReportPercentile& a, const ReportPercentile& b) { return a.percent < b.percent; });
    return out;
}

// The levels of the records as they are read: the chosen level's energy sum, extremes and classes, the
// summary levels and the band sums of the spectrum.
struct LevelTally {
    DeviceType type;
    LevelSelection level;
    std::optional<LevelSelection> laeqLevel, lafmaxLevel, lcpeakLevel, bandLevel;
    std::vector<LevelChoice> bands;
    EnergySum laeq{}, chosen{};
    std::vector<EnergySum> bandSums = std::vector<EnergySum>(bands.size());
    ClassCounts counts{};
    uint16_t lowest = 0xFFFF, highest = 0;

    void add(std::span<const uint8_t, kRecordSize> record, ReportDocumentData& data) {
        const uint16_t word = readU16(record.data() + levelWordOffset(type, level));
        const double value = decodeLevel(word);
        data.history.levels.push_back(value);
        chosen.add(value);
        lowest = std::min(lowest, word);
        highest = std::max(highest, word);
        ++counts[static_cast<size_t>(std::min(levelClass(word), kHistogramClasses - 1))];
        if (laeqLevel) laeq.add(levelAt(record, *laeqLevel, type));
        if (lafmaxLevel) {
            const double v = levelAt(record, *lafmaxLevel, type);
            data.summary.lafmax = std::max(data.summary.lafmax.value_or(v), v);
        }
        if (lcpeakLevel) {
            const double v = levelAt(record, *lcpeakLevel, type);
            data.summary.lcpeak = std::max(data.summary.lcpeak.value_or(v), v);
        }
        for (size_t b = 0; b < bands.size(); ++b)
            bandSums[b].add(levelAt(
                record, {bandLevel->table, bandLevel->parameter, bands[b].number, bandLevel->channel}, type));
    }
};

// What the title block names: the files, the instrument type and the chosen level.
ReportDocumentData reportHeading(DeviceType type, const LevelSelection& level,
                                 std::span<const std::string> paths) {
    ReportDocumentData data;
    data.type = type;
    data.typeName = deviceTypeName(type);
    data.level = level;
    data.levelName = reportColumnName(type, level);
    for (const std::string& p : paths) data.fileNames.push_back(baseName(p));
    return data;
}

}  // namespace

LevelSelection DefaultReportLevel(DeviceType type) {
    if (auto laf = weightedLevel(type, "Fast", "A", 0)) return *laf;
    LevelSelection s;
    const auto tables = levelTableChoices(type);
    if (tables.empty()) return s;
    s.table = tables.front().number;
    const auto parameters = levelParameterChoices(type, s.table);
    if (!parameters.empty()) s.parameter = parameters.front().number;
    const auto bands = levelBandChoices(type, s.table);
    if (!bands.empty()) s.band = bands.front().number;
    return s;
}

double EnergyAverage(std::span<const double> levels) {
    EnergySum e;
    for (double l : levels) e.add(l);
    return e.average();
}

Result<ReportDocumentData> BuildReportDocumentData(std::span<const std::string> paths,
                                                   const LevelSelection& level,
                                                   const std::function<bool(int percent)>& progress) {
    auto set = ScanFileSet(paths);
    if (!set) return set.error();
    if (!set->typeKnown || set->recordTotal == 0) return fail(lexicon().text(Word::NoSourceData));
    const DeviceType type = set->type;
    if (!isLevelChoice(type, level) || resultGroup(type) == ResultGroup::LayoutOnly)
        return fail(lexicon().text(Word::ErrorInParameters));

    ReportDocumentData data = reportHeading(type, level, paths);

    const auto laeqLevel = weightedLevel(type, "Leq", "A", level.channel);
    const auto lafmaxLevel = weightedLevel(type, "Fast max", "A", level.channel);
    const auto lcpeakLevel = weightedLevel(type, "Peak", "C", level.channel);
    const auto bandLevel = spectrumLevel(type, level);
    std::vector<LevelChoice> bands;
    if (bandLevel) {
        bands = levelBandChoices(type, bandLevel->table);
        data.spectrum = spectrumHeading(type, *bandLevel, bands);
    }

    LevelTally tally{type, level, laeqLevel, lafmaxLevel, lcpeakLevel, bandLevel, bands};
    std::vector<RecordTiming> timings;
    std::optional<int64_t> earliest, latest;
    long long read = 0;

    for (const std::string& path : paths) {
        auto file = BinFile::Open(path);
        if (!file) return file.error();
        BinRecordReader reader(*file);
        for (int k = 1; k <= reader.recordCount(); ++k) {
            if (read % kRecordsPerProgress == 0 && progress &&
                !progress(static_cast<int>(100 * read / set->recordTotal)))
                return fail(Word::Cancelled);
            auto record = reader.Record(k);
            if (!record) return fail(lexicon().cantOpenFile(path));
            ++read;
            const RecordHeader header = RecordHeader::decode(record->data());
            if (std::find(data.vins.begin(), data.vins.end(), header.vin) == data.vins.end())
                data.vins.push_back(header.vin);
            const CalendarTime t = header.dateTime();
            const std::optional<int64_t> at = LocalSeconds(t);
            RecordTiming timing{at};
            if (auto decoded = MeasurementRecord::decode(*record))
                timing.intervalSeconds = SeriesStep(decoded->tail);
            timings.push_back(timing);
            if (at) {
                if (!earliest || *at < *earliest) {
                    earliest = at;
                    data.firstTime = t;
                }
                if (!latest || *at > *latest) {
                    latest = at;
                    data.lastTime = t;
                }
            }

            tally.add(*record, data);
        }
    }
    if (progress && !progress(100)) return fail(Word::Cancelled);

    ReportSummary& summary = data.summary;
    summary.recordCount = read;
    if (laeqLevel) summary.laeq = tally.laeq.average();
    summary.levelAverage = tally.chosen.average();
    summary.levelMinimum = decodeLevel(tally.lowest);
    summary.levelMaximum = decodeLevel(tally.highest);
    summary.percentiles = percentilesOf(tally.counts, read);
    data.history.seconds = RecordStartSeconds(timings);
    if (!timings.empty()) data.history.clockOrigin = timings.front().stamp;

    if (data.spectrum)
        for (const EnergySum& s : tally.bandSums) data.spectrum->levels.push_back(s.average());
    data.histogram = histogramOf(tally.counts, read);
    return data;
}

}  // namespace k470::views
