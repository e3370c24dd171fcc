// SPDX-License-Identifier: GPL-3.0-or-later
// The frequency weightings of human vibration (ISO 8041-1:2017, table of parameters): whole-body Wb
// (ISO 2631-4), Wc, Wd, We, Wf, Wj, Wk (ISO 2631-1), Wm (ISO 2631-2) and the band-limiting Fk and Fm;
// hand-arm Wh (ISO 5349-1) and the band-limiting Fh. Each is the product of
//   band-limiting high-pass  s^2 / (s^2 + s w1/Q1 + w1^2)           and low-pass  w2^2 / (s^2 + s w2/Q2 +
//   w2^2) a-v transition           (1 + s/w3) / (1 + s/(Q4 w4) + s^2/w4^2) upward step              (w5/w6)^2
//   (1 + s/(Q5 w5) + s^2/w5^2) / (1 + s/(Q6 w6) + s^2/w6^2)
// and a gain K, with Q1 = Q2 = 1/sqrt(2); a parameter of infinity leaves its part out. The digital filters
// (AnalogWeightingFilter) follow these within 0.1 dB over each weighting's nominal range: whole-body
// 0.5-80 Hz, Wf 0.1-0.5 Hz, hand-arm 8-1000 Hz.
//
// The G weighting of infrasound (ISO 7196) is built the same way from its poles and zeros.
#pragma once

#include <optional>
#include <span>
#include <string_view>

#include "acoustics/analog_weighting.h"

namespace k470::acoustics {

enum class VibrationWeighting { Fk, Fm, Wb, Wc, Wd, We, Wf, Wj, Wk, Wm, Fh, Wh };

// "Fk", "Wd", ... as the vibration records name them.
std::string_view weightingName(VibrationWeighting w);
std::optional<VibrationWeighting> vibrationWeightingNamed(std::string_view name);

// The analogue definition with its nominal range.
AnalogShape vibrationWeightingShape(VibrationWeighting w);
// The G weighting: four zeros at 0 Hz, a pole pair at 1 Hz and three at 20 Hz (in Hz: -0.707 +- 0.707j,
// -19.27 +- 5.16j, -14.11 +- 14.11j, -5.16 +- 19.27j), 0 dB at 10 Hz; nominal range 0.25-315 Hz.
AnalogShape gWeightingShape();

}  // namespace k470::acoustics
