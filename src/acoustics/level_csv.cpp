// SPDX-License-Identifier: GPL-3.0-or-later
#include "acoustics/level_csv.h"

#include <cmath>
#include <optional>

#include "base/number_format.h"

namespace k470::acoustics {

namespace {

// The columns ahead of the band columns.
constexpr const char* kCsvHead =
    "start_s,duration_s,LAeq,LCeq,LZeq,LAFmax,LAFmin,LASmax,LASmin,LAImax,LAF,LAS,LCpeak,LZpeak";

void appendLevel(std::string& out, double v) {
    out += ',';
    if (std::isfinite(v))
        appendFixed(out, v, 2);
    else if (v < 0)
        out += "-inf";
}

}  // namespace

std::string LevelsCsvHeader(const std::vector<BandId>& bands) {
    std::string h = kCsvHead;
    for (const auto& id : bands) h += (id.set == BandSet::Third ? ",LZeq_" : ",LZeq_oct_") + id.label();
    return h + "\n";
}

void AppendLevelsCsvRow(std::string& out, const IntervalLevels& l) {
    appendFixed(out, l.startSeconds, 2);
    out += ',';
    appendFixed(out, l.durationSeconds, 2);
    const auto& a = l.weightedRow(Weighting::A);
    const auto& c = l.weightedRow(Weighting::C);
    const auto& z = l.weightedRow(Weighting::Z);
    auto put = [&out](const std::optional<LevelRow>& row, double LevelRow::*field) {
        if (row)
            appendLevel(out, (*row).*field);
        else
            out += ',';
    };
    put(a, &LevelRow::leq);
    put(c, &LevelRow::leq);
    put(z, &LevelRow::leq);
    put(a, &LevelRow::fastMax);
    put(a, &LevelRow::fastMin);
    put(a, &LevelRow::slowMax);
    put(a, &LevelRow::slowMin);
    put(a, &LevelRow::impMax);
    put(a, &LevelRow::fast);
    put(a, &LevelRow::slow);
    put(c, &LevelRow::peak);
    put(z, &LevelRow::peak);
    for (const auto& band : l.bands) put(band, &LevelRow::leq);
    out += '\n';
}

}  // namespace k470::acoustics
