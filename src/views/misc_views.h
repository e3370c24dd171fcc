// SPDX-License-Identifier: GPL-3.0-or-later
// The "Parameters" and "Notepad" dialogs without widgets: the texts that describe the shown record, the
// comment through the instrument's character tables, the 0 dB reference typed by the user and the points
// noted from the plots.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "data/measurement_record.h"

namespace k470::views {

// The record comment through its character table: 1 shows it as Western (Windows-1252) text, 2 as Cyrillic
// (Windows-1251) text, 3 as plain ASCII with every other byte shown as "."; any other table value reads as
// table 1. The comment ends at the first 0xFF or 0 byte (ten 0xFF bytes: no comment).
std::string CommentText(const std::array<uint8_t, 10>& comment, uint16_t charTable);

struct RecordParameterTexts {
    std::string date;  // "%02d/%02d/%d"
    std::string time;  // "%02d:%02d:%02d"
    std::string comment;
    std::string interval;                           // "%d:%02d:%02d", empty when unknown
    std::string vin;                                // "%08X"
    int range = 0;                                  // 0..3
    std::array<std::string, 3> calibrationOffsets;  // "%.2lf", empty for channels the type does not have
};
RecordParameterTexts ParameterTexts(const MeasurementRecord& record);

// "Enter P0": a positive finite number, else the old reference stays.
double ParseZeroDbReference(const std::string& text, double old);

// Up to ten (x, y) points; a point noted when ten are kept pushes the oldest out.
class Notepad {
  public:
    static constexpr size_t kCapacity = 10;
    struct Point {
        double x = 0.0;
        double y = 0.0;
    };
    void Add(double x, double y);
    void Clear() { points_.clear(); }
    const std::vector<Point>& points() const { return points_; }
    // "%.6lg ;    %.6lg": x and y of point b minus those of point a; empty when either is not kept.
    std::string DifferenceText(size_t a, size_t b) const;
    // The list line of a point.
    std::string PointText(size_t i) const;

  private:
    std::vector<Point> points_;
};

}  // namespace k470::views
