// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/percentiles.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <memory>

#include "base/byte_order.h"
#include "base/file.h"
#include "base/lexicon.h"
#include "base/number_format.h"
#include "data/measurement_record.h"

namespace k470 {

namespace {

// Records read in one piece: large enough that a file of a hundred records takes two reads.
constexpr size_t kRecordsPerRead = 64;

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

}  // namespace

bool readPercentText(std::string_view text, double& percent) {
    size_t i = 0;
    while (i < text.size() && isBlank(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    // from_chars takes no sign of its own here, so "+-5" is refused as "%lg" refuses it.
    if (i >= text.size() || text[i] == '+' || text[i] == '-') return false;
    double value = 0.0;
    const auto r = std::from_chars(text.data() + i, text.data() + text.size(), value);
    if (r.ec != std::errc() || !std::isfinite(value)) return false;
    percent = negative ? -value : value;
    return true;
}

std::vector<double> fractionsOfPercents(std::vector<double> percents) {
    std::vector<double> fractions = std::move(percents);
    for (double& f : fractions) f = f / 100.0 + 0.0;  // + 0.0 makes a negative zero plain zero
    std::sort(fractions.begin(), fractions.end());
    fractions.erase(std::unique(fractions.begin(), fractions.end()), fractions.end());
    return fractions;
}

std::vector<double> percentFractions(std::span<const std::string> texts) {
    std::vector<double> percents;
    for (const std::string& t : texts) {
        double percent = 0.0;
        if (readPercentText(t, percent)) percents.push_back(percent);
    }
    return fractionsOfPercents(std::move(percents));
}

std::vector<double> answerFractions(const ClassCounts& counts, long long total,
                                    std::span<const double> fractions) {
    std::vector<double> answers(fractions.size(), 0.0);
    if (total <= 0) return answers;
    // Fractions are answered from the largest downward: the largest needs the smallest cumulative share.
    ptrdiff_t next = static_cast<ptrdiff_t>(fractions.size()) - 1;
    uint64_t running = 0;
    for (int u = 0; u < kHistogramClasses && next >= 0; ++u) {
        running += counts[static_cast<size_t>(u)];
        const double share = static_cast<double>(running) / static_cast<double>(total);
        while (next >= 0 && share > 1.0 - fractions[static_cast<size_t>(next)]) {
            answers[static_cast<size_t>(next)] = classUpperEdge(u);
            --next;
        }
    }
    return answers;
}

Result<PercentileResult> CalculatePercentiles(std::span<const std::string> paths, int byteOffset,
                                              std::span<const double> fractions,
                                              const std::function<bool(int percent)>& progress) {
    PercentileResult result;
    result.fractions.assign(fractions.begin(), fractions.end());
    const size_t offset = static_cast<size_t>(std::clamp(byteOffset, 0, static_cast<int>(kRecordSize) - 2));
    auto buffer = std::make_unique<uint8_t[]>(kRecordsPerRead * kRecordSize);
    uint16_t lowest = 0xFFFF;
    uint16_t highest = 0;
    for (size_t f = 0; f < paths.size(); ++f) {
        const std::string& path = paths[f];
        auto file = File::Open(path, File::Mode::Read);
        if (!file) return file.error();
        const uint64_t records = file->size() / kRecordSize;
        for (uint64_t first = 0; first < records; first += kRecordsPerRead) {
            // Between reads: the share of files done, with the part of this file that is read.
            const double share =
                (static_cast<double>(f) + static_cast<double>(first) / static_cast<double>(records)) /
                static_cast<double>(paths.size());
            if (progress && !progress(static_cast<int>(share * 100.0)))
                return fail(Word::CalculationCancelled);
            const size_t n = static_cast<size_t>(std::min<uint64_t>(kRecordsPerRead, records - first));
            // Only the stretch from the first wanted word to the last one is read.
            const size_t length = (n - 1) * kRecordSize + 2;
            if (!file->readAt(first * kRecordSize + offset, buffer.get(), length))
                return fail(lexicon().cantOpenFile(path));
            for (size_t k = 0; k < n; ++k) {
                const uint16_t word = readU16(buffer.get() + k * kRecordSize);
                lowest = std::min(lowest, word);
                highest = std::max(highest, word);
                ++result.classCounts[static_cast<size_t>(std::min(levelClass(word), kHistogramClasses - 1))];
            }
        }
        result.recordCount += static_cast<long long>(records);
    }
    if (result.recordCount == 0) return fail(lexicon().text(Word::NoSourceData));
    result.minimum = decodeLevel(lowest);
    result.maximum = decodeLevel(highest);
    result.answers = answerFractions(result.classCounts, result.recordCount, result.fractions);
    return result;
}

void writeBack(PercentileForm& form, const PercentileResult& result) {
    for (size_t i = 0; i < static_cast<size_t>(kPercentileFields); ++i) {
        form.percentTexts[i].clear();
        form.resultTexts[i].clear();
        if (i < result.fractions.size()) {
            appendGeneral(form.percentTexts[i], result.fractions[i] * 100.0, 3);
            appendFixed(form.resultTexts[i], result.answers[i], 2);
        }
    }
    form.minimumText = formatFixed(result.minimum, 2);
    form.maximumText = formatFixed(result.maximum, 2);
}

Status CalculateForm(PercentileForm& form, std::span<const std::string> paths, int byteOffset,
                     const std::function<bool(int percent)>& progress) {
    const std::vector<double> fractions = percentFractions(form.percentTexts);
    auto result = CalculatePercentiles(paths, byteOffset, fractions, progress);
    if (!result) return result.error();
    writeBack(form, *result);
    return {};
}

std::string percentileClipboardText(const PercentileForm& form, DeviceType type, std::string_view tableText,
                                    std::string_view parameterText, std::string_view bandText,
                                    std::string_view channelText) {
    std::string text = "'";
    for (std::string_view part : {tableText, parameterText, bandText}) {
        text += part;
        text += '\t';
    }
    if (isThreeChannelType(type)) text += channelText;
    text += '\n';
    for (size_t i = 0; i < static_cast<size_t>(kPercentileFields); ++i) {
        if (i > 0) text += '\t';
        text += form.percentTexts[i];
    }
    text += '\n';
    for (size_t i = 0; i < static_cast<size_t>(kPercentileFields); ++i) {
        if (i > 0) text += '\t';
        text += form.resultTexts[i];
    }
    text += '\n';
    text += form.minimumText;
    text += '\t';
    text += form.maximumText;
    text += '\t';
    return text;
}

}  // namespace k470
