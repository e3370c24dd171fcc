// SPDX-License-Identifier: GPL-3.0-or-later
// Up to four biquad cascades fed with the same input and run side by side in the lanes of a vector, so that
// the bands of one rate cost little more than one band. Cascades with fewer sections are padded with
// pass-through sections.
#pragma once

#include <array>
#include <span>
#include <vector>

#include "acoustics/biquad.h"

namespace k470::acoustics {

class BiquadLanes {
  public:
    static constexpr size_t kLanes = 4;
    static constexpr size_t kMaxSections = 8;

    // At most kLanes cascades of at most kMaxSections sections each.
    explicit BiquadLanes(std::span<const BiquadCascade> cascades);

    size_t lanes() const { return lanes_; }
    // Cascade `lane`'s outputs within what process() wrote to `out`.
    static std::span<const double> lane(const std::vector<double>& out, size_t lane) {
        const size_t count = out.size() / kLanes;
        return std::span<const double>(out).subspan(lane * count, count);
    }
    // Filters `in` through every cascade: out[lane * in.size() + n] is the output of cascade `lane` for
    // in[n].
    void process(std::span<const double> in, std::vector<double>& out);
    void reset();

  private:
    size_t lanes_ = 0;
    size_t sections_ = 0;
    // Per section, per lane: b0, b1, b2, a1, a2 (coefficients) and z1, z2 (state).
    std::vector<std::array<double, kLanes>> coefficients_;
    std::vector<std::array<double, kLanes>> state_;
};

}  // namespace k470::acoustics
