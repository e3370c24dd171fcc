// SPDX-License-Identifier: GPL-3.0-or-later
// Cuts a stream of samples into intervals of a fixed number of samples (or one interval for the whole
// stream), for the analysers that hand over their readings interval by interval: the pieces of a block that
// fall into one interval are fed in turn, and the interval is closed whenever it is complete.
//
//     IntervalSplitter intervals(rate, 1.0);
//     intervals.run(block.size(), [&](size_t from, size_t n) { ...feed... },
//                   [&] { ...hand over the readings, start the next interval...; return Status{}; });
//     intervals.finish(close);   // the last, shorter interval
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "base/result.h"

namespace k470::acoustics {

class IntervalSplitter {
  public:
    IntervalSplitter() = default;
    // seconds 0: one interval for the whole stream; any other length is at least one sample.
    IntervalSplitter(double sampleRate, double seconds)
        : rate_(sampleRate),
          length_(seconds > 0.0
                      ? std::max<uint64_t>(1, static_cast<uint64_t>(std::llround(seconds * sampleRate)))
                      : 0) {}

    // Feeds `count` samples: feed(from, n) for each piece that lies within one interval, then close() when
    // that interval is complete. Stops at the first failure of close().
    template <class Feed, class Close>
    Status run(size_t count, Feed&& feed, Close&& close) {
        for (size_t at = 0; at < count;) {
            size_t n = count - at;
            if (length_) n = static_cast<size_t>(std::min<uint64_t>(n, length_ - in_));
            feed(at, n);
            in_ += n;
            at += n;
            if (length_ && in_ == length_)
                if (Status s = closeNow(close); !s) return s;
        }
        return {};
    }
    // Closes the last, shorter interval when it holds samples.
    template <class Close>
    Status finish(Close&& close) {
        if (in_ == 0) return {};
        return closeNow(close);
    }

    double startSeconds() const { return static_cast<double>(done_) / rate_; }
    double durationSeconds() const { return static_cast<double>(in_) / rate_; }
    uint64_t samplesInInterval() const { return in_; }

  private:
    template <class Close>
    Status closeNow(Close& close) {
        Status s = close();
        done_ += in_;
        in_ = 0;
        return s;
    }

    double rate_ = 1.0;
    uint64_t length_ = 0;  // samples per interval, 0: no splitting
    uint64_t in_ = 0;      // samples in the current interval
    uint64_t done_ = 0;    // samples of the closed intervals
};

}  // namespace k470::acoustics
