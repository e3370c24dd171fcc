// SPDX-License-Identifier: GPL-3.0-or-later
#include "acoustics/vibration_records.h"

#include <algorithm>
#include <cmath>

#include "acoustics/level_meter.h"
#include "acoustics/level_recorder.h"
#include "base/number_format.h"
#include "data/record_layout.h"

namespace k470::acoustics {

namespace {

constexpr double kReferenceHours = 8.0;  // A(8): the exposure normalised to an eight-hour day
constexpr const char* kAxes = "xyz";
constexpr int kWeightedParameters = 14;  // of a weighted row; the band rows have the first ten

// The values of a row in the parameter order of the record layout: 1 s r.m.s., min, max, 5 s ..., 10 s ...,
// Leq, then (weighted rows) the 1 s, 5 s and 10 s peaks and Pk.
std::array<double, kWeightedParameters> rowValues(const VibrationReading& r) {
    std::array<double, kWeightedParameters> v{};
    for (size_t k = 0; k < r.running.size(); ++k) {
        v[3 * k] = r.running[k].current;
        v[3 * k + 1] = r.running[k].min;
        v[3 * k + 2] = r.running[k].max;
        v[10 + k] = r.running[k].peak;
    }
    v[9] = r.rms;
    v[13] = r.peak;
    return v;
}

// Stores a value as a level of the record, at the words' limits when beyond them, and flags the slot.
void putLevel(MeasurementRecord& record, int slot, int word, double value, double reference) {
    const double db = levelDb(value * value, reference);
    if (db < 0.0) record.trailer.underrangeStatus[static_cast<size_t>(slot)] = 1;
    if (db > kMaxStoredLevelDb) record.trailer.overloadStatus[static_cast<size_t>(slot)] = 1;
    record.levels[static_cast<size_t>(word)] = std::clamp(db, 0.0, kMaxStoredLevelDb);
}

void putChannel(MeasurementRecord& record, int slot, const ChannelVibration& c, const VibrationKindInfo& info,
                double reference) {
    const BandRequest& b = info.bands;
    const int thirds = b.lastThird - b.firstThird + 1;
    for (size_t i = 0; i < c.bands.size(); ++i) {
        const bool third = static_cast<int>(i) < thirds;
        const auto kind = third ? LevelTableKind::Thirds : LevelTableKind::Octaves;
        const int band = third ? static_cast<int>(i) : static_cast<int>(i) - thirds;
        const auto v = rowValues(c.bands[i]);
        for (int p = 0; p < 10; ++p)
            putLevel(record, slot, levelWordIndex(ResultGroup::Vibration, kind, slot, p, band), v[p],
                     reference);
    }
    for (size_t w = 0; w < c.weighted.size(); ++w) {
        const auto v = rowValues(c.weighted[w]);
        for (int p = 0; p < kWeightedParameters; ++p)
            putLevel(record, slot,
                     levelWordIndex(ResultGroup::Vibration, LevelTableKind::Weighted, slot, p,
                                    static_cast<int>(w)),
                     v[p], reference);
    }
}

void appendValue(std::string& out, double v) {
    out += ',';
    appendGeneral(out, v, 6);
}

const VibrationReading* weightedOf(const ChannelVibration& c, const VibrationKindInfo& info,
                                   VibrationWeighting w) {
    const auto at = std::find(info.weightings.begin(), info.weightings.end(), w);
    if (at == info.weightings.end()) return nullptr;
    return &c.weighted[static_cast<size_t>(at - info.weightings.begin())];
}

}  // namespace

MeasurementRecord vibrationRecord(const VibrationInterval& v, VibrationKind kind, uint32_t vin) {
    const VibrationKindInfo& info = vibrationKindInfo(kind);
    const bool one = v.channels.size() == 1;
    MeasurementRecord r = MeasurementRecord::blank(one ? info.oneChannelType : info.threeChannelType).value();
    r.header.vin = vin;
    const double reference = r.dimensions.referenceValue;
    for (const ChannelVibration& c : v.channels) putChannel(r, one ? 0 : c.channel - 1, c, info, reference);
    setRecordInterval(r, v.durationSeconds);
    return r;
}

std::string VibrationCsvHeader() {
    return "start_s,duration_s,channel,weighting,rms_m_s2,peak_m_s2,mtvv_m_s2,vdv_m_s175,crest_factor\n";
}

void AppendVibrationCsvRows(std::string& out, const VibrationInterval& v, VibrationKind kind) {
    const VibrationKindInfo& info = vibrationKindInfo(kind);
    for (const ChannelVibration& c : v.channels) {
        for (size_t w = 0; w < c.weighted.size(); ++w) {
            const VibrationReading& r = c.weighted[w];
            appendFixed(out, v.startSeconds, 3);
            out += ',';
            appendFixed(out, v.durationSeconds, 3);
            out += ',';
            appendInt(out, c.channel);
            out += ',';
            out += weightingName(info.weightings[w]);
            appendValue(out, r.rms);
            appendValue(out, r.peak);
            appendValue(out, r.mtvv);
            appendValue(out, r.vdv);
            appendValue(out, r.crestFactor());
            out += '\n';
        }
    }
}

double dailyExposure(double a, double hours) {
    return a * std::sqrt(hours / kReferenceHours);
}

std::vector<SummaryRow> vibrationSummary(const VibrationInterval& whole, VibrationKind kind,
                                         std::optional<double> exposureHours) {
    const VibrationKindInfo& info = vibrationKindInfo(kind);
    std::vector<SummaryRow> rows, perAxis;
    double combined2 = 0.0, highest = 0.0;
    std::vector<SummaryRow> axisExposure;
    for (const ChannelVibration& c : whole.channels) {
        const size_t axis = static_cast<size_t>(std::clamp(c.channel, 1, 3) - 1);
        const VibrationWeighting w = info.health[axis];
        const VibrationReading* r = weightedOf(c, info, w);
        if (!r) continue;
        const std::string a(1, kAxes[axis]);
        rows.push_back({"rms_" + a + "_" + std::string(weightingName(w)), r->rms, "m/s^2"});
        perAxis.push_back({"vdv_" + a, r->vdv, "m/s^1.75"});
        perAxis.push_back({"mtvv_" + a, r->mtvv, "m/s^2"});
        perAxis.push_back({"crest_factor_" + a, r->crestFactor(), "1"});
        const double weighted = info.axisFactor[axis] * r->rms;
        combined2 += weighted * weighted;
        highest = std::max(highest, weighted);
        if (exposureHours && kind == VibrationKind::WholeBody)
            axisExposure.push_back({"a8_" + a, dailyExposure(weighted, *exposureHours), "m/s^2"});
    }
    const double combined = std::sqrt(combined2);
    rows.push_back({kind == VibrationKind::WholeBody ? "combined" : "ahv", combined, "m/s^2"});
    rows.insert(rows.end(), perAxis.begin(), perAxis.end());
    if (!exposureHours) return rows;
    rows.push_back({"exposure_time", *exposureHours, "h"});
    rows.insert(rows.end(), axisExposure.begin(), axisExposure.end());
    if (kind == VibrationKind::WholeBody)
        rows.push_back({"a8_highest_axis", dailyExposure(highest, *exposureHours), "m/s^2"});
    rows.push_back({kind == VibrationKind::WholeBody ? "a8_combined" : "a8",
                    dailyExposure(combined, *exposureHours), "m/s^2"});
    return rows;
}

std::string SummaryCsv(const std::vector<SummaryRow>& rows) {
    std::string out = "quantity,value,unit\n";
    for (const SummaryRow& r : rows) {
        out += r.quantity;
        appendValue(out, r.value);
        out += ',' + r.unit + '\n';
    }
    return out;
}

}  // namespace k470::acoustics
