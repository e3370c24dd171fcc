// SPDX-License-Identifier: GPL-3.0-or-later
#include "acoustics/acoustics_words.h"

#include "base/number_format.h"

namespace k470::acoustics {

std::string message(Word word, std::initializer_list<std::string_view> args) {
    return substitute(lexicon().text(word), args);
}

Status checkSampleRate(double rate) {
    if (rate >= kMinSampleRate && rate <= kMaxSampleRate) return {};
    return fail(message(Word::SampleRateOutOfRange, {formatGeneral(rate, 10)}));
}

Status checkSampleRate(double rate, const SampleRateRange& range) {
    if (!range.analysis) return checkSampleRate(rate);
    if (rate >= range.min && rate <= range.max) return {};
    return fail(
        message(Word::SampleRateOutsideRange, {formatGeneral(rate, 10), range.analysis,
                                               formatGeneral(range.min, 10), formatGeneral(range.max, 10)}));
}

}  // namespace k470::acoustics
