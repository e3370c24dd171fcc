// SPDX-License-Identifier: GPL-3.0-or-later
#include "acoustics/biquad_lanes.h"

#include "acoustics/vector_clones.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace k470::acoustics {

namespace {

typedef double Vec4 __attribute__((vector_size(4 * sizeof(double))));

// N sections, their states held in registers across the samples of the block.
template <size_t N>
[[gnu::always_inline]] inline void runSections(const std::array<double, 4>* coefficients,
                                               std::array<double, 4>* state, const double* in, size_t count,
                                               double* out) {
    Vec4 b0[N], b1[N], b2[N], a1[N], a2[N], z1[N], z2[N];
    for (size_t k = 0; k < N; ++k) {
        std::memcpy(&b0[k], (coefficients[5 * k]).data(), sizeof(Vec4));
        std::memcpy(&b1[k], (coefficients[5 * k + 1]).data(), sizeof(Vec4));
        std::memcpy(&b2[k], (coefficients[5 * k + 2]).data(), sizeof(Vec4));
        std::memcpy(&a1[k], (coefficients[5 * k + 3]).data(), sizeof(Vec4));
        std::memcpy(&a2[k], (coefficients[5 * k + 4]).data(), sizeof(Vec4));
        std::memcpy(&z1[k], (state[2 * k]).data(), sizeof(Vec4));
        std::memcpy(&z2[k], (state[2 * k + 1]).data(), sizeof(Vec4));
    }
    for (size_t n = 0; n < count; ++n) {
        Vec4 v = {in[n], in[n], in[n], in[n]};
#pragma GCC unroll 8
        for (size_t k = 0; k < N; ++k) {
            // Written so that each new state waits on y through one multiply-add only: the states carry
            // from sample to sample, so their chain sets the pace.
            const Vec4 y = b0[k] * v + z1[k];
            z1[k] = (b1[k] * v + z2[k]) - a1[k] * y;
            z2[k] = b2[k] * v - a2[k] * y;
            v = y;
        }
        for (size_t l = 0; l < 4; ++l) out[l * count + n] = v[l];
    }
    for (size_t k = 0; k < N; ++k) {
        std::memcpy((state[2 * k]).data(), &z1[k], sizeof(Vec4));
        std::memcpy((state[2 * k + 1]).data(), &z2[k], sizeof(Vec4));
    }
}

template <size_t... N>
[[gnu::always_inline]] inline void runAny(std::index_sequence<N...>,
                                          const std::array<double, 4>* coefficients,
                                          std::array<double, 4>* state, size_t sections, const double* in,
                                          size_t count, double* out) {
    ((sections == N + 1 ? runSections<N + 1>(coefficients, state, in, count, out) : void()), ...);
}

K470_VECTOR_CLONES
void runLanes(const std::array<double, 4>* coefficients, std::array<double, 4>* state, size_t sections,
              const double* in, size_t count, double* out) {
    if (sections == 0)  // pass-through in every lane
        for (size_t l = 0; l < 4; ++l) std::copy(in, in + count, out + l * count);
    runAny(std::make_index_sequence<BiquadLanes::kMaxSections>(), coefficients, state, sections, in, count,
           out);
}

}  // namespace

BiquadLanes::BiquadLanes(std::span<const BiquadCascade> cascades) {
    lanes_ = std::min(cascades.size(), kLanes);
    for (size_t l = 0; l < lanes_; ++l) sections_ = std::max(sections_, cascades[l].sections().size());
    sections_ = std::min(sections_, kMaxSections);
    coefficients_.assign(5 * sections_, {});
    for (size_t k = 0; k < sections_; ++k) {
        for (size_t l = 0; l < kLanes; ++l) {
            Biquad b;  // pass-through for a missing section or lane
            if (l < lanes_ && k < cascades[l].sections().size()) b = cascades[l].sections()[k];
            coefficients_[5 * k][l] = b.b0;
            coefficients_[5 * k + 1][l] = b.b1;
            coefficients_[5 * k + 2][l] = b.b2;
            coefficients_[5 * k + 3][l] = b.a1;
            coefficients_[5 * k + 4][l] = b.a2;
        }
    }
    reset();
}

void BiquadLanes::reset() {
    state_.assign(2 * sections_, {});
}

void BiquadLanes::process(std::span<const double> in, std::vector<double>& out) {
    out.resize(in.size() * kLanes);
    runLanes(coefficients_.data(), state_.data(), sections_, in.data(), in.size(), out.data());
}

}  // namespace k470::acoustics
