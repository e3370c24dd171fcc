// SPDX-License-Identifier: GPL-3.0-or-later
// Infrasound levels of a sound-pressure signal, interval by interval, and the infrasound meters' records
// (device type 6).
//
// The signal runs through the G weighting (ISO 7196), the A weighting (IEC 61672-1, at rates from 8 kHz)
// and unweighted (Z), and through the infrasound meters' octaves (2-250 Hz) and 1/3-octaves (1.6-315 Hz).
// Each gets the time weightings of the infrasound records: Slow (exponential, 1 s) and ESlow (exponential,
// kExtraSlowSeconds), each with its minimum and maximum over the interval, and the equivalent level Leq.
// The detectors start from rest; a minimum is taken once its detector has run five time constants (as
// LevelMeter does). The record's fourth weighted row (Fi) is not measured and stays 0.
#pragma once

#include <array>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "acoustics/analog_weighting.h"
#include "acoustics/frequency_weighting.h"
#include "acoustics/interval_splitter.h"
#include "acoustics/level_records_file.h"
#include "acoustics/measurement_context.h"
#include "acoustics/octave_filter_bank.h"
#include "acoustics/signal_input.h"
#include "base/result.h"
#include "data/measurement_record.h"
#include "data/reference_values.h"

namespace k470::acoustics {

// The extra-slow time weighting of the infrasound meters (s).
constexpr double kExtraSlowSeconds = 10.0;
// The rates the infrasound analysis takes: the G weighting follows ISO 7196 within 0.1 dB up to 315 Hz
// from 2 kHz on.
constexpr SampleRateRange kInfrasoundRates{2000.0, 48000.0, "infrasound"};

// Levels of one row in dB.
struct InfrasoundRow {
    double leq = 0.0;
    double slow = 0.0, slowMin = 0.0, slowMax = 0.0;
    double eslow = 0.0, eslowMin = 0.0, eslowMax = 0.0;
};

enum class InfrasoundWeighting { A, Z, G };
constexpr std::array<const char*, 3> kInfrasoundWeightingNames = {"A", "Z", "G"};

struct InfrasoundInterval {
    double startSeconds = 0.0, durationSeconds = 0.0;
    std::array<std::optional<InfrasoundRow>, 3> weighted;  // A (absent below 8 kHz), Z, G
    std::vector<InfrasoundRow> bands;                      // in the order of bandIds()
};

using InfrasoundIntervalFn = std::function<Status(const InfrasoundInterval&)>;

class InfrasoundAnalyser {
  public:
    // Fails for a rate outside kInfrasoundRates.
    static Result<InfrasoundAnalyser> Create(const MeasurementContext& context, double intervalSeconds);
    InfrasoundAnalyser(InfrasoundAnalyser&&) noexcept;
    InfrasoundAnalyser& operator=(InfrasoundAnalyser&&) noexcept;
    ~InfrasoundAnalyser();

    const std::vector<BandId>& bandIds() const { return bandIds_; }
    Status process(std::span<const double> samples, const InfrasoundIntervalFn& onInterval);
    Status finish(const InfrasoundIntervalFn& onInterval);
    InfrasoundInterval current() const;

    class Meter;

  private:
    InfrasoundAnalyser();
    void feed(std::span<const double> samples);
    Status closeInterval(const InfrasoundIntervalFn& onInterval);

    std::optional<OctaveFilterBank> bank_;
    std::vector<BandId> bandIds_;
    std::vector<int> bankIndex_;
    std::optional<FrequencyWeighting> a_;
    AnalogWeightingFilter g_;
    std::vector<Meter> weightedMeters_;  // A, Z, G
    std::vector<Meter> bandMeters_;
    std::vector<double> work_;
    double reference_ = kReferenceSoundPressure;
    IntervalSplitter intervals_;
};

// The infrasound record (type 6) of an interval.
MeasurementRecord infrasoundRecord(const InfrasoundInterval& levels, uint32_t vin);

// "start_s,duration_s,row,leq_db,slow_db,slow_min_db,slow_max_db,eslow_db,eslow_min_db,eslow_max_db\n"
std::string InfrasoundCsvHeader();
// One line per weighting (G, Z, A when measured) and band of the interval.
void AppendInfrasoundCsvRows(std::string& out, const InfrasoundInterval& levels,
                             const std::vector<BandId>& bandIds);

using InfrasoundProgressFn = RecordProgressFn;

// Runs one record of the file; intervals are timed from the start of the record. The bands come with it.
Status runInfrasound(
    const std::string& path, const SignalInputOptions& options, double intervalSeconds,
    const std::function<Status(const InfrasoundInterval&, const std::vector<BandId>&)>& onInterval,
    const InfrasoundProgressFn& progress = {});

// The records of every chosen record's intervals written to a .bin file; a signal without a physical
// scale is refused.
Result<LevelRecordsWritten> writeInfrasoundRecords(const std::string& input,
                                                   const SignalInputOptions& options,
                                                   const std::vector<int>& records, double intervalSeconds,
                                                   const std::string& output,
                                                   const InfrasoundProgressFn& progress = {});

}  // namespace k470::acoustics
