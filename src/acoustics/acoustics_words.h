// SPDX-License-Identifier: GPL-3.0-or-later
// The messages of the signal analysis, in the words of the active lexicon, and the checks that several of its
// parts share.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

#include "base/lexicon.h"
#include "base/result.h"

namespace k470::acoustics {

// The lowest and highest sampling rates the analysis takes (Hz): the weightings and the band filters are
// designed and checked over this range.
constexpr double kMinSampleRate = 8000.0;
constexpr double kMaxSampleRate = 192000.0;

// The sampling rates an analysis takes, and its name in messages ("whole-body vibration"); the default is
// that of the sound analyses.
struct SampleRateRange {
    double min = kMinSampleRate;
    double max = kMaxSampleRate;
    const char* analysis = nullptr;  // none: the sound analyses
};

// The word's text with each %s replaced by the next argument.
std::string message(Word word, std::initializer_list<std::string_view> args = {});

// Fails with "Sampling rate ... is not supported" outside kMinSampleRate..kMaxSampleRate, for 0, negative
// values and NaN.
Status checkSampleRate(double rate);
// Fails with "Sampling rate ... is not supported for <analysis>: it must lie between <min> and <max> Hz".
Status checkSampleRate(double rate, const SampleRateRange& range);

}  // namespace k470::acoustics
