// SPDX-License-Identifier: GPL-3.0-or-later
// The 0 dB references of the quantities the instruments measure: the linear value that reads 0 dB.
#pragma once

namespace k470 {

inline constexpr double kReferenceSoundPressure = 2e-5;   // Pa: sound, infrasound and ultrasound levels
inline constexpr double kReferenceAcceleration = 1e-6;    // m/s²: vibration levels
inline constexpr double kReferenceElectricField = 0.1;    // the electric field meter's 0 dB
inline constexpr double kReferenceMagneticField = 0.001;  // the magnetic field meter's 0 dB

}  // namespace k470
