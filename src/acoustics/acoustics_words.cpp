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

}  // namespace k470::acoustics
