// SPDX-License-Identifier: GPL-3.0-or-later
#include "signal/processing_chain.h"

#include <algorithm>
#include <cmath>

#include "signal/decimation_filters.h"

namespace k470 {

namespace {

// Non-negative remainder for ring indices.
int wrap(long long i, int n) {
    long long r = i % n;
    return static_cast<int>(r < 0 ? r + n : r);
}

// Dot product with eight partial sums, so that the loop keeps the floating-point units busy (the sums are
// formed in a fixed order, without relaxed floating-point rules).
double dot(const double* a, const double* b, size_t n) {
    double s0 = 0.0, s1 = 0.0, s2 = 0.0, s3 = 0.0, s4 = 0.0, s5 = 0.0, s6 = 0.0, s7 = 0.0;
    size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        s0 += a[i] * b[i];
        s1 += a[i + 1] * b[i + 1];
        s2 += a[i + 2] * b[i + 2];
        s3 += a[i + 3] * b[i + 3];
        s4 += a[i + 4] * b[i + 4];
        s5 += a[i + 5] * b[i + 5];
        s6 += a[i + 6] * b[i + 6];
        s7 += a[i + 7] * b[i + 7];
    }
    double tail = 0.0;
    for (; i < n; ++i) tail += a[i] * b[i];
    return ((s0 + s4) + (s1 + s5)) + ((s2 + s6) + (s3 + s7)) + tail;
}

}  // namespace

double LowPassAt(std::span<const double> o, int q, std::span<const double> h) {
    const int n = static_cast<int>(o.size());
    if (n == 0) return 0.0;
    int start = q + static_cast<int>(h.size() / 2) - n / 2;
    if (start < 0) start += n;
    start = wrap(start, n);
    double sum = 0.0;
    int idx = start;
    for (double c : h) {
        sum += c * o[static_cast<size_t>(idx)];
        idx = idx == 0 ? n - 1 : idx - 1;
    }
    return sum;
}

double LowPassAt(std::span<const double> o, int q) {
    const int n = static_cast<int>(o.size());
    if (n == 0) return 0.0;
    return o[static_cast<size_t>(wrap(q - n / 2, n))];
}

ProcessingChain::ProcessingChain() {
    for (Channel& ch : channels_) ch.ring.assign(2 * static_cast<size_t>(ringLength_), 0.0);
}

void ProcessingChain::sizeRings(const std::array<const FilterDefinition*, 3>& filters) {
    long long largest = 0;
    long long smallest = 0;
    size_t longestNumerator = 0;
    size_t longestLowPass = 0;
    for (const FilterDefinition* f : filters) {
        if (f == nullptr) continue;
        largest = std::max<long long>(largest, f->order);
        smallest = std::min<long long>(smallest, f->order);
        longestNumerator = std::max(longestNumerator, f->numerator.size());
        longestLowPass = std::max(longestLowPass, f->lowPass.size());
    }
    delay_ = static_cast<int>(largest);
    historyLength_ = static_cast<int>(static_cast<long long>(longestNumerator) + 1 + (largest - smallest));
    historyPos_ = historyLength_ > 0 ? historyPos_ % historyLength_ : 0;
    const int wanted = static_cast<int>(longestLowPass) + 1;
    const int oldLength = ringLength_;
    if (wanted > ringLength_) ringLength_ = wanted;
    for (size_t k = 0; k < 3; ++k) {
        Channel& ch = channels_[k];
        ch.history.resize(static_cast<size_t>(historyLength_), 0.0);
        ch.recursive.resize(filters[k] != nullptr ? filters[k]->denominator.size() : 0, 0.0);
        if (ringLength_ != oldLength) {
            // Keep the values in place; the new places are 0, the mirror is rebuilt.
            std::vector<double> ring(2 * static_cast<size_t>(ringLength_), 0.0);
            std::copy_n(ch.ring.begin(), oldLength, ring.begin());
            std::copy_n(ring.begin(), ringLength_, ring.begin() + ringLength_);
            ch.ring = std::move(ring);
        }
    }
}

