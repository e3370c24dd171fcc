// SPDX-License-Identifier: GPL-3.0-or-later
// Made-up human vibration whose weighted values are known in closed form, for the sample signal files and
// the simulated instrument: tones of stated acceleration (m/s^2 rms) and frequency on each axis x, y, z, and
// a half-sine shock.
//   whole-body  x 0.3 m/s^2 at 2 Hz, y 0.2 m/s^2 at 1.25 Hz, z 0.5 m/s^2 at 5 Hz; the shock on z: a
//               half-sine of 10 m/s^2 peak lasting 50 ms
//   hand-arm    a tool's tone at 125 Hz with its harmonics at 250 and 375 Hz: x 4, 2, 1 m/s^2,
//               y 2, 1, 0.5 m/s^2, z 3, 1.5, 0.75 m/s^2; no shock
#pragma once

#include <cstdint>
#include <span>

namespace k470 {

enum class VibrationCase { WholeBody, HandArm };

struct VibrationTone {
    int axis;          // 0, 1, 2: x, y, z
    double frequency;  // Hz
    double rms;        // m/s^2
};

struct VibrationShock {
    int axis;
    double peak;      // m/s^2
    double duration;  // s
};

std::span<const VibrationTone> vibrationCaseTones(VibrationCase c);
// The shock of the case (a duration of 0: none).
VibrationShock vibrationCaseShock(VibrationCase c);

// The case's three axes, frame by frame; the shock starts at shockAt seconds (negative: never).
class VibrationCaseSynth {
  public:
    VibrationCaseSynth(VibrationCase c, double rate, double shockAt = -1.0);
    // Fills x, y, z.
    void next(std::span<double> frame);

  private:
    VibrationCase case_;
    double rate_, shockAt_;
    uint64_t n_ = 0;
};

}  // namespace k470
