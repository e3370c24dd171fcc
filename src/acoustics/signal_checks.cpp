// SPDX-License-Identifier: GPL-3.0-or-later
#include "acoustics/signal_checks.h"

#include <cmath>
#include <string>

#include "acoustics/acoustics_words.h"

namespace k470::acoustics {

Status checkSamples(std::span<const double> samples) {
    bool silent = true;
    for (size_t i = 0; i < samples.size(); ++i) {
        if (!std::isfinite(samples[i]))
            return fail(message(Word::SignalSampleNotFinite, {std::to_string(i + 1)}));
        silent = silent && samples[i] == 0.0;
    }
    if (silent) return fail(message(Word::SignalSilent));
    return {};
}

}  // namespace k470::acoustics
