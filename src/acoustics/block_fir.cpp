// SPDX-License-Identifier: GPL-3.0-or-later
#include "acoustics/block_fir.h"

#include <cstring>

#include "acoustics/vector_clones.h"

namespace k470::acoustics {

namespace {

typedef double Vec4 __attribute__((vector_size(4 * sizeof(double))));
// Four doubles read from or written to any double's address.
typedef double UnalignedVec4
    __attribute__((vector_size(4 * sizeof(double)), aligned(sizeof(double)), may_alias));
#define K470_VEC4_AT(p) (*reinterpret_cast<const UnalignedVec4*>(p))

// out[i] (+)= sum over j < n of taps[j] * x[i + j], for i < count. Sixteen outputs at a time in four
// accumulators, so that the multiply-adds of one tap do not wait on one another.
K470_VECTOR_CLONES
void dotRun(const double* taps, size_t n, const double* x, size_t count, double* out, bool add) {
    size_t i = 0;
    for (; i + 16 <= count; i += 16) {
        Vec4 s0 = {}, s1 = {}, s2 = {}, s3 = {};
        for (size_t j = 0; j < n; ++j) {
            const double* p = x + i + j;
            const Vec4 h = {taps[j], taps[j], taps[j], taps[j]};
            s0 += h * K470_VEC4_AT(p);
            s1 += h * K470_VEC4_AT(p + 4);
            s2 += h * K470_VEC4_AT(p + 8);
            s3 += h * K470_VEC4_AT(p + 12);
        }
        if (add) {
            s0 += K470_VEC4_AT(out + i), s1 += K470_VEC4_AT(out + i + 4), s2 += K470_VEC4_AT(out + i + 8),
                s3 += K470_VEC4_AT(out + i + 12);
        }
        std::memcpy(out + i, &s0, sizeof s0);
        std::memcpy(out + i + 4, &s1, sizeof s1);
        std::memcpy(out + i + 8, &s2, sizeof s2);
        std::memcpy(out + i + 12, &s3, sizeof s3);
    }
    for (; i < count; ++i) {
        double s = 0.0;
        for (size_t j = 0; j < n; ++j) s += taps[j] * x[i + j];
        out[i] = add ? out[i] + s : s;
    }
}

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
