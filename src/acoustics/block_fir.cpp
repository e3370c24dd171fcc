// SPDX-License-Identifier: GPL-3.0-or-later
#include "acoustics/block_fir.h"

#include <cstring>

#include "acoustics/vector_width.h"

namespace k470::acoustics {

namespace {

// out[i] (+)= sum over j < n of taps[j] * x[i + j], for i < count. Sixteen outputs at a time in separate
// accumulators, so that the multiply-adds of one tap do not wait on one another.
template <size_t W>
[[gnu::always_inline]] inline void dotRunBody(const double* taps, size_t n, const double* x, size_t count,
                                              double* out, bool add) {
    constexpr size_t kVectors = 16 / W;
    size_t i = 0;
    for (; i + 16 <= count; i += 16) {
        Vec<W> s[kVectors] = {};
        for (size_t j = 0; j < n; ++j) {
            Vec<W> h;
            #pragma GCC unroll 8
            for (size_t l = 0; l < W; ++l) h[l] = taps[j];
            #pragma GCC unroll 8
            for (size_t v = 0; v < kVectors; ++v) {
                Vec<W> p;
                std::memcpy(&p, x + i + j + v * W, sizeof p);
                s[v] += h * p;
            }
        }
        #pragma GCC unroll 8
        for (size_t v = 0; v < kVectors; ++v) {
            if (add) {
                Vec<W> o;
                std::memcpy(&o, out + i + v * W, sizeof o);
                s[v] += o;
            }
            std::memcpy(out + i + v * W, &s[v], sizeof s[v]);
        }
    }
    for (; i < count; ++i) {
        double s = 0.0;
        for (size_t j = 0; j < n; ++j) s += taps[j] * x[i + j];
        out[i] = add ? out[i] + s : s;
    }
}

K470_WIDTH_DISPATCH(dotRun,
                    (const double* taps, size_t n, const double* x, size_t count, double* out, bool add),
                    (taps, n, x, count, out, add))

}  // namespace

BlockFir::BlockFir(std::span<const double> taps, Keep keep) : taps_(taps.begin(), taps.end()), keep_(keep) {
    for (size_t j = 0; j < taps_.size(); ++j) (j % 2 == 0 ? evenTaps_ : oddTaps_).push_back(taps_[j]);
    reset();
}

void BlockFir::reset() {
    line_.assign(taps_.empty() ? 0 : taps_.size() - 1, 0.0);
    oddNext_ = false;
}

void BlockFir::process(std::span<const double> in, std::vector<double>& out) {
    if (taps_.empty() || in.empty()) return;
    const size_t kept = taps_.size() - 1;
    line_.insert(line_.end(), in.begin(), in.end());
    const size_t at = out.size();
    if (keep_ == Keep::Every) {
        out.resize(at + in.size());
        dotRun(taps_.data(), taps_.size(), line_.data(), in.size(), out.data() + at, false);
    } else {
        // The kept outputs belong to the inputs t = first, first + 2, ...; output i is the even taps over
        // line_[first + 2k] plus the odd taps over line_[first + 2k + 1], k = i, i + 1, ...
        const size_t first = oddNext_ ? 1 : 0;
        const size_t count = first < in.size() ? (in.size() - first + 1) / 2 : 0;
        if (count > 0) {
            evenLine_.resize(count + evenTaps_.size() - 1);
            oddLine_.resize(oddTaps_.empty() ? 0 : count + oddTaps_.size() - 1);
            for (size_t k = 0; k < evenLine_.size(); ++k) evenLine_[k] = line_[first + 2 * k];
            for (size_t k = 0; k < oddLine_.size(); ++k) oddLine_[k] = line_[first + 2 * k + 1];
            out.resize(at + count);
            dotRun(evenTaps_.data(), evenTaps_.size(), evenLine_.data(), count, out.data() + at, false);
            if (!oddTaps_.empty())
                dotRun(oddTaps_.data(), oddTaps_.size(), oddLine_.data(), count, out.data() + at, true);
        }
        oddNext_ = oddNext_ != (in.size() % 2 == 1);
    }
    line_.erase(line_.begin(), line_.end() - static_cast<std::ptrdiff_t>(kept));
}

}  // namespace k470::acoustics
