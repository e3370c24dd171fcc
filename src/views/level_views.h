// SPDX-License-Identifier: GPL-3.0-or-later
// What the level views show for a record without any widget: the pages of a device type, the band and
// weighted-level tables with their cell texts, the selection of rows and columns, the clipboard text, the
// spectrum bars with their frequency-weighting corrections, and the level of one choice over the records
// of a file.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "base/result.h"
#include "data/bin_file.h"
#include "data/device_type.h"
#include "data/frequency_weighting.h"
#include "data/measurement_record.h"
#include "export/level_locator.h"

namespace k470::views {

enum class PageKind {
    OctaveTable,    // "1/1 octaves"
    ThirdTable,     // "1/3 octaves"
    BandTable,      // "Bands" of the field meters
    WeightedTable,  // "Weighted levels"
    Spectra,
    Multirecords,
    Signal,        // the processed signal of a signal source
    SignalLevels,  // "Levels": sound levels and 1/3-octave bands of the signal
    Fft,           // "FFT": the narrow-band spectrum of the signal
    Rt60,          // "RT-60": reverberation times of a recorded decay
    Vibration,     // "Vibration": human vibration of acceleration channels
};

// The pages of a source in tab order: the type's tables, "Spectra", and "Multirecords" when the file
// holds more than one record.
std::vector<PageKind> PagesFor(DeviceType type, int recordCount);

// A table cell: empty for a negative level (no value), else "%.2lf".
std::string LevelCellText(double level);
// A level for the clipboard: "%.1lf" dB, or with linear the value P0 * 10^(L/20) as "%.3lgE%d" with an
// exponent that is a multiple of 3. Empty for a negative level.
std::string LevelValueText(double level, bool linear, double p0);

// One table of a page: a row per band (or weighting) and a column per level parameter.
struct LevelTable {
    std::string title;
    std::vector<std::string> columns;
    std::vector<std::string> rows;
    std::vector<std::vector<double>> values;  // [row][column]; negative = no value
};

// The tables of a table page for the record's channel (0-based). The band pages show the bands as the
// first table and the weighted levels of the same parameters as the second, so that a reader sees the
// overall level below the bands; the weighted page shows the weighted levels alone. Columns are in the
// locator's parameter order, so column k means the same level parameter in both tables (the vibration
// peaks follow as the last four columns of a weighted table). Without a record (or for a type whose levels
// are not decoded) the tables have their rows and columns and no values.
std::vector<LevelTable> TablesFor(DeviceType type, PageKind kind, const MeasurementRecord* record,
                                  int channel);

// The band labels of the views (one decimal below 100 Hz, integers from 100 to 500, "0.63k", "0.8k", then
// kilohertz), for the octave, 1/3-octave or field-meter band table of a type.
std::vector<std::string> BandLabels(DeviceType type, PageKind kind);

// The selected rows and columns of a table. A click without Ctrl selects only the clicked item of its set;
// with Ctrl it toggles the item and keeps the others.
struct TableSelection {
    std::set<int> rows;
    std::set<int> columns;

