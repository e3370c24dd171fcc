// SPDX-License-Identifier: GPL-3.0-or-later
// The FFT page's choices as the settings keep them for the next page, section "FFT": "Size" (a power of
// two from kMinFftSize to kMaxFftSize), "Window" and "Averaging" (the numbers of FftWindow and
// SpectrumAveraging), "Overlap" (percent, one of kFftOverlapChoices) and "LogFrequency" (0: linear axis).
// A value that is none of the choices (an edited file) leaves the default.
#pragma once

#include "acoustics/fft_analysis.h"
#include "base/settings_store.h"

namespace k470::acoustics {

inline constexpr const char* kFftSection = "FFT";
// The overlaps the page offers, percent; 50 % is Welch's usual choice for the Hann window.
inline constexpr double kFftOverlapChoices[] = {0.0, 25.0, 50.0, 75.0, 90.0};

struct FftChoices {
    FftParameters parameters;  // size, window, overlap and averaging; amplitude scaling
    bool logFrequency = true;

    bool operator==(const FftChoices& o) const {
        return parameters.size == o.parameters.size && parameters.window == o.parameters.window &&
               parameters.overlapPercent == o.parameters.overlapPercent &&
               parameters.averaging == o.parameters.averaging && logFrequency == o.logFrequency;
    }
};

FftChoices ReadFftChoices(const SettingsStore& store);
void WriteFftChoices(SettingsStore& store, const FftChoices& choices);

}  // namespace k470::acoustics
