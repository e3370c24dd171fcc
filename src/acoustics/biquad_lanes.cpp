// SPDX-License-Identifier: GPL-3.0-or-later
#include "acoustics/biquad_lanes.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "acoustics/vector_width.h"

namespace k470::acoustics {

namespace {

// N sections over the four lanes, held as 4 / W vectors of W lanes; the states stay in registers across
// the samples of the block.
template <size_t N, size_t W>
[[gnu::always_inline]] inline void runSections(const std::array<double, 4>* coefficients,
                                               std::array<double, 4>* state, const double* in, size_t count,
                                               double* out) {
    constexpr size_t kVectors = 4 / W;
    Vec<W> b0[N][kVectors], b1[N][kVectors], b2[N][kVectors], a1[N][kVectors], a2[N][kVectors];
    Vec<W> z1[N][kVectors], z2[N][kVectors];
    for (size_t k = 0; k < N; ++k) {
        #pragma GCC unroll 8
        for (size_t v = 0; v < kVectors; ++v) {
            std::memcpy(&b0[k][v], coefficients[5 * k].data() + v * W, sizeof(Vec<W>));
            std::memcpy(&b1[k][v], coefficients[5 * k + 1].data() + v * W, sizeof(Vec<W>));
            std::memcpy(&b2[k][v], coefficients[5 * k + 2].data() + v * W, sizeof(Vec<W>));
            std::memcpy(&a1[k][v], coefficients[5 * k + 3].data() + v * W, sizeof(Vec<W>));
            std::memcpy(&a2[k][v], coefficients[5 * k + 4].data() + v * W, sizeof(Vec<W>));
            std::memcpy(&z1[k][v], state[2 * k].data() + v * W, sizeof(Vec<W>));
            std::memcpy(&z2[k][v], state[2 * k + 1].data() + v * W, sizeof(Vec<W>));
        }
    }
    for (size_t n = 0; n < count; ++n) {
        #pragma GCC unroll 8
        for (size_t v = 0; v < kVectors; ++v) {
            Vec<W> x;
            #pragma GCC unroll 8
            for (size_t l = 0; l < W; ++l) x[l] = in[n];
#pragma GCC unroll 8
            for (size_t k = 0; k < N; ++k) {
                // Written so that each new state waits on y through one multiply-add only: the states
                // carry from sample to sample, so their chain sets the pace.
                const Vec<W> y = b0[k][v] * x + z1[k][v];
                z1[k][v] = (b1[k][v] * x + z2[k][v]) - a1[k][v] * y;
                z2[k][v] = b2[k][v] * x - a2[k][v] * y;
                x = y;
            }
            #pragma GCC unroll 8
            for (size_t l = 0; l < W; ++l) out[(v * W + l) * count + n] = x[l];
        }
    }
    for (size_t k = 0; k < N; ++k) {
        #pragma GCC unroll 8
        for (size_t v = 0; v < kVectors; ++v) {
            std::memcpy(state[2 * k].data() + v * W, &z1[k][v], sizeof(Vec<W>));
            std::memcpy(state[2 * k + 1].data() + v * W, &z2[k][v], sizeof(Vec<W>));
        }
    }
}

template <size_t W, size_t... N>
[[gnu::always_inline]] inline void runAny(std::index_sequence<N...>,
                                          const std::array<double, 4>* coefficients,
                                          std::array<double, 4>* state, size_t sections, const double* in,
                                          size_t count, double* out) {
    ((sections == N + 1 ? runSections<N + 1, W>(coefficients, state, in, count, out) : void()), ...);
}

template <size_t W>
[[gnu::always_inline]] inline void runLanesBody(const std::array<double, 4>* coefficients,
                                                std::array<double, 4>* state, size_t sections,
                                                const double* in, size_t count, double* out) {
    if (sections == 0)  // pass-through in every lane
        for (size_t l = 0; l < 4; ++l) std::copy(in, in + count, out + l * count);
    runAny<W>(std::make_index_sequence<BiquadLanes::kMaxSections>(), coefficients, state, sections, in, count,
              out);
}

K470_WIDTH_DISPATCH(runLanes,
                    (const std::array<double, 4>* coefficients, std::array<double, 4>* state, size_t sections,
                     const double* in, size_t count, double* out),
                    (coefficients, state, sections, in, count, out))

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