    void Click(bool column, int index, bool ctrl);
    void Clear() {
        rows.clear();
        columns.clear();
    }
    friend bool operator==(const TableSelection&, const TableSelection&) = default;
};

// Toggle-button command ids: the first table's column buttons from 110 and row buttons from 210, the
// second table's from 310 and 410; at most 100 per set.
struct ToggleButton {
    int table = 0;  // 0 or 1
    bool column = true;
    int index = 0;
};
bool DecodeToggleButton(int id, ToggleButton& button);
int ToggleButtonId(int table, bool column, int index);

// The clipboard text of tables: per table its title, a header line of the column names and a line per row,
// fields separated by tabs, each level as LevelValueText. Tables are separated by an empty line.
std::string TablesClipboardText(const std::vector<LevelTable>& tables, bool linear, double p0);

// Frequency-weighting corrections of the spectrum plot.
using Correction = FrequencyWeighting;
// The C, A and Z corrections in dB at the nominal 1/3-octave frequencies 25 Hz ... 20 kHz.
const std::array<double, 30>& CorrectionTable(Correction c);
// True for the sound-level types that offer the corrections.
bool HasCorrections(DeviceType type);

// The spectrum page's time weightings, as its radio buttons name them, each with its level parameter.
struct TimeWeightingChoice {
    std::string name;
    int parameter = 0;
};
std::vector<TimeWeightingChoice> TimeWeightingChoicesFor(DeviceType type);

// The bars of the spectrum page: the octave (or field-meter band) bars and the 1/3-octave bars of the
// chosen parameter and channel, with labels. With a correction the sound-level bars get the band's
// correction added (an octave bar takes that of its centre 1/3-octave band); a bar without a level stays
// without one.
struct SpectrumBars {
    std::vector<double> values;
    std::vector<std::string> labels;
};
struct Spectrum {
    SpectrumBars octaves;  // empty for the ultrasound meters
    SpectrumBars thirds;   // the field meters' bands for types 22 and 23
};
Spectrum SpectrumFor(DeviceType type, const MeasurementRecord* record, int parameter, int channel,
                     Correction correction);

// The spectrum plot limits; accepted only when lower < threshold 1 < threshold 2 < upper and
// lower < threshold 3.
struct PlotLimits {
    int lower = 0;
    int upper = 200;
    int threshold1 = 100;
    int threshold2 = 170;
    int threshold3 = 170;

    bool valid() const {
        return lower < threshold1 && threshold1 < threshold2 && threshold2 < upper && lower < threshold3;
    }
};

// Records by their number (1 to recordCount()), read when asked for: a .bin file, or any other store of
// records that reads them on demand.
class RecordsByIndex {
  public:
    virtual ~RecordsByIndex() = default;
    virtual int recordCount() const = 0;
    virtual Status ReadRecordBytes(int k, RecordBytes& bytes) const = 0;
};

// The records of a .bin file, read in blocks of records.
class BinFileRecords : public RecordsByIndex {
  public:
    explicit BinFileRecords(const BinFile& file) : reader_(file) {}
    int recordCount() const override { return reader_.recordCount(); }
    Status ReadRecordBytes(int k, RecordBytes& bytes) const override {
        auto record = reader_.Record(k);
        if (!record) return record.error();
        std::copy(record->begin(), record->end(), bytes.begin());
        return {};
    }

  private:
    mutable BinRecordReader reader_;
};

// What places a record on a time axis: its stamp and its interval.
struct RecordTiming {
    std::optional<int64_t> stamp;  // LocalSeconds of its date and time, when that is a real date
    double intervalSeconds = 1.0;  // SeriesStep of its tail
};
// The start of each record in seconds after the first one's: its own stamp. The stamps keep seconds in
// two-second steps (kDosSecondsStep), so where the record before ends (its start plus its interval) within
// the step of a record's stamp, the record starts there: records shorter than the step that share a stamp
// follow one another. A record whose stamp is missing, or does not come after the start of the record
// before, follows that record; so do all of them when the first record has no real date, as the stamps then
// have nothing to count from.
std::vector<double> RecordStartSeconds(std::span<const RecordTiming> records);

// The level of one choice over the records, with the time of each record in seconds after the first
// (RecordStartSeconds). `start` is the first record's stamp when it is a real date (for clock-time labels).
struct LevelSeriesData {
    std::vector<double> levels;  // dB
    std::vector<double> seconds;
    std::optional<CalendarTime> start;
};
Result<LevelSeriesData> ReadLevelSeries(const RecordsByIndex& records, DeviceType type,
                                        const LevelSelection& choice);
// The levels alone.
Result<std::vector<double>> LevelSeries(const BinFile& file, DeviceType type, const LevelSelection& choice);
// Seconds between records of a series: the record's interval when it is known, else 1.
double SeriesStep(const RecordTail& tail);
// Seconds since 1970-01-01 00:00 of a local date and time (no time zone); nothing for a date and time
// that does not exist (month 13, 31 April, 25 o'clock).
std::optional<int64_t> LocalSeconds(const CalendarTime& t);

// The "Enter bounds" texts: a bound is written with "%.3lg"; a text that is not a number keeps the old value.
std::string BoundText(double bound);
double ParseBound(const std::string& text, double old);

}  // namespace k470::views
