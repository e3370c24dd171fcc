// SPDX-License-Identifier: GPL-3.0-or-later
#include "views/misc_views.h"

#include <cmath>

#include "base/number_format.h"
#include "base/text_encoding.h"
#include "data/dos_date_time.h"

namespace k470::views {

std::string CommentText(const std::array<uint8_t, 10>& comment, uint16_t charTable) {
    std::string bytes;
    for (uint8_t b : comment) {
        if (b == 0xFF || b == 0) break;
        bytes += static_cast<char>(b);
    }
    switch (charTable) {
        case 2:
            return fromCodePage(bytes, CodePage::Windows1251);
        case 3: {
            std::string s;
            for (char c : bytes)
                s += (static_cast<uint8_t>(c) >= 0x20 && static_cast<uint8_t>(c) < 0x7F) ? c : '.';
            return s;
        }
        default:
            return fromCodePage(bytes, CodePage::Windows1252);
    }
}

RecordParameterTexts ParameterTexts(const MeasurementRecord& record) {
    RecordParameterTexts t;
    const CalendarTime when = record.header.dateTime();
    appendDate(t.date, when);
    appendTime(t.time, when);
    t.comment = CommentText(record.header.recordComment, record.tail.charTable);
    if (record.tail.intervalKnown()) appendInterval(t.interval, record.tail);
    t.vin = formatHex8(record.header.vin);
    t.range = record.tail.rangeIndex < 4 ? record.tail.rangeIndex : 0;
    const int channels = record.dimensions.channels;
    for (int c = 0; c < 3 && c < channels; ++c)
        t.calibrationOffsets[static_cast<size_t>(c)] =
            formatFixed(record.trailer.calibrationOffset[static_cast<size_t>(c)], 2);
    return t;
}

double ParseZeroDbReference(const std::string& text, double old) {
    double v = 0.0;
    return parseDouble(text, v) && std::isfinite(v) && v > 0.0 ? v : old;
}

void Notepad::Add(double x, double y) {
    if (points_.size() == kCapacity) points_.erase(points_.begin());
    points_.push_back({x, y});
}

std::string Notepad::DifferenceText(size_t a, size_t b) const {
    if (a >= points_.size() || b >= points_.size()) return {};
    std::string s = formatGeneral(points_[b].x - points_[a].x, 6);
    s += " ;    ";
    appendGeneral(s, points_[b].y - points_[a].y, 6);
    return s;
}

std::string Notepad::PointText(size_t i) const {
    if (i >= points_.size()) return {};
    std::string s = formatGeneral(points_[i].x, 6);
    s += " ;    ";
    appendGeneral(s, points_[i].y, 6);
    return s;
}

}  // namespace k470::views
