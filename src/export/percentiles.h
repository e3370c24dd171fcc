// SPDX-License-Identifier: GPL-3.0-or-later
// Level distribution over the records of several record files: every record is one sample of the chosen
// level; the samples are counted in 0.5 dB classes, and for a percentage p the answer is the lowest class
// edge that fewer than p percent of the records reach or exceed.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/result.h"
#include "data/device_type.h"

namespace k470 {

// Class u (1..512) holds the levels in [(u-1)/2, u/2) dB; class 0 and 513 stay for the clamping.
constexpr int kHistogramClasses = 514;
using ClassCounts = std::array<uint64_t, kHistogramClasses>;

// The class of a level word: floor(2*L) + 1 with L = word/256 dB.
inline int levelClass(uint16_t word) {
    return (word >> 7) + 1;
}
inline double classLowerEdge(int u) {
    return (u - 1) * 0.5;
}
inline double classUpperEdge(int u) {
    return u * 0.5;
}

struct PercentileResult {
    std::vector<double> fractions;  // the percentages / 100, ascending, without duplicates
    std::vector<double> answers;    // dB, aligned with fractions; 0 for a fraction that no class answers
    double minimum = 0.0;           // dB
    double maximum = 0.0;           // dB
    long long recordCount = 0;
    ClassCounts classCounts{};
};

// Reads a percentage text as "%lg" does: leading blanks, then the longest number at the start; the rest of
// the text is ignored. Texts that do not start with a number, and infinities and NaNs, are not percentages.
bool readPercentText(std::string_view text, double& percent);
// The fractions percent / 100, ascending and without duplicates.
std::vector<double> fractionsOfPercents(std::vector<double> percents);
// The fractions (percent / 100) of the texts that read as percentages, ascending and without duplicates.
std::vector<double> percentFractions(std::span<const std::string> texts);

// The answer walk over the classes: after adding class u the cumulative share F = S/N answers, from the
// largest unanswered fraction p downward, every p with F > 1 - p by the upper edge of class u.
std::vector<double> answerFractions(const ClassCounts& counts, long long total,
                                    std::span<const double> fractions);

// Reads the level word at byteOffset of every record of every file, in file order, and computes minimum,
// maximum, class counts and the answers. Fails with "Can't open file '<path>'" for a file that cannot be
// opened or read, and with "No source data" when there is no record at all. The progress callback hears
// the share of files read (0..100) now and then; when it answers false the calculation stops with "The
// calculation was cancelled".
Result<PercentileResult> CalculatePercentiles(std::span<const std::string> paths, int byteOffset,
                                              std::span<const double> fractions,
                                              const std::function<bool(int percent)>& progress = {});

// The six percentage fields of the "Distribution histogram" dialog with their result fields.
constexpr int kPercentileFields = 6;
struct PercentileForm {
    std::array<std::string, kPercentileFields> percentTexts;
    std::array<std::string, kPercentileFields> resultTexts;
    std::string minimumText;
    std::string maximumText;
};

// Writes a result back into the form: the percentages ascending as "%.3lg" (fields beyond them emptied),
// each answer as "%.2lf" beside its percentage, minimum and maximum as "%.2lf".
void writeBack(PercentileForm& form, const PercentileResult& result);

// "Calculate": reads the form's percentages, computes, and writes the result back. On failure (the message
// is returned) the form stays as it was.
Status CalculateForm(PercentileForm& form, std::span<const std::string> paths, int byteOffset,
                     const std::function<bool(int percent)>& progress = {});

// The text that "Save to clipboard" puts together: "'" and the table, parameter and band texts each followed
// by a tab, and the channel text for the three-channel types 1, 2 and 20; then a line of the six percentage
// texts, a line of the six result texts (tab-separated), and minimum and maximum each followed by a tab.
std::string percentileClipboardText(const PercentileForm& form, DeviceType type, std::string_view tableText,
                                    std::string_view parameterText, std::string_view bandText,
                                    std::string_view channelText);

}  // namespace k470
