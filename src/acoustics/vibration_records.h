// SPDX-License-Identifier: GPL-3.0-or-later
// What the vibration analysis gives out: the vibration meters' records, a CSV table of the weighted
// values, and the summary of a whole measurement with the daily exposure.
//
// Records: one record per interval in the layout of the vibration meters (three channels: type 1
// whole-body or 2 hand-arm, a channel in the slot of its number; one channel: type 4 or 5), every level in
// dB re 1e-6 m/s^2; per band the running r.m.s. of 1 s, 5 s and 10 s with their minima and maxima and the
// equivalent value, per weighting also the peaks of those spans and of the interval. A level below 0 dB is
// stored as 0 and flags its channel under-range, one above 255.99 dB is stored at that and flags it
// overloaded.
//
// Summary (ISO 2631-1, ISO 5349-1), per axis x, y, z (channels 1, 2, 3) the r.m.s. of the weighting for
// health (whole-body Wd, Wd, Wk; hand-arm Wh), its VDV, MTVV and crest factor, and the combined value
//   whole-body  sqrt((1.4 awx)^2 + (1.4 awy)^2 + awz^2)
//   hand-arm    ahv = sqrt(ahwx^2 + ahwy^2 + ahwz^2)
// and, for an exposure of T hours a day, the daily exposure A(8) = a sqrt(T / 8 h): of the combined value,
// and for whole-body also of each axis with its factor and of the highest of these (ISO 2631-1 and the
// daily exposure value of the whole-body limits).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "acoustics/vibration_analyser.h"
#include "data/measurement_record.h"

namespace k470::acoustics {

MeasurementRecord vibrationRecord(const VibrationInterval& v, VibrationKind kind, uint32_t vin);

// "start_s,duration_s,channel,weighting,rms_m_s2,peak_m_s2,mtvv_m_s2,vdv_m_s175,crest_factor\n"
std::string VibrationCsvHeader();
// One line per channel and weighting of the interval.
void AppendVibrationCsvRows(std::string& out, const VibrationInterval& v, VibrationKind kind);

struct SummaryRow {
    std::string quantity;  // "rms_x_Wd", "combined", "a8", ...
    double value = 0.0;
    std::string unit;  // "m/s^2", "m/s^1.75", "1", "h"
};

// The summary of a measurement analysed as one interval (VibrationAnalyser with interval 0).
std::vector<SummaryRow> vibrationSummary(const VibrationInterval& whole, VibrationKind kind,
                                         std::optional<double> exposureHours);
// The daily exposure A(8) of a vibration value a over T hours a day: a sqrt(T / 8).
double dailyExposure(double a, double hours);

// "quantity,value,unit\n" and the rows.
std::string SummaryCsv(const std::vector<SummaryRow>& rows);

}  // namespace k470::acoustics