void ProcessingChain::setChannels(const SignalState& state, const FilterLibrary& library) {
    decimation_ = std::max(1, state.decimation);
    const std::span<const double> builtIn = builtInLowPass(decimation_);
    for (size_t k = 0; k < 3; ++k) {
        const SignalChannel& in = state.channels[k];
        Channel& ch = channels_[k];
        ch.matrixRow = in.matrixRow;
        ch.sensitivity = in.sensitivity;
        ch.enabled = channelEnabled(in);
        const FilterDefinition* f = library.at(in.filterIndex);
        ch.hasFilter = f != nullptr;
        ch.filterDelay = f != nullptr ? static_cast<int>(f->order) : 0;
        if (f != nullptr) {
            ch.numerator.assign(f->numerator.begin(), f->numerator.end());
            ch.denominator.assign(f->denominator.begin(), f->denominator.end());
            ch.recursive.resize(f->denominator.size(), 0.0);
        }
        // A filter without a low-pass of its own (an empty first array) passes the value through like a
        // channel without coefficients, instead of giving zeros.
        std::span<const double> lowPass = f != nullptr ? std::span<const double>(f->lowPass) : builtIn;
        ch.hasLowPass = !lowPass.empty();
        ch.lowPass.assign(lowPass.begin(), lowPass.end());
        ch.lowPassReversed.assign(lowPass.rbegin(), lowPass.rend());
    }
}

std::span<const double> ProcessingChain::outputRing(int k) const {
    return std::span<const double>(channels_[k].ring).first(static_cast<size_t>(ringLength_));
}

void ProcessingChain::resetHistories() {
    for (Channel& ch : channels_) {
        std::fill(ch.history.begin(), ch.history.end(), 0.0);
        std::fill(ch.recursive.begin(), ch.recursive.end(), 0.0);
        std::fill(ch.ring.begin(), ch.ring.end(), 0.0);
    }
}

double ProcessingChain::filterStage(Channel& ch, double v) const {
    const int l = historyLength_;
    if (l <= 0) return v;
    const auto at = [&](long long i) { return ch.history[static_cast<size_t>(wrap(i, l))]; };
    if (!ch.hasFilter) return at(static_cast<long long>(historyPos_) - delay_);
    const long long j = static_cast<long long>(historyPos_) + ch.filterDelay - delay_;
    if (ch.numerator.empty()) return at(j);
    double y = 0.0;
    int idx = wrap(j, l);
    for (double b : ch.numerator) {
        y += b * ch.history[static_cast<size_t>(idx)];
        idx = idx == 0 ? l - 1 : idx - 1;
    }
    const size_t na = std::min(ch.denominator.size(), ch.recursive.size());
    for (size_t i = 0; i < na; ++i) y -= ch.denominator[i] * ch.recursive[i];
    if (!ch.recursive.empty()) {
        std::copy_backward(ch.recursive.begin(), ch.recursive.end() - 1, ch.recursive.end());
        ch.recursive[0] = y;
    }
    return y;
}

double ProcessingChain::lowPassOutput(const Channel& ch) const {
    const int n = ringLength_;
    const double* ring = ch.ring.data();
    if (!ch.hasLowPass) return ring[wrap(ch.newest - n / 2, n)];
    const int taps = static_cast<int>(ch.lowPassReversed.size());
    if (taps >= n)  // longer than the ring: the plain definition, wrapping as often as needed
        return LowPassAt(std::span<const double>(ch.ring).first(static_cast<size_t>(n)), ch.newest,
                         ch.lowPass);
    int start = ch.newest + taps / 2 - n / 2;
    if (start < 0) start += n;
    // The window start-taps+1 .. start, taken from the mirrored copy so that it never wraps.
    const int first = start + n - taps + 1;
    return dot(ch.lowPassReversed.data(), ring + first, static_cast<size_t>(taps));
}

void ProcessingChain::ProcessSample(const std::array<double, 3>& in, ChainMode mode) {
    ++counter_;
    const bool instant = counter_ >= decimation_;
    for (Channel& ch : channels_) {
        double v =
            (ch.matrixRow[0] * in[0] + ch.matrixRow[1] * in[1] + ch.matrixRow[2] * in[2]) * ch.sensitivity;
        if (historyLength_ > 0) {
            ch.history[static_cast<size_t>(historyPos_)] = v;
            v = filterStage(ch, v);
        }
        ch.ring[static_cast<size_t>(ch.position)] = v;
        ch.ring[static_cast<size_t>(ch.position + ringLength_)] = v;
        ch.newest = ch.position;
        if (++ch.position == ringLength_) ch.position = 0;
        if (instant && mode == ChainMode::File && ch.enabled) output_.push_back(lowPassOutput(ch));
    }
    if (historyLength_ > 0 && ++historyPos_ == historyLength_) historyPos_ = 0;
    if (instant) counter_ = 0;
}

}  // namespace k470
