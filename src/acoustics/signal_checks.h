// SPDX-License-Identifier: GPL-3.0-or-later
// Checks on a signal before it is analysed as a whole.
#pragma once

#include <span>

#include "base/result.h"

namespace k470::acoustics {

// Fails when a sample is NaN or infinite, or when every sample is zero.
Status checkSamples(std::span<const double> samples);

}  // namespace k470::acoustics
