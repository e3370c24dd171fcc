#include "acoustics/signal_checks.h"

#include <cmath>
#include <string>

namespace k470::acoustics {

Status checkSamples(std::span<const double> samples) {
    bool silent = true;
    for (size_t i = 0; i < samples.size(); ++i) {
        if (!std::isfinite(samples[i]))
            return fail("Sample " + std::to_string(i + 1) + " of the signal is not a number or infinite");
        silent = silent && samples[i] == 0.0;
    }
    if (silent) return fail("The signal is silent: every sample is zero");
    return {};
}

}  // namespace k470::acoustics
