// SPDX-License-Identifier: GPL-3.0-or-later
#include "views/signal_history.h"

#include <cmath>

#include "views/signal_feed.h"

namespace k470::views {

namespace {
constexpr size_t kWidth = SignalFeed::kChannels;
}

void SignalHistory::Restart(double sampleRate, double seconds) {
    const bool usable = sampleRate > 0 && seconds > 0 && std::isfinite(sampleRate * seconds);
    sampleRate_ = usable ? sampleRate : 0.0;
    capacity_ = usable ? static_cast<size_t>(std::ceil(sampleRate * seconds)) : 0;
    ring_.clear();
    ring_.shrink_to_fit();
    next_ = 0;
    count_ = 0;
}

void SignalHistory::Append(std::span<const double> frames) {
    if (capacity_ == 0) return;
    size_t n = frames.size() / kWidth;
    // Of a piece longer than the ring only its end stays.
    if (n > capacity_) {
        frames = frames.subspan((n - capacity_) * kWidth);
        n = capacity_;
    }
    for (size_t i = 0; i < n; ++i) {
        const auto frame = frames.subspan(i * kWidth, kWidth);
        if (count_ < capacity_) {
            ring_.insert(ring_.end(), frame.begin(), frame.end());
            ++count_;
        } else {
            std::copy(frame.begin(), frame.end(),
                      ring_.begin() + static_cast<std::ptrdiff_t>(next_ * kWidth));
            next_ = (next_ + 1) % capacity_;
        }
    }
}

std::vector<double> SignalHistory::Channel(size_t channel) const {
    std::vector<double> out;
    if (channel >= kWidth) return out;
    out.reserve(count_);
    // Full: the oldest frame is the one written next.
    const size_t start = count_ == capacity_ ? next_ : 0;
    for (size_t i = 0; i < count_; ++i) out.push_back(ring_[((start + i) % count_) * kWidth + channel]);
    return out;
}

}  // namespace k470::views
