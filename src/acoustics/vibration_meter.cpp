// SPDX-License-Identifier: GPL-3.0-or-later
#include "acoustics/vibration_meter.h"

#include <algorithm>
#include <cmath>

namespace k470::acoustics {

namespace {

// The exponential average runs on the mean squares of steps of at most a millisecond: a thousandth of its
// time constant, so that it reads a shock within 0.01 dB of a sample-by-sample average.
constexpr double kStepRate = 1000.0;
// The linear averages move on by blocks of about 10 ms: a hundredth of the shortest span, so that the
// spans' maxima and minima are those of the exact running values within 0.05 dB for any signal but
// single shocks shorter than a block, whose energy a span still holds whole.
constexpr double kBlockSeconds = 0.01;

}  // namespace

VibrationMeter::VibrationMeter(double sampleRate, bool windowPeaks)
    : rate_(sampleRate),
      windowPeaks_(windowPeaks),
      step_(std::max<size_t>(1, static_cast<size_t>(std::llround(sampleRate / kStepRate)))) {
    const double stepRate = sampleRate / static_cast<double>(step_);
    blockSteps_ = std::max<size_t>(1, static_cast<size_t>(std::llround(kBlockSeconds * stepRate)));
    const double blockRate = stepRate / static_cast<double>(blockSteps_);
    for (size_t k = 0; k < kRunningSpans.size(); ++k)
        spanBlocks_[k] = std::max<size_t>(1, static_cast<size_t>(std::llround(kRunningSpans[k] * blockRate)));
    mtvvFactor_ = 1.0 - std::exp(-1.0 / (kMtvvTimeConstant * stepRate));
    perStep_ = 1.0 / static_cast<double>(step_);
    for (size_t k = 0; k < kRunningSpans.size(); ++k)
        perSpan_[k] = 1.0 / static_cast<double>(spanBlocks_[k] * blockSteps_ * step_);
    ringEnergy_.assign(spanBlocks_.back() + 1, 0.0);
    ringPeak_.assign(spanBlocks_.back() + 1, 0.0);
}

void VibrationMeter::process(std::span<const double> samples) {
    const double* x = samples.data();
    const size_t n = samples.size();
    count_ += n;
    // One pass: each step's samples give the step's energy, and the interval's sums and peaks with it.
    double s2 = 0.0, s4 = 0.0, top = peak2_, block = blockPeak_;
    for (size_t k = 0; k < n;) {
        const size_t end = std::min(n, k + (step_ - stepFill_));
        double e = 0.0, e4 = 0.0, p = 0.0;
        for (size_t j = k; j < end; ++j) {
            const double q = x[j] * x[j];
            e += q;
            e4 += q * q;
            p = std::max(p, q);
        }
        s2 += e;
        s4 += e4;
        top = std::max(top, p);
        block = std::max(block, p);
        stepSum_ += e;
        stepFill_ += end - k;
        k = end;
        if (stepFill_ == step_) {
            blockPeak_ = block;
            endStep();
            block = blockPeak_;
        }
    }
    blockPeak_ = block;
    heard_ = heard_ || s2 > 0.0;
    sum2_ += s2;
    sum4_ += s4;
    peak2_ = top;
}

void VibrationMeter::endStep() {
    y_ += (stepSum_ * perStep_ - y_) * mtvvFactor_;
    yMax_ = std::max(yMax_, y_);
    blockSum_ += stepSum_;
    stepSum_ = 0.0;
    stepFill_ = 0;
    if (++blockFill_ == blockSteps_) endBlock();
}

double VibrationMeter::runningMean(size_t k) const {
    return std::max(0.0, spanSum_[k]) * perSpan_[k];
}

void VibrationMeter::endBlock() {
    const size_t size = ringEnergy_.size();
    ringEnergy_[ringAt_] = blockSum_;
    ringPeak_[ringAt_] = blockPeak_;
    for (size_t k = 0; k < spanSum_.size(); ++k) {
        spanSum_[k] += blockSum_;
        if (blocks_ >= spanBlocks_[k]) {
            const size_t leaving =
                ringAt_ >= spanBlocks_[k] ? ringAt_ - spanBlocks_[k] : ringAt_ + size - spanBlocks_[k];
            spanSum_[k] -= ringEnergy_[leaving];
        }
    }
    ++blocks_;
    if (heard_) ++heardBlocks_;
    if (++ringAt_ == size) {
        ringAt_ = 0;
        // Once per turn of the ring the sums are formed afresh, so that rounding does not pile up.
        for (size_t k = 0; k < spanSum_.size(); ++k) {
            double sum = 0.0;
            for (size_t b = 1; b <= std::min<uint64_t>(spanBlocks_[k], blocks_); ++b)
                sum += ringEnergy_[size - b];
            spanSum_[k] = sum;
        }
    }
    for (size_t k = 0; k < spanSum_.size(); ++k) {
        const double mean = runningMean(k);
        runMax_[k] = std::max(runMax_[k], mean);
        if (heardBlocks_ >= spanBlocks_[k]) {
            runMin_[k] = runMinSet_[k] ? std::min(runMin_[k], mean) : mean;
            runMinSet_[k] = true;
        }
    }
    blockSum_ = 0.0;
    blockPeak_ = 0.0;
    blockFill_ = 0;
}

VibrationReading VibrationMeter::reading() const {
    VibrationReading r;
    r.samples = count_;
    r.rms = count_ ? std::sqrt(sum2_ / static_cast<double>(count_)) : 0.0;
    r.peak = std::sqrt(peak2_);
    r.vdv = std::pow(sum4_ / rate_, 0.25);
    r.mtvv = std::sqrt(yMax_);
    const size_t size = ringEnergy_.size();
    for (size_t k = 0; k < r.running.size(); ++k) {
        RunningReading& run = r.running[k];
        const double mean = runningMean(k);
        run.current = std::sqrt(mean);
        run.max = std::sqrt(std::max(runMax_[k], mean));
        run.min = runMinSet_[k] ? std::sqrt(runMin_[k]) : run.current;
    }
    if (!windowPeaks_) return r;
    // The peaks within the spans in one walk back through the ring, from the block still filling.
    double top = blockPeak_;
    size_t b = 0, at = ringAt_;
    for (size_t k = 0; k < r.running.size(); ++k) {
        for (const uint64_t last = std::min<uint64_t>(spanBlocks_[k], blocks_); b < last; ++b) {
            at = at == 0 ? size - 1 : at - 1;
            top = std::max(top, ringPeak_[at]);
        }
        r.running[k].peak = std::sqrt(top);
    }
    return r;
}

void VibrationMeter::startInterval() {
    sum2_ = sum4_ = peak2_ = 0.0;
    count_ = 0;
    yMax_ = y_;
    for (size_t k = 0; k < spanSum_.size(); ++k) {
        runMax_[k] = runningMean(k);
        runMinSet_[k] = heardBlocks_ >= spanBlocks_[k];
        runMin_[k] = runMax_[k];
    }
}

}  // namespace k470::acoustics
