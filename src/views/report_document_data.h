// SPDX-License-Identifier: GPL-3.0-or-later
// What a measurement report shows for one or more record files and a chosen level, without any widget or
// printer: the files and the instrument, the summary levels (A-weighted Leq as the energy average of the
// records, the largest A-weighted fast maximum and C-weighted peak, the percentile levels of the chosen
// level), the chosen level over the records with their times, the band spectrum averaged over the records
// and the distribution of the chosen level.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "base/result.h"
#include "data/device_type.h"
#include "data/dos_date_time.h"
#include "export/level_locator.h"

namespace k470::views {

// The percentages of the percentile levels of a report: L10, L50, L90 and L95.
inline constexpr int kReportPercents[] = {10, 50, 90, 95};

struct ReportPercentile {
    int percent = 0;
    double level = 0.0;  // dB
};

struct ReportSummary {
    long long recordCount = 0;
    // Present only when the type records the level: the energy average of the A-weighted Leq of the
    // records, the largest A-weighted fast maximum and the largest C-weighted peak.
    std::optional<double> laeq;
    std::optional<double> lafmax;
    std::optional<double> lcpeak;
    // The chosen level: its energy average, least and largest value, and L10 ... L95 from the 0.5 dB
    // classes of the level distribution.
    double levelAverage = 0.0;
    double levelMinimum = 0.0;
    double levelMaximum = 0.0;
    std::vector<ReportPercentile> percentiles;
};

// The chosen level over the records of all files in order, each at its own start in seconds after the
// first record (RecordStartSeconds: its stamp, or the end of the record before it when that is later).
// clockOrigin is the first record's stamp (seconds since 1970, local time) when it is a real date, for
// labelling the axis with the time of day.
struct ReportTimeHistory {
    std::vector<double> levels;
    std::vector<double> seconds;
    std::optional<int64_t> clockOrigin;
};

// The energy average over all records of each band of a band table, for one level parameter.
struct ReportSpectrum {
    int table = 0;      // in the level locator's numbering
    int parameter = 0;  // of that table
    std::string tableName;
    std::string parameterName;
    std::vector<std::string> bandLabels;
    std::vector<double> levels;  // dB, one per band
};

// The share of the records in level classes of equal width; classes as wide as needed to keep the number
// of bars readable (0.5, 1, 2, 5 or 10 dB), on edges that are multiples of the width.
struct ReportHistogram {
    double classWidth = 0.5;  // dB
    double firstEdge = 0.0;   // lower edge of the first class, dB
    std::vector<double> percents;
};

struct ReportDocumentData {
    std::vector<std::string> fileNames;  // without directories, in the order given
    DeviceType type = 0;
    std::string typeName;
    std::vector<uint32_t> vins;  // the distinct serial numbers, in order of appearance
    // The earliest and latest record stamps that are real dates.
    std::optional<CalendarTime> firstTime;
    std::optional<CalendarTime> lastTime;
    LevelSelection level;
    std::string levelName;  // "Weighted levels, Fast, A"
    ReportSummary summary;
    ReportTimeHistory history;
    std::optional<ReportSpectrum> spectrum;  // none for a type without a band table
    ReportHistogram histogram;
};

// The level a report plots unless told otherwise: the A-weighted fast level when the type has it, else
// the first level it offers (first table, parameter and band, channel 1).
LevelSelection DefaultReportLevel(DeviceType type);

// The energy average of levels in dB: 10 lg of the mean of 10^(L/10); 0 for no levels.
double EnergyAverage(std::span<const double> levels);

// Reads every record of the files (one device type) once and gathers the report. Fails with "Can't open
// file '<path>'" for a file that cannot be opened or read, with the different-types message when the files
// are of different device types, with "No source data" when there is no record at all, and with "Error in
// parameters" for a level the type does not offer (or a type without decoded levels). The progress
// callback hears the share of records read (0..100) now and then; when it answers false the reading stops
// with "Cancelled".
Result<ReportDocumentData> BuildReportDocumentData(std::span<const std::string> paths,
                                                   const LevelSelection& level,
                                                   const std::function<bool(int percent)>& progress = {});

}  // namespace k470::views
